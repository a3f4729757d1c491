// SPDX-License-Identifier: GPL-3.0-or-later
// Creation of the main window's controls: texts, fonts, colours, geometry and tab order.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <iterator>
#include <string_view>

#include "model/Choices.hpp"
#include "ui/CaptionButton.hpp"
#include "ui/FormLayout.hpp"
#include "ui/HelpWindow.hpp"
#include "ui/LogModel.hpp"
#include "ui/MainWindow.hpp"
#include "ui/Placement.hpp"

namespace marovane::ui {

namespace {

QFont Face(const char* family, double points, bool bold = false) {
  QFont font(QString::fromLatin1(family));
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// A frame's caption colour would otherwise pass to everything inside it.
void KeepPlainText(QWidget* widget) {
  const QPalette standard = QApplication::palette();
  QPalette palette = widget->palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
      palette.setColor(group, role, standard.color(group, role));
    }
  }
  widget->setPalette(palette);
}

QGroupBox* MakeFrame(QWidget* parent, const char* name, const char* caption, const TwipRect& rect,
                     double dpi) {
  auto* frame = new QGroupBox(QString::fromLatin1(caption), parent);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setGeometry(TwipsToPixels(rect, dpi));
  frame->setFont(Face(fonts::kSans, fonts::kCaptionSize));
  QPalette palette = frame->palette();
  const QColor blue(0, 0, 255);
  for (const auto group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::WindowText, blue);
    palette.setColor(group, QPalette::Text, blue);
  }
  frame->setPalette(palette);
  // The caption sits on the frame's top line, and the line runs along the frame's own top.
  frame->setStyleSheet(
      QStringLiteral("QGroupBox { border: 1px solid palette(mid); margin-top: 0.5em; }"
                     "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
  return frame;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const TwipRect& rect,
                  const QFont& font, double dpi) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setFont(font);
  label->setGeometry(TwipsToPixels(rect, dpi));
  KeepPlainText(label);
  return label;
}

QLineEdit* MakeBox(QWidget* parent, const char* name, const TwipRect& rect, LatitudeBox kind,
                   Qt::Alignment alignment, double dpi) {
  auto* box = new QLineEdit(parent);
  const int maxLength = LatitudeBoxMaxLength(kind);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(TwipsToPixels(rect, dpi));
  if (maxLength > 0) {
    box->setMaxLength(maxLength);
  }
  box->setAlignment(alignment | Qt::AlignVCenter);
  box->setToolTip(QString::fromUtf8(LatitudeBoxToolTip(kind)));
  box->setFont(Face(fonts::kSans, fonts::kDefaultSize));
  KeepPlainText(box);
  return box;
}

}  // namespace

void MainWindow::buildMenu() {
  QMenuBar* bar = menuBar();
  bar->setNativeMenuBar(false);  // the commands stay in the window's own one-row bar
  mnuExit_ = new QAction(QStringLiteral("Exit"), this);
  mnuExit_->setObjectName(QStringLiteral("mnuExit"));
  mnuHelp_ = new QAction(QStringLiteral("Help"), this);
  mnuHelp_->setObjectName(QStringLiteral("mnuHelp"));
  mnuChart_ = new QAction(QStringLiteral("Chart"), this);
  mnuChart_->setObjectName(QStringLiteral("mnuChart"));
  bar->addAction(mnuExit_);
  bar->addAction(mnuHelp_);
  bar->addAction(mnuChart_);
  connect(mnuExit_, &QAction::triggered, this, [this] { guarded([this] { mnuExitClick(); }); });
  connect(mnuHelp_, &QAction::triggered, this, [this] { guarded([this] { mnuHelpClick(); }); });
  connect(mnuChart_, &QAction::triggered, this, [this] { guarded([this] { mnuChartClick(); }); });

  // Which formulas Export, Batch Mode and the chart use; the check mark shows it.
  QMenu* method = bar->addMenu(QStringLiteral("Method"));
  method->setObjectName(QStringLiteral("mnuMethod"));
  methods_ = new QActionGroup(this);
  methods_->setExclusive(true);
  for (const MethodInfo& row : choice::kMethods) {
    QAction* item = method->addAction(QString::fromUtf8(row.caption));
    item->setObjectName(QStringLiteral("mnuMethod_") + QString::fromUtf8(row.name));
    item->setCheckable(true);
    item->setChecked(row.value == Method::Harmonic);
    item->setData(static_cast<int>(row.value));
    item->setToolTip(QString::fromUtf8(row.reference));
    methods_->addAction(item);
  }
}

