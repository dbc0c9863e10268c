// The panel window inside this process, its chat client a recording room:
// the window as built at the display's DPI, shown and activated, its focus,
// the mouse messages of a background click and the end of the session.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>

#include "chat/win32_handle.h"
#include "panel/win32_panel_window.h"
#include "tests/support/recording_room.h"

namespace dizod {
namespace {

const std::string kBanner = "º·-.· Kráno Dizod ·.-·º";

// Dispatches the panel's messages until `done` holds or `ms` pass.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 3000) {
  for (const DWORD start = GetTickCount(); !done();) {
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) {
      DispatchMessageW(&message);
    }
  }
  return true;
}

// A panel of this process. Its end leaves a WM_QUIT, taken off the queue
// again so that the next tests keep a clean one.
struct TestPanel : PanelWindow {
  explicit TestPanel(std::shared_ptr<RecordingRoom> r = std::make_shared<RecordingRoom>())
      : PanelWindow(GetModuleHandleW(nullptr), r), room(r) {
    EXPECT_TRUE(Create());
  }
  ~TestPanel() {
    if (Hwnd() != nullptr) DestroyWindow(Hwnd());
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  }
  HWND operator[](Control control) const { return ControlWindow(control); }
  void Click(Control button) {
    SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(ControlId(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(ControlWindow(button)));
  }
  void Mouse(UINT message, int x, int y) {
    SendMessageW(Hwnd(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
  }
  std::shared_ptr<RecordingRoom> room;
};

std::wstring TextOf(HWND window) {
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  return text;
}

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
  int count = 0;  // inside the frame, whose shadow may share the grey
  for (int x = 3; x < face.right - 3; ++x) {
    for (int y = 3; y < face.bottom - 3; ++y) count += GetPixel(dc.get(), x, y) == colour;
  }
  return count;
}

// "<inner width>x<height> <left,top,right,bottom of each control> <reason
// font's height>", in pixels, the controls in tab order.
std::string Layout(const TestPanel& panel) {
  RECT r{};
  GetClientRect(panel.Hwnd(), &r);
  std::string layout = std::to_string(r.right) + "x" + std::to_string(r.bottom);
  for (int i = 0; i < 5; ++i) {
    GetWindowRect(panel[static_cast<Control>(i)], &r);
    MapWindowPoints(nullptr, panel.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
    const LONG edges[] = {r.left, r.top, r.right, r.bottom};
    for (int e = 0; e < 4; ++e) layout.append(e ? "," : " ").append(std::to_string(edges[e]));
  }
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(panel[Control::kReasonBox], WM_GETFONT, 0, 0)),
             sizeof(font), &font);
  return layout + " " + std::to_string(font.lfHeight);
}

const std::map<int, std::string> kLayouts = {
    {96, "209x43 2,2,207,21 2,24,67,41 72,24,137,41 216,64,265,83 142,24,207,41 -11"},
    {144, "314x65 3,3,310,32 3,36,101,62 108,36,206,62 324,96,398,125 213,36,311,62 -17"},
    {192, "418x86 4,4,413,42 4,48,134,82 144,48,274,82 432,128,530,166 284,48,414,82 -22"},
};

TEST(PanelWindow, AsBuiltAtTheDisplaysDpiAndAtAnother) {
  TestPanel panel;
  const char* dpi = std::getenv("DIZOD_DPI");  // as the test run set the display up
  EXPECT_EQ(Layout(panel), kLayouts.at(dpi != nullptr ? std::atoi(dpi) : 96));
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(panel[Control::kReasonBox], WM_GETFONT, 0, 0)),
             sizeof(font), &font);
  EXPECT_EQ(std::wstring(font.lfFaceName) + L" " + std::to_wstring(font.lfWeight),
            L"OCR A Extended 400");
  EXPECT_EQ(TextOf(panel.Hwnd()), L"                    K r \u00E1 n o \u00B7 D i z o d ");
  const wchar_t* texts[] = {L"Reason", L"\u00B7 Start \u00B7", L"\u00B7 Stop \u00B7", L"0",
                            L"\u00B7 Exit \u00B7"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(TextOf(panel[static_cast<Control>(i)]), texts[i]);
    EXPECT_EQ(IsWindowEnabled(panel[static_cast<Control>(i)]) != FALSE, i != 2 && i != 3) << i;
  }
  LOGBRUSH background{};
  GetObjectW(reinterpret_cast<HBRUSH>(GetClassLongPtrW(panel.Hwnd(), GCLP_HBRBACKGROUND)),
             sizeof(background), &background);
  EXPECT_EQ(background.lbColor, RGB(192, 192, 192));
  const ScreenDc dc(GetDC(nullptr));
  SendMessageW(panel.Hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.get()),
               reinterpret_cast<LPARAM>(panel[Control::kReasonBox]));
  EXPECT_EQ(GetTextColor(dc.get()), RGB(0, 0, 192));
  // The buttons' captions too, but for a disabled one: that is the system's grey.
  EXPECT_GT(PixelsOf(panel[Control::kStart], RGB(0, 0, 192)), 0);
  EXPECT_EQ(PixelsOf(panel[Control::kStop], RGB(0, 0, 192)), 0);
  EXPECT_GT(PixelsOf(panel[Control::kStop], GetSysColor(COLOR_GRAYTEXT)), 0);
  // Tab: reason box, Start, Exit, and round again; the counter is never reached.
  HWND next = panel[Control::kReasonBox];
  for (Control control : {Control::kStart, Control::kExit, Control::kReasonBox}) {
    next = GetNextDlgTabItem(panel.Hwnd(), next, FALSE);
    EXPECT_EQ(next, panel[control]);
  }
  RECT suggested{100, 100, 600, 300};  // moved to a monitor of another DPI
  SendMessageW(panel.Hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(Layout(panel), kLayouts.at(192));
  // The icon: seven images, their sizes and depths (the tests carry the
  // program's resources).
  const auto* group = static_cast<const BYTE*>(LockResource(
      LoadResource(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)))));
  ASSERT_NE(group, nullptr);
  std::string images;
  for (int i = 0; i < group[4]; ++i)
    images += std::to_string(group[6 + 14 * i]) + "/" + std::to_string(group[12 + 14 * i]) + " ";
  EXPECT_EQ(images, "32/4 32/24 48/24 64/24 72/4 72/8 72/24 ");
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

