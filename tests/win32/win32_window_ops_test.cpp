// The user32 side of the bridge against edit boxes of this process, a Unicode
// window or not: what it reads of a draft, and what it puts back.

#include "chat/win32_window_ops.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace dizod {
namespace {

// An edit box that holds far more than a line.
struct EditBox {
  explicit EditBox(bool unicode = true) {
    constexpr DWORD kStyle = WS_POPUP | ES_AUTOHSCROLL;
    hwnd = CreateWindowExW(0, L"EDIT", L"", kStyle, 0, 0, 200, 24, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
    // A procedure of our own set through the ANSI function makes it an ANSI window.
    if (!unicode) {
      edit_proc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnsiProc)));
    }
  }
  static LRESULT CALLBACK AnsiProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    return CallWindowProcA(edit_proc, hwnd, message, wparam, lparam);
  }
  ~EditBox() {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  WindowHandle Handle() const { return reinterpret_cast<WindowHandle>(hwnd); }
  std::wstring Text() const {
    std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
    text.resize(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())));
    return text;
  }
  HWND hwnd;
  static inline WNDPROC edit_proc = nullptr;
};

TEST(Win32WindowOps, LongDraftIsReadWholeAndPutBackWithItsSelection) {
  EditBox box;
  // 5000 characters: more than the first read's buffer holds.
  std::wstring draft;
  for (int i = 0; i < 1000; ++i) draft += L"ab\u03A9\u00E9 ";
  SetWindowTextW(box.hwnd, draft.c_str());
  SendMessageW(box.hwnd, EM_SETSEL, 4000, 4010);

  Win32WindowOps ops;
  Draft read;
  ASSERT_EQ(ops.ReadDraft(box.Handle(), read), SendResult::kAnswered);
  EXPECT_EQ(read.text.size(), 7000u);  // 3000 one-byte and 2000 two-byte characters in UTF-8
  EXPECT_EQ(read.text.substr(0, 8), "ab\xCE\xA9\xC3\xA9 a");
  EXPECT_EQ(read.selection_start, 4000u);
  EXPECT_EQ(read.selection_end, 4010u);

  // A line goes into any box as the code page holds it: what the client sends.
  ASSERT_EQ(ops.SetLine(box.Handle(), "Kr\xC3\xA1no \xCE\xA9"), SendResult::kAnswered);
  EXPECT_EQ(box.Text(), L"Kr\u00E1no ?");
  ASSERT_EQ(ops.RestoreDraft(box.Handle(), read), SendResult::kAnswered);
  EXPECT_EQ(box.Text(), draft);
  DWORD start = 0, end = 0;
  SendMessageW(box.hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 4000u);
  EXPECT_EQ(end, 4010u);
}

// An ANSI box is read and written with the ANSI messages. 4095 characters
// and the terminating zero fill the first read's buffer to the brim.
TEST(Win32WindowOps, DraftOfAnAnsiBoxThatFillsTheFirstBufferIsReadWholeAndPutBack) {
  EditBox box(false);
  ASSERT_FALSE(IsWindowUnicode(box.hwnd));
  const std::string draft = std::string(4090, 'a') +
                            "Gr\xFC\xDF"
                            "e";
  SetWindowTextA(box.hwnd, draft.c_str());
  SendMessageW(box.hwnd, EM_SETSEL, 4092, 4092);

  Win32WindowOps ops;
  Draft read;
  ASSERT_EQ(ops.ReadDraft(box.Handle(), read), SendResult::kAnswered);
  EXPECT_EQ(read.text, std::string(4090, 'a') +
                           "Gr\xC3\xBC\xC3\x9F"
                           "e");
  EXPECT_EQ(read.selection_start, 4092u);
  EXPECT_EQ(read.selection_end, 4092u);

  SetWindowTextA(box.hwnd, "");
  ASSERT_EQ(ops.RestoreDraft(box.Handle(), read), SendResult::kAnswered);
  char text[4200] = {};
  EXPECT_EQ(GetWindowTextA(box.hwnd, text, 4200), 4095);
  EXPECT_EQ(text, draft);
  // Written by us in the code page: an a with a macron is no plain a.
  ASSERT_EQ(ops.RestoreDraft(box.Handle(), {"\xC4\x81", 0, 0}), SendResult::kAnswered);
  GetWindowTextA(box.hwnd, text, 4200);
  EXPECT_STREQ(text, "?");
}

TEST(Win32WindowOps, WindowThatIsGoneIsToldApart) {
  EditBox box;
  DestroyWindow(box.hwnd);
  Win32WindowOps ops;
  Draft read;
  EXPECT_EQ(ops.ReadDraft(box.Handle(), read), SendResult::kGone);
  EXPECT_EQ(ops.SetLine(box.Handle(), "x"), SendResult::kGone);
  EXPECT_EQ(ops.Probe(box.Handle()), SendResult::kGone);
}

}  // namespace
}  // namespace dizod
