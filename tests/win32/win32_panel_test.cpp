// The Win32 side inside one process: the panel window as built, shown and
// activated, the text conversion at the chat client's edge, and the real
// pause's clock and pump.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

#include "panel/win32_panel_window.h"
#include "chat/pause.h"
#include "chat/win32_clock_pump.h"
#include "chat/win32_handle.h"
#include "chat/win32_text.h"

namespace dizod {
namespace {

// The display's DPI as the test run set it up (96 unless told otherwise).
int ScreenDpi() {
  const char* dpi = std::getenv("DIZOD_DPI");
  return dpi != nullptr ? std::atoi(dpi) : 96;
}

// A panel of this process, created. Destroying it ends the program: its
// WM_QUIT is taken off the queue again so that the next tests keep a clean one.
struct TestPanel : PanelWindow {
  TestPanel() : PanelWindow(GetModuleHandleW(nullptr)) { EXPECT_TRUE(Create()); }
  ~TestPanel() {
    DestroyWindow(Hwnd());
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  }
};

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

// How many pixels of the colour the button's face has inside its frame (whose
// shadow may share a caption's grey), as the panel draws it.
int PixelsOf(HWND button, COLORREF colour) {
  RECT face{};
  GetClientRect(button, &face);
  const ScreenDc screen(GetDC(nullptr));
  const std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter> bitmap(
      CreateCompatibleBitmap(screen.get(), face.right, face.bottom));
  const std::unique_ptr<std::remove_pointer_t<HDC>, decltype(&DeleteDC)> dc(
      CreateCompatibleDC(screen.get()), &DeleteDC);
  SelectObject(dc.get(), bitmap.get());
  SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
  constexpr int kFrame = 3;
  int count = 0;
  for (int x = kFrame; x < face.right - kFrame; ++x) {
    for (int y = kFrame; y < face.bottom - kFrame; ++y) count += GetPixel(dc.get(), x, y) == colour;
  }
  return count;
}

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

std::wstring TextOf(HWND window) {
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  return text;
}

// The panel as built: its layout, fonts and colours, the title and the
// controls' captions, and the order Tab goes in.
TEST(PanelWindow, AsBuiltAtTheDisplaysDpi) {
  TestPanel panel;
  ExpectLayout(panel, ScreenDpi());

  const LOGFONTW lf = ReasonFont(panel);
  EXPECT_STREQ(lf.lfFaceName, L"OCR A Extended");
  EXPECT_EQ(lf.lfWeight, 400);
  // The buttons keep the system's font.
  EXPECT_NE(SendMessageW(panel.ControlWindow(Control::kCommand1), WM_GETFONT, 0, 0),
            SendMessageW(panel.ControlWindow(Control::kText1), WM_GETFONT, 0, 0));

  const ScreenDc dc(GetDC(nullptr));
  SendMessageW(panel.Hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.get()),
               reinterpret_cast<LPARAM>(panel.ControlWindow(Control::kText1)));
  EXPECT_EQ(GetTextColor(dc.get()), RGB(0, 0, 192));
  // The buttons' captions too, but for a disabled one: that is the system's grey.
  HWND start = panel.ControlWindow(Control::kCommand1),
       stop = panel.ControlWindow(Control::kCommand2);
  EXPECT_GT(PixelsOf(start, RGB(0, 0, 192)), 0);
  EXPECT_EQ(PixelsOf(stop, RGB(0, 0, 192)), 0);
  EXPECT_GT(PixelsOf(stop, GetSysColor(COLOR_GRAYTEXT)), 0);

  HWND hwnd = panel.Hwnd();
  // 20 blanks, then the letters each followed by one blank.
  EXPECT_EQ(TextOf(hwnd), L"                    K r \u00E1 n o \u00B7 D i z o d ");
  const struct {
    Control control;
    const wchar_t* text;
    bool enabled;
  } expected[] = {{Control::kText1, L"Reason", true},
                  {Control::kText2, L"0", false},
                  {Control::kCommand1, L"\u00B7 Start \u00B7", true},
                  {Control::kCommand2, L"\u00B7 Stop \u00B7", false},
                  {Control::kCommand3, L"\u00B7 Exit \u00B7", true}};
  for (const auto& control : expected) {
    EXPECT_EQ(TextOf(panel.ControlWindow(control.control)), control.text);
    EXPECT_EQ(IsWindowEnabled(panel.ControlWindow(control.control)) != FALSE, control.enabled);
  }
  LOGBRUSH background{};
  GetObjectW(reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND)),
             sizeof(background), &background);
  EXPECT_EQ(background.lbColor, RGB(192, 192, 192));

  // Tab: reason box, Start, Exit, and round again; the counter is never reached.
  HWND text1 = panel.ControlWindow(Control::kText1);
  HWND next = GetNextDlgTabItem(hwnd, text1, FALSE);
  EXPECT_EQ(next, panel.ControlWindow(Control::kCommand1));
  next = GetNextDlgTabItem(hwnd, next, FALSE);
  EXPECT_EQ(next, panel.ControlWindow(Control::kCommand3));
  EXPECT_EQ(GetNextDlgTabItem(hwnd, next, FALSE), text1);
}

// A window of this process that holds the activation while the panel has not.
struct OtherWindow {
  OtherWindow() {
    hwnd = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
  }
  ~OtherWindow() { DestroyWindow(hwnd); }
  HWND hwnd;
};

