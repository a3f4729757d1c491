// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/Table.hpp"

#include <algorithm>
#include <cmath>

#include "export/CycleText.hpp"
#include "export/Stations.hpp"
#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"
#include "text/ShownText.hpp"

namespace marovane {

namespace {

// A grid's STOP within this part of a step of a grid latitude is that latitude: the division
// that counts the steps is off by a few units in the last place, never by this much, and a
// millionth of the smallest sensible step is far below a single's resolution of a latitude.
constexpr double kOnGrid = 1e-6;

// Days in 100 years of the Gregorian calendar at most (25 leap years).
constexpr long long kMostDays = 36'525;

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) {
      return parts;
    }
    start = end + 1;
  }
}

// Appended piece by piece: GCC 12 warns of an overlap that cannot happen in "'" + text.
std::string Quoted(std::string_view text) {
  std::string quoted(1, '\'');
  quoted += ShownText(text, kShownCharacters);
  quoted += '\'';
  return quoted;
}

}  // namespace

std::optional<std::vector<float>> GridLatitudes(std::string_view text, std::string& refusal) {
  const std::vector<std::string_view> parts = Split(text, ':');
  if (parts.size() != 3) {
    refusal = Quoted(text) +
              " is not START:STOP:STEP, three numbers in decimal degrees separated by colons "
              "(-89.75:89.75:0.5)";
    return std::nullopt;
  }
  const char* const names[] = {"START", "STOP", "STEP"};
  double values[3] = {};
  for (int i = 0; i < 3; ++i) {
    const std::optional<double> value = NumericValue(parts[static_cast<std::size_t>(i)]);
    if (!value || !std::isfinite(*value)) {
      refusal = std::string(names[i]) + " " + Quoted(parts[static_cast<std::size_t>(i)]) +
                " is not a number";
      return std::nullopt;
    }
    values[i] = *value;
  }
  const double start = values[0];
  const double stop = values[1];
  const double step = values[2];
  for (int i = 0; i < 2; ++i) {
    if (!IsLatitudeInRange(values[i])) {
      refusal = std::string(names[i]) + " " + Quoted(parts[static_cast<std::size_t>(i)]) +
                " lies outside -90..90";
      return std::nullopt;
    }
  }
  if (stop < start) {
    refusal = "STOP " + Quoted(parts[1]) + " lies below START " + Quoted(parts[0]);
    return std::nullopt;
  }
  if (!(step > 0.0)) {
    refusal = "STEP " + Quoted(parts[2]) + " is not above 0";
    return std::nullopt;
  }
  const double steps = (stop - start) / step + kOnGrid;
  if (!(steps < static_cast<double>(kMostTableLatitudes))) {
    refusal = Quoted(text) + " gives more than 1,000,000 latitudes";
    return std::nullopt;
  }
  const auto count = static_cast<std::size_t>(std::floor(steps)) + 1;
  std::vector<float> latitudes;
  latitudes.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const double latitude = start + static_cast<double>(i) * step;
    latitudes.push_back(static_cast<float>(latitude > stop ? stop : latitude));
  }
  return latitudes;
}

std::optional<DateRange> ParseDateRange(std::string_view text, std::string& refusal) {
  const std::vector<std::string_view> parts = Split(text, '/');
  if (parts.size() != 2) {
    refusal = Quoted(text) + " is not FROM/TO, two ISO dates (2023-01-01/2024-12-31)";
    return std::nullopt;
  }
  const char* const names[] = {"FROM", "TO"};
  Date dates[2];
  for (int i = 0; i < 2; ++i) {
    const std::optional<Date> date = ParseIsoDate(parts[static_cast<std::size_t>(i)]);
    if (!date) {
      refusal = std::string(names[i]) + " " + Quoted(parts[static_cast<std::size_t>(i)]) +
                std::string(kNoDate);
      return std::nullopt;
    }
    dates[i] = *date;
  }
  if (dates[1] < dates[0]) {
    refusal = "FROM " + IsoText(dates[0]) + " is after TO " + IsoText(dates[1]);
    return std::nullopt;
  }
  const long long days = DaysSinceEpoch(dates[1]) - DaysSinceEpoch(dates[0]) + 1;
  if (days > kMostDays) {
    refusal = IsoText(dates[0]) + "/" + IsoText(dates[1]) + " spans " + std::to_string(days) +
              " days, more than 100 years (36525 days)";
    return std::nullopt;
  }
  return DateRange{dates[0], dates[1]};
}

std::optional<std::vector<float>> CoordinateLatitudes(std::vector<float> latitudes,
                                                      std::string& refusal) {
  std::sort(latitudes.begin(), latitudes.end());
  // Written alike means adjacent once sorted: the text rounds to 7 significant digits.
  constexpr std::size_t kMostNamed = 20;
  std::vector<std::string> repeated;
  std::size_t count = 0;
  std::string previous;
  std::string counted;  // the last one counted, once however often it comes
  for (std::size_t i = 0; i < latitudes.size(); ++i) {
    std::string text = SingleText(latitudes[i]);
    if (i > 0 && text == previous && text != counted) {
      if (repeated.size() < kMostNamed) {
        repeated.push_back(text);
      }
      counted = text;
      ++count;
    }
    previous = std::move(text);
  }
  if (count == 0) {
    refusal.clear();
    return latitudes;
  }
  refusal = count == 1 ? "latitude " : "latitudes ";
  for (std::size_t i = 0; i < repeated.size(); ++i) {
    refusal.append(i == 0 ? "" : ", ").append(repeated[i]);
  }
  if (count > repeated.size()) {
    refusal += " and " + std::to_string(count - repeated.size()) + " more";
  }
  refusal += count == 1 ? " comes more than once" : " come more than once";
  return std::nullopt;
}

