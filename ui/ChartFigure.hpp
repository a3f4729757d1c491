// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChart>
#include <QList>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <array>
#include <optional>

#include "ui/ChartData.hpp"

class QCategoryAxis;
class QLineSeries;
class QValueAxis;

namespace marovane::ui {

class ChartKey;

// The chart itself, as the window shows it and a picture holds it. Its axes and every curve it
// can draw are made and attached once, in their drawing order (the day lengths under the kept
// curves under FAO-56 under the current one); drawing gives them points, names and visibility.
// Its key, under the plot, runs on in rows as far as its entries need, so that none is cut.
class ChartFigure final : public QChart {
 public:
  ChartFigure();
  ~ChartFigure() override;

  // An entry of the key: a stretch of the curve's line and its name, where the key puts it
  // (in the chart's own coordinates).
  struct KeyEntry {
    QString text;
    QPen pen;
    QRectF box;
  };
  // Empty while a single curve is drawn: the title names it.
  const QList<KeyEntry>& key() const;

  // Shows `data`, which must outlive the figure or the next draw.
  void draw(const ChartData& data);

  // The reading of the curve drawn nearest above or below `position` (in the chart's own
  // coordinates) within `reach` pixels: its text, and the point of its period there.
  struct Reading {
    QString text;
    QPointF point;
  };
  std::optional<Reading> readingAt(const QPointF& position, qreal reach);

 protected:
  void resizeEvent(QGraphicsSceneResizeEvent* event) override;

 private:
  void placeKey();

  const ChartData* data_ = nullptr;
  QCategoryAxis* days_ = nullptr;
  QValueAxis* values_ = nullptr;
  QValueAxis* hours_ = nullptr;
  std::array<QLineSeries*, ChartData::kMostKept> kept_{};
  std::array<QLineSeries*, ChartData::kMostKept> keptDayLengths_{};
  QLineSeries* fao56_ = nullptr;
  QLineSeries* dayLength_ = nullptr;
  QLineSeries* current_ = nullptr;
  ChartKey* key_ = nullptr;
  QList<KeyEntry> keyEntries_;
};

}  // namespace marovane::ui
