// The real program against the stand-in chat client: the panel as it opens,
// the start-up lines, and every layout of the client's windows.

#include <gtest/gtest.h>

#include <cstdlib>

#include "panel/catalogue.h"
#include "panel/design.h"
#include "panel/layout.h"
#include "toolkit/win32_text.h"
#include "tests/support/driver/driver.h"

namespace dizod::e2e {
namespace {

const std::vector<std::string> kStartupLines =
    AnsiLines({lines::kBanner, lines::kByLine, lines::kActivated});

RECT InPanel(const Panel& panel, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, panel.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectAt(const Panel& panel, dizod::Control control, const TwipsRect& twips, int dpi) {
  const RECT r = InPanel(panel, panel.Control(control));
  const PixelRect px = ToPixels(twips, dpi);
  EXPECT_EQ(r.left, px.left) << static_cast<int>(control);
  EXPECT_EQ(r.top, px.top) << static_cast<int>(control);
  EXPECT_EQ(r.right - r.left, px.width) << static_cast<int>(control);
  EXPECT_EQ(r.bottom - r.top, px.height) << static_cast<int>(control);
}

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
  EXPECT_EQ(panel.Text(hwnd), Utf8ToWide(kTitle));
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  const LONG ex_style = GetWindowLongW(hwnd, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(ex_style & WS_EX_TOOLWINDOW);  // no taskbar button
  EXPECT_TRUE(ex_style & WS_EX_TOPMOST);
  EXPECT_EQ(GetMenu(hwnd), nullptr);

  const int dpi = 96;
  RECT inner{};
  GetClientRect(hwnd, &inner);
  EXPECT_EQ(inner.right, 209);
  EXPECT_EQ(inner.bottom, 43);
  ExpectAt(panel, Control::kText1, kText1Rect, dpi);
  ExpectAt(panel, Control::kCommand1, kCommand1Rect, dpi);
  ExpectAt(panel, Control::kCommand2, kCommand2Rect, dpi);
  ExpectAt(panel, Control::kCommand3, kCommand3Rect, dpi);
  ExpectAt(panel, Control::kText2, kText2Rect, dpi);

  EXPECT_EQ(panel.Text(panel.Control(Control::kText1)), L"Reason");
  EXPECT_EQ(panel.Text(panel.Control(Control::kText2)), L"0");
  EXPECT_EQ(panel.Text(panel.Control(Control::kCommand1)), Utf8ToWide(kStartCaption));
  EXPECT_EQ(panel.Text(panel.Control(Control::kCommand2)), Utf8ToWide(kStopCaption));
  EXPECT_EQ(panel.Text(panel.Control(Control::kCommand3)), Utf8ToWide(kExitCaption));
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

// Runs where the display is set to another DPI (tests/e2e/high_dpi.sh): the
// panel, laid out in twips, scales with it.
TEST(HighDpi, PanelScalesWithTheDisplay) {
  const char* dpi_text = std::getenv("DIZOD_DPI");
  if (dpi_text == nullptr) GTEST_SKIP() << "runs with DIZOD_DPI set";
  const int dpi = std::atoi(dpi_text);
  Standin chat;
  Panel panel;
  ASSERT_TRUE(chat.WaitPosted(3, 8000));
  RECT inner{};
  GetClientRect(panel.Hwnd(), &inner);
  EXPECT_NEAR(inner.right, TwipsToPixels(kInnerWidthTwips, dpi), 1);
  EXPECT_NEAR(inner.bottom, TwipsToPixels(kInnerHeightTwips, dpi), 1);
  ExpectAt(panel, Control::kText1, kText1Rect, dpi);
  ExpectAt(panel, Control::kCommand1, kCommand1Rect, dpi);
  ExpectAt(panel, Control::kCommand2, kCommand2Rect, dpi);
  ExpectAt(panel, Control::kCommand3, kCommand3Rect, dpi);
  ExpectAt(panel, Control::kText2, kText2Rect, dpi);
  const RECT counter = InPanel(panel, panel.Control(Control::kText2));
  EXPECT_GE(counter.left, inner.right);
  EXPECT_GE(counter.top, inner.bottom);
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
