// Dizod: posts the user's away status into the open chat room of the chat
// client running beside it.

#include <windows.h>

#include "app/win32_run.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  dizod::Win32ClockPump pump;
  return dizod::RunPanel(instance, show_command, pump);
}
