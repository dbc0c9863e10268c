#include "tests/support/sim/sim.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "panel/design.h"

namespace dizod::sim {

namespace {

// The bridge's bound on one message, and the faults' timings.
constexpr double kSendTimeout = 5.0;
constexpr double kSlowSeconds = 3.0;
constexpr double kStallSeconds = 12.0;
// A client that has not answered for this long counts as hung.
constexpr double kHungAfter = 5.0;

}  // namespace

WindowHandle ChatClient::AddTopLevel(const std::string& cls) {
  const WindowHandle handle = windows_.size() + 1;
  windows_[handle].cls = cls;
  top_level_.push_back(handle);
  return handle;
}

WindowHandle ChatClient::AddChild(WindowHandle parent, const std::string& cls) {
  const WindowHandle handle = windows_.size() + 1;
  windows_[handle].cls = cls;
  windows_[handle].parent = parent;
  windows_.at(parent).children.push_back(handle);
  return handle;
}

WindowHandle ChatClient::AddClient() {
  return AddChild(AddTopLevel("AOL Frame25"), "MDIClient");
}

WindowHandle ChatClient::AddRoom(WindowHandle area, int rich_text_boxes) {
  const WindowHandle room = AddChild(area, "AOL Child");
  for (int i = 0; i < rich_text_boxes; ++i) AddChild(room, "RICHCNTL");
  AddChild(room, "_AOL_Listbox");
  AddChild(room, "_AOL_Icon");
  AddChild(room, "_AOL_Static");
  return room;
}

void ChatClient::Select(WindowHandle w, std::uint32_t start, std::uint32_t end) {
  windows_.at(w).selection_start = start;
  windows_.at(w).selection_end = end;
}

std::pair<std::uint32_t, std::uint32_t> ChatClient::SelectionOf(WindowHandle w) const {
  return {windows_.at(w).selection_start, windows_.at(w).selection_end};
}

int ChatClient::TotalMessages() const {
  int total = 0;
  for (const auto& [handle, window] : windows_) total += window.messages;
  return total;
}

std::vector<std::string> ChatClient::PostedTexts() const {
  std::vector<std::string> texts;
  for (const PostedLine& line : posted_) texts.push_back(line.text);
  return texts;
}

WindowHandle ChatClient::FindTopLevel(const char* class_name) {
  for (WindowHandle w : top_level_) {
    if (windows_.at(w).cls == class_name) return w;
  }
  return 0;
}

WindowHandle ChatClient::FindChild(WindowHandle parent, WindowHandle after,
                                   const char* class_name) {
  lookups_.push_back(class_name);
  const auto found = windows_.find(parent);
  if (found == windows_.end() || found->second.closed) return 0;
  const std::vector<WindowHandle>& children = found->second.children;
  auto it = children.begin();
  if (after != 0) {
    it = std::find(children.begin(), children.end(), after);
    if (it == children.end()) return 0;
    ++it;
  }
  for (; it != children.end(); ++it) {
    if (windows_.at(*it).cls == class_name && !windows_.at(*it).closed) return *it;
  }
  return 0;
}

void ChatClient::Close(WindowHandle w) {
  Window& window = windows_.at(w);
  window.closed = true;
  for (WindowHandle child : window.children) Close(child);
}

SendResult ChatClient::Send(WindowHandle w, bool abort_if_hung,
                            const std::function<void(Window&, double)>& handle) {
  const auto found = windows_.find(w);
  if (found == windows_.end() || found->second.closed) return SendResult::kGone;
  Window& window = found->second;
  if (!on_worker_) ++panel_thread_messages_;
  SendDue();
  const bool awake = clock_ >= asleep_until_;
  if (!awake && abort_if_hung && clock_ - asleep_since_ >= kHungAfter) {
    return SendResult::kTimedOut;  // not even queued
  }
  ++window.messages;
  const Fault fault = awake && next_fault ? next_fault() : Fault::kNone;
  if (fault == Fault::kSendLate) send_late_ = true;
  if (fault == Fault::kCloseRoom) {
    Close(window.parent);
    return SendResult::kGone;
  }
  if (fault == Fault::kStall || fault == Fault::kHang) {
    asleep_since_ = clock_;
    asleep_until_ = fault == Fault::kStall ? clock_ + kStallSeconds : kForever;
  }
  if (clock_ >= asleep_until_) {
    if (fault == Fault::kSlow) clock_ += kSlowSeconds;
    handle(window, clock_);
    return SendResult::kAnswered;
  }
  if (asleep_until_ - clock_ <= kSendTimeout) {
    clock_ = asleep_until_;
    handle(window, clock_);
    return SendResult::kAnswered;
  }
  // The message the client stalls in takes effect once it wakes (never, when
  // it does not); one it had not yet taken is lost, as it may be.
  if (fault != Fault::kNone && asleep_until_ < kForever) handle(window, asleep_until_);
  clock_ += kSendTimeout;
  return SendResult::kTimedOut;
}

SendResult ChatClient::ReadDraft(WindowHandle box, Draft& draft) {
  return Send(box, true, [&draft](Window& w, double) {
    draft = {w.text, w.selection_start, w.selection_end};
  });
}

SendResult ChatClient::SetLine(WindowHandle box, const std::string& text) {
  return Send(box, false, [this, text](Window& w, double) {
    w.text = text;
    w.selection_start = w.selection_end = 0;
    w.serial = serial_;
  });
}

SendResult ChatClient::SendChar(WindowHandle box, unsigned character) {
  return Send(box, false, [this, box, character](Window&, double at) {
    // Like the real client: Enter posts the box's content and empties the box.
    if (character != 13) return;
    if (!send_late_) return SendBox(box, at);
    late_box_ = box;
    late_at_ = at + late_send_seconds;
  });
}

void ChatClient::SendBox(WindowHandle box, double at) {
  Window& w = windows_.at(box);
  if (w.closed) return;
  posted_.push_back({at, box, w.text, w.serial});
  w.text.clear();
  w.selection_start = w.selection_end = 0;
  w.serial = 0;
}

void ChatClient::SendDue() {
  if (late_box_ == 0 || clock_ < late_at_) return;
  SendBox(std::exchange(late_box_, 0), late_at_);
}

void ChatClient::Rest(std::uint32_t milliseconds) {
  clock_ += milliseconds / 1000.0;
  SendDue();
}

void ChatClient::Settle() {
  if (late_box_ == 0) return;
  clock_ = std::max(clock_, late_at_);
  SendDue();
}

SendResult ChatClient::RestoreDraft(WindowHandle box, const Draft& draft) {
  return Send(box, false, [draft](Window& w, double) {
    w.text = draft.text;
    w.selection_start = draft.selection_start;
    w.selection_end = draft.selection_end;
    w.serial = 0;
  });
}

SendResult ChatClient::Probe(WindowHandle box) {
  if (asleep_until_ == kForever && clock_ < kForever) {
    // Asked for ever, never answered: the worker is held up to the end.
    clock_ = kForever;
    return SendResult::kTimedOut;
  }
  const auto saved = std::move(next_fault);
  const SendResult result = Send(box, false, [](Window&, double) {});
  next_fault = saved;
  return result;
}

Panel::Panel(double start_time_of_day) : tod_offset_(start_time_of_day) {
  texts_[Control::kText1] = std::string(kInitialReason);
  texts_[Control::kText2] = std::string(kInitialCount);
  enabled_ = {{Control::kText1, true},     {Control::kText2, false},   {Control::kCommand1, true},
              {Control::kCommand2, false}, {Control::kCommand3, true}, {Control::kTimer1, false}};
}

void Panel::At(double at, std::function<void()> action) {
  scheduled_.emplace(at, std::move(action));
}

void Panel::ClickAt(double at, Control button) {
  At(at, [this, button] { Click(button); });
}

void Panel::Click(Control button) {
  if (!enabled_.at(button)) return;
  clicks_[button].push_back(now_);
  switch (button) {
    case Control::kCommand1:
      return handlers_->OnStartClick();
    case Control::kCommand2:
      return handlers_->OnStopClick();
    case Control::kCommand3:
      return handlers_->OnExitClick();
    default:
      return;
  }
}

std::vector<double> Panel::ClickTimes(Control button) const {
  const auto found = clicks_.find(button);
  return found == clicks_.end() ? std::vector<double>{} : found->second;
}

void Panel::Run(double until) {
  until_ = until;
  try {
    while (DispatchOne(kForever) == PumpResult::kDispatched) {
    }
  } catch (const RunEnded&) {
  }
}

std::string Panel::Text(Control control) {
  return texts_[control];
}

void Panel::SetText(Control control, const std::string& text) {
  texts_[control] = text;
}

bool Panel::Enabled(Control control) {
  return enabled_.at(control);
}

void Panel::SetEnabled(Control control, bool enabled) {
  if (control == Control::kTimer1 && enabled != enabled_.at(control)) {
    next_tick_ = enabled ? now_ + kTimerIntervalMs / 1000.0 : kForever;
  }
  enabled_[control] = enabled;
}

ClockReading Panel::ReadClock() {
  return {std::fmod(tod_offset_ + now_, 86400.0), now_};
}

PumpResult Panel::DispatchOne(double monotonic_deadline) {
  if (quit_) return PumpResult::kQuit;
  struct Depth {
    Panel& panel;
    Depth(Panel& p, double deadline) : panel(p) {
      panel.max_depth_ = std::max(panel.max_depth_, ++panel.depth_);
      panel.deadlines_.push_back(deadline);
    }
    ~Depth() {
      --panel.depth_;
      panel.deadlines_.pop_back();
    }
  } depth(*this, monotonic_deadline);
  if (on_yield && on_yield()) {
    ++dispatched_;
    return PumpResult::kDispatched;
  }
  for (;;) {
    // The worker runs its steps as their time comes, unless the panel gets to
    // a message waiting for it first.
    while (worker_ != nullptr && worker_->NextStepAt() <= now_) {
      if (!posted_.empty() && on_worker_step && on_worker_step()) break;
      worker_->RunStep();
    }
    // Posted messages come first, then input, then timer ticks: as in Windows.
    if (!posted_.empty()) {
      const std::optional<DeferredEvent> event = posted_.front();
      posted_.pop_front();
      ++dispatched_;
      if (event) handlers_->OnDeferred(*event);
      return PumpResult::kDispatched;
    }
    const double next_input = scheduled_.empty() ? kForever : scheduled_.begin()->first;
    const double next_step = worker_ == nullptr ? kForever : worker_->NextStepAt();
    const double next = std::min({next_input, next_tick_, next_step});
    if (std::min(next, monotonic_deadline) > until_) {
      now_ = std::max(now_, until_);
      throw RunEnded{};
    }
    if (next > monotonic_deadline) {
      now_ = std::max(now_, monotonic_deadline);
      return PumpResult::kTimedOut;
    }
    now_ = std::max(now_, next);
    if (next_step <= std::min(next_input, next_tick_)) continue;
    ++dispatched_;
    if (next_input <= next_tick_) {
      const auto action = scheduled_.begin()->second;
      scheduled_.erase(scheduled_.begin());
      action();
    } else {
      while (next_tick_ <= now_) next_tick_ += kTimerIntervalMs / 1000.0;
      if (handlers_ != nullptr) handlers_->OnTimerTick();
    }
    return PumpResult::kDispatched;
  }
}

bool Channel::Submit(const std::string& line) {
  if (!protocol_.Submit(line)) {
    ++refused_;
    return false;
  }
  const double now = panel_.Now();
  records_.push_back({static_cast<int>(records_.size()) + 1, line, now});
  // The worker was waiting for this line; it takes it up at once.
  clock_ = std::max(clock_, now);
  return true;
}

double Channel::NextStepAt() {
  return protocol_.NextStep() == ChatStep::kNone ? kForever : clock_;
}

void Channel::RunStep() {
  client_.SetClock(clock_);
  client_.SetSerial(static_cast<int>(records_.size()));
  client_.SetOnWorker(true);
  const StepResult done = protocol_.RunStep();
  client_.SetOnWorker(false);
  clock_ = client_.Clock();
  if (done.step == ChatStep::kPost) records_.back().outcome = done.outcome;
  if (done.wake) panel_.Wake();
}

void Channel::Drain() {
  for (int steps = 0; NextStepAt() < kForever && steps < 8; ++steps) RunStep();
}

Program::Program(double start_time_of_day, bool with_room) : panel(start_time_of_day) {
  panel.Attach(&handlers, &channel);
  area = chat.AddClient();
  if (with_room) room = chat.AddRoom(area);
}

void Program::Start(double until) {
  // The load event is a message like any other, dispatched by the message loop.
  panel.At(panel.Now(), [this] {
    loaded = true;
    handlers.OnLoad();
  });
  panel.Run(until);
  channel.Drain();
  chat.Settle();
}

}  // namespace dizod::sim
