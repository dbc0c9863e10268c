#pragma once
// A one-slot hand-over of lines to the one thread that talks to the chat
// client, so that the panel's thread never waits on it. The panel hands a
// line in; the thread posts it, then wakes the panel, which takes the news
// that the line is done (posted, dropped or given up).

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "chat/window_ops.h"

namespace dizod {

class LineHandover {
 public:
  // `wake` is called on the worker's thread each time a line is done. The
  // worker shares the operations and the callback, as it may outlive this
  // object (see Stop).
  LineHandover(std::shared_ptr<WindowOps> ops, std::function<void()> wake);
  // Stops the worker with the grace below.
  ~LineHandover();
  LineHandover(const LineHandover&) = delete;
  LineHandover& operator=(const LineHandover&) = delete;

  // Takes the line into the slot. False, and the line is dropped, while the
  // slot is busy: with an earlier line, or waiting for a client that stopped
  // answering to wake; and once stopping.
  bool Hand(std::string line);
  // True once for each line handed in, after it is done.
  bool TakeDone();

  // How long the program's end waits for the worker to finish a message it
  // is in; a client that holds it up longer does not hold up the end.
  static constexpr std::chrono::milliseconds kGrace{500};

  // Asks the worker to stop between two messages and waits for it up to
  // `grace`. A worker still held up by the client after that is left to
  // finish on its own, or to the end of the process. True when it finished.
  bool Stop(std::chrono::milliseconds grace = kGrace);

 private:
  struct Slot;
  static void Run(const std::shared_ptr<Slot>& slot);

  std::shared_ptr<Slot> slot_;
  std::thread thread_;
  bool finished_ = false;
};

}  // namespace dizod
