#pragma once
// The thread that talks to the chat client, so that the panel's thread never
// waits on it. It only drives the chat protocol: it waits for a step, runs
// it, and wakes the panel when the protocol says so.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "toolkit/chat_channel.h"
#include "toolkit/window_ops.h"

namespace dizod {

class ChatWorker : public ChatChannel {
 public:
  // `wake` is called on the worker's thread each time a line is posted or
  // given up, to wake the panel's thread where it waits for messages. The
  // worker shares the operations and the callback, as it may outlive this
  // object (see Stop).
  ChatWorker(std::shared_ptr<WindowOps> ops, std::function<void()> wake);
  // Stops the worker with the grace below.
  ~ChatWorker() override;
  ChatWorker(const ChatWorker&) = delete;
  ChatWorker& operator=(const ChatWorker&) = delete;

  bool Submit(const std::string& line) override;
  bool LineInFlight() override;

  // How long the program's end waits for the worker to finish a message it
  // is in; a client that holds it up longer does not hold up the end.
  static constexpr std::chrono::milliseconds kGrace{500};

  // Asks the worker to stop between two messages and waits for it up to
  // `grace`. A worker still held up by the client after that is left to
  // finish on its own, or to the end of the process. True when it finished.
  bool Stop(std::chrono::milliseconds grace = kGrace);

 private:
  struct Shared;
  static void Run(const std::shared_ptr<Shared>& shared);

  std::shared_ptr<Shared> shared_;
  std::thread thread_;
  bool finished_ = false;
};

}  // namespace dizod
