#pragma once
// Posts lines into the chat room that is open in the chat client, driving the
// client's windows from outside. Keeps no state between calls; runs on the
// thread that talks to the client, never on the panel's.

#include <functional>
#include <string>

#include "toolkit/window_ops.h"

namespace dizod {

// The first document window of the client that has a child of each of the four
// kinds a chat room has, or 0.
WindowHandle LocateChatRoom(WindowOps& ops);

enum class LineOutcome {
  kDropped,  // no room or no input box: nothing was sent
  kPosted,   // the client took the line and its Enter
  kGivenUp,  // the client did not take the line in time: it never reaches the room
};

struct LineResult {
  LineOutcome outcome = LineOutcome::kDropped;
  // The input box of a client that stopped answering in the middle of the
  // line; messages to it are still waiting to be handled.
  WindowHandle stuck_box = 0;
};

// Writes `text` into the room's input box and presses Enter there, then puts
// back what the user had in the box. Drops the line silently when there is
// no room or no input box. When the client does not answer in time, the
// line is given up before its Enter, and the draft is queued behind it so
// that the box holds the user's text once the client wakes. `stopping` is
// asked between messages: the program is ending, so no Enter follows.
LineResult PostChatLine(WindowOps& ops, const std::string& text,
                        const std::function<bool()>& stopping);

// Waits, message by message, until the client answers again; false when it
// stopped because `stopping` said so or the box went away.
bool AwaitClient(WindowOps& ops, WindowHandle box, const std::function<bool()>& stopping);

}  // namespace dizod
