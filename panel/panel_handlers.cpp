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

PanelHandlers::Sequence::Sequence(PanelHandlers& panel) : panel_(panel) {
  ++panel_.sequence_depth_;
}

PanelHandlers::Sequence::~Sequence() {
  if (--panel_.sequence_depth_ > 0) return;
  std::vector<DeferredEvent> events;
  events.swap(panel_.deferred_);
  if (panel_.Ending()) return;
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
  if (!Post(lines::Reason(controls_.Text(Control::kText1))) && Ending()) return;
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
  if (!Post(lines::WasIdle(controls_.Text(Control::kText2))) && Ending()) return;
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
  const auto over = [this, period] { return Ending() || period_ != period; };
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
  if (!Ending()) return SignOff(true);
  PostSignOffLines();
}

void PanelHandlers::SignOff(bool hide_first) {
  if (Ending()) return;  // the sign-off goes out once
  // However the chat client behaves, the program ends within its bound.
  sign_off_ = SignOffProgress{pump_.ReadClock().monotonic + kSignOffBudgetSeconds, 0, {}};
  controls_.SetEnabled(Control::kTimer1, false);
  if (hide_first) controls_.Hide();
  PostSignOffLines();
}

// Called again while it waits (by a session end), it takes over from where
// the sign-off has got; the call it interrupted then finds the lines gone out
// and returns. A line counts as gone out only once handed over, and nothing is
// dispatched between the checks and the handing over, so a line is neither
// skipped nor sent twice. However the chat client behaves, the lines stop at
// the deadline and the program ends.
void PanelHandlers::PostSignOffLines() {
  constexpr std::string_view kLines[] = {lines::kBanner, lines::kByLine, lines::kDeactivated};
  SignOffProgress& progress = *sign_off_;
  const auto never = [] { return false; };
  while (progress.next < std::size(kLines)) {
    const std::size_t next = progress.next;
    // A line still on its way goes first; the pause runs from its end.
    if (!AwaitChannel(progress.deadline)) break;
    if (next > 0 && !progress.due) progress.due = PauseEnd(pump_.ReadClock(), kLinePauseSeconds);
    // The pause ends early only when the program quits.
    if (progress.due) WaitUntil(pump_, std::min(*progress.due, progress.deadline), never);
    if (progress.next != next) continue;  // a session end took over meanwhile
    if (pump_.ReadClock().monotonic >= progress.deadline) break;
    progress.due.reset();
    // A client still behind with an earlier line misses this one.
    chat_.Submit(std::string(kLines[progress.next++]));
  }
  // The last line is out before the program ends.
  AwaitChannel(progress.deadline);
  progress.next = std::size(kLines);
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
  while (queued_deferred_ > 0 && !Ending()) {
    if (pump_.DispatchOne(pump_.ReadClock().monotonic) != PumpResult::kDispatched) break;
  }
  return !Ending();
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
  if (Ending()) return true;
  if (sequence_depth_ == 0) return false;
  if (std::find(deferred_.begin(), deferred_.end(), event) == deferred_.end()) {
    deferred_.push_back(event);
  }
  return true;
}

bool PanelHandlers::AwaitChannel(double deadline) {
  return WaitUntil(pump_, deadline, [this] { return !chat_.LineInFlight(); });
}

bool PanelHandlers::Post(std::string_view line) {
  // A line of a handler further out may still be on its way: one at a time.
  // The sign-off, once begun, is the only sequence that goes on.
  if (!AwaitChannel(HUGE_VAL) || Ending()) return false;
  // A client still stuck on an earlier line gets no more: dropped, not delayed.
  if (!chat_.Submit(std::string(line))) return false;
  AwaitChannel(HUGE_VAL);
  return !Ending();
}

bool PanelHandlers::Pause() {
  // An Exit nested in the pause may have ended the program just as the pause
  // ran out: what counts then is that the program is ending.
  const auto ending = [this] { return Ending(); };
  return WaitSeconds(pump_, kLinePauseSeconds, ending) && !Ending();
}

}  // namespace dizod
