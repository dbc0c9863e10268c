#include "panel/win32_panel_window.h"

#include <windowsx.h>

#include <cmath>
#include <string_view>
#include <utility>

#include "chat/win32_text.h"
#include "panel/design.h"
#include "panel/win32_resource.h"

namespace dizod {

namespace {

// The load, queued behind the panel's showing; and the worker's news that
// its line is done.
constexpr UINT kLoadMessage = WM_APP + 1;
constexpr UINT kLineDoneMessage = WM_APP + 2;
// Wakes the panel at the moment it asked for.
constexpr UINT_PTR kDueTimerId = 1;

COLORREF ToColorRef(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The DPI the system metrics are given in.
int SystemDpi() {
  const ScreenDc screen(GetDC(nullptr));
  return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

Moment Now() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  LARGE_INTEGER ticks, frequency;
  QueryPerformanceCounter(&ticks);
  QueryPerformanceFrequency(&frequency);
  return {
      local.wHour * 3600.0 + local.wMinute * 60.0 + local.wSecond + local.wMilliseconds / 1000.0,
      static_cast<double>(ticks.QuadPart) / static_cast<double>(frequency.QuadPart)};
}

// Windows 10 and later know each monitor's DPI; earlier ones only the system's.
int WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  const auto get_dpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi != nullptr) {
    if (const UINT dpi = get_dpi(hwnd)) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

HFONT CreateReasonFont(int dpi) {
  const std::wstring face = Utf8ToWide(kReasonFontFace);
  constexpr int kCentiPointsPerInch = 7200;
  // Negative: the height of the characters, not of their cells.
  const int height = -MulDiv(kReasonFontCentiPoints, dpi, kCentiPointsPerInch);
  return CreateFontW(height, 0, 0, 0, kReasonFontWeight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

// The system's message font, at the panel's DPI.
HFONT CreateUiFont(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, SystemDpi());
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

bool RegisterPanelClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof(cls);
  // The second press of a double click comes as a double-click message, so
  // that a double click on the background is one click on it.
  cls.style = CS_DBLCLKS;
  cls.lpfnWndProc = procedure;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  cls.lpszClassName = kPanelClassName;
  // The small icon is taken from the same resource, at its own size.
  cls.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_DIZOD));
  return RegisterClassExW(&cls) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The panel's window controls, in tab order, with their initial values.
struct ControlSpec {
  Control control;
  const wchar_t* cls;
  DWORD style;
  DWORD ex_style;
  const TwipsRect& rect;
  std::string_view text;
  bool enabled;
};
constexpr DWORD kEditStyle = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButtonStyle = WS_TABSTOP | BS_OWNERDRAW;
const ControlSpec kControls[] = {
    {Control::kReasonBox, L"EDIT", kEditStyle, WS_EX_CLIENTEDGE, kReasonBoxRect, kInitialReason,
     true},
    {Control::kStart, L"BUTTON", kButtonStyle, 0, kStartRect, kStartCaption, true},
    {Control::kStop, L"BUTTON", kButtonStyle, 0, kStopRect, kStopCaption, false},
    {Control::kCounter, L"EDIT", kEditStyle, WS_EX_CLIENTEDGE, kCounterRect, "0", false},
    {Control::kExit, L"BUTTON", kButtonStyle, 0, kExitRect, kExitCaption, true},
};

// The panel has one size and no taskbar button to bring it back from an icon:
// whatever it is started with, it opens as the normal panel. Only a request
// not to take the focus from the user's window is kept.
int NormalShowCommand(int requested) {
  const bool keep_focus = requested == SW_SHOWNOACTIVATE || requested == SW_SHOWNA ||
                          requested == SW_SHOWMINNOACTIVE || requested == SW_MINIMIZE ||
                          requested == SW_FORCEMINIMIZE;
  return keep_focus ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL;
}

POINT PointOf(LPARAM lparam) {
  return {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
}

}  // namespace

PanelWindow::PanelWindow(HINSTANCE instance, std::shared_ptr<WindowOps> ops)
    : instance_(instance),
      ops_(std::move(ops)),
      panel_([this] { return ReasonText(); },
             [this](std::string line) { return handover_->Hand(std::move(line)); }) {}

bool PanelWindow::Create() {
  if (!RegisterPanelClass(instance_, WindowProc)) return false;
  // Top right of the work area, out of the way of the chat client's middle.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const std::wstring title = Utf8ToWide(kTitle);
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kPanelClassName, title.c_str(),
                  WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, work.right - 400, work.top + 40, 300,
                  100, nullptr, nullptr, instance_, this);
  if (hwnd_ == nullptr) return false;
  const HWND panel = hwnd_;
  handover_.emplace(ops_, [panel] { PostMessageW(panel, kLineDoneMessage, 0, 0); });
  return true;
}

void PanelWindow::ShowAndLoad(int show_command) {
  const int normal = NormalShowCommand(show_command);
  ShowWindow(hwnd_, normal);
  // Windows may give a program's first window the show command it was
  // started with, whatever the program asks for.
  if (IsIconic(hwnd_) || IsZoomed(hwnd_)) ShowWindow(hwnd_, normal);
  UpdateWindow(hwnd_);
  PostMessageW(hwnd_, kLoadMessage, 0, 0);
}

LRESULT CALLBACK PanelWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                         LPARAM lparam) noexcept {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<PanelWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<PanelWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->HandleMessage(message, wparam, lparam);
}

LRESULT PanelWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_TIMER:
      OnTimer(wparam);
      return 0;
    case WM_LBUTTONDOWN:
      OnLButtonDown(PointOf(lparam), true);
      return 0;
    case WM_LBUTTONDBLCLK:
      OnLButtonDown(PointOf(lparam), false);
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp(PointOf(lparam));
      return 0;
    case WM_CAPTURECHANGED:
      background_pressed_ = false;  // the press went elsewhere: no click
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wparam) != WA_INACTIVE);
      return 0;
    case WM_CTLCOLOREDIT:
      return OnCtlColorEdit(reinterpret_cast<HDC>(wparam));
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_ENDSESSION:
      if (wparam != FALSE) OnEndSession();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_NCDESTROY:  // the last message: nothing is left to destroy
      return DefWindowProcW(std::exchange(hwnd_, nullptr), message, wparam, lparam);
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case kLoadMessage:
      OnLoad();
      return 0;
    case kLineDoneMessage:
      OnLineDone();
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wparam, lparam);
  }
}

