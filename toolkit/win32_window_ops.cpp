#include "toolkit/win32_window_ops.h"

#include <richedit.h>

#include <cstring>

#include "toolkit/client_windows.h"
#include "toolkit/win32_text.h"

namespace dizod {

namespace {

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}
WindowHandle ToHandle(HWND hwnd) {
  return reinterpret_cast<WindowHandle>(hwnd);
}

struct Message {
  UINT id;
  WPARAM wparam;
  LPARAM lparam;
};

// The worker has no windows of its own, so blocking it entirely is fine.
SendResult Send(WindowHandle box, const Message& m, bool wide, UINT flags, UINT timeout_ms,
                DWORD_PTR* result) {
  const HWND hwnd = ToHwnd(box);
  const LRESULT sent = wide ? SendMessageTimeoutW(hwnd, m.id, m.wparam, m.lparam,
                                                  SMTO_BLOCK | flags, timeout_ms, result)
                            : SendMessageTimeoutA(hwnd, m.id, m.wparam, m.lparam,
                                                  SMTO_BLOCK | flags, timeout_ms, result);
  if (sent != 0) return SendResult::kAnswered;
  return IsWindow(hwnd) ? SendResult::kTimedOut : SendResult::kGone;
}

SendResult SendBounded(WindowHandle box, const Message& m, bool wide, DWORD_PTR* result = nullptr) {
  DWORD_PTR ignored = 0;
  return Send(box, m, wide, 0, kSendTimeoutMs, result != nullptr ? result : &ignored);
}

// One WM_GETTEXT into a buffer (asking for the length first can hang on a
// busy window); a buffer filled to the brim may have cut the text, so grow.
SendResult ReadText(WindowHandle box, std::string& text) {
  for (unsigned size = 4096;; size *= 2) {
    std::vector<wchar_t> buffer(size, L'\0');
    DWORD_PTR copied = 0;
    const SendResult read = Send(box, {WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer.data())},
                                 true, SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied);
    if (read != SendResult::kAnswered) return read;
    if (copied + 1 < size || size >= kMaxDraftChars) {
      text = WideToUtf8(std::wstring_view(buffer.data(), copied < size ? copied : size - 1));
      return read;
    }
  }
}

// The text of a rich edit, in UTF-16, behind its GETTEXTEX or SETTEXTEX.
constexpr UINT kUtf16CodePage = 1200;

}  // namespace

