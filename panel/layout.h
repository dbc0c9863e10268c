#pragma once
// Converts the panel's twips into pixels at a given number of dots per inch.

#include "panel/design.h"

namespace dizod {

struct PixelRect {
  int left, top, width, height;
};

// Rounds half away from zero, as the system's own MulDiv does.
constexpr int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  const long long half = kTwipsPerInch / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                      : -((-scaled + half) / kTwipsPerInch));
}

constexpr PixelRect ToPixels(const TwipsRect& r, int dpi) {
  return {TwipsToPixels(r.left, dpi), TwipsToPixels(r.top, dpi), TwipsToPixels(r.width, dpi),
          TwipsToPixels(r.height, dpi)};
}

// Font height in pixels (negative: the character height, not the cell's).
constexpr int ReasonFontHeight(int dpi) {
  return -static_cast<int>((static_cast<long long>(kReasonFontCentiPoints) * dpi + 3600) / 7200);
}

}  // namespace dizod
