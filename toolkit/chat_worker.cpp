#include "toolkit/chat_worker.h"

#include "toolkit/chat_protocol.h"

namespace dizod {

struct ChatWorker::Shared {
  Shared(std::shared_ptr<WindowOps> window_ops, std::function<void()> wake_panel)
      : ops(std::move(window_ops)), protocol(*ops), wake(std::move(wake_panel)) {}

  std::shared_ptr<WindowOps> ops;
  ChatProtocol protocol;
  std::function<void()> wake;
};

ChatWorker::ChatWorker(std::shared_ptr<WindowOps> ops, std::function<void()> wake)
    : shared_(std::make_shared<Shared>(std::move(ops), std::move(wake))),
      thread_([shared = shared_] { Run(shared); }) {}

ChatWorker::~ChatWorker() {
  Stop();
}

bool ChatWorker::Submit(const std::string& line) {
  return shared_->protocol.Submit(line);
}

bool ChatWorker::LineInFlight() {
  return shared_->protocol.LineInFlight();
}

bool ChatWorker::Stop(std::chrono::milliseconds grace) {
  // Stopped before: its grace is not given twice.
  if (!thread_.joinable()) return finished_;
  shared_->protocol.RequestStop();
  finished_ = shared_->protocol.AwaitFinished(grace);
  if (finished_) {
    thread_.join();
  } else {
    // Held up inside a message to the client: joining could wait for ever.
    thread_.detach();
  }
  return finished_;
}

void ChatWorker::Run(const std::shared_ptr<Shared>& shared) {
  for (;;) {
    shared->protocol.AwaitStep();
    const StepResult done = shared->protocol.RunStep();
    if (done.wake) shared->wake();
    if (done.step == ChatStep::kFinish) return;
  }
}

}  // namespace dizod
