// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/Batch.hpp"

#include <array>
#include <cerrno>
#include <cstdio>
#include <new>
#include <string_view>
#include <system_error>
#include <vector>

#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"
#include "text/ShownText.hpp"

namespace marovane {

namespace {

namespace fs = std::filesystem;

// No latitude text is longer; a longer item is refused without being kept whole.
constexpr std::size_t kLongestItem = 64;
// How much of a refused item its log entry shows.
constexpr std::size_t kShownItem = 40;
// An item without a separator for this long means the input is no text of latitudes.
constexpr std::uintmax_t kLongestRun = 1u << 20;

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; }

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

// Reads the items of the input one at a time, keeping no more than one short item in memory,
// whatever the input's size.
class ItemReader {
 public:
  enum class Next { Item, End, ReadError, RunsOn };

  explicit ItemReader(std::FILE* stream) : stream_(stream) {}

  // The next item in `item` (at most kLongestItem + 1 bytes of it) and its whole length.
  Next next(std::string& item, std::uintmax_t& length) {
    item.clear();
    length = 0;
    for (;;) {
      if (position_ == size_ && !fill()) {
        if (error_ != 0) {
          return Next::ReadError;
        }
        return length > 0 ? Next::Item : Next::End;
      }
      const char c = buffer_[position_++];
      if (IsSeparator(c)) {
        if (length > 0) {
          return Next::Item;
        }
        continue;
      }
      if (item.size() <= kLongestItem) {
        item += c;
      }
      if (++length > kLongestRun) {
        return Next::RunsOn;
      }
    }
  }

  std::uintmax_t bytesRead() const { return bytesRead_ - (size_ - position_); }
  int error() const { return error_; }

 private:
  bool fill() {
    position_ = 0;
    size_ = std::fread(buffer_.data(), 1, buffer_.size(), stream_);
    bytesRead_ += size_;
    if (size_ == 0 && std::ferror(stream_) != 0) {
      error_ = errno != 0 ? errno : EIO;
    }
    return size_ > 0;
  }

  std::FILE* stream_;
  std::array<char, 65536> buffer_{};
  std::size_t position_ = 0;
  std::size_t size_ = 0;
  std::uintmax_t bytesRead_ = 0;
  int error_ = 0;
};

// One item of the input: either the file to write for it, or why there is none.
struct PlannedFile {
  std::int64_t number = 0;
  std::string shownItem;
  std::string refusal;
  float latitude = 0.0f;
  fs::path output;
  std::string bytes;
};

PlannedFile Plan(std::int64_t number, const std::string& item, std::uintmax_t length,
                 const fs::path& input, const CycleChoice& choice) {
  PlannedFile file;
  file.number = number;
  file.shownItem = ShownText(item, kShownItem);
  if (length > kLongestItem) {
    file.refusal = "longer than any latitude (" + std::to_string(length) +
                   " characters), no file written.";
    return file;
  }
  switch (CheckLatitudeText(item, file.latitude)) {
    case LatitudeCheck::NotNumeric: file.refusal = "not a number, no file written."; return file;
    case LatitudeCheck::OutOfRange:
      file.refusal = "latitude outside -90..90, no file written.";
      return file;
    case LatitudeCheck::Valid: break;
  }
  file.output = BatchOutputName(input, file.latitude);
  file.bytes = AnnualCycleText(file.latitude, choice);
  return file;
}

// Writes or refuses one planned item and logs it.
void Complete(const PlannedFile& file, BatchResult& result, const BatchLog& log) {
  ++result.items;
  const std::string prefix = "Item " + std::to_string(file.number) + " (" + file.shownItem + "): ";
  if (!file.refusal.empty()) {
    ++result.failed;
    log(prefix + file.refusal);
    return;
  }
  try {
    WriteFileBytes(file.output, file.bytes);
  } catch (const FileError& e) {
    ++result.failed;
    log(prefix + ShownPath(e.what()));
    return;
  }
  ++result.written;
  log(std::to_string(result.written) + " " + SingleText(file.latitude) + " " +
      ShownPath(Utf8(file.output)));
}

// Closes the input file whatever way the run ends.
struct InputFile {
  std::FILE* stream;
  ~InputFile() {
    if (stream != nullptr) {
      std::fclose(stream);
    }
  }
};

}  // namespace

fs::path BatchOutputName(const fs::path& input, float latitude) {
  // Four characters of the file name go, never a byte of a character nor of the folder.
  const std::string name = Utf8(input.filename());
  std::size_t keep = name.size();
  for (int removed = 0; removed < 4 && keep > 0; ++removed) {
    std::size_t start = keep - 1;
    for (int back = 0; back < 3 && start > 0 &&
                       (static_cast<unsigned char>(name[start]) & 0xC0u) == 0x80u;
         ++back) {
      --start;
    }
    // A lone continuation byte, or one that no lead byte starts, is a character of its own.
    const auto lead = static_cast<unsigned char>(name[start]);
    const std::size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    keep = expected == keep - start ? start : keep - 1;
  }
  const std::string outputName = name.substr(0, keep) + SingleText(latitude) + ".out";
  return input.parent_path() / fs::path(std::u8string(outputName.begin(), outputName.end()));
}

