// The hand-over on real threads (run under ThreadSanitizer too): one line at
// a time, one call per line done, and a client stuck in a message holds up
// neither the panel nor the program's end.

#include "chat/line_handover.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "tests/support/recording_room.h"

namespace dizod {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

// Polls `done` for up to 5 s.
bool Eventually(const std::function<bool()>& done) {
  for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(10ms))
    if (done()) return true;
  return false;
}

// Shared with a worker that may outlive the test.
struct Rig {
  // The room's lines and whether it is held inside a message; or holds it.
  std::pair<Lines, bool> Room(const char* hold = nullptr, const char* time_out = "") {
    const std::lock_guard lock(room->mutex);
    if (hold != nullptr) room->hold = hold, room->time_out = time_out;
    return {room->lines, room->inside};
  }
  std::shared_ptr<RecordingRoom> room = std::make_shared<RecordingRoom>();
  std::shared_ptr<std::atomic<int>> done = std::make_shared<std::atomic<int>>(0);
  LineHandover handover{room, [done = done] { ++*done; }};
};

// Stop does not wait for a client stuck in a message: the program's end
// leaves it to finish on its own.
TEST(LineHandover, TakesOneLineAtATimeTellsOncePerLineAndStopsAtOnce) {
  Rig rig;
  rig.Room("set");
  ASSERT_TRUE(rig.handover.Hand("one"));
  EXPECT_FALSE(rig.handover.Hand("two"));  // the slot is busy: dropped
  EXPECT_FALSE(rig.handover.TakeDone());
  rig.Room("");
  ASSERT_TRUE(Eventually([&] { return *rig.done == 1; }));
  EXPECT_TRUE(rig.handover.TakeDone());
  EXPECT_FALSE(rig.handover.TakeDone());
  ASSERT_TRUE(rig.handover.Hand("three"));
  ASSERT_TRUE(Eventually([&] { return *rig.done == 2; }));
  EXPECT_EQ(rig.Room().first, (Lines{"one", "three"}));
  rig.Room("set");
  ASSERT_TRUE(rig.handover.Hand("four"));
  ASSERT_TRUE(Eventually([&] { return rig.Room().second; }));
  const auto stopping = std::chrono::steady_clock::now();
  EXPECT_FALSE(rig.handover.Stop(100ms));
  EXPECT_LT(std::chrono::steady_clock::now() - stopping, 1s);
  EXPECT_FALSE(rig.handover.Hand("after the end"));
  rig.Room("");  // the worker, let go, ends on its own
}

TEST(LineHandover, AClientThatFellBehindTakesNoLineUntilItAnswersAgain) {
  Rig rig;
  rig.Room("probe", "set");
  ASSERT_TRUE(rig.handover.Hand("lost"));
  ASSERT_TRUE(Eventually([&] { return *rig.done == 1; }));  // given up, and said so at once
  ASSERT_TRUE(Eventually([&] { return rig.Room().second; }));
  EXPECT_FALSE(rig.handover.Hand("while behind"));
  rig.Room("");
  ASSERT_TRUE(Eventually([&] { return rig.handover.Hand("back"); }));
  ASSERT_TRUE(Eventually([&] { return *rig.done == 2; }));
  EXPECT_EQ(rig.Room().first, Lines{"back"});
}

// At the end a line still in the box is sent if the box sends it before the
// end's moment; if not, the draft goes back over it within the worker's grace.
TEST(LineHandover, AtTheEndALineStillInTheBoxIsSentInTimeOrMakesWayForTheDraft) {
  for (const bool sends : {true, false}) {
    Rig rig;
    rig.Room("", "enter");
    rig.room->box = "draft";  // the worker reads it only once handed a line
    ASSERT_TRUE(rig.handover.Hand("line"));
    ASSERT_TRUE(Eventually([&] { return *rig.done == 1; }));
    std::thread box([&] {
      std::this_thread::sleep_for(100ms);
      const std::lock_guard lock(rig.room->mutex);
      if (sends) rig.room->lines.push_back(std::exchange(rig.room->box, ""));
    });
    EXPECT_TRUE(rig.handover.Stop(sends ? 2s : 100ms));
    box.join();
    EXPECT_EQ(rig.Room().first, sends ? Lines{"line"} : Lines{});
    EXPECT_EQ(rig.room->box, "draft");
    EXPECT_FALSE(rig.handover.Hand("after the end"));
  }
}

}  // namespace
}  // namespace dizod
