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
#include <QDir>
#include <QElapsedTimer>
#include <QClipboard>
#include <QFile>
#include <QGraphicsItem>
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
  const QStringList rows = QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
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
    return qobject_cast<QValueAxis*>(chart()->axes(Qt::Vertical, const_cast<QLineSeries*>(series)).front());
  }
  template <class T>
  T* control(const char* name) const {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  void click(const char* name) const { QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton); }
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
const QSet<QRgb> kOkabeIto{qRgb(0, 0, 0),     qRgb(230, 159, 0), qRgb(86, 180, 233),
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
    QTest::newRow("south, daily") << "-41.9" << 1 << 1 << 366.0;
    QTest::newRow("south, weekly") << "-41.9" << 2 << 2 << 372.0;
    QTest::newRow("equator, monthly") << "0" << 4 << 4 << 366.0;
    QTest::newRow("north, weekly per dekad") << "41.9" << 2 << 6 << 372.0;
    QTest::newRow("polar night, dekadal") << "67.0761566" << 3 << 7 << 366.0;
  }
  void drawsTheExportedValues() {
    QFETCH(QString, latitude);
    QFETCH(int, aggregation);
    QFETCH(int, unit);
    QFETCH(double, dayAxisEnd);
    c.choose(aggregation, unit);
    c.typeLatitude(latitude);
    const QByteArray file = ReferenceFile(
        QStringLiteral("lat_%1_agg%2_unit%3.csv").arg(latitude).arg(aggregation).arg(unit));
    QVERIFY(!file.isEmpty());

    QLineSeries* curve = c.series(QStringLiteral("radiation"));
    QCOMPARE(PlottedValues(curve, aggregation == 1), FileValues(file));
    const QValueAxis* values = c.axisOf(curve);
    QCOMPARE(values->titleText(), QString::fromUtf8(marovane::UnitLabel(*marovane::UnitOfCode(unit))));
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
    QTest::addColumn<QString>("box");    // txtLat, or dms for degrees,minutes,seconds,hemisphere
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");  // the latitude drawn afterwards
    QTest::addColumn<bool>("follows");
    QTest::addColumn<int>("strange");    // "Strange Location" messages while typing
    QTest::newRow("decimal south") << "txtLat" << "-33.8675" << "-33.8675" << true << 0;
    QTest::newRow("degrees south") << "dms" << "10,30,30,s" << "-10.508" << true << 0;
    QTest::newRow("two points keep 1.2") << "txtLat" << "1.2.3" << "1.2" << false << 0;
    QTest::newRow("empty box keeps the start") << "txtLat" << "" << "41.9" << false << 0;
    QTest::newRow("out of range keeps 9") << "txtLat" << "95" << "9" << false << 1;
    // 9 degrees (9.9 with the minutes there) is drawn, then nothing past the pole.
    QTest::newRow("degrees beyond the pole") << "dms" << "99,99,99,S" << "9.9" << false << 0;
  }
  void followsTheTyping() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(bool, follows);
    QFETCH(int, strange);
    for (int i = 0; i < strange; ++i) {
      c.t.dialogs.expectBox({QStringLiteral("Latitude of your location should be between -90° and +90°."),
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
    QCOMPARE(c.window->windowTitle(), QStringLiteral("Annual cycle at %1°, Dekadal, MJ/m^2/day").arg(shown));
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
    QCOMPARE(series.size(), 3 + marovane::ui::ChartData::kMostKept);
    QCOMPARE(c.shown(QString()).size(), 1);
    for (const char* latitude : {"90", "-33.9", "69.65"}) {
      c.typeLatitude(QString::fromLatin1(latitude));
      c.click("cmdKeep");
    }
    c.typeLatitude(QStringLiteral("0"));
    c.click("chkFao56");
    c.click("chkDayLength");
    c.choose(3, 4);
    QCOMPARE(c.chart()->title(), QStringLiteral("Annual cycle, Dekadal, W/m^2"));

    const QList<QLineSeries*> kept = c.shown(QStringLiteral("kept"));
    QCOMPARE(kept.size(), 3);
    QStringList names;
    QSet<QString> strokes;
    for (QLineSeries* s : c.shown(QString())) {
      names.append(s->name());
      QVERIFY2(kOkabeIto.contains(s->pen().color().rgb()), qPrintable(s->objectName()));
      strokes.insert(s->pen().color().name() + QString::number(s->pen().dashPattern().size()) +
                     QString::number(s->pen().dashPattern().value(0)));
    }
    QCOMPARE(names, (QStringList{"90°", "-33.9°", "69.65°", "0°, FAO-56", "Day length at 0°", "0°, Harmonic"}));
    QCOMPARE(strokes.size(), 6);
    QSet<QList<qreal>> dashes;
    for (QLineSeries* s : kept) {
      QCOMPARE(s->pen().style(), Qt::CustomDashLine);
      dashes.insert(s->pen().dashPattern());
    }
    QCOMPARE(dashes.size(), 3);

    // Kept at 90, then 0 typed: the axis still reaches the pole's summer.
    QCOMPARE(PlottedValues(kept.front(), false), FileValues(90.0f, {marovane::Aggregation::Dekadal, marovane::Unit::WPerM2}));
    double highest = 0.0;
    for (const QPointF& p : kept.front()->points()) {
      highest = std::max(highest, p.y());
    }
    QVERIFY(c.axisOf(kept.front())->max() >= highest);
    QVERIFY(highest > 1.2 * c.window->data().current().table.periods[16].value);

    QLineSeries* fao = c.series(QStringLiteral("fao56"));
    QCOMPARE(fao->pen().style(), Qt::CustomDashLine);
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
        {"mnuMethod_fao56", fao56, harmonic, QStringLiteral("&Harmonic"),
         {"41.9°", "-20°, Harmonic", "Day length at -20°", "-20°, FAO-56"}},
        {"mnuMethod_harmonic", harmonic, fao56, QStringLiteral("&FAO-56"),
         {"41.9°", "-20°, FAO-56", "Day length at -20°", "-20°, Harmonic"}},
    };
    for (const Step& step : steps) {
      c.t.window->findChild<QAction*>(QString::fromLatin1(step.item))->trigger();
      QCOMPARE(c.control<QCheckBox>("chkFao56")->text(), step.box);
      QCOMPARE(PlottedValues(c.series(QStringLiteral("radiation")), false),
               FileValues(-20.0f, step.chosen));
      QCOMPARE(PlottedValues(c.series(QStringLiteral("fao56")), false),
               FileValues(-20.0f, step.other));
      QCOMPARE(PlottedValues(c.shown(QStringLiteral("kept")).front(), false),
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
    QTest::newRow("dekad 17") << one << 3 << "chkDayLength" << "radiation" << 166.0 << "" << 0.0 << "Dekad 17 at 41.9° (Harmonic): 41.879 MJ/m^2/day";
    QTest::newRow("FAO-56, dekad 1") << one << 3 << "chkFao56" << "fao56" << 5.0 << "" << 0.0 << "Dekad 1 at 41.9° (FAO-56): ";
    QTest::newRow("day length") << one << 3 << "chkDayLength" << "dayLength" << 176.0 << "" << 0.0 << "Dekad 18 at 41.9° (day length): ";
    QTest::newRow("kept") << one << 3 << "chkDayLength" << "kept1" << 349.0 << "" << 0.0 << "Dekad 35 at -41.9° (Harmonic): 44.623 MJ/m^2/day";
    QTest::newRow("nearer the first kept") << two << 3 << "" << "kept1" << 166.0 << "kept2" << 0.3 << "Dekad 17 at -10° (Harmonic): ";
    QTest::newRow("nearer the second kept") << two << 3 << "" << "kept1" << 166.0 << "kept2" << 0.7 << "Dekad 17 at -2° (Harmonic): ";
    QTest::newRow("day 365") << one << 1 << "chkDayLength" << "radiation" << 365.0 << "" << 0.0 << "Day 365 at 41.9° (Harmonic): 12.599 MJ/m^2/day";
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
    QTest::newRow("png") << "chart.png" << "" << "";
    QTest::newRow("png in capitals") << "CHART.PNG" << "" << "";
    QTest::newRow("svg") << "chart.svg" << "" << "";
    QTest::newRow("other ending") << "chart.jpg" << "" << "was not written: a chart is saved as .png or .svg.";
    QTest::newRow("missing folder") << "no/chart.png" << "" << "could not be written: No such file or directory.";
    QTest::newRow("named pipe") << "pipe.png" << "pipe" << "could not be written: it is not a regular file.";
    QTest::newRow("link to a named pipe") << "link.svg" << "link" << "could not be written: it is not a regular file.";
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
    while (!xml.atEnd()) {
      if (xml.readNext() != QXmlStreamReader::StartElement) {
        continue;
      }
      if (xml.name() == QLatin1String("svg")) {
        viewBox = xml.attributes().value(QLatin1String("viewBox")).toString();
      } else if (xml.name() == QLatin1String("g")) {
        inCurveColour = xml.attributes().value(QLatin1String("stroke")) == QLatin1String("#0072b2");
      } else if (xml.name() == QLatin1String("polyline") && inCurveColour) {
        segments.append(xml.attributes().value(QLatin1String("points")).toString().split(
            QLatin1Char(' '), Qt::SkipEmptyParts));
      } else if (xml.name() == QLatin1String("text")) {
        texts.append(xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified());
      }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(viewBox, QStringLiteral("0 0 800 500"));
    // The dekadal step curve, 72 points joined by 71 lines each starting where the last
    // ended, and the legend's stroke.
    QCOMPARE(segments.size(), 72);
    int joined = 0;
    for (qsizetype i = 1; i < segments.size(); ++i) {
      joined += segments[i].front() == segments[i - 1].back() ? 1 : 0;
    }
    QCOMPARE(joined, 70);
    for (const char* text : {"Annual cycle, Dekadal, MJ/m^2/day", "-33.9°", "41.9°", "Jan", "Dec"}) {
      QVERIFY2(texts.contains(QString::fromUtf8(text)), text);
    }
    for (const QString& text : texts) {
      QVERIFY(!text.contains(QLatin1String("Keep")) && !text.contains(QLatin1String("Follows")));
      for (const QChar ch : text) {
        QVERIFY2(ch.isPrint() && ch.category() != QChar::Other_Format, qPrintable(text));
      }
    }
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
    qInfo("screen %dx%d: main window at %d,%d %dx%d, Latitude frame at %d,%d %dx%d, chart at %d,%d %dx%d",
          available.width(), available.height(), main.x(), main.y(), main.width(), main.height(),
          clear.x(), clear.y(), clear.width(), clear.height(), chart.x(), chart.y(),
          chart.width(), chart.height());
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
    // The window manager may give the new chart the focus: the user clicks back into the main window.
    c.t.window->activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == c.t.window.get());
    QLineSeries* curve = c.series(QStringLiteral("radiation"));
    auto moveTo = [](const QPoint& global) {
      return QProcess::execute(QStringLiteral("xdotool"),
                               {QStringLiteral("mousemove"), QString::number(global.x()),
                                QString::number(global.y())});
    };
    const QPoint onCurve = c.view()->viewport()->mapToGlobal(c.onViewport(curve, 166.0));
    QCOMPARE(moveTo(onCurve + QPoint(30, 30)), 0);
    QCOMPARE(moveTo(onCurve), 0);
    QTRY_COMPARE(c.reading(), QStringLiteral("Dekad 17 at 41.9° (Harmonic): 41.879 MJ/m^2/day"));
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
