// The panel as a form its users know, worked with real input: where the
// keyboard focus is, what a double click does, the one size whatever the
// show command, and a session that ends during Exit.

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/driver/driver.h"

namespace dizod::e2e {
namespace {

// "º·-.· Reason: lunch ·.-·º" as the chat client receives it.
const std::string kLunchReasonLine = "\xBA\xB7-.\xB7 Reason: lunch \xB7.-\xB7\xBA";

// A point of a window's title bar, in screen coordinates.
POINT OnCaption(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYFRAME) + 6};
}

bool Foreground(HWND window) {
  return WaitFor([window] { return GetForegroundWindow() == window; }, 3000);
}

// The panel takes the focus while it handles its activation, a moment after
// it became the foreground window.
bool FocusOn(const Panel& panel, Control control) {
  return WaitFor([&] { return panel.Focus() == panel.Control(control); }, 3000);
}

// A bare point near the bottom of the chat client's window.
POINT InChatClient(HWND frame) {
  RECT inner{};
  GetClientRect(frame, &inner);
  POINT point{inner.right / 2, inner.bottom - 10};
  ClientToScreen(frame, &point);
  return point;
}

// A click on a caption holds the mouse until the window has followed it.
bool MouseLetGo(HWND window) {
  return WaitFor(
      [window] {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        return info.hwndCapture == nullptr && (info.flags & GUI_INMOVESIZE) == 0;
      },
      3000);
}

// Another window becomes active, then the panel again by a click on its caption.
void LeaveAndComeBack(const Standin& chat, const Panel& panel) {
  // Wine takes two clicks on one point of the panel within the double-click
  // time for a double click, even with a click elsewhere between them.
  Sleep(GetDoubleClickTime() + 100);
  ClickScreen(InChatClient(chat.Frame()));
  ASSERT_TRUE(Foreground(chat.Frame()));
  ClickScreen(OnCaption(panel.Hwnd()));
  ASSERT_TRUE(Foreground(panel.Hwnd()));
  ASSERT_TRUE(MouseLetGo(panel.Hwnd()));
}

TEST(Focus, AReasonTypedRightAfterLaunchGoesIntoTheReasonBox) {
  Standin chat;
  Panel panel;
  ASSERT_TRUE(FocusOn(panel, Control::kText1));
  TypeText(L"lunch");  // while the start-up lines are still going out
  ASSERT_TRUE(chat.WaitPosted(3, 8000));
  EXPECT_EQ(panel.Text(panel.Control(Control::kText1)), L"lunch");
  panel.Click(Control::kCommand1);
  ASSERT_TRUE(chat.WaitPosted(6, 8000));
  EXPECT_EQ(chat.PostedBytes()[5], kLunchReasonLine);
}

TEST(Focus, ReturnsToTheControlThatHadItWhenThePanelIsActiveAgain) {
  Standin chat;
  Panel panel;
  ASSERT_TRUE(chat.WaitPosted(3, 8000));
  EXPECT_EQ(panel.Focus(), panel.Control(Control::kText1));
  TypeText(L"lunch");

  LeaveAndComeBack(chat, panel);
  EXPECT_TRUE(FocusOn(panel, Control::kText1));
  TypeText(L" break");  // goes on where the caret was
  Sleep(300);
  EXPECT_EQ(panel.Text(panel.Control(Control::kText1)), L"lunch break");

  PressKey(VK_TAB);
  ASSERT_TRUE(FocusOn(panel, Control::kCommand1));
  LeaveAndComeBack(chat, panel);
  EXPECT_TRUE(FocusOn(panel, Control::kCommand1));
  EXPECT_EQ(chat.Posted().size(), 3u);  // neither caption click was an About
}

