// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindow.hpp"

#include <QApplication>
#include <QButtonGroup>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <exception>
#include <filesystem>
#include <string>

#include "export/AnnualCycle.hpp"
#include "export/Batch.hpp"
#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"
#include "ui/BatchProgress.hpp"
#include "ui/ChartWindow.hpp"
#include "ui/Dialogs.hpp"
#include "ui/FormLayout.hpp"
#include "ui/HelpWindow.hpp"
#include "ui/LatitudeKeys.hpp"

namespace marovane::ui {

namespace {

// The path as the system names the file; the core cuts batch names by characters itself.
std::filesystem::path FileSystemPath(const QString& path) {
  return {QFile::encodeName(path).toStdString()};
}

}  // namespace

MainWindow::MainWindow(Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral(
      "Marovane, annual cycle of extraterrestrial solar radiation, by Marovane developers, "
      "Marovane project, marovane@example.org"));
  QFont font(QString::fromLatin1(fonts::kSans));
  font.setPointSizeF(fonts::kDefaultSize);
  setFont(font);

  buildMenu();
  buildControls();
  setTabOrder();
  watchLatitudeBoxes();
  announceChoiceChanges();

  const double dpi = screen()->logicalDotsPerInch();
  resize(TwipsToPixels(layout::kClientWidth, dpi),
         menuBar()->sizeHint().height() + TwipsToPixels(layout::kClientHeight, dpi));

  // Load: centre, then fill the degree boxes from the decimal box.
  centreOnScreen();
  giveOldies();
  txtLatNS_->setFocus(Qt::OtherFocusReason);
}

MainWindow::~MainWindow() = default;

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (centring_ == Centring::BeforeShow) {
    centring_ = Centring::AwaitingFrame;
    centreOnScreen();
  }
}

bool MainWindow::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  if (centring_ == Centring::AwaitingFrame) {
    centreOnceFramed(event->type());
  }
  return handled;
}

HelpWindow* MainWindow::helpWindow() const { return help_.data(); }

ChartWindow* MainWindow::chartWindow() const { return chart_.data(); }

ExportChoice MainWindow::exportChoice() const {
  return {txtLat_->text(), ReadAggregationChoice(),
          static_cast<std::int16_t>(units_->checkedId())};
}

void MainWindow::announceChoiceChanges() {
  // Connected after the latitude boxes' own handling, so the boxes are in step by then.
  auto announce = [this] { emit exportChoiceChanged(exportChoice()); };
  connect(keys_, &LatitudeKeys::keyReleased, this, announce);
  for (QButtonGroup* group : {aggregation_, units_}) {
    connect(group, &QButtonGroup::idToggled, this, [announce](int, bool on) {
      if (on) {
        announce();
      }
    });
  }
}

QMessageBox::StandardButton MainWindow::say(const QString& text, const QString& title,
                                            QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) {
  return dialogs_.message(this, text, title, icon, buttons, defaultButton);
}

void MainWindow::ReadUnitChoice() {
  // Buttons 1..7 carry the unit codes; with none selected the code stays as it was.
  const int checked = units_->checkedId();
  if (checked >= 1) {
    exportState_.gUnit = static_cast<std::int16_t>(checked);
  }
}

std::int16_t MainWindow::ReadAggregationChoice() const {
  for (std::int16_t code : {aggregation::kDaily, aggregation::kWeekly, aggregation::kDekadal}) {
    if (aggregation_->button(code)->isChecked()) {
      return code;
    }
  }
  return aggregation::kMonthly;
}

std::optional<QString> MainWindow::ChooseFile() { return dialogs_.chooseFile(this); }

