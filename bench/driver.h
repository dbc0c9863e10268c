#pragma once
// Drives the real program and the stand-in chat client from outside, as a
// user and an inspector would: starts them, finds their windows, reads the
// stand-in's transcript, clicks and closes.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "panel/win32_panel_window.h"

namespace dizod::e2e {

long long NowMs();
// Polls `done` until it holds or `timeout_ms` passes; returns whether it held.
bool WaitFor(const std::function<bool()>& done, int timeout_ms);
// The bytes written in hex: "BAB7" is "\xBA\xB7".
std::string Hex(std::string_view hex);
// Real key presses: each character of the text typed.
void TypeText(const std::wstring& text);

// The lines as the chat client receives them, in Windows-1252.
namespace lines {
extern const std::string kBanner, kReasonLunch;
extern const std::vector<std::string> kStartup, kSignOff;
}  // namespace lines

// A started program; terminated when still running at the end of the test.
class Process {
 public:
  Process() = default;
  // With a show command, the program is started as a shortcut set to
  // "Maximized" or "Minimized" starts it (`start /max`, `start /min`).
  Process(const std::wstring& exe, const std::wstring& arguments, int show_command = -1);
  ~Process();
  Process(Process&&) = default;
  Process& operator=(Process&&) = default;

  DWORD Id() const { return id_; }
  bool WaitExit(int timeout_ms) const;
  void Terminate();
  // CPU time (user and kernel) the process has used so far, in seconds.
  double CpuSeconds() const;

 private:
  struct Closer {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
  };
  std::unique_ptr<void, Closer> handle_;
  DWORD id_ = 0;
};

struct TranscriptEntry {
  long long ms;
  int doc;
  int box;
  std::string event;  // CR or BOX
  std::string bytes;  // for BOX: "<start>,<end>:<UTF-16LE hex>" as it stands
};

class Standin {
 public:
  // Starts the stand-in chat client with these document windows ("room", ...)
  // and further options of its own (a draft, faults).
  explicit Standin(const std::vector<std::string>& docs = {"room"},
                   const std::wstring& options = L"");
  ~Standin();

  std::vector<TranscriptEntry> Entries() const;
  // What Enter posted, in order.
  std::vector<TranscriptEntry> Posted() const;
  std::vector<std::string> PostedBytes() const;
  bool WaitPosted(size_t count, int timeout_ms) const;
  // What the input box held after the last message from outside:
  // "<start>,<end>:<UTF-16LE hex>", or "" before any.
  std::string LastBox() const;

 private:
  std::string path_;
  Process process_;
};

class Panel {
 public:
  // Starts the program (by default the real one) and finds its panel.
  explicit Panel(const std::wstring& exe = L"" DIZOD_EXE, int show_command = -1);
  HWND Hwnd() const { return hwnd_; }
  HWND Control(dizod::Control control) const;
  std::wstring Text(HWND window) const;
  // A click on a button, delivered through the button itself.
  void Click(dizod::Control button) const;
  // A real mouse click at a point of the panel's inner area.
  void MouseClick(int x, int y) const;
  // The window that has the keyboard focus in the panel's thread, if any.
  HWND Focus() const;
  void SetText(dizod::Control control, const std::wstring& text) const;
  void Close() const { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }
  Process& process() { return process_; }

 private:
  Process process_;
  HWND hwnd_ = nullptr;
};

// How long a window takes to handle a message, asked from another thread
// every 20 ms for as long as this object lives.
class LatencyProbe {
 public:
  explicit LatencyProbe(HWND window);
  ~LatencyProbe();
  LatencyProbe(const LatencyProbe&) = delete;
  LatencyProbe& operator=(const LatencyProbe&) = delete;
  long long WorstMs() const { return worst_ms_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<long long> worst_ms_{0};
  std::thread thread_;
};

}  // namespace dizod::e2e
