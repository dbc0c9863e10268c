#pragma once
// The narrow set of window operations the chat room bridge needs. The program
// implements it over user32; the tests implement it over a simulated client.
//
// The chat client is another program that may be slow, stall or vanish: every
// message to it is bounded in time. A message the client was already handling
// when the time ran out takes effect once the client wakes; whether one it had
// not yet taken is still handled then differs between systems, so nothing may
// depend on it.

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "chat/timing.h"

namespace dizod {

// A window handle as a plain number; 0 means "no such window".
using WindowHandle = std::uintptr_t;
using Clock = std::chrono::steady_clock;

enum class SendResult {
  kAnswered,  // the client handled the message
  kTimedOut,  // not handled in time
  kGone,      // the window no longer exists
};

// What the user had in the input box: its text and selection (the caret when
// both ends are equal), in characters.
struct Draft {
  std::string text;  // UTF-8
  std::uint32_t selection_start = 0;
  std::uint32_t selection_end = 0;
};

class WindowOps {
 public:
  virtual ~WindowOps() = default;

  // First top-level window of the class, or 0.
  virtual WindowHandle FindTopLevel(const char* class_name) = 0;
  // First direct child of `parent` with the class that comes after `after`
  // (the first such child when `after` is 0), or 0.
  virtual WindowHandle FindChild(WindowHandle parent, WindowHandle after,
                                 const char* class_name) = 0;

  // Reads the box's text, one message. A client that Windows counts as hung
  // is not asked: the read times out at once, as losing it changes nothing.
  virtual SendResult ReadText(WindowHandle box, std::string& text) = 0;
  // Reads the box's text and, unless it is empty, its selection.
  virtual SendResult ReadDraft(WindowHandle box, Draft& draft) = 0;
  // Replaces the box's text with the line in the ANSI code page: what the
  // chat client receives as a line.
  virtual SendResult SetLine(WindowHandle box, const std::string& text) = 0;
  // Sends the box one character message.
  virtual SendResult SendChar(WindowHandle box, unsigned character) = 0;
  // Puts the draft back with its selection; a box that is not a Unicode
  // window keeps only what the ANSI code page holds.
  virtual SendResult RestoreDraft(WindowHandle box, const Draft& draft) = 0;
  // A message that does nothing: answered once the client has handled every
  // message sent to it before.
  virtual SendResult Probe(WindowHandle box) = 0;

  // Every bound is measured on this clock, whatever the messages cost.
  virtual Clock::time_point Now() { return Clock::now(); }
  // Lets the client get on with its own work between two looks at its box.
  virtual void Rest(Millis span) { std::this_thread::sleep_for(span); }
};

}  // namespace dizod
