#include "tests/support/sim/sim.h"

#include <algorithm>
#include <cmath>

#include "panel/design.h"

namespace dizod::sim {

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
  const auto found = windows_.find(parent);
  if (found == windows_.end()) return 0;
  const std::vector<WindowHandle>& children = found->second.children;
  auto it = children.begin();
  if (after != 0) {
    it = std::find(children.begin(), children.end(), after);
    if (it == children.end()) return 0;
    ++it;
  }
  for (; it != children.end(); ++it) {
    if (windows_.at(*it).cls == class_name) return *it;
  }
  return 0;
}

ChatClient::Window* ChatClient::Receiver(WindowHandle w) {
  const auto found = windows_.find(w);
  if (found == windows_.end() || found->second.hung) return nullptr;
  ++found->second.messages;
  return &found->second;
}

std::optional<std::string> ChatClient::GetText(WindowHandle window) {
  Window* w = Receiver(window);
  if (w == nullptr) return std::nullopt;
  return w->text;
}

bool ChatClient::SetText(WindowHandle window, const std::string& text) {
  Window* w = Receiver(window);
  if (w == nullptr) return false;
  w->text = text;
  return true;
}

bool ChatClient::SetAnsiText(WindowHandle window, const std::string& text) {
  return SetText(window, text);
}

bool ChatClient::SendChar(WindowHandle window, unsigned character) {
  Window* w = Receiver(window);
  if (w == nullptr) return false;
  // Like the real client: Enter posts the box's content and empties the box.
  if (character == 13) {
    posted_.push_back({now_(), window, w->text});
    w->text.clear();
  }
  return true;
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

void Panel::AboutAt(double at) {
  At(at, [this] { handlers_->OnAboutClick(); });
}

void Panel::CloseAt(double at) {
  At(at, [this] { handlers_->OnClose(); });
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
  while (DispatchOne(kForever) == PumpResult::kDispatched) {
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
  if (quit_ || stopped_) return PumpResult::kQuit;
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
  // Posted messages come first, then input, then timer ticks: as in Windows.
  if (!posted_.empty()) {
    const DeferredEvent event = posted_.front();
    posted_.pop_front();
    ++dispatched_;
    handlers_->OnDeferred(event);
    return PumpResult::kDispatched;
  }
  const double next_input = scheduled_.empty() ? kForever : scheduled_.begin()->first;
  const double next = std::min(next_input, next_tick_);
  if (std::min(next, monotonic_deadline) > until_) {
    // The end of the simulated run: every pump in the stack unwinds.
    now_ = std::max(now_, until_);
    stopped_ = true;
    return PumpResult::kQuit;
  }
  if (next > monotonic_deadline) {
    now_ = std::max(now_, monotonic_deadline);
    return PumpResult::kTimedOut;
  }
  now_ = std::max(now_, next);
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

Program::Program(double start_time_of_day, bool with_room) : panel(start_time_of_day) {
  panel.Attach(&handlers);
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
}

}  // namespace dizod::sim
