#pragma once
// Reads a chat transcript back as the announcements it is made of.

#include <optional>
#include <string>
#include <vector>

namespace dizod::sim {

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
