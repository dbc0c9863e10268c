// A stand-in for the chat client: shows the client's window classes and
// hierarchy (frame, client area, document windows and their children), lists
// the lines posted into each room and appends what its input boxes receive
// to a transcript file. It can also misbehave the ways a real client may.
//
//   standin_chat [--transcript FILE] [--draft TEXT] [--caret N] [--doc KIND]...
//                [--rich A|W] [--delay MS] [--text-delay MS] [--stall MESSAGE:MS]
//                [--hang MESSAGE] [--send MS|never] [--type MS:CHAR]
//
// KIND lays out one document window: room (two rich-text boxes, list box, icon,
// static) or no-static (a decoy lacking the static). Without --doc there is
// one room. --draft puts text into the last document's input box (the room
// after any decoys) with the caret at N.
//
// The input boxes are edit controls, or real rich edits with --rich: A for
// RichEdit20A (riched20.dll), W for RICHEDIT50W (msftedit.dll). Faults, for
// messages sent to an input box from another program: --delay answers each
// after MS, --text-delay only those that get or set its text; --stall sleeps MS inside the first MESSAGE, --hang for ever.
// MESSAGE is set (the text set) or enter (the carriage return).
// --send MS: a box posts MS after each carriage return, what it holds then;
// never: it ignores the carriage return and keeps its text, as a client that
// cannot post (not connected, a muted room). --type MS:CHAR: MS after each
// carriage return arrives, the box gets CHAR at its caret, as from the user
// typing while a line waits.
//
// Transcript lines: "<ms since 1970> <doc> <box> <event> <hex>". CR: a box
// posted its content (Windows-1252); BOX: what a box holds after a message
// from another program, "<start>,<end>:" and its text in UTF-16LE; ENTER: a
// carriage return from another program arrived, the box's text then in
// UTF-16LE; TYPE: the box's text in UTF-16LE after CHAR was typed.

#include <richedit.h>
#include <shellapi.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kDocHeight = 120;
constexpr int kPadding = 4;
constexpr unsigned kEnter = 13;
// Each carriage return gets timers of its own on the box: even ids post,
// odd ids type. Above the ids the boxes' own classes use.
constexpr UINT_PTR kTimerBase = 0xD000;

struct Options {
  std::FILE* transcript = nullptr;
  std::wstring draft;
  int caret = 0;
  char rich = 0;  // 0, 'A' or 'W'
  DWORD delay_ms = 0;
  DWORD text_delay_ms = 0;
  std::string stall_at;
  DWORD stall_ms = 0;
  std::string hang_at;
  DWORD send_ms = 0;
  bool never_send = false;
  DWORD type_ms = 0;
  wchar_t type_char = 0;
};

Options g_options;
bool g_ready = false;
WNDPROC g_box_proc = nullptr;
UINT_PTR g_sends = 0;
UINT_PTR g_types = 0;

long long NowMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const long long ticks = (static_cast<long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return ticks / 10000 - 11644473600000LL;
}

std::string Hex(const void* data, size_t size) {
  std::string hex;
  char pair[3];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(pair, sizeof(pair), "%02X", static_cast<const unsigned char*>(data)[i]);
    hex += pair;
  }
  return hex;
}

std::string Hex(const std::wstring& text) {
  return Hex(text.data(), text.size() * sizeof(wchar_t));
}

std::string ToAnsi(const std::wstring& text) {
  std::string ansi(text.size() * 2 + 1, '\0');
  ansi.resize(WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), ansi.data(),
                                  static_cast<int>(ansi.size()), nullptr, nullptr));
  return ansi;
}

void Record(HWND box, const char* event, const std::string& hex) {
  if (!g_ready || g_options.transcript == nullptr) return;
  const LONG_PTR tag = GetWindowLongPtrW(box, GWLP_USERDATA);
  std::fprintf(g_options.transcript, "%lld %d %d %s %s\n", NowMs(),
               static_cast<int>((tag >> 8) & 0xFF), static_cast<int>(tag & 0xFF), event,
               hex.c_str());
  std::fflush(g_options.transcript);
}

// The box's whole text, without loss also in an ANSI rich edit.
std::wstring TextOf(HWND box) {
  std::vector<wchar_t> buffer(1u << 16, L'\0');
  if (g_options.rich == 'A') {
    GETTEXTEX get{static_cast<DWORD>(buffer.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr,
                  nullptr};
    SendMessageW(box, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                 reinterpret_cast<LPARAM>(buffer.data()));
    return buffer.data();
  }
  GetWindowTextW(box, buffer.data(), static_cast<int>(buffer.size()));
  return buffer.data();
}

void SetTextOf(HWND box, const std::wstring& text) {
  SETTEXTEX set{ST_DEFAULT, 1200};
  if (g_options.rich == 'A') {
    SendMessageW(box, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set),
                 reinterpret_cast<LPARAM>(text.c_str()));
  } else {
    SetWindowTextW(box, text.c_str());
  }
}

void RecordBox(HWND box) {
  DWORD start = 0, end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const std::wstring text = TextOf(box);
  Record(box, "BOX",
         std::to_string(start) + "," + std::to_string(end) + ":" + Hex(text));
}

