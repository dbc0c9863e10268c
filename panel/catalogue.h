#pragma once
// Every line the panel posts, as UTF-8. The bridge converts them to the chat
// client's code page, where each character is one byte.

#include <array>
#include <cstddef>
#include <string_view>

namespace dizod {

enum class Line {
  kBanner,
  kWideBanner,
  kByLine,
  kActivated,
  kDeactivated,
  kIdleOn,
  kIdleOff,
  kReason,
  kWasIdle,
  kHasBeenIdle,
};

// What a line carries between its front and its end: nothing, the reason
// box's text exactly as it is, or the minute count.
enum class Fill { kNothing, kReason, kCount };

struct CatalogueEntry {
  Line line;
  std::string_view front;
  Fill fill = Fill::kNothing;
  std::string_view end = "";
};

inline constexpr auto kCatalogue = std::to_array<CatalogueEntry>({
    {Line::kBanner, "º·-.· Kráno Dizod ·.-·º"},
    {Line::kWideBanner, "º·-.· Kráno Dizod  ·.-·º"},
    {Line::kByLine, "º·-.·  By: Krano  ·.-·º"},
    {Line::kActivated, "º·-.·  Actívated  ·.-·º"},
    {Line::kDeactivated, "º·-.· UnActívated ·.-·º"},
    {Line::kIdleOn, "º·-.·  Idle - On  ·.-·º"},
    {Line::kIdleOff, "º·-.·  Idle - Off  ·.-·º"},
    {Line::kReason, "º·-.· Reason: ", Fill::kReason, " ·.-·º"},
    {Line::kWasIdle, "º·-.· User Was Idle For ", Fill::kCount, " minutes ·.-·º"},
    {Line::kHasBeenIdle, "º·-.· User Has Been Idle For: ", Fill::kCount, " minutes ·.-·º"},
});

// True when every key up to `last` has one entry, at the key's place: an
// entry is then found by its key's number.
template <typename Table, typename Entry, typename Key>
constexpr bool InKeyOrder(const Table& table, Key Entry::*key, Key last) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].*key != static_cast<Key>(i)) return false;
  }
  return table.size() == static_cast<std::size_t>(last) + 1;
}
static_assert(InKeyOrder(kCatalogue, &CatalogueEntry::line, Line::kHasBeenIdle));

}  // namespace dizod
