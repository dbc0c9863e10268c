#include "chat/win32_text.h"

#include <windows.h>

namespace dizod {

std::wstring Utf8ToWide(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

namespace {

std::string FromWide(UINT code_page, std::wstring_view text) {
  if (text.empty()) return {};
  // Best-fit mapping and a default character are refused for UTF-8, which is
  // also what a system set to UTF-8 has as its ANSI code page.
  const bool utf8 = code_page == CP_UTF8 || (code_page == CP_ACP && GetACP() == CP_UTF8);
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = utf8 ? nullptr : "?";
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(code_page, flags, text.data(), size, nullptr, 0, fallback, nullptr);
  std::string narrow(length, '\0');
  WideCharToMultiByte(code_page, flags, text.data(), size, narrow.data(), length, fallback,
                      nullptr);
  return narrow;
}

}  // namespace

std::string WideToUtf8(std::wstring_view text) {
  return FromWide(CP_UTF8, text);
}

std::string Utf8ToAnsi(std::string_view text) {
  return FromWide(CP_ACP, Utf8ToWide(text));
}

}  // namespace dizod
