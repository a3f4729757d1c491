// SPDX-License-Identifier: GPL-3.0-or-later
// Prints every figure that the README, the help text and the manual page quote about the two
// methods: FAO-56's worked examples 8 and 9, the differences to FAO-56's Table 2.6, the largest
// difference between the methods over every latitude and day, what causes it, and how far
// each lies from a declination and distance taken from an almanac formula.
//
//   build/dev/bench/marovane_method_comparison [FAO-56 Table 2.6 as CSV]
//
// run from the source folder, where the table's default path,
// tests/data/reference/fao56_table2_6_ra.csv, is found.
//
// Latitudes run from -90 to 90 in steps of 0.01 degrees (each taken to the nearest single, as
// the program takes them), days 1 to 365.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "model/AnnualCycle.hpp"
#include "model/AnnualRadiation.hpp"
#include "model/Calendar.hpp"
#include "model/Choices.hpp"
#include "model/Fao56.hpp"
#include "model/Radiation.hpp"
#include "model/RadiationSteps.hpp"

namespace {

using namespace marovane;

constexpr double kFullPi = std::numbers::pi;
constexpr int kTableDays[12] = {15, 46, 74, 105, 135, 166, 196, 227, 258, 288, 319, 349};
const char* const kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

double TableValue(float latitude, Aggregation aggregation, Unit unit, Quantity quantity,
                  Method method, int period) {
  const AnnualCycle table = AnnualCycleTable(latitude, {aggregation, unit, quantity, method});
  return table.periods[static_cast<std::size_t>(period - 1)].value;
}

// FAO-56 eqs 21 and 25 in double precision with the full pi, for a given declination and
// distance factor: the same operations in the same order as Fao56DailyRadiation.
double Eq21(double latitude, double declination, double dr) {
  const double phi = latitude * kFullPi / 180.0;
  const double ws = std::acos(std::clamp(-std::tan(phi) * std::tan(declination), -1.0, 1.0));
  const double ra = (24.0 * 60.0 / kFullPi) * 0.0820 * dr *
                    (ws * std::sin(phi) * std::sin(declination) +
                     std::cos(phi) * std::cos(declination) * std::sin(ws));
  return ra > 0.0 ? ra : 0.0;
}

// The declination sum s in degrees, before its conversion to radians.
double SolarDeclinationSeries(std::int16_t day) {
  return static_cast<double>(steps::SolarDeclinationSeries(day).sum.back());
}

double Fao56Declination(int day) {
  return 0.409 * std::sin(2.0 * kFullPi * day / 365.0 - 1.39);
}
double Fao56Distance(int day) {
  return 1.0 + 0.033 * std::cos(2.0 * kFullPi * day / 365.0);
}

// The Sun's declination (radians) and 1 / R^2 at 12:00 UT of a date, from the low-precision
// formulas for the Sun in section C of The Astronomical Almanac (about 0.01 degree for 1950 to
// 2050): n days from J2000.0, mean longitude L, mean anomaly g, ecliptic longitude lambda,
// obliquity epsilon, distance R in astronomical units.
struct Almanac {
  double declination;
  double dr;
};
Almanac AlmanacSun(int year, int month, int day) {
  // Julian date at 12:00 UT, valid for 1901..2099.
  const int a = (7 * (year + (month + 9) / 12)) / 4;
  const double jd = 367.0 * year - a + (275 * month) / 9 + day + 1721013.5 + 0.5;
  const double n = jd - 2451545.0;
  const double deg = kFullPi / 180.0;
  const double L = 280.460 + 0.9856474 * n;
  const double g = (357.528 + 0.9856003 * n) * deg;
  const double lambda = (L + 1.915 * std::sin(g) + 0.020 * std::sin(2.0 * g)) * deg;
  const double epsilon = (23.439 - 0.0000004 * n) * deg;
  const double r = 1.00014 - 0.01671 * std::cos(g) - 0.00014 * std::cos(2.0 * g);
  return {std::asin(std::sin(epsilon) * std::sin(lambda)), 1.0 / (r * r)};
}

// Month and day of day `j` of the 365-day year.
void MonthDay(int j, int& month, int& day) {
  month = 1;
  while (j > MonthLength(static_cast<std::int16_t>(month))) {
    j -= MonthLength(static_cast<std::int16_t>(month));
    ++month;
  }
  day = j;
}

struct Largest {
  double value = -1.0;
  double latitude = 0.0;
  int day = 0;
  double a = 0.0, b = 0.0;
  void Take(double difference, double lat, int d, double first, double second) {
    if (std::fabs(difference) > value) {
      value = std::fabs(difference);
      latitude = lat;
      day = d;
      a = first;
      b = second;
    }
  }
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

struct TableRow {
  int latitude;
  double ra[12];
};

std::vector<TableRow> ReadTable(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "Cannot read %s: give the path of fao56_table2_6_ra.csv.\n", path.c_str());
    std::exit(1);
  }
  std::vector<TableRow> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#' || line[0] == 'l') {
      continue;
    }
    std::replace(line.begin(), line.end(), ',', ' ');
    std::istringstream fields(line);
    TableRow row{};
    fields >> row.latitude;
    for (double& v : row.ra) {
      fields >> v;
    }
    if (!fields) {
      std::fprintf(stderr, "%s: not a row of 13 numbers: %s\n", path.c_str(), line.c_str());
      std::exit(1);
    }
    rows.push_back(row);
  }
  return rows;
}

