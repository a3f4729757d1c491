// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/BatchItems.hpp"

#include <algorithm>

#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"
#include "text/ShownText.hpp"

namespace marovane {

BatchItem CheckBatchItem(std::string_view item, std::uintmax_t length) {
  BatchItem checked;
  if (length > kLongestItem) {
    checked.refusal = "longer than any latitude (" + std::to_string(length) + " characters)";
    return checked;
  }
  switch (CheckLatitudeText(item, checked.latitude)) {
    case LatitudeCheck::NotNumeric: checked.refusal = "not a number"; break;
    case LatitudeCheck::OutOfRange: checked.refusal = "latitude outside -90..90"; break;
    case LatitudeCheck::Valid: break;
  }
  return checked;
}

std::string BatchItemPrefix(std::int64_t number, std::string_view item) {
  return "Item " + std::to_string(number) + " (" + ShownText(item, kShownCharacters) + "): ";
}

std::string RunsOnReason(std::int64_t number) {
  return "item " + std::to_string(number) +
         " runs on for more than 1 MiB without a separator, so this is no file of latitudes";
}

std::string StoppedAfterItem(std::int64_t items) {
  return "Stopped by the user after item " + std::to_string(items);
}

std::string StoppedEntry(std::int64_t items) {
  return StoppedAfterItem(items) + "; the items after it were not written.";
}

void BatchItemSplitter::take(std::string_view bytes) {
  item_.append(bytes.substr(0, kLongestItem + 1 - std::min(item_.size(), kLongestItem + 1)));
  length_ += bytes.size();
}

BatchItemSplitter::Next BatchItemSplitter::next() {
  if (whole_) {
    item_.clear();
    length_ = 0;
    whole_ = false;
  }
  while (!started_ && !rest_.empty()) {
    if (rest_.front() != kByteOrderMark[markSeen_]) {
      started_ = true;
      take(kByteOrderMark.substr(0, markSeen_));  // the start of a mark, and then no mark
      break;
    }
    rest_.remove_prefix(1);
    ++taken_;
    started_ = ++markSeen_ == kByteOrderMark.size();
  }
  while (!rest_.empty()) {
    const auto stop = std::find_if(rest_.begin(), rest_.end(), IsBatchSeparator);
    const auto span = static_cast<std::size_t>(stop - rest_.begin());
    take(rest_.substr(0, span));
    taken_ += span;
    rest_.remove_prefix(span);
    if (length_ > kLongestRun) {
      return Next::RunsOn;
    }
    if (!rest_.empty()) {
      rest_.remove_prefix(1);
      ++taken_;
      if (length_ > 0) {
        whole_ = true;
        return Next::Item;
      }
    }
  }
  return Next::More;
}

bool BatchItemSplitter::end() {
  if (whole_) {
    item_.clear();
    length_ = 0;
  }
  if (!started_) {
    started_ = true;
    take(kByteOrderMark.substr(0, markSeen_));
  }
  whole_ = true;
  return length_ > 0;
}

std::string BatchOutputFileName(std::string_view inputName, float latitude) {
  std::size_t keep = inputName.size();
  for (int removed = 0; removed < 4 && keep > 0; ++removed) {
    std::size_t start = keep - 1;
    for (int back = 0;
         back < 3 && start > 0 && (static_cast<unsigned char>(inputName[start]) & 0xC0u) == 0x80u;
         ++back) {
      --start;
    }
    // A lone continuation byte, or one that no lead byte starts, is a character of its own.
    const auto lead = static_cast<unsigned char>(inputName[start]);
    const std::size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    keep = expected == keep - start ? start : keep - 1;
  }
  return std::string(inputName.substr(0, keep)) + SingleText(latitude) + ".out";
}

std::string CannotReadEntry(std::string_view shownInput, std::string_view reason) {
  return "Cannot read " + std::string(shownInput) + ": " + std::string(reason);
}

std::string UnreadInput(std::string_view shownInput, std::string_view reason) {
  return "The input file " + std::string(shownInput) +
         " could not be read: " + std::string(reason) + ".";
}

std::string BatchCountText(std::int64_t written, std::int64_t items) {
  return std::to_string(written) + " files written, " + std::to_string(items) + " items read.";
}

std::string BatchSummary(const BatchResult& result) {
  std::string summary = std::to_string(result.written) + " Files written.";
  auto line = [&summary](const std::string& text) {
    summary += '\n';
    summary += text;
  };
  if (result.stopped) {
    line(StoppedAfterItem(result.items) + ".");
  }
  if (result.failed > 0) {
    line(std::to_string(result.failed) + (result.failed == 1 ? " item failed." : " items failed."));
  }
  if (!result.inputRead()) {
    line(result.unreadInput);
  }
  return summary;
}

}  // namespace marovane