// Posts what the box holds into the room, which shows it in its list as a
// chat view would, and empties the box.
void PostContent(HWND box) {
  const std::string line = ToAnsi(TextOf(box));
  Record(box, "CR", Hex(line.data(), line.size()));
  HWND list = FindWindowExW(GetParent(box), nullptr, L"_AOL_Listbox", nullptr);
  const LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  SendMessageA(list, LB_SETTOPINDEX, at, 0);
  SetTextOf(box, L"");
}

// Which of the line's messages this is, as the faults name them.
std::string MessageName(UINT message, WPARAM wparam) {
  if (message == WM_SETTEXT) return "set";
  if (message == WM_CHAR && wparam == kEnter) return "enter";
  return "";
}

// Misbehaves as told.
void Misbehave(const std::string& name) {
  if (g_options.delay_ms > 0) Sleep(g_options.delay_ms);
  if (name.empty()) return;
  if (name == g_options.stall_at) {
    g_options.stall_at.clear();
    Sleep(g_options.stall_ms);
  }
  if (name == g_options.hang_at) {
    for (;;) Sleep(1000);
  }
}

// Notes a carriage return from outside as it arrives, before any fault, and
// starts the user's typing that follows it.
void EnterArrived(HWND box) {
  Record(box, "ENTER", Hex(TextOf(box)));
  if (g_options.type_char != 0)
    SetTimer(box, kTimerBase + 2 * ++g_types + 1, g_options.type_ms, nullptr);
}

LRESULT HandleBox(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CHAR && wparam == kEnter) {
    if (g_options.never_send) return 0;
    if (g_options.send_ms == 0) {
      PostContent(hwnd);
    } else {
      SetTimer(hwnd, kTimerBase + 2 * ++g_sends, g_options.send_ms, nullptr);
    }
    return 0;
  }
  if (message == WM_TIMER && wparam >= kTimerBase) {
    KillTimer(hwnd, wparam);
    if (wparam % 2 == 0) {
      PostContent(hwnd);
    } else {
      // From this thread, as a key the user types: the box inserts it at its caret.
      SendMessageW(hwnd, WM_CHAR, g_options.type_char, 1);
      Record(hwnd, "TYPE", Hex(TextOf(hwnd)));
    }
    return 0;
  }
  return g_options.rich != 'A' ? CallWindowProcW(g_box_proc, hwnd, message, wparam, lparam)
                               : CallWindowProcA(g_box_proc, hwnd, message, wparam, lparam);
}

LRESULT CALLBACK RichTextProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // Only what another program sends counts: the faults, and the record of the
  // box. What the box sends itself meanwhile is its own business.
  static int depth = 0;
  const bool from_outside = g_ready && depth == 0 && InSendMessage();
  if (from_outside && message == WM_CHAR && wparam == kEnter) EnterArrived(hwnd);
  if (from_outside) Misbehave(MessageName(message, wparam));
  if (from_outside && (message == WM_GETTEXT || message == WM_SETTEXT))
    Sleep(g_options.text_delay_ms);
  ++depth;
  const LRESULT result = HandleBox(hwnd, message, wparam, lparam);
  if (from_outside) RecordBox(hwnd);
  --depth;
  return result;
}

// Registers `name` as a copy of another class, with our own procedure when
// one is given; returns the original procedure. The ANSI or Unicode pair of
// functions decides which kind of window procedure the class has.
template <typename Class, typename Char>
WNDPROC Superclass(BOOL(WINAPI* get)(HINSTANCE, const Char*, Class*),
                   ATOM(WINAPI* add)(const Class*), const Char* base, const Char* name,
                   WNDPROC procedure) {
  Class cls{};
  cls.cbSize = sizeof(cls);
  get(nullptr, base, &cls);
  const WNDPROC original = cls.lpfnWndProc;
  if (procedure != nullptr) cls.lpfnWndProc = procedure;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = name;
  add(&cls);
  return original;
}

