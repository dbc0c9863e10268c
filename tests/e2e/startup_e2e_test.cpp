// The real program against the stand-in chat client: the panel as it opens,
// the start-up lines, and every layout of the client's windows.

#include <gtest/gtest.h>

#include "tests/support/driver/driver.h"

namespace dizod::e2e {
namespace {

// The banner, the by-line and the activated line in Windows-1252.
const std::vector<std::string> kStartupLines = {
    Hex("BAB72D2EB7204B72E16E6F2044697A6F6420B72E2DB7BA"),
    Hex("BAB72D2EB7202042793A204B72616E6F2020B72E2DB7BA"),
    Hex("BAB72D2EB72020416374ED76617465642020B72E2DB7BA")};

TEST(Startup, PanelOpensInItsInitialStateAndPostsTheStartupLines) {
  Standin chat;
  const long long launched = NowMs();
  Panel panel;
  ASSERT_NE(panel.Hwnd(), nullptr);
  ASSERT_TRUE(chat.WaitPosted(3, 8000));
  Sleep(300);

  const auto posted = chat.Posted();
  ASSERT_EQ(chat.PostedBytes(), kStartupLines);
  for (const auto& line : posted) {
    EXPECT_EQ(line.doc, 0);
    EXPECT_EQ(line.box, 1);
  }
  EXPECT_LT(posted[0].ms - launched, 5000);
  for (int i = 1; i < 3; ++i) {
    EXPECT_GE(posted[i].ms - posted[i - 1].ms, 450);
    EXPECT_LE(posted[i].ms - posted[i - 1].ms, 1550);
  }

  HWND hwnd = panel.Hwnd();
  // 20 blanks, then the letters each followed by one blank.
  EXPECT_EQ(panel.Text(hwnd), L"                    K r \u00E1 n o \u00B7 D i z o d ");
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  const LONG ex_style = GetWindowLongW(hwnd, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(ex_style & WS_EX_TOOLWINDOW);  // no taskbar button
  EXPECT_TRUE(ex_style & WS_EX_TOPMOST);
  EXPECT_EQ(GetMenu(hwnd), nullptr);

  EXPECT_EQ(panel.Text(panel.Control(Control::kText1)), L"Reason");
  EXPECT_EQ(panel.Text(panel.Control(Control::kText2)), L"0");
  EXPECT_EQ(panel.Text(panel.Control(Control::kCommand1)), L"\u00B7 Start \u00B7");
  EXPECT_EQ(panel.Text(panel.Control(Control::kCommand2)), L"\u00B7 Stop \u00B7");
  EXPECT_EQ(panel.Text(panel.Control(Control::kCommand3)), L"\u00B7 Exit \u00B7");
  EXPECT_TRUE(IsWindowEnabled(panel.Control(Control::kText1)));
  EXPECT_TRUE(IsWindowEnabled(panel.Control(Control::kCommand1)));
  EXPECT_FALSE(IsWindowEnabled(panel.Control(Control::kCommand2)));
  EXPECT_TRUE(IsWindowEnabled(panel.Control(Control::kCommand3)));
  EXPECT_FALSE(IsWindowEnabled(panel.Control(Control::kText2)));

  // Tab: reason box, Start, Exit, and round again; the counter is never reached.
  HWND text1 = panel.Control(Control::kText1);
  HWND next = GetNextDlgTabItem(hwnd, text1, FALSE);
  EXPECT_EQ(next, panel.Control(Control::kCommand1));
  next = GetNextDlgTabItem(hwnd, next, FALSE);
  EXPECT_EQ(next, panel.Control(Control::kCommand3));
  EXPECT_EQ(GetNextDlgTabItem(hwnd, next, FALSE), text1);

  // The bare background shows the panel's light grey.
  POINT strip{100, 22};
  ClientToScreen(hwnd, &strip);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, strip.x, strip.y), RGB(192, 192, 192));
  ReleaseDC(nullptr, screen);
}

struct Layout {
  const char* name;
  std::vector<std::string> docs;
  int doc;  // the document that gets the lines, or -1 for none
};

class ClientLayouts : public ::testing::TestWithParam<Layout> {};

TEST_P(ClientLayouts, LinesGoToTheFirstRoomsSecondRichTextBoxOnly) {
  const Layout& layout = GetParam();
  Standin chat(layout.docs);
  Panel panel;
  ASSERT_NE(panel.Hwnd(), nullptr);
  if (layout.doc >= 0) {
    ASSERT_TRUE(chat.WaitPosted(3, 8000));
    EXPECT_EQ(chat.PostedBytes(), kStartupLines);
  } else {
    Sleep(3500);
  }
  for (const auto& entry : chat.Entries()) {
    EXPECT_EQ(entry.doc, layout.doc) << entry.event;
    EXPECT_EQ(entry.box, 1) << entry.event;
  }
  if (layout.doc < 0) {
    EXPECT_TRUE(chat.Entries().empty());
  }
  EXPECT_TRUE(panel.Answers(2000));
}

INSTANTIATE_TEST_SUITE_P(E2e, ClientLayouts,
                         ::testing::Values(Layout{"one_room", {"room"}, 0},
                                           Layout{"two_rooms", {"room", "room"}, 0},
                                           Layout{"decoy_first", {"no-static", "room"}, 1},
                                           Layout{"decoy_only", {"no-listbox"}, -1},
                                           Layout{"grandchildren", {"grand"}, -1},
                                           Layout{"three_rich_text", {"rich3"}, 0},
                                           Layout{"one_rich_text", {"rich1"}, -1},
                                           Layout{"no_document", {"none"}, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Startup, WithoutAChatClientThePanelRunsAndCloses) {
  Panel panel;
  ASSERT_NE(panel.Hwnd(), nullptr);
  Sleep(2500);
  EXPECT_TRUE(panel.process().Running());
  EXPECT_TRUE(panel.Answers(1000));
  panel.Close();
  EXPECT_TRUE(panel.process().WaitExit(8000));
}

}  // namespace
}  // namespace dizod::e2e
