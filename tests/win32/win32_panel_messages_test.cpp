// The panel window with its handlers, fed messages one by one inside this
// process: the mouse messages of a background click (judged where the button
// went down and came up, not where the cursor is when the message is
// handled), and the end of the session.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "panel/panel_handlers.h"
#include "panel/win32_panel_window.h"

namespace dizod {
namespace {

// A chat channel that takes every line at once and keeps it.
class RecordingChannel : public ChatChannel {
 public:
  bool Submit(const std::string& line) override {
    lines.push_back(line);
    return true;
  }
  bool LineInFlight() override { return false; }

  std::vector<std::string> lines;
};

// A pump on which every pause ends at once, as when the program quits: an
// About posts its first line and returns.
class QuittingPump : public ClockPump {
 public:
  ClockReading ReadClock() override { return {0, 0}; }
  PumpResult DispatchOne(double) override { return PumpResult::kQuit; }
};

class PanelMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(panel_.Create());
    panel_.SetHandlers(&handlers_);
    // The cursor is far from the panel whenever its messages are handled.
    SetCursorPos(0, 0);
  }
  void TearDown() override {
    if (panel_.Hwnd() != nullptr) DestroyWindow(panel_.Hwnd());
    MSG message;
    PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }

  void Send(UINT message, int x, int y) {
    SendMessageW(panel_.Hwnd(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                 MAKELPARAM(x, y));
  }
  // How many lines About has tried to post so far.
  size_t Lines() const { return chat_.lines.size(); }

  PanelWindow panel_{GetModuleHandleW(nullptr)};
  RecordingChannel chat_;
  QuittingPump pump_;
  PanelHandlers handlers_{panel_, pump_, chat_};
};

TEST_F(PanelMessages, BackgroundClickCountsWhereTheButtonWentDownAndUp) {
  Send(WM_LBUTTONDOWN, 69, 30);  // the gap between Start and Stop
  Send(WM_LBUTTONUP, 69, 30);
  EXPECT_EQ(chat_.lines, std::vector<std::string>{"º·-.· Kráno Dizod ·.-·º"});
  Send(WM_LBUTTONDOWN, 120, 22);  // the strip under the reason box...
  Send(WM_LBUTTONUP, 100, 10);    // ...released on the reason box
  Send(WM_LBUTTONDOWN, 100, 30);  // the disabled Stop button...
  Send(WM_LBUTTONUP, 69, 30);     // ...released in the gap
  Send(WM_LBUTTONDOWN, 1, 20);
  Send(WM_LBUTTONUP, 1, 60);  // below the panel
  EXPECT_EQ(Lines(), 1u);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(PanelMessages, BackgroundClickAPressWhoseCaptureWasLostIsNoClick) {
  Send(WM_LBUTTONDOWN, 69, 30);
  EXPECT_EQ(GetCapture(), panel_.Hwnd());
  SetCapture(panel_.ControlWindow(Control::kText1));  // someone else took the mouse
  Send(WM_LBUTTONUP, 69, 30);
  EXPECT_EQ(Lines(), 0u);
  ReleaseCapture();
  Send(WM_LBUTTONDOWN, 69, 30);
  Send(WM_LBUTTONUP, 69, 30);
  EXPECT_EQ(Lines(), 1u);
}

TEST_F(PanelMessages, BackgroundClickTheSecondPressOfADoubleClickIsNoClick) {
  Send(WM_LBUTTONDOWN, 69, 30);
  Send(WM_LBUTTONUP, 69, 30);
  Send(WM_LBUTTONDBLCLK, 69, 30);
  EXPECT_EQ(GetCapture(), panel_.Hwnd());  // held until the release
  Send(WM_LBUTTONUP, 69, 30);
  EXPECT_EQ(Lines(), 1u);
  EXPECT_EQ(GetCapture(), nullptr);
}

// What the panel puts off comes back through its queue as what it was.
TEST_F(PanelMessages, ADeferredStartComesBackAsAStart) {
  panel_.PostDeferred(DeferredEvent::kStart);
  MSG message;
  while (PeekMessageW(&message, panel_.Hwnd(), 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  EXPECT_EQ(chat_.lines, std::vector<std::string>{"º·-.· Kráno Dizod  ·.-·º"});
}

// A logoff that someone cancelled ends with WM_ENDSESSION FALSE: the user
// stays, and so does the panel.
TEST_F(PanelMessages, OnlyASessionThatEndsSignsOff) {
  EXPECT_EQ(SendMessageW(panel_.Hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageW(panel_.Hwnd(), WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(chat_.lines.empty());
  ASSERT_TRUE(IsWindow(panel_.Hwnd()));
  SendMessageW(panel_.Hwnd(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(chat_.lines,
            (std::vector<std::string>{"º·-.· Kráno Dizod ·.-·º", "º·-.·  By: Krano  ·.-·º",
                                      "º·-.· UnActívated ·.-·º"}));
  EXPECT_EQ(panel_.Hwnd(), nullptr);
}

}  // namespace
}  // namespace dizod
