// SPDX-License-Identifier: GPL-3.0-or-later
// The chart window driven through the main window: what it draws against the files that
// Export writes, following the typing, kept curves, FAO-56 and the day length, the pointer's
// reading, pictures and the clipboard. Run with MAROVANE_WINDOW_MANAGER set, on a display with
// a window manager, it checks instead where the chart opens and that real pointer moves read
// the curve.
#include <QAction>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsItem>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QValueAxis>
#include <QXmlStreamReader>

#include "TestWindow.hpp"
#include "export/CycleFile.hpp"
#include "text/NumberText.hpp"
#include "ui/ChartFigure.hpp"
#include "ui/ChartPicture.hpp"
#include "ui/ChartWindow.hpp"
#include "ui/Placement.hpp"

#include <sys/stat.h>

using marovane::ui::ChartWindow;

namespace {

QByteArray ReferenceFile(const QString& name) {
  QFile file(QStringLiteral(MAROVANE_TEST_DATA "/reference/files/") + name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The value field of every data line of a file's text.
QStringList FileValues(const QByteArray& bytes) {
  QStringList values;
  const QList<QByteArray> lines = bytes.split('\n');
  for (qsizetype i = 1; i < lines.size(); ++i) {
    if (!lines[i].isEmpty()) {
      values.append(QString::fromLatin1(lines[i].trimmed().split(',').last().trimmed()));
    }
  }
  return values;
}

QStringList FileValues(float latitude, const marovane::CycleChoice& choice) {
  return FileValues(QByteArray::fromStdString(marovane::AnnualCycleText(latitude, choice)));
}

// The plotted values as the file writes them: each point of a line of days, every other point
// of a step curve (a period's start and end carry the same value).
QStringList PlottedValues(const QLineSeries* series, bool daily) {
  QStringList values;
  const QList<QPointF> points = series->points();
  for (qsizetype i = 0; i < points.size(); i += daily ? 1 : 2) {
    values.append(QString::fromStdString(marovane::DoubleText(points[i].y())));
  }
  return values;
}

// Column `column` (from 0) of the copied table, without its header.
QStringList CopiedColumn(int column) {
  QStringList values;
  const QStringList rows =
      QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  for (qsizetype i = 1; i < rows.size(); ++i) {
    values.append(rows[i].section(QLatin1Char('\t'), column, column));
  }
  return values;
}

struct ChartUnderTest {
  TestWindow t;
  ChartWindow* window = nullptr;

  bool open() {
    if (!t.open()) {
      return false;
    }
    return openChart();
  }
  bool openChart() {
    t.clickMenu("mnuChart");
    window = t.window->chartWindow();
    // The user goes back to the main window to type.
    return window != nullptr && QTest::qWaitForWindowExposed(window) && t.activate();
  }
  QChartView* view() const { return window->findChild<QChartView*>(QStringLiteral("chartView")); }
  QChart* chart() const { return view()->chart(); }
  QLineSeries* series(const QString& name) const {
    for (QAbstractSeries* s : chart()->series()) {
      if (s->objectName() == name) {
        return qobject_cast<QLineSeries*>(s);
      }
    }
    return nullptr;
  }
  QList<QLineSeries*> shown(const QString& prefix) const {
    QList<QLineSeries*> found;
    for (QAbstractSeries* s : chart()->series()) {
      if (s->objectName().startsWith(prefix) && s->isVisible()) {
        found.append(qobject_cast<QLineSeries*>(s));
      }
    }
    return found;
  }
  QValueAxis* axisOf(const QLineSeries* series) const {
    return qobject_cast<QValueAxis*>(
        chart()->axes(Qt::Vertical, const_cast<QLineSeries*>(series)).front());
  }
  template <class T>
  T* control(const char* name) const {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  void click(const char* name) const {
    QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton);
  }
  void choose(int aggregation, int unit) const {
    const char* const aggregations[] = {"Option1", "Option2", "Option3", "Option4"};
    QTest::mouseClick(t.find<QRadioButton>(aggregations[aggregation - 1]), Qt::LeftButton);
    QTest::mouseClick(t.find<QRadioButton>(qPrintable(QStringLiteral("Option%1").arg(unit + 4))),
                      Qt::LeftButton);
  }
  // Types a decimal latitude over the decimal box's text, key by key.
  void typeLatitude(const QString& text) const {
    t.box("txtLat")->clear();
    t.type("txtLat", text);
  }
  // Where the point of day `day` of `series` lies on the view's viewport.
  QPoint onViewport(QLineSeries* series, double day) const {
    double value = 0.0;
    for (const QPointF& p : series->points()) {
      if (p.x() <= day) {
        value = p.y();
      }
    }
    const QPointF inChart = chart()->mapToPosition(QPointF(day, value), series);
    return view()->mapFromScene(chart()->mapToScene(inChart));
  }
  QString reading() const { return control<QLabel>("lblValue")->text(); }
};

// Okabe and Ito's eight colours.
const QSet<QRgb> kOkabeIto{qRgb(0, 0, 0),     qRgb(230, 159, 0),  qRgb(86, 180, 233),
                           qRgb(0, 158, 115), qRgb(240, 228, 66), qRgb(0, 114, 178),
                           qRgb(213, 94, 0),  qRgb(204, 121, 167)};

}  // namespace

class ChartWindowTest : public QObject {
  Q_OBJECT

  ChartUnderTest c;

 private slots:
  void init() { QVERIFY(c.open()); }
  void cleanup() {
    QVERIFY2(c.t.dialogs.done(), "an expected box was not shown");
    c.t.window.reset();
    c.window = nullptr;
  }

  void menuCommandOpensOneWindow() {
    QStringList names;
    for (const QAction* action : c.t.window->menuBar()->actions()) {
      names.append(action->text());
      QCOMPARE(action->menu() != nullptr, action->text() == QLatin1String("Method"));
    }
    QCOMPARE(names, (QStringList{"Exit", "Help", "Chart", "Method"}));
    QVERIFY(c.window->isVisible());
    QVERIFY(c.window->isWindow());
    c.t.clickMenu("mnuChart");
    QCOMPARE(c.t.window->chartWindow(), c.window);
    QVERIFY(QTest::qWaitForWindowActive(c.window));
    QCOMPARE(c.t.window->findChildren<ChartWindow*>().size(), 1);

    c.window->close();  // destroyed on closing; the next click makes a new one
    QTRY_VERIFY(c.t.window->chartWindow() == nullptr);
    c.t.activate();
    c.t.clickMenu("mnuChart");
    QVERIFY(c.t.window->chartWindow() != nullptr);
    QCOMPARE(c.t.window->chartWindow()->windowTitle(),
             QStringLiteral("Annual cycle at 41.9°, Dekadal, MJ/m^2/day"));
  }

  // What is drawn is what Export writes, and Copy values gives the same values; the axes hold
  // the whole curve, week 53 included.
  void drawsTheExportedValues_data() {
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<int>("unit");
    QTest::addColumn<double>("dayAxisEnd");
    QTest::addColumn<QString>("axisTitle");
    QTest::newRow("south, daily") << "-41.9" << 1 << 1 << 366.0 << "MJ m⁻² day⁻¹";
    QTest::newRow("south, weekly") << "-41.9" << 2 << 2 << 372.0 << "J cm⁻² day⁻¹";
    QTest::newRow("equator, monthly") << "0" << 4 << 4 << 366.0 << "W m⁻²";
    QTest::newRow("north, weekly per dekad") << "41.9" << 2 << 6 << 372.0 << "MJ m⁻² dekad⁻¹";
    QTest::newRow("polar night, dekadal") << "67.0761566" << 3 << 7 << 366.0 << "mm dekad⁻¹";
  }
  void drawsTheExportedValues() {
    QFETCH(QString, latitude);
    QFETCH(int, aggregation);
    QFETCH(int, unit);
    QFETCH(double, dayAxisEnd);
    QFETCH(QString, axisTitle);
    c.choose(aggregation, unit);
    c.typeLatitude(latitude);
    const QByteArray file = ReferenceFile(
        QStringLiteral("lat_%1_agg%2_unit%3.csv").arg(latitude).arg(aggregation).arg(unit));
    QVERIFY(!file.isEmpty());

    QLineSeries* curve = c.series(QStringLiteral("radiation"));
    QCOMPARE(PlottedValues(curve, aggregation == 1), FileValues(file));
    const QValueAxis* values = c.axisOf(curve);
    QCOMPARE(values->titleText(), axisTitle);
    QCOMPARE(values->min(), 0.0);
    for (const QPointF& p : curve->points()) {
      QVERIFY(p.y() <= values->max());
    }
    const auto* days = qobject_cast<QCategoryAxis*>(c.chart()->axes(Qt::Horizontal).front());
    QCOMPARE(days->max(), dayAxisEnd);
    QCOMPARE(curve->points().back().x(), aggregation == 1 ? 365.0 : dayAxisEnd);

    QApplication::clipboard()->clear();
    c.click("cmdCopyValues");
    QCOMPARE(CopiedColumn(1), FileValues(file));
    // The clipboard keeps the files' unit.
    QVERIFY(QApplication::clipboard()
                ->text()
                .section(QLatin1Char('\n'), 0, 0)
                .endsWith(QStringLiteral("° (%1)").arg(
                    QString::fromUtf8(marovane::UnitLabel(*marovane::UnitOfCode(unit))))));
  }

  // The months label the day axis in plain letters, each once.
  void monthTicks() {
    auto* axis = qobject_cast<QCategoryAxis*>(c.chart()->axes(Qt::Horizontal).front());
    QList<double> ends;
    for (const QString& label : axis->categoriesLabels()) {
      ends.append(axis->endValue(label));
    }
    QCOMPARE(axis->categoriesLabels().join(QLatin1Char(' ')),
             QStringLiteral("Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec"));
    QCOMPARE(ends, (QList<double>{32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}));
  }

  // Typing in the main window, decimal or in degrees, redraws the chart at every key release
  // that leaves a latitude Export would take; any other text keeps the last curve.
  void followsTheTyping_data() {
    QTest::addColumn<QString>("box");  // txtLat, or dms for degrees,minutes,seconds,hemisphere
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");  // the latitude drawn afterwards
    QTest::addColumn<bool>("follows");
    QTest::addColumn<int>("strange");  // "Strange Location" messages while typing
    QTest::newRow("decimal south") << "txtLat"
                                   << "-33.8675"
                                   << "-33.8675" << true << 0;
    QTest::newRow("degrees south") << "dms"
                                   << "10,30,30,s"
                                   << "-10.508" << true << 0;
    QTest::newRow("two points keep 1.2") << "txtLat"
                                         << "1.2.3"
                                         << "1.2" << false << 0;
    QTest::newRow("empty box keeps the start") << "txtLat"
                                               << ""
                                               << "41.9" << false << 0;
    QTest::newRow("out of range keeps 9") << "txtLat"
                                          << "95"
                                          << "9" << false << 1;
    // 9 degrees (9.9 with the minutes there) is drawn, then nothing past the pole.
    QTest::newRow("degrees beyond the pole") << "dms"
                                             << "99,99,99,S"
                                             << "9.9" << false << 0;
  }
  void followsTheTyping() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(bool, follows);
    QFETCH(int, strange);
    for (int i = 0; i < strange; ++i) {
      c.t.dialogs.expectBox(
          {QStringLiteral("Latitude of your location should be between -90° and +90°."),
           QStringLiteral("Strange Location"), QMessageBox::Critical});
    }
    if (box == QLatin1String("dms")) {
      const QStringList parts = typed.split(QLatin1Char(','));
      const char* names[] = {"txtLatGrad", "txtLatMin", "txtLatSec", "txtLatNS"};
      for (int i = 0; i < 4; ++i) {
        c.t.box(names[i])->clear();
        c.t.type(names[i], parts[i]);
      }
    } else if (typed.isEmpty()) {
      QLineEdit* lat = c.t.box("txtLat");
      lat->setFocus(Qt::OtherFocusReason);
      lat->selectAll();
      QTest::keyClick(lat, Qt::Key_Delete);
    } else {
      c.typeLatitude(typed);
    }
    QCOMPARE(c.window->windowTitle(),
             QStringLiteral("Annual cycle at %1°, Dekadal, MJ/m^2/day").arg(shown));
    QCOMPARE(c.window->data().followsText(), follows);
    const QString status = c.control<QLabel>("lblStatus")->text();
    QCOMPARE(status.contains(QStringLiteral("is not a latitude")), !follows);
    QVERIFY(follows || status.contains(shown + QStringLiteral("°")));
    const float latitude = static_cast<float>(marovane::LeadingNumber(shown.toStdString()));
    QCOMPARE(PlottedValues(c.series(QStringLiteral("radiation")), false),
             FileValues(latitude, marovane::CycleChoice{}));
  }

  // Every curve exists from the start and only shows or hides: Keep, FAO-56, the day length
  // and Clear leave the chart's series and axes as they were. Kept curves follow the unit, in
  // colours from Okabe and Ito's set and dash patterns of their own; the value axis holds them.
  void keptCurvesFao56AndDayLength() {
    const QList<QAbstractSeries*> series = c.chart()->series();
    const QList<QAbstractAxis*> axes = c.chart()->axes();
    QCOMPARE(series.size(), 3 + 2 * marovane::ui::ChartData::kMostKept);
    QCOMPARE(c.shown(QString()).size(), 1);
    for (const char* latitude : {"90", "-33.9", "69.65"}) {
      c.typeLatitude(QString::fromLatin1(latitude));
      c.click("cmdKeep");
    }
    c.typeLatitude(QStringLiteral("0"));
    c.click("chkFao56");
    c.click("chkDayLength");
    c.choose(3, 4);
    QCOMPARE(c.chart()->title(),
             QStringLiteral("Extraterrestrial radiation, dekadal means, W m⁻²; day length, hours"));

    QCOMPARE(c.shown(QStringLiteral("kept")).size(), 3 + 3);  // the kept curves, their day lengths
    QLineSeries* pole = c.series(QStringLiteral("kept1"));
    QStringList names;
    for (QLineSeries* s : c.shown(QString())) {
      names.append(s->name());
      QVERIFY2(kOkabeIto.contains(s->pen().color().rgb()), qPrintable(s->objectName()));
    }
    QCOMPARE(names, (QStringList{"Day length at 90° N", "Day length at 33.9° S",
                                 "Day length at 69.65° N", "Day length at 0°", "90° N", "33.9° S",
                                 "69.65° N", "0°, FAO-56", "0°, Harmonic"}));
    QSet<QList<qreal>> dashes;
    for (QLineSeries* s : c.shown(QStringLiteral("kept"))) {
      QCOMPARE(s->pen().style(), Qt::CustomDashLine);
      if (!s->objectName().contains(QLatin1String("DayLength"))) {
        dashes.insert(s->pen().dashPattern());
      }
    }
    QCOMPARE(dashes.size(), 3);
    QCOMPARE(PlottedValues(c.series(QStringLiteral("keptDayLength1")), false),
             FileValues(90.0f, {marovane::Aggregation::Dekadal, marovane::kDefaultUnit,
                                marovane::Quantity::DayLength}));

    // Kept at 90, then 0 typed: the axis still reaches the pole's summer.
    QCOMPARE(PlottedValues(pole, false),
             FileValues(90.0f, {marovane::Aggregation::Dekadal, marovane::Unit::WPerM2}));
    double highest = 0.0;
    for (const QPointF& p : pole->points()) {
      highest = std::max(highest, p.y());
    }
    QVERIFY(c.axisOf(pole)->max() >= highest);
    QVERIFY(highest > 1.2 * c.window->data().current().table.periods[16].value);

    QLineSeries* fao = c.series(QStringLiteral("fao56"));
    QCOMPARE(fao->pen().style(), Qt::CustomDashLine);
    QVERIFY(fao->pen() != c.series(QStringLiteral("radiation"))->pen());
    QCOMPARE(PlottedValues(fao, false),
             FileValues(0.0f, {marovane::Aggregation::Dekadal, marovane::Unit::WPerM2,
                               marovane::Quantity::Radiation, marovane::Method::Fao56}));
    QLineSeries* hours = c.series(QStringLiteral("dayLength"));
    QCOMPARE(PlottedValues(hours, false),
             FileValues(0.0f, {marovane::Aggregation::Dekadal, marovane::kDefaultUnit,
                               marovane::Quantity::DayLength}));
    QCOMPARE(c.axisOf(hours)->alignment(), Qt::AlignRight);
    QVERIFY(c.axisOf(hours)->isVisible());
    QCOMPARE(c.axisOf(hours)->max(), 24.0);

    c.click("cmdClear");
    c.click("chkFao56");
    c.click("chkDayLength");
    QCOMPARE(c.shown(QString()).size(), 1);
    QVERIFY(!c.axisOf(hours)->isVisible());
    QCOMPARE(c.chart()->series(), series);
    QCOMPARE(c.chart()->axes(), axes);
    QVERIFY(c.control<QPushButton>("cmdKeep")->isEnabled());
    QVERIFY(!c.control<QPushButton>("cmdClear")->isEnabled());
  }

  // The chart follows the Method menu: its main curve, kept curves and day length are the
  // method's, and the box beside the day length adds the other method's curve.
  void followsTheMethod() {
    const marovane::CycleChoice fao56{marovane::Aggregation::Dekadal, marovane::kDefaultUnit,
                                      marovane::Quantity::Radiation, marovane::Method::Fao56};
    const marovane::CycleChoice harmonic{};
    c.click("cmdKeep");  // 41.9
    c.typeLatitude(QStringLiteral("-20"));
    c.click("chkFao56");
    c.click("chkDayLength");
    struct Step {
      const char* item;
      marovane::CycleChoice chosen;
      marovane::CycleChoice other;
      QString box;
      QStringList names;
    };
    const Step steps[] = {
        {"mnuMethod_fao56",
         fao56,
         harmonic,
         QStringLiteral("&Harmonic"),
         {"Day length at 41.9° N", "Day length at 20° S", "41.9° N", "20° S, Harmonic",
          "20° S, FAO-56"}},
        {"mnuMethod_harmonic",
         harmonic,
         fao56,
         QStringLiteral("&FAO-56"),
         {"Day length at 41.9° N", "Day length at 20° S", "41.9° N", "20° S, FAO-56",
          "20° S, Harmonic"}},
    };
    for (const Step& step : steps) {
      c.t.window->findChild<QAction*>(QString::fromLatin1(step.item))->trigger();
      QCOMPARE(c.control<QCheckBox>("chkFao56")->text(), step.box);
      QCOMPARE(PlottedValues(c.series(QStringLiteral("radiation")), false),
               FileValues(-20.0f, step.chosen));
      QCOMPARE(PlottedValues(c.series(QStringLiteral("fao56")), false),
               FileValues(-20.0f, step.other));
      QCOMPARE(PlottedValues(c.shown(QStringLiteral("kept1")).front(), false),
               FileValues(41.9f, step.chosen));
      marovane::CycleChoice hours = step.chosen;
      hours.quantity = marovane::Quantity::DayLength;
      QCOMPARE(PlottedValues(c.series(QStringLiteral("dayLength")), false),
               FileValues(-20.0f, hours));
      QStringList names;
      for (QLineSeries* s : c.shown(QString())) {
        names.append(s->name());
      }
      QCOMPARE(names, step.names);
    }
  }

  // The key names each curve drawn once, whole, in the window and in the slide's picture,
  // clear of the plot; no two curves drawn share a colour and a dash pattern.
  void keyAndStrokes_data() {
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QString>("drawn");
    QTest::addColumn<bool>("fao56");
    QTest::addColumn<bool>("dayLength");
    QTest::addColumn<QStringList>("key");
    QTest::addColumn<int>("curves");
    QTest::newRow("one curve, named by the title")
        << QStringList{} << "41.9" << false << false << QStringList{} << 1;
    QTest::newRow("the latitude drawn kept: drawn once")
        << QStringList{"-33.9", "41.9"} << "41.9" << false << false
        << QStringList{"33.9° S", "41.9° N"} << 2;
    QTest::newRow("kept, beside FAO-56")
        << QStringList{"41.9"} << "41.9" << true << true
        << QStringList{"41.9° N, Harmonic", "41.9° N, FAO-56", "Day length (dotted, right axis)"}
        << 3;
    QTest::newRow("8 kept, FAO-56, day length")
        << QStringList{"-33.8675", "-20", "0", "20", "41.9", "60", "69.65", "90"} << "10" << true
        << true
        << QStringList{"33.8675° S",
                       "20° S",
                       "0°",
                       "20° N",
                       "41.9° N",
                       "60° N",
                       "69.65° N",
                       "90° N",
                       "10° N, Harmonic",
                       "10° N, FAO-56",
                       "Day length (dotted, right axis)"}
        << 8 + 1 + 1 + 9;
  }
  void keyAndStrokes() {
    QFETCH(QStringList, kept);
    QFETCH(QString, drawn);
    QFETCH(bool, fao56);
    QFETCH(bool, dayLength);
    QFETCH(QStringList, key);
    QFETCH(int, curves);
    for (const QString& latitude : kept) {
      c.typeLatitude(latitude);
      c.click("cmdKeep");
    }
    c.typeLatitude(drawn);
    c.control<QCheckBox>("chkFao56")->setChecked(fao56);
    c.control<QCheckBox>("chkDayLength")->setChecked(dayLength);
    QSet<QString> strokes;
    for (const QLineSeries* s : c.shown(QString())) {
      QStringList dashes;
      for (const qreal d : s->pen().dashPattern()) {
        dashes.append(QString::number(d));
      }
      strokes.insert(s->pen().color().name() + QLatin1Char(' ') +
                     (s->pen().style() == Qt::SolidLine ? QStringLiteral("solid")
                                                        : dashes.join(QLatin1Char(','))));
    }
    QCOMPARE(c.shown(QString()).size(), curves);
    QCOMPARE(strokes.size(), curves);

    // In the window as the test opens it, and laid out as the picture lays it out.
    auto* inWindow = static_cast<marovane::ui::ChartFigure*>(c.chart());
    QGraphicsScene scene;
    auto* forPicture = new marovane::ui::ChartFigure();
    scene.addItem(forPicture);
    forPicture->draw(c.window->data());
    forPicture->setGeometry(QRectF(0, 0, 800, 500));
    forPicture->layout()->activate();
    QTest::qWait(20);
    for (const marovane::ui::ChartFigure* figure : {inWindow, forPicture}) {
      QStringList texts;
      const QList<marovane::ui::ChartFigure::KeyEntry>& entries = figure->key();
      const QFontMetricsF metrics(figure->legend()->font());
      for (qsizetype i = 0; i < entries.size(); ++i) {
        const QRectF& box = entries[i].box;
        texts.append(entries[i].text);
        QVERIFY2(figure->rect().contains(box), qPrintable(entries[i].text));
        QVERIFY2(box.width() > metrics.horizontalAdvance(entries[i].text) + 30,
                 qPrintable(entries[i].text));
        QVERIFY2(box.top() > figure->plotArea().bottom() + 20, qPrintable(entries[i].text));
        for (qsizetype j = 0; j < i; ++j) {
          QVERIFY2(!box.intersects(entries[j].box), qPrintable(entries[i].text));
        }
      }
      QCOMPARE(texts, key);
      QVERIFY(!figure->legend()->isVisible());
    }
  }

  // A long text in the decimal box says so on the status line without widening the window.
  void longStatusKeepsTheWidth() {
    const int width = c.window->width();
    const QString typed = QStringLiteral("1.2.3.4.5.6.7.8.9.10.11.12.13.14.15.16.17.18.19.20");
    c.typeLatitude(typed);
    QTest::qWait(20);
    const QString status = c.control<QLabel>("lblStatus")->text();
    QVERIFY2(status.contains(QStringLiteral("is not a latitude")), qPrintable(status));
    QVERIFY2(status.size() > 60, qPrintable(status));
    QCOMPARE(c.window->width(), width);
    QVERIFY(c.window->minimumSizeHint().width() <= width);
    QCOMPARE(c.control<QLabel>("lblStatus")->toolTip(), status);
  }

  // The pointer on a curve reads its period as the file writes it, naming the method; off the
  // curves it reads nothing. Between two curves within reach it reads the nearer, whichever
  // was drawn first; the last day of a daily curve is day 365.
  void pointerReading_data() {
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<QString>("box");  // the check box ticked as well
    QTest::addColumn<QString>("series");
    QTest::addColumn<double>("day");
    QTest::addColumn<QString>("other");  // a curve the pointer lies between `series` and...
    QTest::addColumn<double>("share");   // ...at this share of the way towards it
    QTest::addColumn<QString>("text");
    const QStringList one{"-41.9"};
    const QStringList two{"-10", "-2"};
    QTest::newRow("dekad 17") << one << 3 << "chkDayLength"
                              << "radiation" << 166.0 << "" << 0.0
                              << "Dekad 17 at 41.9° N (Harmonic): 41.879 MJ m⁻² day⁻¹";
    QTest::newRow("FAO-56, dekad 1")
        << one << 3 << "chkFao56"
        << "fao56" << 5.0 << "" << 0.0 << "Dekad 1 at 41.9° N (FAO-56): ";
    QTest::newRow("day length") << one << 3 << "chkDayLength"
                                << "dayLength" << 176.0 << "" << 0.0
                                << "Dekad 18 at 41.9° N (day length): ";
    QTest::newRow("kept") << one << 3 << "chkDayLength"
                          << "kept1" << 349.0 << "" << 0.0
                          << "Dekad 35 at 41.9° S (Harmonic): 44.623 MJ m⁻² day⁻¹";
    QTest::newRow("nearer the first kept")
        << two << 3 << ""
        << "kept1" << 166.0 << "kept2" << 0.3 << "Dekad 17 at 10° S (Harmonic): ";
    QTest::newRow("nearer the second kept")
        << two << 3 << ""
        << "kept1" << 166.0 << "kept2" << 0.7 << "Dekad 17 at 2° S (Harmonic): ";
    QTest::newRow("day 365") << one << 1 << "chkDayLength"
                             << "radiation" << 365.0 << "" << 0.0
                             << "Day 365 at 41.9° N (Harmonic): 12.599 MJ m⁻² day⁻¹";
  }
  void pointerReading() {
    QFETCH(QStringList, kept);
    QFETCH(int, aggregation);
    QFETCH(QString, box);
    QFETCH(QString, series);
    QFETCH(double, day);
    QFETCH(QString, other);
    QFETCH(double, share);
    QFETCH(QString, text);
    c.choose(aggregation, 1);
    for (const QString& latitude : kept) {
      c.typeLatitude(latitude);
      c.click("cmdKeep");
    }
    c.typeLatitude(QStringLiteral("41.9"));
    if (!box.isEmpty()) {
      c.click(qPrintable(box));
    }
    QWidget* viewport = c.view()->viewport();
    QTest::qWait(20);  // the chart lays out anew with the right axis
    QPoint at = c.onViewport(c.series(series), day);
    if (!other.isEmpty()) {
      // Both within reach (14 pixels), one nearer.
      const QPoint there = c.onViewport(c.series(other), day);
      QCOMPARE(there.x(), at.x());
      const int gap = std::abs(there.y() - at.y());
      QVERIFY2(gap >= 8 && gap <= 18, qPrintable(QString::number(gap)));
      at.setY(at.y() + static_cast<int>(std::lround(share * (there.y() - at.y()))));
    }
    QTest::mouseMove(viewport, at);
    QTRY_VERIFY2(c.reading().startsWith(text), qPrintable(c.reading()));
    bool boxShown = false;
    for (const QGraphicsItem* item : c.chart()->childItems()) {
      boxShown = boxShown || (item->zValue() == 100 && item->isVisible());
    }
    QVERIFY(boxShown);
    QTest::mouseMove(viewport, QPoint(2, 2));
    QTRY_COMPARE(c.reading(), QString());
  }

  // A name the chart cannot be written to is told, naming it, and nothing is left behind; a
  // named pipe, or a link to one, is refused at once, where opened it would hold both windows
  // until read, and the window saves the next picture as ever.
  void saveImage_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("made");     // what lies at the name beforehand
    QTest::addColumn<QString>("refusal");  // the message after the name, when refused
    QTest::newRow("png") << "chart.png"
                         << ""
                         << "";
    QTest::newRow("png in capitals") << "CHART.PNG"
                                     << ""
                                     << "";
    QTest::newRow("svg") << "chart.svg"
                         << ""
                         << "";
    QTest::newRow("other ending") << "chart.jpg"
                                  << ""
                                  << "was not written: a chart is saved as .png or .svg.";
    QTest::newRow("missing folder") << "no/chart.png"
                                    << ""
                                    << "could not be written: No such file or directory.";
    QTest::newRow("named pipe") << "pipe.png"
                                << "pipe"
                                << "could not be written: it is not a regular file.";
    QTest::newRow("link to a named pipe") << "link.svg"
                                          << "link"
                                          << "could not be written: it is not a regular file.";
  }
  void saveImage() {
    QFETCH(QString, name);
    QFETCH(QString, made);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (!made.isEmpty()) {
      const QString pipe = dir.filePath(QStringLiteral("fifo"));
      QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
      QVERIFY(made == QLatin1String("pipe") ? QFile::rename(pipe, path) : QFile::link(pipe, path));
    }
    const auto everything = QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;
    const QStringList before = QDir(dir.path()).entryList(everything);
    c.t.dialogs.expectImageFile(path);
    if (!refusal.isEmpty()) {
      c.t.dialogs.expectBox({path + QLatin1Char(' ') + refusal, marovane::ui::kApplicationTitle,
                             QMessageBox::Critical});
    }
    c.typeLatitude(QStringLiteral("-33.9"));
    c.click("cmdKeep");
    c.typeLatitude(QStringLiteral("41.9"));
    QElapsedTimer clock;
    clock.start();
    {
      const Watchdog watchdog("saving a chart to a named pipe", 10);
      c.click("cmdSaveImage");
    }
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(c.t.dialogs.done());
    if (!refusal.isEmpty()) {
      QCOMPARE(QDir(dir.path()).entryList(everything), before);
      if (!made.isEmpty()) {
        const QString next = dir.filePath(QStringLiteral("next.png"));
        c.t.dialogs.expectImageFile(next);
        c.click("cmdSaveImage");
        QImage image;
        QVERIFY(image.load(next, "png"));
        QCOMPARE(image.size(), QSize(1600, 1000));
      }
      return;
    }
    if (name.endsWith(QLatin1String("png"), Qt::CaseInsensitive)) {
      QImage image;
      QVERIFY(image.load(path, "png"));
      QCOMPARE(image.size(), QSize(1600, 1000));
      return;
    }
    // The chart alone: its own texts, none of the window's, and nothing invisible in them.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QList<QStringList> segments;  // the lines drawn in the current curve's colour
    bool inCurveColour = false;
    QStringList texts;
    QString viewBox;
    QSize size;
    QSet<QString> families;
    QString titleAnchor;
    const QString title = QStringLiteral("Extraterrestrial radiation, dekadal means, MJ m⁻² day⁻¹");
    while (!xml.atEnd()) {
      if (xml.readNext() != QXmlStreamReader::StartElement) {
        continue;
      }
      if (xml.attributes().hasAttribute(QLatin1String("font-family"))) {
        families.insert(xml.attributes().value(QLatin1String("font-family")).toString());
      }
      if (xml.name() == QLatin1String("svg")) {
        viewBox = xml.attributes().value(QLatin1String("viewBox")).toString();
        // Pixels, as the PNG: a bare number, no page in millimetres.
        size = QSize(xml.attributes().value(QLatin1String("width")).toInt(),
                     xml.attributes().value(QLatin1String("height")).toInt());
      } else if (xml.name() == QLatin1String("g")) {
        inCurveColour = xml.attributes().value(QLatin1String("stroke")) == QLatin1String("#0072b2");
      } else if (xml.name() == QLatin1String("polyline") && inCurveColour) {
        segments.append(xml.attributes()
                            .value(QLatin1String("points"))
                            .toString()
                            .split(QLatin1Char(' '), Qt::SkipEmptyParts));
      } else if (xml.name() == QLatin1String("text")) {
        const QString anchor = xml.attributes().value(QLatin1String("text-anchor")).toString();
        texts.append(xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified());
        if (texts.back() == title) {
          titleAnchor = anchor;
        }
      }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(viewBox, QStringLiteral("0 0 800 500"));
    QCOMPARE(size, QSize(1600, 1000));
    QCOMPARE(families, QSet<QString>{QStringLiteral("sans-serif")});
    QCOMPARE(titleAnchor, QStringLiteral("middle"));
    // The dekadal step curve, 72 points joined by 71 lines each starting where the last
    // ended, and the legend's stroke.
    QCOMPARE(segments.size(), 72);
    int joined = 0;
    for (qsizetype i = 1; i < segments.size(); ++i) {
      joined += segments[i].front() == segments[i - 1].back() ? 1 : 0;
    }
    QCOMPARE(joined, 70);
    for (const char* text : {"Extraterrestrial radiation, dekadal means, MJ m⁻² day⁻¹", "33.9° S",
                             "41.9° N", "Jan", "Dec"}) {
      QVERIFY2(texts.contains(QString::fromUtf8(text)), text);
    }
    for (const QString& text : texts) {
      QVERIFY(!text.contains(QLatin1String("Keep")) && !text.contains(QLatin1String("Follows")));
      for (const QChar ch : text) {
        QVERIFY2(ch.isPrint() && ch.category() != QChar::Other_Format, qPrintable(text));
      }
    }
    // As a viewer draws it: the PNG's size, the title's ink centred across it.
    const QString drawnPng = dir.filePath(QStringLiteral("drawn.png"));
    QCOMPARE(
        QProcess::execute(QStringLiteral("rsvg-convert"), {path, QStringLiteral("-o"), drawnPng}),
        0);
    QImage drawn;
    QVERIFY(drawn.load(drawnPng, "png"));
    QCOMPARE(drawn.size(), QSize(1600, 1000));
    auto titleInk = [](const QImage& image) {
      int left = image.width();
      int right = -1;
      for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < image.width(); ++x) {
          const QColor pixel = image.pixelColor(x, y);
          if (pixel.alpha() > 128 && pixel.lightness() < 128) {
            left = std::min(left, x);
            right = std::max(right, x);
          }
        }
      }
      return std::pair(left, right);
    };
    const auto [left, right] = titleInk(drawn);
    QVERIFY2(right > left && std::abs((left + right) / 2 - 800) <= 12,
             qPrintable(QStringLiteral("title from %1 to %2").arg(left).arg(right)));
    // Type of the PNG's size: the title about as wide in both.
    QString error;
    QImage png;
    QVERIFY(png.loadFromData(
        marovane::ui::ChartPicture(c.window->data(), marovane::ui::PictureKind::Png,
                                   marovane::ui::kSlideSize, &error),
        "png"));
    const auto [pngLeft, pngRight] = titleInk(png);
    QVERIFY2(std::abs((right - left) - (pngRight - pngLeft)) <= (pngRight - pngLeft) / 20,
             qPrintable(QStringLiteral("%1 beside %2").arg(right - left).arg(pngRight - pngLeft)));
  }

  // Where the screen has room, the chart leaves the main window uncovered.
  void openedBesideTheMainWindow() {
    c.window->close();
    QTRY_VERIFY(c.t.window->chartWindow() == nullptr);
    const QRect available = c.t.window->screen()->availableGeometry();
    c.t.window->resize(240, 200);
    c.t.window->move(available.topLeft());
    c.t.activate();
    QVERIFY(c.openChart());
    QVERIFY(available.contains(c.window->frameGeometry()));
    QVERIFY(!c.window->frameGeometry().intersects(c.t.window->frameGeometry()));
    QVERIFY(c.window->frameGeometry().left() > c.t.window->frameGeometry().right());
  }

  // Runs last: it ends the application's event loop. Unlike the help window, an open chart
  // does not keep the program running once the main window is closed.
  void endsWithTheMainWindow() {
    bool timedOut = false;
    QTimer::singleShot(0, c.t.window.get(), [&] { c.t.window->close(); });
    QTimer::singleShot(5000, qApp, [&] {
      timedOut = true;
      QCoreApplication::quit();
    });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!timedOut);
  }
};

