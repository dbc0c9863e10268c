// The user32 side of the bridge against edit boxes of this process, a Unicode
// window or not: what it reads of a draft, and what it puts back.

#include "chat/win32_window_ops.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace dizod {
namespace {

WNDPROC g_edit = nullptr;
LRESULT CALLBACK AnsiEdit(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return CallWindowProcA(g_edit, hwnd, message, wparam, lparam);
}

// An edit box that holds far more than a line; a procedure of our own set
// through the ANSI function makes it an ANSI window.
HWND EditBox(bool unicode) {
  HWND box = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 200, 24, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
  if (!unicode) {
    g_edit = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnsiEdit)));
  }
  return box;
}

// A draft longer than the first read's buffer (5000 characters; 4095 and the
// zero fill the ANSI box's to the brim) is read whole with its selection, a
// line goes in as the code page holds it, and the draft comes back.
TEST(Win32WindowOps, DraftIsReadWholeAndPutBackInEitherKindOfBox) {
  std::wstring wide;
  for (int i = 0; i < 1000; ++i) wide += L"ab\u03A9\u00E9 ";
  const std::string ansi = std::string(4090, 'a') +
                           "Gr\xFC\xDF"
                           "e";
  for (const bool unicode : {true, false}) {
    HWND box = EditBox(unicode);
    const auto handle = reinterpret_cast<WindowHandle>(box);
    unicode ? SetWindowTextW(box, wide.c_str()) : SetWindowTextA(box, ansi.c_str());
    SendMessageW(box, EM_SETSEL, 4000, 4010);
    Win32WindowOps ops;
    Draft read;
    ASSERT_EQ(ops.ReadDraft(handle, read), SendResult::kAnswered);
    EXPECT_EQ(read.text.size(), unicode ? 7000u : 4097u);
    const std::string tail = unicode ? "ab\xCE\xA9\xC3\xA9 "
                                     : "Gr\xC3\xBC\xC3\x9F"
                                       "e";
    EXPECT_EQ(read.text.substr(read.text.size() - 7), tail);
    EXPECT_EQ(read.selection_start * 10000 + read.selection_end, 40004010u);
    ASSERT_EQ(ops.SetLine(handle, "Kr\xC3\xA1no \xCE\xA9"), SendResult::kAnswered);
    wchar_t text[8000] = {};
    GetWindowTextW(box, text, 8000);
    EXPECT_STREQ(text, L"Kr\u00E1no ?");
    ASSERT_EQ(ops.RestoreDraft(handle, read), SendResult::kAnswered);
    GetWindowTextW(box, text, 8000);
    EXPECT_EQ(text, unicode ? wide : std::wstring(4090, L'a') + L"Gr\u00FC\u00DFe");
    DWORD start = 0, end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start * 10000 + end, 40004010u);
    // Put back in the code page by us: an a with a macron is no plain a.
    ASSERT_EQ(ops.RestoreDraft(handle, {"\xC4\x81", 0, 0}), SendResult::kAnswered);
    GetWindowTextW(box, text, 8000);
    EXPECT_STREQ(text, unicode ? L"\u0101" : L"?");
    DestroyWindow(box);
    EXPECT_EQ(ops.Probe(handle), SendResult::kGone);
    EXPECT_EQ(ops.SetLine(handle, "x"), SendResult::kGone);
  }
}

}  // namespace
}  // namespace dizod
