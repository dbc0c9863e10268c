// Dizod: posts the user's away status into the open chat room of the chat
// client running beside it.

#include <windows.h>
#include <commctrl.h>

#include "panel/idle_panel.h"
#include "panel/win32_panel_window.h"
#include "toolkit/win32_clock_pump.h"
#include "toolkit/win32_window_ops.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  dizod::Win32ClockPump pump;
  dizod::Win32WindowOps chat;
  dizod::PanelWindow window(instance);
  dizod::IdlePanel handlers(window, pump, chat);
  window.SetHandlers(&handlers);
  if (!window.Create()) return 1;
  pump.SetDialogWindow(window.Hwnd());
  // The panel is on the screen before its first line goes out.
  window.ShowAndLoad(show_command);
  return pump.RunMessageLoop();
}
