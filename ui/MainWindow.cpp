// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindow.hpp"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <exception>
#include <filesystem>
#include <string>

#include "export/Batch.hpp"
#include "export/CycleFile.hpp"
#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"
#include "ui/BatchProgress.hpp"
#include "ui/ChartWindow.hpp"
#include "ui/Dialogs.hpp"
#include "ui/FormLayout.hpp"
#include "ui/HelpWindow.hpp"
#include "ui/LatitudeKeys.hpp"
#include "ui/LogModel.hpp"
#include "ui/WaitCursor.hpp"

namespace marovane::ui {

namespace {

// The path as the system names the file; the core cuts batch names by characters itself.
std::filesystem::path FileSystemPath(const QString& path) {
  return {QFile::encodeName(path).toStdString()};
}

}  // namespace

MainWindow::MainWindow(Dialogs& dialogs, QWidget* parent) : QMainWindow(parent), dialogs_(dialogs) {
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

HelpWindow* MainWindow::helpWindow() const {
  return help_.data();
}

ChartWindow* MainWindow::chartWindow() const {
  return chart_.data();
}

ExportChoice MainWindow::exportChoice() const {
  ExportChoice choice{txtLat_->text(), {}};
  // Daily, else weekly, else dekadal, else monthly: the last button is not itself read.
  choice.cycle.aggregation = Aggregation::Monthly;
  for (const Aggregation a : {Aggregation::Daily, Aggregation::Weekly, Aggregation::Dekadal}) {
    if (aggregation_->button(Code(a))->isChecked()) {
      choice.cycle.aggregation = a;
      break;
    }
  }
  // With no unit button selected, the unit last read stays.
  choice.cycle.unit =
      UnitOfCode(units_->checkedId()).value_or(exportState_.gUnit.value_or(kDefaultUnit));
  // The items hold their methods' codes; one of them is always checked.
  choice.cycle.method = static_cast<Method>(methods_->checkedAction()->data().toInt());
  return choice;
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
  connect(methods_, &QActionGroup::triggered, this, announce);
}

QMessageBox::StandardButton MainWindow::say(const QString& text, const QString& title,
                                            QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) {
  return dialogs_.message(this, text, title, icon, buttons, defaultButton);
}

void MainWindow::ReadUnitChoice(const ExportChoice& choice) {
  if (units_->checkedId() >= 1) {
    exportState_.gUnit = choice.cycle.unit;
  }
}

std::optional<QString> MainWindow::ChooseFile() {
  return dialogs_.chooseFile(this);
}

void MainWindow::Command1Click() {
  const ExportChoice choice = exportChoice();
  float latitude = 0.0f;
  const LatitudeCheck check = CheckLatitudeText(choice.latitudeText.toStdString(), latitude);
  if (check != LatitudeCheck::Valid) {
    const bool range = check == LatitudeCheck::OutOfRange;
    say(QString::fromUtf8(LatitudeCheckMessage(check)),
        range ? QString::fromUtf8(kStrangeLocation) : kApplicationTitle, QMessageBox::Critical);
    if (range) {
      txtLat_->setFocus(Qt::OtherFocusReason);
    }
    return;
  }
  ReadUnitChoice(choice);
  exportState_.gLatitude = latitude;
  const WaitCursor wait(this);
  if (const std::optional<QString> path = ChooseFile()) {
    ExportSingle(*path, choice);
  }
}

void MainWindow::ExportSingle(const QString& path, const ExportChoice& choice) {
  exportState_.gAggregation = choice.cycle.aggregation;
  try {
    // A pipe or a device would hold the window until something reads it.
    WriteAnnualCycle(exportState_.gLatitude, FileSystemPath(path), choice.cycle,
                     Target::RegularFile);
  } catch (const std::exception& e) {
    say(QString::fromUtf8(e.what()), kApplicationTitle, QMessageBox::Critical);
    return;
  }
  say(QString::fromUtf8(kDataWrittenTo) + path, kApplicationTitle, QMessageBox::Information);
}

void MainWindow::Command2Click() {
  const QString prompt = QStringLiteral(
      "This mode expects a file containing one column of latitudes.\n"
      "It writes an output file for each latitude.\n");
  if (say(prompt, kApplicationTitle, QMessageBox::Information,
          QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) != QMessageBox::Ok) {
    return;
  }
  const ExportChoice choice = exportChoice();
  ReadUnitChoice(choice);
  if (const std::optional<QString> path = ChooseFile()) {
    RunBatch(*path, choice);
  }
}

void MainWindow::RunBatch(const QString& path, const ExportChoice& choice) {
  exportState_.gAggregation = choice.cycle.aggregation;
  const QFileInfo input(path);
  BatchProgress progress(this, list1_, log_,
                         input.isFile() ? static_cast<std::uintmax_t>(input.size()) : 0,
                         batchProgressDelayMs_);
  BatchResult result;
  {
    const WaitCursor wait(this);
    result = progress.run([input = FileSystemPath(path), cycle = choice.cycle](
                              const BatchLog& log, const marovane::BatchProgress& advance,
                              const std::atomic<bool>& stop) {
      return marovane::RunBatch(input, cycle, log, advance, &stop);
    });
  }
  say(QString::fromUtf8(BatchSummary(result)), kApplicationTitle, QMessageBox::NoIcon);
}

void MainWindow::guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    say(QStringLiteral("Marovane could not finish this command: %1")
            .arg(QString::fromUtf8(e.what())),
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
    // The user types into the Latitude frame while the chart follows: it stays in sight.
    chart_->placeBeside(this, QRect(frame1_->mapToGlobal(QPoint(0, 0)), frame1_->size()));
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
