#include "chat/line_handover.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>

#include "chat/chat_bridge.h"

namespace dizod {

struct LineHandover::Slot {
  Slot(std::shared_ptr<WindowOps> window_ops, std::function<void()> done_callback)
      : ops(std::move(window_ops)), line_done(std::move(done_callback)) {}

  const std::shared_ptr<WindowOps> ops;
  const std::function<void()> line_done;
  // Written before the stop is asked for, read only after it was.
  Clock::time_point ending_by;
  std::mutex mutex;
  std::condition_variable changed;
  std::optional<std::string> line;  // handed in, not yet taken by the worker
  bool busy = false;                // from the hand-in until the draft is back
  bool done = false;                // the line is done; the panel has not taken the news
  bool finished = false;
};

LineHandover::LineHandover(std::shared_ptr<WindowOps> ops, std::function<void()> line_done)
    : slot_(std::make_shared<Slot>(std::move(ops), std::move(line_done))),
      thread_([slot = slot_, stop = stop_.get_token()] { Run(stop, slot); }) {}

bool LineHandover::Hand(std::string line) {
  const std::lock_guard lock(slot_->mutex);
  if (slot_->busy || stop_.stop_requested()) return false;
  slot_->line = std::move(line);
  slot_->busy = true;
  slot_->changed.notify_all();
  return true;
}

bool LineHandover::TakeDone() {
  const std::lock_guard lock(slot_->mutex);
  return std::exchange(slot_->done, false);
}

bool LineHandover::Stop(Millis within) {
  if (!thread_.joinable()) return finished_;  // stopped before
  slot_->ending_by = slot_->ops->Now() + within;
  std::unique_lock lock(slot_->mutex);
  stop_.request_stop();
  slot_->changed.notify_all();
  finished_ =
      slot_->changed.wait_for(lock, within + kWorkerGrace, [this] { return slot_->finished; });
  lock.unlock();
  if (finished_) {
    thread_.join();
  } else {
    // Held up inside a message to the client: joining could wait for ever.
    thread_.detach();
  }
  return finished_;
}

void LineHandover::Run(const std::stop_token& stop, const std::shared_ptr<Slot>& slot) {
  const EndingBy ending = [&] {
    return stop.stop_requested() ? std::optional(slot->ending_by) : std::nullopt;
  };
  for (;;) {
    std::unique_lock lock(slot->mutex);
    slot->changed.wait(lock, [&] { return stop.stop_requested() || slot->line.has_value(); });
    if (stop.stop_requested()) break;
    const std::string line = std::move(*std::exchange(slot->line, std::nullopt));
    lock.unlock();
    const LineResult result = PostChatLine(*slot->ops, line, ending);
    lock.lock();
    slot->done = true;
    slot->busy = result.stuck.has_value();
    lock.unlock();
    slot->line_done();
    if (!result.stuck) continue;
    Settle(*slot->ops, *result.stuck, ending);
    lock.lock();
    slot->busy = false;
  }
  const std::lock_guard lock(slot->mutex);
  slot->finished = true;
  slot->changed.notify_all();
}

}  // namespace dizod
