#include "chat/line_handover.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>

#include "chat/chat_bridge.h"

namespace dizod {

struct LineHandover::Slot {
  Slot(std::shared_ptr<WindowOps> window_ops, std::function<void()> wake_panel)
      : ops(std::move(window_ops)), wake(std::move(wake_panel)) {}

  bool Stopping() {
    const std::lock_guard lock(mutex);
    return stop;
  }

  const std::shared_ptr<WindowOps> ops;
  const std::function<void()> wake;
  std::mutex mutex;
  std::condition_variable changed;
  std::optional<std::string> line;  // handed in, not yet taken by the worker
  bool busy = false;                // from the hand-in until the client has caught up
  bool done = false;                // the line is done; the panel has not taken the news
  bool stop = false;
  bool finished = false;
};

LineHandover::LineHandover(std::shared_ptr<WindowOps> ops, std::function<void()> wake)
    : slot_(std::make_shared<Slot>(std::move(ops), std::move(wake))),
      thread_([slot = slot_] { Run(slot); }) {}

LineHandover::~LineHandover() {
  Stop();
}

bool LineHandover::Hand(std::string line) {
  const std::lock_guard lock(slot_->mutex);
  if (slot_->busy || slot_->stop) return false;
  slot_->line = std::move(line);
  slot_->busy = true;
  slot_->changed.notify_all();
  return true;
}

bool LineHandover::TakeDone() {
  const std::lock_guard lock(slot_->mutex);
  return std::exchange(slot_->done, false);
}

bool LineHandover::Stop(std::chrono::milliseconds grace) {
  // Stopped before: its grace is not given twice.
  if (!thread_.joinable()) return finished_;
  std::unique_lock lock(slot_->mutex);
  slot_->stop = true;
  slot_->changed.notify_all();
  finished_ = slot_->changed.wait_for(lock, grace, [this] { return slot_->finished; });
  lock.unlock();
  if (finished_) {
    thread_.join();
  } else {
    // Held up inside a message to the client: joining could wait for ever.
    thread_.detach();
  }
  return finished_;
}

void LineHandover::Run(const std::shared_ptr<Slot>& slot) {
  const auto stopping = [&slot] { return slot->Stopping(); };
  for (;;) {
    std::unique_lock lock(slot->mutex);
    slot->changed.wait(lock, [&slot] { return slot->stop || slot->line; });
    if (slot->stop) break;
    const std::string line = std::move(*slot->line);
    slot->line.reset();
    lock.unlock();
    const LineResult result = PostChatLine(*slot->ops, line, stopping);
    lock.lock();
    slot->done = true;
    // A client that fell behind takes no new line until it has caught up.
    slot->busy = result.stuck_box != 0;
    lock.unlock();
    slot->wake();
    if (result.stuck_box == 0) continue;
    Recover(*slot->ops, result, stopping);
    lock.lock();
    slot->busy = false;
  }
  const std::lock_guard lock(slot->mutex);
  slot->finished = true;
  slot->changed.notify_all();
}

}  // namespace dizod
