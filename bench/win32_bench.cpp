// Measures the real program from outside, under Wine on Linux, as a user and
// an inspector would see it: its size, start-up and memory; how long one line
// takes and where its time goes; how quickly the panel answers while the chat
// client is prompt, slow or hung; its CPU while the minute loop waits; and how
// exactly its pauses keep time, read off the stand-in chat client's
// transcript. Prints one Markdown table.
//
// CPU and memory are read from Linux's /proc (through Wine's Z: drive): that
// is what the machine really spent, outside Wine's own accounting.
//
//   dizod_bench [32-BIT-DIZOD-EXE]   (the 32-bit build's size is given too)

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/driver.h"
#include "chat/chat_bridge.h"
#include "chat/win32_window_ops.h"
#include "panel/win32_panel_window.h"

namespace {

using dizod::e2e::LatencyProbe;
using dizod::e2e::NowMs;
using dizod::e2e::Panel;
using dizod::e2e::Process;
using dizod::e2e::Standin;
using dizod::e2e::TranscriptEntry;

constexpr double kClockTicksPerSecond = 100;  // Linux's USER_HZ
constexpr long long kDayMs = 86400000;
constexpr int kLinesPerSequence = 3;
constexpr int kMinuteSeconds = 63;

// ---- Reading the machine ----

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Other developers may run programs of the same names in Wine prefixes of
// their own: only processes of this prefix count.
bool InThisPrefix(const std::string& proc_dir) {
  char prefix[MAX_PATH * 4] = {};
  const DWORD length = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix));
  if (length == 0 || length >= sizeof(prefix)) return true;
  const std::string entry = std::string("WINEPREFIX=") + prefix + std::string(1, '\0');
  return ('\0' + ReadFile(proc_dir + "\\environ")).find('\0' + entry) != std::string::npos;
}

// The field of /proc/PID/stat with this number (from 3 on: after the name).
std::string StatField(const std::string& stat, int number) {
  const size_t after_name = stat.rfind(')');
  if (after_name == std::string::npos) return "";
  std::istringstream fields(stat.substr(after_name + 2));
  std::string field;
  for (int i = 3; i <= number; ++i) {
    if (!(fields >> field)) return "";
  }
  return field;
}

// The Linux process of this prefix whose program's name starts with `name`;
// the newest, should an older one still be on its way out.
std::string ProcDirOf(const std::string& name) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
  std::string result;
  unsigned long long newest = 0;
  if (search == INVALID_HANDLE_VALUE) return result;
  do {
    const std::string pid = found.cFileName;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string dir = "Z:\\proc\\" + pid;
    const std::string cmdline = ReadFile(dir + "\\cmdline");
    if (BaseName(cmdline.substr(0, cmdline.find('\0'))).rfind(name, 0) != 0) continue;
    if (!InThisPrefix(dir)) continue;
    const std::string started = StatField(ReadFile(dir + "\\stat"), 22);
    const unsigned long long start = started.empty() ? 0 : std::stoull(started);
    if (result.empty() || start >= newest) {
      result = dir;
      newest = start;
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return result;
}

double CpuSeconds(const std::string& proc_dir) {
  if (proc_dir.empty()) return 0;
  const std::string stat = ReadFile(proc_dir + "\\stat");
  const std::string user = StatField(stat, 14), kernel = StatField(stat, 15);
  if (user.empty() || kernel.empty()) return 0;
  return (std::stod(user) + std::stod(kernel)) / kClockTicksPerSecond;
}

// A line of /proc/PID/status in megabytes, or -1.
double StatusMegabytes(const std::string& proc_dir, const std::string& key) {
  std::istringstream status(ReadFile(proc_dir + "\\status"));
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key + ":", 0) == 0) return std::stod(line.substr(key.size() + 1)) / 1024.0;
  }
  return -1;
}

long long FileBytes(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA file{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file)) return -1;
  return (static_cast<long long>(file.nFileSizeHigh) << 32) | file.nFileSizeLow;
}

// ---- The table ----

