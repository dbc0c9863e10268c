// One step of the scripted demo (scripts/demo.sh), done to the running panel
// as a user would do it:
//
//   demo_step type TEXT            types TEXT over the reason box's text
//   demo_step click start|stop|exit
//
// Exits with 1 when there is no panel or the step is unknown.

#include <windows.h>

#include <cwchar>
#include <utility>

#include "panel/win32_panel_window.h"

namespace {

void Type(HWND box, const wchar_t* text) {
  SendMessageW(box, EM_SETSEL, 0, -1);
  for (const wchar_t* c = text; *c != L'\0'; ++c) SendMessageW(box, WM_CHAR, *c, 1);
}

bool Click(HWND panel, const wchar_t* button) {
  const std::pair<const wchar_t*, dizod::Control> buttons[] = {
      {L"start", dizod::Control::kStart},
      {L"stop", dizod::Control::kStop},
      {L"exit", dizod::Control::kExit}};
  for (const auto& [name, control] : buttons) {
    if (std::wcscmp(button, name) == 0) {
      // Posted: the click's handler runs on while this step is done.
      return PostMessageW(GetDlgItem(panel, dizod::ControlId(control)), BM_CLICK, 0, 0) != FALSE;
    }
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  HWND panel = FindWindowW(dizod::kPanelClassName, nullptr);
  if (panel == nullptr || argc != 3) return 1;
  if (std::wcscmp(argv[1], L"type") == 0) {
    Type(GetDlgItem(panel, dizod::ControlId(dizod::Control::kReasonBox)), argv[2]);
    return 0;
  }
  if (std::wcscmp(argv[1], L"click") == 0) return Click(panel, argv[2]) ? 0 : 1;
  return 1;
}
