// The chat worker on real threads, also under ThreadSanitizer: lines handed
// over the moment the panel is woken, stops at any point, a client that
// falls behind.

#include "toolkit/chat_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <thread>
#include <utility>
#include <vector>

namespace dizod {
namespace {

using namespace std::chrono_literals;

// Waits a little while for another thread to make `done` hold.
void WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
}

// A chat client with one room that records what the room got; every
// `behind_every`-th line's text is not taken in time, as from a client that
// fell behind. Closed, it holds every message until it is opened.
class RecordingOps : public WindowOps {
 public:
  explicit RecordingOps(int behind_every = 0, bool open = true)
      : open(open), behind_every_(behind_every) {}

  std::atomic<bool> open;
  std::atomic<int> entered{0};
  std::atomic<int> answered{0};

  WindowHandle FindTopLevel(const char*) override { return 1; }
  WindowHandle FindChild(WindowHandle parent, WindowHandle after, const char*) override {
    return parent + after + 1;
  }
  SendResult ReadDraft(WindowHandle, Draft& draft) override {
    return Handle([&] { draft.text = box_; });
  }
  SendResult SetLine(WindowHandle, const std::string& text) override {
    bool behind = false;
    const SendResult result = Handle([&] {
      box_ = text;
      behind = behind_every_ > 0 && ++sets_ % behind_every_ == 0;
    });
    return behind ? SendResult::kTimedOut : result;
  }
  SendResult SendChar(WindowHandle, unsigned) override {
    return Handle([&] { room_.push_back(std::exchange(box_, "")); });
  }
  SendResult RestoreDraft(WindowHandle, const Draft& draft) override {
    return Handle([&] { box_ = draft.text; });
  }
  SendResult Probe(WindowHandle) override {
    std::this_thread::yield();
    return Handle([] {});
  }

  std::vector<std::string> Room() {
    const std::lock_guard lock(mutex_);
    return room_;
  }

 private:
  SendResult Handle(const std::function<void()>& handle) {
    ++entered;
    while (!open) std::this_thread::sleep_for(1ms);
    {
      const std::lock_guard lock(mutex_);
      handle();
    }
    ++answered;
    return SendResult::kAnswered;
  }

  const int behind_every_;
  std::mutex mutex_;
  std::string box_;
  std::vector<std::string> room_;
  int sets_ = 0;
};

// Hands over `count` lines, each the moment the worker has woken the panel
// for the one before, as the panel does. Returns the lines it took.
std::vector<std::string> HandOver(ChatWorker& worker, std::atomic<int>& wakes, int count,
                                  int* refused) {
  std::vector<std::string> taken;
  for (int i = 0; i < count; ++i) {
    const int before = wakes.load();
    const std::string line = "line " + std::to_string(i);
    if (!worker.Submit(line)) {
      ++*refused;
      continue;
    }
    taken.push_back(line);
    while (wakes.load() == before) std::this_thread::yield();
  }
  return taken;
}

TEST(ChatWorker, APromptClientGetsEveryLineOnceInOrder) {
  auto ops = std::make_shared<RecordingOps>();
  std::atomic<int> wakes{0};
  // At first the next line is handed over from inside the wake itself: the
  // soonest the panel could ever do it, before the worker goes on.
  constexpr int kFromTheWake = 1000;
  std::vector<std::string> taken;
  std::atomic<int> refused{0};
  ChatWorker* chat = nullptr;
  ChatWorker worker(ops, [&] {
    if (++wakes >= kFromTheWake) return;
    const std::string line = "early " + std::to_string(wakes.load());
    if (chat->Submit(line)) {
      taken.push_back(line);
    } else {
      ++refused;
    }
  });
  chat = &worker;
  taken.push_back("early 0");
  ASSERT_TRUE(worker.Submit(taken.back()));
  WaitFor([&] { return wakes >= kFromTheWake; });
  EXPECT_EQ(refused, 0);
  int later_refused = 0;
  for (const std::string& line : HandOver(worker, wakes, 20000, &later_refused)) {
    taken.push_back(line);
  }
  EXPECT_EQ(later_refused, 0);
  // An idle worker stops at once: this would otherwise wait an hour.
  EXPECT_TRUE(worker.Stop(1h));
  EXPECT_EQ(ops->Room(), taken);
}

// Stopped at random moments, with lines on their way: every line goes out at
// most once and in order, the stop is prompt, and nothing is taken after it.
TEST(ChatWorker, StopAtAnyMomentKeepsOrderAndNeverPostsTwice) {
  std::mt19937 random(7);
  for (int run = 0; run < 200; ++run) {
    auto ops = std::make_shared<RecordingOps>(run % 2 == 0 ? 0 : 5);
    std::atomic<int> wakes{0};
    ChatWorker worker(ops, [&] { ++wakes; });
    std::vector<std::string> taken;
    const int lines = static_cast<int>(random() % 20);
    for (int i = 0; i < lines; ++i) {
      if (worker.Submit("line " + std::to_string(i))) taken.push_back("line " + std::to_string(i));
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 200));
    }
    EXPECT_TRUE(worker.Stop(1h));
    EXPECT_FALSE(worker.Submit("after"));
    // What reached the room is what was taken, in order, less lines given up
    // at the stop or by the client that fell behind.
    size_t at = 0;
    for (const std::string& line : ops->Room()) {
      while (at < taken.size() && taken[at] != line) ++at;
      ASSERT_LT(at, taken.size()) << "run " << run << ": " << line << " out of order or twice";
      ++at;
    }
  }
}

