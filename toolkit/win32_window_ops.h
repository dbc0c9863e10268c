#pragma once
// The bridge's window operations over user32. Every message to the chat
// client is bounded in time, so a hung client cannot freeze the panel, and no
// handler of the panel runs while one is being sent.

#include "toolkit/window_ops.h"

namespace dizod {

class Win32WindowOps : public WindowOps {
 public:
  WindowHandle FindTopLevel(const char* class_name) override;
  WindowHandle FindChild(WindowHandle parent, WindowHandle after, const char* class_name) override;
  std::optional<std::string> GetText(WindowHandle window) override;
  bool SetText(WindowHandle window, const std::string& text) override;
  bool SetAnsiText(WindowHandle window, const std::string& text) override;
  bool SendChar(WindowHandle window, unsigned character) override;
};

}  // namespace dizod
