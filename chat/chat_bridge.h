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
  kGivenUp,  // the client did not take the line in time: it never reaches the room
};

struct LineResult {
  LineOutcome outcome = LineOutcome::kDropped;
  // The input box of a client that fell behind in the middle of the line.
  WindowHandle stuck_box = 0;
  // What that box must hold again once the client answers.
  std::optional<Draft> draft;
  // The line as the box holds it, which a client that fell behind after its
  // Enter may still be about to send from the box.
  std::string line;
};

// Writes `text` into the room's input box and presses Enter there, then, once
// the client has taken the line from the box (the box no longer holds what it
// kept of it), puts back what the user had there; only then is the line done.
// Drops the line silently when there is no room or no input box. When the
// client does not answer in time, the line is given up before its Enter and
// the result says where the client fell behind; a line the client has not
// taken 5 s after its Enter is given up, the draft put back over it.
// `stopping` is asked between messages: the program is ending, so no Enter follows.
LineResult PostChatLine(WindowOps& ops, const std::string& text,
                        const std::function<bool()>& stopping);

// Waits, message by message, until the client that fell behind answers again
// (and has sent a line whose Enter it had), then puts the user's draft back.
// False when it stopped first because `stopping` said so or the box went away.
bool Recover(WindowOps& ops, const LineResult& result, const std::function<bool()>& stopping);

}  // namespace dizod
