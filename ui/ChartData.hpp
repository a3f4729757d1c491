// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <optional>
#include <vector>

#include "model/AnnualCycle.hpp"
#include "text/ChartText.hpp"

// What the chart shows, without a window (Qt Core only): the tables of its curves, their
// names, the titles, the axes' ranges and the text of "Copy values".
namespace marovane::ui {

// A curve: its table and the name the legend gives it.
struct ChartCurve {
  AnnualCycle table;
  QString name;
};

using marovane::ValueScale;

// The curve of the latitude that Export would write now, by the method chosen, and beside it
// on request the curve of the other method for the same latitude (FAO-56 beside the program's
// own model, the program's own beside FAO-56), its day length and up to kMostKept kept curves
// of other latitudes. Every curve follows the aggregation, unit and method.
class ChartData {
 public:
  static constexpr int kMostKept = 8;

  // Takes the main window's latitude text, aggregation, unit and method. A text that Export
  // would refuse leaves the last good latitude drawn. Whether any table changed.
  bool follow(const QString& latitudeText, Aggregation aggregation, Unit unit,
              Method method = Method::Harmonic);
  // Adds or removes the other method's curve (FAO-56's unless FAO-56 is followed) and the
  // day length of the latitude drawn.
  void showFao56(bool on);
  void showDayLength(bool on);
  // Pins the curve drawn; false where that latitude is kept already or kMostKept are.
  bool keep();
  void clearKept();

  bool followsText() const { return textValid_; }
  float latitude() const { return latitude_; }
  const CycleChoice& cycle() const { return cycle_; }
  const ChartCurve& current() const { return current_; }
  // The other method's curve: FAO-56's, or the program's own where FAO-56 is followed.
  const std::optional<ChartCurve>& fao56() const { return fao56_; }
  // The method of that curve.
  Method otherMethod() const;
  const std::optional<ChartCurve>& dayLength() const { return dayLength_; }
  const std::vector<ChartCurve>& kept() const { return kept_; }
  // The day length of each kept curve while the day length is shown, in the same order.
  const std::vector<ChartCurve>& keptDayLengths() const { return keptDayLengths_; }
  bool canKeep() const;
  // Whether the latitude drawn is one of the kept ones: its curve is drawn once, as kept.
  bool currentKept() const;

  // What the chart draws: "Extraterrestrial radiation at 41.9° N, dekadal means,
  // MJ m⁻² day⁻¹"; with kept curves, whose latitudes the legend names, no latitude; with the
  // day length, "; day length, hours" after.
  QString title() const;
  // Always the latitude that follows the main window.
  QString windowTitle() const;
  // Whether the chart follows the text, and which latitude it keeps where it does not.
  QString status() const;
  // Where the day axis ends: after day 365, or where week 53 ends in the next year.
  double dayAxisEnd() const;
  // The radiation axis: room for every radiation curve drawn, kept ones included.
  ValueScale valueScale() const;
  // The values drawn as a tab-separated table, one row per period and one column per curve
  // (kept, then the current unless kept, FAO-56, day length), with a header row.
  QString table() const;

  // The latitude that Export takes from `text`, or nothing where Export refuses it.
  static std::optional<float> ExportLatitude(const QString& text);
  // "41.9° N", "33.9° S", "0°", as the chart writes it.
  static QString LatitudeName(float latitude);
  // "MJ/m^2/day", or "hours" for a day length.
  static QString UnitText(const AnnualCycle& table);
  // The same with superscripts, as the chart writes it: "MJ m⁻² day⁻¹", "hours".
  static QString ChartUnit(const AnnualCycle& table);
  // One point per day, or a period's value from its first day to the first day after it.
  static QList<QPointF> CurvePoints(const AnnualCycle& table);
  // The period under day `day` (fractional, as on the axis): the nearest day, or the period
  // that holds it (a boundary belongs to the period that starts there, the year's end to the
  // last); nothing off the table.
  static const CyclePeriod* PeriodAt(const AnnualCycle& table, double day);
  // "Dekad 17 at 41.9° N (Harmonic): 41.879 MJ m⁻² day⁻¹", the value as the file writes it;
  // "Day 172 at 41.9° N (day length): 15.052 hours"; empty off the table.
  static QString Reading(const AnnualCycle& table, double day);
  // An axis from 0 with a step of 1, 2, 2.5 or 5 times a power of ten, about five steps,
  // that rises above `highest`.
  static ValueScale NiceScale(double highest);

 private:
  void recompute();
  void keepDayLengths();
  void rename();

  QString latitudeText_;
  bool textValid_ = false;
  bool drawn_ = false;
  float latitude_ = 0.0f;
  CycleChoice cycle_;
  ChartCurve current_;
  std::optional<ChartCurve> fao56_;
  std::optional<ChartCurve> dayLength_;
  std::vector<ChartCurve> kept_;
  std::vector<ChartCurve> keptDayLengths_;
};

}  // namespace marovane::ui
