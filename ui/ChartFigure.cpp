// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartFigure.hpp"

#include <QCategoryAxis>
#include <QLegend>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <cmath>
#include <utility>
#include <vector>

#include "model/Calendar.hpp"

namespace marovane::ui {

namespace {

// Okabe and Ito's colours, told apart by readers with any common colour blindness.
const QColor kBlack(0, 0, 0);
const QColor kOrange(230, 159, 0);
const QColor kSkyBlue(86, 180, 233);
const QColor kBluishGreen(0, 158, 115);
const QColor kBlue(0, 114, 178);
const QColor kVermillion(213, 94, 0);
const QColor kReddishPurple(204, 121, 167);

// Each kept curve has a dash pattern of its own (in pen widths), so that a grey print still
// tells them apart; the colours come round again only with another pattern.
struct Stroke {
  QColor colour;
  QList<qreal> dashes;
};
const std::array<Stroke, ChartData::kMostKept> kKeptStrokes{{
    {kVermillion, {4, 2}},
    {kBluishGreen, {1, 2}},
    {kReddishPurple, {6, 2, 1, 2}},
    {kBlack, {8, 3}},
    {kSkyBlue, {3, 2, 1, 2, 1, 2}},
    {kOrange, {2, 2}},
    {kVermillion, {10, 2, 2, 2}},
    {kBluishGreen, {6, 2, 1, 2, 1, 2, 1, 2}},
}};

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QLineSeries* AddSeries(QChart* chart, const QString& objectName, const QColor& colour,
                       double width, const QList<qreal>& dashes) {
  auto* series = new QLineSeries(chart);
  series->setObjectName(objectName);
  QPen pen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  if (!dashes.isEmpty()) {
    pen.setDashPattern(dashes);
  }
  series->setPen(pen);
  series->setVisible(false);
  chart->addSeries(series);
  return series;
}

}  // namespace

ChartFigure::ChartFigure() {
  setAnimationOptions(QChart::NoAnimation);
  setBackgroundRoundness(0);
  setMargins(QMargins(4, 4, 4, 4));
  legend()->setAlignment(Qt::AlignBottom);
  // A stretch of each curve's own line, dashes included, rather than a square of colour.
  legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
  QFont titleFont = this->titleFont();
  titleFont.setPointSizeF(11.0);
  titleFont.setBold(true);
  setTitleFont(titleFont);

  // A label in the middle of each month; the grid lines fall on the month boundaries.
  days_ = new QCategoryAxis(this);
  days_->setObjectName(QStringLiteral("days"));
  days_->setTitleText(QStringLiteral("Day of the year"));
  days_->setStartValue(1);
  int end = 1;
  for (std::int16_t month = 1; month <= kMonthsInYear; ++month) {
    end += MonthLength(month);
    days_->append(QString::fromLatin1(kMonths[month - 1]), end);
  }
  days_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
  days_->setRange(1, 366);
  values_ = new QValueAxis(this);
  values_->setObjectName(QStringLiteral("values"));
  values_->setLabelFormat(QStringLiteral("%g"));
  hours_ = new QValueAxis(this);
  hours_->setObjectName(QStringLiteral("hours"));
  hours_->setTitleText(QStringLiteral("Day length, hours"));
  hours_->setRange(0, 24);
  hours_->setTickCount(5);
  hours_->setLabelFormat(QStringLiteral("%g"));
  hours_->setLinePenColor(kOrange);
  hours_->setLabelsColor(kOrange.darker(150));
  hours_->setTitleBrush(kOrange.darker(150));
  hours_->setGridLineVisible(false);
  hours_->setVisible(false);
  addAxis(days_, Qt::AlignBottom);
  addAxis(values_, Qt::AlignLeft);
  addAxis(hours_, Qt::AlignRight);

  for (std::size_t i = 0; i < kept_.size(); ++i) {
    kept_[i] = AddSeries(this, QStringLiteral("kept%1").arg(i + 1), kKeptStrokes[i].colour, 2.0,
                         kKeptStrokes[i].dashes);
  }
  fao56_ = AddSeries(this, QStringLiteral("fao56"), kBlue, 2.2, {5, 2});
  dayLength_ = AddSeries(this, QStringLiteral("dayLength"), kOrange, 1.8, {6, 2, 2, 2});
  current_ = AddSeries(this, QStringLiteral("radiation"), kBlue, 2.6, {});
  for (QAbstractSeries* series : this->series()) {
    series->attachAxis(days_);
    series->attachAxis(series == dayLength_ ? hours_ : values_);
  }
}

void ChartFigure::draw(const ChartData& data) {
  data_ = &data;
  auto show = [](QLineSeries* series, const ChartCurve* curve) {
    if (curve != nullptr) {
      series->replace(ChartData::CurvePoints(curve->table));
      series->setName(curve->name);
    }
    series->setVisible(curve != nullptr);
  };
  show(current_, &data.current());
  show(fao56_, data.fao56() ? &*data.fao56() : nullptr);
  show(dayLength_, data.dayLength() ? &*data.dayLength() : nullptr);
  for (std::size_t i = 0; i < kept_.size(); ++i) {
    show(kept_[i], i < data.kept().size() ? &data.kept()[i] : nullptr);
  }
  hours_->setVisible(data.dayLength().has_value());

  setTitle(data.title());
  const ValueScale scale = data.valueScale();
  values_->setTitleText(ChartData::UnitText(data.current().table));
  values_->setRange(0.0, scale.top);
  values_->setTickCount(scale.steps + 1);
  // Week 53 runs on past the year's end into the first days of the next.
  days_->setRange(1, data.dayAxisEnd());
}

std::optional<ChartFigure::Reading> ChartFigure::readingAt(const QPointF& position,
                                                           qreal reach) {
  if (data_ == nullptr || !plotArea().contains(position)) {
    return std::nullopt;
  }
  std::vector<std::pair<QLineSeries*, const AnnualCycle*>> drawn{
      {current_, &data_->current().table}};
  if (data_->fao56()) {
    drawn.emplace_back(fao56_, &data_->fao56()->table);
  }
  if (data_->dayLength()) {
    drawn.emplace_back(dayLength_, &data_->dayLength()->table);
  }
  for (std::size_t i = 0; i < data_->kept().size(); ++i) {
    drawn.emplace_back(kept_[i], &data_->kept()[i].table);
  }
  std::optional<Reading> nearest;
  qreal nearestDistance = reach;
  for (const auto& [series, table] : drawn) {
    const double day = mapToValue(position, series).x();
    const CyclePeriod* period = ChartData::PeriodAt(*table, day);
    if (period == nullptr) {
      continue;
    }
    const QPointF point = mapToPosition(QPointF(day, period->value), series);
    const qreal distance = std::abs(point.y() - position.y());
    // The first of equals wins: the current curve before the others.
    if (distance <= reach && (!nearest || distance < nearestDistance)) {
      nearest = Reading{ChartData::Reading(*table, day), point};
      nearestDistance = distance;
    }
  }
  return nearest;
}

}  // namespace marovane::ui