TEST(About, ADoubleClickIsOneClickAndTwoSeparateClicksAreTwo) {
  Standin chat;
  Panel panel;
  ASSERT_TRUE(chat.WaitPosted(3, 8000));
  const std::vector<std::string> startup = {
      "\xBA\xB7-.\xB7 Kr\xE1no Dizod \xB7.-\xB7\xBA",
      "\xBA\xB7-.\xB7  By: Krano  \xB7.-\xB7\xBA",
      "\xBA\xB7-.\xB7  Act\xEDvated  \xB7.-\xB7\xBA",
  };

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
  for (int i = 0; i < 4; ++i) expected.insert(expected.end(), startup.begin(), startup.end());
  EXPECT_EQ(chat.PostedBytes(), expected);
}

struct ShowCommand {
  const char* name;
  int command;
};

class LaunchWith : public ::testing::TestWithParam<ShowCommand> {};

TEST_P(LaunchWith, OpensAsTheNormalPanelWhateverTheShowCommand) {
  Panel panel(L"" DIZOD_EXE, GetParam().command);
  ASSERT_NE(panel.Hwnd(), nullptr);
  EXPECT_FALSE(IsIconic(panel.Hwnd()));
  EXPECT_FALSE(IsZoomed(panel.Hwnd()));
  RECT inner{};
  GetClientRect(panel.Hwnd(), &inner);
  EXPECT_EQ(inner.right, 209);
  EXPECT_EQ(inner.bottom, 43);
  RECT outer{};
  GetWindowRect(panel.Hwnd(), &outer);
  EXPECT_LT(outer.right - outer.left, 240);
  EXPECT_LT(outer.bottom - outer.top, 80);
  EXPECT_TRUE(panel.Answers(2000));
}

INSTANTIATE_TEST_SUITE_P(E2e, LaunchWith,
                         ::testing::Values(ShowCommand{"max", SW_SHOWMAXIMIZED},
                                           ShowCommand{"min", SW_SHOWMINNOACTIVE},
                                           ShowCommand{"minimized", SW_SHOWMINIMIZED},
                                           ShowCommand{"minimize", SW_MINIMIZE}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Launch, MaximizedStillTakesTheFocusIntoTheReasonBox) {
  Panel panel(L"" DIZOD_EXE, SW_SHOWMAXIMIZED);
  EXPECT_TRUE(Foreground(panel.Hwnd()));
  EXPECT_TRUE(FocusOn(panel, Control::kText1));
}

// Windows may end the process as soon as the session-end message returns.
TEST(ExitAndClose, SessionEndingDuringExitReturnsWhenTheSignOffIsOut) {
  Standin chat;
  Panel panel;
  ASSERT_TRUE(chat.WaitPosted(3, 8000));
  panel.Click(Control::kCommand3);
  ASSERT_TRUE(chat.WaitPosted(4, 5000));
  const long long from = NowMs();
  DWORD_PTR result = 0;
  SendMessageTimeoutW(panel.Hwnd(), WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &result);
  const long long took = NowMs() - from;
  std::printf("session end returned after %lld ms\n", took);
  const std::vector<std::string> expected = {
      "\xBA\xB7-.\xB7 Kr\xE1no Dizod \xB7.-\xB7\xBA",
      "\xBA\xB7-.\xB7  By: Krano  \xB7.-\xB7\xBA",
      "\xBA\xB7-.\xB7  Act\xEDvated  \xB7.-\xB7\xBA",
      "\xBA\xB7-.\xB7 Kr\xE1no Dizod \xB7.-\xB7\xBA",
      "\xBA\xB7-.\xB7  By: Krano  \xB7.-\xB7\xBA",
      "\xBA\xB7-.\xB7 UnAct\xEDvated \xB7.-\xB7\xBA",
  };
  EXPECT_EQ(chat.PostedBytes(), expected);
  EXPECT_LE(took, 3200);  // no longer than Exit's own two pauses
  const auto posted = chat.Posted();
  for (size_t i = 4; i < posted.size(); ++i) {
    EXPECT_GE(posted[i].ms - posted[i - 1].ms, 450);
    EXPECT_LE(posted[i].ms - posted[i - 1].ms, 1550);
  }
  EXPECT_TRUE(panel.process().WaitExit(3000));
}

}  // namespace
}  // namespace dizod::e2e
