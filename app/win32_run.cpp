#include "app/win32_run.h"

#include <commctrl.h>

#include <memory>

#include "panel/panel_handlers.h"
#include "panel/win32_panel_window.h"
#include "toolkit/chat_worker.h"
#include "toolkit/win32_window_ops.h"

namespace dizod {

int RunPanel(HINSTANCE instance, int show_command, Win32ClockPump& pump) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  PanelWindow window(instance);
  if (!window.Create()) return 1;
  // Any message wakes the panel's pump; this one the panel passes over.
  const HWND panel = window.Hwnd();
  ChatWorker chat(std::make_shared<Win32WindowOps>(),
                  [panel] { PostMessageW(panel, kWakeMessage, 0, 0); });
  PanelHandlers handlers(window, pump, chat);
  window.SetHandlers(&handlers);
  pump.SetDialogWindow(panel);
  // The panel is on the screen before its first line goes out.
  window.ShowAndLoad(show_command);
  const int exit_code = pump.RunMessageLoop();
  chat.Stop();
  return exit_code;
}

}  // namespace dizod
