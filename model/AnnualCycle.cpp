// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/AnnualCycle.hpp"

#include "model/Calendar.hpp"
#include "model/Fao56.hpp"
#include "model/Radiation.hpp"
#include "model/Rounding.hpp"

namespace marovane {

namespace {

constexpr int kWeeksInYear = 53;
constexpr int kDaysInWeek = 7;

// Mean of `days` consecutive days from `first`; day numbers past 365 wrap to the year's start.
double PeriodMean(const YearValues& values, int first, int days) {
  double sum = 0.0;
  for (int d = first; d < first + days; ++d) {
    sum += values[static_cast<std::size_t>(d > kDaysInYear ? d - kDaysInYear : d)];
  }
  return sum / static_cast<double>(days);
}

}  // namespace

std::vector<CyclePeriod> CyclePeriods(Aggregation aggregation) {
  std::vector<CyclePeriod> periods;
  periods.reserve(static_cast<std::size_t>(Describe(aggregation).periods));
  auto add = [&](int number, int first, int days) {
    periods.push_back({static_cast<std::int16_t>(number), first, days, 0.0});
  };
  int last = 0;
  switch (aggregation) {
    case Aggregation::Daily:
      for (int d = 1; d <= kDaysInYear; ++d) {
        add(d, d, 1);
      }
      break;
    case Aggregation::Weekly:
      for (int w = 1; w <= kWeeksInYear; ++w, last += kDaysInWeek) {
        add(w, last + 1, kDaysInWeek);
      }
      break;
    case Aggregation::Dekadal:
      for (std::int16_t k = 1; k <= kDekadsInYear; ++k) {
        add(k, last + 1, DekadLength(k));
        last += DekadLength(k);
      }
      break;
    case Aggregation::Monthly:
      for (std::int16_t m = 1; m <= kMonthsInYear; ++m) {
        add(m, last + 1, MonthLength(m));
        last += MonthLength(m);
      }
      break;
  }
  return periods;
}

YearValues DailyValues(float latitude, Quantity quantity, Method method) {
  YearValues values{};
  if (method == Method::Harmonic && quantity == Quantity::Radiation) {
    return AnnualRadiation(latitude);
  }
  const auto phi = static_cast<double>(latitude);
  for (std::int16_t d = 1; d <= kDaysInYear; ++d) {
    double& value = values[static_cast<std::size_t>(d)];
    if (method == Method::Harmonic) {
      value = static_cast<double>(DayLength(latitude, d));
    } else {
      value = quantity == Quantity::Radiation ? Fao56DailyRadiation(phi, d) : Fao56DayLength(phi, d);
    }
  }
  return values;
}

AnnualCycle AnnualCycleTable(float latitude, const CycleChoice& choice) {
  AnnualCycle table{latitude, choice, CyclePeriods(choice.aggregation)};
  const YearValues values = DailyValues(latitude, choice.quantity, choice.method);
  const bool radiation = choice.quantity == Quantity::Radiation;
  const bool dekadal = choice.aggregation == Aggregation::Dekadal;
  for (CyclePeriod& p : table.periods) {
    const double factor =
        radiation ? UnitFactorOverDays(choice.unit, dekadal ? p.days : kNominalDekadDays) : 1.0;
    p.value = RoundTo3Decimals(factor * PeriodMean(values, p.firstDay, p.days));
  }
  return table;
}

}  // namespace marovane
