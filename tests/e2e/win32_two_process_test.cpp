// The real program beside the stand-in chat client (tools/demo), each started
// as a user starts it, read off the stand-in's transcript: where the lines go,
// their bytes and pace, the draft's return, a client that stalls or hangs, a
// maximized or minimized start, and a panel held in the system's move loop.

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "panel/win32_panel_window.h"

namespace {

using enum dizod::Control;

// What the room's input box holds with the user's draft: the caret after
// "half", the text in UTF-16LE.
constexpr char kDraftBox[] = "4,4:680061006C0066002D0074007900700065006400200064007200610066007400";
// The stand-in's command line but for its faults: a decoy, then the room with the draft.
constexpr wchar_t kClient[] = L"" STANDIN_EXE
                              " --transcript e2e-transcript.txt --doc no-static "
                              "--doc room --draft \"half-typed draft\" --caret 4 ";
HWND panel = nullptr;
int slow = 0;

HANDLE Launch(std::wstring command, WORD show) {
  STARTUPINFOW start{};
  start.cb = sizeof(start), start.dwFlags = STARTF_USESHOWWINDOW, start.wShowWindow = show;
  PROCESS_INFORMATION started{};
  CreateProcessW(nullptr, command.data(), {}, {}, FALSE, 0, {}, {}, &start, &started);
  CloseHandle(started.hThread);
  return started.hProcess;
}

// Meanwhile asks the panel every 20 ms to answer within 250 ms (0: SMTO_NORMAL): a
// panel that waited on the client would take seconds; a busy machine, a little.
void Wait(const auto& done, ULONGLONG ms) {
  for (const ULONGLONG end = GetTickCount64() + ms; !done() && GetTickCount64() < end; Sleep(20))
    if (!SendMessageTimeoutW(panel, WM_NULL, 0, 0, 0, 250, nullptr) && IsWindow(panel)) ++slow;
}

// The transcript: the lines the room got, each by what is inside its frame,
// a '|' after each, and when each came; what the box last held, and when it
// first answered.
struct Room {
  std::string lines, box;
  std::vector<long long> times;
  long long first_answer = 0;
};
Room Read() {
  Room room;
  std::ifstream transcript("e2e-transcript.txt");
  std::string doc, box, event, hex;
  for (long long ms = 0; transcript >> ms >> doc >> box >> event >> hex;) {
    if (event == "BOX" && room.box.empty()) room.first_answer = ms;
    if (event == "BOX") room.box = hex;
    if (event != "CR") continue;
    std::string line;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
      line.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    const bool framed = line.starts_with("\xBA\xB7-.\xB7 ") && line.ends_with(" \xB7.-\xB7\xBA");
    room.lines.append(framed ? line.substr(6, line.size() - 12) : "unframed " + line)
        .push_back('|');
    room.times.push_back(ms);
  }
  return room;
}

// The stand-in with `faults`, the draft in its room's box after a decoy, and
// the program beside it started with `show`, through `script`; then Exit,
// which ends it within 8 s.
Room Play(const wchar_t* faults, WORD show, const auto& script) {
  DeleteFileW(L"e2e-transcript.txt");
  const HANDLE client = Launch(std::wstring(kClient) + faults, SW_SHOWNOACTIVATE);
  Wait([] { return IsWindowVisible(FindWindowW(L"AOL Frame25", nullptr)); }, 9000);
  slow = 0;
  const HANDLE program = Launch(L"" DIZOD_EXE, show);
  Wait([] { return IsWindowVisible(panel = FindWindowW(dizod::kPanelClassName, {})); }, 9000);
  script();
  PostMessageW(GetDlgItem(panel, dizod::ControlId(kExit)), BM_CLICK, 0, 0);
  EXPECT_EQ(WaitForSingleObject(program, 8000), WAIT_OBJECT_0) << "Exit ended it";
  EXPECT_EQ(slow, 0) << "times the panel took longer than 250 ms to answer";
  for (const HANDLE process : {program, client}) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);  // its windows gone before the next play
    CloseHandle(process);
  }
  return Read();
}

