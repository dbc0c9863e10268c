// The panel's state machine in virtual time, fed as the window feeds it: the
// lines the room gets and when, for timed user actions and a chat client that
// may be slow or hung. Then a sweep of every short sequence of events
// fired at every moment the panel can wake, against the promises it keeps.

#include "panel/idle_panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

#include "panel/catalogue.h"

namespace dizod {
namespace {

using Event = PanelEvent;

// The compiler's check of a table's order refuses a table with its last key
// out of place, or with more entries than keys.
struct Keyed {
  int key;
};
static_assert(InKeyOrder(std::array<Keyed, 2>{{{0}, {1}}}, &Keyed::key, 1));
static_assert(!InKeyOrder(std::array<Keyed, 2>{{{0}, {0}}}, &Keyed::key, 1));
static_assert(!InKeyOrder(std::array<Keyed, 3>{{{0}, {1}, {2}}}, &Keyed::key, 1));

// The room's lines, written out here: a typo in the program fails the tests.
const std::map<std::string, std::string> kLines = {
    {"B", "º·-.· Kráno Dizod ·.-·º"},        {"W", "º·-.· Kráno Dizod  ·.-·º"},
    {"Y", "º·-.·  By: Krano  ·.-·º"},        {"A", "º·-.·  Actívated  ·.-·º"},
    {"U", "º·-.· UnActívated ·.-·º"},        {"On", "º·-.·  Idle - On  ·.-·º"},
    {"Off", "º·-.·  Idle - Off  ·.-·º"},     {"R", "º·-.· Reason: "},
    {"M", "º·-.· User Has Been Idle For: "}, {"I", "º·-.· User Was Idle For "}};

// A line by its code, with what a composed line carries: "B", "R lunch", "M 3".
std::string Code(const std::string& line) {
  for (const auto& [code, text] : kLines) {
    const std::string end = code == "R" ? " ·.-·º" : " minutes ·.-·º";
    if (line == text) return code;
    if ((code == "R" || code == "M" || code == "I") && line.size() >= text.size() + end.size() &&
        line.starts_with(text) && line.ends_with(end)) {
      return code + ' ' + line.substr(text.size(), line.size() - text.size() - end.size());
    }
  }
  return "?" + line;
}

// The panel with the window's part played in virtual time: the due timer
// and the chat worker in front of a client that takes a line after `slow`
// seconds (the next one after `late`) and answers nothing before
// `hung_until` (the line is given up after 5 s, and lines are refused until
// it answers). The monotonic clock's seconds are not the day's.
struct Rig {
  static constexpr double kMonotonicStart = 1000.25;
  Moment Now() const { return {std::fmod(day_start + now, 86400), now + kMonotonicStart}; }
  void Fire(Event event) {
    current = this;  // a rig's copy owns a copy of the panel, made for another rig
    if (event == Event::kStop && panel.StopEnabled() && !sign_off_at) stop_at = handed.size();
    if (event == Event::kExit || event == Event::kClose || event == Event::kEndSession) {
      if (!sign_off_at) sign_off_at = handed.size(), sign_off_time = now;
    }
    const Answer answer = panel.On(event, Now());
    if (answer.ended && !ended_at) {
      ended_at = now, worker_until = now + static_cast<double>(answer.worker_wait.count()) / 1000;
      line_out_at_end = done_at.has_value();
    }
    due = answer.due_at ? std::optional(*answer.due_at - kMonotonicStart) : std::nullopt;
  }
  bool Hand(const std::string& line) {
    handed.push_back({now, Code(line)});
    if (now < busy_until) return false;
    const bool hung = now < hung_until;
    done_at = now + (hung ? 5 : std::exchange(late, slow));
    if (hung) busy_until = hung_until;
    if (!hung) taken.push_back({*done_at, handed.back().second});
    return true;
  }
  // The next thing the panel's surroundings do, if any comes by `until`: the
  // worker's news or the due timer, in this order.
  bool Step(double until) {
    const bool done = done_at && (!due || *done_at <= *due);
    const std::optional<double> next = done ? done_at : due;
    if (!next || *next > until) return false;
    now = std::max(now, *next);
    if (done) done_at.reset();
    Fire(done ? Event::kLineDone : Event::kDue);
    return true;
  }

