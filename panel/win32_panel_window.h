#pragma once
// The idle panel as a Win32 window: a small topmost tool window with the
// reason box, the Start, Stop and Exit buttons and the hidden minute counter.
// Its bare background is the click area for About. It turns
// its messages into the panel's events and does what the panel answers.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "chat/line_handover.h"
#include "chat/window_ops.h"
#include "panel/idle_panel.h"
#include "panel/win32_handle.h"

namespace dizod {

inline constexpr wchar_t kPanelClassName[] = L"DizodIdlePanel";

// The panel's child windows, in tab order.
enum class Control { kReasonBox, kStart, kStop, kCounter, kExit };

constexpr int ControlId(Control control) {
  return 100 + static_cast<int>(control);
}

class PanelWindow {
 public:
  // `ops` reach the chat client, from the worker's thread.
  PanelWindow(HINSTANCE instance, std::shared_ptr<WindowOps> ops);
  ~PanelWindow() { DestroyWindow(hwnd_); }  // if not gone already
  PanelWindow(const PanelWindow&) = delete;
  PanelWindow& operator=(const PanelWindow&) = delete;

  // Creates the window and its controls with their initial values, hidden.
  bool Create();
  // Shows the panel and queues its load event.
  void ShowAndLoad(int show_command);
  HWND Hwnd() const { return hwnd_; }
  HWND ControlWindow(Control control) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                     LPARAM lparam) noexcept;
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  void OnCreate();
  void OnLoad();
  void OnLineDone();
  void OnCommand(WORD id, WORD code);
  void OnTimer(UINT_PTR id);
  void OnLButtonDown(POINT point, bool single);
  void OnLButtonUp(POINT point);
  void OnActivate(bool active);
  LRESULT OnCtlColorEdit(HDC dc);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void OnClose();
  void OnEndSession();
  void OnDestroy();
  void OnDpiChanged(int dpi, const RECT& suggested);

  void Feed(PanelEvent event);
  void Apply(const Answer& answer);
  void ShowState();
  void Enable(Control control, bool enabled);
  bool IsBarePoint(POINT point) const;
  std::string ReasonText() const;
  void ApplyDpi(int dpi);
  void SizeInnerArea();
  // Twips in pixels at the panel's DPI.
  int Pixels(int twips) const;

  HINSTANCE instance_;
  std::shared_ptr<WindowOps> ops_;
  HWND hwnd_ = nullptr;
  IdlePanel panel_;
  // Made with the window, to which it posts the news that a line is done.
  std::optional<LineHandover> handover_;
  bool background_pressed_ = false;
  // The control that had the keyboard focus when the panel was last active.
  HWND focus_ = nullptr;
  int dpi_ = 96;
  UniqueFont reason_font_;
  UniqueFont ui_font_;
};

}  // namespace dizod