// Under a real window manager (tests/ui/centred_under_window_manager.sh runs it).
class ChartUnderWindowManagerTest : public QObject {
  Q_OBJECT

  ChartUnderTest c;

 private slots:
  void initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY(c.t.open());
    // The main window is centred again once the window manager has framed it.
    QTRY_VERIFY(c.t.window->frameGeometry().size() != c.t.window->size());
    QTest::qWait(300);
    QVERIFY(c.openChart());
    QTRY_VERIFY(c.window->frameGeometry().size() != c.window->size());
    QTest::qWait(300);
  }

  // Never over the main window's Latitude frame; with room, over none of the main window;
  // without, where PlaceBeside found the least to cover.
  void placedClearOfTheLatitudeFrame() {
    const QWidget* latitude = c.t.find("Frame1");
    const QRect clear(latitude->mapToGlobal(QPoint(0, 0)), latitude->size());
    const QRect main = c.t.window->frameGeometry();
    const QRect chart = c.window->frameGeometry();
    const QRect available = c.window->screen()->availableGeometry();
    qInfo(
        "screen %dx%d: main window at %d,%d %dx%d, Latitude frame at %d,%d %dx%d, chart at %d,%d "
        "%dx%d",
        available.width(), available.height(), main.x(), main.y(), main.width(), main.height(),
        clear.x(), clear.y(), clear.width(), clear.height(), chart.x(), chart.y(), chart.width(),
        chart.height());
    QVERIFY(!chart.intersects(clear));
    QVERIFY(available.contains(chart));
    const QSize margins = chart.size() - c.window->size();
    const QSize minimum = QSize(480, 340).expandedTo(c.window->minimumSizeHint());
    const QRect expected = marovane::ui::PlaceBeside(main, clear, QSize(660, 460) + margins,
                                                     minimum + margins, available);
    QCOMPARE(chart, expected);
    if (available.width() >= 1920) {
      QVERIFY(!chart.intersects(main));
    }
  }

  // The real pointer, moved by the X server while the main window keeps the focus, reads the
  // curve under it and nothing once it leaves the plot.
  void readoutFollowsTheRealPointer() {
    // The window manager may give the new chart the focus: the user clicks back into the main
    // window.
    c.t.window->activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == c.t.window.get());
    QLineSeries* curve = c.series(QStringLiteral("radiation"));
    auto moveTo = [](const QPoint& global) {
      return QProcess::execute(
          QStringLiteral("xdotool"),
          {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
    };
    const QPoint onCurve = c.view()->viewport()->mapToGlobal(c.onViewport(curve, 166.0));
    QCOMPARE(moveTo(onCurve + QPoint(30, 30)), 0);
    QCOMPARE(moveTo(onCurve), 0);
    QTRY_COMPARE(c.reading(),
                 QStringLiteral("Dekad 17 at 41.9° N (Harmonic): 41.879 MJ m⁻² day⁻¹"));
    QCOMPARE(moveTo(c.window->frameGeometry().topLeft() - QPoint(5, 5)), 0);
    QTRY_COMPARE(c.reading(), QString());
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (qEnvironmentVariableIsSet("MAROVANE_WINDOW_MANAGER")) {
    ChartUnderWindowManagerTest test;
    return QTest::qExec(&test, argc, argv);
  }
  ChartWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "ChartWindowTest.moc"