void WorkedExamples() {
  std::printf("FAO-56 Example 8 and 9: 20 S, 3 September, J = 246\n");
  const float lat = -20.0f;
  for (Method m : {Method::Fao56, Method::Harmonic}) {
    std::printf("  %-8s Ra %.3f MJ/m^2/day, %.3f mm/day, N %.3f h\n",
                std::string(Describe(m).name).c_str(),
                TableValue(lat, Aggregation::Daily, Unit::MJPerM2Day, Quantity::Radiation, m, 246),
                TableValue(lat, Aggregation::Daily, Unit::MmPerDay, Quantity::Radiation, m, 246),
                TableValue(lat, Aggregation::Daily, Unit::MJPerM2Day, Quantity::DayLength, m, 246));
  }
  const YearValues harmonic = AnnualRadiation(lat);
  for (int d = 240; d <= 250; ++d) {
    if (std::round(harmonic[static_cast<std::size_t>(d)] * 10.0) == 322.0) {
      std::printf("  harmonic Ra reads 32.2 first on day %d (%.3f)\n", d,
                  harmonic[static_cast<std::size_t>(d)]);
      break;
    }
  }
  const double f = Fao56DailyRadiation(-20.0, 246);
  const double h = harmonic[246];
  std::printf("  harmonic - fao56 on day 246: %.3f MJ/m^2/day (%.1f %%)\n", h - f,
              100.0 * (h - f) / f);
}

// The declination itself, in degrees: the series against eq. 24 and against the almanac.
void Declinations() {
  std::printf("\nDeclination (degrees), days 1..365\n");
  const double toDegrees = 180.0 / kFullPi;
  Largest seriesFao, seriesAlmanac, faoAlmanac;
  double previousSeries = 0.0, previousFao = 0.0;
  int north = 1, south = 1, near = 1, far = 1;
  for (int d = 1; d <= 365; ++d) {
    const auto j = static_cast<std::int16_t>(d);
    north = SolarDeclination(j) > SolarDeclination(static_cast<std::int16_t>(north)) ? d : north;
    south = SolarDeclination(j) < SolarDeclination(static_cast<std::int16_t>(south)) ? d : south;
    near = InverseRelativeDistance(j) > InverseRelativeDistance(static_cast<std::int16_t>(near))
               ? d
               : near;
    far = InverseRelativeDistance(j) < InverseRelativeDistance(static_cast<std::int16_t>(far))
              ? d
              : far;
    const double series = SolarDeclination(j) * toDegrees;
    const double fao = Fao56Declination(d) * toDegrees;
    int month = 0, dayOfMonth = 0;
    MonthDay(d, month, dayOfMonth);
    double almanac = 0.0;
    for (int y = 2021; y <= 2024; ++y) {
      almanac += AlmanacSun(y, month, dayOfMonth).declination * toDegrees / 4.0;
    }
    seriesFao.Take(series - fao, 0.0, d, series, fao);
    seriesAlmanac.Take(series - almanac, 0.0, d, series, almanac);
    faoAlmanac.Take(fao - almanac, 0.0, d, fao, almanac);
    if (d > 1 && (previousSeries < 0.0) != (series < 0.0)) {
      std::printf("  the series changes sign between days %d and %d\n", d - 1, d);
    }
    if (d > 1 && (previousFao < 0.0) != (fao < 0.0)) {
      std::printf("  eq. 24 changes sign between days %d and %d\n", d - 1, d);
    }
    previousSeries = series;
    previousFao = fao;
  }
  auto show = [](const char* what, const Largest& l) {
    std::printf("  %-44s %.3f on day %d (%.3f against %.3f)\n", what, l.value, l.day, l.a, l.b);
  };
  for (int d : {north, south}) {
    const auto j = static_cast<std::int16_t>(d);
    std::printf("  the series' %s: %.5f degrees, %.6f rad, on day %d\n",
                d == north ? "largest" : "smallest", SolarDeclinationSeries(j), SolarDeclination(j),
                d);
  }
  std::printf("  dr: %.6f on day %d, %.6f on day %d\n",
              InverseRelativeDistance(static_cast<std::int16_t>(near)), near,
              InverseRelativeDistance(static_cast<std::int16_t>(far)), far);
  show("series - eq. 24, largest:", seriesFao);
  show("series - almanac (mean of 2021..2024):", seriesAlmanac);
  show("eq. 24 - almanac (mean of 2021..2024):", faoAlmanac);
}

