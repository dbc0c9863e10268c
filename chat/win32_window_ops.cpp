#include "chat/win32_window_ops.h"

#include <windows.h>

#include <string>

#include "chat/win32_text.h"

namespace dizod {

namespace {

// Longest wait for the chat client to handle one message: the cut-off after
// which Windows itself calls a program "not responding".
constexpr UINT kSendTimeoutMs = 5000;

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

// The system carries the text of WM_GETTEXT and WM_SETTEXT between the
// processes, and converts it when the box is not of the message's kind.
bool IsWide(WindowHandle box) {
  return IsWindowUnicode(ToHwnd(box)) != FALSE;
}

// The worker has no windows of its own, so blocking it entirely is fine.
SendResult Send(WindowHandle box, bool wide, UINT id, WPARAM wparam, LPARAM lparam,
                DWORD_PTR* result = nullptr, UINT flags = 0) {
  const HWND hwnd = ToHwnd(box);
  DWORD_PTR ignored = 0;
  DWORD_PTR* answer = result != nullptr ? result : &ignored;
  const UINT how = SMTO_BLOCK | flags;
  const LRESULT sent =
      wide ? SendMessageTimeoutW(hwnd, id, wparam, lparam, how, kSendTimeoutMs, answer)
           : SendMessageTimeoutA(hwnd, id, wparam, lparam, how, kSendTimeoutMs, answer);
  if (sent != 0) return SendResult::kAnswered;
  return IsWindow(hwnd) ? SendResult::kTimedOut : SendResult::kGone;
}

// One WM_GETTEXT into a buffer (asking for the length first can hang on a
// busy window); a buffer filled to the brim may have cut the text, so grow.
// An ANSI box's answer comes converted from the ANSI code page, as we would
// convert it ourselves.
SendResult ReadText(WindowHandle box, std::wstring& text) {
  for (size_t size = 4096;; size *= 2) {
    text.assign(size, L'\0');
    DWORD_PTR copied = 0;
    const SendResult read = Send(box, true, WM_GETTEXT, text.size(),
                                 reinterpret_cast<LPARAM>(text.data()), &copied, SMTO_ABORTIFHUNG);
    if (read != SendResult::kAnswered) return read;
    if (copied + 1 < text.size() || size >= kMaxDraftChars) {
      text.resize(copied < text.size() ? copied : text.size() - 1);
      return read;
    }
  }
}

template <typename Char>
SendResult SetText(WindowHandle box, const std::basic_string<Char>& text) {
  return Send(box, sizeof(Char) > 1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

WindowHandle Win32WindowOps::FindTopLevel(const char* class_name) {
  return ToHandle(FindWindowA(class_name, nullptr));
}

WindowHandle Win32WindowOps::FindChild(WindowHandle parent, WindowHandle after,
                                       const char* class_name) {
  return ToHandle(FindWindowExA(ToHwnd(parent), ToHwnd(after), class_name, nullptr));
}

SendResult Win32WindowOps::ReadDraft(WindowHandle box, Draft& draft) {
  std::wstring text;
  const SendResult read = ReadText(box, text);
  if (read != SendResult::kAnswered) return read;
  draft.text = WideToUtf8(text);
  // EM_GETSEL's answer carries both ends, so nothing needs to cross between
  // the processes but the answer itself.
  DWORD_PTR selection = 0;
  const SendResult selected = Send(box, true, EM_GETSEL, 0, 0, &selection);
  draft.selection_start = LOWORD(selection);
  draft.selection_end = HIWORD(selection);
  return selected;
}

// The chat client posts the line in the ANSI code page, whatever its box.
SendResult Win32WindowOps::SetLine(WindowHandle box, const std::string& text) {
  return SetText(box, Utf8ToAnsi(text));
}

SendResult Win32WindowOps::SendChar(WindowHandle box, unsigned character) {
  return Send(box, false, WM_CHAR, character, 0);
}

// Into an ANSI box in the code page made by us: a character it lacks becomes
// '?', never a look-alike.
SendResult Win32WindowOps::RestoreDraft(WindowHandle box, const Draft& draft) {
  const SendResult restored =
      IsWide(box) ? SetText(box, Utf8ToWide(draft.text)) : SetText(box, Utf8ToAnsi(draft.text));
  if (restored != SendResult::kAnswered) return restored;
  return Send(box, true, EM_SETSEL, draft.selection_start,
              static_cast<LPARAM>(draft.selection_end));
}

SendResult Win32WindowOps::Probe(WindowHandle box) {
  return Send(box, true, WM_NULL, 0, 0);
}

}  // namespace dizod
