#pragma once
// A one-slot hand-over of lines to the one thread that talks to the chat
// client, so that the panel's thread never waits on it. The panel hands a
// line in; the thread posts it, then tells the panel, which takes the news
// that the line is done (posted, dropped or given up).

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "chat/timing.h"
#include "chat/window_ops.h"

namespace dizod {

class LineHandover {
 public:
  // `line_done` is called on the worker's thread each time a line is done.
  // The worker shares the operations and the callback, as it may outlive
  // this object (see Stop).
  LineHandover(std::shared_ptr<WindowOps> ops, std::function<void()> line_done);
  ~LineHandover() { Stop(); }
  LineHandover(const LineHandover&) = delete;
  LineHandover& operator=(const LineHandover&) = delete;

  // Takes the line into the slot. False, and the line is dropped, while the
  // slot is busy: with an earlier line, or until the client has answered and
  // the user's draft is back; and once stopping.
  bool Hand(std::string line);
  // True once for each line handed in, after it is done.
  bool TakeDone();

  // Asks the worker to end every wait within `within`, then waits for it up
  // to the grace after that. A worker still held up by the client is left to
  // finish on its own, or to the end of the process. True when it finished.
  bool Stop(Millis within = Millis{0});

 private:
  struct Slot;
  static void Run(const std::stop_token& stop, const std::shared_ptr<Slot>& slot);

  std::shared_ptr<Slot> slot_;
  std::stop_source stop_;
  std::thread thread_;
  bool finished_ = false;
};

}  // namespace dizod
