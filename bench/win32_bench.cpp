// Measures the program against the polling reference, under Wine on Linux:
// CPU while idle, how exactly pauses keep time, how fast a line is posted,
// how quickly the panel answers whatever the chat client does, and the
// program's footprint. Prints one Markdown table.
//
// CPU and memory are read from Linux's /proc (through Wine's Z: drive): that
// is what the machine really spent, outside Wine's own accounting.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/driver.h"
#include "chat/chat_bridge.h"
#include "chat/pause.h"
#include "chat/win32_clock_pump.h"
#include "chat/win32_window_ops.h"

namespace {

using dizod::e2e::NowMs;

constexpr double kClockTicksPerSecond = 100;  // Linux's USER_HZ
constexpr int kIdleMeasureSeconds = 60;

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The Linux process whose command line names this Windows program.
std::string ProcDirOf(const std::string& exe_name) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
  std::string result;
  if (search == INVALID_HANDLE_VALUE) return result;
  do {
    const std::string name = found.cFileName;
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string cmdline = ReadFile("Z:\\proc\\" + name + "\\cmdline");
    cmdline = cmdline.substr(0, cmdline.find('\0'));
    const size_t slash = cmdline.find_last_of("\\/");
    if (cmdline.substr(slash == std::string::npos ? 0 : slash + 1) == exe_name) {
      result = "Z:\\proc\\" + name;
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return result;
}

double CpuSeconds(const std::string& proc_dir) {
  const std::string stat = ReadFile(proc_dir + "\\stat");
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::stod(field);
  }
  return ticks / kClockTicksPerSecond;
}

double RssMegabytes(const std::string& proc_dir) {
  std::istringstream status(ReadFile(proc_dir + "\\status"));
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return -1;
}

struct Stats {
  double min, median, max;
};
Stats Summarise(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return {values.front(), values[values.size() / 2], values.back()};
}

void Row(const char* what, const std::string& value, const char* goal) {
  std::printf("| %s | %s | %s |\n", what, value.c_str(), goal);
  std::fflush(stdout);
}

std::string Format(const char* format, double a, double b = 0, double c = 0) {
  char text[160];
  std::snprintf(text, sizeof(text), format, a, b, c);
  return text;
}

void IdleCpu() {
  dizod::e2e::Standin chat;
  dizod::e2e::Panel program;
  dizod::e2e::Panel reference(L"dizod_polling.exe");
  chat.WaitPosted(6, 10000);
  program.Click(dizod::Control::kStart);
  reference.Click(dizod::Control::kStart);
  Sleep(5000);  // both loops are waiting in their 63-second pause now
  const std::string program_proc = ProcDirOf("dizod.exe");
  const std::string reference_proc = ProcDirOf("dizod_polling.exe");
  const double program_before = CpuSeconds(program_proc);
  const double reference_before = CpuSeconds(reference_proc);
  const long long start = NowMs();
  Sleep(kIdleMeasureSeconds * 1000);
  const double minutes = (NowMs() - start) / 60000.0;
  const double program_cpu = (CpuSeconds(program_proc) - program_before) / minutes;
  const double reference_cpu = (CpuSeconds(reference_proc) - reference_before) / minutes;
  Row("CPU while idle: program (s per idle minute)", Format("%.2f", program_cpu), "<= 0.3");
  Row("CPU while idle: polling reference (s per idle minute)", Format("%.2f", reference_cpu), "");
  Row("CPU while idle: reference / program",
      program_cpu > 0 ? Format("%.0fx", reference_cpu / program_cpu)
                      : Format("> %.0fx (program below the 10 ms clock tick)",
                               reference_cpu / (0.01 / minutes)),
      ">= 100x");
}

// Waits until the time of day is at `fraction` of a second.
void SleepToFraction(dizod::Win32ClockPump& pump, double fraction) {
  const double now = pump.ReadClock().time_of_day;
  double wait = fraction - (now - static_cast<long long>(now));
  if (wait < 0.02) wait += 1;
  Sleep(static_cast<DWORD>(wait * 1000));
}

// How late each pause ends against its exact end, the start mark plus N, read
// on the same clock the pause reads (to the millisecond it offers).
std::vector<double> Lateness(dizod::Win32ClockPump& pump, int seconds, int count) {
  std::vector<double> late_ms;
  for (int i = 0; i < count; ++i) {
    SleepToFraction(pump, (i + 0.5) / count);
    const double mark = dizod::StartMark(pump.ReadClock().time_of_day);
    dizod::WaitSeconds(pump, seconds);
    double late = pump.ReadClock().time_of_day - (mark + seconds);
    if (late < -43200) late += 86400;  // the pause ended after midnight
    late_ms.push_back(late * 1000);
  }
  return late_ms;
}

void KeepingTime() {
  dizod::Win32ClockPump pump;
  const std::string self = "Z:\\proc\\self";
  const double cpu_before = CpuSeconds(self);
  const long long start = NowMs();
  const Stats one = Summarise(Lateness(pump, 1, 40));
  const Stats long_pauses = Summarise(Lateness(pump, 63, 2));
  const double cpu = (CpuSeconds(self) - cpu_before) / ((NowMs() - start) / 60000.0);
  Row("1-second pauses (40, started across the second): late by min / median / max",
      Format("%.2f / %.2f / %.2f ms", one.min, one.median, one.max), ">= 0, <= 20 ms");
  Row("63-second pauses (2): late by min / median / max",
      Format("%.2f / %.2f / %.2f ms", long_pauses.min, long_pauses.median, long_pauses.max),
      ">= 0, <= 20 ms");
  Row("CPU of the pausing process (s per minute)", Format("%.2f", cpu), "near 0");
}

double Ms(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return (to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart;
}

// The user32 operations, timed: looking up windows, and the round trips of
// the messages to the chat client.
class TimedOps : public dizod::WindowOps {
 public:
  double lookups_ms = 0;
  double messages_ms = 0;

  dizod::WindowHandle FindTopLevel(const char* cls) override {
    return Time(lookups_ms, [&] { return ops_.FindTopLevel(cls); });
  }
  dizod::WindowHandle FindChild(dizod::WindowHandle parent, dizod::WindowHandle after,
                                const char* cls) override {
    return Time(lookups_ms, [&] { return ops_.FindChild(parent, after, cls); });
  }
  dizod::SendResult ReadDraft(dizod::WindowHandle box, dizod::Draft& draft) override {
    return Time(messages_ms, [&] { return ops_.ReadDraft(box, draft); });
  }
  dizod::SendResult SetLine(dizod::WindowHandle box, const std::string& text) override {
    return Time(messages_ms, [&] { return ops_.SetLine(box, text); });
  }
  dizod::SendResult SendChar(dizod::WindowHandle box, unsigned character) override {
    return Time(messages_ms, [&] { return ops_.SendChar(box, character); });
  }
  dizod::SendResult RestoreDraft(dizod::WindowHandle box, const dizod::Draft& draft) override {
    return Time(messages_ms, [&] { return ops_.RestoreDraft(box, draft); });
  }
  dizod::SendResult Probe(dizod::WindowHandle box) override {
    return Time(messages_ms, [&] { return ops_.Probe(box); });
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
  dizod::Win32WindowOps ops_;
};

void Posting() {
  std::vector<double> medians;
  for (int decoys : {1, 10, 100}) {
    std::vector<std::string> docs(decoys, "no-static");
    docs.push_back("room");
    dizod::e2e::Standin chat(docs, L"--draft \"half a sentence\" --caret 4");
    std::vector<double> total, lookups, messages;
    for (int i = 0; i < 50; ++i) {
      TimedOps ops;
      LARGE_INTEGER a, b;
      QueryPerformanceCounter(&a);
      dizod::PostChatLine(ops, "benchmark line " + std::to_string(i), [] { return false; });
      QueryPerformanceCounter(&b);
      total.push_back(Ms(a, b));
      lookups.push_back(ops.lookups_ms);
      messages.push_back(ops.messages_ms);
    }
    const double median = Summarise(total).median;
    medians.push_back(median);
    const double in_lookups = Summarise(lookups).median, in_messages = Summarise(messages).median;
    Row(Format("One line with a draft, %.0f document windows ahead of the room: median", decoys)
            .c_str(),
        Format("%.2f ms", median), "");
    Row("  of which: round trips of the six messages to the client / window lookups / own work",
        Format("%.2f / %.2f / %.2f ms", in_messages, in_lookups,
               std::max(0.0, median - in_messages - in_lookups)),
        "");
  }
  Row("Growth from 1 to 100 windows ahead", Format("%.1fx", medians[2] / medians[0]), "");
}

// The panel's worst time to handle a message of its own while it posts its
// start-up lines into a client that answers at once, slowly, or not at all.
void Latency() {
  struct Client {
    const char* name;
    const wchar_t* options;
  };
  for (const Client& client :
       {Client{"prompt", L""}, Client{"slow (3 s per message)", L"--delay 3000"},
        Client{"hung (20 s inside the text set)", L"--stall set:20000"}}) {
    dizod::e2e::Standin chat({"room"}, client.options);
    dizod::e2e::Panel panel;
    long long worst = 0;
    {
      dizod::e2e::LatencyProbe probe(panel.Hwnd());
      Sleep(25000);
      worst = probe.WorstMs();
    }
    const std::string what =
        std::string("Panel's worst time to handle a message, ") + client.name + " client";
    Row(what.c_str(), Format("%.0f ms", static_cast<double>(worst)), "<= 100 ms");
    panel.Close();
    panel.process().WaitExit(10000);
  }
}

void Footprint() {
  WIN32_FILE_ATTRIBUTE_DATA file{};
  GetFileAttributesExW(L"dizod.exe", GetFileExInfoStandard, &file);
  Row("Size of dizod.exe", Format("%.0f KB", file.nFileSizeLow / 1024.0), "< 300 KB");
  dizod::e2e::Standin chat;
  const long long launched = NowMs();
  dizod::e2e::Panel panel;
  const long long shown = NowMs();
  chat.WaitPosted(1, 10000);
  const long long first_line = chat.Posted().empty() ? -1 : chat.Posted()[0].ms;
  Sleep(2500);
  Row("Launch to panel shown", Format("%.0f ms", static_cast<double>(shown - launched)), "");
  Row("Launch to first start-up line posted",
      Format("%.0f ms", static_cast<double>(first_line - launched)), "");
  Row("Memory of the panel process after start-up (resident, with Wine's runtime)",
      Format("%.1f MB", RssMegabytes(ProcDirOf("dizod.exe"))), "");
}

}  // namespace

int main() {
  std::printf("| Measure | Result | Goal |\n|---|---|---|\n");
  std::fflush(stdout);
  Footprint();
  Posting();
  Latency();
  IdleCpu();
  KeepingTime();
  return 0;
}