void PanelWindow::OnCreate() {
  // The stacking order of the controls is what Tab follows.
  HWND previous = HWND_TOP;
  for (const ControlSpec& spec : kControls) {
    HWND window = CreateWindowExW(
        spec.ex_style, spec.cls, Utf8ToWide(spec.text).c_str(),
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (spec.enabled ? 0 : WS_DISABLED) | spec.style, 0,
        0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(spec.control))),
        instance_, nullptr);
    SetWindowPos(window, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = window;
  }
  ApplyDpi(WindowDpi(hwnd_));
}

void PanelWindow::ApplyDpi(int dpi) {
  dpi_ = dpi;
  // The old fonts go only once no control uses them any more.
  UniqueFont reason_font(CreateReasonFont(dpi));
  UniqueFont ui_font(CreateUiFont(dpi));
  for (const ControlSpec& spec : kControls) {
    const TwipsRect& r = spec.rect;
    HWND window = ControlWindow(spec.control);
    MoveWindow(window, Pixels(r.left), Pixels(r.top), Pixels(r.width), Pixels(r.height), TRUE);
    const HFONT font = spec.control == Control::kReasonBox ? reason_font.get() : ui_font.get();
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  reason_font_ = std::move(reason_font);
  ui_font_ = std::move(ui_font);
  SizeInnerArea();
}

// Sizes the window so that its inner area is exactly the panel's, whatever
// the frame's metrics are.
void PanelWindow::SizeInnerArea() {
  RECT window{}, inner{};
  GetWindowRect(hwnd_, &window);
  GetClientRect(hwnd_, &inner);
  const int width =
      Pixels(kInnerWidthTwips) + (window.right - window.left) - (inner.right - inner.left);
  const int height =
      Pixels(kInnerHeightTwips) + (window.bottom - window.top) - (inner.bottom - inner.top);
  SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PanelWindow::OnDpiChanged(int dpi, const RECT& suggested) {
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyDpi(dpi);
}

// Above every window that is not topmost itself, for good. Not activated: a
// panel launched not to take the focus leaves it where it is.
void PanelWindow::OnLoad() {
  SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Feed(PanelEvent::kLoad);
}

void PanelWindow::OnLineDone() {
  if (handover_->TakeDone()) Feed(PanelEvent::kLineDone);
}

void PanelWindow::OnCommand(WORD id, WORD code) {
  if (code != BN_CLICKED) return;
  if (id == ControlId(Control::kStart)) Feed(PanelEvent::kStart);
  if (id == ControlId(Control::kStop)) Feed(PanelEvent::kStop);
  if (id == ControlId(Control::kExit)) Feed(PanelEvent::kExit);
}

void PanelWindow::OnTimer(UINT_PTR id) {
  if (id == kDueTimerId) Feed(PanelEvent::kDue);
}

// A press and a release on a bare point of the background (not on a control)
// make a click on the background click area. Each is judged where it
// happened, which may be long before its message is handled. The second press
// of a double click only holds the mouse until its release.
void PanelWindow::OnLButtonDown(POINT point, bool single) {
  SetCapture(hwnd_);
  background_pressed_ = single && IsBarePoint(point);
}

void PanelWindow::OnLButtonUp(POINT point) {
  const bool pressed = std::exchange(background_pressed_, false);
  if (GetCapture() == hwnd_) ReleaseCapture();
  if (pressed && IsBarePoint(point)) Feed(PanelEvent::kAbout);
}

bool PanelWindow::IsBarePoint(POINT point) const {
  RECT inner{};
  GetClientRect(hwnd_, &inner);
  return PtInRect(&inner, point) && ChildWindowFromPoint(hwnd_, point) == hwnd_;
}

// As in a dialog: the control that had the keyboard focus gets it back when
// the panel is active again. The first time it is the reason box, its text
// selected, so that a reason typed right away replaces the placeholder.
void PanelWindow::OnActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
    return;
  }
  if (focus_ != nullptr && IsWindowEnabled(focus_)) {
    SetFocus(focus_);
    return;
  }
  HWND reason = ControlWindow(Control::kReasonBox);
  SetFocus(reason);
  SendMessageW(reason, EM_SETSEL, 0, -1);
}

