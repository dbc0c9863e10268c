// The real program beside a chat client that this test plays itself, its
// windows on a thread of their own: where the lines go, their bytes and pace,
// a client that stalls, hangs or sends its box late, a maximized start, and a
// panel held in the system's move loop.

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "panel/win32_panel_window.h"

namespace {

using dizod::Control;
using Lines = std::vector<std::string>;

// Lines as the client receives them: their Windows-1252 bytes in hex.
const char kBanner[] = "BAB72D2EB7204B72E16E6F2044697A6F6420B72E2DB7BA";
const char kByLine[] = "BAB72D2EB7202042793A204B72616E6F2020B72E2DB7BA";
const char kActivated[] = "BAB72D2EB72020416374ED76617465642020B72E2DB7BA";
const char kWideBanner[] = "BAB72D2EB7204B72E16E6F2044697A6F642020B72E2DB7BA";
const char kIdleOn[] = "BAB72D2EB7202049646C65202D204F6E2020B72E2DB7BA";
const char kReason[] = "BAB72D2EB720526561736F6E3A20526561736F6E20B72E2DB7BA";  // "Reason"
// A half-typed line, and the input box holding it with the caret after "half".
const char kDraft[] = "half-typed draft";
const char kDraftBox[] = "4,4:half-typed draft";

// What the input box does with messages from another program.
struct Faults {
  UINT stall_at = 0;    // the first one of this kind sleeps in its handler...
  DWORD stall_ms = 0;   // ...this long (INFINITE: until the scene ends)
  UINT send_after = 0;  // ms from an Enter until the box sends what it holds
};

// The chat client on a thread of its own, and the real program beside it.
// Each window of the client is an ANSI edit box under the client's class
// name, which is all the program sees: a frame, its client area, a document
// that is no chat room (it lacks the static), then the room. The room's
// second rich-text window is the input box: on Enter it sends what it holds
// and empties itself. While the test waits, it asks the panel every 20 ms
// to answer within 100 ms.
struct Scene {
  explicit Scene(Faults how, const char* draft = "", WORD show = SW_SHOWNORMAL)
      : faults(how), stall_at(how.stall_at), client([this, draft] { RunClient(draft); }) {
    Wait([this] { return box != nullptr; }, 5000);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    CreateProcessW(L"" DIZOD_EXE, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &program);
    Wait([this] { return IsWindowVisible(panel = FindWindowW(dizod::kPanelClassName, nullptr)); },
         10000);
  }
  ~Scene() {
    TerminateProcess(program.hProcess, 1);
    WaitForSingleObject(program.hProcess, 5000);
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
    SetEvent(wake);
    PostThreadMessageW(GetWindowThreadProcessId(box, nullptr), WM_QUIT, 0, 0);
    client.join();
    CloseHandle(wake);
    EXPECT_EQ(unanswered, 0) << "times the panel took longer than 100 ms to answer";
    EXPECT_EQ(stray, 0) << "messages to a window of the client other than the input box";
  }

