// SPDX-License-Identifier: GPL-3.0-or-later
// The chart's data and the windows' placement, without a window: titles, curves, the period
// under the pointer, axis ranges, kept curves and the copied table, against the reference
// files; where a window goes beside the main one.
#include <QFile>
#include <QRect>
#include <QTest>
#include <cmath>

#include "text/NumberText.hpp"
#include "ui/ChartData.hpp"
#include "ui/Placement.hpp"

using marovane::Aggregation;
using marovane::AnnualCycleTable;
using marovane::CycleChoice;
using marovane::Method;
using marovane::Unit;
using marovane::ui::ChartCurve;
using marovane::ui::ChartData;

namespace {

// The value field of every data line of a reference file.
QStringList ReferenceValues(const QString& latitude, int aggregation, int unit) {
  QFile file(QStringLiteral(MAROVANE_TEST_DATA "/reference/files/lat_%1_agg%2_unit%3.csv")
                 .arg(latitude)
                 .arg(aggregation)
                 .arg(unit));
  QStringList values;
  if (!file.open(QIODevice::ReadOnly)) {
    return {QStringLiteral("<no reference file>")};
  }
  const QList<QByteArray> lines = file.readAll().split('\n');
  for (qsizetype i = 1; i < lines.size(); ++i) {
    if (!lines[i].trimmed().isEmpty()) {
      values.append(QString::fromLatin1(lines[i].split(',').last().trimmed()));
    }
  }
  return values;
}

ChartData Following(const QString& text, int aggregation = 3, int unit = 1) {
  ChartData data;
  data.follow(text, *marovane::AggregationOfCode(aggregation), *marovane::UnitOfCode(unit));
  return data;
}

}  // namespace

class ChartDataTest : public QObject {
  Q_OBJECT

 private slots:
  // Every aggregation: one point per day, or a step per period from its first day to the
  // next one's without gaps; the day axis holds week 53 whole (days 365 to 371).
  void curvePoints_data() {
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<int>("points");
    QTest::addColumn<double>("lastX");
    QTest::addColumn<double>("axisEnd");
    QTest::newRow("daily") << 1 << 365 << 365.0 << 366.0;
    QTest::newRow("weekly") << 2 << 106 << 372.0 << 372.0;
    QTest::newRow("dekadal") << 3 << 72 << 366.0 << 366.0;
    QTest::newRow("monthly") << 4 << 24 << 366.0 << 366.0;
  }
  void curvePoints() {
    QFETCH(int, aggregation);
    QFETCH(int, points);
    QFETCH(double, lastX);
    QFETCH(double, axisEnd);
    const ChartData data = Following(QStringLiteral("41.9"), aggregation, 4);
    const QList<QPointF> curve = ChartData::CurvePoints(data.current().table);
    QCOMPARE(curve.size(), points);
    QCOMPARE(curve.front().x(), 1.0);
    QCOMPARE(curve.back().x(), lastX);
    for (qsizetype i = 1; i < curve.size(); ++i) {
      const bool rise = aggregation == 1 || i % 2 == 1;
      QCOMPARE(curve[i].x() > curve[i - 1].x(), rise);
      QCOMPARE(curve[i].y() == curve[i - 1].y(), aggregation != 1 && rise);
    }
    QStringList values;
    for (qsizetype i = 0; i < curve.size(); i += aggregation == 1 ? 1 : 2) {
      values.append(QString::fromStdString(marovane::DoubleText(curve[i].y())));
    }
    QCOMPARE(values, ReferenceValues(QStringLiteral("41.9"), aggregation, 4));
    QCOMPARE(data.dayAxisEnd(), axisEnd);
  }

