#pragma once
// Every fixed value of the panel: timing, texts of the window and its layout.

#include <cstdint>
#include <string_view>

namespace dizod {

// Pause between two lines of a sequence, and at the start of each idle cycle.
inline constexpr std::int32_t kLinePauseSeconds = 1;
inline constexpr std::int32_t kCycleSeconds = 63;
inline constexpr unsigned kTimerIntervalMs = 1000;
// How long Exit and close go on posting their sign-off into a chat client
// that does not answer: with the pauses, the program is gone within 8 s.
inline constexpr double kSignOffBudgetSeconds = 5.5;

inline constexpr std::string_view kTitle = "                    K r á n o · D i z o d ";
inline constexpr std::string_view kInitialReason = "Reason";
inline constexpr std::string_view kInitialCount = "0";
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
inline constexpr TwipsRect kText1Rect{30, 30, 3070, 285};
inline constexpr TwipsRect kCommand1Rect{30, 360, 975, 255};
inline constexpr TwipsRect kCommand2Rect{1080, 360, 975, 255};
inline constexpr TwipsRect kCommand3Rect{2130, 360, 975, 255};
// The counter lies wholly outside the inner area: it is a store, not a view.
inline constexpr TwipsRect kText2Rect{3240, 960, 735, 285};

// Colours as 0xRRGGBB.
inline constexpr std::uint32_t kBackgroundRgb = 0xC0C0C0;
inline constexpr std::uint32_t kDesignBlueRgb = 0x0000C0;

// The reason box's font; size in hundredths of a point.
inline constexpr std::string_view kReasonFontFace = "OCR A Extended";
inline constexpr int kReasonFontCentiPoints = 825;
inline constexpr int kReasonFontWeight = 400;

}  // namespace dizod
