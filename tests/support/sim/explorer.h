#pragma once
// Explores the interleavings of user actions with the panel's own pauses and
// ticks, on the simulated platform: at every moment the panel hands control to
// its message pump, each action that could arrive there is tried, up to a
// bounded number of actions per run. Every run is checked against the
// panel's promises about what it posts and the state it keeps.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "toolkit/window_ops.h"

namespace dizod::sim {

// What can happen at a moment of a run: a user's action, a stray tick or the
// session's end when the panel's pump is entered; the panel dispatching a
// waiting message before the worker's next step; or a fault of the chat
// client when a message is sent to it.
enum class Action {
  kStart,
  kStop,
  kExit,
  kAbout,
  kClose,
  kTick,
  kReason,
  kEndSession,
  kPanelFirst,
  kSlowClient,
  kStallClient,
  kHangClient,
  kCloseRoom,
  kSendLate,
};

// An action delivered at the n-th moment of a run (pump entries, the worker's
// steps while a message waits for the panel, and messages to the client
// counted together).
struct Injection {
  int point;
  Action action;
};
using Schedule = std::vector<Injection>;

struct Bounds {
  int max_actions = 2;
  double horizon_seconds = 150;
  double start_time_of_day = 36000.3;
  std::int64_t max_runs = -1;  // -1: explore everything within the bounds
  // Faults of the client per run, within max_actions. Messages to the client
  // are moments of a run only when faults are allowed.
  int max_faults = 0;
  // Moments whose state was met before are not branched from again. The
  // state is what the rest of a run depends on; with the whole transcript in
  // it, every run a state stands for has the same past as well.
  enum class Pruning { kNone, kStateAndTranscript, kState } pruning = Pruning::kState;
  // Whether the report keeps every run's outcome.
  bool keep_outcomes = false;
};

struct Report {
  std::int64_t runs = 0;
  std::int64_t distinct_states = 0;
  std::int64_t pruned = 0;  // moments not branched from: their state was seen before
  int deepest = 0;          // most actions injected into one run
  bool complete = false;    // everything within the bounds was explored
  std::vector<std::string> violations;
  // Each distinct outcome: the transcript with its times, and what it broke.
  std::set<std::string> outcomes;
  // Each distinct kind of violation, without the schedule.
  std::set<std::string> verdicts;
};

Report Explore(const Bounds& bounds);

// Runs one schedule and returns what it broke (empty when nothing).
std::vector<std::string> RunSchedule(const Schedule& schedule, const Bounds& bounds);

std::string Describe(const Schedule& schedule);

struct Program;
// What a finished run's transcript breaks: whole announcements, true counts,
// minutes never early, one sign-off at the very end of the program.
std::vector<std::string> TranscriptViolations(Program& p);

// What a run with a faulty client breaks: a message to the client from the
// panel's own thread, a given-up line that reached the room, lines out of
// order, the user's draft not back once the client answers.
std::vector<std::string> ClientFaultViolations(Program& p, const Draft& draft);

struct PostedLine;
// What the transcript breaks of the promises made to the clicks, given when
// each Start and each Stop click reached its handler: after a Stop click no
// idle line goes out but that Stop's idle-off announcement; after a Start
// click none goes out before that Start's idle-on announcement. With
// `open_end`, the transcript may end in the middle of an announcement.
std::vector<std::string> ClickViolations(const std::vector<PostedLine>& posted,
                                         const std::vector<double>& start_clicks,
                                         const std::vector<double>& stop_clicks, bool open_end);
std::vector<std::string> ClickViolations(Program& p);

}  // namespace dizod::sim