struct ShowCommand {
  const char* name;
  int command;
  bool activates;
};

class ShownWith : public ::testing::TestWithParam<ShowCommand> {};

// The panel has one size and no taskbar button: whatever it is shown with, it
// opens as the normal panel, above the other windows, and takes the
// activation only when asked to.
TEST_P(ShownWith, OpensAsTheNormalPanelAndTakesTheActivationOnlyWhenAsked) {
  OtherWindow other;
  ASSERT_EQ(GetForegroundWindow(), other.hwnd);
  TestPanel panel;
  panel.ShowAndLoad(GetParam().command);
  panel.KeepOnTop();
  EXPECT_TRUE(IsWindowVisible(panel.Hwnd()));
  EXPECT_FALSE(IsIconic(panel.Hwnd()));
  EXPECT_FALSE(IsZoomed(panel.Hwnd()));
  EXPECT_TRUE(GetWindowLongW(panel.Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetForegroundWindow(), GetParam().activates ? panel.Hwnd() : other.hwnd);
}

INSTANTIATE_TEST_SUITE_P(Win32, ShownWith,
                         ::testing::Values(ShowCommand{"normal", SW_SHOWNORMAL, true},
                                           ShowCommand{"maximized", SW_SHOWMAXIMIZED, true},
                                           ShowCommand{"minimized", SW_SHOWMINIMIZED, true},
                                           ShowCommand{"minimized_not_active", SW_SHOWMINNOACTIVE,
                                                       false},
                                           ShowCommand{"minimize", SW_MINIMIZE, false},
                                           ShowCommand{"force_minimize", SW_FORCEMINIMIZE, false},
                                           ShowCommand{"not_active", SW_SHOWNOACTIVATE, false},
                                           ShowCommand{"as_it_is", SW_SHOWNA, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// As in a dialog: the control that had the keyboard focus gets it back, with
// its caret, when the panel is active again.
TEST(PanelWindow, FocusReturnsToTheControlThatHadItWhenThePanelIsActiveAgain) {
  TestPanel panel;
  panel.ShowAndLoad(SW_SHOWNORMAL);
  HWND text1 = panel.ControlWindow(Control::kText1);
  HWND start = panel.ControlWindow(Control::kCommand1);
  ASSERT_EQ(GetFocus(), text1);
  DWORD from = 0, to = 0;
  SendMessageW(text1, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);  // the first time the whole placeholder is selected
  EXPECT_EQ(to, 6u);
  SendMessageW(text1, EM_SETSEL, 2, 2);

  const auto leave_and_come_back = [&panel](const std::function<void()>& meanwhile = {}) {
    OtherWindow other;
    ASSERT_EQ(GetForegroundWindow(), other.hwnd);
    if (meanwhile) meanwhile();
    SetForegroundWindow(panel.Hwnd());
    ASSERT_EQ(GetForegroundWindow(), panel.Hwnd());
  };
  leave_and_come_back();
  EXPECT_EQ(GetFocus(), text1);
  SendMessageW(text1, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 2u);
  EXPECT_EQ(to, 2u);

  SetFocus(start);
  leave_and_come_back();
  EXPECT_EQ(GetFocus(), start);

  // A button that went grey while the panel was away gets no focus back: a
  // Start deferred behind a sequence may run just then.
  leave_and_come_back([&panel] { panel.SetEnabled(Control::kCommand1, false); });
  EXPECT_EQ(GetFocus(), text1);
}

// Moved to a monitor of another DPI, the panel lays itself out anew.
TEST(PanelWindow, FollowsAChangeOfDpi) {
  TestPanel panel;
  RECT suggested{100, 100, 600, 300};
  SendMessageW(panel.Hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  ExpectLayout(panel, 192);
}

// A button that goes grey hands its keyboard focus to the reason box; one
// that goes grey without the focus leaves it where it is.
TEST(PanelWindow, DisabledButtonHandsItsFocusToTheReasonBox) {
  TestPanel panel;
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

// Counts the timer messages dispatched during a pause.
int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR timer, DWORD) {
  ++g_ticks;
  KillTimer(nullptr, timer);
}

TEST(Win32Pause, EndsOnTheMarkAndDispatchesMeanwhile) {
  Win32ClockPump pump;
  for (int i = 0; i < 3; ++i) {
    SetTimer(nullptr, 0, 10, CountTick);
    const ClockReading start = pump.ReadClock();
    ASSERT_TRUE(WaitSeconds(pump, 1));
    const ClockReading end = pump.ReadClock();
    // The mark: the time of day rounded to the whole second, a half to even.
    const double expected = std::nearbyint(start.time_of_day) + 1 - start.time_of_day;
    const double lasted = end.monotonic - start.monotonic;
    EXPECT_GE(lasted, expected - 0.002);
    EXPECT_LE(lasted, expected + 0.1);
  }
  EXPECT_EQ(g_ticks, 3);
}

// The pauses start on the whole second of the time of day: its fraction counts.
TEST(Win32Clock, TimeOfDayKeepsPaceWithTheMonotonicClockToTheMillisecond) {
  Win32ClockPump pump;
  const ClockReading start = pump.ReadClock();
  Sleep(250);
  const ClockReading end = pump.ReadClock();
  EXPECT_NEAR(end.time_of_day - start.time_of_day, end.monotonic - start.monotonic, 0.03);
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
