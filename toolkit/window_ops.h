#pragma once
// The narrow set of window operations the chat room bridge needs. The program
// implements it over user32; the tests implement it over a simulated window tree.

#include <cstdint>
#include <optional>
#include <string>

namespace dizod {

// A window handle as a plain number; 0 means "no such window".
using WindowHandle = std::uintptr_t;

class WindowOps {
 public:
  virtual ~WindowOps() = default;

  // First top-level window of the class, or 0.
  virtual WindowHandle FindTopLevel(const char* class_name) = 0;
  // First direct child of `parent` with the class that comes after `after`
  // (the first such child when `after` is 0), or 0.
  virtual WindowHandle FindChild(WindowHandle parent, WindowHandle after,
                                 const char* class_name) = 0;
  // The window's whole text (UTF-8), or nothing when it cannot be read.
  virtual std::optional<std::string> GetText(WindowHandle window) = 0;
  // Replaces the window's text with the UTF-8 text, handed over losslessly.
  virtual bool SetText(WindowHandle window, const std::string& text) = 0;
  // Replaces the window's text with the UTF-8 text converted to the ANSI code
  // page: what the chat client receives as a line. False when not delivered.
  virtual bool SetAnsiText(WindowHandle window, const std::string& text) = 0;
  // Sends the window one character message. False when not delivered.
  virtual bool SendChar(WindowHandle window, unsigned character) = 0;
};

}  // namespace dizod
