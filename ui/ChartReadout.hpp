// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <optional>

#include "ui/ChartFigure.hpp"

class QChartView;

namespace marovane::ui {

class Callout;

// The value under the pointer: as the pointer moves over the plot, the period of the curve
// nearest to it and its value as the file writes it, in a small box at the curve's point and
// as text for the window's status line.
class ChartReadout final : public QObject {
  Q_OBJECT

 public:
  // Follows the pointer over `view`, which shows `figure`.
  ChartReadout(QChartView* view, ChartFigure* figure);

  const QString& text() const { return text_; }
  // Reads again where the pointer is, after the curves changed under it.
  void refresh();

 signals:
  void textChanged(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void pointAt(const std::optional<QPointF>& viewportPosition);

  QChartView* view_;
  QPointer<ChartFigure> figure_;    // gone before the view's viewport while the view closes
  Callout* callout_;                // the figure's
  std::optional<QPointF> pointer_;  // on the viewport, while the pointer is over it
  QString text_;
};

}  // namespace marovane::ui
