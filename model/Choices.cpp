// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Choices.hpp"

#include <algorithm>

#include "model/Calendar.hpp"

namespace marovane {

namespace {

// The row whose value is `value`; the tables hold every enumerator, in code order.
template <typename Row, std::size_t N, typename Value>
const Row& RowOf(const std::array<Row, N>& rows, Value value) {
  return rows[static_cast<std::size_t>(static_cast<int>(value) - 1)];
}

bool SameLetters(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

template <typename Row, std::size_t N>
auto NamedIn(const std::array<Row, N>& rows, std::string_view name)
    -> std::optional<decltype(Row::value)> {
  for (const Row& row : rows) {
    if (SameLetters(row.name, name)) {
      return row.value;
    }
  }
  return std::nullopt;
}

// "a (1), b (2) or c (3)", by the name `name` gives each row.
template <typename Row, std::size_t N, typename Name>
std::string Listed(const std::array<Row, N>& rows, Name name, bool withCodes) {
  std::string list;
  for (std::size_t i = 0; i < N; ++i) {
    if (i > 0) {
      list += i + 1 == N ? " or " : ", ";
    }
    list += name(rows[i]);
    if (withCodes) {
      list += " (" + std::to_string(i + 1) + ")";
    }
  }
  return list;
}

const auto kName = [](const auto& row) { return std::string(row.name); };

}  // namespace

std::string AcceptedAggregations() {
  return Listed(choice::kAggregations, kName, true);
}
std::string AcceptedUnits() {
  return Listed(
      choice::kUnits, [](const UnitInfo& row) { return std::string(row.label); }, true);
}
std::string RealCalendarAggregations() {
  std::string names;
  std::size_t left = static_cast<std::size_t>(
      std::count_if(choice::kAggregations.begin(), choice::kAggregations.end(),
                    [](const AggregationInfo& row) { return !row.monthParts.empty(); }));
  for (const AggregationInfo& row : choice::kAggregations) {
    if (!row.monthParts.empty()) {
      names += names.empty() ? "" : left == 1 ? " or " : ", ";
      names += row.name;
      --left;
    }
  }
  return names;
}
std::string AcceptedUnitForms() {
  return "a code 1.." + std::to_string(choice::kUnits.size()) + " or a label: " + AcceptedUnits();
}
std::string AcceptedQuantities() {
  return Listed(choice::kQuantities, kName, false);
}
std::string AcceptedMethods() {
  return Listed(choice::kMethods, kName, false);
}

const AggregationInfo& Describe(Aggregation a) {
  return RowOf(choice::kAggregations, a);
}
const UnitInfo& Describe(Unit u) {
  return RowOf(choice::kUnits, u);
}
const QuantityInfo& Describe(Quantity q) {
  return RowOf(choice::kQuantities, q);
}
const MethodInfo& Describe(Method m) {
  return RowOf(choice::kMethods, m);
}

std::optional<Aggregation> AggregationOfCode(int code) {
  if (code < 1 || code > static_cast<int>(choice::kAggregations.size())) {
    return std::nullopt;
  }
  return static_cast<Aggregation>(code);
}

std::optional<Unit> UnitOfCode(int code) {
  if (code < 1 || code > static_cast<int>(choice::kUnits.size())) {
    return std::nullopt;
  }
  return static_cast<Unit>(code);
}

namespace {
// A code of one digit, "1" to "9"; 0 for any other text.
int DigitCode(std::string_view name) {
  return name.size() == 1 && name[0] >= '1' && name[0] <= '9' ? name[0] - '0' : 0;
}
}  // namespace

std::optional<Aggregation> AggregationNamed(std::string_view name) {
  if (const int code = DigitCode(name); code != 0) {
    return AggregationOfCode(code);
  }
  return NamedIn(choice::kAggregations, name);
}

std::optional<Unit> UnitNamed(std::string_view name) {
  if (const int code = DigitCode(name); code != 0) {
    return UnitOfCode(code);
  }
  for (const UnitInfo& row : choice::kUnits) {
    if (row.label == name) {
      return row.value;
    }
  }
  return std::nullopt;
}

std::optional<Quantity> QuantityNamed(std::string_view name) {
  return NamedIn(choice::kQuantities, name);
}

std::optional<Method> MethodNamed(std::string_view name) {
  return NamedIn(choice::kMethods, name);
}

bool HasRealPeriods(Aggregation a) {
  return !Describe(a).monthParts.empty();
}

std::string NoRealPeriods(Aggregation a) {
  // Lower case: the message goes on after a prefix of the front end's.
  std::string periods(Describe(a).period);
  periods[0] = static_cast<char>(periods[0] - 'A' + 'a');
  return periods + "s have no place in the real calendar";
}

std::string_view UnitLabel(Unit unit) {
  return Describe(unit).label;
}

double UnitFactor(Unit unit, std::int16_t period) {
  return UnitFactorOverDays(unit, DekadLength(period));
}

double UnitFactorOverDays(Unit unit, int dekadDays) {
  const UnitInfo& row = Describe(unit);
  // A dekad's total: its length as a double, times 0.408 for millimetres (1 leaves it exact).
  return row.perDekad ? static_cast<double>(dekadDays) * row.factor : row.factor;
}

}  // namespace marovane