void MainWindow::buildControls() {
  const double dpi = screen()->logicalDotsPerInch();
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);

  // Created bottom first: a later sibling is drawn above an earlier one, so the export
  // button shows on top of the "Latitude" frame.
  buildLatitudeFrame(dpi);
  frame2_ = MakeFrame(client, "Frame2", "Aggregation", layout::kFrame2, dpi);

  command1_ = new CaptionButton(QStringLiteral(" Export Extraterrestrial Radiation"), client);
  command1_->setObjectName(QStringLiteral("Command1"));
  command1_->setGeometry(TwipsToPixels(layout::kCommand1, dpi));
  QPalette green = command1_->palette();
  green.setColor(QPalette::Button, QColor(128, 255, 128));
  command1_->setPalette(green);

  command2_ = new CaptionButton(QStringLiteral("Batch Mode"), client);
  command2_->setObjectName(QStringLiteral("Command2"));
  command2_->setGeometry(TwipsToPixels(layout::kCommand2, dpi));
  command2_->setFont(Face(fonts::kSans, fonts::kBatchButtonSize, true));

  log_ = new LogModel(this);
  list1_ = new QListView(client);
  list1_->setObjectName(QStringLiteral("List1"));
  list1_->setGeometry(TwipsToPixels(layout::kList1, dpi));
  list1_->setModel(log_);
  list1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list1_->setUniformItemSizes(true);  // a long batch log would otherwise measure every entry

  frame3_ = MakeFrame(client, "Frame3", "Units of the output", layout::kFrame3, dpi);
  buildOptionFrames(dpi);

  for (QPushButton* button : {command1_, command2_}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  connect(command1_, &QPushButton::clicked, this, [this] { guarded([this] { Command1Click(); }); });
  connect(command2_, &QPushButton::clicked, this, [this] { guarded([this] { Command2Click(); }); });
}

void MainWindow::buildLatitudeFrame(double dpi) {
  frame1_ = MakeFrame(centralWidget(), "Frame1", "Latitude", layout::kFrame1, dpi);

  // The line and the labels lie below the boxes.
  auto* line1 = new QFrame(frame1_);
  line1->setObjectName(QStringLiteral("Line1"));
  line1->setFrameShape(QFrame::HLine);
  line1->setFrameShadow(QFrame::Plain);
  line1->setLineWidth(1);
  line1->setGeometry(TwipsToPixels(layout::kLine1, dpi));
  KeepPlainText(line1);

  const QFont caption = Face(fonts::kSans, fonts::kCaptionSize);
  const QFont mono = Face(fonts::kMono, fonts::kCaptionSize);
  MakeLabel(frame1_, "Label7", QStringLiteral("Decimal:"), layout::kLabel7, caption, dpi);
  MakeLabel(frame1_, "Label2", QStringLiteral("°"), layout::kLabel2, mono, dpi);
  MakeLabel(frame1_, "Label5", QStringLiteral("°,',\":"), layout::kLabel5,
            Face(fonts::kSans, fonts::kCaptionSize, true), dpi);
  MakeLabel(frame1_, "Label9", QStringLiteral("°,"), layout::kLabel9, mono, dpi);
  MakeLabel(frame1_, "Label12", QStringLiteral("',"), layout::kLabel12, mono, dpi);
  MakeLabel(frame1_, "Label14", QStringLiteral("\","), layout::kLabel14, mono, dpi);

  const Qt::Alignment right = Qt::AlignRight;
  txtLat_ = MakeBox(frame1_, "txtLat", layout::kTxtLat, LatitudeBox::Decimal, right, dpi);
  txtLat_->setText(QString::fromUtf8(kStartLatitude));
  txtLatGrad_ =
      MakeBox(frame1_, "txtLatGrad", layout::kTxtLatGrad, LatitudeBox::Degrees, right, dpi);
  txtLatMin_ = MakeBox(frame1_, "txtLatMin", layout::kTxtLatMin, LatitudeBox::Minutes, right, dpi);
  txtLatSec_ = MakeBox(frame1_, "txtLatSec", layout::kTxtLatSec, LatitudeBox::Seconds, right, dpi);
  txtLatNS_ =
      MakeBox(frame1_, "txtLatNS", layout::kTxtLatNS, LatitudeBox::Hemisphere, Qt::AlignLeft, dpi);
}

