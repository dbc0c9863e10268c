// Exit, close and About in the real program: the sign-off goes out once and
// the process ends; About answers real clicks on the bare panel only.

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/driver/driver.h"

namespace dizod::e2e {
namespace {

// The lines in Windows-1252, as the chat client receives them.
const std::string kBanner = Hex("BAB72D2EB7204B72E16E6F2044697A6F6420B72E2DB7BA");
const std::string kByLine = Hex("BAB72D2EB7202042793A204B72616E6F2020B72E2DB7BA");
const std::vector<std::string> kStartup = {kBanner, kByLine,
                                           Hex("BAB72D2EB72020416374ED76617465642020B72E2DB7BA")};
const std::vector<std::string> kSignOff = {kBanner, kByLine,
                                           Hex("BAB72D2EB720556E416374ED766174656420B72E2DB7BA")};

std::vector<std::string> Tail(const std::vector<std::string>& all, size_t from) {
  return std::vector<std::string>(all.begin() + std::min(from, all.size()), all.end());
}

// Starts idle mode and waits until the idle minute loop is waiting.
void StartIdle(Standin& chat, Panel& panel) {
  ASSERT_TRUE(chat.WaitPosted(3, 8000));
  panel.Click(Control::kCommand1);
  ASSERT_TRUE(chat.WaitPosted(6, 8000));
  Sleep(1500);
}

// Ends the program twice over while the loop waits: one sign-off, then gone.
void EndTwiceWhileIdle(const std::function<void(Panel&)>& end) {
  Standin chat;
  Panel panel;
  StartIdle(chat, panel);
  end(panel);
  Sleep(600);
  end(panel);  // again, during the sign-off's pauses
  EXPECT_TRUE(panel.process().WaitExit(6000));
  Sleep(300);
  EXPECT_EQ(Tail(chat.PostedBytes(), 6), kSignOff);
}

TEST(ExitAndClose, ExitWhileIdlePostsTheSignOffOnceAndEnds) {
  EndTwiceWhileIdle([](Panel& panel) { panel.Click(Control::kCommand3); });
}

TEST(ExitAndClose, CloseWhileTheLoopWaitsPostsTheSignOffOnceAndEnds) {
  EndTwiceWhileIdle([](Panel& panel) { panel.Close(); });
}

TEST(ExitAndClose, SessionEndingSignsOffBeforeTheProcessIsGone) {
  Standin chat;
  Panel panel;
  StartIdle(chat, panel);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(panel.Hwnd(), WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, &result);
  EXPECT_EQ(result, DWORD_PTR{TRUE});
  // The system ends the process once this returns: the sign-off is out by then.
  SendMessageTimeoutW(panel.Hwnd(), WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &result);
  EXPECT_EQ(Tail(chat.PostedBytes(), 6), kSignOff);
  EXPECT_TRUE(panel.process().WaitExit(3000));
}

TEST(About, RealClicksOnBarePointsOnlyPostTheStartupLines) {
  Standin chat;
  Panel panel;
  ASSERT_TRUE(chat.WaitPosted(3, 8000));
  // The left margin, the gap between Start and Stop, the strip under the reason box.
  const POINT bare[] = {{1, 20}, {69, 30}, {120, 22}};
  size_t expected = 3;
  for (const POINT& point : bare) {
    panel.MouseClick(point.x, point.y);
    expected += 3;
    ASSERT_TRUE(chat.WaitPosted(expected, 6000)) << point.x << "," << point.y;
    Sleep(200);
    EXPECT_EQ(Tail(chat.PostedBytes(), expected - 3), kStartup);
  }
  // The reason box and the disabled Stop button: nothing.
  panel.MouseClick(100, 10);
  panel.MouseClick(100, 30);
  Sleep(2500);
  EXPECT_EQ(chat.Posted().size(), expected);
  // Start by mouse: its own lines, not About's.
  panel.MouseClick(30, 30);
  ASSERT_TRUE(chat.WaitPosted(expected + 3, 6000));
  Sleep(200);
  EXPECT_EQ(chat.PostedBytes()[expected],
            Hex("BAB72D2EB7204B72E16E6F2044697A6F642020B72E2DB7BA"));  // the wide banner
  EXPECT_EQ(chat.Posted().size(), expected + 3);
  // About while idle is on leaves the buttons as they were.
  panel.MouseClick(69, 30);
  ASSERT_TRUE(chat.WaitPosted(expected + 6, 6000));
  EXPECT_FALSE(IsWindowEnabled(panel.Control(Control::kCommand1)));
  EXPECT_TRUE(IsWindowEnabled(panel.Control(Control::kCommand2)));
}

}  // namespace
}  // namespace dizod::e2e
