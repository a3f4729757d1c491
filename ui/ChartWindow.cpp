// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartWindow.hpp"

#include <QApplication>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSvgGenerator>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <string>

#include "export/CycleFile.hpp"
#include "export/OutputFile.hpp"
#include "model/Calendar.hpp"
#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"
#include "ui/Dialogs.hpp"

namespace marovane::ui {

namespace {

constexpr int kYearEnd = 366;  // the axis runs from the start of day 1 to the end of day 365
constexpr int kGap = 8;        // pixels between the main window and this one
const QSize kPreferredSize(660, 460);
const QSize kMinimumSize(480, 340);

const QColor kCurrentColour(31, 78, 156);
const QColor kDayLengthColour(224, 123, 0);
const std::array<QColor, ChartWindow::kMostKept> kKeptColours = {
    QColor(214, 39, 40),  QColor(44, 160, 44),  QColor(148, 103, 189), QColor(140, 86, 75),
    QColor(227, 119, 194), QColor(23, 190, 207), QColor(127, 127, 127), QColor(188, 189, 34)};

CycleChoice DayLengthChoice(CycleChoice cycle) {
  cycle.quantity = Quantity::DayLength;
  return cycle;
}

// Equal to the last bit: -0 and 0 print alike, yet the file is built from the value.
bool SameLatitude(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

QString Degrees(float latitude) {
  return QString::fromStdString(SingleText(latitude)) + QStringLiteral("°");
}

QString Label(Unit unit) { return QString::fromUtf8(UnitLabel(unit)); }

QLineSeries* MakeSeries(const QString& name, const QString& objectName, const QColor& colour,
                        double width, Qt::PenStyle style = Qt::SolidLine) {
  auto* series = new QLineSeries();
  series->setName(name);
  series->setObjectName(objectName);
  QPen pen(colour, width, style, Qt::FlatCap, Qt::MiterJoin);
  series->setPen(pen);
  return series;
}

}  // namespace

ChartWindow::ChartWindow(Dialogs& dialogs, QWidget* owner)
    : QWidget(owner, Qt::Window), dialogs_(dialogs) {
  setObjectName(QStringLiteral("ChartWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  buildChart();

  chkDayLength_ = new QCheckBox(QStringLiteral("&Day length"), this);
  chkDayLength_->setObjectName(QStringLiteral("chkDayLength"));
  chkDayLength_->setToolTip(QStringLiteral(
      "The astronomical day length in hours, averaged over each period, on the right axis"));
  cmdKeep_ = new QPushButton(QStringLiteral("&Keep"), this);
  cmdKeep_->setObjectName(QStringLiteral("cmdKeep"));
  cmdKeep_->setToolTip(QStringLiteral("Keeps this latitude's curve to compare (up to 8)"));
  cmdClear_ = new QPushButton(QStringLiteral("C&lear"), this);
  cmdClear_->setObjectName(QStringLiteral("cmdClear"));
  cmdClear_->setToolTip(QStringLiteral("Removes the kept curves"));
  auto* cmdSave = new QPushButton(QStringLiteral("&Save image…"), this);
  cmdSave->setObjectName(QStringLiteral("cmdSaveImage"));
  cmdSave->setToolTip(QStringLiteral("Writes the chart as a PNG or SVG file"));
  auto* cmdCopy = new QPushButton(QStringLiteral("&Copy values"), this);
  cmdCopy->setObjectName(QStringLiteral("cmdCopyValues"));
  cmdCopy->setToolTip(QStringLiteral("Copies the text that Export would write"));
  lblStatus_ = new QLabel(this);
  lblStatus_->setObjectName(QStringLiteral("lblStatus"));
  lblStatus_->setTextFormat(Qt::PlainText);
  lblValue_ = new QLabel(this);
  lblValue_->setObjectName(QStringLiteral("lblValue"));
  lblValue_->setTextFormat(Qt::PlainText);
  lblValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  auto* buttons = new QHBoxLayout();
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

  connect(chkDayLength_, &QCheckBox::toggled, this, &ChartWindow::showDayLength);
  connect(cmdKeep_, &QPushButton::clicked, this, &ChartWindow::keep);
  connect(cmdClear_, &QPushButton::clicked, this, &ChartWindow::clearKept);
  connect(cmdSave, &QPushButton::clicked, this, &ChartWindow::saveImage);
  connect(cmdCopy, &QPushButton::clicked, this, &ChartWindow::copyValues);
  connect(radiation_, &QLineSeries::hovered, this, [this](const QPointF& point, bool state) {
    hovered(shown_, QString(), Label(cycle_.unit), point, state);
  });
  connect(dayLengthSeries_, &QLineSeries::hovered, this,
          [this](const QPointF& point, bool state) {
            hovered(dayLength_, QString(), QStringLiteral("hours"), point, state);
          });
  placeBeside(owner);
}

ChartWindow::~ChartWindow() {
  // Out of the chart, the day length's series and axis belong to no one.
  if (!chkDayLength_->isChecked()) {
    delete dayLengthSeries_;
    delete hours_;
  }
}

void ChartWindow::buildChart() {
  chart_ = new QChart();
  chart_->setAnimationOptions(QChart::NoAnimation);
  chart_->legend()->setAlignment(Qt::AlignBottom);
  chart_->setMargins(QMargins(4, 4, 4, 4));
  QFont titleFont = chart_->titleFont();
  titleFont.setPointSizeF(11.0);
  titleFont.setBold(true);
  chart_->setTitleFont(titleFont);

  // A label in the middle of each month; the grid lines fall on the month boundaries.
  days_ = new QCategoryAxis();
  days_->setObjectName(QStringLiteral("days"));
  days_->setTitleText(QStringLiteral("Day of the year"));
  days_->setStartValue(1);
  const char* initials = "JFMAMJJASOND";
  int end = 1;
  for (std::int16_t month = 1; month <= kMonthsInYear; ++month) {
    end += MonthLength(month);
    // Category labels must differ: repeated initials get trailing zero-width spaces.
    QString label(QChar::fromLatin1(initials[month - 1]));
    label += QString(month - 1, QChar(0x200B));
    days_->append(label, end);
  }
  days_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
  days_->setRange(1, kYearEnd);
  values_ = new QValueAxis();
  values_->setObjectName(QStringLiteral("values"));
  values_->setLabelFormat(QStringLiteral("%g"));
  hours_ = new QValueAxis();
  hours_->setObjectName(QStringLiteral("hours"));
  hours_->setTitleText(QStringLiteral("Day length, hours"));
  hours_->setRange(0, 24);
  hours_->setTickCount(5);
  hours_->setLabelFormat(QStringLiteral("%g"));
  hours_->setLinePenColor(kDayLengthColour);
  hours_->setLabelsColor(kDayLengthColour.darker(130));
  hours_->setTitleBrush(kDayLengthColour.darker(130));
  hours_->setGridLineVisible(false);
  chart_->addAxis(days_, Qt::AlignBottom);
  chart_->addAxis(values_, Qt::AlignLeft);

  radiation_ = MakeSeries(QString(), QStringLiteral("radiation"), kCurrentColour, 2.5);
  chart_->addSeries(radiation_);
  radiation_->attachAxis(days_);
  radiation_->attachAxis(values_);
  dayLengthSeries_ =
      MakeSeries(QString(), QStringLiteral("dayLength"), kDayLengthColour, 2.0, Qt::DashLine);

  view_ = new QChartView(chart_, this);
  view_->setObjectName(QStringLiteral("chartView"));
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMinimumSize(320, 200);
}

void ChartWindow::placeBeside(const QWidget* owner) {
  const QRect available = owner->screen()->availableGeometry();
  // Before it is shown a window has no frame yet; take the owner's as the measure.
  const QRect frame = owner->frameGeometry();
  const QSize margins = frame.size() - owner->geometry().size();
  const QRect place = PlaceBeside(frame, kPreferredSize + margins, kMinimumSize + margins,
                                  available);
  resize(place.size() - margins);
  move(place.topLeft());
}

QRect ChartWindow::PlaceBeside(const QRect& owner, const QSize& preferred, const QSize& minimum,
                               const QRect& available) {
  const int height = std::min(preferred.height(), available.height());
  const int width = std::min(preferred.width(), available.width());
  auto clampTop = [&](int h) {
    return std::max(available.top(), std::min(owner.top(), available.bottom() + 1 - h));
  };
  auto clampLeft = [&](int w) {
    return std::max(available.left(), std::min(owner.left(), available.right() + 1 - w));
  };
  const int right = available.right() + 1 - (owner.right() + 1 + kGap);
  const int left = owner.left() - kGap - available.left();
  const int below = available.bottom() + 1 - (owner.bottom() + 1 + kGap);
  const int above = owner.top() - kGap - available.top();
  if (std::min(right, preferred.width()) >= minimum.width()) {
    const int w = std::min(right, preferred.width());
    return {owner.right() + 1 + kGap, clampTop(height), w, height};
  }
  if (std::min(left, preferred.width()) >= minimum.width()) {
    const int w = std::min(left, preferred.width());
    return {owner.left() - kGap - w, clampTop(height), w, height};
  }
  if (std::min(below, preferred.height()) >= minimum.height()) {
    const int h = std::min(below, preferred.height());
    return {clampLeft(width), owner.bottom() + 1 + kGap, width, h};
  }
  if (std::min(above, preferred.height()) >= minimum.height()) {
    const int h = std::min(above, preferred.height());
    return {clampLeft(width), owner.top() - kGap - h, width, h};
  }
  // No side has room: cover as little as can be, against the roomier side's screen edge.
  const int x = right >= left ? available.right() + 1 - width : available.left();
  return {x, clampTop(height), width, height};
}

std::optional<float> ChartWindow::ExportLatitude(const QString& text) {
  float latitude = 0.0f;
  if (CheckLatitudeText(text.toStdString(), latitude) != LatitudeCheck::Valid) {
    return std::nullopt;
  }
  return latitude;
}

QString ChartWindow::Title(float latitude, Aggregation aggregation, Unit unit) {
  return QStringLiteral("Annual cycle at %1, %2, %3")
      .arg(Degrees(latitude), QString::fromUtf8(Describe(aggregation).caption), Label(unit));
}

QList<QPointF> ChartWindow::CurvePoints(const AnnualCycle& table) {
  QList<QPointF> points;
  const bool daily = !table.periods.empty() && table.periods.size() == kDaysInYear;
  points.reserve(static_cast<qsizetype>(table.periods.size() * (daily ? 1 : 2)));
  for (const CyclePeriod& p : table.periods) {
    points.append(QPointF(p.firstDay, p.value));
    if (!daily) {
      points.append(QPointF(p.firstDay + p.days, p.value));
    }
  }
  return points;
}

QString ChartWindow::PeriodText(const AnnualCycle& table, double day, const QString& unitLabel) {
  const CyclePeriod* found = nullptr;
  if (table.choice.aggregation == Aggregation::Daily) {
    const auto nearest = static_cast<std::size_t>(std::max(1.0, std::round(day)));
    if (nearest <= table.periods.size()) {
      found = &table.periods[nearest - 1];
    }
  } else {
    // A boundary belongs to the period that starts there; the year's end to the last one.
    for (const CyclePeriod& p : table.periods) {
      if (day >= p.firstDay && day < p.firstDay + p.days) {
        found = &p;
        break;
      }
    }
    if (found == nullptr && !table.periods.empty() &&
        day == table.periods.back().firstDay + table.periods.back().days) {
      found = &table.periods.back();
    }
  }
  if (found == nullptr) {
    return {};
  }
  return QStringLiteral("%1 %2: %3 %4")
      .arg(QString::fromUtf8(Describe(table.choice.aggregation).period))
      .arg(found->number)
      .arg(QString::fromStdString(DoubleText(found->value)), unitLabel);
}

void ChartWindow::follow(const ExportChoice& choice) {
  choice_ = choice;
  const std::optional<float> latitude = ExportLatitude(choice.latitudeText);
  textValid_ = latitude.has_value();
  const float target = latitude.value_or(latitude_);
  const bool same = drawn_ && choice.cycle.aggregation == cycle_.aggregation &&
                    choice.cycle.unit == cycle_.unit && SameLatitude(target, latitude_);
  latitude_ = target;
  cycle_.aggregation = choice.cycle.aggregation;
  cycle_.unit = choice.cycle.unit;
  drawn_ = true;
  if (!same) {
    redraw();
  }
  updateStatus();
}

void ChartWindow::redraw() {
  shown_ = AnnualCycleTable(latitude_, cycle_);
  radiation_->replace(CurvePoints(shown_));
  radiation_->setName(Degrees(latitude_));
  if (chkDayLength_->isChecked()) {
    dayLength_ = AnnualCycleTable(latitude_, DayLengthChoice(cycle_));
    dayLengthSeries_->replace(CurvePoints(dayLength_));
    dayLengthSeries_->setName(QStringLiteral("Day length at %1").arg(Degrees(latitude_)));
  }
  for (Kept& k : kept_) {
    k.table = AnnualCycleTable(k.latitude, cycle_);
    k.series->replace(CurvePoints(k.table));
  }
  const QString title = Title(latitude_, cycle_.aggregation, cycle_.unit);
  setWindowTitle(title);
  chart_->setTitle(title);
  updateAxes();
}

void ChartWindow::updateAxes() {
  double top = 0.0;
  double end = kYearEnd;
  auto extend = [&](const AnnualCycle& table) {
    for (const CyclePeriod& p : table.periods) {
      top = std::max(top, p.value);
      end = std::max(end, static_cast<double>(p.firstDay + p.days));
    }
  };
  extend(shown_);
  for (const Kept& k : kept_) {
    extend(k.table);
  }
  values_->setTitleText(Label(cycle_.unit));
  values_->setRange(0.0, top > 0.0 ? top * 1.04 : 1.0);
  values_->applyNiceNumbers();
  // Week 53 runs on past the year's end into the first days of the next.
  days_->setRange(1, end);
}

void ChartWindow::updateStatus() {
  if (textValid_) {
    lblStatus_->setText(QStringLiteral("Follows the main window."));
    lblStatus_->setStyleSheet(QString());
  } else {
    lblStatus_->setText(QStringLiteral("\"%1\" is not a latitude from -90 to 90: the chart keeps %2.")
                            .arg(choice_.latitudeText, Degrees(latitude_)));
    lblStatus_->setStyleSheet(QStringLiteral("color: #b00000;"));
  }
  const bool alreadyKept = std::any_of(kept_.begin(), kept_.end(), [&](const Kept& k) {
    return SameLatitude(k.latitude, latitude_);
  });
  cmdKeep_->setEnabled(static_cast<int>(kept_.size()) < kMostKept && !alreadyKept);
  cmdClear_->setEnabled(!kept_.empty());
}

void ChartWindow::showDayLength(bool on) {
  if (on) {
    dayLength_ = AnnualCycleTable(latitude_, DayLengthChoice(cycle_));
    dayLengthSeries_->replace(CurvePoints(dayLength_));
    dayLengthSeries_->setName(QStringLiteral("Day length at %1").arg(Degrees(latitude_)));
    chart_->addAxis(hours_, Qt::AlignRight);
    chart_->addSeries(dayLengthSeries_);
    dayLengthSeries_->attachAxis(days_);
    dayLengthSeries_->attachAxis(hours_);
  } else {
    chart_->removeSeries(dayLengthSeries_);
    chart_->removeAxis(hours_);
    dayLength_ = AnnualCycle();
  }
}

void ChartWindow::keep() {
  if (static_cast<int>(kept_.size()) >= kMostKept) {
    return;
  }
  Kept k;
  k.latitude = latitude_;
  k.table = shown_;
  k.series = MakeSeries(Degrees(latitude_),
                        QStringLiteral("kept%1").arg(kept_.size() + 1),
                        kKeptColours[kept_.size()], 1.6);
  k.series->replace(CurvePoints(k.table));
  // Kept curves lie under the one that follows the main window.
  chart_->removeSeries(radiation_);
  chart_->addSeries(k.series);
  k.series->attachAxis(days_);
  k.series->attachAxis(values_);
  chart_->addSeries(radiation_);
  radiation_->attachAxis(days_);
  radiation_->attachAxis(values_);
  const std::size_t index = kept_.size();
  connect(k.series, &QLineSeries::hovered, this, [this, index](const QPointF& point, bool state) {
    if (index < kept_.size()) {
      hovered(kept_[index].table, Degrees(kept_[index].latitude) + QStringLiteral(", "),
              Label(cycle_.unit), point, state);
    }
  });
  kept_.push_back(std::move(k));
  updateAxes();
  updateStatus();
}

void ChartWindow::clearKept() {
  for (Kept& k : kept_) {
    chart_->removeSeries(k.series);
    delete k.series;
  }
  kept_.clear();
  updateAxes();
  updateStatus();
}

void ChartWindow::hovered(const AnnualCycle& table, const QString& prefix,
                          const QString& unitLabel, const QPointF& point, bool state) {
  if (!state) {
    lblValue_->clear();
    QToolTip::hideText();
    return;
  }
  const QString text = PeriodText(table, point.x(), unitLabel);
  if (text.isEmpty()) {
    return;
  }
  lblValue_->setText(prefix + text);
  QToolTip::showText(QCursor::pos(), prefix + text, view_);
}

void ChartWindow::copyValues() {
  const std::string bytes = AnnualCycleText(shown_);
  QApplication::clipboard()->setText(
      QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

void ChartWindow::saveImage() {
  const std::optional<QString> path = dialogs_.chooseImageFile(this);
  if (!path) {
    return;
  }
  QString error;
  if (!writeImage(*path, &error)) {
    dialogs_.message(this, error, kApplicationTitle, QMessageBox::Critical, QMessageBox::Ok,
                     QMessageBox::Ok);
  }
}

bool ChartWindow::writeImage(const QString& path, QString* error) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
    *error = QStringLiteral("%1 was not written: a chart is saved as .png or .svg.").arg(path);
    return false;
  }
  // The picture is the window as the user sees it, made in memory and written as every file
  // of the program is.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (suffix == QLatin1String("png")) {
    QImageWriter writer(&buffer, "png");
    if (!writer.write(grab().toImage())) {
      *error = QStringLiteral("%1 could not be written: %2.").arg(path, writer.errorString());
      return false;
    }
  } else {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size());
    svg.setViewBox(rect());
    svg.setTitle(windowTitle());
    svg.setDescription(QStringLiteral("Marovane"));
    QPainter painter(&svg);
    render(&painter);
    painter.end();
  }
  try {
    WriteFileBytes(QFile::encodeName(path).toStdString(),
                   std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  } catch (const FileError& e) {
    *error = QStringLiteral("%1 could not be written: %2.")
                 .arg(path, QString::fromUtf8(e.reason()));
    return false;
  }
  return true;
}

}  // namespace marovane::ui