bool TableFits(std::size_t latitudes, std::size_t periods) {
  return periods == 0 || latitudes <= kMostTableValues / periods;
}

std::string TableTooLarge(std::size_t latitudes, std::size_t periods) {
  return std::to_string(latitudes) + " latitudes of " + std::to_string(periods) +
         " periods each make more than 100,000,000 values; give fewer latitudes or fewer periods";
}

namespace {

// The 365-day table, its rows led by the stations' identifiers when `ids` is given.
std::string CycleTableText(const std::vector<float>& latitudes, const std::vector<std::string>* ids,
                           const CycleChoice& choice, TableLayout layout) {
  const AggregationInfo& aggregation = Describe(choice.aggregation);
  const std::size_t periods = static_cast<std::size_t>(aggregation.periods);
  std::string text;
  if (layout == TableLayout::Wide) {
    text.reserve(8 * (latitudes.size() + 1) * (periods + 1));
    text += QuantityHeader(choice) + MethodNote(choice);
    if (ids != nullptr) {
      text += ",Latitude";
    }
    for (std::size_t p = 1; p <= periods; ++p) {
      text.append(",").append(aggregation.period).append(" ").append(std::to_string(p));
    }
    text += "\r\n";
  } else {
    text.reserve(20 * (latitudes.size() * periods + 1));
    std::string header = std::string(aggregation.header) + QuantityHeader(choice);
    for (std::size_t at = header.find(", "); at != std::string::npos; at = header.find(", ", at)) {
      header.erase(at + 1, 1);
    }
    header.insert(ids != nullptr ? 0 : header.find(','),
                  ids != nullptr ? std::string(kStationHeader) + MethodNote(choice) + ","
                                 : MethodNote(choice));
    text.append(header).append("\r\n");
  }
  for (std::size_t i = 0; i < latitudes.size(); ++i) {
    const float latitude = latitudes[i];
    std::string lead = SingleText(latitude);
    if (ids != nullptr) {
      lead.insert(0, CsvField((*ids)[i]) + ",");
    }
    const AnnualCycle table = AnnualCycleTable(latitude, choice);
    if (layout == TableLayout::Wide) {
      text += lead;
      for (const CyclePeriod& p : table.periods) {
        text.push_back(',');
        AppendDoubleText(text, p.value);
      }
      text += "\r\n";
      continue;
    }
    for (const CyclePeriod& p : table.periods) {
      text.append(lead).append(",").append(std::to_string(p.number)).append(",");
      AppendDoubleText(text, p.value);
      text.append("\r\n");
    }
  }
  return text;
}

}  // namespace

std::string TableText(const std::vector<float>& latitudes, const CycleChoice& choice,
                      TableLayout layout) {
  return CycleTableText(latitudes, nullptr, choice, layout);
}

std::string StationTableText(const Stations& stations, const CycleChoice& choice,
                             TableLayout layout) {
  return CycleTableText(stations.latitudes, &stations.ids, choice, layout);
}

std::vector<double> DatedTableValues(const std::vector<float>& latitudes,
                                     const std::vector<DatedPeriod>& periods,
                                     const CycleChoice& choice) {
  const std::size_t count = latitudes.size();
  std::vector<double> values(count * periods.size());
  for (std::size_t i = 0; i < count; ++i) {
    const YearValues days = DailyValues(latitudes[i], choice.quantity, choice.method, 366);
    for (std::size_t p = 0; p < periods.size(); ++p) {
      values[p * count + i] = DatedValue(days, periods[p], choice);
    }
  }
  return values;
}

std::string DatedTableText(const std::vector<float>& latitudes,
                           const std::vector<DatedPeriod>& periods, const CycleChoice& choice) {
  const std::vector<double> values = DatedTableValues(latitudes, periods, choice);
  std::vector<std::string> latitudeTexts;
  latitudeTexts.reserve(latitudes.size());
  for (const float latitude : latitudes) {
    latitudeTexts.push_back(SingleText(latitude));
  }
  std::string text;
  text.reserve(30 * (values.size() + 1));
  text.append("Date")
      .append(MethodNote(choice))
      .append(",Latitude,")
      .append(QuantityHeader(choice))
      .append("\r\n");
  std::size_t at = 0;
  for (const DatedPeriod& period : periods) {
    const std::string date = IsoText(period.first);
    for (const std::string& latitude : latitudeTexts) {
      text.append(date).append(",").append(latitude).append(",");
      AppendDoubleText(text, values[at++]);
      text.append("\r\n");
    }
  }
  return text;
}

std::string StationDatedTableText(const Stations& stations, const std::vector<DatedPeriod>& periods,
                                  const CycleChoice& choice) {
  const std::vector<double> values = DatedTableValues(stations.latitudes, periods, choice);
  std::vector<std::string> dates;
  dates.reserve(periods.size());
  for (const DatedPeriod& period : periods) {
    dates.push_back(IsoText(period.first));
  }
  const std::size_t count = stations.latitudes.size();
  std::string text;
  text.reserve(40 * (values.size() + 1));
  text.append(kStationHeader)
      .append(MethodNote(choice))
      .append(",Date,Latitude,")
      .append(QuantityHeader(choice))
      .append("\r\n");
  // Station by station, each a series of its own, as a reader groups them.
  for (std::size_t i = 0; i < count; ++i) {
    const std::string id = CsvField(stations.ids[i]);
    const std::string latitude = SingleText(stations.latitudes[i]);
    for (std::size_t p = 0; p < periods.size(); ++p) {
      text.append(id).append(",").append(dates[p]).append(",").append(latitude).append(",");
      AppendDoubleText(text, values[p * count + i]);
      text.append("\r\n");
    }
  }
  return text;
}

}  // namespace marovane
