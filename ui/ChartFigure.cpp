// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartFigure.hpp"

#include <QCategoryAxis>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsLayout>
#include <QGraphicsSceneResizeEvent>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QValueAxis>
#include <algorithm>
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
// tells them apart; the colours come round again only with another pattern. A latitude's day
// length is dotted, thin, in its colour; where the colour comes round, spaced otherwise.
struct Stroke {
  QColor colour;
  QList<qreal> dashes;
  QList<qreal> dayDashes;
};
const QList<qreal> kDotted{1, 3};
const QList<qreal> kSparselyDotted{2, 4};
const std::array<Stroke, ChartData::kMostKept> kKeptStrokes{{
    {kVermillion, {4, 2}, kDotted},
    {kBluishGreen, {1, 2}, kDotted},
    {kReddishPurple, {6, 2, 1, 2}, kDotted},
    {kBlack, {8, 3}, kDotted},
    {kSkyBlue, {3, 2, 1, 2, 1, 2}, kDotted},
    {kOrange, {2, 2}, kDotted},
    {kVermillion, {10, 2, 2, 2}, kSparselyDotted},
    {kBluishGreen, {6, 2, 1, 2, 1, 2, 1, 2}, kSparselyDotted},
}};
constexpr double kDayLengthWidth = 1.4;
const QColor kAxisGrey(80, 80, 80);

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QLineSeries* AddSeries(QChart* chart, const QString& objectName, const QColor& colour, double width,
                       const QList<qreal>& dashes) {
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

// The key under the plot: an entry per curve, a stretch of its line long enough to show its
// dashes and its name whole, in rows centred across the chart.
class ChartKey final : public QGraphicsItem {
 public:
  explicit ChartKey(QChart* chart) : QGraphicsItem(chart) {}

  // Lays `entries` out across `width` in the chart's font; the height they take.
  qreal place(QList<ChartFigure::KeyEntry> entries, const QFont& font, qreal width) {
    prepareGeometryChange();
    font_ = font;
    const QFontMetricsF metrics(font_);
    const qreal rowHeight = metrics.height() + 4;
    // Rows filled in turn; an entry wider than the chart still has a row of its own.
    QList<QList<qsizetype>> rows;
    qreal used = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
      const qreal w = kStroke + kGap + metrics.horizontalAdvance(entries[i].text);
      entries[i].box = QRectF(0, 0, w, rowHeight);
      if (rows.isEmpty() || used + kSpacing + w > width) {
        rows.append(QList<qsizetype>());
        used = -kSpacing;
      }
      rows.back().append(i);
      used += kSpacing + w;
    }
    for (qsizetype r = 0; r < rows.size(); ++r) {
      qreal rowWidth = -kSpacing;
      for (const qsizetype i : rows[r]) {
        rowWidth += kSpacing + entries[i].box.width();
      }
      qreal x = std::max<qreal>(0, (width - rowWidth) / 2);
      for (const qsizetype i : rows[r]) {
        entries[i].box.moveTo(x, static_cast<qreal>(r) * rowHeight);
        x += entries[i].box.width() + kSpacing;
      }
    }
    entries_ = std::move(entries);
    height_ = static_cast<qreal>(rows.size()) * rowHeight;
    size_ = QSizeF(width, height_);
    return height_;
  }

  // The entries, their boxes in the chart's coordinates.
  const QList<ChartFigure::KeyEntry>& entries() const { return inChart_; }
  void moveInChart(const QPointF& corner) {
    setPos(corner);
    inChart_ = entries_;
    for (ChartFigure::KeyEntry& e : inChart_) {
      e.box.translate(corner);
    }
  }

  QRectF boundingRect() const override { return QRectF(QPointF(0, 0), size_); }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setFont(font_);
    for (const ChartFigure::KeyEntry& e : entries_) {
      const qreal y = e.box.center().y();
      painter->setPen(e.pen);
      painter->drawLine(QPointF(e.box.left(), y), QPointF(e.box.left() + kStroke, y));
      painter->setPen(QColor(40, 40, 40));
      painter->drawText(e.box.adjusted(kStroke + kGap, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                        e.text);
    }
  }

 private:
  static constexpr qreal kStroke = 36;   // holds the longest dash pattern once
  static constexpr qreal kGap = 6;       // between the stroke and its name
  static constexpr qreal kSpacing = 18;  // between entries
  QFont font_;
  QList<ChartFigure::KeyEntry> entries_;
  QList<ChartFigure::KeyEntry> inChart_;
  qreal height_ = 0;
  QSizeF size_;
};

ChartFigure::ChartFigure() {
  setAnimationOptions(QChart::NoAnimation);
  setBackgroundRoundness(0);
  setMargins(QMargins(4, 4, 4, 4));
  // Qt's legend cuts names short where a row has no room: the chart draws its own key.
  legend()->hide();
  key_ = new ChartKey(this);
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
  hours_->setLinePenColor(kAxisGrey);
  hours_->setLabelsColor(kAxisGrey);
  hours_->setTitleBrush(kAxisGrey);
  hours_->setGridLineVisible(false);
  hours_->setVisible(false);
  addAxis(days_, Qt::AlignBottom);
  addAxis(values_, Qt::AlignLeft);
  addAxis(hours_, Qt::AlignRight);

  for (std::size_t i = 0; i < keptDayLengths_.size(); ++i) {
    keptDayLengths_[i] =
        AddSeries(this, QStringLiteral("keptDayLength%1").arg(i + 1), kKeptStrokes[i].colour,
                  kDayLengthWidth, kKeptStrokes[i].dayDashes);
  }
  dayLength_ = AddSeries(this, QStringLiteral("dayLength"), kBlue, kDayLengthWidth, kDotted);
  for (std::size_t i = 0; i < kept_.size(); ++i) {
    kept_[i] = AddSeries(this, QStringLiteral("kept%1").arg(i + 1), kKeptStrokes[i].colour, 2.0,
                         kKeptStrokes[i].dashes);
  }
  fao56_ = AddSeries(this, QStringLiteral("fao56"), kBlue, 2.2, {5, 2});
  current_ = AddSeries(this, QStringLiteral("radiation"), kBlue, 2.6, {});
  for (QAbstractSeries* series : this->series()) {
    series->attachAxis(days_);
    const bool hours =
        series == dayLength_ ||
        std::find(keptDayLengths_.begin(), keptDayLengths_.end(), series) != keptDayLengths_.end();
    series->attachAxis(hours ? hours_ : values_);
  }
}

