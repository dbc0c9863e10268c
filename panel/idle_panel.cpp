#include "panel/idle_panel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "panel/catalogue.h"

namespace dizod {

namespace {

using Sequence = IdlePanel::Sequence;

constexpr double kHandOutSeconds = std::chrono::duration<double>(kSignOffHandOut).count();
constexpr double kCutSeconds = std::chrono::duration<double>(kSignOffCut).count();
constexpr double kRetrySeconds = std::chrono::duration<double>(kRefusedRetry).count();

struct SequenceEntry {
  Sequence sequence;
  std::array<Line, 3> lines;
};
constexpr auto kSequences = std::to_array<SequenceEntry>({
    {Sequence::kStartup, {Line::kBanner, Line::kByLine, Line::kActivated}},
    {Sequence::kIdleOn, {Line::kWideBanner, Line::kIdleOn, Line::kReason}},
    {Sequence::kIdleOff, {Line::kBanner, Line::kIdleOff, Line::kWasIdle}},
    {Sequence::kMinute, {Line::kBanner, Line::kReason, Line::kHasBeenIdle}},
    {Sequence::kSignOff, {Line::kBanner, Line::kByLine, Line::kDeactivated}},
});
constexpr std::size_t kLinesPerSequence = kSequences[0].lines.size();

static_assert(InKeyOrder(kSequences, &SequenceEntry::sequence, Sequence::kSignOff));

// A pause of whole seconds ends when the clock of the day shows its start
// rounded to the whole second, plus the seconds; the end is kept on the
// monotonic clock, so midnight and a changed wall clock do not move it.
double PauseEnd(const Moment& start, int seconds) {
  return start.monotonic + (std::nearbyint(start.time_of_day) - start.time_of_day) + seconds;
}

std::string Compose(Line line, const std::string& reason, std::uint64_t count) {
  const CatalogueEntry& entry = kCatalogue[static_cast<std::size_t>(line)];
  std::string text(entry.front);
  if (entry.fill == Fill::kReason) text += reason;
  if (entry.fill == Fill::kCount) text += std::to_string(count);
  return text.append(entry.end);
}

}  // namespace

IdlePanel::IdlePanel(std::function<std::string()> read_reason,
                     std::function<bool(std::string)> hand)
    : read_reason_(std::move(read_reason)), hand_(std::move(hand)) {}

Answer IdlePanel::On(PanelEvent event, const Moment& now) {
  if (ended_) return Reply(now);
  switch (event) {
    case PanelEvent::kLoad:
      Begin(Sequence::kStartup);
      break;
    case PanelEvent::kStart:
    case PanelEvent::kStop:
    case PanelEvent::kAbout:
      Offer(event);
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
  Advance(now);
  return Reply(now);
}

// Once the program is ending nothing else runs, and a click of a greyed
// button does nothing; the rest wait for the sequence under way, so that no
// announcement is cut by another.
void IdlePanel::Offer(PanelEvent event) {
  if (sign_off_at_) return;
  if (event == PanelEvent::kStart && !start_enabled_) return;
  if (event == PanelEvent::kStop && !stop_enabled_) return;
  if (!sequence_) return Run(event);
  if (std::find(held_.begin(), held_.end(), event) == held_.end()) held_.push_back(event);
}

// A held click is judged again when it runs, after what ran before it.
void IdlePanel::Run(PanelEvent event) {
  if (event == PanelEvent::kStart && start_enabled_) {
    start_enabled_ = false;
    stop_enabled_ = idle_on_ = true;
    loop_ = Loop::kOff;
    Begin(Sequence::kIdleOn);
  } else if (event == PanelEvent::kStop && stop_enabled_) {
    stop_enabled_ = idle_on_ = false;
    start_enabled_ = true;
    loop_ = Loop::kOff;
    Begin(Sequence::kIdleOff);
  } else if (event == PanelEvent::kAbout) {
    Begin(Sequence::kStartup);
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
  if (sign_off_at_) return;
  sign_off_at_ = now.monotonic;
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
  const Sequence ended = *std::exchange(sequence_, std::nullopt);
  if (ended == Sequence::kIdleOff) count_ = 0;
  // Each minute is measured from the end of the announcement before it.
  if ((ended == Sequence::kIdleOn && idle_on_) ||
      (ended == Sequence::kMinute && loop_ == Loop::kPosting)) {
    loop_ = Loop::kWaiting;
    minute_due_ = PauseEnd(now, kMinuteSeconds);
  }
  while (!held_.empty() && !sequence_) {
    const PanelEvent event = held_.front();
    held_.erase(held_.begin());
    Run(event);
  }
}

bool IdlePanel::MayHandOut(const Moment& now) const {
  return !sign_off_at_ || now.monotonic < *sign_off_at_ + kHandOutSeconds;
}

// Hands out the line that is due, if any. A line the busy worker refuses is
// dropped: done at once, and the sequence goes on at its pace; but for a
// sign-off line, offered again while it may still go.
void IdlePanel::Advance(const Moment& now) {
  for (;;) {
    if (!sequence_ && loop_ == Loop::kWaiting && now.monotonic >= minute_due_) {
      loop_ = Loop::kPosting;
      ++count_;
      Begin(Sequence::kMinute);
    }
    if (!sequence_ || line_out_ || (line_due_ && now.monotonic < *line_due_) || !MayHandOut(now)) {
      return;
    }
    const Line line = kSequences[static_cast<std::size_t>(*sequence_)].lines[next_++];
    line_due_.reset();
    line_out_ = true;
    if (hand_(Compose(line, line == Line::kReason ? read_reason_() : "", count_))) return;
    if (sign_off_at_) {  // the last words are worth the wait
      --next_;
      line_out_ = false;
      line_due_ = now.monotonic + kRetrySeconds;
      return;
    }
    LineDone(now);
  }
}

// Once ending, the program is over when the sign-off is out, when no more of
// it may be handed out, or when a line still out is cut.
Answer IdlePanel::Reply(const Moment& now) {
  Answer answer;
  if (sign_off_at_) {
    const double cut_at = *sign_off_at_ + kCutSeconds;
    ended_ = ended_ || (line_out_ ? now.monotonic >= cut_at : !sequence_ || !MayHandOut(now));
    answer.ended = ended_;
    answer.worker_wait = Millis{std::lround(std::max(0.0, cut_at - now.monotonic) * 1000)};
    if (ended_) return answer;
    answer.due_at = line_out_ ? cut_at : *sign_off_at_ + kHandOutSeconds;
  }
  const auto consider = [&answer](double moment) {
    if (!answer.due_at || moment < *answer.due_at) answer.due_at = moment;
  };
  if (sequence_ && !line_out_ && line_due_) consider(*line_due_);
  if (!sequence_ && loop_ == Loop::kWaiting) consider(minute_due_);
  return answer;
}

}  // namespace dizod
