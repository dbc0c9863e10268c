#include "chat/win32_window_ops.h"

#include <windows.h>

#include <string>

#include "chat/win32_text.h"

namespace dizod {

namespace {

// The largest buffer a draft is read into, in UTF-16 characters. EM_GETSEL
// answers with 16-bit positions, so the caret of a longer draft could not
// come back anyway.
constexpr unsigned kMaxDraftChars = 1u << 16;

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}
WindowHandle ToHandle(HWND hwnd) {
  return reinterpret_cast<WindowHandle>(hwnd);
}

// The worker has no windows of its own, so blocking it entirely is fine.
SendResult Sent(LRESULT sent, HWND hwnd) {
  if (sent != 0) return SendResult::kAnswered;
  return IsWindow(hwnd) ? SendResult::kTimedOut : SendResult::kGone;
}

constexpr UINT kSendTimeoutMs = static_cast<UINT>(kSendBound.count());

// The system carries the text of WM_GETTEXT and WM_SETTEXT between the
// processes, and converts it when the box is not of the message's kind.
SendResult SendWide(WindowHandle box, UINT id, WPARAM wparam, LPARAM lparam,
                    DWORD_PTR* answer = nullptr, UINT flags = 0) {
  DWORD_PTR ignored = 0;
  const HWND hwnd = ToHwnd(box);
  return Sent(SendMessageTimeoutW(hwnd, id, wparam, lparam, SMTO_BLOCK | flags, kSendTimeoutMs,
                                  answer != nullptr ? answer : &ignored),
              hwnd);
}

SendResult SendAnsi(WindowHandle box, UINT id, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR ignored = 0;
  const HWND hwnd = ToHwnd(box);
  return Sent(SendMessageTimeoutA(hwnd, id, wparam, lparam, SMTO_BLOCK, kSendTimeoutMs, &ignored),
              hwnd);
}

// One WM_GETTEXT into a buffer (asking for the length first can hang on a
// busy window); a buffer filled to the brim may have cut the text, so grow.
// An ANSI box's answer comes converted from the ANSI code page, as we would
// convert it ourselves.
SendResult ReadWide(WindowHandle box, std::wstring& text) {
  for (size_t size = 4096;; size *= 2) {
    text.assign(size, L'\0');
    DWORD_PTR copied = 0;
    const SendResult read =
        SendWide(box, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied,
                 SMTO_ABORTIFHUNG);
    if (read != SendResult::kAnswered) return read;
    if (copied + 1 < text.size() || size >= kMaxDraftChars) {
      text.resize(copied < text.size() ? copied : text.size() - 1);
      return read;
    }
  }
}

}  // namespace

WindowHandle Win32WindowOps::FindTopLevel(const char* class_name) {
  return ToHandle(FindWindowA(class_name, nullptr));
}

WindowHandle Win32WindowOps::FindChild(WindowHandle parent, WindowHandle after,
                                       const char* class_name) {
  return ToHandle(FindWindowExA(ToHwnd(parent), ToHwnd(after), class_name, nullptr));
}

SendResult Win32WindowOps::ReadText(WindowHandle box, std::string& text) {
  std::wstring wide;
  const SendResult read = ReadWide(box, wide);
  if (read == SendResult::kAnswered) text = WideToUtf8(wide);
  return read;
}

SendResult Win32WindowOps::ReadDraft(WindowHandle box, Draft& draft) {
  draft = {};
  const SendResult read = ReadText(box, draft.text);
  if (read != SendResult::kAnswered || draft.text.empty()) return read;
  // EM_GETSEL's answer carries both ends, so nothing needs to cross between
  // the processes but the answer itself.
  DWORD_PTR selection = 0;
  const SendResult selected = SendWide(box, EM_GETSEL, 0, 0, &selection);
  draft.selection_start = LOWORD(selection);
  draft.selection_end = HIWORD(selection);
  return selected;
}

// The chat client posts the line in the ANSI code page, whatever its box.
SendResult Win32WindowOps::SetLine(WindowHandle box, const std::string& text) {
  const std::string ansi = Utf8ToAnsi(text);
  return SendAnsi(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
}

SendResult Win32WindowOps::SendChar(WindowHandle box, unsigned character) {
  return SendAnsi(box, WM_CHAR, character, 0);
}

// Into an ANSI box in the code page made by us: a character it lacks becomes
// '?', never a look-alike.
SendResult Win32WindowOps::RestoreDraft(WindowHandle box, const Draft& draft) {
  SendResult restored = SendResult::kAnswered;
  if (IsWindowUnicode(ToHwnd(box))) {
    const std::wstring wide = Utf8ToWide(draft.text);
    restored = SendWide(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  } else {
    const std::string ansi = Utf8ToAnsi(draft.text);
    restored = SendAnsi(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
  }
  if (restored != SendResult::kAnswered) return restored;
  return SendWide(box, EM_SETSEL, draft.selection_start, static_cast<LPARAM>(draft.selection_end));
}

SendResult Win32WindowOps::Probe(WindowHandle box) {
  return SendWide(box, WM_NULL, 0, 0);
}

}  // namespace dizod
