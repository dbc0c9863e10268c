#pragma once
// Posts lines into the chat room that is open in the chat client, driving the
// client's windows from outside. Keeps no state between calls; runs on the
// thread that talks to the client, never on the panel's.

#include <functional>
#include <optional>
#include <string>

#include "chat/window_ops.h"

namespace dizod {

// The first document window of the client that has a child of each of the four
// kinds a chat room has, or 0.
WindowHandle LocateChatRoom(WindowOps& ops);

enum class LineOutcome {
  kDropped,  // no room or no input box: nothing was sent
  kPosted,   // the client took the line and its Enter
  kGivenUp,  // the client did not take the line in time
};

// A line the client fell behind with, or did not take in time: the box must
// hold the user's draft again once the client answers and, after an Enter,
// has sent our line or will not any more.
struct Stuck {
  WindowHandle box = 0;
  Draft draft;
  bool entered = false;
  std::optional<Clock::time_point> entered_at;  // when the client had handled the Enter
};

struct LineResult {
  LineOutcome outcome = LineOutcome::kDropped;
  std::optional<Stuck> stuck;
};

// Once the program is ending: the moment by which every wait must be over.
using EndingBy = std::function<std::optional<Clock::time_point>()>;

// Writes `text` into the room's input box and presses Enter there; once the
// client has taken it, puts back what the user had there. Drops the line
// when there is no room or no input box; no Enter once the program is ending.
LineResult PostChatLine(WindowOps& ops, const std::string& text, const EndingBy& ending);

// Puts the draft back once the client answers again and our line has left
// the box, or has stayed there past the late-send bound.
void Settle(WindowOps& ops, const Stuck& stuck, const EndingBy& ending);

}  // namespace dizod
