// The hand-over on real threads (run under ThreadSanitizer too): one line at
// a time, one wake per line, and a client stuck in a message holds up
// neither the panel nor the program's end.

#include "chat/line_handover.h"

#include <gtest/gtest.h>

#include "tests/support/recording_room.h"

namespace dizod {
namespace {

using namespace std::chrono_literals;

// The panel's side of the wakes; shared with a worker that may outlive the test.
struct Wakes {
  std::mutex mutex;
  std::condition_variable woken;
  int count = 0;
};

struct LineHandoverTest : ::testing::Test {
  // Until the worker has woken the panel `count` times in all.
  bool Woken(int count) {
    std::unique_lock lock(wakes->mutex);
    return wakes->woken.wait_for(lock, 5s, [&] { return wakes->count >= count; });
  }

  std::shared_ptr<RecordingRoom> room = std::make_shared<RecordingRoom>();
  std::shared_ptr<Wakes> wakes = std::make_shared<Wakes>();
  LineHandover handover{room, [wakes = wakes] {
                          const std::lock_guard lock(wakes->mutex);
                          ++wakes->count;
                          wakes->woken.notify_all();
                        }};
};

TEST_F(LineHandoverTest, TakesOneLineAtATimeAndWakesThePanelOncePerLine) {
  room->Hold("set");
  ASSERT_TRUE(handover.Hand("one"));
  EXPECT_FALSE(handover.Hand("two"));  // the slot is busy: dropped
  EXPECT_FALSE(handover.TakeDone());
  room->Open();
  ASSERT_TRUE(Woken(1));
  EXPECT_TRUE(handover.TakeDone());
  EXPECT_FALSE(handover.TakeDone());
  ASSERT_TRUE(handover.Hand("three"));
  ASSERT_TRUE(Woken(2));
  EXPECT_EQ(room->Lines(), (std::vector<std::string>{"one", "three"}));
  EXPECT_TRUE(handover.Stop());
}

TEST_F(LineHandoverTest, AClientThatFellBehindTakesNoLineUntilItAnswersAgain) {
  room->Hold("probe", "set");
  ASSERT_TRUE(handover.Hand("lost"));
  ASSERT_TRUE(Woken(1));  // given up, and said so at once
  EXPECT_TRUE(handover.TakeDone());
  room->AwaitInside();
  EXPECT_FALSE(handover.Hand("while behind"));
  room->Hold("");
  for (int tries = 0; !handover.Hand("back") && tries < 500; ++tries)
    std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(Woken(2));
  EXPECT_EQ(room->Lines(), std::vector<std::string>{"back"});
}

TEST_F(LineHandoverTest, StopDoesNotWaitForAClientStuckInAMessage) {
  room->Hold("set");
  ASSERT_TRUE(handover.Hand("line"));
  room->AwaitInside();
  const auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(handover.Stop(100ms));
  EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
  EXPECT_FALSE(handover.Hand("after the end"));
  room->Open();  // the worker, let go, ends on its own
}

}  // namespace
}  // namespace dizod
