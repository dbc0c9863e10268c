// Close and About in the real program: the sign-off goes out once and the
// process ends; About answers real clicks.

#include <gtest/gtest.h>

#include "bench/driver.h"

namespace dizod::e2e {
namespace {

std::vector<std::string> Tail(const std::vector<std::string>& all, size_t from) {
  return std::vector<std::string>(all.begin() + std::min(from, all.size()), all.end());
}

TEST(ExitAndClose, CloseTwiceWhileTheLoopWaitsPostsTheSignOffOnceAndEnds) {
  Standin chat;
  Panel panel;
  ASSERT_TRUE(chat.WaitPosted(3, 8000));
  panel.Click(Control::kStart);
  ASSERT_TRUE(chat.WaitPosted(6, 8000));
  Sleep(1500);  // the idle minute loop waits
  panel.Close();
  Sleep(600);
  panel.Close();  // again, during the sign-off's pauses
  EXPECT_TRUE(panel.process().WaitExit(6000));
  Sleep(300);
  EXPECT_EQ(Tail(chat.PostedBytes(), 6), lines::kSignOff);
}

TEST(About, ARealDoubleClickIsOneClickAndTwoSeparateClicksAreTwo) {
  Standin chat;
  Panel panel;
  ASSERT_TRUE(chat.WaitPosted(3, 8000));

  panel.MouseClick(69, 30);  // the gap between Start and Stop
  Sleep(150);
  panel.MouseClick(69, 30);
  ASSERT_TRUE(chat.WaitPosted(6, 6000));
  Sleep(2500);  // a second About would have begun by now
  EXPECT_EQ(chat.Posted().size(), 6u);

  panel.MouseClick(69, 30);
  Sleep(GetDoubleClickTime() + 300);
  panel.MouseClick(69, 30);
  ASSERT_TRUE(chat.WaitPosted(12, 8000));
  Sleep(2500);
  std::vector<std::string> expected;
  for (int i = 0; i < 4; ++i) {
    expected.insert(expected.end(), lines::kStartup.begin(), lines::kStartup.end());
  }
  EXPECT_EQ(chat.PostedBytes(), expected);
}

}  // namespace
}  // namespace dizod::e2e
