#include "tests/support/sim/announcements.h"

#include <string_view>

namespace dizod::sim {

namespace lines = text;

namespace {

bool Between(std::string_view line, std::string_view prefix, std::string_view suffix,
             std::string* middle) {
  if (line.size() < prefix.size() + suffix.size() || line.substr(0, prefix.size()) != prefix ||
      line.substr(line.size() - suffix.size()) != suffix) {
    return false;
  }
  *middle = std::string(line.substr(prefix.size(), line.size() - prefix.size() - suffix.size()));
  return true;
}

// Matches the announcement at `at`; returns the number of lines it took.
size_t Match(const std::vector<std::string>& l, size_t at, Announcement* out) {
  const auto has = [&](size_t i, std::string_view text) {
    return at + i < l.size() && l[at + i] == text;
  };
  std::string middle;
  if (has(0, lines::kBanner) && has(1, lines::kByLine) && has(2, lines::kActivated)) {
    *out = {Announcement::kStartup, ""};
    return 3;
  }
  if (has(0, lines::kBanner) && has(1, lines::kByLine) && has(2, lines::kDeactivated)) {
    *out = {Announcement::kSignOff, ""};
    return 3;
  }
  if (has(0, lines::kWideBanner) && has(1, lines::kIdleOn) && at + 2 < l.size() &&
      Between(l[at + 2], lines::kReasonPrefix, lines::kReasonSuffix, &middle)) {
    *out = {Announcement::kIdleOn, middle};
    return 3;
  }
  if (has(0, lines::kBanner) && has(1, lines::kIdleOff) && at + 2 < l.size() &&
      Between(l[at + 2], lines::kWasIdlePrefix, lines::kMinutesSuffix, &middle)) {
    *out = {Announcement::kIdleOff, middle};
    return 3;
  }
  std::string count;
  if (has(0, lines::kBanner) && at + 2 < l.size() &&
      Between(l[at + 1], lines::kReasonPrefix, lines::kReasonSuffix, &middle) &&
      Between(l[at + 2], lines::kHasBeenIdlePrefix, lines::kMinutesSuffix, &count)) {
    *out = {Announcement::kMinute, count};
    return 3;
  }
  return 0;
}

// Whether the lines from `at` on, `count` of them, begin some announcement.
bool BeginsAnnouncement(const std::vector<std::string>& l, size_t at, size_t count) {
  std::string middle;
  if (l[at] == lines::kWideBanner) return count == 1 || l[at + 1] == lines::kIdleOn;
  if (l[at] != lines::kBanner) return false;
  return count == 1 || l[at + 1] == lines::kByLine || l[at + 1] == lines::kIdleOff ||
         Between(l[at + 1], lines::kReasonPrefix, lines::kReasonSuffix, &middle);
}

}  // namespace

std::optional<std::vector<Announcement>> SplitAnnouncements(const std::vector<std::string>& l,
                                                            bool open_end) {
  std::vector<Announcement> result;
  size_t at = 0;
  while (at < l.size()) {
    Announcement next;
    if (const size_t taken = Match(l, at, &next)) {
      next.first_line = at;
      result.push_back(next);
      at += taken;
      continue;
    }
    if (open_end && l.size() - at <= 2 && BeginsAnnouncement(l, at, l.size() - at)) break;
    // Only a sign-off may cut an announcement short, and it ends the transcript
    // (with `open_end`, it may itself be under way).
    for (size_t cut = 1; cut <= 2 && at + cut < l.size(); ++cut) {
      const size_t rest = l.size() - (at + cut);
      if (!BeginsAnnouncement(l, at, cut)) continue;
      if (rest == 3 && Match(l, at + cut, &next) == 3 && next.kind == Announcement::kSignOff) {
        next.first_line = at + cut;
        result.push_back(next);
        return result;
      }
      if (open_end && rest <= 2 && l[at + cut] == lines::kBanner &&
          (rest == 1 || l[at + cut + 1] == lines::kByLine)) {
        return result;
      }
    }
    return std::nullopt;
  }
  return result;
}

}  // namespace dizod::sim
