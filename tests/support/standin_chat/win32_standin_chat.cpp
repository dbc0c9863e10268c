// A stand-in for the chat client: shows the client's window classes and
// hierarchy (frame, client area, document windows and their children), lists
// the lines posted into each room and appends every message its input boxes
// receive to a transcript file.
//
//   standin_chat [--transcript FILE] [--draft TEXT] [--doc KIND]...
//
// KIND lays out one document window: room (two rich-text boxes, list box, icon,
// static), rich1 / rich3 (one / three rich-text boxes), no-listbox, no-icon,
// no-static (a decoy lacking that child), grand (the four kinds one level too
// deep), hung (a room whose input box never returns from WM_SETTEXT). Without
// --doc there is one room. --doc none opens the client with no document.
//
// Transcript lines: "<ms since 1970> <doc> <box> SET|CR <hex of the bytes>",
// SET when a rich-text box's text is set, CR when Enter posts its content.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kDocHeight = 120;
constexpr int kPadding = 4;
constexpr unsigned kEnter = 13;

std::FILE* g_transcript = nullptr;
bool g_ready = false;
WNDPROC g_edit_proc = nullptr;

long long NowMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const long long ticks = (static_cast<long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return ticks / 10000 - 11644473600000LL;
}

void Record(HWND box, const char* event, const std::string& bytes) {
  if (!g_ready || g_transcript == nullptr) return;
  const LONG_PTR tag = GetWindowLongPtrA(box, GWLP_USERDATA);
  std::fprintf(g_transcript, "%lld %d %d %s ", NowMs(), static_cast<int>((tag >> 8) & 0xFF),
               static_cast<int>(tag & 0xFF), event);
  for (unsigned char c : bytes) std::fprintf(g_transcript, "%02X", c);
  std::fprintf(g_transcript, "\n");
  std::fflush(g_transcript);
}

std::string TextOf(HWND window) {
  std::string text(GetWindowTextLengthA(window) + 1, '\0');
  text.resize(GetWindowTextA(window, text.data(), static_cast<int>(text.size())));
  return text;
}

constexpr LONG_PTR kHangFlag = 0x10000;

LRESULT CALLBACK RichTextProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SETTEXT && g_ready) {
    Record(hwnd, "SET", lparam ? reinterpret_cast<const char*>(lparam) : "");
    if (GetWindowLongPtrA(hwnd, GWLP_USERDATA) & kHangFlag) {
      for (;;) Sleep(1000);  // a client that has stopped answering
    }
  }
  if (message == WM_CHAR && wparam == kEnter) {
    const std::string line = TextOf(hwnd);
    Record(hwnd, "CR", line);
    // The room's list shows what was posted, as a chat view would.
    HWND list = FindWindowExA(GetParent(hwnd), nullptr, "_AOL_Listbox", nullptr);
    if (list != nullptr) {
      const LRESULT at =
          SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
      SendMessageA(list, LB_SETTOPINDEX, at, 0);
    }
    CallWindowProcA(g_edit_proc, hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    return 0;
  }
  return CallWindowProcA(g_edit_proc, hwnd, message, wparam, lparam);
}