  // The titles, the status line and what the text leaves drawn.
  void follow_data() {
    QTest::addColumn<QStringList>("typed");   // one after the other
    QTest::addColumn<QStringList>("keptAt");  // typed before each Keep, before `typed`
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("windowTitle");
    QTest::addColumn<QString>("status");
    const QString follows = QStringLiteral("Follows the main window.");
    QTest::newRow("south") << QStringList{"-41.9"} << QStringList{}
                           << "Extraterrestrial radiation at 41.9° S, dekadal means, MJ m⁻² day⁻¹"
                           << "Annual cycle at -41.9°, Dekadal, MJ/m^2/day" << follows;
    QTest::newRow("refused text keeps the last")
        << QStringList{"12.5", "1.2.3"} << QStringList{}
        << "Extraterrestrial radiation at 12.5° N, dekadal means, MJ m⁻² day⁻¹"
        << "Annual cycle at 12.5°, Dekadal, MJ/m^2/day"
        << "\"1.2.3\" is not a latitude from -90 to 90: the chart keeps 12.5°.";
    QTest::newRow("double refused though single is 90")
        << QStringList{"90.000001"} << QStringList{}
        << "Extraterrestrial radiation at 0°, dekadal means, MJ m⁻² day⁻¹"
        << "Annual cycle at 0°, Dekadal, MJ/m^2/day"
        << "\"90.000001\" is not a latitude from -90 to 90: the chart keeps 0°.";
    QTest::newRow("kept: the legend names the latitudes")
        << QStringList{"41.9"} << QStringList{"-33.9", "69.65"}
        << "Extraterrestrial radiation, dekadal means, MJ m⁻² day⁻¹"
        << "Annual cycle at 41.9°, Dekadal, MJ/m^2/day" << follows;
  }
  void follow() {
    QFETCH(QStringList, typed);
    QFETCH(QStringList, keptAt);
    QFETCH(QString, title);
    QFETCH(QString, windowTitle);
    QFETCH(QString, status);
    ChartData data;
    for (const QString& latitude : keptAt) {
      data.follow(latitude, Aggregation::Dekadal, Unit::MJPerM2Day);
      QVERIFY(data.keep());
    }
    for (const QString& text : typed) {
      data.follow(text, Aggregation::Dekadal, Unit::MJPerM2Day);
    }
    QCOMPARE(data.title(), title);
    QCOMPARE(data.windowTitle(), windowTitle);
    QCOMPARE(data.status(), status);
    QCOMPARE(data.followsText(), status == QLatin1String("Follows the main window."));
    QStringList names;
    for (const marovane::ui::ChartCurve& k : data.kept()) {
      names.append(k.name);
    }
    QCOMPARE(names.join(QLatin1Char(' ')),
             QString(keptAt.join(QStringLiteral("° ")) + (keptAt.isEmpty() ? "" : "°")));
    // The same text again changes nothing; another unit redraws.
    QVERIFY(!data.follow(typed.back(), Aggregation::Dekadal, Unit::MJPerM2Day));
    QVERIFY(data.follow(typed.back(), Aggregation::Dekadal, Unit::WPerM2));
  }

