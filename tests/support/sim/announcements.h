#pragma once
// Reads a chat transcript back as the announcements it is made of.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dizod::sim {

// The lines as the chat shows them, written out here rather than taken from
// the program: a line the program gets wrong makes the transcript unreadable
// and fails the tests that expect it.
namespace text {
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
}  // namespace text

struct Announcement {
  enum Kind { kStartup, kSignOff, kIdleOn, kIdleOff, kMinute } kind;
  std::string detail;  // the reason of idle-on; the count of idle-off and minute
  size_t first_line = 0;
};

// The announcements, in order, or nothing when the lines are not a sequence of
// whole announcements. A sign-off may follow a cut-short announcement; with
// `open_end`, the lines may also end in the middle of one (a transcript read
// while the panel is still posting).
std::optional<std::vector<Announcement>> SplitAnnouncements(const std::vector<std::string>& lines,
                                                            bool open_end = false);

}  // namespace dizod::sim
