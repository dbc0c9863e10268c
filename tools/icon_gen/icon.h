#pragma once
// Draws the program's icon: a crescent moon on a dark-blue disc, as an .ico
// file with seven uncompressed images of fixed sizes and colour depths.

#include <cstdint>
#include <vector>

namespace dizod::icon {

struct ImageFormat {
  int size;  // width and height in pixels
  int bits;  // 4, 8 or 24 bits per pixel
};

inline constexpr ImageFormat kImages[] = {{32, 4}, {32, 24}, {48, 24}, {64, 24},
                                          {72, 4}, {72, 8},  {72, 24}};

// Bytes of one image in the file: header, palette, colour rows, mask rows.
std::uint32_t ImageBytes(const ImageFormat& format);

// The whole .ico file.
std::vector<std::uint8_t> BuildIcon();

}  // namespace dizod::icon
