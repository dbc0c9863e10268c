#include "panel/idle_panel.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "panel/catalogue.h"

namespace dizod {

namespace {

constexpr int kLinePauseSeconds = 1;
constexpr int kMinuteSeconds = 63;
// How long the sign-off goes on posting into a chat client that does not
// answer: with the worker's grace, the program is gone within 8 s.
constexpr double kSignOffBudgetSeconds = 5.5;

enum Line {
  kBanner,
  kWideBanner,
  kByLine,
  kActivated,
  kDeactivated,
  kIdleOn,
  kIdleOff,
  kReason,
  kWasIdle,
  kHasBeenIdle
};

// The lines of each sequence, by the order of IdlePanel::Sequence.
constexpr std::size_t kLinesPerSequence = 3;
constexpr std::array<std::array<Line, kLinesPerSequence>, 5> kSequenceLines = {{
    {kBanner, kByLine, kActivated},
    {kWideBanner, kIdleOn, kReason},
    {kBanner, kIdleOff, kWasIdle},
    {kBanner, kReason, kHasBeenIdle},
    {kBanner, kByLine, kDeactivated},
}};

// A pause of whole seconds ends when the clock shows its start rounded to
// the whole second (a half to the even one) plus the seconds: it lasts them
// give or take half a second. The end is fixed on the monotonic clock, so
// midnight and a changed wall clock do not move it.
double PauseEnd(const Moment& start, int seconds) {
  return start.monotonic + (std::nearbyint(start.time_of_day) - start.time_of_day) + seconds;
}

std::string Compose(Line line, const std::function<std::string()>& read_reason,
                    std::uint64_t count) {
  switch (line) {
    case kBanner:
      return std::string(lines::kBanner);
    case kWideBanner:
      return std::string(lines::kWideBanner);
    case kByLine:
      return std::string(lines::kByLine);
    case kActivated:
      return std::string(lines::kActivated);
    case kDeactivated:
      return std::string(lines::kDeactivated);
    case kIdleOn:
      return std::string(lines::kIdleOn);
    case kIdleOff:
      return std::string(lines::kIdleOff);
    case kReason:
      return lines::Reason(read_reason());
    case kWasIdle:
      return lines::WasIdle(std::to_string(count));
    default:
      return lines::HasBeenIdle(std::to_string(count));
  }
}

}  // namespace

IdlePanel::IdlePanel(std::function<std::string()> read_reason)
    : read_reason_(std::move(read_reason)) {}

Answer IdlePanel::On(PanelEvent event, const Moment& now) {
  Answer answer;
  if (ended_) {
    answer.ended = true;
    return answer;
  }
  switch (event) {
    case PanelEvent::kLoad:
      Begin(Sequence::kStartup);
      break;
    case PanelEvent::kStart:
    case PanelEvent::kStop:
    case PanelEvent::kAbout:
    case PanelEvent::kTick:
      Offer(event, now);
      break;
    case PanelEvent::kExit:
    case PanelEvent::kClose:
    case PanelEvent::kEndSession:
      SignOff(now);
      break;
    case PanelEvent::kLineDone:
      LineDone(now);
      break;
    case PanelEvent::kDue:
      break;
  }
  Advance(now, answer);
  return answer;
}

// Once the program is ending nothing else runs. A click of a greyed button
// and a tick while the minute loop runs do nothing; the rest wait for the
// sequence under way, so that no announcement is cut by another.
void IdlePanel::Offer(PanelEvent event, const Moment& now) {
  if (deadline_) return;
  if (event == PanelEvent::kStart && !start_enabled_) return;
  if (event == PanelEvent::kStop && !stop_enabled_) return;
  if (event == PanelEvent::kTick && !IdleTimerOn()) return;
  if (!sequence_) return Run(event, now);
  if (std::find(held_.begin(), held_.end(), event) == held_.end()) held_.push_back(event);
}

void IdlePanel::Run(PanelEvent event, const Moment& now) {
  switch (event) {
    case PanelEvent::kStart:
      if (!start_enabled_) return;
      start_enabled_ = false;
      stop_enabled_ = idle_on_ = true;
      loop_ = Loop::kOff;
      return Begin(Sequence::kIdleOn);
    case PanelEvent::kStop:
      if (!stop_enabled_) return;
      stop_enabled_ = idle_on_ = false;
      start_enabled_ = true;
      loop_ = Loop::kOff;
      return Begin(Sequence::kIdleOff);
    case PanelEvent::kAbout:
      return Begin(Sequence::kStartup);
    case PanelEvent::kTick:
      if (!IdleTimerOn()) return;
      loop_ = Loop::kWaiting;
      minute_due_ = PauseEnd(now, kMinuteSeconds);
      return;
    default:
      return;
  }
}

void IdlePanel::Begin(Sequence sequence) {
  sequence_ = sequence;
  next_ = 0;
  line_due_.reset();
}

// The sign-off replaces whatever sequence was under way; a line of it still
// with the worker goes first, and the sign-off's banner right after it.
void IdlePanel::SignOff(const Moment& now) {
  if (deadline_) return;
  deadline_ = now.monotonic + kSignOffBudgetSeconds;
  idle_on_ = false;
  loop_ = Loop::kOff;
  held_.clear();
  Begin(Sequence::kSignOff);
}

// The pause before the next line runs from the end of the one before it.
void IdlePanel::LineDone(const Moment& now) {
  line_out_ = false;
  if (!sequence_ || next_ == 0) return;
  if (next_ < kLinesPerSequence) {
    line_due_ = PauseEnd(now, kLinePauseSeconds);
    return;
  }
  EndSequence(now);
}

void IdlePanel::EndSequence(const Moment& now) {
  const Sequence ended = *sequence_;
  sequence_.reset();
  if (ended == Sequence::kIdleOff) count_ = 0;
  // The next minute is measured from the end of this one's last line.
  if (ended == Sequence::kMinute && loop_ == Loop::kPosting) {
    loop_ = Loop::kWaiting;
    minute_due_ = PauseEnd(now, kMinuteSeconds);
  }
  while (!held_.empty() && !sequence_) {
    const PanelEvent event = held_.front();
    held_.erase(held_.begin());
    Run(event, now);
  }
}

void IdlePanel::Advance(const Moment& now, Answer& answer) {
  if (!sequence_ && loop_ == Loop::kWaiting && now.monotonic >= minute_due_) {
    loop_ = Loop::kPosting;
    ++count_;
    Begin(Sequence::kMinute);
  }
  const bool past_deadline = deadline_ && now.monotonic >= *deadline_;
  if (sequence_ && !line_out_ && !past_deadline && (!line_due_ || now.monotonic >= *line_due_)) {
    answer.line =
        Compose(kSequenceLines[static_cast<int>(*sequence_)][next_++], read_reason_, count_);
    line_out_ = true;
    line_due_.reset();
  }
  ended_ = deadline_ && (past_deadline || !sequence_);
  answer.ended = ended_;
  if (!ended_) answer.wake_at = NextWake();
}

// The earliest of: the next line's pause end, the next minute (unless a
// sequence stands before it) and the sign-off's deadline.
std::optional<double> IdlePanel::NextWake() const {
  std::optional<double> wake = deadline_;
  const auto consider = [&wake](double moment) {
    if (!wake || moment < *wake) wake = moment;
  };
  if (sequence_ && !line_out_ && line_due_) consider(*line_due_);
  if (!sequence_ && loop_ == Loop::kWaiting) consider(minute_due_);
  return wake;
}

}  // namespace dizod