  bool Wait(const auto& done, ULONGLONG timeout_ms) {
    for (const ULONGLONG end = GetTickCount64() + timeout_ms; !done(); Sleep(20)) {
      const bool answered = SendMessageTimeoutW(panel, WM_NULL, 0, 0, SMTO_NORMAL, 100, nullptr);
      unanswered += (answered || !IsWindow(panel)) ? 0 : 1;
      if (GetTickCount64() > end) return false;
    }
    return true;
  }
  bool Ended(DWORD ms) const { return WaitForSingleObject(program.hProcess, ms) == 0; }
  void Click(Control button) const {
    PostMessageW(GetDlgItem(panel, dizod::ControlId(button)), BM_CLICK, 0, 0);
  }
  // The lines sent, once there are `count` of them or `ms` have passed.
  Lines Sent(size_t count = 0, ULONGLONG ms = 0) {
    Wait([&] { return sent >= count; }, ms);
    return Lines(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(sent.load()));
  }
  // Milliseconds between the line numbered `line` and the one before it.
  double Gap(size_t line) { return static_cast<double>(times.at(line) - times.at(line - 1)); }
  // The input box as "start,end:text", once the program has had the time to
  // put a draft back after the last line.
  std::string Box() const {
    Sleep(300);
    char text[256] = {};
    GetWindowTextA(box, text, sizeof(text));
    const LRESULT selection = SendMessageA(box, EM_GETSEL, 0, 0);
    return std::to_string(LOWORD(selection)) + "," + std::to_string(HIWORD(selection)) + ":" + text;
  }
  bool InMoveLoop() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(panel, nullptr), &info);
    return (info.flags & GUI_INMOVESIZE) != 0;
  }

  static LRESULT CALLBACK Client(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    Scene& s = *current;
    const bool outside = InSendMessage() != FALSE;
    if (hwnd != s.box && outside && message != WM_COMMAND) ++s.stray;  // but the box's own notes
    if (hwnd == s.box && outside && message == s.stall_at && s.stall_at.exchange(0) != 0) {
      WaitForSingleObject(s.wake, s.faults.stall_ms);
    }
    const bool enter = hwnd == s.box && message == WM_CHAR && wparam == 13;
    const bool due = message == WM_TIMER && wparam == 13 && KillTimer(hwnd, 13);
    if (enter && s.faults.send_after > 0) SetTimer(hwnd, 13, s.faults.send_after, nullptr);
    if (((enter && s.faults.send_after == 0) || due) && s.sent < s.lines.size()) {
      char text[256] = {};
      GetWindowTextA(hwnd, text, sizeof(text));
      SetWindowTextA(hwnd, "");
      for (const unsigned char byte : std::string(text)) {
        s.lines[s.sent].append({"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]});
      }
      s.times[s.sent] = GetTickCount64();
      ++s.sent;  // publishes the line to the test's thread
    }
    return enter || due ? 0 : CallWindowProcA(s.edit, hwnd, message, wparam, lparam);
  }
  void RunClient(const char* draft) {
    current = this;
    WNDCLASSA cls{};
    GetClassInfoA(nullptr, "EDIT", &cls);
    edit = cls.lpfnWndProc;
    cls.lpfnWndProc = Client;
    const auto make = [&cls](const char* kind, HWND parent) {
      cls.lpszClassName = kind;
      RegisterClassA(&cls);  // once for the whole test program
      return CreateWindowExA(0, kind, "", parent != nullptr ? WS_CHILD : 0, 0, 0, 99, 20, parent,
                             nullptr, nullptr, nullptr);
    };
    HWND area = make("MDIClient", make("AOL Frame25", nullptr)), room = nullptr;
    for (const char* last : {"_AOL_Icon", "_AOL_Static"}) {  // the decoy has no static
      room = make("AOL Child", area);
      for (const char* kind : {"RICHCNTL", "RICHCNTL", "_AOL_Listbox", "_AOL_Icon", last})
        make(kind, room);
    }
    HWND input =
        FindWindowExA(room, FindWindowExA(room, nullptr, "RICHCNTL", nullptr), "RICHCNTL", nullptr);
    SetWindowTextA(input, draft);
    SendMessageA(input, EM_SETSEL, 4, 4);
    box = input;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  }

  static inline Scene* current = nullptr;
  const Faults faults;
  std::atomic<UINT> stall_at;
  HANDLE wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // ends a stall
  WNDPROC edit = nullptr;
  std::atomic<HWND> box{nullptr};
  HWND panel = nullptr;
  std::array<std::string, 16> lines;  // what the box sent, and when
  std::array<ULONGLONG, 16> times{};
  std::atomic<size_t> sent{0};
  std::atomic<int> stray{0}, unanswered{0};
  PROCESS_INFORMATION program{};
  std::thread client;
};

// Started maximized, the panel opens as the normal panel, and its start-up
// lines go past the decoy one second apart. Then Start, and the panel held in
// the system's move loop by a keyboard move (which ends on Enter or Esc only):
// Start's lines keep their pace there, and Exit there posts the sign-off and
// ends the program.
TEST(TwoProcesses, MaximizedStartThenLinesAndTheSignOffWhileThePanelIsDragged) {
  Scene s({}, "", SW_SHOWMAXIMIZED);
  EXPECT_TRUE(IsWindowVisible(s.panel) && !IsZoomed(s.panel) && !IsIconic(s.panel));
  s.Sent(3, 8000);
  s.Click(Control::kStart);
  Sleep(300);
  PostMessageW(s.panel, WM_SYSCOMMAND, SC_MOVE, 0);
  ASSERT_TRUE(s.Wait([&s] { return s.InMoveLoop(); }, 1000));
  EXPECT_EQ(s.Sent(6, 2500).size(), 6u);
  EXPECT_TRUE(s.InMoveLoop());
  s.Click(Control::kExit);
  EXPECT_TRUE(s.Ended(8000));
  EXPECT_EQ(s.Sent(), Lines({kBanner, kByLine, kActivated, kWideBanner, kIdleOn, kReason, kBanner,
                             kByLine, "BAB72D2EB720556E416374ED766174656420B72E2DB7BA"}));
  for (const size_t line : {1u, 2u, 4u, 5u}) EXPECT_NEAR(s.Gap(line), 1000, 550) << line;
}

// The client sleeps inside a message of the first line, for 6 s or for good:
// the panel answers meanwhile, the draft is never sent and is back once the
// client answers, and Exit ends the program within 8 s.
class Stall : public ::testing::TestWithParam<Faults> {};

TEST_P(Stall, PanelAnswersTheDraftComesBackAndExitEndsTheProgram) {
  Scene s(GetParam(), kDraft);
  s.Wait([] { return false; }, 10000);
  EXPECT_EQ(s.stall_at, 0u);
  if (GetParam().stall_ms != INFINITE) {
    EXPECT_EQ(s.Box(), kDraftBox);
  }
  s.Click(Control::kExit);
  EXPECT_TRUE(s.Ended(8000));
  for (const std::string& line : s.Sent()) EXPECT_NE(line, "68616C662D7479706564206472616674");
}

INSTANTIATE_TEST_SUITE_P(E2e, Stall,
                         ::testing::Values(Faults{WM_SETTEXT, 6000}, Faults{WM_CHAR, 6000},
                                           Faults{WM_SETTEXT, INFINITE}));

// A box that sends what it holds 50 ms after the Enter. Empty, it gets Start
// and Stop, clicked 0.5 s apart, whole and is empty again; holding a draft, it
// gets a reason whose omega its code page lacks, never the draft, and the
// draft back.
TEST(TwoProcesses, BoxThatSendsLateGetsEveryLineAndTheDraftBack) {
  Scene s({0, 0, 50});
  s.Sent(3, 8000);
  s.Click(Control::kStart);
  Sleep(500);
  s.Click(Control::kStop);
  s.Sent(9, 8000);
  EXPECT_EQ(s.Box(), "0,0:");
  SetWindowTextA(s.box, kDraft);
  SendMessageA(s.box, EM_SETSEL, 4, 4);
  SendMessageW(GetDlgItem(s.panel, dizod::ControlId(Control::kReasonBox)), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(L"lunch \u03A9"));
  s.Click(Control::kStart);
  EXPECT_EQ(
      s.Sent(12, 8000),
      Lines({kBanner, kByLine, kActivated, kWideBanner, kIdleOn, kReason, kBanner,
             "BAB72D2EB7202049646C65202D204F66662020B72E2DB7BA",
             "BAB72D2EB72055736572205761732049646C6520466F722030206D696E7574657320B72E2DB7BA",
             kWideBanner, kIdleOn, "BAB72D2EB720526561736F6E3A206C756E6368203F20B72E2DB7BA"}));
  EXPECT_EQ(s.Box(), kDraftBox);
}

}  // namespace
