#pragma once
// Every line the panel posts, as UTF-8. The bridge converts them to the chat
// client's code page, where each character is one byte.

#include <string>
#include <string_view>

namespace dizod::lines {

inline constexpr std::string_view kBanner = "º·-.· Kráno Dizod ·.-·º";
inline constexpr std::string_view kWideBanner = "º·-.· Kráno Dizod  ·.-·º";
inline constexpr std::string_view kByLine = "º·-.·  By: Krano  ·.-·º";
inline constexpr std::string_view kActivated = "º·-.·  Actívated  ·.-·º";
inline constexpr std::string_view kDeactivated = "º·-.· UnActívated ·.-·º";
inline constexpr std::string_view kIdleOn = "º·-.·  Idle - On  ·.-·º";
inline constexpr std::string_view kIdleOff = "º·-.·  Idle - Off  ·.-·º";

inline constexpr std::string_view kReasonPrefix = "º·-.· Reason: ";
inline constexpr std::string_view kReasonSuffix = " ·.-·º";
inline constexpr std::string_view kWasIdlePrefix = "º·-.· User Was Idle For ";
inline constexpr std::string_view kHasBeenIdlePrefix = "º·-.· User Has Been Idle For: ";
inline constexpr std::string_view kMinutesSuffix = " minutes ·.-·º";

// The composed lines: prefix, the control's text exactly as it is, suffix.
inline std::string Reason(std::string_view reason) {
  return std::string(kReasonPrefix).append(reason).append(kReasonSuffix);
}
inline std::string WasIdle(std::string_view count) {
  return std::string(kWasIdlePrefix).append(count).append(kMinutesSuffix);
}
inline std::string HasBeenIdle(std::string_view count) {
  return std::string(kHasBeenIdlePrefix).append(count).append(kMinutesSuffix);
}

}  // namespace dizod::lines
