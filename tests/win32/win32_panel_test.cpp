// The Win32 side inside one process: the panel window as built, the text
// conversion at the chat client's edge, and the real pause's clock and pump.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

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

// The panel in pixels at 96, 144 and 192 DPI, within the inner area.
constexpr int kDpis[] = {96, 144, 192};
struct Box {
  int left, top, width, height;
};
struct ControlBoxes {
  Control control;
  Box at[3];
};
// clang-format off
constexpr ControlBoxes kBoxes[] = {
    //                   96 DPI              144 DPI             192 DPI
    {Control::kText1,    {{2, 2, 205, 19},   {3, 3, 307, 29},    {4, 4, 409, 38}}},
    {Control::kCommand1, {{2, 24, 65, 17},   {3, 36, 98, 26},    {4, 48, 130, 34}}},
    {Control::kCommand2, {{72, 24, 65, 17},  {108, 36, 98, 26},  {144, 48, 130, 34}}},
    {Control::kCommand3, {{142, 24, 65, 17}, {213, 36, 98, 26},  {284, 48, 130, 34}}},
    {Control::kText2,    {{216, 64, 49, 19}, {324, 96, 74, 29},  {432, 128, 98, 38}}},
};
// clang-format on
constexpr SIZE kInnerArea[] = {{209, 43}, {314, 65}, {418, 86}};
// 8.25 points; 8.5 points would give the same at 96 and 144 DPI, but -23 at 192.
constexpr LONG kReasonFontHeight[] = {-11, -17, -22};

LOGFONTW ReasonFont(const PanelWindow& panel) {
  LOGFONTW lf{};
  const auto font =
      reinterpret_cast<HFONT>(SendMessageW(panel.ControlWindow(Control::kText1), WM_GETFONT, 0, 0));
  EXPECT_NE(GetObjectW(font, sizeof(lf), &lf), 0);
  return lf;
}

void ExpectLayout(const PanelWindow& panel, int dpi) {
  const auto at = std::find(std::begin(kDpis), std::end(kDpis), dpi) - std::begin(kDpis);
  ASSERT_LT(at, 3) << "no layout written down for " << dpi << " DPI";
  RECT inner{};
  GetClientRect(panel.Hwnd(), &inner);
  EXPECT_EQ(inner.right, kInnerArea[at].cx);
  EXPECT_EQ(inner.bottom, kInnerArea[at].cy);
  for (const ControlBoxes& expected : kBoxes) {
    RECT r{};
    GetWindowRect(panel.ControlWindow(expected.control), &r);
    MapWindowPoints(nullptr, panel.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
    const Box& box = expected.at[at];
    const int control = static_cast<int>(expected.control);
    EXPECT_EQ(r.left, box.left) << control;
    EXPECT_EQ(r.top, box.top) << control;
    EXPECT_EQ(r.right - r.left, box.width) << control;
    EXPECT_EQ(r.bottom - r.top, box.height) << control;
  }
  EXPECT_EQ(ReasonFont(panel).lfHeight, kReasonFontHeight[at]);
}

TEST(PanelWindow, LayoutAndReasonBoxAtTheDisplaysDpi) {
  PanelWindow panel(GetModuleHandleW(nullptr));
  ASSERT_TRUE(panel.Create());
  ExpectLayout(panel, ScreenDpi());

  const LOGFONTW lf = ReasonFont(panel);
  EXPECT_STREQ(lf.lfFaceName, L"OCR A Extended");
  EXPECT_EQ(lf.lfWeight, 400);
  EXPECT_EQ(lf.lfCharSet, 0);
  EXPECT_FALSE(lf.lfItalic || lf.lfUnderline || lf.lfStrikeOut);
  // The buttons keep the system's font.
  EXPECT_NE(SendMessageW(panel.ControlWindow(Control::kCommand1), WM_GETFONT, 0, 0),
            SendMessageW(panel.ControlWindow(Control::kText1), WM_GETFONT, 0, 0));

  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(panel.Hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(panel.ControlWindow(Control::kText1)));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 192));
  DeleteDC(dc);
  Destroy(panel);
}

// Moved to a monitor of another DPI, the panel lays itself out anew.
TEST(PanelWindow, FollowsAChangeOfDpi) {
  PanelWindow panel(GetModuleHandleW(nullptr));
  ASSERT_TRUE(panel.Create());
  RECT suggested{100, 100, 600, 300};
  SendMessageW(panel.Hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  ExpectLayout(panel, 192);
  Destroy(panel);
}

// Pumps the thread's messages for `ms` and returns when each WM_TIMER for
// `hwnd` came, in milliseconds from the start.
std::vector<ULONGLONG> TicksDuring(HWND hwnd, ULONGLONG ms) {
  std::vector<ULONGLONG> ticks;
  const ULONGLONG start = GetTickCount64();
  for (ULONGLONG now = start; now - start < ms; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms - (now - start)),
                              QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_TIMER && message.hwnd == hwnd) {
        ticks.push_back(GetTickCount64() - start);
      }
      DispatchMessageW(&message);
    }
  }
  return ticks;
}

TEST(PanelWindow, TimerTicksEverySecondWhileOn) {
  PanelWindow panel(GetModuleHandleW(nullptr));
  ASSERT_TRUE(panel.Create());
  panel.SetEnabled(Control::kTimer1, true);
  const std::vector<ULONGLONG> on = TicksDuring(panel.Hwnd(), 2500);
  ASSERT_EQ(on.size(), 2u);
  EXPECT_NEAR(static_cast<double>(on[0]), 1000, 150);
  EXPECT_NEAR(static_cast<double>(on[1]), 2000, 150);
  panel.SetEnabled(Control::kTimer1, false);
  EXPECT_TRUE(TicksDuring(panel.Hwnd(), 1300).empty());
  Destroy(panel);
}

// A button that goes grey hands its keyboard focus to the reason box; one
// that goes grey without the focus leaves it where it is.
TEST(PanelWindow, DisabledButtonHandsItsFocusToTheReasonBox) {
  PanelWindow panel(GetModuleHandleW(nullptr));
  ASSERT_TRUE(panel.Create());
  ShowWindow(panel.Hwnd(), SW_SHOW);
  HWND text1 = panel.ControlWindow(Control::kText1);
  HWND start = panel.ControlWindow(Control::kCommand1);
  HWND exit = panel.ControlWindow(Control::kCommand3);

  SetFocus(start);
  ASSERT_EQ(GetFocus(), start);
  panel.SetEnabled(Control::kCommand1, false);
  EXPECT_EQ(GetFocus(), text1);

  panel.SetEnabled(Control::kCommand2, true);
  SetFocus(exit);
  ASSERT_EQ(GetFocus(), exit);
  panel.SetEnabled(Control::kCommand2, false);
  EXPECT_EQ(GetFocus(), exit);
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
    // The mark: the time of day rounded to the whole second, a half to even.
    const double expected = std::nearbyint(start.time_of_day) + 1 - start.time_of_day;
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