struct Stats {
  double min = 0, median = 0, max = 0;
};
Stats Summarise(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  const size_t half = values.size() / 2;
  const double median =
      values.size() % 2 == 1 ? values[half] : (values[half - 1] + values[half]) / 2;
  return {values.front(), median, values.back()};
}

void Row(const std::string& what, const std::string& value, const std::string& goal) {
  std::printf("| %s | %s | %s |\n", what.c_str(), value.c_str(), goal.c_str());
  std::fflush(stdout);
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[256];
  std::snprintf(text, sizeof(text), format, args...);
  return text;
}

// 296960 as "296,960".
std::string Grouped(long long value) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

// ---- Time of day ----

// The stand-in stamps its transcript in milliseconds since 1970 (UTC); the
// panel's pauses read the local time of day.
long long LocalOffsetMs() {
  static const long long offset = [] {
    FILETIME utc, local;
    GetSystemTimeAsFileTime(&utc);
    FileTimeToLocalFileTime(&utc, &local);
    const auto ticks = [](const FILETIME& t) {
      return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    const long long minutes = (ticks(local) - ticks(utc)) / 10000 / 60000;
    return minutes * 60000;
  }();
  return offset;
}

long long TimeOfDayMs(long long ms_since_1970) {
  return ((ms_since_1970 + LocalOffsetMs()) % kDayMs + kDayMs) % kDayMs;
}

// When a pause of whole seconds begun at `start` (local milliseconds of the
// day) must end: the start rounded to the whole second, a half to the even
// one, plus the seconds.
long long PauseEndMs(long long start, int seconds) {
  long long whole = start / 1000;
  const long long part = start % 1000;
  if (part > 500 || (part == 500 && whole % 2 == 1)) ++whole;
  return (whole + seconds) * 1000;
}

// The panel reads the clock for a pause's start once the worker tells it
// that the line before is done, a little after the client's last record of
// that line. A start that close before a half second may have been rounded
// either way, which the outside cannot tell.
constexpr long long kDoneMarginMs = 30;

struct Pauses {
  std::vector<double> late_ms;
  // Of that, the second line's own messages up to its Enter.
  std::vector<double> own_ms;
  int left_out = 0;
};

// How late the second of two lines (their Enters at these places of the
// transcript) arrived against the exact end of the pause between them. The
// pause began when the first line was done: the stand-in's last record before
// the quiet that the pause leaves in its transcript.
void AddPause(const std::vector<TranscriptEntry>& entries, size_t previous_cr, size_t next_cr,
              int seconds, Pauses& pauses) {
  size_t quiet = previous_cr;
  for (size_t i = previous_cr; i < next_cr; ++i) {
    if (entries[i + 1].ms - entries[i].ms > entries[quiet + 1].ms - entries[quiet].ms) quiet = i;
  }
  const long long done = entries[quiet].ms;
  const long long start = TimeOfDayMs(done);
  if (PauseEndMs(start, seconds) != PauseEndMs(start + kDoneMarginMs, seconds)) {
    ++pauses.left_out;
    return;
  }
  long long late = TimeOfDayMs(entries[next_cr].ms) - PauseEndMs(start, seconds);
  if (late < -kDayMs / 2) late += kDayMs;  // the pause ended after midnight
  pauses.late_ms.push_back(static_cast<double>(late));
  pauses.own_ms.push_back(static_cast<double>(entries[next_cr].ms - entries[quiet + 1].ms));
}

// Where in the transcript each posted line is.
std::vector<size_t> PostedAt(const std::vector<TranscriptEntry>& entries) {
  std::vector<size_t> at;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].event == "CR") at.push_back(i);
  }
  return at;
}

std::string LatenessText(const Pauses& pauses) {
  if (pauses.late_ms.empty()) return "no pause measured";
  const Stats late = Summarise(pauses.late_ms);
  std::string text = Format(
      "%.0f / %.0f / %.0f ms (of it the line's own messages before its "
      "Enter: median %.0f ms)",
      late.min, late.median, late.max, Summarise(pauses.own_ms).median);
  if (pauses.left_out > 0) {
    text += Format("; %d begun just before a half second left out", pauses.left_out);
  }
  return text;
}