void Table26(const std::string& path) {
  const std::vector<TableRow> rows = ReadTable(path);
  std::printf("\nFAO-56 Table 2.6: %zu cells (latitudes 70 N..70 S, the 15th of each month)\n",
              rows.size() * 12);
  Largest fao, daily, daily60, monthly;
  std::vector<double> faoAll, dailyAll, monthlyAll;
  for (const TableRow& row : rows) {
    const auto lat = static_cast<float>(row.latitude);
    const YearValues harmonic = AnnualRadiation(lat);
    const AnnualCycle months = AnnualCycleTable(
        lat, {Aggregation::Monthly, Unit::MJPerM2Day, Quantity::Radiation, Method::Harmonic});
    for (int m = 0; m < 12; ++m) {
      const int j = kTableDays[m];
      const double printed = row.ra[m];
      const double f = Fao56DailyRadiation(row.latitude, j);
      const double h = harmonic[static_cast<std::size_t>(j)];
      const double mean = months.periods[static_cast<std::size_t>(m)].value;
      fao.Take(f - printed, row.latitude, m, f, printed);
      daily.Take(h - printed, row.latitude, m, h, printed);
      if (std::abs(row.latitude) <= 60) {
        daily60.Take(h - printed, row.latitude, m, h, printed);
      }
      monthly.Take(mean - printed, row.latitude, m, mean, printed);
      faoAll.push_back(std::fabs(f - printed));
      dailyAll.push_back(std::fabs(h - printed));
      monthlyAll.push_back(std::fabs(mean - printed));
      if (row.latitude == 40 && m == 9) {
        std::printf("  40 N, October: printed %.1f, fao56 %.3f, harmonic %.3f (%+.3f, %+.1f %%)\n",
                    printed, f, h, h - printed, 100.0 * (h - printed) / printed);
      }
    }
  }
  auto show = [](const char* what, const Largest& l) {
    std::printf("  %-36s largest %.3f at %d, %s (%.3f against %.1f)\n", what, l.value,
                static_cast<int>(l.latitude), kMonthNames[l.day], l.a, l.b);
  };
  show("fao56 on the 15th:", fao);
  std::printf("  %-36s median %.3f\n", "", Median(faoAll));
  show("harmonic on the 15th:", daily);
  std::printf("  %-36s median %.3f\n", "", Median(dailyAll));
  show("harmonic on the 15th, within -60..60:", daily60);
  show("harmonic monthly mean:", monthly);
  std::printf("  %-36s median %.3f\n", "", Median(monthlyAll));
}

