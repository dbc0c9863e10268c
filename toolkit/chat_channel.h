#pragma once
// The panel's one way to the chat room: it hands a line over and goes on
// dispatching its own messages while someone else talks to the chat client.

#include <string>

namespace dizod {

class ChatChannel {
 public:
  virtual ~ChatChannel() = default;

  // Hands the line over to be posted. False, and the line is dropped, while
  // the channel is busy: with an earlier line, or waiting for a client that
  // stopped answering to wake.
  virtual bool Submit(const std::string& line) = 0;
  // True until the line last handed over is posted or given up.
  virtual bool LineInFlight() = 0;
};

}  // namespace dizod
