// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/ChartText.hpp"

#include <cmath>

#include "model/Choices.hpp"
#include "text/NumberText.hpp"

namespace marovane {

std::string LatitudeDegrees(float latitude) {
  return SingleText(latitude) + "°";
}

std::string LatitudeName(float latitude) {
  if (latitude == 0.0f) {
    return "0°";
  }
  return SingleText(std::fabs(latitude)) + (latitude > 0.0f ? "° N" : "° S");
}

std::string ValueUnitText(const CycleChoice& choice) {
  if (choice.quantity == Quantity::DayLength) {
    return "hours";
  }
  return std::string(UnitLabel(choice.unit));
}

std::string ChartUnit(const CycleChoice& choice) {
  // "MJ/m^2/day": each part after a slash is a negative power.
  const std::string text = ValueUnitText(choice);
  std::size_t slash = text.find('/');
  std::string unit = text.substr(0, slash);
  while (slash != std::string::npos) {
    const std::size_t next = text.find('/', slash + 1);
    std::string part = text.substr(slash + 1, next == std::string::npos ? next : next - slash - 1);
    if (part.ends_with("^2")) {
      part.resize(part.size() - 2);
      unit += " " + part + "⁻²";
    } else {
      unit += " " + part + "⁻¹";
    }
    slash = next;
  }
  return unit;
}

std::string CurveName(float latitude) {
  return LatitudeDegrees(latitude);
}

std::string MethodCurveName(float latitude, Method method) {
  return LatitudeDegrees(latitude) + ", " + std::string(Describe(method).caption);
}

std::string DayLengthCurveName(float latitude) {
  return "Day length at " + LatitudeDegrees(latitude);
}

std::string KeyName(float latitude) {
  return LatitudeName(latitude);
}

std::string MethodKeyName(float latitude, Method method) {
  return LatitudeName(latitude) + ", " + std::string(Describe(method).caption);
}

std::string DayLengthKeyName(float latitude) {
  return "Day length at " + LatitudeName(latitude);
}

std::string ChartTitle(float latitude, const CycleChoice& choice, bool anyKept, bool dayLength) {
  // A dekad's value in a per-dekad unit is its total over the dekad's own days.
  const std::string values =
      choice.aggregation == Aggregation::Daily ? "daily values"
      : choice.aggregation == Aggregation::Dekadal && Describe(choice.unit).perDekad
          ? "dekadal totals"
          : std::string(Describe(choice.aggregation).name) + " means";
  CycleChoice radiation = choice;
  radiation.quantity = Quantity::Radiation;
  std::string title = "Extraterrestrial radiation";
  if (!anyKept) {
    title += " at " + LatitudeName(latitude);
  }
  title += ", " + values + ", " + ChartUnit(radiation);
  if (dayLength) {
    title += "; day length, hours";
  }
  return title;
}

std::string ChartWindowTitle(float latitude, const CycleChoice& choice) {
  return "Annual cycle at " + LatitudeDegrees(latitude) + ", " +
         std::string(Describe(choice.aggregation).caption) + ", " +
         std::string(UnitLabel(choice.unit));
}

std::string ChartStatus(std::string_view latitudeText, bool followsText, float latitude) {
  if (followsText) {
    return "Follows the main window.";
  }
  return "\"" + std::string(latitudeText) +
         "\" is not a latitude from -90 to 90: the chart keeps " + LatitudeDegrees(latitude) + ".";
}

ValueScale NiceScale(double highest) {
  if (!(highest > 0.0) || !std::isfinite(highest)) {
    return {};
  }
  // A little headroom over the highest value, in about five steps.
  const double room = highest * 1.02;
  const double rough = room / 5.0;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = 10.0 * power;
  for (const double m : {1.0, 2.0, 2.5, 5.0}) {
    if (m * power >= rough) {
      step = m * power;
      break;
    }
  }
  const auto steps = static_cast<int>(std::ceil(room / step));
  return {steps * step, steps};
}

const CyclePeriod* PeriodAt(const AnnualCycle& table, double day) {
  if (table.periods.empty() || !std::isfinite(day)) {
    return nullptr;
  }
  if (table.choice.aggregation == Aggregation::Daily) {
    const double nearest = std::round(day);
    if (nearest < 1.0 || nearest > static_cast<double>(table.periods.size())) {
      return nullptr;
    }
    return &table.periods[static_cast<std::size_t>(nearest) - 1];
  }
  for (const CyclePeriod& p : table.periods) {
    if (day >= p.firstDay && day < p.firstDay + p.days) {
      return &p;
    }
  }
  const CyclePeriod& last = table.periods.back();
  return day == last.firstDay + last.days ? &last : nullptr;
}

std::string Reading(const AnnualCycle& table, double day) {
  const CyclePeriod* found = PeriodAt(table, day);
  if (found == nullptr) {
    return {};
  }
  const std::string how = table.choice.quantity == Quantity::DayLength
                              ? "day length"
                              : std::string(Describe(table.choice.method).caption);
  return std::string(Describe(table.choice.aggregation).period) + " " +
         std::to_string(found->number) + " at " + LatitudeName(table.latitude) + " (" + how +
         "): " + DoubleText(found->value) + " " + ChartUnit(table.choice);
}

std::string ValuesTable(Aggregation aggregation, const std::vector<ValuesColumn>& columns) {
  std::string text(Describe(aggregation).period);
  for (const ValuesColumn& column : columns) {
    text += "\t" + column.name + " (" + ValueUnitText(column.table->choice) + ")";
  }
  text += '\n';
  const std::size_t rows = columns.empty() ? 0 : columns.front().table->periods.size();
  for (std::size_t row = 0; row < rows; ++row) {
    text += std::to_string(columns.front().table->periods[row].number);
    for (const ValuesColumn& column : columns) {
      text += '\t' + DoubleText(column.table->periods[row].value);
    }
    text += '\n';
  }
  return text;
}

}  // namespace marovane
