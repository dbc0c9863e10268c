#include "toolkit/win32_clock_pump.h"

#include <cmath>

namespace dizod {

Win32ClockPump::Win32ClockPump() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  ticks_per_second_ = static_cast<double>(frequency.QuadPart);
}

double Win32ClockPump::Monotonic() const {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / ticks_per_second_;
}

ClockReading Win32ClockPump::ReadClock() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  const double time_of_day =
      local.wHour * 3600.0 + local.wMinute * 60.0 + local.wSecond + local.wMilliseconds / 1000.0;
  return {time_of_day, Monotonic()};
}

void Win32ClockPump::Dispatch(MSG& message) {
  if (dialog_ != nullptr && IsDialogMessageW(dialog_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

PumpResult Win32ClockPump::DispatchOne(double monotonic_deadline) {
  for (;;) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // Not ours to swallow: the loop further out must see it too.
        PostQuitMessage(static_cast<int>(message.wParam));
        return PumpResult::kQuit;
      }
      Dispatch(message);
      return PumpResult::kDispatched;
    }
    const double remaining = monotonic_deadline - Monotonic();
    if (remaining <= 0) return PumpResult::kTimedOut;
    const DWORD timeout =
        std::isinf(remaining) ? INFINITE : static_cast<DWORD>(std::ceil(remaining * 1000));
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

int Win32ClockPump::RunMessageLoop() {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) Dispatch(message);
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}

}  // namespace dizod
