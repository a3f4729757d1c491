// SPDX-License-Identifier: GPL-3.0-or-later
// START:STOP:STEP of --grid on any text: a grid is taken exactly when its three numbers make a
// grid of at most 1,000,000 latitudes within -90..90; latitude i is START + i x STEP in double,
// then single, ascending, none past STOP, and the next would pass it. As a NetCDF table's
// coordinate the same latitudes come in ascending order, each once, or are refused naming the
// ones that the files write alike.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.hpp"
#include "export/Table.hpp"
#include "text/NumberText.hpp"

namespace {

using namespace marovane;

// The three parts, as numbers, when the text has three.
bool Parts(std::string_view text, double (&values)[3], bool (&numbers)[3]) {
  std::size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const std::size_t end = i < 2 ? text.find(':', start) : text.size();
    const bool more = i == 2 && text.substr(start).find(':') != std::string_view::npos;
    if (end == std::string_view::npos || more) {
      return false;
    }
    const std::optional<double> value = NumericValue(text.substr(start, end - start));
    numbers[i] = value && std::isfinite(*value);
    values[i] = numbers[i] ? *value : 0.0;
    start = end + 1;
  }
  return true;
}

void CheckCoordinate(const std::vector<float>& latitudes) {
  std::string refusal;
  const std::optional<std::vector<float>> ascending = CoordinateLatitudes(latitudes, refusal);
  // The grid is ascending already: written alike means next to each other.
  std::string firstAlike;
  for (std::size_t i = 1; i < latitudes.size() && firstAlike.empty(); ++i) {
    if (SingleText(latitudes[i]) == SingleText(latitudes[i - 1])) {
      firstAlike = SingleText(latitudes[i]);
    }
  }
  FUZZ_CHECK(ascending.has_value() == firstAlike.empty());
  if (ascending) {
    FUZZ_CHECK(*ascending == latitudes && refusal.empty());
  } else {
    FUZZ_CHECK(refusal.find(" " + firstAlike) != std::string::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string refusal;
  const std::optional<std::vector<float>> grid = GridLatitudes(text, refusal);

  double values[3] = {};
  bool numbers[3] = {};
  const bool three = Parts(text, values, numbers);
  const double start = values[0];
  const double stop = values[1];
  const double step = values[2];
  const bool sound = three && numbers[0] && numbers[1] && numbers[2] && start >= -90.0 &&
                     start <= 90.0 && stop >= -90.0 && stop <= 90.0 && stop >= start && step > 0.0;
  if (!grid) {
    FUZZ_CHECK(!refusal.empty());
    // A sound grid is refused only for its size.
    FUZZ_CHECK(!sound || (stop - start) / step >= 999'999.0);
    return 0;
  }
  FUZZ_CHECK(sound);
  const std::vector<float>& latitudes = *grid;
  const std::size_t count = latitudes.size();
  FUZZ_CHECK(count >= 1 && count <= 1'000'000);
  for (std::size_t i = 0; i < count; ++i) {
    const double exact = start + static_cast<double>(i) * step;
    FUZZ_CHECK(latitudes[i] == static_cast<float>(exact > stop ? stop : exact));
    FUZZ_CHECK(latitudes[i] >= -90.0f && latitudes[i] <= 90.0f);
    FUZZ_CHECK(i == 0 || latitudes[i] >= latitudes[i - 1]);
  }
  // The last lies within a millionth of a step past STOP at most, and the next beyond it.
  FUZZ_CHECK(static_cast<double>(count - 1) * step <= (stop - start) + 2e-6 * step);
  FUZZ_CHECK(static_cast<double>(count) * step > (stop - start));
  if (count <= 20'000) {
    CheckCoordinate(latitudes);
  }
  return 0;
}