void MainWindow::Command1Click() {
  float latitude = 0.0f;
  switch (CheckLatitudeText(txtLat_->text().toStdString(), latitude)) {
    case LatitudeCheck::NotNumeric:
      say(QStringLiteral("One of the inputs is not numeric!"), kApplicationTitle,
          QMessageBox::Critical);
      return;
    case LatitudeCheck::OutOfRange:
      say(QStringLiteral("Latitude of your location should be between -90° and +90°."),
          QStringLiteral("Strange Location"), QMessageBox::Critical);
      txtLat_->setFocus(Qt::OtherFocusReason);
      return;
    case LatitudeCheck::Valid:
      break;
  }
  ReadUnitChoice();
  exportState_.gLatitude = latitude;
  setCursor(Qt::WaitCursor);
  if (const std::optional<QString> path = ChooseFile()) {
    ExportSingle(*path);
  }
  setCursor(Qt::ArrowCursor);
}

void MainWindow::ExportSingle(const QString& path) {
  exportState_.gAggregation = ReadAggregationChoice();
  try {
    WriteAnnualCycle(exportState_.gLatitude, FileSystemPath(path), exportState_.gAggregation,
                     exportState_.gUnit);
  } catch (const std::exception& e) {
    setCursor(Qt::ArrowCursor);
    say(QString::fromUtf8(e.what()), kApplicationTitle, QMessageBox::Critical);
    return;
  }
  say(QStringLiteral("Data correctly written to ") + path, kApplicationTitle,
      QMessageBox::Information);
}

void MainWindow::Command2Click() {
  const QString prompt = QStringLiteral(
      "This mode expects a file containing one column of latitudes.\n"
      "It writes an output file for each latitude.\n");
  if (say(prompt, kApplicationTitle, QMessageBox::Information,
          QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) != QMessageBox::Ok) {
    return;
  }
  ReadUnitChoice();
  if (const std::optional<QString> path = ChooseFile()) {
    RunBatch(*path);
  }
}

void MainWindow::RunBatch(const QString& path) {
  exportState_.gAggregation = ReadAggregationChoice();
  const QFileInfo input(path);
  BatchProgress progress(this, list1_,
                         input.isFile() ? static_cast<std::uintmax_t>(input.size()) : 0,
                         batchProgressDelayMs_);
  const Qt::CursorShape pointer = cursor().shape();
  setCursor(Qt::WaitCursor);
  BatchResult result;
  try {
    result = marovane::RunBatch(
        FileSystemPath(path), {exportState_.gAggregation, exportState_.gUnit, Quantity::Radiation},
        [&](const std::string& entry) { progress.log(entry); },
        [&](const BatchResult& soFar, std::uintmax_t read) { return progress.advance(soFar, read); });
  } catch (...) {
    progress.finish();
    setCursor(pointer);
    throw;
  }
  progress.finish();
  setCursor(pointer);
  say(QString::fromUtf8(BatchSummary(result)), kApplicationTitle, QMessageBox::NoIcon);
}

void MainWindow::guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    setCursor(Qt::ArrowCursor);
    say(QStringLiteral("Marovane could not finish this command: %1").arg(QString::fromUtf8(e.what())),
        kApplicationTitle, QMessageBox::Critical);
  }
}

void MainWindow::mnuHelpClick() {
  if (help_ != nullptr) {
    help_->show();
    help_->raise();
    help_->activateWindow();
    return;
  }
  help_ = new HelpWindow();
  QString error;
  const bool loaded = help_->load(&error);
  help_->show();
  help_->raise();
  help_->activateWindow();
  if (!loaded) {
    dialogs_.message(help_, error, kApplicationTitle, QMessageBox::Critical, QMessageBox::Ok,
                     QMessageBox::Ok);
  }
}

void MainWindow::mnuChartClick() {
  if (chart_ == nullptr) {
    chart_ = new ChartWindow(dialogs_, this);
    chart_->follow(exportChoice());
    connect(this, &MainWindow::exportChoiceChanged, chart_.data(), &ChartWindow::follow);
  }
  chart_->show();
  chart_->raise();
  chart_->activateWindow();
}

void MainWindow::mnuExitClick() {
  if (say(QStringLiteral("Do you really want to end Marovane?"), kApplicationTitle,
          QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
          QMessageBox::Yes) != QMessageBox::Yes) {
    return;
  }
  if (help_ != nullptr) {
    help_->close();
  }
  close();
  QCoreApplication::quit();
}

}  // namespace marovane::ui
