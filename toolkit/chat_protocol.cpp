#include "toolkit/chat_protocol.h"

namespace dizod {

bool ChatProtocol::Submit(const std::string& line) {
  const std::lock_guard lock(mutex_);
  if (phase_ != Phase::kFree || stop_) return false;
  line_ = line;
  phase_ = Phase::kHandedOver;
  changed_.notify_all();
  return true;
}

bool ChatProtocol::LineInFlight() {
  const std::lock_guard lock(mutex_);
  return phase_ == Phase::kHandedOver || phase_ == Phase::kPosted;
}

void ChatProtocol::RequestStop() {
  const std::lock_guard lock(mutex_);
  stop_ = true;
  changed_.notify_all();
}

bool ChatProtocol::AwaitFinished(std::chrono::milliseconds grace) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, grace, [this] { return phase_ == Phase::kFinished; });
}

ChatStep ChatProtocol::NextStep() {
  const std::lock_guard lock(mutex_);
  return NextStepLocked();
}

void ChatProtocol::AwaitStep() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return NextStepLocked() != ChatStep::kNone; });
}

ChatStep ChatProtocol::NextStepLocked() const {
  switch (phase_) {
    case Phase::kFree:
      return stop_ ? ChatStep::kFinish : ChatStep::kNone;
    case Phase::kHandedOver:
      return ChatStep::kPost;
    case Phase::kPosted:
      return ChatStep::kSettle;
    case Phase::kBehind:
      return ChatStep::kCatchUp;
    case Phase::kCaughtUp:
      return ChatStep::kFree;
    case Phase::kFinished:
      break;
  }
  return ChatStep::kNone;
}

bool ChatProtocol::Stopping() {
  const std::lock_guard lock(mutex_);
  return stop_;
}

StepResult ChatProtocol::RunStep() {
  std::unique_lock lock(mutex_);
  StepResult done{NextStepLocked()};
  const auto stopping = [this] { return Stopping(); };
  switch (done.step) {
    case ChatStep::kNone:
      break;
    case ChatStep::kPost: {
      const std::string line = line_;
      lock.unlock();
      LineResult result = PostChatLine(ops_, line, stopping);
      lock.lock();
      done.outcome = result.outcome;
      result_ = std::move(result);
      phase_ = Phase::kPosted;
      break;
    }
    case ChatStep::kSettle:
      // Free again in the same step that settles the line: the panel, woken
      // by it, may hand over its next line at once.
      phase_ = result_.stuck_box != 0 ? Phase::kBehind : Phase::kFree;
      done.wake = true;
      break;
    case ChatStep::kCatchUp: {
      const LineResult result = result_;
      lock.unlock();
      Recover(ops_, result, stopping);
      lock.lock();
      phase_ = Phase::kCaughtUp;
      break;
    }
    case ChatStep::kFree:
      phase_ = Phase::kFree;
      break;
    case ChatStep::kFinish:
      phase_ = Phase::kFinished;
      changed_.notify_all();
      break;
  }
  return done;
}

}  // namespace dizod
