#pragma once
// The bridge's window operations over user32, for the thread that talks to
// the chat client. Every message is bounded in time; only the read of the
// draft gives up at once on a client that Windows counts as hung, as it
// changes nothing when it is lost.

#include <windows.h>

#include <vector>

#include "toolkit/win32_handle.h"
#include "toolkit/window_ops.h"

namespace dizod {

// Memory in the chat client's process, for the rich edit messages whose text
// the system does not carry between processes; freed when dropped.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size);
  ~RemoteBuffer();
  RemoteBuffer(RemoteBuffer&& other) noexcept;
  RemoteBuffer& operator=(RemoteBuffer&&) = delete;
  RemoteBuffer(const RemoteBuffer&) = delete;

  explicit operator bool() const { return address_ != nullptr; }
  // The address in the client's process of the byte at `offset`.
  LPARAM At(size_t offset) const;
  bool Write(size_t offset, const void* data, size_t size) const;
  bool Read(size_t offset, void* data, size_t size) const;

 private:
  UniqueKernelHandle process_;
  void* address_ = nullptr;
};

class Win32WindowOps : public WindowOps {
 public:
  WindowHandle FindTopLevel(const char* class_name) override;
  WindowHandle FindChild(WindowHandle parent, WindowHandle after, const char* class_name) override;
  SendResult ReadDraft(WindowHandle box, Draft& draft) override;
  SendResult SetLine(WindowHandle box, const std::string& text) override;
  SendResult SendChar(WindowHandle box, unsigned character) override;
  SendResult RestoreDraft(WindowHandle box, const Draft& draft) override;
  SendResult Probe(WindowHandle box) override;

 private:
  // A box that is not a Unicode window loses every character outside the
  // ANSI code page on the way through WM_GETTEXT and WM_SETTEXT: a rich edit
  // among them is read and written in UTF-16 through its own messages.
  bool ReadRichText(WindowHandle box, std::string& text);
  SendResult WriteRichText(WindowHandle box, const std::string& text);
  // Keeps a buffer the client may still use: its message is still waiting.
  void Hold(RemoteBuffer buffer) { held_.push_back(std::move(buffer)); }
  // The client answered: every message sent before has been handled.
  SendResult Release(SendResult result);

  std::vector<RemoteBuffer> held_;
};

}  // namespace dizod