// A client that falls behind every seventh line: the worker waits for it and
// refuses lines meanwhile; every other line it took goes out once, in order.
TEST(ChatWorker, AClientThatFallsBehindMissesThatLineAndNoOther) {
  auto ops = std::make_shared<RecordingOps>(7);
  std::atomic<int> wakes{0};
  ChatWorker worker(ops, [&] { ++wakes; });
  int refused = 0;
  const auto taken = HandOver(worker, wakes, 5000, &refused);
  EXPECT_TRUE(worker.Stop(1h));
  // The line whose text was not taken in time never gets its Enter.
  std::vector<std::string> expected;
  for (size_t i = 0; i < taken.size(); ++i) {
    if ((i + 1) % 7 != 0) expected.push_back(taken[i]);
  }
  EXPECT_EQ(ops->Room(), expected);
}

TEST(ChatWorker, TakesALineAtOnceRefusesAnotherWhileBusyAndWakesThePanel) {
  auto ops = std::make_shared<RecordingOps>(0, false);
  std::atomic<int> wakes{0};
  ChatWorker worker(ops, [&] { ++wakes; });
  EXPECT_TRUE(worker.Submit("one"));
  EXPECT_TRUE(worker.LineInFlight());
  EXPECT_FALSE(worker.Submit("two"));
  ops->open = true;
  WaitFor([&] { return wakes == 1; });
  EXPECT_FALSE(worker.LineInFlight());
  EXPECT_EQ(ops->answered, 3);  // read, set, Enter: the draft was empty
}

TEST(ChatWorker, StopGivesUpOnAWorkerHeldUpByTheClient) {
  auto ops = std::make_shared<RecordingOps>(0, false);
  auto worker = std::make_unique<ChatWorker>(ops, [] {});
  worker->Submit("one");
  WaitFor([&] { return ops->entered == 1; });
  EXPECT_FALSE(worker->Stop(50ms));
  // Stopped once, it does not wait again (this would take an hour).
  EXPECT_FALSE(worker->Stop(1h));
  worker.reset();
  // The worker outlives its owner and finishes on its own once let through.
  ops->open = true;
  WaitFor([&] { return ops->answered == 1; });
  // Told to stop, it sent nothing after the read it was held up in.
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(ops->answered, 1);
}

}  // namespace
}  // namespace dizod