// ---- Driving the panel ----

// A point of the panel's inner area that no control covers: a click there is
// About.
POINT BarePoint(HWND panel) {
  RECT inner{};
  GetClientRect(panel, &inner);
  for (int y = 2; y < inner.bottom; y += 2) {
    for (int x = 2; x < inner.right; x += 2) {
      const POINT point{x, y};
      if (ChildWindowFromPoint(panel, point) == panel) return point;
    }
  }
  return {1, 1};
}

void ClickAbout(HWND panel, POINT bare) {
  const LPARAM at = MAKELPARAM(bare.x, bare.y);
  PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(panel, WM_LBUTTONUP, 0, at);
}

void SleepUntil(long long ms_since_1970) {
  const long long wait = ms_since_1970 - NowMs();
  if (wait > 0) Sleep(static_cast<DWORD>(wait));
}

// Waits until the local clock is `fraction` into a second, at least 20 ms on.
void SleepToFraction(double fraction) {
  const long long now = NowMs();
  long long wait = static_cast<long long>(fraction * 1000) - TimeOfDayMs(now) % 1000;
  while (wait < 20) wait += 1000;
  SleepUntil(now + wait);
}

// ---- The measures ----

std::string BytesText(long long bytes) {
  return bytes >= 0 ? Grouped(bytes) + " bytes" : "not built here";
}

void Sizes(const char* win32_exe) {
  Row("Size of dizod.exe, 64-bit build (the one that runs here)",
      BytesText(FileBytes(L"" DIZOD_EXE)), "");
  // The path comes from the build's directory, in plain ASCII.
  const std::string path = win32_exe != nullptr ? win32_exe : "";
  const long long shipped = path.empty() ? -1 : FileBytes(std::wstring(path.begin(), path.end()));
  Row("Size of dizod.exe, 32-bit build (the one shipped)", BytesText(shipped), "<= 296,960 bytes");
}

// The program started, timed to its panel on the screen (looked for every
// millisecond).
struct Launch {
  Process process;
  long long launched_ms = 0;
  long long shown_ms = -1;

  Launch() : launched_ms(NowMs()) {
    process = Process(L"" DIZOD_EXE, L"");
    while (NowMs() - launched_ms < 10000) {
      for (HWND w = FindWindowW(dizod::kPanelClassName, nullptr); w != nullptr;
           w = FindWindowExW(nullptr, w, dizod::kPanelClassName, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == process.Id() && IsWindowVisible(w)) shown_ms = NowMs();
      }
      if (shown_ms >= 0) return;
      Sleep(1);
    }
  }
};

void Footprint() {
  constexpr int kLaunches = 3;
  std::vector<double> shown, first_line, resident, own;
  for (int i = 0; i < kLaunches; ++i) {
    Standin chat;
    Launch launch;
    if (launch.shown_ms < 0 || !chat.WaitPosted(kLinesPerSequence, 10000)) continue;
    shown.push_back(static_cast<double>(launch.shown_ms - launch.launched_ms));
    first_line.push_back(static_cast<double>(chat.Posted()[0].ms - launch.launched_ms));
    Sleep(1000);
    const std::string proc = ProcDirOf(DIZOD_EXE);
    resident.push_back(StatusMegabytes(proc, "VmRSS"));
    own.push_back(StatusMegabytes(proc, "RssAnon"));
  }
  if (shown.empty()) {
    Row("Launch to panel shown", "failed: no panel, or no start-up line", "");
    return;
  }
  const std::string of = Format(" (median of %zu launches)", shown.size());
  Row("Launch to panel shown" + of, Format("%.0f ms", Summarise(shown).median), "");
  Row("Launch to first start-up line posted" + of, Format("%.0f ms", Summarise(first_line).median),
      "");
  Row("Memory of the panel process after start-up: resident, with Wine's runtime (of it private)",
      Format("%.1f MB (%.1f MB)", Summarise(resident).median, Summarise(own).median), "");
}

