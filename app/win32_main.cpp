// Dizod: posts the user's away status into the open chat room of the chat
// client running beside it.

#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <memory>

#include "chat/win32_window_ops.h"
#include "panel/win32_panel_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  dizod::PanelWindow panel(instance, std::make_shared<dizod::Win32WindowOps>());
  if (!panel.Create()) return 1;
  // The panel is on the screen before its first line goes out.
  panel.ShowAndLoad(show_command);
  // The panel's end posts a quit, which a modal loop of the system running
  // just then (a drag of the panel) may take for itself: the loop ends when
  // the panel is gone, too.
  MSG message;
  BOOL got = TRUE;
  while (panel.Hwnd() != nullptr && (got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    // Tab and the arrow keys move between the panel's controls.
    if (IsDialogMessageW(panel.Hwnd(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return got < 0 ? 1 : 0;
}
