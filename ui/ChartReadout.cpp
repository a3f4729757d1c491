// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartReadout.hpp"

#include <QChartView>
#include <QEvent>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/ChartFigure.hpp"

namespace marovane::ui {

namespace {

// Pixels above or below a curve within which the pointer reads it.
constexpr qreal kReach = 14.0;

}  // namespace

// The box of a reading: its text beside a dot on the curve, kept inside the plot.
class Callout final : public QGraphicsItem {
 public:
  explicit Callout(ChartFigure* figure) : QGraphicsItem(figure), figure_(figure) {
    setZValue(100);
    hide();
  }

  void showReading(const QString& text, const QPointF& point) {
    prepareGeometryChange();
    text_ = text;
    point_ = point;
    const QFontMetricsF metrics(figure_->font());
    const QSizeF size = metrics.size(Qt::TextSingleLine, text_) + QSizeF(12, 8);
    // Above and right of the point, else where the plot has room, and never out of the chart.
    const QRectF plot = figure_->plotArea();
    QPointF corner(point.x() + 8, point.y() - 8 - size.height());
    if (corner.x() + size.width() > plot.right()) {
      corner.setX(point.x() - 8 - size.width());
    }
    if (corner.y() < plot.top()) {
      corner.setY(point.y() + 8);
    }
    const QRectF chart = figure_->rect();
    corner.setX(
        std::clamp(corner.x(), chart.left(), std::max(chart.left(), chart.right() - size.width())));
    box_ = QRectF(corner, size);
    QGraphicsItem::show();
    update();
  }

  QRectF boundingRect() const override {
    return box_.united(QRectF(point_ - QPointF(4, 4), QSizeF(8, 8))).adjusted(-1, -1, 1, 1);
  }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(QColor(60, 60, 60), 1.0));
    painter->setBrush(QColor(255, 255, 255, 235));
    painter->drawRoundedRect(box_, 3, 3);
    painter->setBrush(QColor(60, 60, 60));
    painter->drawEllipse(point_, 3.0, 3.0);
    painter->setFont(figure_->font());
    painter->setPen(QColor(0, 0, 0));
    painter->drawText(box_, Qt::AlignCenter, text_);
  }

 private:
  ChartFigure* figure_;
  QString text_;
  QPointF point_;
  QRectF box_;
};

ChartReadout::ChartReadout(QChartView* view, ChartFigure* figure)
    : QObject(view), view_(view), figure_(figure), callout_(new Callout(figure)) {
  // Moves without a button pressed reach the view only when it tracks the mouse.
  view_->viewport()->setMouseTracking(true);
  view_->viewport()->installEventFilter(this);
}

bool ChartReadout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_->viewport()) {
    if (event->type() == QEvent::MouseMove) {
      pointAt(static_cast<QMouseEvent*>(event)->position());
    } else if (event->type() == QEvent::Leave) {
      pointAt(std::nullopt);
    }
  }
  return QObject::eventFilter(watched, event);
}

void ChartReadout::refresh() {
  pointAt(pointer_);
}

void ChartReadout::pointAt(const std::optional<QPointF>& viewportPosition) {
  pointer_ = viewportPosition;
  if (figure_ == nullptr) {
    return;
  }
  std::optional<ChartFigure::Reading> reading;
  if (viewportPosition) {
    const QPointF scene = view_->mapToScene(viewportPosition->toPoint());
    reading = figure_->readingAt(figure_->mapFromScene(scene), kReach);
  }
  if (reading) {
    callout_->showReading(reading->text, reading->point);
  } else {
    callout_->hide();
  }
  const QString text = reading ? reading->text : QString();
  if (text != text_) {
    text_ = text;
    emit textChanged(text_);
  }
}

}  // namespace marovane::ui