double Ms(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

// The program's own window operations, timed: the lookups of windows, and
// the round trips of the messages to the chat client.
class TimedOps : public dizod::Win32WindowOps {
 public:
  double lookups_ms = 0;
  double messages_ms = 0;

  dizod::WindowHandle FindTopLevel(const char* cls) override {
    return Time(lookups_ms, [&] { return Win32WindowOps::FindTopLevel(cls); });
  }
  dizod::WindowHandle FindChild(dizod::WindowHandle parent, dizod::WindowHandle after,
                                const char* cls) override {
    return Time(lookups_ms, [&] { return Win32WindowOps::FindChild(parent, after, cls); });
  }
  dizod::SendResult ReadText(dizod::WindowHandle box, std::string& text) override {
    return Time(messages_ms, [&] { return Win32WindowOps::ReadText(box, text); });
  }
  dizod::SendResult ReadDraft(dizod::WindowHandle box, dizod::Draft& draft) override {
    return Time(messages_ms, [&] { return Win32WindowOps::ReadDraft(box, draft); });
  }
  dizod::SendResult SetLine(dizod::WindowHandle box, const std::string& text) override {
    return Time(messages_ms, [&] { return Win32WindowOps::SetLine(box, text); });
  }
  dizod::SendResult SendChar(dizod::WindowHandle box, unsigned character) override {
    return Time(messages_ms, [&] { return Win32WindowOps::SendChar(box, character); });
  }
  dizod::SendResult RestoreDraft(dizod::WindowHandle box, const dizod::Draft& draft) override {
    return Time(messages_ms, [&] { return Win32WindowOps::RestoreDraft(box, draft); });
  }
  dizod::SendResult Probe(dizod::WindowHandle box) override {
    return Time(messages_ms, [&] { return Win32WindowOps::Probe(box); });
  }

 private:
  template <typename F>
  auto Time(double& total, F f) -> decltype(f()) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    auto result = f();
    QueryPerformanceCounter(&b);
    total += Ms(a, b);
    return result;
  }
};

constexpr wchar_t kDraft[] = L"half a sentence";
constexpr int kDraftCaret = 4;

// The draft with its caret as the stand-in records a box: "<start>,<end>:"
// and the text in UTF-16LE, in hex.
std::string DraftRecord() {
  std::string record = Format("%d,%d:", kDraftCaret, kDraftCaret);
  for (const wchar_t* c = kDraft; *c != 0; ++c) {
    record += Format("%02X%02X", static_cast<unsigned>(*c) & 0xFF, static_cast<unsigned>(*c) >> 8);
  }
  return record;
}

// One line into a room with a draft, behind document windows that are not
// rooms, posted the way the program's worker posts it.
void Posting() {
  constexpr int kLines = 50;
  std::vector<double> medians;
  for (int decoys : {1, 10, 100}) {
    std::vector<std::string> docs(static_cast<size_t>(decoys), "no-static");
    docs.push_back("room");
    // The user's half-typed draft, in the room's input box.
    Standin chat(
        docs, L"--draft \"" + std::wstring(kDraft) + L"\" --caret " + std::to_wstring(kDraftCaret));
    const size_t before = chat.Entries().size();
    std::vector<double> total, lookups, messages;
    for (int i = 0; i < kLines; ++i) {
      TimedOps ops;
      LARGE_INTEGER a, b;
      QueryPerformanceCounter(&a);
      dizod::PostChatLine(ops, "benchmark line " + std::to_string(i),
                          [] { return std::optional<dizod::Clock::time_point>(); });
      QueryPerformanceCounter(&b);
      total.push_back(Ms(a, b));
      lookups.push_back(ops.lookups_ms);
      messages.push_back(ops.messages_ms);
    }
    // The messages that reached the client's box, from its own record; and
    // whether the draft is back after the last line.
    const std::vector<TranscriptEntry> entries = chat.Entries();
    size_t received = 0;
    for (size_t i = before; i < entries.size(); ++i) received += entries[i].event == "BOX";
    const bool draft_back = chat.LastBox() == DraftRecord();
    const double median = Summarise(total).median;
    medians.push_back(median);
    const double in_lookups = Summarise(lookups).median, in_messages = Summarise(messages).median;
    Row(Format("One line with a draft, %d document window%s ahead of the room: median", decoys,
               decoys == 1 ? "" : "s"),
        Format("%.2f ms (%.1f messages to the client%s)", median,
               static_cast<double>(received) / kLines, draft_back ? "" : "; the draft was lost"),
        "");
    Row("  of which: round trips of the messages to the client / window lookups / own work",
        Format("%.2f / %.2f / %.2f ms", in_messages, in_lookups,
               std::max(0.0, median - in_messages - in_lookups)),
        "");
  }
  Row("Growth from 1 to 100 windows ahead", Format("%.1fx", medians[2] / medians[0]), "");
}

