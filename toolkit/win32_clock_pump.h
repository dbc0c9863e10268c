#pragma once
// The clock and message pump of the UI thread. Waiting blocks until a message
// arrives or the deadline comes, so a waiting panel uses next to no CPU.

#include <windows.h>

#include "toolkit/clock_pump.h"

namespace dizod {

class Win32ClockPump : public ClockPump {
 public:
  Win32ClockPump();

  // Keyboard messages for this window get dialog-style handling (Tab moves
  // between its controls), also inside a pause.
  void SetDialogWindow(HWND dialog) { dialog_ = dialog; }

  ClockReading ReadClock() override;
  PumpResult DispatchOne(double monotonic_deadline) override;

  // The top-level message loop; returns the exit code that came with WM_QUIT.
  int RunMessageLoop();
  // Hands one message to its window, with dialog-style keyboard handling.
  void Dispatch(MSG& message);

 private:
  double Monotonic() const;

  HWND dialog_ = nullptr;
  double ticks_per_second_;
};

}  // namespace dizod