  // The chart's own texts: the latitude with its hemisphere, the unit with superscripts, what
  // the values are; the files' texts stay as they are.
  void chartTexts_data() {
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<int>("unit");
    QTest::addColumn<bool>("dayLength");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fileUnit");
    QTest::newRow("north, dekads")
        << "41.9" << 3 << 1 << false << "41.9° N"
        << "Extraterrestrial radiation at 41.9° N, dekadal means, MJ m⁻² day⁻¹"
        << "MJ/m^2/day";
    QTest::newRow("south, with the day length")
        << "-33.9" << 3 << 1 << true << "33.9° S"
        << "Extraterrestrial radiation at 33.9° S, dekadal means, MJ m⁻² day⁻¹; day length, hours"
        << "MJ/m^2/day";
    QTest::newRow("equator, days") << "0" << 1 << 2 << false << "0°"
                                   << "Extraterrestrial radiation at 0°, daily values, J cm⁻² day⁻¹"
                                   << "J/cm^2/day";
    QTest::newRow("months of W/m^2") << "-0.5" << 4 << 4 << false << "0.5° S"
                                     << "Extraterrestrial radiation at 0.5° S, monthly means, W m⁻²"
                                     << "W/m^2";
    QTest::newRow("a dekad's total")
        << "90" << 3 << 7 << false << "90° N"
        << "Extraterrestrial radiation at 90° N, dekadal totals, mm dekad⁻¹"
        << "mm/dekad";
    QTest::newRow("weeks per dekad")
        << "12.345" << 2 << 6 << false << "12.345° N"
        << "Extraterrestrial radiation at 12.345° N, weekly means, MJ m⁻² dekad⁻¹"
        << "MJ/m^2/dekad";
  }
  void chartTexts() {
    QFETCH(QString, latitude);
    QFETCH(int, aggregation);
    QFETCH(int, unit);
    QFETCH(bool, dayLength);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, fileUnit);
    ChartData data = Following(latitude, aggregation, unit);
    data.showDayLength(dayLength);
    QCOMPARE(ChartData::LatitudeName(data.latitude()), name);
    QCOMPARE(data.title(), title);
    QCOMPARE(ChartData::UnitText(data.current().table), fileUnit);
    QVERIFY(data.table()
                .section(QLatin1Char('\n'), 0, 0)
                .contains(QStringLiteral("%1° (%2)").arg(latitude, fileUnit)));
  }

  // Keep pins the latitude drawn, once, and at most 8; kept curves follow aggregation and unit.
  void keep_data() {
    QTest::addColumn<QStringList>("latitudes");  // each followed, then kept
    QTest::addColumn<int>("kept");
    QTest::newRow("the same twice") << QStringList{"41.9", "41.9"} << 1;
    QTest::newRow("refused text keeps the last") << QStringList{"-20", "-"} << 1;
    QTest::newRow("-0 and 0 are two") << QStringList{"-0", "0"} << 2;
    QTest::newRow("nine, at most 8")
        << QStringList{"-80", "-60", "-40", "-20", "0", "20", "40", "60", "80"} << 8;
  }
  void keep() {
    QFETCH(QStringList, latitudes);
    QFETCH(int, kept);
    ChartData data;
    QVERIFY(!data.canKeep());  // nothing drawn yet
    for (const QString& latitude : latitudes) {
      data.follow(latitude, Aggregation::Dekadal, Unit::MJPerM2Day);
      data.keep();
    }
    QCOMPARE(static_cast<int>(data.kept().size()), kept);
    QVERIFY(!data.canKeep());
    data.follow(QStringLiteral("0"), Aggregation::Monthly, Unit::JPerCm2Day);
    QCOMPARE(static_cast<int>(data.kept().front().table.periods.size()), 12);
    QCOMPARE(data.kept().front().table.choice.unit, Unit::JPerCm2Day);
    data.clearKept();
    QVERIFY(data.kept().empty());
    QVERIFY(data.canKeep());
  }

  // The radiation axis rises above every radiation curve drawn, kept and FAO-56 ones too, and
  // not with the day length; its steps are round.
  void valueAxis_data() {
    QTest::addColumn<QString>("keptAt");  // empty for none
    QTest::addColumn<QString>("drawn");
    QTest::addColumn<bool>("fao56");
    QTest::addColumn<bool>("dayLength");
    QTest::addColumn<int>("unit");
    QTest::newRow("41.9") << ""
                          << "41.9" << false << false << 1;
    QTest::newRow("kept pole, then the equator") << "90"
                                                 << "0" << false << false << 1;
    QTest::newRow("kept pole in W/m^2") << "90"
                                        << "0" << false << true << 4;
    QTest::newRow("FAO-56 at 40") << ""
                                  << "40" << true << false << 3;
    QTest::newRow("polar night in mm/dekad") << ""
                                             << "67.0761566" << false << true << 7;
  }
  void valueAxis() {
    QFETCH(QString, keptAt);
    QFETCH(QString, drawn);
    QFETCH(bool, fao56);
    QFETCH(bool, dayLength);
    QFETCH(int, unit);
    ChartData data;
    if (!keptAt.isEmpty()) {
      data.follow(keptAt, Aggregation::Dekadal, *marovane::UnitOfCode(unit));
      data.keep();
    }
    data.follow(drawn, Aggregation::Dekadal, *marovane::UnitOfCode(unit));
    data.showFao56(fao56);
    data.showDayLength(dayLength);
    double highest = 0.0;
    std::vector<const marovane::AnnualCycle*> tables{&data.current().table};
    if (data.fao56()) {
      tables.push_back(&data.fao56()->table);
    }
    for (const marovane::ui::ChartCurve& k : data.kept()) {
      tables.push_back(&k.table);
    }
    for (const marovane::AnnualCycle* table : tables) {
      for (const marovane::CyclePeriod& p : table->periods) {
        highest = std::max(highest, p.value);
      }
    }
    const marovane::ui::ValueScale scale = data.valueScale();
    QVERIFY2(scale.top >= highest && scale.top <= highest * 1.6,
             qPrintable(QStringLiteral("%1 over %2").arg(scale.top).arg(highest)));
    QVERIFY(scale.steps >= 3 && scale.steps <= 7);
    const double step = scale.top / scale.steps;
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    QVERIFY2(QList<double>({1.0, 2.0, 2.5, 5.0}).contains(std::round(mantissa * 10) / 10),
             qPrintable(QString::number(step)));
  }

  // The period under the pointer as the file writes it, with the latitude and the method.
  void reading_data() {
    QTest::addColumn<int>("aggregation");
    QTest::addColumn<bool>("dayLength");
    QTest::addColumn<double>("day");
    QTest::addColumn<QString>("text");
    QTest::newRow("day 172") << 1 << false << 172.3
                             << "Day 172 at 41.9° N (Harmonic): 41.93 MJ m⁻² day⁻¹";
    QTest::newRow("before day 1") << 1 << false << 0.4 << "";
    QTest::newRow("day 365, the last")
        << 1 << false << 365.0 << "Day 365 at 41.9° N (Harmonic): 12.599 MJ m⁻² day⁻¹";
    QTest::newRow("day 365 from past 364.5")
        << 1 << false << 364.6 << "Day 365 at 41.9° N (Harmonic): 12.599 MJ m⁻² day⁻¹";
    QTest::newRow("day 364") << 1 << false << 364.4
                             << "Day 364 at 41.9° N (Harmonic): 12.552 MJ m⁻² day⁻¹";
    QTest::newRow("past day 365") << 1 << false << 365.6 << "";
    QTest::newRow("dekad 1") << 3 << false << 1.0
                             << "Dekad 1 at 41.9° N (Harmonic): 12.969 MJ m⁻² day⁻¹";
    QTest::newRow("dekad 3, 11 days")
        << 3 << false << 31.9 << "Dekad 3 at 41.9° N (Harmonic): 15.55 MJ m⁻² day⁻¹";
    QTest::newRow("dekad 17 from its first day")
        << 3 << false << 162.0 << "Dekad 17 at 41.9° N (Harmonic): 41.879 MJ m⁻² day⁻¹";
    QTest::newRow("week 53 past the year")
        << 2 << false << 370.0 << "Week 53 at 41.9° N (Harmonic): 12.781 MJ m⁻² day⁻¹";
    QTest::newRow("after week 53") << 2 << false << 372.5 << "";
    QTest::newRow("month 6") << 4 << false << 160.0
                             << "Month 6 at 41.9° N (Harmonic): 41.757 MJ m⁻² day⁻¹";
    QTest::newRow("year's end") << 4 << false << 366.0
                                << "Month 12 at 41.9° N (Harmonic): 12.638 MJ m⁻² day⁻¹";
    QTest::newRow("day length") << 1 << true << 171.8
                                << "Day 172 at 41.9° N (day length): 15.052 hours";
  }
  void reading() {
    QFETCH(int, aggregation);
    QFETCH(bool, dayLength);
    QFETCH(double, day);
    QFETCH(QString, text);
    ChartData data = Following(QStringLiteral("41.9"), aggregation);
    data.showDayLength(dayLength);
    QCOMPARE(ChartData::Reading(dayLength ? data.dayLength()->table : data.current().table, day),
             text);
  }

  // FAO-56 beside the program's own curve: its own table, name and reading.
  void fao56() {
    ChartData data = Following(QStringLiteral("-20"), 1);
    QVERIFY(!data.fao56());
    data.showFao56(true);
    QVERIFY(data.fao56());
    const marovane::AnnualCycle& fao = data.fao56()->table;
    QCOMPARE(fao.choice.method, marovane::Method::Fao56);
    QCOMPARE(data.fao56()->name, QStringLiteral("-20°, FAO-56"));
    QCOMPARE(data.current().name, QStringLiteral("-20°, Harmonic"));
    // FAO-56's Example 8: 20° S on 3 September (day 246), 32.2 MJ/m^2/day to one decimal.
    const QString reading = ChartData::Reading(fao, 246.0);
    QVERIFY2(reading.startsWith(QStringLiteral("Day 246 at 20° S (FAO-56): ")),
             qPrintable(reading));
    QCOMPARE(
        std::round(
            reading.section(QStringLiteral(": "), 1).section(QLatin1Char(' '), 0, 0).toDouble() *
            10) /
            10,
        32.2);
    QVERIFY(ChartData::Reading(data.current().table, 246.0)
                .startsWith(QStringLiteral("Day 246 at 20° S (Harmonic): 31.877")));
    data.follow(QStringLiteral("41.9"), Aggregation::Dekadal, Unit::MJPerM2Day);
    QCOMPARE(data.fao56()->table.latitude, 41.9f);
    data.showFao56(false);
    QCOMPARE(data.current().name, QStringLiteral("41.9°"));
  }

  // Copy values: a header row, then one row per period; a column per curve, the kept ones
  // first, the current one unless it is kept; the values as the files write them.
  void table() {
    ChartData data;
    for (const char* latitude : {"-41.9", "0", "41.9"}) {
      data.follow(QString::fromLatin1(latitude), Aggregation::Weekly, Unit::JPerCm2Day);
      data.keep();
    }
    data.follow(QStringLiteral("90"), Aggregation::Weekly, Unit::JPerCm2Day);
    data.showDayLength(true);
    const QStringList rows = data.table().split(QLatin1Char('\n'));
    QCOMPARE(rows.size(), 1 + 53 + 1);  // the last line ends too
    QCOMPARE(rows.back(), QString());
    QCOMPARE(rows.front(),
             QStringLiteral("Week\t-41.9° (J/cm^2/day)\t0° (J/cm^2/day)\t41.9° (J/cm^2/day)"
                            "\t90° (J/cm^2/day)\tDay length at -41.9° (hours)"
                            "\tDay length at 0° (hours)\tDay length at 41.9° (hours)"
                            "\tDay length at 90° (hours)"));
    const QStringList latitudes{"-41.9", "0", "41.9", "90"};
    for (qsizetype column = 0; column < latitudes.size(); ++column) {
      QStringList values;
      for (qsizetype row = 1; row <= 53; ++row) {
        const QStringList cells = rows[row].split(QLatin1Char('\t'));
        QCOMPARE(cells.size(), 9);
        QCOMPARE(cells.front(), QString::number(row));
        values.append(cells[column + 1]);
      }
      QCOMPARE(values, ReferenceValues(latitudes[column], 2, 2));
    }
    // The latitude drawn, kept, is a column once, and so is its day length.
    data.follow(QStringLiteral("0"), Aggregation::Weekly, Unit::JPerCm2Day);
    QVERIFY(data.currentKept());
    QCOMPARE(data.table().section(QLatin1Char('\n'), 0, 0).count(QStringLiteral("at 0°")), 1);
    QCOMPARE(data.table().section(QLatin1Char('\n'), 0, 0).count(QStringLiteral("\t0°")), 1);
    data.showDayLength(false);
    QVERIFY(data.table().startsWith(
        QStringLiteral("Week\t-41.9° (J/cm^2/day)\t0° (J/cm^2/day)\t41.9° (J/cm^2/day)\n1\t")));
    // Every day length drawn, kept ones too, is the chosen method's.
    data.follow(QStringLiteral("60"), Aggregation::Weekly, Unit::JPerCm2Day, Method::Fao56);
    data.showDayLength(true);
    QCOMPARE(data.keptDayLengths().size(), std::size_t{3});
    for (const ChartCurve* curve : {&*data.dayLength(), &data.keptDayLengths().front()}) {
      const CycleChoice choice = curve->table.choice;
      QCOMPARE(choice.method, Method::Fao56);
      QCOMPARE(curve->table.periods.back().value,
               AnnualCycleTable(curve->table.latitude, choice).periods.back().value);
    }
  }

  void centring_data() {
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("centred");
    QTest::addColumn<QRect>("onOwner");
    const QRect screen(0, 0, 1280, 800);
    QTest::newRow("halves round away from 0")
        << screen << QSize(727, 301) << screen << QRect(277, 250, 727, 301)
        << QRect(277, 250, 727, 301);
    QTest::newRow("larger than the area, kept on screen")
        << QRect(10, 20, 300, 100) << QSize(401, 150) << screen << QRect(-41, -5, 401, 150)
        << QRect(0, 0, 401, 150);
    QTest::newRow("owner at the right edge, second screen")
        << QRect(3700, 900, 140, 100) << QSize(300, 120) << QRect(1920, 0, 1920, 1040)
        << QRect(3620, 890, 300, 120) << QRect(3540, 890, 300, 120);
    QTest::newRow("larger than the screen: title bar inside")
        << screen << QSize(1400, 900) << screen << QRect(-60, -50, 1400, 900)
        << QRect(0, 0, 1400, 900);
  }
  void centring() {
    QFETCH(QRect, area);
    QFETCH(QSize, outer);
    QFETCH(QRect, available);
    QFETCH(QRect, centred);
    QFETCH(QRect, onOwner);
    QCOMPARE(marovane::ui::CentredIn(area, outer), centred);
    QCOMPARE(marovane::ui::CentredOnOwner(area, outer, available), onOwner);
  }

  // Beside the main window, never over its Latitude frame; where no side has room, the place
  // that covers the least of the main window.
  void placement_data() {
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QRect>("keepClear");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("placed");
    const QRect wide(0, 0, 1920, 1040);
    const QRect latitude(16, 46, 145, 209);  // the Latitude frame, from the owner's corner
    auto clear = [&](const QRect& owner) { return latitude.translated(owner.topLeft()); };
    auto row = [&](const char* name, const QRect& owner, const QRect& available,
                   const QRect& placed) {
      QTest::newRow(name) << owner << clear(owner) << available << placed;
    };
    row("right, top aligned", QRect(597, 400, 725, 270), wide, QRect(1330, 400, 590, 460));
    row("right, kept on screen", QRect(100, 900, 725, 140), wide, QRect(833, 580, 660, 460));
    row("left", QRect(1100, 100, 725, 270), wide, QRect(432, 100, 660, 460));
    row("below", QRect(300, 0, 725, 270), QRect(0, 0, 1280, 1024), QRect(300, 278, 660, 460));
    row("above", QRect(300, 700, 725, 270), QRect(0, 0, 1280, 1024), QRect(300, 232, 660, 460));
    row("screen offset", QRect(1920 + 597, 400, 725, 270), QRect(1920, 0, 1920, 1040),
        QRect(1920 + 1330, 400, 590, 460));
    // A 1280x800 laptop: the smaller size, at the top right, over the log's corner only.
    row("centred on 1280x800", QRect(276, 250, 727, 300), QRect(0, 0, 1280, 800),
        QRect(800, 0, 480, 340));
    row("right, shrunk to fit", QRect(40, 30, 727, 300), QRect(0, 0, 1280, 800),
        QRect(775, 30, 505, 460));
    row("at the right of 800x600", QRect(70, 150, 727, 300), QRect(0, 0, 800, 600),
        QRect(320, 0, 480, 340));
  }
  void placement() {
    QFETCH(QRect, owner);
    QFETCH(QRect, keepClear);
    QFETCH(QRect, available);
    QFETCH(QRect, placed);
    const QRect place =
        marovane::ui::PlaceBeside(owner, keepClear, QSize(660, 460), QSize(480, 340), available);
    QCOMPARE(place, placed);
    QVERIFY(available.contains(place));
    QVERIFY(!place.intersects(keepClear.adjusted(-8, -8, 8, 8)));
  }
};

QTEST_GUILESS_MAIN(ChartDataTest)
#include "ChartDataTest.moc"
