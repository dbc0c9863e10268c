#pragma once
// Every span of time the program keeps, and how the promises add up.

#include <chrono>

namespace dizod {

using Millis = std::chrono::milliseconds;

// Two lines of a sequence are a pause of a whole second apart; the idle loop
// waits 63 s between its minute announcements, as the panel always has.
inline constexpr int kLinePauseSeconds = 1;
inline constexpr int kMinuteSeconds = 63;

// One message to the chat client waits this long at most: the cut-off after
// which Windows itself calls a program not responding.
inline constexpr Millis kSendBound{5000};
// A line still in the box this long after its Enter is given up: the panel
// goes on without it.
inline constexpr Millis kGiveUpBound{5000};
// A box that still holds our line this long after its Enter will not send
// it: only then may the user's draft go back over it.
inline constexpr Millis kLateSendBound{10000};
// The rest between two looks at a box that still holds our line.
inline constexpr Millis kLookInterval{10};
// How often a sign-off line the busy worker refused is offered again.
inline constexpr Millis kRefusedRetry{250};

// Exit and close end the program within 8 s of the click:
//   6.0 s  the last moment a sign-off line is handed to the chat worker
// + 1.2 s  for the client to take it: a line still out then is cut
// + 0.4 s  the worker's grace, to put the user's draft back after a cut
// + 0.4 s  the process's own end
// = 8.0 s
inline constexpr Millis kSignOffHandOut{6000};
inline constexpr Millis kSignOffLastLine{1200};
inline constexpr Millis kWorkerGrace{400};
inline constexpr Millis kProcessEnd{400};
inline constexpr Millis kSignOffCut = kSignOffHandOut + kSignOffLastLine;
static_assert(kSignOffCut + kWorkerGrace + kProcessEnd == Millis{8000});

}  // namespace dizod
