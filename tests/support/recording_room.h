#pragma once
// A chat client with one room whose input box sends what it holds on Enter,
// for tests on real threads; it keeps each line it posted with the moment it
// did. `Hold` keeps the client inside each message of a kind until `Open`,
// and may make the messages of another kind time out at once, as a client
// that stopped answering does.

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
  // Every lookup finds window 1; the room's second rich-text box is window 2.
  WindowHandle FindTopLevel(const char*) override { return 1; }
  WindowHandle FindChild(WindowHandle, WindowHandle after, const char* name) override {
    return after == 0 ? 1 : after == 1 && std::string(name) == "RICHCNTL" ? 2 : 0;
  }
  SendResult ReadDraft(WindowHandle, Draft& draft) override {
    return Take("read", [&] { draft.text = box_; });
  }
  SendResult SetLine(WindowHandle, const std::string& text) override {
    return Take("set", [&] { box_ = text; });
  }
  SendResult SendChar(WindowHandle, unsigned) override {
    return Take("enter", [&] {
      lines_.push_back(std::exchange(box_, ""));
      times_.push_back(std::chrono::system_clock::now());
    });
  }
  SendResult RestoreDraft(WindowHandle, const Draft& draft) override {
    return Take("put back", [&] { box_ = draft.text; });
  }
  SendResult Probe(WindowHandle) override {
    return Take("probe", [] {});
  }
  void Rest(std::uint32_t) override {}

  void Hold(const std::string& kind, const std::string& time_out = "") {
    Set([&] { hold_ = kind, time_out_ = time_out; });
  }
  void Open() {
    Set([&] { hold_.clear(); });
  }
  // Until the client is held inside a message.
  void AwaitInside() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return inside_; });
  }
  // The lines it posted, and when.
  std::vector<std::string> Lines() {
    const std::lock_guard lock(mutex_);
    return lines_;
  }
  std::vector<std::chrono::system_clock::time_point> Times() {
    const std::lock_guard lock(mutex_);
    return times_;
  }

 private:
  template <typename Change>
  void Set(const Change& change) {
    const std::lock_guard lock(mutex_);
    change();
    changed_.notify_all();
  }
  template <typename Handle>
  SendResult Take(const std::string& kind, const Handle& handle) {
    std::unique_lock lock(mutex_);
    if (kind == time_out_) return SendResult::kTimedOut;
    inside_ = hold_ == kind;
    changed_.notify_all();
    changed_.wait(lock, [&] { return hold_ != kind; });
    inside_ = false;
    handle();
    return SendResult::kAnswered;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::string hold_, time_out_, box_;
  bool inside_ = false;
  std::vector<std::string> lines_;
  std::vector<std::chrono::system_clock::time_point> times_;
};

}  // namespace dizod