// The panel has one size and no taskbar button: whatever it is shown with, it
// opens as the normal panel above the other windows, posts its start-up, and
// takes the activation only when asked to.
TEST(PanelWindow, ShownWithAnyCommandOpensAsTheNormalTopmostPanel) {
  const struct {
    int command;
    bool activates;
  } commands[] = {{SW_SHOWNORMAL, true},       {SW_SHOWMAXIMIZED, true}, {SW_SHOWMINIMIZED, true},
                  {SW_SHOWMINNOACTIVE, false}, {SW_MINIMIZE, false},     {SW_FORCEMINIMIZE, false},
                  {SW_SHOWNOACTIVATE, false},  {SW_SHOWNA, false}};
  for (const auto& shown : commands) {
    OtherWindow other;
    ASSERT_EQ(GetForegroundWindow(), other.hwnd);
    TestPanel panel;
    panel.ShowAndLoad(shown.command);
    ASSERT_TRUE(PumpUntil([&] { return !panel.room->Lines().empty(); })) << shown.command;
    EXPECT_EQ(panel.room->Lines()[0], kBanner);
    EXPECT_TRUE(IsWindowVisible(panel.Hwnd()) && !IsIconic(panel.Hwnd()) && !IsZoomed(panel.Hwnd()))
        << shown.command;
    EXPECT_TRUE(GetWindowLongW(panel.Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) << shown.command;
    EXPECT_EQ(GetForegroundWindow(), shown.activates ? panel.Hwnd() : other.hwnd) << shown.command;
  }
}

// As in a dialog: the control that had the keyboard focus gets it back, with
// its caret, when the panel is active again; a button that went grey
// meanwhile hands it to the reason box. Start or Stop going grey with the
// focus hands it to the other.
TEST(PanelWindow, FocusComesBackWhereItWasUnlessThatWentGrey) {
  TestPanel panel;
  panel.ShowAndLoad(SW_SHOWNORMAL);
  HWND reason = panel[Control::kReasonBox], start = panel[Control::kStart];
  ASSERT_EQ(GetFocus(), reason);
  DWORD from = 0, to = 0;
  SendMessageW(reason, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(to - from, 6u);  // the first time the whole placeholder is selected
  SendMessageW(reason, EM_SETSEL, 2, 2);
  const auto away_and_back = [&panel](const std::function<void()>& meanwhile) {
    OtherWindow other;
    ASSERT_EQ(GetForegroundWindow(), other.hwnd);
    meanwhile();
    SetForegroundWindow(panel.Hwnd());
  };
  away_and_back([] {});
  EXPECT_EQ(GetFocus(), reason);
  SendMessageW(reason, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from * 10 + to, 22u);
  SetFocus(start);
  away_and_back([] {});
  EXPECT_EQ(GetFocus(), start);
  away_and_back([&panel] { panel.Click(Control::kStart); });
  EXPECT_EQ(GetFocus(), reason);
  SetFocus(panel[Control::kStop]);
  panel.Click(Control::kStop);  // runs once the idle-on is out
  ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(start); }));
  EXPECT_EQ(GetFocus(), start);
  SetFocus(panel[Control::kExit]);
  panel.Click(Control::kStart);  // a button going grey without the focus leaves it
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowEnabled(start); }));
  EXPECT_EQ(GetFocus(), panel[Control::kExit]);
}

