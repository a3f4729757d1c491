// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/CycleText.hpp"

#include "text/NumberText.hpp"

namespace marovane {

std::string QuantityHeader(const CycleChoice& choice) {
  const QuantityInfo& quantity = Describe(choice.quantity);
  std::string header(quantity.header);
  if (quantity.hasUnit) {
    header += UnitLabel(choice.unit);
  }
  return header;
}

std::string MethodNote(const CycleChoice& choice) {
  return " (method " + std::string(Describe(choice.method).name) + ")";
}

std::string CycleHeader(const CycleChoice& choice) {
  std::string header = std::string(Describe(choice.aggregation).header) + QuantityHeader(choice);
  if (choice.method != Method::Harmonic) {
    header += MethodNote(choice);
  }
  return header;
}

std::string AnnualCycleText(const AnnualCycle& table) {
  const std::string latitude = SingleText(table.latitude);
  std::string text;
  text.reserve(30 * (table.periods.size() + 2));
  text.append(CycleHeader(table.choice)).append("\r\n");
  for (const CyclePeriod& p : table.periods) {
    text.append(latitude)
        .append(", ")
        .append(std::to_string(p.number))
        .append(", ")
        .append(DoubleText(p.value))
        .append("\r\n");
  }
  return text;
}

std::string AnnualCycleText(float latitude, const CycleChoice& choice) {
  return AnnualCycleText(AnnualCycleTable(latitude, choice));
}

}  // namespace marovane
