// The reference for the benchmarks: the same program, but its cooperative
// pause polls the message queue without ever blocking, the classic way such
// a pause is written.

#include <windows.h>

#include "app/win32_run.h"

namespace {

class PollingClockPump : public dizod::Win32ClockPump {
 public:
  dizod::PumpResult DispatchOne(double) override {
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return dizod::PumpResult::kTimedOut;
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return dizod::PumpResult::kQuit;
    }
    Dispatch(message);
    return dizod::PumpResult::kDispatched;
  }
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  PollingClockPump pump;
  return dizod::RunPanel(instance, show_command, pump);
}
