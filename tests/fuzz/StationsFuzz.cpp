// SPDX-License-Identifier: GPL-3.0-or-later
// A --stations file of any bytes: taken, with as many identifiers as latitudes, each identifier
// its own and not empty, each latitude within -90..90; or refused, saying why. The identifiers
// as the tables write them (CsvField) read back as themselves.
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "FuzzCheck.hpp"
#include "export/Stations.hpp"
#include "text/NumberText.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace marovane;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string refusal;
  const std::optional<Stations> stations = ParseStations(text, {}, refusal);
  if (!stations) {
    FUZZ_CHECK(!refusal.empty());
    return 0;
  }
  FUZZ_CHECK(refusal.empty());
  FUZZ_CHECK(!stations->ids.empty() && stations->ids.size() == stations->latitudes.size());
  const std::set<std::string> distinct(stations->ids.begin(), stations->ids.end());
  FUZZ_CHECK(distinct.size() == stations->ids.size());
  std::string written = "id,lat\r\n";
  for (std::size_t i = 0; i < stations->ids.size(); ++i) {
    FUZZ_CHECK(!stations->ids[i].empty());
    FUZZ_CHECK(stations->latitudes[i] >= -90.0f && stations->latitudes[i] <= 90.0f);
    written += CsvField(stations->ids[i]) + "," + SingleText(stations->latitudes[i]) + "\r\n";
  }
  const std::optional<Stations> again = ParseStations(written, {}, refusal);
  FUZZ_CHECK(again && again->ids == stations->ids);
  return 0;
}
