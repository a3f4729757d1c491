// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QWidget>

#include "ui/ChartData.hpp"
#include "ui/ExportChoice.hpp"

class QCheckBox;
class QChartView;
class QLabel;
class QPushButton;

namespace marovane::ui {

class ChartFigure;
class ChartReadout;
class FittedLabel;
class Dialogs;

// The window of the chart: the annual cycle that Export would write now, following the main
// window, with its controls (FAO-56, day length, Keep, Clear, Save image, Copy values) and a
// status line. What is drawn is ChartData's; the chart is a ChartFigure, the pointer's reading
// a ChartReadout, the picture ChartPicture's.
class ChartWindow final : public QWidget {
  Q_OBJECT

 public:
  // A window of its own over `owner`, closed and destroyed with it.
  ChartWindow(Dialogs& dialogs, QWidget* owner);
  ~ChartWindow() override;

  // Places the window beside `owner` on its screen, leaving `keepClear` (in screen
  // coordinates) uncovered.
  void placeBeside(const QWidget* owner, const QRect& keepClear);

  // Draws the cycle of `choice`. A latitude text that Export would refuse leaves the curve
  // of the last good one, and the status line says so.
  void follow(const ExportChoice& choice);

  const ChartData& data() const { return data_; }

 private:
  void redraw();
  void updateControls();
  void saveImage();
  void copyValues();

  Dialogs& dialogs_;
  ChartData data_;
  ChartFigure* figure_ = nullptr;
  QChartView* view_ = nullptr;
  ChartReadout* readout_ = nullptr;
  QCheckBox* chkFao56_ = nullptr;
  QCheckBox* chkDayLength_ = nullptr;
  QPushButton* cmdKeep_ = nullptr;
  QPushButton* cmdClear_ = nullptr;
  FittedLabel* lblStatus_ = nullptr;
  FittedLabel* lblValue_ = nullptr;
};

}  // namespace marovane::ui
