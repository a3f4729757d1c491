// SPDX-License-Identifier: GPL-3.0-or-later
// The batch engine on any input, writing into a folder of its own: every item has exactly one
// entry, written files are counted 1..n without a gap, and each is complete and exact.
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
#include "export/CycleFile.hpp"
#include "export/Batch.hpp"
#include "text/NumberText.hpp"

namespace {

namespace fs = std::filesystem;
using namespace marovane;

const fs::path& Folder() {
  static const fs::path folder = [] {
    const fs::path dir = fs::temp_directory_path() / ("marovane-fuzz-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
  }();
  return folder;
}

std::vector<std::string> Items(std::string_view text) {
  std::vector<std::string> items;
  bool inItem = false;
  for (char c : text) {
    const bool separator = c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n';
    if (!separator && !inItem) {
      items.emplace_back();
    }
    if (!separator) {
      items.back() += c;
    }
    inItem = !separator;
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
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  for (const auto& entry : fs::directory_iterator(Folder())) {
    fs::remove_all(entry.path());
  }
  const fs::path input = Folder() / "lats.txt";
  std::ofstream(input, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));

  std::vector<std::string> log;
  const BatchResult result =
      RunBatch(input, choice, [&](const std::string& entry) { log.push_back(entry); });
  FUZZ_CHECK(result.inputRead() && !result.stopped);
  const std::vector<std::string> items = Items(text);
  FUZZ_CHECK(static_cast<std::size_t>(result.items) == items.size());
  FUZZ_CHECK(log.size() == items.size());
  FUZZ_CHECK(result.written + result.failed == result.items);

  // Latitudes that print alike share a file, which then holds the last of them.
  std::map<fs::path, std::string> expected;
  std::int32_t counted = 0;
  for (std::size_t i = 0; i < log.size(); ++i) {
    const std::string& entry = log[i];
    if (entry.rfind("Item " + std::to_string(i + 1) + " (", 0) == 0) {
      continue;  // a refused item
    }
    // "count latitude path"
    const auto first = entry.find(' ');
    const auto second = entry.find(' ', first + 1);
    FUZZ_CHECK(first != std::string::npos && second != std::string::npos);
    FUZZ_CHECK(entry.substr(0, first) == std::to_string(++counted));
    const auto value = static_cast<float>(LeadingNumber(items[i]));
    FUZZ_CHECK(value >= -90.0f && value <= 90.0f);
    const std::string latitude = entry.substr(first + 1, second - first - 1);
    FUZZ_CHECK(latitude == SingleText(value));
    const fs::path output = entry.substr(second + 1);
    FUZZ_CHECK(output == Folder() / ("lats" + latitude + ".out"));
    expected[output] = AnnualCycleText(value, choice);
  }
  for (const auto& [output, bytes] : expected) {
    FUZZ_CHECK(Read(output) == bytes);
  }
  FUZZ_CHECK(counted == result.written);
  return 0;
}
