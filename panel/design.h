#pragma once
// The panel's fixed look: the texts of the window and its layout.

#include <cstdint>
#include <string_view>

namespace dizod {

inline constexpr std::string_view kTitle = "                    K r á n o · D i z o d ";
inline constexpr std::string_view kInitialReason = "Reason";
inline constexpr std::string_view kStartCaption = "· Start ·";
inline constexpr std::string_view kStopCaption = "· Stop ·";
inline constexpr std::string_view kExitCaption = "· Exit ·";

// Layout, in twips (1/1440 inch).
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kInnerWidthTwips = 3135;
inline constexpr int kInnerHeightTwips = 645;

struct TwipsRect {
  int left, top, width, height;
};
inline constexpr TwipsRect kReasonBoxRect{30, 30, 3070, 285};
inline constexpr TwipsRect kStartRect{30, 360, 975, 255};
inline constexpr TwipsRect kStopRect{1080, 360, 975, 255};
inline constexpr TwipsRect kExitRect{2130, 360, 975, 255};
// The counter lies wholly outside the inner area: it is a store, not a view.
inline constexpr TwipsRect kCounterRect{3240, 960, 735, 285};

// The design's dark blue, as 0xRRGGBB.
inline constexpr std::uint32_t kDesignBlueRgb = 0x0000C0;

// The reason box's font; size in hundredths of a point.
inline constexpr std::string_view kReasonFontFace = "OCR A Extended";
inline constexpr int kReasonFontCentiPoints = 825;
inline constexpr int kReasonFontWeight = 400;

}  // namespace dizod
