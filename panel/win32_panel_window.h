#pragma once
// The idle panel as a Win32 window: a small topmost tool window with the
// reason box, the Start, Stop and Exit buttons, the hidden minute counter and
// the timer. Its bare background is the click area for About.

#include <windows.h>

#include "panel/panel_controls.h"
#include "panel/panel_handlers.h"
#include "toolkit/win32_handle.h"

namespace dizod {

inline constexpr wchar_t kPanelClassName[] = L"DizodIdlePanel";
// Posted to the panel to wake its message pump; the panel does nothing with it.
inline constexpr UINT kWakeMessage = WM_APP + 3;

// The child-window identifier of each control of the panel.
constexpr int ControlId(Control control) {
  return 100 + static_cast<int>(control);
}

class PanelWindow : public PanelControls {
 public:
  explicit PanelWindow(HINSTANCE instance);
  ~PanelWindow();
  PanelWindow(const PanelWindow&) = delete;
  PanelWindow& operator=(const PanelWindow&) = delete;

  // Creates the window and its controls with their initial values, hidden.
  bool Create();
  void SetHandlers(PanelHandlers* handlers) { handlers_ = handlers; }
  // Shows the panel and queues its load event.
  void ShowAndLoad(int show_command);
  HWND Hwnd() const { return hwnd_; }
  HWND ControlWindow(Control control) const;

  std::string Text(Control control) override;
  void SetText(Control control, const std::string& text) override;
  bool Enabled(Control control) override;
  void SetEnabled(Control control, bool enabled) override;
  void KeepOnTop() override;
  void Hide() override;
  void PostDeferred(DeferredEvent event) override;
  void EndProgram() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                     LPARAM lparam) noexcept;
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  void OnCreate();
  void OnCommand(WORD id, WORD code);
  void OnTimer();
  void OnLButtonDown(POINT point, bool single);
  void OnLButtonUp(POINT point);
  bool IsBarePoint(POINT point) const;
  void OnActivate(bool active);
  LRESULT OnCtlColorEdit(HDC dc);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void OnClose();
  void OnEndSession();
  void OnDestroy();
  void OnDpiChanged(int dpi, const RECT& suggested);
  void OnRunLater(WPARAM what);

  void ApplyDpi(int dpi);
  void SizeInnerArea();
  // Twips in pixels at the panel's DPI.
  int Pixels(int twips) const;

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  PanelHandlers* handlers_ = nullptr;
  bool timer_on_ = false;
  bool background_pressed_ = false;
  // The control that had the keyboard focus when the panel was last active.
  HWND focus_ = nullptr;
  int dpi_ = 96;
  UniqueFont reason_font_;
  UniqueFont ui_font_;
};

}  // namespace dizod
