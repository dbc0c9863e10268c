// The Win32 side inside one process: the panel window as built, the text
// conversion at the chat client's edge, and the real pause's clock and pump.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "panel/design.h"
#include "panel/layout.h"
#include "panel/win32_panel_window.h"
#include "toolkit/pause.h"
#include "toolkit/win32_clock_pump.h"
#include "toolkit/win32_text.h"

namespace dizod {
namespace {

// The display's DPI as the test run set it up (96 unless told otherwise).
int ScreenDpi() {
  const char* dpi = std::getenv("DIZOD_DPI");
  return dpi != nullptr ? std::atoi(dpi) : 96;
}

// Destroying the panel ends the program: its WM_QUIT is taken off the queue
// again so that the tests after this one keep a clean queue.
void Destroy(PanelWindow& panel) {
  DestroyWindow(panel.Hwnd());
  MSG message;
  EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(PanelWindow, ReasonBoxFontAndColour) {
  PanelWindow panel(GetModuleHandleW(nullptr));
  ASSERT_TRUE(panel.Create());
  HWND text1 = panel.ControlWindow(Control::kText1);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(text1, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTW lf{};
  ASSERT_NE(GetObjectW(font, sizeof(lf), &lf), 0);
  EXPECT_STREQ(lf.lfFaceName, L"OCR A Extended");
  EXPECT_EQ(lf.lfHeight, ReasonFontHeight(ScreenDpi()));
  EXPECT_EQ(lf.lfWeight, 400);
  EXPECT_EQ(lf.lfCharSet, 0);
  EXPECT_FALSE(lf.lfItalic || lf.lfUnderline || lf.lfStrikeOut);
  // The buttons keep the system's font.
  EXPECT_NE(SendMessageW(panel.ControlWindow(Control::kCommand1), WM_GETFONT, 0, 0),
            reinterpret_cast<LRESULT>(font));

  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(panel.Hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(text1));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 192));
  DeleteDC(dc);
  Destroy(panel);
}

TEST(PanelWindow, InnerAreaIsExactAndTheCounterOutsideIt) {
  PanelWindow panel(GetModuleHandleW(nullptr));
  ASSERT_TRUE(panel.Create());
  const int dpi = ScreenDpi();
  RECT inner{};
  GetClientRect(panel.Hwnd(), &inner);
  EXPECT_EQ(inner.right, TwipsToPixels(kInnerWidthTwips, dpi));
  EXPECT_EQ(inner.bottom, TwipsToPixels(kInnerHeightTwips, dpi));
  RECT counter{};
  GetWindowRect(panel.ControlWindow(Control::kText2), &counter);
  MapWindowPoints(nullptr, panel.Hwnd(), reinterpret_cast<POINT*>(&counter), 2);
  EXPECT_GE(counter.left, inner.right);
  EXPECT_GE(counter.top, inner.bottom);
  Destroy(panel);
}

// Moved to a monitor of another DPI, the panel lays itself out anew.
TEST(PanelWindow, FollowsAChangeOfDpi) {
  PanelWindow panel(GetModuleHandleW(nullptr));
  ASSERT_TRUE(panel.Create());
  RECT suggested{100, 100, 500, 250};
  SendMessageW(panel.Hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  RECT inner{};
  GetClientRect(panel.Hwnd(), &inner);
  EXPECT_EQ(inner.right, 314);
  EXPECT_EQ(inner.bottom, 65);
  LOGFONTW lf{};
  const auto font =
      reinterpret_cast<HFONT>(SendMessageW(panel.ControlWindow(Control::kText1), WM_GETFONT, 0, 0));
  ASSERT_NE(GetObjectW(font, sizeof(lf), &lf), 0);
  EXPECT_EQ(lf.lfHeight, -17);
  RECT exit{};
  GetWindowRect(panel.ControlWindow(Control::kCommand3), &exit);
  EXPECT_EQ(exit.right - exit.left, TwipsToPixels(kCommand3Rect.width, 144));
  Destroy(panel);
}

TEST(Win32Text, CatalogueBecomesSingleBytesAndStrangersBecomeQuestionMarks) {
  ASSERT_EQ(GetACP(), 1252u);
  EXPECT_EQ(Utf8ToAnsi("º·-.· Kráno Dizod ·.-·º"), "\xBA\xB7-.\xB7 Kr\xE1no Dizod \xB7.-\xB7\xBA");
  EXPECT_EQ(Utf8ToAnsi("Actívated é"), "Act\xEDvated \xE9");
  // No best fit: a macron a does not pass for a plain a.
  EXPECT_EQ(Utf8ToAnsi("Ωā€"), "??\x80");
  EXPECT_EQ(WideToUtf8(Utf8ToWide("draft é Ω")), "draft é Ω");
  EXPECT_EQ(Utf8ToAnsi(""), "");
}

// Receives messages posted during a pause.
struct Receiver {
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_APP) ++*reinterpret_cast<int*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  Receiver() {
    WNDCLASSW cls{};
    cls.lpfnWndProc = Proc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"PauseTestReceiver";
    RegisterClassW(&cls);
    hwnd = CreateWindowW(L"PauseTestReceiver", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         cls.hInstance, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&received));
  }
  ~Receiver() { DestroyWindow(hwnd); }
  HWND hwnd;
  int received = 0;
};

TEST(Win32Pause, EndsOnTheMarkAndDispatchesMeanwhile) {
  Win32ClockPump pump;
  Receiver receiver;
  for (int i = 0; i < 3; ++i) {
    PostMessageW(receiver.hwnd, WM_APP, 0, 0);
    const ClockReading start = pump.ReadClock();
    ASSERT_TRUE(WaitSeconds(pump, 1));
    const ClockReading end = pump.ReadClock();
    const double expected = StartMark(start.time_of_day) + 1 - start.time_of_day;
    const double lasted = end.monotonic - start.monotonic;
    EXPECT_GE(lasted, expected - 0.002);
    EXPECT_LE(lasted, expected + 0.1);
  }
  EXPECT_EQ(receiver.received, 3);
}

TEST(Win32Pause, QuitEndsThePauseAndIsPassedOn) {
  Win32ClockPump pump;
  PostQuitMessage(7);
  const ClockReading start = pump.ReadClock();
  EXPECT_FALSE(WaitSeconds(pump, 5));
  EXPECT_LT(pump.ReadClock().monotonic - start.monotonic, 1.0);
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
}  // namespace dizod
