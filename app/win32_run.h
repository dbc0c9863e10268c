#pragma once
// Builds the panel on the given pump and runs it until the program ends.

#include <windows.h>

#include "toolkit/win32_clock_pump.h"

namespace dizod {

int RunPanel(HINSTANCE instance, int show_command, Win32ClockPump& pump);

}  // namespace dizod