// Started maximized, the panel opens as the normal panel, its start-up lines
// at their pace past the decoy: the first pause ends on a whole second 0.5 to
// 1.5 s on, the next a second after that. The box sends 50 ms after each
// Enter, so a line after a pause comes just after a whole second. With the
// panel held in the system's move loop by a keyboard move (which ends on
// Enter or Esc only), the room gets Start's lines at their pace with a reason
// whose omega its code page lacks; Exit there posts the sign-off. The draft
// is never sent and is back. The lines in Windows-1252.
TEST(TwoProcesses, FromAMaximizedStartToAnExitInTheMoveLoopEveryLineAtItsPace) {
  const Room room = Play(L"--send 50", SW_SHOWMAXIMIZED, [] {
    EXPECT_TRUE(IsWindowVisible(panel) && !IsZoomed(panel) && !IsIconic(panel));
    // Tab goes from the reason box to Start, through the program's own loop.
    PostMessageW(GetDlgItem(panel, dizod::ControlId(kReasonBox)), WM_KEYDOWN, VK_TAB, 0);
    Wait([] { return Read().times.size() >= 3; }, 8000);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = GetWindowThreadProcessId(panel, nullptr);
    GetGUIThreadInfo(thread, &info);
    EXPECT_EQ(info.hwndFocus, GetDlgItem(panel, dizod::ControlId(kStart)));
    SetWindowTextW(GetDlgItem(panel, dizod::ControlId(kReasonBox)), L"lunch \u03A9");
    PostMessageW(GetDlgItem(panel, dizod::ControlId(kStart)), BM_CLICK, 0, 0);
    PostMessageW(panel, WM_SYSCOMMAND, SC_MOVE, 0);
    Wait([] { return Read().times.size() >= 6; }, 3500);
    EXPECT_TRUE(GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE));
  });
  EXPECT_EQ(room.lines,
            "Kr\xE1no Dizod| By: Krano | Act\xEDvated |Kr\xE1no Dizod | Idle - On "
            "|Reason: lunch ?|Kr\xE1no Dizod| By: Krano |UnAct\xEDvated|");
  EXPECT_EQ(room.box, kDraftBox);
  ASSERT_EQ(room.times.size(), 9u);
  for (size_t i : {1u, 2u, 4u, 5u, 7u, 8u}) {
    EXPECT_NEAR(room.times[i] - room.times[i - 1], 1000, i % 3 == 1 ? 650 : 250) << i;
    EXPECT_LT(room.times[i] % 1000, 250) << i;  // the pause ended on a whole second
  }
}

// The client sleeps inside a message of the first line: 2 s in the set, 6 s
// in the Enter, or for good. The panel answers meanwhile, the line arrives
// (once the client wakes) unless the client never answers again, the draft
// is never sent and is in the box at the end, and Exit ends the program
// within 8 s.
TEST(TwoProcesses, StalledInTheSetOrTheEnterOrHungTheClientHoldsUpNothing) {
  const std::pair<const wchar_t*, long long> rows[] = {
      {L"--stall set:2000", 2000}, {L"--stall enter:6000", 6000}, {L"--hang set", 0}};
  for (const auto& [faults, stall] : rows) {
    const Room room = Play(faults, SW_SHOWMINNOACTIVE, [] {
      EXPECT_TRUE(!IsIconic(panel) && GetForegroundWindow() != panel);  // as asked, not active
      Wait([] { return false; }, 10000);
    });
    EXPECT_EQ(room.lines.find("half"), std::string::npos);
    EXPECT_EQ(room.lines.starts_with("Kr\xE1no Dizod|"), stall != 0);
    EXPECT_GE(room.times.empty() ? stall : room.times[0] - room.first_answer, stall);
    EXPECT_EQ(room.box, kDraftBox);
  }
}

}  // namespace
