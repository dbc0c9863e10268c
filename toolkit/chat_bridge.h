#pragma once
// Posts lines into the chat room that is open in the chat client, driving the
// client's windows from outside. Keeps no state between calls.

#include <string>

#include "toolkit/window_ops.h"

namespace dizod {

// The first document window of the client that has a child of each of the four
// kinds a chat room has, or 0.
WindowHandle LocateChatRoom(WindowOps& ops);

// Writes `text` into the room's input box and presses Enter there. Drops the
// line silently when there is no room or no input box. Whatever the user had
// typed into the box is put back afterwards.
void PostChatLine(WindowOps& ops, const std::string& text);

}  // namespace dizod