// A window of the bench's own on a thread that does nothing else: probed
// beside the panel, it shows how late this machine and Wine answer anyway.
class IdleWindow {
 public:
  IdleWindow()
      : thread_([this] {
          HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        nullptr, nullptr);
          hwnd_ = window;
          MSG message;
          while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
          DestroyWindow(window);
        }) {
    while (hwnd_ == nullptr) Sleep(1);
    thread_id_ = GetWindowThreadProcessId(hwnd_, nullptr);
  }
  ~IdleWindow() {
    PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    thread_.join();
  }
  IdleWindow(const IdleWindow&) = delete;
  IdleWindow& operator=(const IdleWindow&) = delete;
  HWND Hwnd() const { return hwnd_; }

 private:
  std::atomic<HWND> hwnd_{nullptr};
  DWORD thread_id_ = 0;
  std::thread thread_;
};

// The panel's worst time to handle a message while it posts lines into a
// client that answers at once, slowly, or not at all: About is clicked every
// 1.5 s, so that a sequence is always under way or waiting.
void Latency() {
  struct Client {
    const char* name;
    const wchar_t* options;
  };
  constexpr int kSeconds = 25;
  for (const Client& client :
       {Client{"prompt", L""}, Client{"slow (3 s per message)", L"--delay 3000"},
        Client{"hung (20 s inside the text set)", L"--stall set:20000"}}) {
    Standin chat({"room"}, client.options);
    Panel panel;
    IdleWindow idle;
    const POINT bare = BarePoint(panel.Hwnd());
    long long worst = 0, idle_worst = 0;
    {
      LatencyProbe probe(panel.Hwnd()), idle_probe(idle.Hwnd());
      const long long end = NowMs() + kSeconds * 1000;
      while (NowMs() < end) {
        ClickAbout(panel.Hwnd(), bare);
        Sleep(1500);
      }
      worst = probe.WorstMs();
      idle_worst = idle_probe.WorstMs();
    }
    Row(std::string("Panel's worst time to handle a message, ") + client.name + " client",
        Format("%lld ms (an idle window probed meanwhile: %lld ms; %zu lines posted in %d s)",
               worst, idle_worst, chat.Posted().size(), kSeconds),
        "<= 16 ms");
  }
}

