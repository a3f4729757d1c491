// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The items of a batch input and what the batch says of them, the same wherever the batch
// runs: how items are told apart, which are latitudes, and the entries and lines that name
// them.
namespace marovane {

// Items are separated by blanks, tabs, commas and line ends.
inline bool IsBatchSeparator(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n';
}

// No latitude text is this long, whatever zeros it carries; a longer item is refused without
// being kept whole.
inline constexpr std::size_t kLongestItem = 4096;
// An item without a separator for this long means the input is no text of latitudes.
inline constexpr std::uintmax_t kLongestRun = std::uintmax_t{1} << 20;
// A UTF-8 byte order mark: at the very start of the input it is no part of the first item.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// An item judged: its latitude, or why it gives none ("not a number", "latitude outside
// -90..90", "longer than any latitude (5000 characters)"), without an ending.
struct BatchItem {
  float latitude = 0.0f;
  std::string refusal;  // empty for a latitude
};

// `item` holds the first kLongestItem + 1 bytes of an item `length` bytes long.
BatchItem CheckBatchItem(std::string_view item, std::uintmax_t length);

// "Item 3 (abc): ", the start of an entry about item `number`, its text cut and made safe
// to show (ShownText).
std::string BatchItemPrefix(std::int64_t number, std::string_view item);

// Why an input is no text of latitudes, naming the item that runs on.
std::string RunsOnReason(std::int64_t number);

// "Stopped by the user after item 12": the run's last entry ends "; the items after it were
// not written.", its summary's line ".".
std::string StoppedAfterItem(std::int64_t items);
std::string StoppedEntry(std::int64_t items);

}  // namespace marovane
