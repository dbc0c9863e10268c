// The real program started as a shortcut set to "Maximized" starts it (the
// show commands of the panel's own showing are tested in-process): it opens
// as the normal panel, and a reason typed at once goes into the reason box.

#include <gtest/gtest.h>

#include "bench/driver.h"

namespace dizod::e2e {
namespace {

TEST(Launch, MaximizedOpensTheNormalPanelThatTakesAReasonTypedAtOnce) {
  Standin chat;
  Panel panel(L"" DIZOD_EXE, SW_SHOWMAXIMIZED);
  ASSERT_NE(panel.Hwnd(), nullptr);
  EXPECT_FALSE(IsZoomed(panel.Hwnd()));
  RECT inner{};
  GetClientRect(panel.Hwnd(), &inner);
  EXPECT_EQ(inner.right, 209);
  EXPECT_EQ(inner.bottom, 43);
  ASSERT_TRUE(WaitFor([&] { return panel.Focus() == panel.Control(Control::kReasonBox); }, 3000));
  TypeText(L"lunch");  // while the start-up lines are still going out
  ASSERT_TRUE(chat.WaitPosted(3, 8000));
  EXPECT_EQ(panel.Text(panel.Control(Control::kReasonBox)), L"lunch");
  panel.Click(Control::kStart);
  ASSERT_TRUE(chat.WaitPosted(6, 8000));
  EXPECT_EQ(chat.PostedBytes()[5], lines::kReasonLunch);
}

}  // namespace
}  // namespace dizod::e2e
