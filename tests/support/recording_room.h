#pragma once
// A chat client with one room whose input box sends what it holds on Enter,
// for tests on real threads. It keeps each line it posted with the moment it
// did. `Hold` keeps the client inside one kind of message until `Open`, and
// can make setting a line time out, as a client that stopped answering does.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "chat/window_ops.h"

namespace dizod {

class RecordingRoom : public WindowOps {
 public:
  using Clock = std::chrono::system_clock;

  WindowHandle FindTopLevel(const char*) override { return 1; }
  // Every lookup finds window 1; the room's second rich-text box is window 2.
  WindowHandle FindChild(WindowHandle, WindowHandle after, const char* name) override {
    if (after == 0) return 1;
    return after == 1 && std::string(name) == "RICHCNTL" ? 2 : 0;
  }
  SendResult ReadDraft(WindowHandle, Draft& draft) override {
    const std::lock_guard lock(mutex_);
    draft.text = box_;
    return SendResult::kAnswered;
  }
  SendResult SetLine(WindowHandle, const std::string& text) override {
    std::unique_lock lock(mutex_);
    Wait(lock, "set");
    if (stuck_) return SendResult::kTimedOut;
    box_ = text;
    return SendResult::kAnswered;
  }
  SendResult SendChar(WindowHandle, unsigned) override {
    const std::lock_guard lock(mutex_);
    posted_.push_back({std::exchange(box_, ""), Clock::now()});
    changed_.notify_all();
    return SendResult::kAnswered;
  }
  SendResult RestoreDraft(WindowHandle, const Draft& draft) override {
    const std::lock_guard lock(mutex_);
    box_ = draft.text;
    return SendResult::kAnswered;
  }
  SendResult Probe(WindowHandle) override {
    std::unique_lock lock(mutex_);
    Wait(lock, "probe");
    return SendResult::kAnswered;
  }
  void Rest(std::uint32_t) override {}

  void Hold(const std::string& message, bool stuck = false) {
    const std::lock_guard lock(mutex_);
    hold_ = message;
    stuck_ = stuck;
  }
  void Open() {
    const std::lock_guard lock(mutex_);
    hold_.clear();
    changed_.notify_all();
  }
  // Until the client is held inside a message.
  void AwaitInside() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return inside_; });
  }
  std::vector<std::pair<std::string, Clock::time_point>> Posted() {
    const std::lock_guard lock(mutex_);
    return posted_;
  }
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (const auto& posted : Posted()) lines.push_back(posted.first);
    return lines;
  }

 private:
  void Wait(std::unique_lock<std::mutex>& lock, const std::string& message) {
    inside_ = hold_ == message;
    changed_.notify_all();
    changed_.wait(lock, [&] { return hold_ != message; });
    inside_ = false;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::string hold_, box_;
  bool stuck_ = false, inside_ = false;
  std::vector<std::pair<std::string, Clock::time_point>> posted_;
};

}  // namespace dizod
