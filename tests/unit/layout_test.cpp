#include "panel/layout.h"

#include <gtest/gtest.h>

#include "panel/catalogue.h"

namespace dizod {
namespace {

TEST(Layout, InnerAreaAndControlsAt96And144Dpi) {
  EXPECT_EQ(TwipsToPixels(kInnerWidthTwips, 96), 209);
  EXPECT_EQ(TwipsToPixels(kInnerHeightTwips, 96), 43);
  EXPECT_EQ(TwipsToPixels(kInnerWidthTwips, 144), 314);
  EXPECT_EQ(TwipsToPixels(kInnerHeightTwips, 144), 65);
  EXPECT_EQ(TwipsToPixels(-120, 96), -8);

  const PixelRect exit = ToPixels(kCommand3Rect, 96);
  EXPECT_EQ(exit.left + exit.width, 207);  // 30 twips (2 px) short of the right edge
  EXPECT_EQ(exit.top + exit.height, 41);
  const PixelRect counter = ToPixels(kText2Rect, 144);
  EXPECT_GT(counter.left, TwipsToPixels(kInnerWidthTwips, 144));
  EXPECT_GT(counter.top, TwipsToPixels(kInnerHeightTwips, 144));

  EXPECT_EQ(ReasonFontHeight(96), -11);
  EXPECT_EQ(ReasonFontHeight(144), -17);
}

// Counts characters, not bytes: the catalogue is UTF-8.
size_t Chars(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

TEST(Catalogue, LengthsOfEveryLine) {
  EXPECT_EQ(Chars(kTitle), 42u);
  EXPECT_EQ(kTitle.substr(0, 21), std::string(20, ' ') + "K");
  EXPECT_EQ(kTitle.back(), ' ');
  for (auto line :
       {lines::kBanner, lines::kByLine, lines::kActivated, lines::kDeactivated, lines::kIdleOn}) {
    EXPECT_EQ(Chars(line), 23u) << line;
  }
  EXPECT_EQ(Chars(lines::kWideBanner), 24u);
  EXPECT_EQ(Chars(lines::kIdleOff), 24u);
  EXPECT_EQ(Chars(lines::Reason("")), 20u);
  EXPECT_EQ(lines::Reason(""), "º·-.· Reason:  ·.-·º");
  EXPECT_EQ(Chars(lines::HasBeenIdle("12")), 46u);
  EXPECT_EQ(Chars(lines::WasIdle("12")), 40u);
  EXPECT_EQ(Chars(kStartCaption), 9u);
  EXPECT_EQ(Chars(kStopCaption), 8u);
}

}  // namespace
}  // namespace dizod
