#include "bench/driver.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "panel/win32_panel_window.h"

namespace dizod::e2e {

namespace {

std::wstring Widen(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

std::string TempPath(const char* stem) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  static int serial = 0;
  return std::string(dir) + stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++serial) + ".txt";
}

}  // namespace

long long NowMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const long long ticks = (static_cast<long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return ticks / 10000 - 11644473600000LL;
}

bool WaitFor(const std::function<bool()>& done, int timeout_ms) {
  const long long end = NowMs() + timeout_ms;
  for (;;) {
    if (done()) return true;
    if (NowMs() > end) return false;
    Sleep(20);
  }
}

std::string Hex(std::string_view hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

namespace lines {
const std::string kBanner = Hex("BAB72D2EB7204B72E16E6F2044697A6F6420B72E2DB7BA");
const std::string kReasonLunch = Hex("BAB72D2EB720526561736F6E3A206C756E636820B72E2DB7BA");
const std::string kByLine = Hex("BAB72D2EB7202042793A204B72616E6F2020B72E2DB7BA");
const std::vector<std::string> kStartup = {kBanner, kByLine,
                                           Hex("BAB72D2EB72020416374ED76617465642020B72E2DB7BA")};
const std::vector<std::string> kSignOff = {kBanner, kByLine,
                                           Hex("BAB72D2EB720556E416374ED766174656420B72E2DB7BA")};
}  // namespace lines

LatencyProbe::LatencyProbe(HWND window)
    : thread_([this, window] {
        while (!stop_) {
          const long long sent = NowMs();
          DWORD_PTR result = 0;
          if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result)) return;
          worst_ms_ = std::max(worst_ms_.load(), NowMs() - sent);
          Sleep(20);
        }
      }) {}

LatencyProbe::~LatencyProbe() {
  stop_ = true;
  thread_.join();
}

void TypeText(const std::wstring& text) {
  for (wchar_t c : text) {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wScan = keys[1].ki.wScan = c;
    keys[0].ki.dwFlags = KEYEVENTF_UNICODE;
    keys[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
  }
}

Process::Process(const std::wstring& exe, const std::wstring& arguments, int show_command) {
  std::wstring command = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (show_command >= 0) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show_command);
  }
  PROCESS_INFORMATION info{};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hThread);
    handle_.reset(info.hProcess);
    id_ = info.dwProcessId;
  }
}

Process::~Process() {
  Terminate();
}

bool Process::WaitExit(int timeout_ms) const {
  return !handle_ || WaitForSingleObject(handle_.get(), timeout_ms) == WAIT_OBJECT_0;
}

void Process::Terminate() {
  if (handle_ && WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(handle_.get(), 1);
    WaitForSingleObject(handle_.get(), 5000);
  }
}

double Process::CpuSeconds() const {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(handle_.get(), &created, &exited, &kernel, &user)) return -1;
  const auto seconds = [](const FILETIME& t) {
    return ((static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

Standin::Standin(const std::vector<std::string>& docs, const std::wstring& options)
    : path_(TempPath("standin")) {
  DeleteFileA(path_.c_str());  // process ids come round again under Wine
  std::wstring arguments = L"--transcript \"" + Widen(path_) + L"\"";
  for (const std::string& doc : docs) arguments += L" --doc " + Widen(doc);
  if (!options.empty()) arguments += L" " + options;
  process_ = Process(L"" STANDIN_EXE, arguments);
  // The frame is shown once every window of the client is in place.
  WaitFor(
      [] {
        HWND frame = FindWindowA("AOL Frame25", nullptr);
        return frame != nullptr && IsWindowVisible(frame);
      },
      10000);
}

Standin::~Standin() {
  process_.Terminate();
  DeleteFileA(path_.c_str());
}

std::vector<TranscriptEntry> Standin::Entries() const {
  std::vector<TranscriptEntry> entries;
  std::ifstream file(path_);
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    TranscriptEntry entry;
    std::string hex;
    fields >> entry.ms >> entry.doc >> entry.box >> entry.event >> hex;
    entry.bytes = entry.event == "BOX" ? hex : Hex(hex);
    entries.push_back(entry);
  }
  return entries;
}

std::vector<TranscriptEntry> Standin::Posted() const {
  std::vector<TranscriptEntry> posted;
  for (const TranscriptEntry& entry : Entries()) {
    if (entry.event == "CR") posted.push_back(entry);
  }
  return posted;
}

std::vector<std::string> Standin::PostedBytes() const {
  std::vector<std::string> bytes;
  for (const TranscriptEntry& entry : Posted()) bytes.push_back(entry.bytes);
  return bytes;
}

std::string Standin::LastBox() const {
  std::string last;
  for (const TranscriptEntry& entry : Entries()) {
    if (entry.event == "BOX") last = entry.bytes;
  }
  return last;
}

bool Standin::WaitPosted(size_t count, int timeout_ms) const {
  return WaitFor([&] { return Posted().size() >= count; }, timeout_ms);
}

Panel::Panel(const std::wstring& exe, int show_command) : process_(exe, L"", show_command) {
  WaitFor(
      [&] {
        for (HWND w = FindWindowW(kPanelClassName, nullptr); w != nullptr;
             w = FindWindowExW(nullptr, w, kPanelClassName, nullptr)) {
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (owner == process_.Id() && IsWindowVisible(w)) hwnd_ = w;
        }
        return hwnd_ != nullptr;
      },
      10000);
}

HWND Panel::Control(dizod::Control control) const {
  return GetDlgItem(hwnd_, ControlId(control));
}

std::wstring Panel::Text(HWND window) const {
  wchar_t buffer[512] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK, 5000,
                      &copied);
  return std::wstring(buffer, copied < 512 ? copied : 511);
}

void Panel::Click(dizod::Control button) const {
  PostMessageW(Control(button), BM_CLICK, 0, 0);
}

void Panel::MouseClick(int x, int y) const {
  POINT point{x, y};
  ClientToScreen(hwnd_, &point);
  SetCursorPos(point.x, point.y);
  INPUT clicks[2] = {};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, clicks, sizeof(INPUT));
}

HWND Panel::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd_, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void Panel::SetText(dizod::Control control, const std::wstring& text) const {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(Control(control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                      SMTO_BLOCK, 5000, &result);
}

}  // namespace dizod::e2e
