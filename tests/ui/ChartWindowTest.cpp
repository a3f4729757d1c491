// SPDX-License-Identifier: GPL-3.0-or-later
// The chart window driven through the main window: what it draws against the files that
// Export writes, following the typing, kept curves, day length, pictures and the clipboard.
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
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

QStringList FileValues(const std::string& bytes) {
  return FileValues(QByteArray::fromStdString(bytes));
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

struct ChartUnderTest {
  TestWindow t;
  ChartWindow* window = nullptr;

  bool open() {
    if (!t.open()) {
      return false;
    }
    t.clickMenu("mnuChart");
    window = t.window->chartWindow();
    // The user goes back to the main window to type.
    return window != nullptr && QTest::qWaitForWindowExposed(window) && t.activate();
  }
  QChart* chart() const { return window->findChild<QChartView*>(QStringLiteral("chartView"))->chart(); }
  QLineSeries* series(const QString& name) const {
    for (QAbstractSeries* s : chart()->series()) {
      if (s->objectName() == name) {
        return qobject_cast<QLineSeries*>(s);
      }
    }
    return nullptr;
  }
  QList<QLineSeries*> kept() const {
    QList<QLineSeries*> found;
    for (QAbstractSeries* s : chart()->series()) {
      if (s->objectName().startsWith(QLatin1String("kept"))) {
        found.append(qobject_cast<QLineSeries*>(s));
      }
    }
    return found;
  }
  template <class T>
  T* control(const char* name) const {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  void click(const char* name) const { QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton); }
  void choose(const QString& option) const {
    QTest::mouseClick(t.find<QRadioButton>(qPrintable(option)), Qt::LeftButton);
  }
  // Types a decimal latitude over the decimal box's text, key by key.
  void typeLatitude(const QString& text) const {
    t.box("txtLat")->clear();
    t.type("txtLat", text);
  }
  QString status() const { return control<QLabel>("lblStatus")->text(); }
};

const char* const kUnitOptions[] = {"Option5", "Option6", "Option7", "Option8",
                                    "Option9", "Option10", "Option11"};
const char* const kAggregationOptions[] = {"Option1", "Option2", "Option3", "Option4"};

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
      names.append(action->objectName());
      QVERIFY(action->menu() == nullptr);
    }
    QCOMPARE(names, (QStringList{"mnuExit", "mnuHelp", "mnuChart"}));
    QCOMPARE(c.t.window->findChild<QAction*>(QStringLiteral("mnuChart"))->text(), QStringLiteral("Chart"));
    QVERIFY(c.window->isVisible());
    QVERIFY(c.window->isWindow());

    c.t.activate();
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

  // Every aggregation and unit, both hemispheres, the equator and the poles: what is drawn is
  // what Export writes, and Copy values gives the file's bytes.
  void drawsTheExportedValues_data() {
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("title");
    QTest::newRow("south, daily") << "-41.9" << 1 << 1 << "Annual cycle at -41.9°, Daily, MJ/m^2/day";
    QTest::newRow("south, weekly") << "-41.9" << 2 << 2 << "Annual cycle at -41.9°, Weekly, J/cm^2/day";
    QTest::newRow("equator, dekadal") << "0" << 3 << 3 << "Annual cycle at 0°, Dekadal, cal/cm^2/day";
    QTest::newRow("equator, monthly") << "0" << 4 << 4 << "Annual cycle at 0°, Monthly, W/m^2";
    QTest::newRow("north, dekadal") << "41.9" << 3 << 5 << "Annual cycle at 41.9°, Dekadal, mm/day";
    QTest::newRow("north, weekly per dekad") << "41.9" << 2 << 6 << "Annual cycle at 41.9°, Weekly, MJ/m^2/dekad";
    QTest::newRow("north pole, daily") << "90" << 1 << 7 << "Annual cycle at 90°, Daily, mm/dekad";
    QTest::newRow("south pole, dekadal") << "-90" << 3 << 6 << "Annual cycle at -90°, Dekadal, MJ/m^2/dekad";
    QTest::newRow("polar circle, daily") << "66.5" << 1 << 4 << "Annual cycle at 66.5°, Daily, W/m^2";
    QTest::newRow("polar night, monthly") << "67.0761566" << 4 << 7 << "Annual cycle at 67.07616°, Monthly, mm/dekad";
    QTest::newRow("south pole, monthly") << "-90" << 4 << 1 << "Annual cycle at -90°, Monthly, MJ/m^2/day";
  }
  void drawsTheExportedValues() {
    QFETCH(QString, latitude);
    QFETCH(int, aggregation);
    QFETCH(int, unit);
    QFETCH(QString, title);
    c.choose(QString::fromLatin1(kAggregationOptions[aggregation - 1]));
    c.choose(QString::fromLatin1(kUnitOptions[unit - 1]));
    c.typeLatitude(latitude);
    const QByteArray file = ReferenceFile(
        QStringLiteral("lat_%1_agg%2_unit%3.csv").arg(latitude).arg(aggregation).arg(unit));
    QVERIFY(!file.isEmpty());

    QCOMPARE(c.window->windowTitle(), title);
    QCOMPARE(c.chart()->title(), title);
    QLineSeries* curve = c.series(QStringLiteral("radiation"));
    const bool daily = aggregation == 1;
    QCOMPARE(PlottedValues(curve, daily), FileValues(file));

    // Days lie at their own number; a step runs from its period's first day to the next
    // period's, from the start of the year on, without gaps.
    const QList<QPointF> points = curve->points();
    QCOMPARE(points.front().x(), 1.0);
    for (qsizetype i = 1; i < points.size(); ++i) {
      const double step = points[i].x() - points[i - 1].x();
      if (daily) {
        QCOMPARE(step, 1.0);
      } else {
        QCOMPARE(step > 0, i % 2 == 1);
        QVERIFY(step == 0 || step == 7 || (step >= 8 && step <= 11) || (step >= 28 && step <= 31));
      }
    }
    QCOMPARE(points.back().x(), daily ? 365.0 : aggregation == 2 ? 372.0 : 366.0);

    const auto* axis = qobject_cast<QValueAxis*>(c.chart()->axes(Qt::Vertical, curve).front());
    QCOMPARE(axis->titleText(), title.section(QStringLiteral(", "), -1));
    QVERIFY(axis->min() <= 0.0);
    for (const QPointF& p : points) {
      QVERIFY(p.y() <= axis->max());
    }

    QApplication::clipboard()->clear();
    c.click("cmdCopyValues");
    QCOMPARE(QApplication::clipboard()->text().toLatin1(), file);
  }

  void monthTicks() {
    auto* axis = qobject_cast<QCategoryAxis*>(c.chart()->axes(Qt::Horizontal).front());
    QVERIFY(axis != nullptr);
    QStringList labels;
    QList<double> ends;
    for (const QString& label : axis->categoriesLabels()) {
      labels.append(QString(label).remove(QChar(0x200B)));
      ends.append(axis->endValue(label));
    }
    QCOMPARE(labels.join(QString()), QStringLiteral("JFMAMJJASOND"));
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
    QTest::newRow("decimal equator") << "txtLat" << "0" << "0" << true << 0;
    QTest::newRow("degrees south") << "dms" << "10,30,30,s" << "-10.508" << true << 0;
    QTest::newRow("degrees north") << "dms" << "69,39,0,N" << "69.65" << true << 0;
    QTest::newRow("two points keep 1.2") << "txtLat" << "1.2.3" << "1.2" << false << 0;
    QTest::newRow("lone sign keeps the start") << "txtLat" << "-" << "41.9" << false << 0;
    QTest::newRow("empty box keeps the start") << "txtLat" << "" << "41.9" << false << 0;
    QTest::newRow("out of range keeps 9") << "txtLat" << "95" << "9" << false << 1;
    QTest::newRow("double refused though single is 90") << "txtLat" << "90.000001" << "90" << false << 0;
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
    const QString title = QStringLiteral("Annual cycle at %1°, Dekadal, MJ/m^2/day").arg(shown);
    QCOMPARE(c.window->windowTitle(), title);
    QCOMPARE(c.window->followsText(), follows);
    QCOMPARE(c.status().contains(QStringLiteral("is not a latitude")), !follows);
    QVERIFY(c.status().contains(shown + QStringLiteral("°")) || follows);
    const float latitude = static_cast<float>(marovane::LeadingNumber(shown.toStdString()));
    QCOMPARE(PlottedValues(c.series(QStringLiteral("radiation")), false),
             FileValues(marovane::AnnualCycleText(latitude, marovane::CycleChoice{})));
  }

  // Keep pins the curve of the latitude drawn, once per latitude and at most 8; kept curves
  // follow the aggregation and unit; Clear removes them all.
  void keepAndClear_data() {
    QTest::addColumn<QStringList>("latitudes");  // each typed, then Keep pressed
    QTest::addColumn<int>("kept");
    QTest::newRow("one") << QStringList{"41.9"} << 1;
    QTest::newRow("the same twice") << QStringList{"41.9", "41.9"} << 1;
    QTest::newRow("invalid text keeps the last") << QStringList{"-20", "-"} << 1;
    QTest::newRow("nine, at most 8")
        << QStringList{"-80", "-60", "-40", "-20", "0", "20", "40", "60", "80"} << 8;
  }
  void keepAndClear() {
    QFETCH(QStringList, latitudes);
    QFETCH(int, kept);
    for (const QString& latitude : latitudes) {
      c.typeLatitude(latitude);
      c.click("cmdKeep");
    }
    QList<QLineSeries*> curves = c.kept();
    QCOMPARE(curves.size(), kept);
    QCOMPARE(c.control<QPushButton>("cmdKeep")->isEnabled(), false);
    QSet<QRgb> colours{c.series(QStringLiteral("radiation"))->pen().color().rgb()};
    for (qsizetype i = 0; i < curves.size(); ++i) {
      const QString latitude = latitudes[i];
      QCOMPARE(curves[i]->name(), latitude + QStringLiteral("°"));
      colours.insert(curves[i]->pen().color().rgb());
    }
    QCOMPARE(colours.size(), kept + 1);

    // A kept curve is redrawn in the new unit.
    c.choose(QStringLiteral("Option8"));
    const float first = static_cast<float>(marovane::LeadingNumber(latitudes.front().toStdString()));
    QCOMPARE(PlottedValues(curves.front(), false),
             FileValues(marovane::AnnualCycleText(first, {marovane::Aggregation::Dekadal, marovane::Unit::WPerM2})));

    c.click("cmdClear");
    QCOMPARE(c.kept().size(), 0);
    QVERIFY(c.control<QPushButton>("cmdKeep")->isEnabled());
    QVERIFY(!c.control<QPushButton>("cmdClear")->isEnabled());
  }

  void dayLength_data() {
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<int>("aggregation");
    QTest::newRow("41.9 daily") << "41.9" << 1;
    QTest::newRow("equator weekly") << "0" << 2;
    QTest::newRow("polar night dekadal") << "69.65" << 3;
    QTest::newRow("south pole monthly") << "-90" << 4;
  }
  void dayLength() {
    QFETCH(QString, latitude);
    QFETCH(int, aggregation);
    QVERIFY(c.series(QStringLiteral("dayLength")) == nullptr);
    c.click("chkDayLength");
    c.choose(QString::fromLatin1(kAggregationOptions[aggregation - 1]));
    c.typeLatitude(latitude);
    QLineSeries* hours = c.series(QStringLiteral("dayLength"));
    QVERIFY(hours != nullptr);
    const float value = static_cast<float>(marovane::LeadingNumber(latitude.toStdString()));
    QCOMPARE(PlottedValues(hours, aggregation == 1),
             FileValues(marovane::AnnualCycleText(
                 value, {*marovane::AggregationOfCode(aggregation), marovane::kDefaultUnit,
                         marovane::Quantity::DayLength})));
    const auto* axis = qobject_cast<QValueAxis*>(c.chart()->axes(Qt::Vertical, hours).front());
    QCOMPARE(axis->alignment(), Qt::AlignRight);
    QCOMPARE(axis->max(), 24.0);
    c.click("chkDayLength");
    QVERIFY(c.series(QStringLiteral("dayLength")) == nullptr);
  }

  // The period under the mouse as the file writes it.
  void hover_data() {
    QTest::addColumn<QString>("series");
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<double>("day");
    QTest::addColumn<QString>("text");
    QTest::newRow("day 172") << "radiation" << 1 << 172.3 << "Day 172: 41.93 MJ/m^2/day";
    QTest::newRow("dekad 1") << "radiation" << 3 << 1.0 << "Dekad 1: 12.969 MJ/m^2/day";
    QTest::newRow("dekad 3, 11 days") << "radiation" << 3 << 31.9 << "Dekad 3: 15.55 MJ/m^2/day";
    QTest::newRow("dekad 17 from its first day") << "radiation" << 3 << 162.0 << "Dekad 17: 41.879 MJ/m^2/day";
    QTest::newRow("week 53 past the year") << "radiation" << 2 << 370.0 << "Week 53: 12.781 MJ/m^2/day";
    QTest::newRow("month 6") << "radiation" << 4 << 160.0 << "Month 6: 41.757 MJ/m^2/day";
    QTest::newRow("year's end") << "radiation" << 4 << 366.0 << "Month 12: 12.638 MJ/m^2/day";
    QTest::newRow("day length") << "dayLength" << 1 << 171.8 << "Day 172: 15.052 hours";
    QTest::newRow("kept curve") << "kept1" << 3 << 1.5 << "41.9°, Dekad 1: 12.969 MJ/m^2/day";
  }
  void hover() {
    QFETCH(QString, series);
    QFETCH(int, aggregation);
    QFETCH(double, day);
    QFETCH(QString, text);
    c.click("chkDayLength");
    c.click("cmdKeep");
    c.choose(QString::fromLatin1(kAggregationOptions[aggregation - 1]));
    QLineSeries* curve = c.series(series);
    QVERIFY(curve != nullptr);
    emit curve->hovered(QPointF(day, 0.0), true);
    QCOMPARE(c.control<QLabel>("lblValue")->text(), text);
    emit curve->hovered(QPointF(day, 0.0), false);
    QCOMPARE(c.control<QLabel>("lblValue")->text(), QString());
  }

  void saveImage_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");  // the start of the message, when refused
    QTest::newRow("png") << "chart.png" << "";
    QTest::newRow("png in capitals") << "CHART.PNG" << "";
    QTest::newRow("svg") << "chart.svg" << "";
    QTest::newRow("other ending") << "chart.jpg" << "was not written";
    QTest::newRow("missing folder") << "no/chart.png" << "could not be written";
  }
  void saveImage() {
    QFETCH(QString, name);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    c.t.dialogs.expectImageFile(path);
    if (!refusal.isEmpty()) {
      ScriptedDialogs::Box box(path + QLatin1Char(' ') + refusal, marovane::ui::kApplicationTitle,
                               QMessageBox::Critical);
      box.textIsPrefix = true;
      c.t.dialogs.expectBox(box);
    }
    c.click("cmdSaveImage");
    QVERIFY(c.t.dialogs.done());
    if (!refusal.isEmpty()) {
      QVERIFY(!QFile::exists(path));
      QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
      return;
    }
    const QWidget* window = c.t.window->chartWindow();
    if (name.endsWith(QLatin1String("png"), Qt::CaseInsensitive)) {
      QImage image;
      QVERIFY(image.load(path, "png"));
      QCOMPARE(image.size(), window->size() * window->devicePixelRatio());
      return;
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QList<QStringList> segments;  // the lines drawn in the curve's colour, as point lists
    bool inCurveColour = false;
    QStringList texts;
    while (!xml.atEnd()) {
      if (xml.readNext() != QXmlStreamReader::StartElement) {
        continue;
      }
      if (xml.name() == QLatin1String("g")) {
        inCurveColour = xml.attributes().value(QLatin1String("stroke")) == QLatin1String("#1f4e9c");
      } else if (xml.name() == QLatin1String("polyline") && inCurveColour) {
        segments.append(xml.attributes().value(QLatin1String("points")).toString().split(
            QLatin1Char(' '), Qt::SkipEmptyParts));
      } else if (xml.name() == QLatin1String("text")) {
        texts.append(xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified());
      }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    // The dekadal step curve: 72 points joined by 71 lines, each starting where the last ended.
    QCOMPARE(segments.size(), 71);
    for (qsizetype i = 1; i < segments.size(); ++i) {
      QCOMPARE(segments[i].front(), segments[i - 1].back());
    }
    QVERIFY(texts.contains(QStringLiteral("Annual cycle at 41.9°, Dekadal, MJ/m^2/day")));
  }

  void placement_data() {
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("placed");
    const QSize preferred(660, 460);
    const QRect wide(0, 0, 1920, 1040);
    QTest::newRow("right, top aligned") << QRect(597, 400, 725, 270) << wide << QRect(1330, 400, 590, 460);
    QTest::newRow("right, kept on screen") << QRect(100, 900, 725, 140) << wide << QRect(833, 580, 660, 460);
    QTest::newRow("left") << QRect(1100, 100, 725, 270) << wide << QRect(432, 100, 660, 460);
    QTest::newRow("below") << QRect(300, 0, 725, 270) << QRect(0, 0, 1280, 1024)
                           << QRect(300, 278, 660, 460);
    QTest::newRow("above") << QRect(300, 700, 725, 270) << QRect(0, 0, 1280, 1024)
                           << QRect(300, 232, 660, 460);
    QTest::newRow("nowhere: against the roomier edge")
        << QRect(37, 165, 725, 270) << QRect(0, 0, 800, 600) << QRect(140, 140, 660, 460);
    QTest::newRow("screen offset") << QRect(1920 + 597, 400, 725, 270)
                                   << QRect(1920, 0, 1920, 1040) << QRect(1920 + 1330, 400, 590, 460);
  }
  void placement() {
    QFETCH(QRect, owner);
    QFETCH(QRect, available);
    QFETCH(QRect, placed);
    QCOMPARE(ChartWindow::PlaceBeside(owner, QSize(660, 460), QSize(480, 340), available), placed);
  }

  // Where the screen has room, the chart leaves the main window uncovered.
  void openedBesideTheMainWindow() {
    c.window->close();
    QTRY_VERIFY(c.t.window->chartWindow() == nullptr);
    const QRect available = c.t.window->screen()->availableGeometry();
    c.t.window->resize(300, 200);
    c.t.window->move(available.topLeft());
    c.t.activate();
    c.t.clickMenu("mnuChart");
    ChartWindow* chart = c.t.window->chartWindow();
    QVERIFY(QTest::qWaitForWindowExposed(chart));
    QVERIFY(available.contains(chart->frameGeometry()));
    QVERIFY(!chart->frameGeometry().intersects(c.t.window->frameGeometry()));
    QVERIFY(chart->frameGeometry().left() > c.t.window->frameGeometry().right());
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

QTEST_MAIN(ChartWindowTest)
#include "ChartWindowTest.moc"