  double day_start = 36000, now = 0;  // the clock shows 10:00:00 at 0
  std::string reason = "Reason";
  static inline Rig* current = nullptr;
  IdlePanel panel{[] { return current->reason; },
                  [](const std::string& line) { return current->Hand(line); }};
  bool line_out_at_end = false;
  double slow = 0, late = 0, hung_until = -1, busy_until = -1, worker_until = 0;
  std::optional<double> done_at, due, ended_at;
  std::vector<std::pair<double, std::string>> handed, taken;  // lines by their codes
  // How many lines were handed over when a Stop was taken and when the
  // sign-off began, and when that was.
  std::optional<size_t> stop_at, sign_off_at;
  double sign_off_time = 0;
  std::vector<std::pair<double, int>> fired;  // what the sweep fired when, by kKinds
};

// Plays the actions ("<t> <action>[ <argument>]; ..."), and what follows
// them for 30 s: what the room gets by code, and when the program ended.
std::string Play(const char* actions) {
  Rig rig;
  std::istringstream in(actions);
  std::string entry;
  const std::string events[] = {"Load", "Start", "Stop", "About", "Exit", "Close", "EndSession"};
  double t = 0;
  while (std::getline(in >> std::ws, entry, ';')) {
    std::istringstream parts(entry);
    std::string action, argument;
    parts >> t >> action;
    std::getline(parts.ignore(), argument);  // past the blank: the argument keeps its own
    while (rig.Step(t)) continue;
    rig.now = t;
    const auto event = std::find(std::begin(events), std::end(events), action) - events;
    if (event < std::ssize(events)) rig.Fire(static_cast<Event>(event));
    if (action == "Reason") rig.reason = argument;
    if (action == "Slow") rig.slow = rig.late = std::stod(argument);
    if (action == "Hang") rig.hung_until = t + std::stod(argument);
    if (action == "Jump") rig.day_start += std::stod(argument);
  }
  while (rig.Step(t + 30)) continue;
  std::ostringstream out;
  for (const auto& [at, code] : rig.taken) out << std::round(at * 100) / 100 << " " << code << "; ";
  if (rig.ended_at) out << *rig.ended_at << " end; ";
  return out.str();
}

// What the room gets, by code, for each row's actions.
TEST(IdlePanel, Scripts) {
  const std::pair<const char*, const char*> scripts[] = {
      // Start-up and About; a pause ends on its start rounded, a half to even, plus 1 s.
      {"0.3 Load; 10.7 About; 20.5 About; 31.5 About",
       "0.3 B; 1 Y; 2 A; 10.7 B; 12 Y; 13 A; 20.5 B; 21 Y; 22 A; 31.5 B; 33 Y; 34 A"},
      // Idle on, two minutes (About meanwhile moves none), idle off; the reason read at each post.
      {"0 Load; 5 Reason   back soon  ; 10 Start; 40 About; 140 Reason tea; 150 Stop",
       "0 B; 1 Y; 2 A; 10 W; 11 On; 12 R   back soon  ; 40 B; 41 Y; 42 A; 75 B; "
       "76 R   back soon  ; 77 M 1; 140 B; 141 R tea; 142 M 2; 150 B; 151 Off; 152 I 2"},
      // Clicks during a sequence wait for it, once per kind, in order.
      {"0 Load; 0.2 About; 0.4 Start; 0.6 About; 0.8 Start; 72 Exit",
       "0 B; 1 Y; 2 A; 2 B; 3 Y; 4 A; 4 W; 5 On; 6 R Reason; 69 B; 70 R Reason; 71 M 1; 72 B; "
       "73 Y; 74 U; 74 end"},
      // A minute that falls due during About waits; Stop held by it goes first, then About.
      {"0 Load; 10 Start; 74.5 About; 75 Stop; 75.2 About",
       "0 B; 1 Y; 2 A; 10 W; 11 On; 12 R Reason; 74.5 B; 75 Y; 76 A; 76 B; 77 Off; 78 I 0; 78 B; "
       "79 Y; 80 A"},
      // A slow client: the whole sign-off while it fits; none handed out after 6 s,
      // and the end then, when the pause would run past it.
      {"0 Load; 20 Slow 1.5; 20.5 Exit", "0 B; 1 Y; 2 A; 22 B; 24.5 Y; 26.5 U; 26.5 end"},
      {"0 Load; 20 Slow 2.2; 20.5 Exit", "0 B; 1 Y; 2 A; 22.7 B; 26.2 Y; 26.5 end"},
      // Exit in a pause: the sign-off at once.
      {"0 Load; 0.5 Exit", "0 B; 0.5 B; 1 Y; 2 U; 2 end"},
      // A sign-off line the busy worker refuses is offered again.
      {"0 Load; 10 Hang 6; 10 About; 14.9 Exit", "0 B; 1 Y; 2 A; 16 B; 17 Y; 18 U; 18 end"},
      // Close mid-sequence, with a slow client: the sign-off right after the line out.
      {"0 Load; 10 Slow 0.4; 10 Start; 11.2 Close; 11.3 Exit",
       "0 B; 1 Y; 2 A; 10.4 W; 11.4 On; 11.8 B; 13.4 Y; 14.4 U; 14.4 end"},
      // Midnight, and the wall clock set back an hour, move no pause.
      {"0 Jump 50360; 0 Load; 10 Start; 40 Jump -3600; 80 Stop",
       "0 B; 1 Y; 2 A; 10 W; 11 On; 12 R Reason; 75 B; 76 R Reason; 77 M 1; 80 B; 81 Off; 82 I 1"},
  };
  for (const auto& [actions, room] : scripts) {
    EXPECT_EQ(Play(actions), room + std::string("; ")) << actions;
  }
}

// The sweep: from the start-up, every sequence of up to kMostEvents events,
// each fired at every moment the panel or its surroundings next act.
constexpr int kMostEvents = 4;
constexpr double kHorizon = 100;
// The user's and the system's events (Close is Exit to the panel: its
// scripts cover it), two of the client: the next line taken 4.5 s late, and
// the client hung for 12 s; and a second before the next moment, for an
// event to fire at.
constexpr int kLate = -1, kHang = -2, kSoon = -3;
constexpr int kKinds[] = {1, 2, 3, 4, 6, kLate, kHang, kSoon};

// The promises, or what broke them.
std::string Check(const Rig& run) {
  const auto& handed = run.handed;
  const size_t end = run.sign_off_at.value_or(handed.size());
  const std::string whole = "|B Y A |W On R |B Off I |B R M |";
  double period = -1;  // when the idle period's last line went; -1 while idle is off
  int minutes = 0;
  for (size_t i = 0, stop = run.stop_at.value_or(end); i < end; i += 3) {
    std::string kind, count;  // the announcement's codes; the count its last line carries
    for (size_t j = i; j < std::min(i + 3, end); ++j) {
      const std::string& code = handed[j].second;
      kind.append(code, 0, code.find(' ')).push_back(' ');
      count = code[0] == 'M' || code[0] == 'I' ? code.substr(2) : "";
    }
    const bool minute = kind == "B R M ", on = kind == "W On R ", off = kind == "B Off I ";
    if (i + 3 > end) {  // only the sign-off cuts an announcement
      if (!run.sign_off_at || whole.find("|" + kind) == std::string::npos) return "cut: " + kind;
      break;
    }
    if (whole.find("|" + kind + "|") == std::string::npos) return "not an announcement: " + kind;
    if (minute && (period < 0 || handed[i].first < period + 62.5)) return "an early minute";
    if ((minute || off) && count != std::to_string(minutes += minute)) return "a false count";
    // Only what was clicked before it may come between a Stop and its idle-off.
    if (i >= stop && (minute || on)) return "after Stop: " + kind;
    if (on || minute) period = handed[i + 2].first;
    if (on || off) minutes = 0;
    if (off) period = -1, stop = end;
  }
  if (!run.sign_off_at) return run.ended_at ? "ended unasked" : "";
  std::string sign_off;  // a line the busy worker refused is offered again: once here
  for (size_t i = end; i < handed.size(); ++i) {
    if (i == end || handed[i].second != handed[i - 1].second)
      sign_off.append(handed[i].second).push_back(' ');
  }
  // Lines are handed out for 6 s; one still out at 7.2 s is cut, and the
  // worker may wait on the client until then.
  const double since = run.ended_at ? *run.ended_at - run.sign_off_time : 99;
  if (since > 7.2 + 1e-9) return "not gone in time";
  if (std::abs(run.worker_until - run.sign_off_time - 7.2) > 1e-3) return "the worker's wait";
  if (handed.back().first >= run.sign_off_time + 6) return "a line handed out too late";
  if (std::string("B Y U ").find(sign_off) != 0 || (sign_off != "B Y U " && since < 6))
    return "sign-off: " + sign_off;
  if (run.line_out_at_end && since < 7.2 - 1e-9) return "ended before its last line was out";
  return "";
}

void Explore(const Rig& run, int events_left, std::string& failures) {
  for (const int kind : kKinds) {
    if (events_left == 0 || run.ended_at) break;
    Rig next = run;
    next.fired.push_back({next.now, kind});
    if (kind >= 0) next.Fire(static_cast<Event>(kind));
    if (kind == kLate) next.late = 4.5;
    if (kind == kHang) next.hung_until = next.now + 12;
    if (kind == kSoon && next.due && *next.due > next.now + 1 && *next.due <= kHorizon &&
        !next.done_at)
      next.now = *next.due - 1;
    Explore(next, events_left - 1, failures);
  }
  Rig next = run;
  if (next.Step(kHorizon)) return Explore(next, events_left, failures);
  const std::string broken = Check(run);
  if (broken.empty() || failures.size() > 2000) return;
  failures += broken + " after:";
  for (const auto& [at, kind] : run.fired)
    failures.append(" ").append(std::to_string(at)).append("/").append(std::to_string(kind));
  failures += "\n";
}

TEST(IdlePanel, EveryShortSequenceOfEventsKeepsThePromises) {
  Rig run;
  run.Fire(Event::kLoad);
  std::string failures;
  Explore(run, kMostEvents, failures);
  EXPECT_EQ(failures, "");
}

}  // namespace
}  // namespace dizod
