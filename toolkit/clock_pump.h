#pragma once
// The clock and message pump that the cooperative pause runs on. The program
// implements it over Win32; the tests over virtual time.

namespace dizod {

// One reading of both clocks, taken together.
struct ClockReading {
  double time_of_day;  // local seconds since midnight, with fractions
  double monotonic;    // seconds on a clock that never jumps or starts again
};

enum class PumpResult {
  kDispatched,  // one message was handed to its window
  kTimedOut,    // the deadline came first
  kQuit,        // the program is quitting; the quit request was put back
};

class ClockPump {
 public:
  virtual ~ClockPump() = default;

  virtual ClockReading ReadClock() = 0;
  // Blocks until a message is pending or the monotonic deadline has come, then
  // dispatches at most one message.
  virtual PumpResult DispatchOne(double monotonic_deadline) = 0;
};

}  // namespace dizod
