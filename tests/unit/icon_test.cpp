#include "tools/icon_gen/icon.h"

#include <gtest/gtest.h>

namespace dizod::icon {
namespace {

std::uint32_t Read32(const std::vector<std::uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

TEST(Icon, SevenUncompressedImagesOfTheFixedSizes) {
  const std::vector<std::uint8_t> file = BuildIcon();
  ASSERT_GE(file.size(), 6u);
  EXPECT_EQ(file[2], 1);  // icon
  ASSERT_EQ(file[4], 7);
  const std::uint32_t expected[][3] = {{32, 4, 744},    {32, 24, 3240}, {48, 24, 7336},
                                       {64, 24, 12840}, {72, 4, 3560},  {72, 8, 7112},
                                       {72, 24, 16456}};
  size_t end = 6 + 16 * 7;
  for (int i = 0; i < 7; ++i) {
    const size_t entry = 6 + 16 * i;
    EXPECT_EQ(file[entry], expected[i][0]) << i;
    EXPECT_EQ(file[entry + 6], expected[i][1]) << i;
    const std::uint32_t bytes = Read32(file, entry + 8), offset = Read32(file, entry + 12);
    EXPECT_EQ(bytes, expected[i][2]) << i;
    EXPECT_EQ(offset, end) << i;
    // The image's own header agrees: width, double height, depth, no compression.
    EXPECT_EQ(Read32(file, offset), 40u);
    EXPECT_EQ(Read32(file, offset + 4), expected[i][0]);
    EXPECT_EQ(Read32(file, offset + 8), 2 * expected[i][0]);
    EXPECT_EQ(file[offset + 14], expected[i][1]);
    EXPECT_EQ(Read32(file, offset + 16), 0u);
    end = offset + bytes;
  }
  EXPECT_EQ(file.size(), end);
  // The corners are transparent, the middle is not.
  const size_t first = Read32(file, 6 + 12), mask = first + 744 - 128;
  EXPECT_EQ(file[mask] & 0x80, 0x80);
  EXPECT_EQ(file[mask + 16 * 4] & 0x01, 0);
}

}  // namespace
}  // namespace dizod::icon