BatchResult RunBatch(const fs::path& input, const CycleChoice& choice, const BatchLog& log,
                     const BatchProgress& progress) {
  BatchResult result;
  std::error_code ignored;
  fs::path full = fs::absolute(input, ignored);
  if (full.empty()) {
    full = input;
  }
  const std::string shownInput = ShownPath(Utf8(full));
  auto unread = [&](const std::string& reason) {
    result.unreadInput = "The input file " + shownInput + " could not be read: " + reason + ".";
    log("Cannot read " + shownInput + ": " + reason);
  };

  InputFile file{OpenFile(full, "rb")};
  if (file.stream == nullptr) {
    unread(std::generic_category().message(errno));
    return result;
  }
  ItemReader reader(file.stream);

  // A few files are computed, then written: alternating each computation with its write
  // costs about a third more time, as every write evicts what the computation keeps warm.
  constexpr std::size_t kBlock = 16;
  std::vector<PlannedFile> block;
  std::string item;
  std::uintmax_t length = 0;
  std::string readFailure;  // logged once the items read before it are done
  for (bool more = true; more;) {
    block.clear();
    try {
      while (block.size() < kBlock) {
        const ItemReader::Next next = reader.next(item, length);
        const std::int64_t number = result.items + static_cast<std::int64_t>(block.size()) + 1;
        if (next == ItemReader::Next::Item) {
          block.push_back(Plan(number, item, length, full, choice));
          continue;
        }
        more = false;
        if (next == ItemReader::Next::ReadError) {
          readFailure = std::generic_category().message(reader.error());
        } else if (next == ItemReader::Next::RunsOn) {
          readFailure = "item " + std::to_string(number) +
                        " runs on for more than 1 MiB without a separator, so this is no file "
                        "of latitudes";
        }
        break;
      }
    } catch (const std::bad_alloc&) {
      more = false;
      readFailure = "out of memory";
    }
    for (const PlannedFile& planned : block) {
      Complete(planned, result, log);
      const bool last = !more && &planned == &block.back();
      if (progress && !progress(result, reader.bytesRead()) && !last) {
        result.stopped = true;
        log("Stopped by the user after item " + std::to_string(result.items) +
            "; the items after it were not written.");
        return result;
      }
    }
  }
  if (!readFailure.empty()) {
    unread(readFailure);
  }
  return result;
}

std::string BatchSummary(const BatchResult& result) {
  std::string summary = std::to_string(result.written) + " Files written.";
  auto line = [&summary](const std::string& text) {
    summary += '\n';
    summary += text;
  };
  if (result.stopped) {
    line("Stopped by the user after item " + std::to_string(result.items) + ".");
  }
  if (result.failed > 0) {
    line(std::to_string(result.failed) + (result.failed == 1 ? " item failed." : " items failed."));
  }
  if (!result.inputRead()) {
    line(result.unreadInput);
  }
  return summary;
}

BatchLatitudes ReadBatchLatitudes(const fs::path& input, std::size_t most) {
  BatchLatitudes result;
  std::error_code ignored;
  fs::path full = fs::absolute(input, ignored);
  if (full.empty()) {
    full = input;
  }
  auto unread = [&](const std::string& reason) {
    result.unreadInput =
        "The input file " + ShownText(Utf8(full)) + " could not be read: " + reason + ".";
  };
  InputFile file{OpenFile(full, "rb")};
  if (file.stream == nullptr) {
    unread(std::generic_category().message(errno));
    return result;
  }
  ItemReader reader(file.stream);
  std::string item;
  std::uintmax_t length = 0;
  for (std::int64_t number = 1;; ++number) {
    const ItemReader::Next next = reader.next(item, length);
    if (next == ItemReader::Next::ReadError) {
      unread(std::generic_category().message(reader.error()));
    } else if (next == ItemReader::Next::RunsOn) {
      unread("item " + std::to_string(number) +
             " runs on for more than 1 MiB without a separator, so this is no file of latitudes");
    }
    if (next != ItemReader::Next::Item) {
      return result;
    }
    float latitude = 0.0f;
    std::string reason;
    if (length > kLongestItem) {
      reason = "longer than any latitude (" + std::to_string(length) + " characters).";
    } else {
      switch (CheckLatitudeText(item, latitude)) {
        case LatitudeCheck::NotNumeric: reason = "not a number."; break;
        case LatitudeCheck::OutOfRange: reason = "latitude outside -90..90."; break;
        case LatitudeCheck::Valid: break;
      }
    }
    if (!reason.empty()) {
      if (result.refusals.size() < BatchLatitudes::kShownRefusals) {
        result.refusals.push_back("Item " + std::to_string(number) + " (" +
                                  ShownText(item, kShownItem) + "): " + reason);
      }
      ++result.refused;
      continue;
    }
    if (result.latitudes.size() == most) {
      result.tooMany = true;
      return result;
    }
    result.latitudes.push_back(latitude);
  }
}

}  // namespace marovane