void MainWindow::buildOptionFrames(double dpi) {
  const QFont font = Face(fonts::kSans, fonts::kDefaultSize);
  // Button ids are the codes; captions and tool tips come from the choices' own rows.
  auto add = [&](QGroupBox* frame, QButtonGroup* group, const layout::OptionPlace& place, int id,
                 std::string_view caption, std::string_view toolTip) {
    auto* button = new QRadioButton(QString::fromUtf8(caption), frame);
    button->setObjectName(QString::fromLatin1(place.name));
    button->setGeometry(TwipsToPixels(place.rect, dpi));
    button->setFont(font);
    if (!toolTip.empty()) {
      button->setToolTip(QString::fromUtf8(toolTip));
    }
    KeepPlainText(button);
    group->addButton(button, id);
  };
  aggregation_ = new QButtonGroup(this);
  for (const AggregationInfo& row : choice::kAggregations) {
    if (!row.inWindow) {
      continue;
    }
    add(frame2_, aggregation_, layout::kAggregationOptions[Code(row.value) - 1], Code(row.value),
        row.caption, {});
  }
  units_ = new QButtonGroup(this);
  for (const UnitInfo& row : choice::kUnits) {
    add(frame3_, units_, layout::kUnitOptions[Code(row.value) - 1], Code(row.value), row.label,
        row.toolTip);
  }

  // Of an option group only the selected button is a tab stop; the arrow keys move inside.
  for (QButtonGroup* group : {aggregation_, units_}) {
    for (QAbstractButton* button : group->buttons()) {
      button->setFocusPolicy(Qt::ClickFocus);
    }
    connect(group, &QButtonGroup::buttonToggled, this, [](QAbstractButton* button, bool on) {
      button->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
    });
  }
  aggregation_->button(Code(kDefaultAggregation))->setChecked(true);
  units_->button(Code(kDefaultUnit))->setChecked(true);
}

void MainWindow::setTabOrder() {
  QList<QWidget*> cycle{txtLatNS_, txtLatSec_, txtLatMin_, txtLatGrad_, txtLat_};
  for (QAbstractButton* button : aggregation_->buttons()) {
    cycle.append(button);
  }
  cycle.append({command1_, command2_, list1_});
  for (QAbstractButton* button : units_->buttons()) {
    cycle.append(button);
  }
  for (qsizetype i = 0; i + 1 < cycle.size(); ++i) {
    QWidget::setTabOrder(cycle[i], cycle[i + 1]);
  }
}

void MainWindow::centreOnScreen() {
  // The whole display, task bar included; halves are not clamped, so a window larger than
  // the screen starts off its top-left edge.
  move(CentredIn(screen()->geometry(), frameGeometry().size()).topLeft());
}

void MainWindow::centreOnceFramed(QEvent::Type type) {
  // The frame shows in the first move or resize after the window manager has taken the
  // window; the outer window is centred again then, once. By its activation the window has
  // whatever frame it gets: one without a frame was centred whole at its show.
  if (type != QEvent::Move && type != QEvent::Resize && type != QEvent::WindowActivate) {
    return;
  }
  const bool framed = frameGeometry().size() != size();
  if (framed || type == QEvent::WindowActivate) {
    centring_ = Centring::Done;
  }
  if (framed) {
    centreOnScreen();
  }
}

}  // namespace marovane::ui
