// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/AnnualCycle.hpp"

#include "model/Fao56.hpp"
#include "model/Radiation.hpp"
#include "model/Rounding.hpp"

namespace marovane {

namespace {

constexpr int kWeeksInYear = 53;
constexpr int kDaysInWeek = 7;

}  // namespace

std::vector<CyclePeriod> CyclePeriods(Aggregation aggregation) {
  const AggregationInfo& info = Describe(aggregation);
  std::vector<CyclePeriod> periods;
  periods.reserve(static_cast<std::size_t>(info.periods));
  auto add = [&](int first, int days) {
    periods.push_back({static_cast<std::int16_t>(periods.size() + 1), first, days, 0.0});
  };
  if (info.monthParts.empty()) {
    for (int w = 0; w < kWeeksInYear; ++w) {
      add(w * kDaysInWeek + 1, kDaysInWeek);
    }
    return periods;
  }
  int monthStart = 1;
  for (std::int16_t m = 1; m <= kMonthsInYear; ++m) {
    const int monthDays = MonthLength(m);
    for (std::size_t part = 0; part < info.monthParts.size(); ++part) {
      if (const int days = MonthPartDays(info.monthParts, part, monthDays); days > 0) {
        add(monthStart + info.monthParts[part] - 1, days);
      }
    }
    monthStart += monthDays;
  }
  return periods;
}

YearValues DailyValues(float latitude, Quantity quantity, Method method, int yearDays) {
  if (method == Method::Harmonic && quantity == Quantity::Radiation) {
    YearValues values = AnnualRadiation(latitude);  // made in place: every file passes here
    if (yearDays > kDaysInYear) {
      values[static_cast<std::size_t>(yearDays)] = DailyRadiation(latitude, 366);
    }
    return values;
  }
  YearValues values{};
  const auto phi = static_cast<double>(latitude);
  for (int d = 1; d <= yearDays; ++d) {
    const auto day = static_cast<std::int16_t>(d);
    double& value = values[static_cast<std::size_t>(d)];
    if (method == Method::Harmonic) {
      value = static_cast<double>(DayLength(latitude, day));
    } else {
      value =
          quantity == Quantity::Radiation ? Fao56DailyRadiation(phi, d) : Fao56DayLength(phi, d);
    }
  }
  return values;
}

double PeriodFactor(const CycleChoice& choice, int days) {
  if (choice.quantity != Quantity::Radiation) {
    return 1.0;
  }
  return UnitFactorOverDays(choice.unit,
                            choice.aggregation == Aggregation::Dekadal ? days : kNominalDekadDays);
}

double PeriodValue(const YearValues& values, int firstDay, int days, int yearDays, double factor) {
  double sum = 0.0;
  for (int d = firstDay; d < firstDay + days; ++d) {
    sum += values[static_cast<std::size_t>(d > yearDays ? d - yearDays : d)];
  }
  return RoundTo3Decimals(factor * (sum / static_cast<double>(days))) + 0.0;
}

void PeriodValues(const YearValues& values, const std::vector<CyclePeriod>& periods,
                  const CycleChoice& choice, double* out) {
  if (choice.aggregation != Aggregation::Daily) {
    for (std::size_t p = 0; p < periods.size(); ++p) {
      const CyclePeriod& period = periods[p];
      out[p] = PeriodValue(values, period.firstDay, period.days, kDaysInYear,
                           PeriodFactor(choice, period.days));
    }
    return;
  }
  // A day's mean is its value (0 + v, over 1 day): PeriodValue's steps for every day, with
  // the rounding run over the whole year at once.
  const double factor = PeriodFactor(choice, 1);
  for (std::size_t p = 0; p < periods.size(); ++p) {
    out[p] = factor * ((0.0 + values[static_cast<std::size_t>(periods[p].firstDay)]) / 1.0);
  }
  RoundEachTo3Decimals(out, periods.size());
  for (std::size_t p = 0; p < periods.size(); ++p) {
    out[p] += 0.0;
  }
}

AnnualCycle AnnualCycleTable(float latitude, const CycleChoice& choice) {
  AnnualCycle table{latitude, choice, CyclePeriods(choice.aggregation)};
  const YearValues values = DailyValues(latitude, choice.quantity, choice.method);
  std::vector<double> rounded(table.periods.size());
  PeriodValues(values, table.periods, choice, rounded.data());
  for (std::size_t p = 0; p < rounded.size(); ++p) {
    table.periods[p].value = rounded[p];
  }
  return table;
}

}  // namespace marovane