LRESULT PanelWindow::OnCtlColorEdit(HDC dc) {
  SetTextColor(dc, ToColorRef(kDesignBlueRgb));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

// The buttons are drawn by the panel so that they can carry its dark blue.
void PanelWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
  RECT rect = item.rcItem;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  UINT frame = DFCS_BUTTONPUSH;
  if (item.itemState & ODS_SELECTED) frame |= DFCS_PUSHED;
  if (disabled) frame |= DFCS_INACTIVE;
  DrawFrameControl(item.hDC, &rect, DFC_BUTTON, frame);

  wchar_t caption[32] = {};
  GetWindowTextW(item.hwndItem, caption, 32);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, disabled ? GetSysColor(COLOR_GRAYTEXT) : ToColorRef(kDesignBlueRgb));
  if (item.itemState & ODS_SELECTED) OffsetRect(&rect, 1, 1);
  DrawTextW(item.hDC, caption, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (item.itemState & ODS_FOCUS) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(item.hDC, &focus);
  }
}

// The window is on its way out: it leaves the screen at once rather than
// stand there through the sign-off.
void PanelWindow::OnClose() {
  ShowWindow(hwnd_, SW_HIDE);
  Feed(PanelEvent::kClose);
}

// Windows may end the process as soon as this returns, so it returns only
// once the sign-off is out or its deadline has passed. Meanwhile it handles
// nothing but the worker's news and the timers; a quit it sees is for the
// message loop further out.
void PanelWindow::OnEndSession() {
  ShowWindow(hwnd_, SW_HIDE);
  Feed(PanelEvent::kEndSession);
  std::optional<int> quit;
  while (hwnd_ != nullptr) {
    MSG message;
    if (PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE) ||
        PeekMessageW(&message, nullptr, kLineDoneMessage, kLineDoneMessage, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = static_cast<int>(message.wParam);
      } else {
        DispatchMessageW(&message);
      }
      continue;
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_TIMER | QS_POSTMESSAGE, 0);
  }
  if (quit) PostQuitMessage(*quit);
}