ChartFigure::~ChartFigure() = default;

const QList<ChartFigure::KeyEntry>& ChartFigure::key() const {
  return key_->entries();
}

void ChartFigure::draw(const ChartData& data) {
  data_ = &data;
  // The latitude drawn, once kept, is drawn as kept; FAO-56 beside it names the methods.
  const bool currentShown = !data.currentKept();
  auto nameOf = [&](const ChartCurve& curve) {
    const float latitude = curve.table.latitude;
    return QString::fromStdString(data.fao56() && latitude == data.latitude()
                                      ? MethodKeyName(latitude, curve.table.choice.method)
                                      : KeyName(latitude));
  };
  QList<KeyEntry> entries;
  auto show = [&](QLineSeries* series, const ChartCurve* curve, bool inKey) {
    if (curve != nullptr) {
      series->replace(ChartData::CurvePoints(curve->table));
      series->setName(curve->table.choice.quantity == Quantity::DayLength
                          ? QString::fromStdString(DayLengthKeyName(curve->table.latitude))
                          : nameOf(*curve));
      if (inKey) {
        entries.append({series->name(), series->pen(), {}});
      }
    }
    series->setVisible(curve != nullptr);
  };
  for (std::size_t i = 0; i < kept_.size(); ++i) {
    show(kept_[i], i < data.kept().size() ? &data.kept()[i] : nullptr, true);
  }
  show(current_, currentShown ? &data.current() : nullptr, true);
  show(fao56_, data.fao56() ? &*data.fao56() : nullptr, true);
  for (std::size_t i = 0; i < keptDayLengths_.size(); ++i) {
    show(keptDayLengths_[i], i < data.keptDayLengths().size() ? &data.keptDayLengths()[i] : nullptr,
         false);
  }
  show(dayLength_, data.dayLength() && currentShown ? &*data.dayLength() : nullptr, false);
  hours_->setVisible(data.dayLength().has_value());
  if (data.dayLength()) {
    // One entry for every day length: each is dotted in its latitude's colour.
    entries.append(
        {QString::fromUtf8(kDayLengthKey.data(), static_cast<qsizetype>(kDayLengthKey.size())),
         QPen(kAxisGrey, kDayLengthWidth, Qt::CustomDashLine, Qt::FlatCap),
         {}});
    entries.back().pen.setDashPattern(kDotted);
  }
  if (entries.size() < 2) {
    entries.clear();
  }
  keyEntries_ = entries;
  placeKey();

  setTitle(data.title());
  const ValueScale scale = data.valueScale();
  values_->setTitleText(ChartData::ChartUnit(data.current().table));
  values_->setRange(0.0, scale.top);
  values_->setTickCount(scale.steps + 1);
  // Week 53 runs on past the year's end into the first days of the next.
  days_->setRange(1, data.dayAxisEnd());
}

std::optional<ChartFigure::Reading> ChartFigure::readingAt(const QPointF& position, qreal reach) {
  if (data_ == nullptr || !plotArea().contains(position)) {
    return std::nullopt;
  }
  std::vector<std::pair<QLineSeries*, const AnnualCycle*>> drawn;
  if (current_->isVisible()) {
    drawn.emplace_back(current_, &data_->current().table);
  }
  if (data_->fao56()) {
    drawn.emplace_back(fao56_, &data_->fao56()->table);
  }
  if (dayLength_->isVisible()) {
    drawn.emplace_back(dayLength_, &data_->dayLength()->table);
  }
  for (std::size_t i = 0; i < data_->kept().size(); ++i) {
    drawn.emplace_back(kept_[i], &data_->kept()[i].table);
  }
  for (std::size_t i = 0; i < data_->keptDayLengths().size(); ++i) {
    drawn.emplace_back(keptDayLengths_[i], &data_->keptDayLengths()[i].table);
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

void ChartFigure::resizeEvent(QGraphicsSceneResizeEvent* event) {
  QChart::resizeEvent(event);
  placeKey();
}

void ChartFigure::placeKey() {
  const QMargins around(4, 4, 4, 4);
  // Inside the chart's background, which the layout's own margins hold in from the edges.
  qreal left = 0;
  qreal top = 0;
  qreal right = 0;
  qreal bottom = 0;
  if (layout() != nullptr) {
    layout()->getContentsMargins(&left, &top, &right, &bottom);
  }
  const QRectF inside =
      rect().adjusted(left, top, -right, -bottom).marginsRemoved(around.toMarginsF());
  const qreal height = key_->place(keyEntries_, legend()->font(), inside.width());
  // The chart's layout leaves the key its rows under the axis titles.
  const QMargins margins = around + QMargins(0, 0, 0, static_cast<int>(std::ceil(height)));
  if (this->margins() != margins) {
    setMargins(margins);
  }
  key_->moveInChart(QPointF(inside.left(), inside.bottom() - height));
}

}  // namespace marovane::ui
