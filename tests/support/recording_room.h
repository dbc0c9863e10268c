#pragma once
// A chat client with one room whose input box sends what it holds on Enter,
// for tests on real threads; it keeps each line it posted. `hold` keeps the
// client inside each message of one kind until it is let go; the messages of
// the kind `time_out` time out at once, as a client that stopped answering.

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
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
  SendResult ReadText(WindowHandle, std::string& text) override { return Take("read", text, box); }
  SendResult ReadDraft(WindowHandle w, Draft& draft) override { return ReadText(w, draft.text); }
  SendResult SetLine(WindowHandle, const std::string& line) override {
    return Take("set", box, line);
  }
  SendResult SendChar(WindowHandle, unsigned) override { return Take("enter", box, ""); }
  SendResult RestoreDraft(WindowHandle, const Draft& draft) override {
    return Take("put back", box, draft.text);
  }
  SendResult Probe(WindowHandle) override { return Take("probe", box, box); }

  // What a test reads or sets, under `mutex`.
  std::mutex mutex;
  std::string hold, time_out, box;
  bool inside = false;  // held inside a message
  std::vector<std::string> lines;

 private:
  // The message's effect: `to` becomes `from`, under the lock; an Enter
  // first posts what the box holds.
  SendResult Take(const std::string& kind, std::string& to, const std::string& from) {
    std::unique_lock lock(mutex);
    if (kind == time_out) return SendResult::kTimedOut;
    for (; hold == kind; lock.lock()) {
      inside = true;
      lock.unlock();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    inside = false;
    if (kind == "enter") lines.push_back(box);
    to = std::string(from);
    return SendResult::kAnswered;
  }
};

}  // namespace dizod
