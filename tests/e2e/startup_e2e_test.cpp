// The real program against the stand-in chat client: the start-up lines go
// into the real client's windows, past a document that is no chat room.

#include <gtest/gtest.h>

#include "bench/driver.h"

namespace dizod::e2e {
namespace {

TEST(Startup, PostsTheStartupLinesIntoTheFirstRoomsSecondRichTextBox) {
  // The first document lacks the room's static caption.
  Standin chat({"no-static", "room"});
  const long long launched = NowMs();
  Panel panel;
  ASSERT_NE(panel.Hwnd(), nullptr);
  ASSERT_TRUE(chat.WaitPosted(3, 8000));
  Sleep(300);

  EXPECT_EQ(chat.PostedBytes(), lines::kStartup);
  for (const auto& entry : chat.Entries()) {
    EXPECT_EQ(entry.doc, 1) << entry.event;
    EXPECT_EQ(entry.box, 1) << entry.event;
  }
  const auto posted = chat.Posted();
  EXPECT_LT(posted[0].ms - launched, 5000);
  for (int i = 1; i < 3; ++i) {
    EXPECT_GE(posted[i].ms - posted[i - 1].ms, 450);
    EXPECT_LE(posted[i].ms - posted[i - 1].ms, 1550);
  }
}

}  // namespace
}  // namespace dizod::e2e
