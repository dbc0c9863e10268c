#include "panel/panel_handlers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>

#include "panel/catalogue.h"
#include "panel/design.h"
#include "toolkit/pause.h"

namespace dizod {

std::uint64_t ParseCount(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return 0;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  const bool whole = error == std::errc() && end == text.data() + text.size();
  // The largest value cannot be counted on from.
  if (!whole || value == std::numeric_limits<std::uint64_t>::max()) return 0;
  return value;
}

namespace {

// When a pause of `seconds` begun now ends, measured as WaitSeconds measures
// it: from the start mark.
double PauseEnd(ClockPump& pump, std::int32_t seconds) {
  const ClockReading now = pump.ReadClock();
  return now.monotonic + (StartMark(now.time_of_day) - now.time_of_day) + seconds;
}

}  // namespace

PanelHandlers::Sequence::Sequence(PanelHandlers& panel) : panel_(panel) {
  ++panel_.sequence_depth_;
}

PanelHandlers::Sequence::~Sequence() {
  if (--panel_.sequence_depth_ > 0) return;
  std::vector<DeferredEvent> events;
  events.swap(panel_.deferred_);
  if (panel_.ending_) return;
  for (DeferredEvent event : events) panel_.controls_.PostDeferred(event);
  panel_.queued_deferred_ += static_cast<int>(events.size());
}

PanelHandlers::PanelHandlers(PanelControls& controls, ClockPump& pump, ChatChannel& chat)
    : controls_(controls), pump_(pump), chat_(chat) {}

void PanelHandlers::OnLoad() {
  controls_.KeepOnTop();
  controls_.SetEnabled(Control::kTimer1, false);
  Sequence sequence(*this);
  PostStartupLines();
}

void PanelHandlers::OnStartClick() {
  if (!controls_.Enabled(Control::kCommand1) || Defer(DeferredEvent::kStart)) return;
  controls_.SetEnabled(Control::kCommand1, false);
  controls_.SetEnabled(Control::kCommand2, true);
  controls_.SetEnabled(Control::kTimer1, true);
  ++period_;
  Sequence sequence(*this);
  Post(lines::kWideBanner);
  if (!Pause()) return;
  Post(lines::kIdleOn);
  if (!Pause()) return;
  Post(lines::Reason(controls_.Text(Control::kText1)));
  if (ending_) return;  // an Exit while the line was on its way
  controls_.SetText(Control::kText2, std::string(kInitialCount));
}

void PanelHandlers::OnStopClick() {
  if (!controls_.Enabled(Control::kCommand2) || Defer(DeferredEvent::kStop)) return;
  controls_.SetEnabled(Control::kCommand2, false);
  controls_.SetEnabled(Control::kCommand1, true);
  controls_.SetEnabled(Control::kTimer1, false);
  ++period_;
  Sequence sequence(*this);
  Post(lines::kBanner);
  if (!Pause()) return;
  Post(lines::kIdleOff);
  if (!Pause()) return;
  Post(lines::WasIdle(controls_.Text(Control::kText2)));
  if (ending_) return;
  controls_.SetText(Control::kText2, std::string(kInitialCount));
  controls_.SetEnabled(Control::kTimer1, false);
}

void PanelHandlers::OnTimerTick() {
  // At most one loop: ticks that come while it runs start nothing.
  if (loop_running_ || !controls_.Enabled(Control::kTimer1)) return;
  if (Defer(DeferredEvent::kTick)) return;
  RunIdleLoop();
}

void PanelHandlers::RunIdleLoop() {
  loop_running_ = true;
  const std::uint64_t period = period_;
  const auto over = [this, period] { return ending_ || period_ != period; };
  while (WaitSeconds(pump_, kCycleSeconds, over) && RunQueuedDeferred() && !over()) {
    const std::uint64_t count = ParseCount(controls_.Text(Control::kText2)) + 1;
    controls_.SetText(Control::kText2, std::to_string(count));
    if (!PostMinuteAnnouncement() || over() || !controls_.Enabled(Control::kTimer1)) break;
  }
  loop_running_ = false;
}

bool PanelHandlers::PostMinuteAnnouncement() {
  Sequence sequence(*this);
  Post(lines::kBanner);
  if (!Pause()) return false;
  Post(lines::Reason(controls_.Text(Control::kText1)));
  if (!Pause()) return false;
  Post(lines::HasBeenIdle(controls_.Text(Control::kText2)));
  return true;
}

void PanelHandlers::OnExitClick() {
  SignOff(false);
}

// The window is already on its way out: take it off the screen at once rather
// than leave it standing through the sign-off.
void PanelHandlers::OnClose() {
  SignOff(true);
}

// Windows may end the process as soon as this returns, so it returns only when
// the whole sign-off is out, also when one was already under way.
void PanelHandlers::OnEndSession() {
  if (!ending_) return SignOff(true);
  PostSignOffLines();
}

void PanelHandlers::SignOff(bool hide_first) {
  if (ending_) return;  // the sign-off goes out once
  ending_ = true;
  // However the chat client behaves, the program ends within its bound.
  sign_off_deadline_ = pump_.ReadClock().monotonic + kSignOffBudgetSeconds;
  controls_.SetEnabled(Control::kTimer1, false);
  if (hide_first) controls_.Hide();
  PostSignOffLines();
}

// Called again while it waits (by a session end), it takes over the lines
// still to go, each at the moment it is due; the call it interrupted then
// finds them taken and returns. However the chat client behaves, the lines
// stop at the sign-off's deadline and the program ends.
void PanelHandlers::PostSignOffLines() {
  constexpr std::string_view kLines[] = {lines::kBanner, lines::kByLine, lines::kDeactivated};
  const auto never = [] { return false; };
  while (sign_off_taken_ < std::size(kLines)) {
    const std::size_t next = sign_off_taken_;
    if (next > 0) {
      // The line before may still be on its way; the pause runs from its end.
      if (std::isnan(sign_off_due_)) {
        WaitUntil(pump_, sign_off_deadline_, [this] { return !chat_.LineInFlight(); });
        if (std::isnan(sign_off_due_)) sign_off_due_ = PauseEnd(pump_, kLinePauseSeconds);
      }
      WaitUntil(pump_, std::min(sign_off_due_, sign_off_deadline_), never);
    }
    if (sign_off_taken_ != next) continue;  // taken over meanwhile
    if (pump_.ReadClock().monotonic >= sign_off_deadline_) break;
    // Taken before it goes out: a session end while it is posted goes on
    // with the next one.
    ++sign_off_taken_;
    sign_off_due_ = NAN;
    Post(kLines[next]);
    if (std::isnan(sign_off_due_)) sign_off_due_ = PauseEnd(pump_, kLinePauseSeconds);
  }
  sign_off_taken_ = std::size(kLines);
  // Also called by a sign-off that was taken over: ending twice changes nothing.
  controls_.EndProgram();
}

void PanelHandlers::OnAboutClick() {
  if (Defer(DeferredEvent::kAbout)) return;
  Sequence sequence(*this);
  PostStartupLines();
}

// A sequence that ran inside the loop's pause may have outlasted it. What was
// deferred meanwhile came before the cycle fell due, so it runs first: a Stop
// clicked during an About is never overtaken by the next minute announcement.
bool PanelHandlers::RunQueuedDeferred() {
  while (queued_deferred_ > 0 && !ending_) {
    if (pump_.DispatchOne(pump_.ReadClock().monotonic) != PumpResult::kDispatched) break;
  }
  return !ending_;
}

void PanelHandlers::OnDeferred(DeferredEvent event) {
  --queued_deferred_;
  switch (event) {
    case DeferredEvent::kStart:
      return OnStartClick();
    case DeferredEvent::kStop:
      return OnStopClick();
    case DeferredEvent::kAbout:
      return OnAboutClick();
    case DeferredEvent::kTick:
      return OnTimerTick();
  }
}

void PanelHandlers::PostStartupLines() {
  Post(lines::kBanner);
  if (!Pause()) return;
  Post(lines::kByLine);
  if (!Pause()) return;
  Post(lines::kActivated);
}

bool PanelHandlers::Defer(DeferredEvent event) {
  if (ending_) return true;
  if (sequence_depth_ == 0) return false;
  if (std::find(deferred_.begin(), deferred_.end(), event) == deferred_.end()) {
    deferred_.push_back(event);
  }
  return true;
}

void PanelHandlers::Post(std::string_view line) {
  const double deadline = ending_ ? sign_off_deadline_ : HUGE_VAL;
  const auto settled = [this] { return !chat_.LineInFlight(); };
  // A line of a handler further out may still be on its way: one at a time.
  if (!WaitUntil(pump_, deadline, settled)) return;
  // A client still stuck on an earlier line gets no more: dropped, not delayed.
  if (!chat_.Submit(std::string(line))) return;
  WaitUntil(pump_, deadline, settled);
}

bool PanelHandlers::Pause() {
  // An Exit nested in the pause may have ended the program just as the pause
  // ran out: what counts then is that the program is ending.
  const auto ending = [this] { return ending_; };
  return WaitSeconds(pump_, kLinePauseSeconds, ending) && !ending_;
}

}  // namespace dizod
