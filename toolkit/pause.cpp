#include "toolkit/pause.h"

#include <cmath>

namespace dizod {

double StartMark(double time_of_day) {
  const double floor = std::floor(time_of_day);
  const double fraction = time_of_day - floor;
  if (fraction > 0.5) return floor + 1;
  if (fraction < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

double PauseEnd(const ClockReading& start, std::int32_t seconds) {
  // The end is fixed on the monotonic clock, so midnight and changes of the
  // wall clock do not move it.
  return start.monotonic + (StartMark(start.time_of_day) - start.time_of_day) + seconds;
}

bool WaitSeconds(ClockPump& pump, std::int32_t seconds, const std::function<bool()>& cut_short) {
  const double deadline = PauseEnd(pump.ReadClock(), seconds);
  for (;;) {
    if (pump.ReadClock().monotonic >= deadline) return true;
    if (cut_short && cut_short()) return false;
    if (pump.DispatchOne(deadline) == PumpResult::kQuit) return false;
  }
}

bool WaitUntil(ClockPump& pump, double monotonic_deadline, const std::function<bool()>& done) {
  for (;;) {
    if (done()) return true;
    if (pump.ReadClock().monotonic >= monotonic_deadline) return false;
    if (pump.DispatchOne(monotonic_deadline) == PumpResult::kQuit) return false;
  }
}

}  // namespace dizod
