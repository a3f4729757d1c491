// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/BatchItems.hpp"

#include "text/LatitudeForms.hpp"
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

}  // namespace marovane
