// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartWindow.hpp"

#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "export/OutputFile.hpp"
#include "ui/ChartFigure.hpp"
#include "ui/ChartPicture.hpp"
#include "ui/ChartReadout.hpp"
#include "ui/Dialogs.hpp"
#include "ui/Placement.hpp"

namespace marovane::ui {

namespace {

const QSize kPreferredSize(660, 460);
const QSize kMinimumSize(480, 340);

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text,
                        const QString& toolTip) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(toolTip);
  return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text,
                        const QString& toolTip) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setToolTip(toolTip);
  return box;
}

}  // namespace

// A line of text that never widens the window: cut short with an ellipsis where the window
// is narrower than the text, which its tooltip then holds whole.
class FittedLabel final : public QLabel {
 public:
  FittedLabel(QWidget* parent, const char* name) : QLabel(parent) {
    setObjectName(QString::fromLatin1(name));
    setTextFormat(Qt::PlainText);
  }

  void setFittedText(const QString& text) {
    setText(text);
    setToolTip(text);
  }

  QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect room = contentsRect();
    style()->drawItemText(&painter, room, static_cast<int>(alignment()), palette(), isEnabled(),
                          fontMetrics().elidedText(text(), Qt::ElideRight, room.width()),
                          foregroundRole());
  }
};

ChartWindow::ChartWindow(Dialogs& dialogs, QWidget* owner)
    : QWidget(owner, Qt::Window), dialogs_(dialogs) {
  setObjectName(QStringLiteral("ChartWindow"));
  setAttribute(Qt::WA_DeleteOnClose);

  figure_ = new ChartFigure();
  view_ = new QChartView(figure_, this);
  view_->setObjectName(QStringLiteral("chartView"));
  view_->setRenderHint(QPainter::Antialiasing);
  // The view gives the chart its own size, frame included: without a frame none of it is hidden.
  view_->setFrameShape(QFrame::NoFrame);
  view_->setMinimumSize(320, 200);
  readout_ = new ChartReadout(view_, figure_);

  chkFao56_ = MakeCheckBox(this, "chkFao56", QStringLiteral("&FAO-56"),
                           QStringLiteral("Adds the curve of FAO-56's formulas for this latitude"));
  chkDayLength_ = MakeCheckBox(
      this, "chkDayLength", QStringLiteral("&Day length"),
      QStringLiteral(
          "The astronomical day length in hours, averaged over each period, on the right axis"));
  cmdKeep_ = MakeButton(this, "cmdKeep", QStringLiteral("&Keep"),
                        QStringLiteral("Keeps this latitude's curve to compare (up to 8)"));
  cmdClear_ = MakeButton(this, "cmdClear", QStringLiteral("C&lear"),
                         QStringLiteral("Removes the kept curves"));
  auto* cmdSave = MakeButton(this, "cmdSaveImage", QStringLiteral("&Save image…"),
                             QStringLiteral("Writes the chart alone as a PNG or SVG file"));
  auto* cmdCopy =
      MakeButton(this, "cmdCopyValues", QStringLiteral("&Copy values"),
                 QStringLiteral("Copies the values drawn as a table, one column per curve"));
  lblStatus_ = new FittedLabel(this, "lblStatus");
  // Takes what room the reading leaves, however long its text.
  lblStatus_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  lblValue_ = new FittedLabel(this, "lblValue");
  lblValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  auto* buttons = new QHBoxLayout();
  buttons->addWidget(chkFao56_);
  buttons->addWidget(chkDayLength_);
  buttons->addSpacing(12);
  buttons->addWidget(cmdKeep_);
  buttons->addWidget(cmdClear_);
  buttons->addStretch(1);
  buttons->addWidget(cmdSave);
  buttons->addWidget(cmdCopy);
  auto* status = new QHBoxLayout();
  status->addWidget(lblStatus_, 1);
  status->addWidget(lblValue_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);
  layout->addWidget(view_, 1);
  layout->addLayout(buttons);
  layout->addLayout(status);

  connect(chkFao56_, &QCheckBox::toggled, this, [this](bool on) {
    data_.showFao56(on);
    redraw();
  });
  connect(chkDayLength_, &QCheckBox::toggled, this, [this](bool on) {
    data_.showDayLength(on);
    redraw();
  });
  connect(cmdKeep_, &QPushButton::clicked, this, [this] {
    if (data_.keep()) {
      redraw();
    }
  });
  connect(cmdClear_, &QPushButton::clicked, this, [this] {
    data_.clearKept();
    redraw();
  });
  connect(cmdSave, &QPushButton::clicked, this, &ChartWindow::saveImage);
  connect(cmdCopy, &QPushButton::clicked, this, &ChartWindow::copyValues);
  connect(readout_, &ChartReadout::textChanged, lblValue_, &FittedLabel::setFittedText);
  resize(kPreferredSize);
}

