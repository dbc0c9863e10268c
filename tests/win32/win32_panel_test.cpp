// The panel window inside this process, its chat client a recording room:
// the window as built at the display's DPI, shown and activated, its focus,
// the mouse messages of a background click and the end of the session.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <map>

#include "panel/win32_panel_window.h"
#include "tests/support/recording_room.h"

namespace dizod {
namespace {

// Dispatches the panel's messages until `done` holds or `ms` pass.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 3000) {
  for (const DWORD start = GetTickCount(); !done();
       MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
    if (GetTickCount() - start > ms) return false;
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE) && m.message != WM_QUIT;)
      DispatchMessageW(&m);
  }
  return true;
}

// The room comes first, to be there when the window is made.
struct WithRoom {
  std::shared_ptr<RecordingRoom> room = std::make_shared<RecordingRoom>();
};

// A panel of this process. Its end leaves a WM_QUIT, taken off the queue
// again so that the next tests keep a clean one.
struct TestPanel : WithRoom, PanelWindow {
  TestPanel() : PanelWindow(GetModuleHandleW(nullptr), room) { EXPECT_TRUE(Create()); }
  ~TestPanel() {
    if (Hwnd() != nullptr) DestroyWindow(Hwnd());
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  }
  HWND operator[](Control control) const { return ControlWindow(control); }
  void Click(Control button) {
    SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(ControlId(button), BN_CLICKED), 0);
  }
  std::vector<std::string> Lines() {
    const std::lock_guard lock(room->mutex);
    return room->lines;
  }
  void Mouse(UINT message, int x, int y) {
    SendMessageW(Hwnd(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
  }
};

// In pixels: "<inner width>x<height> <left,top,right,bottom of each control,
// in tab order> <the reason font's height, face and weight>".
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
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageW(panel[Control::kReasonBox], WM_GETFONT, 0, 0)),
             sizeof(font), &font);
  return layout + " " + std::to_string(font.lfHeight) + " " + font.lfFaceName + " " +
         std::to_string(font.lfWeight);
}

TEST(PanelWindow, AsBuiltAtTheDisplaysDpiAndAtAnother) {
  const std::map<int, std::string> layouts = {
      {96, "209x43 2,2,207,21 2,24,67,41 72,24,137,41 216,64,265,83 142,24,207,41 -11"},
      {144, "314x65 3,3,310,32 3,36,101,62 108,36,206,62 324,96,398,125 213,36,311,62 -17"},
      {192, "418x86 4,4,413,42 4,48,134,82 144,48,274,82 432,128,530,166 284,48,414,82 -22"}};
  TestPanel panel;
  const char* dpi = std::getenv("DIZOD_DPI");  // as the test run set the display up
  EXPECT_EQ(Layout(panel), layouts.at(dpi ? std::atoi(dpi) : 96) + " OCR A Extended 400");
  RECT suggested{100, 100, 600, 300};  // moved to a monitor of another DPI
  const auto old_font = SendMessageW(panel[Control::kReasonBox], WM_GETFONT, 0, 0);
  SendMessageW(panel.Hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(Layout(panel), layouts.at(192) + " OCR A Extended 400");
  EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(old_font)), 0u);  // freed, not leaked
  // The title, then each control's text, "-" where it is greyed.
  std::wstring texts;
  for (HWND w : {panel.Hwnd(), panel[Control::kReasonBox], panel[Control::kStart],
                 panel[Control::kStop], panel[Control::kCounter], panel[Control::kExit]}) {
    wchar_t text[64] = {};
    GetWindowTextW(w, text, 64);
    texts += std::wstring(IsWindowEnabled(w) ? L"|" : L"|-") + text;
  }
  EXPECT_EQ(texts,
            L"|                    K r \u00E1 n o \u00B7 D i z o d |Reason|\u00B7 Start "
            L"\u00B7|-\u00B7 Stop \u00B7|-0|\u00B7 Exit \u00B7");
  LOGBRUSH background{};
  GetObjectW(reinterpret_cast<HBRUSH>(GetClassLongPtrW(panel.Hwnd(), GCLP_HBRBACKGROUND)),
             sizeof(background), &background);
  EXPECT_EQ(background.lbColor, RGB(192, 192, 192));
  // The program's own icon, resource 1.
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(panel.Hwnd(), GCLP_HICON)),
            LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
  // The reason in the design's blue; the buttons' captions too, but for a
  // disabled one: that is the system's grey.
  const std::unique_ptr<std::remove_pointer_t<HDC>, decltype(&DeleteDC)> dc(
      CreateCompatibleDC(nullptr), &DeleteDC);
  SendMessageW(panel.Hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.get()), 0);
  EXPECT_EQ(GetTextColor(dc.get()), RGB(0, 0, 192));
  for (const UINT state : {0u, static_cast<UINT>(ODS_DISABLED)}) {
    DRAWITEMSTRUCT item{ODT_BUTTON,     0, 0, 0, state, panel[Control::kStop], dc.get(),
                        {0, 0, 60, 20}, 0};
    SendMessageW(panel.Hwnd(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(GetTextColor(dc.get()), state ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 192));
  }
  // Tab: reason box, Start, Exit, and round again; the counter is never reached.
  HWND next = panel[Control::kReasonBox];
  for (Control control : {Control::kStart, Control::kExit, Control::kReasonBox}) {
    EXPECT_EQ(next = GetNextDlgTabItem(panel.Hwnd(), next, FALSE), panel[control]);
  }
}

