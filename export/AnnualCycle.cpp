// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/AnnualCycle.hpp"

#include <array>
#include <string_view>

#include "export/Units.hpp"
#include "model/AnnualRadiation.hpp"
#include "model/Calendar.hpp"
#include "model/Radiation.hpp"
#include "text/NumberText.hpp"

namespace marovane {

namespace {

constexpr std::int16_t kWeeksInYear = 53;
constexpr std::int16_t kDaysInWeek = 7;

std::string_view PeriodHeader(std::int16_t aggregation) {
  switch (aggregation) {
    case aggregation::kDaily: return "Latitude, Julian Day, ";
    case aggregation::kWeekly: return "Latitude, Week Number, ";
    case aggregation::kDekadal: return "Latitude, Dekad Number, ";
    case aggregation::kMonthly: return "Latitude, Month Number, ";
    default: return "";
  }
}

// Entry d (1..365) is the value of day d; entry 0 is unused.
using YearValues = std::array<double, kDaysInYear + 1>;

YearValues YearDayLength(float latitude) {
  YearValues hours{};
  for (std::int16_t d = 1; d <= kDaysInYear; ++d) {
    hours[static_cast<std::size_t>(d)] = static_cast<double>(DayLength(latitude, d));
  }
  return hours;
}

// Mean of `days` consecutive days from `first`; day numbers past 365 wrap to the year's start.
double PeriodMean(const YearValues& values, int first, int days) {
  double sum = 0.0;
  for (int d = first; d < first + days; ++d) {
    sum += values[static_cast<std::size_t>(d > kDaysInYear ? d - kDaysInYear : d)];
  }
  return sum / static_cast<double>(days);
}

}  // namespace

AnnualCycle AnnualCycleTable(float latitude, std::int16_t aggregation, std::int16_t unit,
                             Quantity quantity) {
  AnnualCycle table;
  const std::string_view periodHeader = PeriodHeader(aggregation);
  if (periodHeader.empty()) {
    return table;
  }
  const bool radiation = quantity == Quantity::Radiation;
  table.header = periodHeader;
  table.header += radiation ? "extraterrestrial Radiation " : "Day length hours";
  if (radiation) {
    table.header += UnitLabel(unit);
  }
  table.latitudeText = SingleText(latitude);
  const YearValues values = radiation ? AnnualRadiation(latitude) : YearDayLength(latitude);

  // The per-dekad units take the factor of the given dekad only in the dekadal mode; days,
  // weeks and months use that of a nominal 10-day dekad (period 1). Hours need no factor.
  auto factor = [&](std::int16_t period) { return radiation ? UnitFactor(unit, period) : 1.0; };
  auto add = [&](int number, int first, int days, double periodFactor) {
    table.periods.push_back({static_cast<std::int16_t>(number), first, days,
                             RoundTo3Decimals(periodFactor * PeriodMean(values, first, days))});
  };
  const double nominalFactor = factor(1);
  int last = 0;
  switch (aggregation) {
    case aggregation::kDaily:
      table.periods.reserve(kDaysInYear);
      for (int d = 1; d <= kDaysInYear; ++d) {
        add(d, d, 1, nominalFactor);
      }
      break;
    case aggregation::kWeekly:
      for (int w = 1; w <= kWeeksInYear; ++w, last += kDaysInWeek) {
        add(w, last + 1, kDaysInWeek, nominalFactor);
      }
      break;
    case aggregation::kDekadal:
      for (std::int16_t k = 1; k <= kDekadsInYear; ++k) {
        const int n = DekadLength(k);
        add(k, last + 1, n, factor(k));
        last += n;
      }
      break;
    default:  // monthly
      for (std::int16_t m = 1; m <= kMonthsInYear; ++m) {
        const int n = MonthLength(m);
        add(m, last + 1, n, nominalFactor);
        last += n;
      }
      break;
  }
  return table;
}

std::string AnnualCycleText(const AnnualCycle& table) {
  if (table.header.empty()) {
    return {};
  }
  std::string text;
  text.reserve(30 * (table.periods.size() + 2));
  text.append(table.header).append("\r\n");
  for (const CyclePeriod& p : table.periods) {
    text.append(table.latitudeText)
        .append(", ")
        .append(std::to_string(p.number))
        .append(", ")
        .append(DoubleText(p.value))
        .append("\r\n");
  }
  return text;
}

std::string AnnualCycleText(float latitude, std::int16_t aggregation, std::int16_t unit,
                            Quantity quantity) {
  return AnnualCycleText(AnnualCycleTable(latitude, aggregation, unit, quantity));
}

void WriteAnnualCycle(float latitude, const std::filesystem::path& file,
                      std::int16_t aggregation, std::int16_t unit, Quantity quantity) {
  WriteFileBytes(file, AnnualCycleText(latitude, aggregation, unit, quantity));
}

}  // namespace marovane
