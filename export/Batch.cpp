#include "export/Batch.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <vector>

#include "export/AnnualCycle.hpp"
#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"

namespace marovane {

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; }

std::vector<std::string_view> SplitItems(std::string_view text) {
  std::vector<std::string_view> items;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsSeparator(text[i])) {
      ++i;
    }
    const std::size_t start = i;
    while (i < text.size() && !IsSeparator(text[i])) {
      ++i;
    }
    if (i > start) {
      items.push_back(text.substr(start, i - start));
    }
  }
  return items;
}

// The whole input file; throws FileError when it cannot be opened or read.
std::string ReadWholeFile(const std::filesystem::path& file) {
  std::FILE* stream = OpenFile(file, "rb");
  if (stream == nullptr) {
    throw FileError(file, "Cannot read", errno);
  }
  std::string text;
  char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0) {
    text.append(buffer, n);
  }
  const int error = std::ferror(stream) != 0 ? errno : 0;
  std::fclose(stream);
  if (error != 0) {
    throw FileError(file, "Cannot read", error);
  }
  return text;
}

std::string ItemPrefix(std::size_t number, std::string_view item) {
  return "Item " + std::to_string(number) + " (" + std::string(item) + "): ";
}

// One item of the input: either the file to write for it, or why there is none.
struct PlannedFile {
  std::size_t number = 0;
  std::string_view item;
  std::string refusal;
  float latitude = 0.0f;
  std::string output;
  std::string bytes;
};

PlannedFile Plan(std::size_t number, std::string_view item, const std::string& inputName,
                 std::int16_t aggregation, std::int16_t unit) {
  PlannedFile file;
  file.number = number;
  file.item = item;
  if (!IsNumeric(item)) {
    file.refusal = "not a number, no file written.";
    return file;
  }
  const double value = LeadingNumber(item);
  if (!IsLatitudeInRange(value)) {
    file.refusal = "latitude outside -90..90, no file written.";
    return file;
  }
  file.latitude = static_cast<float>(value);
  file.output = BatchOutputName(inputName, file.latitude).string();
  file.bytes = AnnualCycleText(file.latitude, aggregation, unit);
  return file;
}

}  // namespace

std::filesystem::path BatchOutputName(const std::filesystem::path& input, float latitude) {
  const std::string name = input.string();
  const std::size_t keep = name.size() >= 4 ? name.size() - 4 : 0;
  return name.substr(0, keep) + SingleText(latitude) + ".out";
}

BatchResult RunBatch(const std::filesystem::path& input, const BatchChoice& choice,
                     const BatchLog& log, const BatchProgress&) {
  const std::int16_t aggregation = choice.aggregation;
  const std::int16_t unit = choice.unit;
  BatchResult result;
  std::error_code ignored;
  const std::filesystem::path full = std::filesystem::absolute(input, ignored);
  const std::string inputName = full.empty() ? input.string() : full.string();

  std::string text;
  try {
    text = ReadWholeFile(inputName);
  } catch (const FileError& e) {
    log(e.what());
    result.inputRead = false;
    return result;
  }

  // A few files are computed, then written: alternating each computation with its write
  // costs about a third more time, as every write evicts what the computation keeps warm.
  constexpr std::size_t kBlock = 16;
  const std::vector<std::string_view> items = SplitItems(text);
  std::vector<PlannedFile> block;
  for (std::size_t first = 0; first < items.size(); first += kBlock) {
    block.clear();
    for (std::size_t i = first; i < std::min(items.size(), first + kBlock); ++i) {
      block.push_back(Plan(i + 1, items[i], inputName, aggregation, unit));
    }
    for (const PlannedFile& file : block) {
      if (!file.refusal.empty()) {
        log(ItemPrefix(file.number, file.item) + file.refusal);
        ++result.failed;
        continue;
      }
      try {
        WriteFileBytes(file.output, file.bytes);
      } catch (const FileError& e) {
        log(ItemPrefix(file.number, file.item) + e.what());
        ++result.failed;
        continue;
      }
      ++result.written;
      log(std::to_string(result.written) + " " + SingleText(file.latitude) + " " + file.output);
    }
  }
  return result;
}

std::string BatchSummary(const BatchResult& result) {
  std::string summary = std::to_string(result.written);
  summary += " Files written.";
  if (!result.inputRead) {
    summary += "\nThe input file could not be read.";
  } else if (result.failed > 0) {
    summary += '\n';
    summary += std::to_string(result.failed);
    summary += result.failed == 1 ? " item failed." : " items failed.";
  }
  return summary;
}

}  // namespace marovane
