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

// The items of an input handed over in pieces of any size, as a file or a pipe gives them,
// keeping no more than one short item whatever the input's size. A byte order mark at the
// very start is skipped, also when it comes split over pieces.
class BatchItemSplitter {
 public:
  enum class Next { Item, More, RunsOn };

  // The next bytes of the input, once next() has said More for the ones before; they must
  // stay in place until then.
  void feed(std::string_view piece) { rest_ = piece; }
  // The next item ended by a separator; More once what was fed is used up (an item it ends
  // in goes on with the next piece); RunsOn for an item longer than kLongestRun.
  Next next();
  // At the end of the input: whether an item was left unended, which is then whole.
  bool end();
  // The item found: its first kLongestItem + 1 bytes, and its whole length.
  const std::string& item() const { return item_; }
  std::uintmax_t length() const { return length_; }
  // Bytes of the input taken so far, up to the end of the item found.
  std::uintmax_t taken() const { return taken_; }

 private:
  void take(std::string_view bytes);

  std::string_view rest_;
  std::string item_;
  std::uintmax_t length_ = 0;
  std::uintmax_t taken_ = 0;
  std::size_t markSeen_ = 0;  // bytes of a byte order mark seen at the start
  bool started_ = false;      // the start is past: no mark may come any more
  bool whole_ = true;         // item_ was handed out whole; the next one starts afresh
};

// The name of the output for `latitude` of the input named `inputName` (a file name, UTF-8,
// without its folder): the name without its last 4 characters, the latitude's text, ".out"
// (lats.txt and 41.9 give lats41.9.out). Characters are cut, never a byte of one.
std::string BatchOutputFileName(std::string_view inputName, float latitude);

// What a run did: its counts, and whether it read its input to the end.
struct BatchResult {
  std::int32_t written = 0;  // files really written
  std::int32_t failed = 0;   // items that got no file
  std::int64_t items = 0;    // items read; each has one log entry
  std::string unreadInput;   // why the input could not be read to its end, naming it
  bool stopped = false;      // the run was stopped before the end of the input
  bool inputRead() const { return unreadInput.empty(); }
  bool complete() const { return inputRead() && failed == 0 && !stopped; }
};

// An input that could not be read to its end, `shownInput` naming it: the log's entry
// "Cannot read X: reason", and the summary's line "The input file X could not be read: reason."
std::string CannotReadEntry(std::string_view shownInput, std::string_view reason);
std::string UnreadInput(std::string_view shownInput, std::string_view reason);

// "N Files written." and, when something failed, a second line saying what.
std::string BatchSummary(const BatchResult& result);
// A run's progress as its dialog says it: "12 files written, 15 items read."
std::string BatchCountText(std::int64_t written, std::int64_t items);

// "Stopped by the user after item 12": the run's last entry ends "; the items after it were
// not written.", its summary's line ".".
std::string StoppedAfterItem(std::int64_t items);
std::string StoppedEntry(std::int64_t items);

}  // namespace marovane
