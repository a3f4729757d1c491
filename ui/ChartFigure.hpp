// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChart>
#include <QPointF>
#include <QString>
#include <array>
#include <optional>

#include "ui/ChartData.hpp"

class QCategoryAxis;
class QLineSeries;
class QValueAxis;

namespace marovane::ui {

// The chart itself, as the window shows it and a picture holds it. Its axes and every curve it
// can draw are made and attached once, in their drawing order (kept curves under FAO-56 under
// the day length under the current one); drawing gives them points, names and visibility.
class ChartFigure final : public QChart {
 public:
  ChartFigure();

  // Shows `data`, which must outlive the figure or the next draw.
  void draw(const ChartData& data);

  // The reading of the curve drawn nearest above or below `position` (in the chart's own
  // coordinates) within `reach` pixels: its text, and the point of its period there.
  struct Reading {
    QString text;
    QPointF point;
  };
  std::optional<Reading> readingAt(const QPointF& position, qreal reach);

 private:
  const ChartData* data_ = nullptr;
  QCategoryAxis* days_ = nullptr;
  QValueAxis* values_ = nullptr;
  QValueAxis* hours_ = nullptr;
  std::array<QLineSeries*, ChartData::kMostKept> kept_{};
  QLineSeries* fao56_ = nullptr;
  QLineSeries* dayLength_ = nullptr;
  QLineSeries* current_ = nullptr;
};

}  // namespace marovane::ui
