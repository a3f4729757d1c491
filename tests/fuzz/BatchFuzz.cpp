// SPDX-License-Identifier: GPL-3.0-or-later
// The batch engine on any input, writing into a folder of its own: every item has exactly one
// entry, written files are counted 1..n without a gap, and each is complete and exact; an item
// is refused as long exactly when it is longer than any latitude, and a run without separator
// past 1 MiB ends the run there. Inputs reach those lengths through a marker that stands for a
// long run of digits ("~" and one byte), as libFuzzer's inputs stay short.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "FuzzCheck.hpp"
#include "export/Batch.hpp"
#include "export/BatchItems.hpp"
#include "export/CycleFile.hpp"
#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"

namespace {

namespace fs = std::filesystem;
using namespace marovane;

// `text` with each "~" and the byte after it replaced by a run of zeros or nines around one of
// the lengths where the batch changes its mind: 64, 4,096 and 1 MiB characters, the last at
// most once, as a run that long is slow to check.
std::string Expanded(std::string_view text) {
  constexpr std::size_t kLengths[] = {64, kLongestItem, kLongestRun};
  std::string expanded;
  bool longRun = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto k = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
    if (text[i] != '~' || i + 1 == text.size() || (k % 3 == 2 && longRun)) {
      expanded += text[i];
      continue;
    }
    longRun = longRun || k % 3 == 2;
    expanded.append(kLengths[k % 3] + (k / 3) % 5 - 2, (k / 15) % 2 != 0 ? '9' : '0');
    ++i;
  }
  return expanded;
}

const fs::path& Folder() {
  static const fs::path folder = [] {
    const fs::path dir =
        fs::temp_directory_path() / ("marovane-fuzz-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
  }();
  return folder;
}

// The items of the input, after a byte order mark at its start.
std::vector<std::string> Items(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  }
  constexpr std::string_view kSeparators = " \t,\r\n";
  std::vector<std::string> items;
  for (std::size_t start = text.find_first_not_of(kSeparators); start != std::string_view::npos;) {
    const std::size_t end = std::min(text.find_first_of(kSeparators, start), text.size());
    items.emplace_back(text.substr(start, end - start));
    start = text.find_first_not_of(kSeparators, end);
  }
  return items;
}

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  // The first byte chooses what the files hold; the rest is the input file.
  const CycleChoice choice{*AggregationOfCode(1 + data[0] % 4), *UnitOfCode(1 + (data[0] / 4) % 7),
                           data[0] & 0x80 ? Quantity::DayLength : Quantity::Radiation};
  const std::string text =
      Expanded(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  for (const auto& entry : fs::directory_iterator(Folder())) {
    fs::remove_all(entry.path());
  }
  const fs::path input = Folder() / "lats.txt";
  std::ofstream(input, std::ios::binary)
      .write(text.data(), static_cast<std::streamsize>(text.size()));

  std::vector<std::string> log;
  const BatchResult result =
      RunBatch(input, choice, [&](const std::string& entry) { log.push_back(entry); });
  FUZZ_CHECK(!result.stopped);
  std::vector<std::string> items = Items(text);
  // The same items from the input handed over in pieces of a few bytes, as a pipe or the page
  // hands them, up to an item that runs on.
  std::size_t found = 0;
  bool ranOn = false;
  BatchItemSplitter splitter;
  auto same = [&] {
    FUZZ_CHECK(found < items.size() && splitter.length() == items[found].size() &&
               splitter.item() == items[found].substr(0, kLongestItem + 1));
    ++found;
  };
  constexpr std::size_t kPieces[] = {1, 2, 3, 7, 61, 4093, 65536};
  const std::size_t piece = kPieces[data[0] % std::size(kPieces)];
  for (std::size_t at = 0; at < text.size() && !ranOn; at += piece) {
    splitter.feed(std::string_view(text).substr(at, piece));
    for (auto next = splitter.next(); next != BatchItemSplitter::Next::More && !ranOn;
         next = splitter.next()) {
      ranOn = next == BatchItemSplitter::Next::RunsOn;
      if (!ranOn) {
        same();
      }
    }
  }
  if (!ranOn && splitter.end()) {
    same();
  }
  // An item that runs on past 1 MiB ends the run, with an entry of its own.
  const auto runsOn = std::find_if(items.begin(), items.end(), [](const std::string& item) {
    return item.size() > kLongestRun;
  });
  const bool endsEarly = runsOn != items.end();
  items.erase(runsOn, items.end());
  FUZZ_CHECK(result.inputRead() == !endsEarly);
  FUZZ_CHECK(ranOn == endsEarly && found == items.size());
  FUZZ_CHECK(static_cast<std::size_t>(result.items) == items.size());
  FUZZ_CHECK(log.size() == items.size() + (endsEarly ? 1 : 0));
  FUZZ_CHECK(result.written + result.failed == result.items);
  if (endsEarly) {
    FUZZ_CHECK(log.back().starts_with("Cannot read ") &&
               log.back().ends_with(": item " + std::to_string(items.size() + 1) +
                                    " runs on for more than 1 MiB without a separator, so this "
                                    "is no file of latitudes"));
  }

  // Latitudes that print alike share a file, which then holds the last of them.
  std::map<fs::path, std::string> expected;
  std::int32_t counted = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string& entry = log[i];
    const std::string& item = items[i];
    const std::string longer = "longer than any latitude (" + std::to_string(item.size()) +
                               " characters), no file written.";
    float value = 0.0f;
    const bool latitude =
        item.size() <= kLongestItem && CheckLatitudeText(item, value) == LatitudeCheck::Valid;
    if (entry.starts_with("Item " + std::to_string(i + 1) + " (")) {
      // A refused item: refused as long exactly when it is.
      FUZZ_CHECK(!latitude);
      FUZZ_CHECK(entry.ends_with(longer) == (item.size() > kLongestItem));
      continue;
    }
    // "count latitude path"
    FUZZ_CHECK(latitude);
    const auto first = entry.find(' ');
    const auto second = entry.find(' ', first + 1);
    FUZZ_CHECK(first != std::string::npos && second != std::string::npos);
    FUZZ_CHECK(entry.substr(0, first) == std::to_string(++counted));
    FUZZ_CHECK(value == static_cast<float>(LeadingNumber(item)));
    FUZZ_CHECK(value >= -90.0f && value <= 90.0f);
    const std::string shown = entry.substr(first + 1, second - first - 1);
    FUZZ_CHECK(shown == SingleText(value));
    const fs::path output = entry.substr(second + 1);
    FUZZ_CHECK(output == Folder() / ("lats" + shown + ".out"));
    expected[output] = AnnualCycleText(value, choice);
  }
  for (const auto& [output, bytes] : expected) {
    FUZZ_CHECK(Read(output) == bytes);
  }
  FUZZ_CHECK(counted == result.written);
  return 0;
}