ChartWindow::~ChartWindow() = default;

void ChartWindow::placeBeside(const QWidget* owner, const QRect& keepClear) {
  const QRect available = owner->screen()->availableGeometry();
  // Before it is shown a window has no frame yet; take the owner's as the measure.
  const QRect frame = owner->frameGeometry();
  const QSize margins = frame.size() - owner->geometry().size();
  // No smaller than its controls allow.
  const QSize minimum = kMinimumSize.expandedTo(minimumSizeHint());
  const QRect place =
      PlaceBeside(frame, keepClear, kPreferredSize + margins, minimum + margins, available);
  resize(place.size() - margins);
  move(place.topLeft());
}

void ChartWindow::follow(const ExportChoice& choice) {
  // The box beside the day length adds the method not followed, and says which.
  const bool fao56 = choice.cycle.method == Method::Fao56;
  chkFao56_->setText(QStringLiteral("&") +
                     QString::fromUtf8(Describe(fao56 ? Method::Harmonic : Method::Fao56).caption));
  chkFao56_->setToolTip(fao56 ? QStringLiteral("Adds the curve of the program's own model for "
                                               "this latitude")
                              : QStringLiteral("Adds the curve of FAO-56's formulas for this "
                                               "latitude"));
  if (data_.follow(choice.latitudeText, choice.cycle.aggregation, choice.cycle.unit,
                   choice.cycle.method)) {
    redraw();
  } else {
    updateControls();
  }
}

void ChartWindow::redraw() {
  figure_->draw(data_);
  setWindowTitle(data_.windowTitle());
  readout_->refresh();
  updateControls();
}

void ChartWindow::updateControls() {
  lblStatus_->setFittedText(data_.status());
  lblStatus_->setStyleSheet(data_.followsText() ? QString() : QStringLiteral("color: #b00000;"));
  cmdKeep_->setEnabled(data_.canKeep());
  cmdClear_->setEnabled(!data_.kept().empty());
}

void ChartWindow::copyValues() {
  QApplication::clipboard()->setText(data_.table());
}

void ChartWindow::saveImage() {
  const std::optional<QString> path = dialogs_.chooseImageFile(this);
  if (!path) {
    return;
  }
  QString error;
  const std::optional<PictureKind> kind = PictureKindOf(*path);
  if (!kind) {
    error = QStringLiteral("%1 was not written: a chart is saved as .png or .svg.").arg(*path);
  } else if (const QByteArray bytes = ChartPicture(data_, *kind, kSlideSize, &error);
             bytes.isEmpty()) {
    error = QStringLiteral("%1 could not be written: %2.").arg(*path, error);
  } else {
    // Written as every file of the program is: whole, or not at all.
    try {
      WriteFileBytes(QFile::encodeName(*path).toStdString(),
                     std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                     Target::RegularFile);  // a pipe would hold the window until read
    } catch (const FileError& e) {
      error =
          QStringLiteral("%1 could not be written: %2.").arg(*path, QString::fromUtf8(e.reason()));
    }
  }
  if (!error.isEmpty()) {
    dialogs_.message(this, error, kApplicationTitle, QMessageBox::Critical, QMessageBox::Ok,
                     QMessageBox::Ok);
  }
}

}  // namespace marovane::ui
