#pragma once
// The life of a line between the panel's thread and the one thread that talks
// to the chat client: handed over, posted or given up, the client catching up,
// free again; and the worker's stop. Every change the panel can see is a step
// of its own, run by a driver: the worker thread, or the tests' driver in
// virtual time, which may let the panel run between any two steps.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "toolkit/chat_bridge.h"
#include "toolkit/window_ops.h"

namespace dizod {

enum class ChatStep {
  kNone,     // nothing to do until a line or a stop comes
  kPost,     // talks to the client: posts the line handed over
  kSettle,   // tells the panel that the line is posted or given up
  kCatchUp,  // talks to the client: waits for it to answer, puts the draft back
  kFree,     // takes lines again
  kFinish,   // stops for good
};

struct StepResult {
  ChatStep step = ChatStep::kNone;
  bool wake = false;                            // the panel must be woken: its line is done
  LineOutcome outcome = LineOutcome::kDropped;  // of kPost
};

class ChatProtocol {
 public:
  explicit ChatProtocol(WindowOps& ops) : ops_(ops) {}
  ChatProtocol(const ChatProtocol&) = delete;
  ChatProtocol& operator=(const ChatProtocol&) = delete;

  // The panel's side. A line is refused, never queued, while an earlier one
  // is on its way or the client has not caught up with it, and once stopping.
  bool Submit(const std::string& line);
  bool LineInFlight();
  void RequestStop();
  // True when the worker finished within `grace`.
  bool AwaitFinished(std::chrono::milliseconds grace);

  // The worker's side.
  ChatStep NextStep();
  // Blocks until there is a step to run.
  void AwaitStep();
  StepResult RunStep();

 private:
  enum class Phase { kFree, kHandedOver, kPosted, kBehind, kCaughtUp, kFinished };
  ChatStep NextStepLocked() const;
  bool Stopping();

  WindowOps& ops_;
  std::mutex mutex_;
  std::condition_variable changed_;
  Phase phase_ = Phase::kFree;
  bool stop_ = false;
  std::string line_;
  LineResult result_;
};

}  // namespace dizod
