#include "toolkit/chat_worker.h"

#include <condition_variable>
#include <mutex>
#include <optional>

#include "toolkit/chat_bridge.h"

namespace dizod {

struct ChatWorker::Shared {
  std::shared_ptr<WindowOps> ops;
  std::function<void()> wake;
  std::mutex mutex;
  std::condition_variable changed;
  std::optional<std::string> line;
  bool in_flight = false;
  bool busy = false;
  bool stop = false;
  bool finished = false;

  bool Stopping() {
    const std::lock_guard lock(mutex);
    return stop;
  }

  void PostOne(const std::string& text) {
    const auto stopping = [this] { return Stopping(); };
    const LineResult result = PostChatLine(*ops, text, stopping);
    {
      const std::lock_guard lock(mutex);
      in_flight = false;
    }
    wake();
    // Until a client that fell behind has caught up, further lines would only
    // pile up behind ours: the worker stays busy and refuses them.
    if (result.stuck_box != 0) Recover(*ops, result, stopping);
    const std::lock_guard lock(mutex);
    busy = false;
  }
};

ChatWorker::ChatWorker(std::shared_ptr<WindowOps> ops, std::function<void()> wake)
    : shared_(std::make_shared<Shared>()) {
  shared_->ops = std::move(ops);
  shared_->wake = std::move(wake);
  thread_ = std::thread([shared = shared_] { Run(shared); });
}

ChatWorker::~ChatWorker() {
  Stop(std::chrono::milliseconds(500));
}

bool ChatWorker::Submit(const std::string& line) {
  const std::lock_guard lock(shared_->mutex);
  if (shared_->busy || shared_->stop) return false;
  shared_->line = line;
  shared_->in_flight = shared_->busy = true;
  shared_->changed.notify_all();
  return true;
}

bool ChatWorker::LineInFlight() {
  const std::lock_guard lock(shared_->mutex);
  return shared_->in_flight;
}

bool ChatWorker::Busy() {
  const std::lock_guard lock(shared_->mutex);
  return shared_->busy;
}

bool ChatWorker::Stop(std::chrono::milliseconds grace) {
  std::unique_lock lock(shared_->mutex);
  // Stopped before: its grace is not given twice.
  if (!thread_.joinable()) return shared_->finished;
  shared_->stop = true;
  shared_->changed.notify_all();
  const bool finished =
      shared_->changed.wait_for(lock, grace, [this] { return shared_->finished; });
  lock.unlock();
  if (finished) {
    thread_.join();
  } else {
    // Held up inside a message to the client: joining could wait for ever.
    thread_.detach();
  }
  return finished;
}

void ChatWorker::Run(const std::shared_ptr<Shared>& shared) {
  for (;;) {
    std::unique_lock lock(shared->mutex);
    shared->changed.wait(lock, [&] { return shared->line.has_value() || shared->stop; });
    if (shared->stop) break;
    const std::string line = std::move(*shared->line);
    shared->line.reset();
    lock.unlock();
    shared->PostOne(line);
  }
  const std::lock_guard lock(shared->mutex);
  shared->finished = true;
  shared->changed.notify_all();
}

}  // namespace dizod