void PanelWindow::OnDestroy() {
  KillTimer(hwnd_, kDueTimerId);
  PostQuitMessage(0);
}

void PanelWindow::Feed(PanelEvent event) {
  Apply(panel_.On(event, Now()));
}

void PanelWindow::Apply(const Answer& answer) {
  if (answer.ended) {
    // Off the screen at once; the worker may still put the user's draft back.
    DestroyWindow(hwnd_);
    handover_->Stop(answer.worker_wait);
    return;
  }
  ShowState();
  if (!answer.due_at) {
    KillTimer(hwnd_, kDueTimerId);
    return;
  }
  // Never early: a timer that fires before the moment is set again.
  const double delay_ms = std::ceil((*answer.due_at - Now().monotonic) * 1000);
  SetTimer(hwnd_, kDueTimerId,
           delay_ms > USER_TIMER_MINIMUM ? static_cast<UINT>(delay_ms) : USER_TIMER_MINIMUM,
           nullptr);
}

void PanelWindow::ShowState() {
  // Exactly one of Start and Stop is offered. The one coming on goes first,
  // so that the one going grey can hand it the keyboard focus.
  const bool start = panel_.StartEnabled();
  Enable(start ? Control::kStart : Control::kStop, true);
  Enable(start ? Control::kStop : Control::kStart, false);
  const UINT count = static_cast<UINT>(panel_.Count());
  if (GetDlgItemInt(hwnd_, ControlId(Control::kCounter), nullptr, FALSE) != count) {
    SetDlgItemInt(hwnd_, ControlId(Control::kCounter), count, FALSE);
  }
}

void PanelWindow::Enable(Control control, bool enabled) {
  HWND window = ControlWindow(control);
  if ((IsWindowEnabled(window) != FALSE) == enabled) return;
  const bool had_focus = GetFocus() == window;
  EnableWindow(window, enabled ? TRUE : FALSE);
  // Start or Stop going grey hands the keyboard focus to the other rather than
  // drop it (or pass it on to Exit, where a second key press would end the
  // program). Not to the reason box either: a caret blinking there through
  // an idle hour costs CPU.
  if (!enabled && had_focus)
    SetFocus(ControlWindow(control == Control::kStart ? Control::kStop : Control::kStart));
}

int PanelWindow::Pixels(int twips) const {
  return MulDiv(twips, dpi_, kTwipsPerInch);
}

HWND PanelWindow::ControlWindow(Control control) const {
  return GetDlgItem(hwnd_, ControlId(control));
}

std::string PanelWindow::ReasonText() const {
  HWND reason = ControlWindow(Control::kReasonBox);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(reason)) + 1, L'\0');
  const int length = GetWindowTextW(reason, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(length));
  return WideToUtf8(text);
}

}  // namespace dizod
