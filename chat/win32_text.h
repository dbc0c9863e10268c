#pragma once
// The one place where text crosses between the program's UTF-8 and Windows'
// UTF-16 and ANSI code page.

#include <string>
#include <string_view>

namespace dizod {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
// In the system's ANSI code page; a character it lacks becomes '?', never a
// look-alike.
std::string Utf8ToAnsi(std::string_view text);

}  // namespace dizod
