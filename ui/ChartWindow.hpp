// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/AnnualCycle.hpp"
#include "ui/ExportChoice.hpp"

class QCheckBox;
class QLabel;
class QPushButton;

class QChart;
class QChartView;
class QCategoryAxis;
class QLineSeries;
class QValueAxis;

namespace marovane::ui {

class Dialogs;

// The annual cycle that Export would write now, drawn as a curve that follows the main window:
// a line of days, or a step per week, dekad or month. Kept curves of other latitudes, the day
// length on a second axis, the picture as PNG or SVG and the file's text on the clipboard.
class ChartWindow final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMostKept = 8;

  // A window of its own beside `owner`, closed and destroyed with it.
  ChartWindow(Dialogs& dialogs, QWidget* owner);
  ~ChartWindow() override;

  // Draws the cycle of `choice`. A latitude text that Export would refuse leaves the curve
  // of the last good one, and the status line says so.
  void follow(const ExportChoice& choice);

  // The radiation table drawn now, and whether it is that of the main window's text.
  const AnnualCycle& shownTable() const { return shown_; }
  bool followsText() const { return textValid_; }

  // The latitude that Export takes from `text`, or nothing where Export refuses it.
  static std::optional<float> ExportLatitude(const QString& text);
  // "Annual cycle at 41.9°, Dekadal, MJ/m^2/day".
  static QString Title(float latitude, Aggregation aggregation, Unit unit);
  // The points of a table: one per day, or a period's value from its first day to the first
  // day after it.
  static QList<QPointF> CurvePoints(const AnnualCycle& table);
  // The period under day `day` (fractional, as on the axis) as the file writes it:
  // "Dekad 17: 40.813 MJ/m^2/day"; empty off the table.
  static QString PeriodText(const AnnualCycle& table, double day,
                            const QString& unitLabel);
  // Where a window of `preferred` outer size goes beside `owner` (outer frame) inside
  // `available`: right of it, else left, else below, else above, shrunk to no less than
  // `minimum` to fit; where no side has room, against the screen edge on the roomier side.
  static QRect PlaceBeside(const QRect& owner, const QSize& preferred, const QSize& minimum,
                           const QRect& available);

 private:
  struct Kept {
    float latitude = 0.0f;
    AnnualCycle table;
    QLineSeries* series = nullptr;
  };

  void buildChart();
  void placeBeside(const QWidget* owner);
  void redraw();
  void updateStatus();
  void updateAxes();
  void showDayLength(bool on);
  void keep();
  void clearKept();
  void saveImage();
  void copyValues();
  void hovered(const AnnualCycle& table, const QString& prefix, const QString& unitLabel,
               const QPointF& point, bool state);
  bool writeImage(const QString& path, QString* error);

  Dialogs& dialogs_;
  ExportChoice choice_;
  bool textValid_ = false;
  float latitude_ = 0.0f;            // of the curve drawn
  CycleChoice cycle_;                // of the curve drawn
  bool drawn_ = false;               // whether a curve has been drawn yet
  AnnualCycle shown_;
  AnnualCycle dayLength_;
  std::vector<Kept> kept_;

  QChart* chart_ = nullptr;
  QChartView* view_ = nullptr;
  QCategoryAxis* days_ = nullptr;
  QValueAxis* values_ = nullptr;
  QValueAxis* hours_ = nullptr;
  QLineSeries* radiation_ = nullptr;
  QLineSeries* dayLengthSeries_ = nullptr;
  QCheckBox* chkDayLength_ = nullptr;
  QPushButton* cmdKeep_ = nullptr;
  QPushButton* cmdClear_ = nullptr;
  QLabel* lblStatus_ = nullptr;
  QLabel* lblValue_ = nullptr;
};

}  // namespace marovane::ui
