#pragma once
// The cooperative pause: holds up its caller for whole seconds while the
// panel's messages keep being dispatched, so other handlers run nested in it.

#include <cstdint>
#include <functional>

#include "toolkit/clock_pump.h"

namespace dizod {

// The local time of day rounded to the whole second, a half going to the even
// neighbour: the mark a pause is measured from.
double StartMark(double time_of_day);

// When a pause of `seconds` begun at `start` ends on the monotonic clock: when
// the clock shows the start mark plus `seconds`.
double PauseEnd(const ClockReading& start, std::int32_t seconds);

// Waits until the clock shows the start mark plus `seconds`, so a wait lasts
// `seconds` +- 1/2. Returns true when the wait ran its full length; false when
// `cut_short` said so (it is asked before every dispatch) or the program quits.
bool WaitSeconds(ClockPump& pump, std::int32_t seconds,
                 const std::function<bool()>& cut_short = {});

// Dispatches messages until `done` holds (true) or the monotonic deadline
// comes (false). False too when the program quits.
bool WaitUntil(ClockPump& pump, double monotonic_deadline, const std::function<bool()>& done);

}  // namespace dizod
