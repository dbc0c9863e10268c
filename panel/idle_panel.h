#pragma once
// The idle panel's behaviour as one state machine. The window feeds it every
// event with the clock's reading and does what it answers: wake it again at
// a moment, end the program. It hands one line at a time to the chat worker
// and waits for nothing: a sequence's next line, the next minute and the
// sign-off's end are moments it asks to be woken at.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "chat/timing.h"

namespace dizod {

// One reading of both clocks, taken together.
struct Moment {
  double time_of_day;  // local seconds since midnight, with fractions
  double monotonic;    // seconds on a clock that never jumps or starts again
};

enum class PanelEvent {
  kLoad,        // the panel is on the screen
  kStart,       // a click of Start
  kStop,        // a click of Stop
  kAbout,       // a click on a bare part of the panel
  kExit,        // a click of Exit
  kClose,       // the window is being closed
  kEndSession,  // the session is ending
  kLineDone,    // the worker is done with the line handed to it
  kDue,         // the moment the panel asked to be woken at has come
};

struct Answer {
  std::optional<double> due_at;  // feed kDue at this monotonic moment
  bool ended = false;            // the program is over
  // Once it is over: how long the chat worker may still wait on the client.
  Millis worker_wait{0};
};

class IdlePanel {
 public:
  // `read_reason` gives the reason box's text, read as each line is composed;
  // `hand` gives a line to the chat worker, false when the worker is busy.
  IdlePanel(std::function<std::string()> read_reason, std::function<bool(std::string)> hand);

  Answer On(PanelEvent event, const Moment& now);

  bool StartEnabled() const { return start_enabled_; }
  bool StopEnabled() const { return stop_enabled_; }
  std::uint64_t Count() const { return count_; }

  enum class Sequence { kStartup, kIdleOn, kIdleOff, kMinute, kSignOff };

 private:
  enum class Loop { kOff, kWaiting, kPosting };

  void Offer(PanelEvent event);
  void Run(PanelEvent event);
  void Begin(Sequence sequence);
  void SignOff(const Moment& now);
  void LineDone(const Moment& now);
  void EndSequence(const Moment& now);
  void Advance(const Moment& now);
  bool MayHandOut(const Moment& now) const;
  Answer Reply(const Moment& now);

  std::function<std::string()> read_reason_;
  std::function<bool(std::string)> hand_;
  bool start_enabled_ = true;
  bool stop_enabled_ = false;
  bool idle_on_ = false;
  std::uint64_t count_ = 0;

  std::optional<Sequence> sequence_;  // the one under way
  std::size_t next_ = 0;              // its line to hand over next
  std::optional<double> line_due_;    // when that line may go, after the pause
  // A line is with the worker; it may belong to a sequence the sign-off cut.
  bool line_out_ = false;
  // Clicks that came during a sequence, one per kind, in order: they run
  // when it is over, before a minute that fell due meanwhile.
  std::vector<PanelEvent> held_;
  Loop loop_ = Loop::kOff;
  double minute_due_ = 0;
  std::optional<double> sign_off_at_;  // when the program began to end
  bool ended_ = false;
};

}  // namespace dizod