void EveryLatitude() {
  std::printf("\nDaily values, latitudes -90..90 by 0.01, days 1..365\n");
  Largest ra, ra60, hours60, onlyDeclination, declinationAndDistance;
  int sameFormula = 0;
  // The almanac's Sun at 12:00 UT on the date of each model day in four consecutive years;
  // Ra from each year, and from the mean of the four.
  constexpr int kYears = 4;
  const int firstYear = 2021;
  std::vector<Almanac> sun;
  for (int y = firstYear; y < firstYear + kYears; ++y) {
    for (int d = 1; d <= 365; ++d) {
      int month = 0, dayOfMonth = 0;
      MonthDay(d, month, dayOfMonth);
      sun.push_back(AlmanacSun(y, month, dayOfMonth));
    }
  }
  Largest almanacHarmonic[kYears + 1], almanacFao[kYears + 1];
  for (int i = -9000; i <= 9000; ++i) {
    const float lat = static_cast<float>(i / 100.0);
    const auto phi = static_cast<double>(lat);
    const bool within60 = std::fabs(phi) <= 60.0;
    const YearValues harmonic = AnnualRadiation(lat);
    const YearValues fao = DailyValues(lat, Quantity::Radiation, Method::Fao56);
    const YearValues harmonicHours = DailyValues(lat, Quantity::DayLength, Method::Harmonic);
    const YearValues faoHours = DailyValues(lat, Quantity::DayLength, Method::Fao56);
    for (int d = 1; d <= 365; ++d) {
      const auto k = static_cast<std::size_t>(d);
      const double h = harmonic[k];
      const double f = fao[k];
      sameFormula += Eq21(phi, Fao56Declination(d), Fao56Distance(d)) == f;
      ra.Take(h - f, phi, d, h, f);
      if (within60) {
        ra60.Take(h - f, phi, d, h, f);
        hours60.Take(harmonicHours[k] - faoHours[k], phi, d, harmonicHours[k], faoHours[k]);
      }
      const double declination = SolarDeclination(static_cast<std::int16_t>(d));
      const double withDeclination = Eq21(phi, declination, Fao56Distance(d));
      onlyDeclination.Take(h - withDeclination, phi, d, h, withDeclination);
      const double withBoth =
          Eq21(phi, declination, InverseRelativeDistance(static_cast<std::int16_t>(d)));
      declinationAndDistance.Take(h - withBoth, phi, d, h, withBoth);
      if (within60) {
        double mean = 0.0;
        for (int y = 0; y < kYears; ++y) {
          const Almanac& s = sun[static_cast<std::size_t>(y * 365 + d - 1)];
          const double almanac = Eq21(phi, s.declination, s.dr);
          almanacHarmonic[y].Take(h - almanac, phi, d, h, almanac);
          almanacFao[y].Take(f - almanac, phi, d, f, almanac);
          mean += almanac / kYears;
        }
        almanacHarmonic[kYears].Take(h - mean, phi, d, h, mean);
        almanacFao[kYears].Take(f - mean, phi, d, f, mean);
      }
    }
  }
  auto show = [](const std::string& what, const Largest& l, bool scientific = false) {
    std::printf(scientific ? "  %-44s %.1e" : "  %-44s %.3f", what.c_str(), l.value);
    std::printf(" at %.2f, day %d (%.3f against %.3f)\n", l.latitude, l.day, l.a, l.b);
  };
  std::printf("  eq. 21 as written here gives Fao56DailyRadiation exactly: %d of %d values\n",
              sameFormula, 18001 * 365);
  show("harmonic - fao56, Ra (MJ/m^2/day):", ra);
  show("  within -60..60:", ra60);
  show("harmonic - fao56, day length within -60..60 (h):", hours60);
  std::printf("  Cause: eq. 21 in double with the full pi, fed with the program's own terms\n");
  show("harmonic - eq. 21 with the series' declination:", onlyDeclination);
  show("  and with the program's dr as well:", declinationAndDistance, true);
  std::printf("  An almanac's Sun (12:00 UT on the same dates), eq. 21 in double, -60..60:\n");
  for (int y = 0; y <= kYears; ++y) {
    show(y < kYears ? std::to_string(firstYear + y) + ": harmonic - almanac"
                    : "mean of the four: harmonic - almanac",
         almanacHarmonic[y]);
    show("      fao56 - almanac", almanacFao[y]);
  }
}

// The rounded constants beside the values they stand for.
void Constants() {
  std::printf("\nConstants\n");
  std::printf("  W/m^2 per MJ/m^2/day: %.1f, exactly 10^6 / 86400 = %.3f\n",
              UnitFactor(Unit::WPerM2, 1), 1e6 / 86400.0);
  std::printf("  cal/cm^2 per MJ/m^2: %.1f, with the thermochemical calorie %.4f\n",
              UnitFactor(Unit::CalPerCm2Day, 1), 1e6 / 1e4 / 4.184);
  std::printf("  mm/day per MJ/m^2/day: %.3f, 1 / 2.45 MJ/kg = %.5f\n",
              UnitFactor(Unit::MmPerDay, 1), 1.0 / 2.45);
  std::printf("  daily angle step 0.017214, 2 pi / 365 = %.7f\n", 2.0 * kFullPi / 365.0);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string table = argc > 1 ? argv[1] : "tests/data/reference/fao56_table2_6_ra.csv";
  WorkedExamples();
  Table26(table);
  Declinations();
  EveryLatitude();
  Constants();
  return 0;
}