RemoteBuffer::RemoteBuffer(HWND window, size_t size) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  process_.Reset(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id));
  if (!process_) return;
  address_ =
      VirtualAllocEx(process_.Get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer() {
  if (address_ != nullptr) VirtualFreeEx(process_.Get(), address_, 0, MEM_RELEASE);
}

RemoteBuffer::RemoteBuffer(RemoteBuffer&& other) noexcept
    : process_(std::move(other.process_)), address_(std::exchange(other.address_, nullptr)) {}

LPARAM RemoteBuffer::At(size_t offset) const {
  return reinterpret_cast<LPARAM>(static_cast<char*>(address_) + offset);
}

bool RemoteBuffer::Write(size_t offset, const void* data, size_t size) const {
  return WriteProcessMemory(process_.Get(), static_cast<char*>(address_) + offset, data, size,
                            nullptr) != 0;
}

bool RemoteBuffer::Read(size_t offset, void* data, size_t size) const {
  return ReadProcessMemory(process_.Get(), static_cast<char*>(address_) + offset, data, size,
                           nullptr) != 0;
}

SendResult Win32WindowOps::Release(SendResult result) {
  if (result == SendResult::kAnswered) held_.clear();
  return result;
}

bool Win32WindowOps::ReadRichText(WindowHandle box, std::string& text) {
  const HWND hwnd = ToHwnd(box);
  const size_t chars = text.size() + 1;  // UTF-8 is never shorter than UTF-16
  RemoteBuffer remote(hwnd, sizeof(GETTEXTEX) + chars * sizeof(wchar_t));
  if (!remote) return false;
  const GETTEXTEX get{static_cast<DWORD>(chars * sizeof(wchar_t)), GT_DEFAULT, kUtf16CodePage,
                      nullptr, nullptr};
  if (!remote.Write(0, &get, sizeof(get))) return false;
  DWORD_PTR copied = 0;
  const SendResult sent = SendBounded(
      box, {EM_GETTEXTEX, static_cast<WPARAM>(remote.At(0)), remote.At(sizeof(GETTEXTEX))}, true,
      &copied);
  if (sent == SendResult::kTimedOut) Hold(std::move(remote));
  // A window that is no rich edit answers 0: what WM_GETTEXT read stands.
  if (sent != SendResult::kAnswered || copied == 0 || copied >= chars) return false;
  std::wstring wide(copied, L'\0');
  if (!remote.Read(sizeof(GETTEXTEX), wide.data(), copied * sizeof(wchar_t))) return false;
  text = WideToUtf8(wide);
  return true;
}

SendResult Win32WindowOps::WriteRichText(WindowHandle box, const std::string& text) {
  const std::wstring wide = Utf8ToWide(text);
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  RemoteBuffer remote(ToHwnd(box), sizeof(SETTEXTEX) + bytes);
  const SETTEXTEX set{ST_DEFAULT, kUtf16CodePage};
  if (!remote || !remote.Write(0, &set, sizeof(set)) ||
      !remote.Write(sizeof(SETTEXTEX), wide.c_str(), bytes)) {
    return SendResult::kGone;
  }
  const Message message{EM_SETTEXTEX, static_cast<WPARAM>(remote.At(0)),
                        remote.At(sizeof(SETTEXTEX))};
  DWORD_PTR set_ok = 0;
  const SendResult sent = SendBounded(box, message, true, &set_ok);
  if (sent == SendResult::kTimedOut) {
    Hold(std::move(remote));
  } else if (sent == SendResult::kAnswered && set_ok == 0) {
    return SendResult::kGone;  // no rich edit after all
  }
  return sent;
}

WindowHandle Win32WindowOps::FindTopLevel(const char* class_name) {
  return ToHandle(FindWindowA(class_name, nullptr));
}

WindowHandle Win32WindowOps::FindChild(WindowHandle parent, WindowHandle after,
                                       const char* class_name) {
  return ToHandle(FindWindowExA(ToHwnd(parent), ToHwnd(after), class_name, nullptr));
}

SendResult Win32WindowOps::ReadDraft(WindowHandle box, Draft& draft) {
  const SendResult read = Release(ReadText(box, draft.text));
  if (read != SendResult::kAnswered) return read;
  if (!IsWindowUnicode(ToHwnd(box))) ReadRichText(box, draft.text);
  // EM_GETSEL's answer carries both ends, so nothing needs to cross between
  // the processes but the answer itself.
  DWORD_PTR selection = 0;
  const SendResult selected = SendBounded(box, {EM_GETSEL, 0, 0}, true, &selection);
  draft.selection_start = LOWORD(selection);
  draft.selection_end = HIWORD(selection);
  return selected;
}

SendResult Win32WindowOps::SetLine(WindowHandle box, const std::string& text) {
  const std::string ansi = Utf8ToAnsi(text);
  return SendBounded(box, {WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ansi.c_str())}, false);
}

SendResult Win32WindowOps::SendChar(WindowHandle box, unsigned character) {
  return SendBounded(box, {WM_CHAR, character, 0}, false);
}

SendResult Win32WindowOps::RestoreDraft(WindowHandle box, const Draft& draft) {
  SendResult restored = SendResult::kGone;
  if (!IsWindowUnicode(ToHwnd(box))) restored = WriteRichText(box, draft.text);
  if (restored == SendResult::kGone) {
    const std::wstring wide = Utf8ToWide(draft.text);
    restored = SendBounded(box, {WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str())}, true);
  }
  if (restored != SendResult::kAnswered) return restored;
  const Message select{EM_SETSEL, draft.selection_start, static_cast<LPARAM>(draft.selection_end)};
  return Release(SendBounded(box, select, true));
}

SendResult Win32WindowOps::Probe(WindowHandle box) {
  return Release(SendBounded(box, {WM_NULL, 0, 0}, true));
}

}  // namespace dizod
