// The real program beside a chat client that this test plays itself, its
// windows on a thread of their own: where the lines go, their bytes and pace,
// a client that stalls, hangs or sends its box late, a maximized start, and a
// panel held in the system's move loop.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "panel/win32_panel_window.h"

namespace {

using enum dizod::Control;

// The chat client, made once on a thread of its own. Each of its windows is
// an ANSI edit box under the client's class name, which is all the program
// sees: a frame, its client area, a document that is no chat room (it lacks
// the static), then the room. The room's second rich-text window is the input
// box: on Enter, or `send_after` ms later, it sends what it holds and empties
// itself. The first message of kind `stall_at` from another thread sleeps in
// its handler for `stall_ms`, or until the program ends. WM_APP is the user
// typing an X at the caret and sending the box at once.
std::atomic<UINT> stall_at{0}, stall_ms{0}, send_after{0};
WNDPROC edit = nullptr;
std::atomic<HWND> box{nullptr};
char texts[32][256];  // what the box sent, and when
double times[32];
std::atomic<size_t> sent{0}, stray{0}, slow{0};
PROCESS_INFORMATION program{};
HWND panel = nullptr;

LRESULT CALLBACK Client(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (hwnd != box && InSendMessage() && message != WM_COMMAND) ++stray;  // but the box's notes
  if (InSendMessage() && message == stall_at && stall_at.exchange(0) != 0)
    WaitForSingleObject(program.hProcess, stall_ms);
  const bool enter = message == WM_CHAR && wparam == 13 && hwnd == box, late = enter && send_after;
  if (late) SetTimer(hwnd, 13, send_after, nullptr);
  if (message == WM_APP) CallWindowProcA(edit, hwnd, WM_CHAR, 'X', 0);
  const bool now = (enter && !late) || message == WM_APP ||
                   (message == WM_TIMER && wparam == 13 && KillTimer(hwnd, 13));
  if (now && sent < std::size(texts)) {
    GetWindowTextA(hwnd, texts[sent], 256);
    SetWindowTextA(hwnd, "");
    times[sent] = static_cast<double>(GetTickCount64());
    ++sent;  // publishes the line to the test's thread
  }
  return enter || now ? 0 : CallWindowProcA(edit, hwnd, message, wparam, lparam);
}

void RunClient() {
  WNDCLASSA cls{};
  GetClassInfoA(nullptr, "EDIT", &cls);
  edit = std::exchange(cls.lpfnWndProc, Client);
  const auto make = [&cls](const char* kind, HWND parent) {
    cls.lpszClassName = kind;
    RegisterClassA(&cls);
    return CreateWindowA(kind, "", parent ? WS_CHILD : 0, 0, 0, 999, 20, parent, {}, {}, {});
  };
  HWND area = make("MDIClient", make("AOL Frame25", nullptr)), room = nullptr;
  for (const char* last : {"_AOL_Icon", "_AOL_Static"}) {  // the decoy has no static
    room = make("AOL Child", area);
    for (const char* k : {"RICHCNTL", "RICHCNTL", "_AOL_Listbox", "_AOL_Icon", last}) make(k, room);
  }
  box = GetWindow(GetWindow(room, GW_CHILD), GW_HWNDNEXT);
  for (MSG message; GetMessageA(&message, nullptr, 0, 0) > 0;) DispatchMessageA(&message);
}

// Meanwhile asks the panel every 20 ms to answer within 250 ms (0: SMTO_NORMAL): a
// panel that waited on the client would take seconds; a busy machine, a little.
void Wait(const auto& done, ULONGLONG ms) {
  for (const ULONGLONG end = GetTickCount64() + ms; !done() && GetTickCount64() < end; Sleep(20))
    if (!SendMessageTimeoutW(panel, WM_NULL, 0, 0, 0, 250, nullptr) && IsWindow(panel)) ++slow;
}
// The lines the room got, each framed one by what is inside its frame, a '|'
// after each; once there are `count` and the program has had 0.3 s to put a
// draft back, or `ms` have passed.
std::string Room(size_t count = 0, ULONGLONG ms = 0) {
  Wait([&] { return sent >= count; }, ms);
  Sleep(300);
  std::string room;
  for (size_t i = 0; i < sent; ++i) {
    const std::string line = texts[i], left = "\xBA\xB7-.\xB7 ", right = " \xB7.-\xB7\xBA";
    const bool framed = line.size() >= 12 && line.starts_with(left) && line.ends_with(right);
    room += (framed ? line.substr(6, line.size() - 12) : line) + "|";
  }
  return room;
}

// The program beside the client (with `stall`, `ms` and `late` for its
// faults, see above), started with `show`, through `script`; then Exit, which
// ends it within 8 s. The draft has the caret after "half".
void Play(UINT stall, UINT ms, UINT late, const char* draft, WORD show, const auto& script) {
  if (box == nullptr) std::thread(RunClient).detach();
  Wait([] { return box != nullptr; }, 5000);
  SetWindowTextA(box, draft);
  SendMessageA(box, EM_SETSEL, 4, 4);
  sent = 0, stray = 0, slow = 0, stall_ms = ms, send_after = late, stall_at = stall;
  STARTUPINFOW start{};
  start.cb = sizeof(start), start.dwFlags = STARTF_USESHOWWINDOW, start.wShowWindow = show;
  CreateProcessW(L"" DIZOD_EXE, {}, {}, {}, FALSE, CREATE_SUSPENDED, {}, {}, &start, &program);
  ResumeThread(program.hThread);  // once a stall can wait for its end
  Wait([] { return IsWindowVisible(panel = FindWindowW(dizod::kPanelClassName, {})); }, 9000);
  script();
  PostMessageW(GetDlgItem(panel, dizod::ControlId(kExit)), BM_CLICK, 0, 0);
  EXPECT_EQ(WaitForSingleObject(program.hProcess, 8000), WAIT_OBJECT_0) << "Exit ended it";
  TerminateProcess(program.hProcess, 1);  // its handles stay open: a stall may wait on it
  EXPECT_EQ(slow, 0u) << "times the panel took longer than 250 ms to answer";
  EXPECT_EQ(stray, 0u) << "messages to a window of the client other than the input box";
}

// Started maximized, the panel opens as the normal panel, its start-up lines
// at their pace past the decoy: the first pause ends on a whole second 0.5 to
// 1.5 s on, the next a second after that. The box sends 50 ms after each Enter:
// empty, it gets Start and Stop, clicked 0.5 s apart, whole and is empty
// again. Holding a draft, with the panel held in the system's move loop by a
// keyboard move (which ends on Enter or Esc only), it gets Start's lines at
// their pace with a reason whose omega its code page lacks, never the draft,
// and the draft back; Exit there posts the sign-off. The lines in
// Windows-1252.
TEST(TwoProcesses, FromAMaximizedStartToAnExitInTheMoveLoopEveryLineAtItsPace) {
  Play(0, 0, 50, "", SW_SHOWMAXIMIZED, [] {
    EXPECT_TRUE(IsWindowVisible(panel) && !IsZoomed(panel) && !IsIconic(panel));
    // Tab goes from the reason box to Start, through the program's own loop.
    PostMessageW(GetDlgItem(panel, dizod::ControlId(kReasonBox)), WM_KEYDOWN, VK_TAB, 0);
    Room(3, 8000);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(program.dwThreadId, &info);
    EXPECT_EQ(info.hwndFocus, GetDlgItem(panel, dizod::ControlId(kStart)));
    PostMessageW(GetDlgItem(panel, dizod::ControlId(kStart)), BM_CLICK, 0, 0);
    Sleep(500);
    PostMessageW(GetDlgItem(panel, dizod::ControlId(kStop)), BM_CLICK, 0, 0);
    Room(9, 8000);
    SendMessageA(box, WM_APP, 0, 0);
    SetWindowTextA(box, "half-typed draft");
    SendMessageA(box, EM_SETSEL, 4, 4);
    SetWindowTextW(GetDlgItem(panel, dizod::ControlId(kReasonBox)), L"lunch \u03A9");
    PostMessageW(GetDlgItem(panel, dizod::ControlId(kStart)), BM_CLICK, 0, 0);
    PostMessageW(panel, WM_SYSCOMMAND, SC_MOVE, 0);
    Room(13, 3500);
    // Still in the move loop, which only Enter or Esc end.
    EXPECT_TRUE(GetGUIThreadInfo(program.dwThreadId, &info) && (info.flags & GUI_INMOVESIZE));
    SendMessageA(box, WM_APP, 0, 0);
  });
  EXPECT_EQ(Room(),
            "Kr\xE1no Dizod| By: Krano | Act\xEDvated |Kr\xE1no Dizod | Idle - On |Reason: Reason|"
            "Kr\xE1no Dizod| Idle - Off |User Was Idle For 0 minutes|X|Kr\xE1no Dizod | Idle - On "
            "|Reason: lunch ?|halfX-typed draft|Kr\xE1no Dizod| By: Krano |UnAct\xEDvated|");
  for (size_t i : {1u, 2u, 11u, 12u}) EXPECT_NEAR(times[i] - times[i - 1], 1000, i % 2 ? 650 : 250);
}

// The client sleeps inside a message of the first line: 2 s in the set, 6 s
// in the Enter, or for good. The panel answers meanwhile, the line arrives
// unless the client never answers again, the draft is never sent and is back
// once the client answers, and Exit ends the program within 8 s.
TEST(TwoProcesses, StalledInTheSetOrTheEnterOrHungTheClientHoldsUpNothing) {
  const UINT rows[][2] = {{WM_SETTEXT, 2000}, {WM_CHAR, 6000}, {WM_SETTEXT, INFINITE}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row[0]) + " for " + std::to_string(row[1]));
    Play(row[0], row[1], 0, "half-typed draft", SW_SHOWMINNOACTIVE, [&] {
      EXPECT_TRUE(!IsIconic(panel) && GetForegroundWindow() != panel);  // as asked, not active
      Wait([] { return false; }, 10000);
      EXPECT_EQ(stall_at, 0u);
      // A hung client cannot be asked.
      if (row[1] != INFINITE) SendMessageA(box, WM_APP, 0, 0);
    });
    EXPECT_EQ(Room().find("half-typed draft"), std::string::npos);
    EXPECT_EQ(Room().starts_with("Kr\xE1no Dizod|"), row[1] != INFINITE);
    EXPECT_EQ(Room().find("|halfX-typed draft|") != std::string::npos, row[1] != INFINITE);
  }
}

}  // namespace
