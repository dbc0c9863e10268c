#include "app/win32_run.h"

#include <commctrl.h>

#include "panel/panel_handlers.h"
#include "panel/win32_panel_window.h"
#include "toolkit/win32_window_ops.h"

namespace dizod {

int RunPanel(HINSTANCE instance, int show_command, Win32ClockPump& pump) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  Win32WindowOps chat;
  PanelWindow window(instance);
  PanelHandlers handlers(window, pump, chat);
  window.SetHandlers(&handlers);
  if (!window.Create()) return 1;
  pump.SetDialogWindow(window.Hwnd());
  // The panel is on the screen before its first line goes out.
  window.ShowAndLoad(show_command);
  return pump.RunMessageLoop();
}

}  // namespace dizod