WNDPROC SuperclassW(const wchar_t* base, const wchar_t* name, WNDPROC procedure) {
  return Superclass(GetClassInfoExW, RegisterClassExW, base, name, procedure);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  if (message == WM_SIZE) {
    HWND area = FindWindowExW(hwnd, nullptr, L"MDIClient", nullptr);
    if (area != nullptr) MoveWindow(area, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void RegisterPlain(const wchar_t* name, WNDPROC procedure, int colour) {
  WNDCLASSW cls{};
  cls.lpfnWndProc = procedure;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  cls.hbrBackground = GetSysColorBrush(colour);
  cls.lpszClassName = name;
  RegisterClassW(&cls);
}

HWND Child(HWND parent, const wchar_t* cls, int x, int y, int w, int h, LONG_PTR tag = 0,
           DWORD style = 0, const wchar_t* text = L"") {
  HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_BORDER | style, x, y, w, h,
                               parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(child, GWLP_USERDATA, tag);
  return child;
}

// A document laid out like a chat window: the list of posted lines above, the
// two input boxes below it, an icon and a caption beside.
void AddDocument(HWND area, int doc, const std::wstring& kind) {
  HWND document = CreateWindowExW(0, L"AOL Child", kind.c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPCHILDREN, kPadding,
                                  kPadding + doc * (kDocHeight + kPadding), 500, kDocHeight, area,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
  Child(document, L"_AOL_Listbox", kPadding, kPadding, 420, 70, 0, WS_VSCROLL);
  for (int box = 0; box < 2; ++box) {
    Child(document, L"RICHCNTL", kPadding + box * 142, 78, 138, 22, (doc << 8) | box,
          ES_AUTOHSCROLL);
  }
  Child(document, L"_AOL_Icon", 430, kPadding, 40, 40, 0, 0, L"icon");
  if (kind != L"no-static") Child(document, L"_AOL_Static", 430, 50, 60, 20, 0, 0, L"room");
}

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

std::vector<std::wstring> ReadOptions() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> docs;
  for (int i = 1; i + 1 < count; i += 2) {
    const std::wstring option = args[i], value = args[i + 1];
    if (option == L"--transcript") g_options.transcript = _wfopen(value.c_str(), L"ab");
    if (option == L"--doc") docs.push_back(value);
    if (option == L"--draft") g_options.draft = value;
    if (option == L"--caret") g_options.caret = _wtoi(value.c_str());
    if (option == L"--rich") g_options.rich = static_cast<char>(value[0]);
    if (option == L"--delay") g_options.delay_ms = _wtoi(value.c_str());
    if (option == L"--text-delay") g_options.text_delay_ms = _wtoi(value.c_str());
    if (option == L"--hang") g_options.hang_at = Narrow(value);
    if (option == L"--stall") {
      const size_t colon = value.find(L':');
      g_options.stall_at = Narrow(value.substr(0, colon));
      g_options.stall_ms = _wtoi(value.substr(colon + 1).c_str());
    }
    if (option == L"--send") {
      g_options.never_send = value == L"never";
      g_options.send_ms = _wtoi(value.c_str());
    }
    if (option == L"--type") {
      const size_t colon = value.find(L':');
      g_options.type_ms = _wtoi(value.substr(0, colon).c_str());
      if (colon != std::wstring::npos && colon + 1 < value.size())
        g_options.type_char = value[colon + 1];
    }
  }
  LocalFree(args);
  if (docs.empty()) docs.push_back(L"room");
  return docs;
}

void RegisterClasses() {
  if (g_options.rich == 'A') {
    LoadLibraryW(L"riched20.dll");
    g_box_proc =
        Superclass(GetClassInfoExA, RegisterClassExA, "RichEdit20A", "RICHCNTL", RichTextProc);
  } else if (g_options.rich == 'W') {
    LoadLibraryW(L"msftedit.dll");
    g_box_proc = SuperclassW(L"RICHEDIT50W", L"RICHCNTL", RichTextProc);
  } else {
    g_box_proc = SuperclassW(L"EDIT", L"RICHCNTL", RichTextProc);
  }
  SuperclassW(L"LISTBOX", L"_AOL_Listbox", nullptr);
  SuperclassW(L"STATIC", L"_AOL_Icon", nullptr);
  SuperclassW(L"STATIC", L"_AOL_Static", nullptr);
  RegisterPlain(L"AOL Frame25", FrameProc, COLOR_APPWORKSPACE);
  RegisterPlain(L"MDIClient", DefWindowProcW, COLOR_APPWORKSPACE);
  RegisterPlain(L"AOL Child", DefWindowProcW, COLOR_BTNFACE);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  const std::vector<std::wstring> docs = ReadOptions();
  RegisterClasses();

  const int height = 80 + static_cast<int>(docs.size()) * (kDocHeight + kPadding);
  HWND frame = CreateWindowExW(0, L"AOL Frame25", L"Stand-in chat client", WS_OVERLAPPEDWINDOW, 40,
                               40, 530, height, nullptr, nullptr, instance, nullptr);
  HWND area = CreateWindowExW(0, L"MDIClient", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                              520, height, frame, nullptr, instance, nullptr);
  for (size_t doc = 0; doc < docs.size(); ++doc)
    AddDocument(area, static_cast<int>(doc), docs[doc]);
  if (!g_options.draft.empty()) {
    HWND room = nullptr;
    for (HWND doc = nullptr; (doc = FindWindowExW(area, doc, L"AOL Child", nullptr)) != nullptr;)
      room = doc;
    HWND first = FindWindowExW(room, nullptr, L"RICHCNTL", nullptr);
    HWND input = FindWindowExW(room, first, L"RICHCNTL", nullptr);
    if (input != nullptr) {
      SetTextOf(input, g_options.draft);
      SendMessageW(input, EM_SETSEL, g_options.caret, g_options.caret);
    }
  }
  g_ready = true;
  // Shown last: a visible frame tells a test that every window is in place.
  ShowWindow(frame, show_command);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (g_options.transcript != nullptr) std::fclose(g_options.transcript);
  return 0;
}