// Another window of this process holds the activation while `meanwhile`
// runs; then the panel takes it back.
void AwayAndBack(HWND panel, const std::function<void()>& meanwhile) {
  const HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                     100, 100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  meanwhile();
  SetForegroundWindow(panel);
  DestroyWindow(other);
}

// Shown as the program is, maximized or not, the panel opens as the normal
// panel above the other windows, active. As in a dialog: the control that
// had the keyboard focus gets it back when the panel is active again; a
// button that went grey meanwhile hands it to the reason box. Start or Stop
// going grey with the focus hands it to the other.
TEST(PanelWindow, OpensOnTopAndItsFocusComesBackWhereItWasUnlessThatWentGrey) {
  TestPanel panel;
  panel.ShowAndLoad(SW_SHOWMAXIMIZED);
  const HWND p = panel.Hwnd(), reason = panel[Control::kReasonBox], start = panel[Control::kStart];
  ASSERT_TRUE(PumpUntil([&] { return panel.Lines().size() == 3; }));  // the start-up is out
  EXPECT_TRUE(GetWindowLongW(p, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetForegroundWindow() == p && IsWindowVisible(p) && !IsIconic(p) && !IsZoomed(p));
  EXPECT_EQ(SendMessageW(reason, EM_GETSEL, 0, 0), MAKELONG(0, 6));  // the placeholder, selected
  AwayAndBack(p, [] {});
  EXPECT_EQ(GetFocus(), reason);
  SetFocus(start);
  AwayAndBack(p, [] {});
  EXPECT_EQ(GetFocus(), start);
  AwayAndBack(p, [&] {  // held, if the start-up's last line is not yet done
    panel.Click(Control::kStart);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(start); }));
  });
  EXPECT_EQ(GetFocus(), reason);
  SetFocus(panel[Control::kStop]);
  panel.Click(Control::kStop);  // runs once the idle-on is out
  ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(start); }));
  EXPECT_EQ(GetFocus(), start);
  SendMessageW(p, WM_CLOSE, 0, 0);  // off the screen at once, while it signs off
  EXPECT_FALSE(IsWindowVisible(p));
}

// A press and a release on a bare point make an About, judged where each
// happened; the second press of a double click is no click.
TEST(PanelWindow, BackgroundClicksAreAbout) {
  TestPanel panel;
  const struct {
    int x0, y0, x1, y1;
  } presses[] = {{69, 30, 69, 30},    // in the gap between Start and Stop
                 {120, 22, 100, 10},  // from the strip under the reason box onto the box
                 {100, 30, 69, 30},   // from the disabled Stop into the gap
                 {1, 20, 1, 60}};     // off the panel
  for (const auto& p : presses) {
    panel.Mouse(WM_LBUTTONDOWN, p.x0, p.y0);
    panel.Mouse(WM_LBUTTONUP, p.x1, p.y1);
    panel.Mouse(WM_LBUTTONDBLCLK, p.x0, p.y0);
    panel.Mouse(WM_LBUTTONUP, p.x0, p.y0);
  }
  PumpUntil([] { return false; }, 3500);  // one About, whole
  EXPECT_EQ(panel.Lines().size(), 3u);
}

// A logoff that someone cancelled ends with WM_ENDSESSION FALSE: the user
// stays, and so does the panel. One that goes through returns only once the
// sign-off is out, the panel gone.
TEST(PanelWindow, OnlyASessionThatEndsSignsOffAndThenReturns) {
  TestPanel panel;
  SendMessageW(panel.Hwnd(), WM_ENDSESSION, FALSE, 0);
  PumpUntil([] { return false; }, 200);
  ASSERT_TRUE(panel.Lines().empty() && IsWindow(panel.Hwnd()));
  SendMessageW(panel.Hwnd(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(panel.Lines().size(), 3u);
  EXPECT_EQ(panel.Lines().back(), "º·-.· UnActívated ·.-·º");
  EXPECT_EQ(panel.Hwnd(), nullptr);
}

// A client that holds the sign-off's first Enter keeps our line in its box:
// the panel is gone once no more lines may go out, 6 s on, and the worker
// still has until 7.2 s for the box to send it before the draft goes back.
TEST(PanelWindow, AtTheEndTheWorkerWaitsOnTheClientUntilTheCut) {
  TestPanel panel;
  panel.room->time_out = "enter";
  const DWORD start = GetTickCount();
  SendMessageW(panel.Hwnd(), WM_ENDSESSION, TRUE, 0);
  EXPECT_GE(GetTickCount() - start, 7000u);
  EXPECT_TRUE(panel.Lines().empty());
}

}  // namespace
}  // namespace dizod
