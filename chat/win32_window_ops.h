#pragma once
// The bridge's window operations over user32, for the thread that talks to
// the chat client. Only window messages cross to the client, and every one is
// bounded in time.

#include "chat/window_ops.h"

namespace dizod {

class Win32WindowOps : public WindowOps {
 public:
  WindowHandle FindTopLevel(const char* class_name) override;
  WindowHandle FindChild(WindowHandle parent, WindowHandle after, const char* class_name) override;
  SendResult ReadText(WindowHandle box, std::string& text) override;
  SendResult ReadDraft(WindowHandle box, Draft& draft) override;
  SendResult SetLine(WindowHandle box, const std::string& text) override;
  SendResult SendChar(WindowHandle box, unsigned character) override;
  SendResult RestoreDraft(WindowHandle box, const Draft& draft) override;
  SendResult Probe(WindowHandle box) override;
};

}  // namespace dizod
