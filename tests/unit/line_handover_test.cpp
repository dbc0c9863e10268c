// The hand-over on real threads (run under ThreadSanitizer too): one line at
// a time, one wake per line, and a client stuck in a message holds up
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

struct LineHandoverTest : ::testing::Test {
  // The room's lines and whether it is held inside a message; or holds it.
  std::pair<Lines, bool> Room(const char* hold = nullptr, const char* time_out = "") {
    const std::lock_guard lock(room->mutex);
    if (hold != nullptr) room->hold = hold, room->time_out = time_out;
    return {room->lines, room->inside};
  }
  std::shared_ptr<RecordingRoom> room = std::make_shared<RecordingRoom>();
  // The panel's side, shared with a worker that may outlive the test: woken,
  // it takes the news at once, as the panel does, and counts the lines done.
  struct Panel {
    std::atomic<LineHandover*> handover = nullptr;
    std::atomic<int> done = 0;
  };
  std::shared_ptr<Panel> panel = std::make_shared<Panel>();
  LineHandover handover{room, [panel = panel] {
                          if (LineHandover* h = panel->handover; h && h->TakeDone()) ++panel->done;
                        }};
  void SetUp() override { panel->handover = &handover; }
};

// Stop does not wait for a client stuck in a message: the program's end
// leaves it to finish on its own.
TEST_F(LineHandoverTest, TakesOneLineAtATimeWakesThePanelOncePerLineAndStopsAtOnce) {
  Room("set");
  ASSERT_TRUE(handover.Hand("one"));
  EXPECT_FALSE(handover.Hand("two"));  // the slot is busy: dropped
  EXPECT_FALSE(handover.TakeDone());
  Room("");
  ASSERT_TRUE(Eventually([&] { return panel->done == 1; }));
  EXPECT_FALSE(handover.TakeDone());  // taken once
  ASSERT_TRUE(handover.Hand("three"));
  ASSERT_TRUE(Eventually([&] { return panel->done == 2; }));
  EXPECT_EQ(Room().first, (Lines{"one", "three"}));
  Room("set");
  ASSERT_TRUE(handover.Hand("four"));
  ASSERT_TRUE(Eventually([&] { return Room().second; }));
  const auto stopping = std::chrono::steady_clock::now();
  EXPECT_FALSE(handover.Stop(100ms));
  EXPECT_LT(std::chrono::steady_clock::now() - stopping, 1s);
  EXPECT_FALSE(handover.Hand("after the end"));
  panel->handover = nullptr;
  Room("");  // the worker, let go, ends on its own
}

TEST_F(LineHandoverTest, AClientThatFellBehindTakesNoLineUntilItAnswersAgain) {
  Room("probe", "set");
  ASSERT_TRUE(handover.Hand("lost"));
  ASSERT_TRUE(Eventually([&] { return panel->done == 1; }));  // given up, and said so at once
  ASSERT_TRUE(Eventually([&] { return Room().second; }));
  EXPECT_FALSE(handover.Hand("while behind"));
  Room("");
  ASSERT_TRUE(Eventually([&] { return handover.Hand("back"); }));
  ASSERT_TRUE(Eventually([&] { return panel->done == 2; }));
  EXPECT_EQ(Room().first, Lines{"back"});
}

// At the end a line the client has not sent waits no longer than the end
// allows: the draft goes back over it, within the worker's grace.
TEST_F(LineHandoverTest, AtTheEndALineStillInTheBoxMakesWayForTheDraft) {
  Room("", "enter");
  room->box = "draft";  // the worker reads it only once handed a line
  ASSERT_TRUE(handover.Hand("line"));
  ASSERT_TRUE(Eventually([&] { return panel->done == 1; }));
  EXPECT_TRUE(handover.Stop(100ms));
  EXPECT_FALSE(handover.Hand("after the end"));
  const std::lock_guard lock(room->mutex);
  EXPECT_EQ(room->box, "draft");
  EXPECT_EQ(room->lines, Lines{});
}

// Until then a box that sends late still sends our line, not the draft.
TEST_F(LineHandoverTest, AtTheEndABoxThatSendsLateSendsOurLine) {
  Room("", "enter");
  room->box = "draft";
  ASSERT_TRUE(handover.Hand("line"));
  ASSERT_TRUE(Eventually([&] { return panel->done == 1; }));
  std::thread box([this] {
    std::this_thread::sleep_for(100ms);
    const std::lock_guard lock(room->mutex);
    room->lines.push_back(std::exchange(room->box, ""));
  });
  EXPECT_TRUE(handover.Stop(2s));
  box.join();
  EXPECT_EQ(Room().first, Lines{"line"});
}

}  // namespace
}  // namespace dizod
