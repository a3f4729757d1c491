// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEvent>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "text/LatitudeEntry.hpp"
#include "ui/ExportChoice.hpp"

class QActionGroup;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QFrame;
class QPushButton;

namespace marovane::ui {

class ChartWindow;
class Dialogs;
class HelpWindow;
class LatitudeKeys;
class LogModel;

// What the export and batch actions last read from the window.
struct ExportState {
  float gLatitude = 0.0f;                   // latitude of the last single export
  std::optional<Aggregation> gAggregation;  // of the last export or batch run
  std::optional<Unit> gUnit;                // none until the unit choice is first read
};

// The latitude as the decimal box last gave it, and its sexagesimal form.
struct LatitudeState {
  float Lat = 0.0f;
  std::int16_t LatGrad = 0;
  std::int16_t LatMin = 0;
  std::int16_t LatSec = 0;
  QString LatNS;
};

// The main window: latitude entry, aggregation and unit choice, the export and batch buttons,
// the batch log, the Exit and Help commands, and the Method menu. It reads its controls and leaves
// the work to the core library.
class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(Dialogs& dialogs, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Fills the degree, minute, second and hemisphere boxes from the decimal box.
  void giveOldies();
  // Takes the unit of `choice` as the unit of the next export or batch run.
  void ReadUnitChoice(const ExportChoice& choice);

  const ExportState& exportState() const { return exportState_; }
  const LatitudeState& latitudeState() const { return latitude_; }
  // The open help window, if any.
  HelpWindow* helpWindow() const;
  // How long a batch runs before its progress dialog shows.
  void setBatchProgressDelay(int milliseconds) { batchProgressDelayMs_ = milliseconds; }
  // The latitude text, aggregation, unit and method that an export would take now.
  ExportChoice exportChoice() const;
  // The open chart window, if any.
  ChartWindow* chartWindow() const;

 signals:
  // After every key release in a latitude box and every change of aggregation, unit or
  // method.
  void exportChoiceChanged(const marovane::ui::ExportChoice& choice);

 protected:
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Construction (MainWindowControls.cpp).
  void buildMenu();
  void buildControls();
  void buildLatitudeFrame(double dpi);
  void buildOptionFrames(double dpi);
  void setTabOrder();
  void centreOnScreen();
  void centreOnceFramed(QEvent::Type type);

  // Latitude entry (MainWindowLatitude.cpp).
  void watchLatitudeBoxes();
  void latitudeKeyReleased(QLineEdit* box);
  void txtLatKeyReleased();
  void DmsToDecimal();
  void hemisphereRefused();
  LatitudeTexts latitudeTexts() const;
  // Shows the degree boxes and their values as FillDegreeBoxes gives them.
  void showDegrees(const LatitudeReaction& filled);

  // Actions (MainWindow.cpp).
  void Command1Click();
  void Command2Click();
  void mnuExitClick();
  void mnuHelpClick();
  void mnuChartClick();
  void announceChoiceChanges();
  std::optional<QString> ChooseFile();
  void ExportSingle(const QString& path, const ExportChoice& choice);
  void RunBatch(const QString& path, const ExportChoice& choice);
  // Runs a command of the user's; whatever goes wrong inside it is told in a message, and the
  // window goes on.
  void guarded(const std::function<void()>& command);
  QMessageBox::StandardButton say(const QString& text, const QString& title, QMessageBox::Icon icon,
                                  QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                  QMessageBox::StandardButton defaultButton = QMessageBox::Ok);

  Dialogs& dialogs_;
  ExportState exportState_;
  LatitudeState latitude_;
  QPointer<HelpWindow> help_;
  QPointer<ChartWindow> chart_;
  LatitudeKeys* keys_ = nullptr;
  int batchProgressDelayMs_ = 1000;
  // A window manager adds its frame only after the window is first shown; until then the
  // window is centred without it.
  enum class Centring { BeforeShow, AwaitingFrame, Done };
  Centring centring_ = Centring::BeforeShow;

  QAction* mnuExit_ = nullptr;
  QAction* mnuHelp_ = nullptr;
  QAction* mnuChart_ = nullptr;
  QActionGroup* methods_ = nullptr;  // the Method menu's items, one checked; data: the code
  QGroupBox* frame1_ = nullptr;
  QGroupBox* frame2_ = nullptr;
  QGroupBox* frame3_ = nullptr;
  QLineEdit* txtLat_ = nullptr;
  QLineEdit* txtLatGrad_ = nullptr;
  QLineEdit* txtLatMin_ = nullptr;
  QLineEdit* txtLatSec_ = nullptr;
  QLineEdit* txtLatNS_ = nullptr;
  QButtonGroup* aggregation_ = nullptr;  // Option1..Option4, ids 1..4
  QButtonGroup* units_ = nullptr;        // Option5..Option11, ids 1..7 (the unit codes)
  QPushButton* command1_ = nullptr;
  QPushButton* command2_ = nullptr;
  QListView* list1_ = nullptr;  // the batch log, never cleared
  LogModel* log_ = nullptr;
};

}  // namespace marovane::ui