// Start, then the minute loop: the CPU of the panel's process, and of Wine's
// server, while the loop waits (between two minutes' announcements, from 2 s
// after the one to 3 s before the other can come), and how exactly the
// pauses between two minutes keep time. The first wait finds the panel as
// Start left it, active with the caret in its reason box; before the second
// the chat client is brought to the front, as a user back in it would.
Pauses MinuteLoop() {
  struct Wait {
    const char* panel;
    bool client_in_front;
  };
  const Wait waits[] = {{"panel active as Start left it", false}, {"chat client in front", true}};
  Pauses pauses;
  Standin chat;
  Panel panel;
  if (!chat.WaitPosted(kLinesPerSequence, 10000)) {
    Row("CPU while the minute loop waits", "failed: no start-up lines", "");
    return pauses;
  }
  Sleep(500);
  panel.Click(dizod::Control::kStart);
  const std::string program = ProcDirOf(DIZOD_EXE), server = ProcDirOf("wineserver");
  // Start-up, Idle On, then one sequence a minute.
  constexpr size_t kBefore = 2 * kLinesPerSequence;
  int minute = 1;
  for (const Wait& wait : waits) {
    const size_t lines = kBefore + static_cast<size_t>(minute) * kLinesPerSequence;
    if (!chat.WaitPosted(lines, (kMinuteSeconds + 15) * 1000)) {
      Row("CPU while the minute loop waits", "failed: the minutes did not come", "");
      return pauses;
    }
    const long long done = chat.Posted()[lines - 1].ms;
    HWND frame = FindWindowA("AOL Frame25", nullptr);
    if (wait.client_in_front) SetForegroundWindow(frame);
    SleepUntil(done + 2000);
    const std::string note = wait.client_in_front && GetForegroundWindow() != frame
                                 ? " (the client did not come to the front)"
                                 : "";
    const double program_before = CpuSeconds(program), server_before = CpuSeconds(server);
    const long long from = NowMs();
    SleepUntil(done + (kMinuteSeconds - 3) * 1000);
    const double minutes = static_cast<double>(NowMs() - from) / 60000.0;
    Row(Format("CPU while the minute loop waits, %s: panel process (Wine's server for the "
               "whole prefix)",
               wait.panel),
        Format("%.3f (%.3f) s per idle minute%s", (CpuSeconds(program) - program_before) / minutes,
               (CpuSeconds(server) - server_before) / minutes, note.c_str()),
        "<= 0.06 s per idle minute");
    ++minute;
  }
  const size_t wanted = kBefore + static_cast<size_t>(minute - 1) * kLinesPerSequence + 1;
  if (!chat.WaitPosted(wanted, (kMinuteSeconds + 15) * 1000)) return pauses;
  const std::vector<TranscriptEntry> entries = chat.Entries();
  const std::vector<size_t> posted = PostedAt(entries);
  for (int m = 1; m < minute; ++m) {
    const size_t last = kBefore + static_cast<size_t>(m) * kLinesPerSequence - 1;
    AddPause(entries, posted[last], posted[last + 1], kMinuteSeconds, pauses);
  }
  return pauses;
}

// About clicked 40 times, each sequence begun at another point of the
// second; the 1-s pauses between its lines measured against their exact end.
void OneSecondPauses() {
  constexpr int kSequences = 40;
  Standin chat;
  Panel panel;
  if (!chat.WaitPosted(kLinesPerSequence, 10000)) {
    Row("1-second pauses", "failed: no start-up lines", "");
    return;
  }
  Sleep(300);
  const POINT bare = BarePoint(panel.Hwnd());
  int sequences = 0;
  for (; sequences < kSequences; ++sequences) {
    SleepToFraction((sequences + 0.5) / kSequences);
    ClickAbout(panel.Hwnd(), bare);
    if (!chat.WaitPosted(static_cast<size_t>(sequences + 2) * kLinesPerSequence, 10000)) break;
    Sleep(100);  // the last line done: a click now starts a sequence at once
  }
  const std::vector<TranscriptEntry> entries = chat.Entries();
  const std::vector<size_t> posted = PostedAt(entries);
  Pauses pauses;
  for (int s = 1; s <= sequences; ++s) {
    for (int line = 1; line < kLinesPerSequence; ++line) {
      const size_t at = static_cast<size_t>(s * kLinesPerSequence + line);
      AddPause(entries, posted[at - 1], posted[at], 1, pauses);
    }
  }
  Row(Format("1-second pauses (%d About sequences begun across the second): late by min / median "
             "/ max",
             sequences),
      LatenessText(pauses), ">= 0, <= 20 ms");
}

}  // namespace

int main(int argc, char** argv) {
  LocalOffsetMs();
  std::printf("| Measure | Result | Goal |\n|---|---|---|\n");
  std::fflush(stdout);
  Sizes(argc > 1 ? argv[1] : nullptr);
  Footprint();
  Posting();
  Latency();
  const Pauses minutes = MinuteLoop();
  OneSecondPauses();
  Row(Format("%d-second pauses between minutes (%zu): late by min / median / max", kMinuteSeconds,
             minutes.late_ms.size() + static_cast<size_t>(minutes.left_out)),
      LatenessText(minutes), ">= 0, <= 20 ms");
  return 0;
}