// Registers `name` as a copy of a system class, with our own procedure when
// one is given.
WNDPROC Superclass(const char* system, const char* name, WNDPROC procedure) {
  WNDCLASSEXA cls{};
  cls.cbSize = sizeof(cls);
  GetClassInfoExA(nullptr, system, &cls);
  const WNDPROC original = cls.lpfnWndProc;
  if (procedure != nullptr) cls.lpfnWndProc = procedure;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = name;
  RegisterClassExA(&cls);
  return original;
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  if (message == WM_SIZE) {
    HWND area = FindWindowExA(hwnd, nullptr, "MDIClient", nullptr);
    if (area != nullptr) MoveWindow(area, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

void RegisterPlain(const char* name, WNDPROC procedure, int colour) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = procedure;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  cls.hbrBackground = GetSysColorBrush(colour);
  cls.lpszClassName = name;
  RegisterClassA(&cls);
}

HWND Child(HWND parent, const char* cls, int x, int y, int w, int h, LONG_PTR tag = 0,
           DWORD style = 0, const char* text = "") {
  HWND child = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | WS_BORDER | style, x, y, w, h,
                               parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(child, GWLP_USERDATA, tag);
  return child;
}

// The children of a room, laid out like a chat window: the list of posted lines
// above, the input boxes below it, an icon and a caption beside.
void AddRoomChildren(HWND parent, int doc, int rich_boxes, const std::string& skip, bool hung) {
  if (skip != "listbox") Child(parent, "_AOL_Listbox", kPadding, kPadding, 420, 70, 0, WS_VSCROLL);
  for (int box = 0; box < rich_boxes; ++box) {
    const LONG_PTR tag = (doc << 8) | box | (hung && box == 1 ? kHangFlag : 0);
    Child(parent, "RICHCNTL", kPadding + box * 142, 78, 138, 22, tag, ES_AUTOHSCROLL);
  }
  if (skip != "icon") Child(parent, "_AOL_Icon", 430, kPadding, 40, 40, 0, 0, "icon");
  if (skip != "static") Child(parent, "_AOL_Static", 430, 50, 60, 20, 0, 0, "room");
}

void AddDocument(HWND area, int doc, const std::string& kind) {
  HWND document = CreateWindowExA(0, "AOL Child", kind.c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPCHILDREN, kPadding,
                                  kPadding + doc * (kDocHeight + kPadding), 500, kDocHeight, area,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
  if (kind == "grand") {
    HWND pane = Child(document, "StandinPane", 0, 0, 500, kDocHeight);
    AddRoomChildren(pane, doc, 2, "", false);
  } else if (kind == "rich1" || kind == "rich3") {
    AddRoomChildren(document, doc, kind == "rich1" ? 1 : 3, "", false);
  } else if (kind.rfind("no-", 0) == 0) {
    AddRoomChildren(document, doc, 2, kind.substr(3), false);
  } else {
    AddRoomChildren(document, doc, 2, "", kind == "hung");
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  std::vector<std::string> docs;
  std::string draft;
  for (int i = 1; i + 1 < __argc; i += 2) {
    const std::string option = __argv[i], value = __argv[i + 1];
    if (option == "--transcript") g_transcript = std::fopen(value.c_str(), "ab");
    if (option == "--doc") docs.push_back(value);
    if (option == "--draft") draft = value;
  }
  if (docs.empty()) docs.push_back("room");

  g_edit_proc = Superclass("EDIT", "RICHCNTL", RichTextProc);
  Superclass("LISTBOX", "_AOL_Listbox", nullptr);
  Superclass("STATIC", "_AOL_Icon", nullptr);
  Superclass("STATIC", "_AOL_Static", nullptr);
  RegisterPlain("AOL Frame25", FrameProc, COLOR_APPWORKSPACE);
  RegisterPlain("MDIClient", DefWindowProcA, COLOR_APPWORKSPACE);
  RegisterPlain("AOL Child", DefWindowProcA, COLOR_BTNFACE);
  RegisterPlain("StandinPane", DefWindowProcA, COLOR_BTNFACE);

  const int height = 80 + static_cast<int>(docs.size()) * (kDocHeight + kPadding);
  HWND frame = CreateWindowExA(0, "AOL Frame25", "Stand-in chat client", WS_OVERLAPPEDWINDOW, 40,
                               40, 530, height, nullptr, nullptr, instance, nullptr);
  HWND area = CreateWindowExA(0, "MDIClient", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                              520, height, frame, nullptr, instance, nullptr);
  for (size_t doc = 0; doc < docs.size(); ++doc) {
    if (docs[doc] != "none") AddDocument(area, static_cast<int>(doc), docs[doc]);
  }
  if (!draft.empty()) {
    HWND room = FindWindowExA(area, nullptr, "AOL Child", nullptr);
    HWND first = FindWindowExA(room, nullptr, "RICHCNTL", nullptr);
    HWND input = FindWindowExA(room, first, "RICHCNTL", nullptr);
    if (input != nullptr) SetWindowTextA(input, draft.c_str());
  }
  g_ready = true;
  // Shown last: a visible frame tells a test that every window is in place.
  ShowWindow(frame, show_command);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (g_transcript != nullptr) std::fclose(g_transcript);
  return 0;
}
