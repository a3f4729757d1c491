// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartData.hpp"

#include <QStringList>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"

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
        {TableOf(k.table.latitude, cycle_, Quantity::DayLength, Method::Harmonic),
         QStringLiteral("Day length at %1").arg(Degrees(k.table.latitude))});
  }
}

void ChartData::rename() {
  // Beside the other method's curve the current one says which method drew it.
  current_.name = Degrees(latitude_);
  if (fao56_) {
    current_.name += QStringLiteral(", ") + Text(Describe(cycle_.method).caption);
    fao56_->name =
        Degrees(latitude_) + QStringLiteral(", ") + Text(Describe(otherMethod()).caption);
  }
  if (dayLength_) {
    dayLength_->name = QStringLiteral("Day length at %1").arg(Degrees(latitude_));
  }
  for (ChartCurve& k : kept_) {
    k.name = Degrees(k.table.latitude);
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
  kept_.push_back({current_.table, Degrees(latitude_)});
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
  // A dekad's value in a per-dekad unit is its total over the dekad's own days.
  QString values = cycle_.aggregation == Aggregation::Daily ? QStringLiteral("daily values")
                   : cycle_.aggregation == Aggregation::Dekadal && Describe(cycle_.unit).perDekad
                       ? QStringLiteral("dekadal totals")
                       : Text(Describe(cycle_.aggregation).name) + QStringLiteral(" means");
  QString title = QStringLiteral("Extraterrestrial radiation");
  if (kept_.empty()) {
    title += QStringLiteral(" at ") + LatitudeName(latitude_);
  }
  title += QStringLiteral(", %1, %2").arg(values, ChartUnit(current_.table));
  if (dayLength_) {
    title += QStringLiteral("; day length, hours");
  }
  return title;
}

QString ChartData::windowTitle() const {
  return QStringLiteral("Annual cycle at %1, %2, %3")
      .arg(Degrees(latitude_), Text(Describe(cycle_.aggregation).caption),
           Text(UnitLabel(cycle_.unit)));
}

QString ChartData::status() const {
  if (textValid_) {
    return QStringLiteral("Follows the main window.");
  }
  return QStringLiteral("\"%1\" is not a latitude from -90 to 90: the chart keeps %2.")
      .arg(latitudeText_, Degrees(latitude_));
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
  std::vector<const ChartCurve*> columns;
  for (const ChartCurve& k : kept_) {
    columns.push_back(&k);
  }
  if (!currentKept()) {
    columns.push_back(&current_);
  }
  if (fao56_) {
    columns.push_back(&*fao56_);
  }
  for (const ChartCurve& k : keptDayLengths_) {
    columns.push_back(&k);
  }
  if (dayLength_ && !currentKept()) {
    columns.push_back(&*dayLength_);
  }
  QString text = Text(Describe(cycle_.aggregation).period);
  for (const ChartCurve* curve : columns) {
    text += QStringLiteral("\t%1 (%2)").arg(curve->name, UnitText(curve->table));
  }
  text += QLatin1Char('\n');
  // Every table of one aggregation has the same periods in the same order.
  for (std::size_t row = 0; row < current_.table.periods.size(); ++row) {
    text += QString::number(current_.table.periods[row].number);
    for (const ChartCurve* curve : columns) {
      text +=
          QLatin1Char('\t') + QString::fromStdString(DoubleText(curve->table.periods[row].value));
    }
    text += QLatin1Char('\n');
  }
  return text;
}

std::optional<float> ChartData::ExportLatitude(const QString& text) {
  float latitude = 0.0f;
  if (CheckLatitudeText(text.toStdString(), latitude) != LatitudeCheck::Valid) {
    return std::nullopt;
  }
  return latitude;
}

QString ChartData::Degrees(float latitude) {
  return QString::fromStdString(SingleText(latitude)) + QStringLiteral("°");
}

QString ChartData::LatitudeName(float latitude) {
  if (latitude == 0.0f) {
    return QStringLiteral("0°");
  }
  return QString::fromStdString(SingleText(std::fabs(latitude))) +
         (latitude > 0.0f ? QStringLiteral("° N") : QStringLiteral("° S"));
}

QString ChartData::ChartUnit(const AnnualCycle& table) {
  // "MJ/m^2/day": each part after a slash is a negative power.
  const QStringList parts = UnitText(table).split(QLatin1Char('/'));
  QString unit = parts.front();
  for (qsizetype i = 1; i < parts.size(); ++i) {
    QString part = parts[i];
    if (part.endsWith(QLatin1String("^2"))) {
      part.chop(2);
      unit += QLatin1Char(' ') + part + QStringLiteral("⁻²");
    } else {
      unit += QLatin1Char(' ') + part + QStringLiteral("⁻¹");
    }
  }
  return unit;
}

QString ChartData::UnitText(const AnnualCycle& table) {
  if (table.choice.quantity == Quantity::DayLength) {
    return QStringLiteral("hours");
  }
  return Text(UnitLabel(table.choice.unit));
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

QString ChartData::Reading(const AnnualCycle& table, double day) {
  const CyclePeriod* found = PeriodAt(table, day);
  if (found == nullptr) {
    return {};
  }
  const QString how = table.choice.quantity == Quantity::DayLength
                          ? QStringLiteral("day length")
                          : Text(Describe(table.choice.method).caption);
  return QStringLiteral("%1 %2 at %3 (%4): %5 %6")
      .arg(Text(Describe(table.choice.aggregation).period))
      .arg(found->number)
      .arg(LatitudeName(table.latitude), how, QString::fromStdString(DoubleText(found->value)),
           ChartUnit(table));
}

ValueScale ChartData::NiceScale(double highest) {
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

}  // namespace marovane::ui