// A press and a release on a bare point make an About, judged where each
// happened; the second press of a double click is no click.
TEST(PanelWindow, BackgroundClicksAreAbout) {
  TestPanel panel;
  const auto abouts = [&panel] {
    PumpUntil([] { return false; }, 200);
    return panel.room->Lines().size();
  };
  panel.Mouse(WM_LBUTTONDOWN, 69, 30);  // the gap between Start and Stop
  panel.Mouse(WM_LBUTTONUP, 69, 30);
  panel.Mouse(WM_LBUTTONDBLCLK, 69, 30);
  panel.Mouse(WM_LBUTTONUP, 69, 30);
  EXPECT_EQ(abouts(), 1u);
  panel.Mouse(WM_LBUTTONDOWN, 120, 22);  // the strip under the reason box...
  panel.Mouse(WM_LBUTTONUP, 100, 10);    // ...released on the reason box
  panel.Mouse(WM_LBUTTONDOWN, 100, 30);  // the disabled Stop...
  panel.Mouse(WM_LBUTTONUP, 69, 30);     // ...released in the gap
  panel.Mouse(WM_LBUTTONDOWN, 1, 20);
  panel.Mouse(WM_LBUTTONUP, 1, 60);  // below the panel
  panel.Mouse(WM_LBUTTONDOWN, 69, 30);
  SetCapture(panel[Control::kReasonBox]);  // someone else took the mouse
  panel.Mouse(WM_LBUTTONUP, 69, 30);
  ReleaseCapture();
  EXPECT_EQ(abouts(), 1u);
}

// A logoff that someone cancelled ends with WM_ENDSESSION FALSE: the user
// stays, and so does the panel. One that goes through returns only once the
// sign-off is out, the panel gone. A line of a sequence goes when the local
// clock shows the one before it done, rounded to the whole second, plus one.
TEST(PanelWindow, OnlyASessionThatEndsSignsOffAndThenReturns) {
  TestPanel panel;
  EXPECT_EQ(SendMessageW(panel.Hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageW(panel.Hwnd(), WM_ENDSESSION, FALSE, 0);
  PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(panel.room->Lines().empty());
  ASSERT_TRUE(IsWindow(panel.Hwnd()));
  SendMessageW(panel.Hwnd(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(panel.room->Lines(), (std::vector<std::string>{kBanner, "º·-.·  By: Krano  ·.-·º",
                                                           "º·-.· UnActívated ·.-·º"}));
  EXPECT_EQ(panel.Hwnd(), nullptr);
  const auto at = panel.room->Times();
  for (int i = 1; i < 3; ++i) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(at[i] - at[i - 1]);
    EXPECT_NEAR(ms.count(), 1000, 540) << i;
    EXPECT_LT(
        std::chrono::duration_cast<std::chrono::milliseconds>(at[i].time_since_epoch()).count() %
            1000,
        40);
  }
}

}  // namespace
}  // namespace dizod
