#include "toolkit/win32_window_ops.h"

#include <windows.h>

#include <vector>

#include "toolkit/client_windows.h"
#include "toolkit/win32_text.h"

namespace dizod {

namespace {

constexpr UINT kSendFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}
WindowHandle ToHandle(HWND hwnd) {
  return reinterpret_cast<WindowHandle>(hwnd);
}

bool SendW(WindowHandle window, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR* result) {
  return SendMessageTimeoutW(ToHwnd(window), message, wparam, lparam, kSendFlags, kSendTimeoutMs,
                             result) != 0;
}

bool SendA(WindowHandle window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(ToHwnd(window), message, wparam, lparam, kSendFlags, kSendTimeoutMs,
                             &result) != 0;
}

}  // namespace

WindowHandle Win32WindowOps::FindTopLevel(const char* class_name) {
  return ToHandle(FindWindowA(class_name, nullptr));
}

WindowHandle Win32WindowOps::FindChild(WindowHandle parent, WindowHandle after,
                                       const char* class_name) {
  return ToHandle(FindWindowExA(ToHwnd(parent), ToHwnd(after), class_name, nullptr));
}

std::optional<std::string> Win32WindowOps::GetText(WindowHandle window) {
  // One WM_GETTEXT into a buffer (asking for the length first can hang on a
  // busy window); a buffer filled to the brim may have cut the text, so grow.
  for (unsigned size = 4096;; size *= 2) {
    std::vector<wchar_t> buffer(size, L'\0');
    DWORD_PTR copied = 0;
    if (!SendW(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer.data()), &copied)) {
      return std::nullopt;
    }
    if (copied + 1 < size || size >= kMaxDraftChars) {
      return WideToUtf8(std::wstring_view(buffer.data(), copied < size ? copied : size - 1));
    }
  }
}

bool Win32WindowOps::SetText(WindowHandle window, const std::string& text) {
  const std::wstring wide = Utf8ToWide(text);
  DWORD_PTR result = 0;
  return SendW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), &result);
}

bool Win32WindowOps::SetAnsiText(WindowHandle window, const std::string& text) {
  const std::string ansi = Utf8ToAnsi(text);
  return SendA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
}

bool Win32WindowOps::SendChar(WindowHandle window, unsigned character) {
  return SendA(window, WM_CHAR, character, 0);
}

}  // namespace dizod
