// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartData.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "text/LatitudeForms.hpp"

namespace marovane::ui {

namespace {

constexpr int kYearEnd = 366;  // the day axis runs from the start of day 1 to the end of day 365

// Equal to the last bit: -0 and 0 print alike, yet the file is built from the value.
bool SameLatitude(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

AnnualCycle TableOf(float latitude, CycleChoice choice, Quantity quantity, Method method) {
  choice.quantity = quantity;
  choice.method = method;
  return AnnualCycleTable(latitude, choice);
}

}  // namespace

bool ChartData::follow(const QString& latitudeText, Aggregation aggregation, Unit unit,
                       Method method) {
  latitudeText_ = latitudeText;
  const std::optional<float> latitude = ExportLatitude(latitudeText);
  textValid_ = latitude.has_value();
  const float target = latitude.value_or(latitude_);
  const bool same = drawn_ && aggregation == cycle_.aggregation && unit == cycle_.unit &&
                    method == cycle_.method && SameLatitude(target, latitude_);
  latitude_ = target;
  cycle_.aggregation = aggregation;
  cycle_.unit = unit;
  cycle_.method = method;
  drawn_ = true;
  if (!same) {
    recompute();
  }
  return !same;
}

Method ChartData::otherMethod() const {
  return cycle_.method == Method::Fao56 ? Method::Harmonic : Method::Fao56;
}

void ChartData::recompute() {
  current_.table = TableOf(latitude_, cycle_, Quantity::Radiation, cycle_.method);
  if (fao56_) {
    fao56_->table = TableOf(latitude_, cycle_, Quantity::Radiation, otherMethod());
  }
  if (dayLength_) {
    dayLength_->table = TableOf(latitude_, cycle_, Quantity::DayLength, cycle_.method);
  }
  for (ChartCurve& k : kept_) {
    k.table = TableOf(k.table.latitude, cycle_, Quantity::Radiation, cycle_.method);
  }
  keepDayLengths();
  rename();
}

void ChartData::keepDayLengths() {
  keptDayLengths_.clear();
  if (!dayLength_) {
    return;
  }
  for (const ChartCurve& k : kept_) {
    keptDayLengths_.push_back(
        {TableOf(k.table.latitude, cycle_, Quantity::DayLength, cycle_.method),
         Text(DayLengthCurveName(k.table.latitude))});
  }
}

void ChartData::rename() {
  // Beside the other method's curve the current one says which method drew it.
  current_.name = Text(CurveName(latitude_));
  if (fao56_) {
    current_.name = Text(MethodCurveName(latitude_, cycle_.method));
    fao56_->name = Text(MethodCurveName(latitude_, otherMethod()));
  }
  if (dayLength_) {
    dayLength_->name = Text(DayLengthCurveName(latitude_));
  }
  for (ChartCurve& k : kept_) {
    k.name = Text(CurveName(k.table.latitude));
  }
}

void ChartData::showFao56(bool on) {
  fao56_.reset();
  if (on) {
    fao56_.emplace();
  }
  recompute();
}

void ChartData::showDayLength(bool on) {
  dayLength_.reset();
  if (on) {
    dayLength_.emplace();
  }
  recompute();
}

bool ChartData::canKeep() const {
  return drawn_ && static_cast<int>(kept_.size()) < kMostKept &&
         std::none_of(kept_.begin(), kept_.end(), [&](const ChartCurve& k) {
           return SameLatitude(k.table.latitude, latitude_);
         });
}

bool ChartData::keep() {
  if (!canKeep()) {
    return false;
  }
  kept_.push_back({current_.table, Text(CurveName(latitude_))});
  keepDayLengths();
  return true;
}

void ChartData::clearKept() {
  kept_.clear();
  keptDayLengths_.clear();
}

bool ChartData::currentKept() const {
  return std::any_of(kept_.begin(), kept_.end(), [&](const ChartCurve& k) {
    return SameLatitude(k.table.latitude, latitude_);
  });
}

QString ChartData::title() const {
  return Text(ChartTitle(latitude_, cycle_, !kept_.empty(), dayLength_.has_value()));
}

QString ChartData::windowTitle() const {
  return Text(ChartWindowTitle(latitude_, cycle_));
}

QString ChartData::status() const {
  return Text(ChartStatus(latitudeText_.toStdString(), textValid_, latitude_));
}

double ChartData::dayAxisEnd() const {
  int end = kYearEnd;
  for (const CyclePeriod& p : current_.table.periods) {
    end = std::max(end, p.firstDay + p.days);
  }
  return end;
}

ValueScale ChartData::valueScale() const {
  double highest = 0.0;
  auto extend = [&](const AnnualCycle& table) {
    for (const CyclePeriod& p : table.periods) {
      highest = std::max(highest, p.value);
    }
  };
  extend(current_.table);
  if (fao56_) {
    extend(fao56_->table);
  }
  for (const ChartCurve& k : kept_) {
    extend(k.table);
  }
  return NiceScale(highest);
}

QString ChartData::table() const {
  std::vector<ValuesColumn> columns;
  for (const ChartCurve& k : kept_) {
    columns.push_back({&k.table, k.name.toStdString()});
  }
  if (!currentKept()) {
    columns.push_back({&current_.table, current_.name.toStdString()});
  }
  if (fao56_) {
    columns.push_back({&fao56_->table, fao56_->name.toStdString()});
  }
  for (const ChartCurve& k : keptDayLengths_) {
    columns.push_back({&k.table, k.name.toStdString()});
  }
  if (dayLength_ && !currentKept()) {
    columns.push_back({&dayLength_->table, dayLength_->name.toStdString()});
  }
  return Text(ValuesTable(cycle_.aggregation, columns));
}

std::optional<float> ChartData::ExportLatitude(const QString& text) {
  float latitude = 0.0f;
  if (CheckLatitudeText(text.toStdString(), latitude) != LatitudeCheck::Valid) {
    return std::nullopt;
  }
  return latitude;
}

QString ChartData::LatitudeName(float latitude) {
  return Text(marovane::LatitudeName(latitude));
}

QString ChartData::ChartUnit(const AnnualCycle& table) {
  return Text(marovane::ChartUnit(table.choice));
}

QString ChartData::UnitText(const AnnualCycle& table) {
  return Text(ValueUnitText(table.choice));
}

QList<QPointF> ChartData::CurvePoints(const AnnualCycle& table) {
  QList<QPointF> points;
  const bool daily = table.choice.aggregation == Aggregation::Daily;
  points.reserve(static_cast<qsizetype>(table.periods.size()) * (daily ? 1 : 2));
  for (const CyclePeriod& p : table.periods) {
    points.append(QPointF(p.firstDay, p.value));
    if (!daily) {
      points.append(QPointF(p.firstDay + p.days, p.value));
    }
  }
  return points;
}

const CyclePeriod* ChartData::PeriodAt(const AnnualCycle& table, double day) {
  return marovane::PeriodAt(table, day);
}

QString ChartData::Reading(const AnnualCycle& table, double day) {
  return Text(marovane::Reading(table, day));
}

ValueScale ChartData::NiceScale(double highest) {
  return marovane::NiceScale(highest);
}

}  // namespace marovane::ui
