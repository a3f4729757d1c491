// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestFiles.hpp"
#include "export/CycleFile.hpp"

namespace marovane {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  return lines;
}

CycleChoice Choice(int aggregation, int unit, Quantity quantity = Quantity::Radiation) {
  return {*AggregationOfCode(aggregation), *UnitOfCode(unit), quantity, Method::Harmonic};
}

// Every reference file, made independently, byte for byte: each latitude, aggregation and unit,
// by the harmonic method named, by the method left to its default, and on the command line
// with and without --method harmonic.
TEST(AnnualCycle, EveryReferenceFileByteForByte) {
  for (const char* latitude : {"-90", "-41.9", "0", "41.9", "66.5", "67.0761566", "90"}) {
    for (int aggregation = 1; aggregation <= 4; ++aggregation) {
      for (int unit = 1; unit <= 7; ++unit) {
        const std::string name = "lat_" + std::string(latitude) + "_agg" +
                                 std::to_string(aggregation) + "_unit" + std::to_string(unit) +
                                 ".csv";
        SCOPED_TRACE(name);
        const std::string expected = test::ReadBytes(test::DataPath("reference/files/" + name));
        EXPECT_EQ(AnnualCycleText(std::stof(latitude), Choice(aggregation, unit)), expected);
        const CycleChoice byDefault{*AggregationOfCode(aggregation), *UnitOfCode(unit)};
        EXPECT_EQ(AnnualCycleText(std::stof(latitude), byDefault), expected);
        const std::vector<std::string> arguments = {"--latitude=" + std::string(latitude), "-a",
                                                    std::to_string(aggregation), "-u",
                                                    std::to_string(unit)};
        std::vector<std::string> harmonic = arguments;
        harmonic.insert(harmonic.end(), {"--method", "harmonic"});
        for (const auto& run : {test::CallCli(arguments), test::CallCli(harmonic)}) {
          EXPECT_EQ(run.status, 0) << run.err;
          EXPECT_EQ(run.out, expected);
        }
      }
    }
  }
}

// --method on the command line: the single file, the batch, the day length, and a name that
// is no method.
TEST(AnnualCycle, MethodOnTheCommandLine) {
  const CycleChoice fao56{Aggregation::Daily, Unit::MmPerDay, Quantity::Radiation, Method::Fao56};
  const std::string faoText = AnnualCycleText(-20.0f, fao56);
  ASSERT_NE(faoText, AnnualCycleText(-20.0f, Choice(1, 5)));
  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {{"-l", "-20", "-a", "daily", "-u", "mm/day", "--method", "fao56"}, 0, faoText, ""},
      {{"-l", "-20", "-a", "1", "-u", "5", "-m", "FAO56"}, 0, faoText, ""},
      {{"-l", "69.65", "-q", "daylength", "-m", "fao56"},
       0,
       AnnualCycleText(
           69.65f, {Aggregation::Dekadal, Unit::MJPerM2Day, Quantity::DayLength, Method::Fao56}),
       ""},
      {{"-l", "-20", "--method", "fao"},
       2,
       "",
       "--method: unknown method 'fao'; give harmonic or fao56.\n"},
  };
  for (const Case& c : cases) {
    const test::CliRun run = test::CallCli(c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments.back();
    EXPECT_EQ(run.out, c.out) << c.arguments.back();
    EXPECT_EQ(run.err, c.err) << c.arguments.back();
  }

  test::ScratchDir dir;
  test::WriteText(dir / "lats.txt", "-20\n41.9\n");
  const test::CliRun batch = test::CallCli(
      {"--batch", (dir / "lats.txt").string(), "-a", "daily", "-u", "5", "-m", "fao56"});
  EXPECT_EQ(batch.status, 0) << batch.err;
  EXPECT_EQ(test::ReadBytes(dir / "lats-20.out"), faoText);
  EXPECT_TRUE(faoText.starts_with(
      "Latitude, Julian Day, extraterrestrial Radiation mm/day (method fao56)\r\n-20, 1, "));
  EXPECT_EQ(test::ReadBytes(dir / "lats41.9.out"), AnnualCycleText(41.9f, fao56));
}

TEST(AnnualCycle, WorkedExampleAt41_9) {
  struct Case {
    std::int16_t aggregation;
    std::int16_t unit;
    std::size_t line;  // 1 is the header
    const char* text;
    Method method = Method::Harmonic;
  };
  const Case cases[] = {
      {3, 1, 1, "Latitude, Dekad Number, extraterrestrial Radiation MJ/m^2/day"},
      // FAO-56's file says so at the header's end; its lines are as the default method's.
      {3, 1, 1, "Latitude, Dekad Number, extraterrestrial Radiation MJ/m^2/day (method fao56)",
       Method::Fao56},
      {2, 5, 1, "Latitude, Week Number, extraterrestrial Radiation mm/day (method fao56)",
       Method::Fao56},
      {3, 1, 2, "41.9, 1, 12.969"},
      {3, 1, 3, "41.9, 2, 13.986"},
      {3, 1, 4, "41.9, 3, 15.55"},
      {3, 6, 2, "41.9, 1, 129.689"},
      {3, 6, 4, "41.9, 3, 171.051"},
      {1, 1, 2, "41.9, 1, 12.651"},
      {1, 1, 173, "41.9, 172, 41.93"},
      {2, 1, 54, "41.9, 53, 12.781"},
      {4, 1, 7, "41.9, 6, 41.757"},
      {4, 4, 7, "41.9, 6, 484.38"},
      {1, 1, 1, "Latitude, Julian Day, extraterrestrial Radiation MJ/m^2/day"},
      {2, 5, 1, "Latitude, Week Number, extraterrestrial Radiation mm/day"},
      {4, 7, 1, "Latitude, Month Number, extraterrestrial Radiation mm/dekad"},
      // Pentads: 1-5 January, 26-28 February, 26-31 December (means of the reference's days).
      {5, 1, 1, "Latitude, Pentad Number, extraterrestrial Radiation MJ/m^2/day"},
      {5, 1, 2, "41.9, 1, 12.776"},
      {5, 1, 13, "41.9, 12, 22.596"},
      {5, 1, 73, "41.9, 72, 12.499"},
      {5, 7, 13, "41.9, 12, 92.192"},
  };
  for (const Case& c : cases) {
    CycleChoice choice = Choice(c.aggregation, c.unit);
    choice.method = c.method;
    const std::vector<std::string> lines = Lines(AnnualCycleText(41.9f, choice));
    ASSERT_GE(lines.size(), c.line);
    EXPECT_EQ(lines[c.line - 1], c.text) << "aggregation " << c.aggregation << " unit " << c.unit;
  }
}

TEST(AnnualCycle, DayLengthLines) {
  struct Case {
    float latitude;
    std::int16_t aggregation;
    std::size_t line;  // 1 is the header
    const char* text;
  };
  const Case cases[] = {
      {41.9f, 1, 1, "Latitude, Julian Day, Day length hours"},
      {41.9f, 2, 1, "Latitude, Week Number, Day length hours"},
      {41.9f, 3, 1, "Latitude, Dekad Number, Day length hours"},
      {41.9f, 4, 1, "Latitude, Month Number, Day length hours"},
      {41.9f, 1, 173, "41.9, 172, 15.052"},  // DayLength is 15.05196 as a single
      {90.0f, 1, 173, "90, 172, 24"},        // polar day
      {-90.0f, 1, 173, "-90, 172, 0"},       // polar night
      {70.0f, 4, 7, "70, 6, 24"},            // a month of midnight sun
      {-70.0f, 4, 7, "-70, 6, 0"},
      {70.0f, 3, 36, "70, 35, 0"},
      {69.65f, 3, 3, "69.65, 2, 0.113"},  // the sun comes back within dekad 2
  };
  for (const Case& c : cases) {
    // The unit plays no part in a table of hours.
    for (std::int16_t unit : {std::int16_t{1}, std::int16_t{7}}) {
      const std::vector<std::string> lines =
          Lines(AnnualCycleText(c.latitude, Choice(c.aggregation, unit, Quantity::DayLength)));
      ASSERT_GE(lines.size(), c.line);
      EXPECT_EQ(lines[c.line - 1], c.text) << c.latitude << " aggregation " << c.aggregation;
    }
  }
}

TEST(AnnualCycle, DayLengthAtTheEquatorIsTwelveHoursInEveryPeriod) {
  const std::size_t periods[] = {365, 53, 36, 12, 72};
  for (std::int16_t aggregation = 1; aggregation <= 5; ++aggregation) {
    const AnnualCycle table = AnnualCycleTable(0.0f, Choice(aggregation, 1, Quantity::DayLength));
    ASSERT_EQ(table.periods.size(), periods[aggregation - 1]);
    for (const CyclePeriod& p : table.periods) {
      EXPECT_EQ(p.value, 12.0) << "aggregation " << aggregation << " period " << p.number;
    }
  }
}

TEST(AnnualCycle, PolarNightIsWrittenAsZeroNeverMinusZero) {
  for (float latitude : {90.0f, -90.0f}) {
    for (std::int16_t aggregation = 1; aggregation <= 5; ++aggregation) {
      const std::string text = AnnualCycleText(latitude, Choice(aggregation, 1));
      EXPECT_EQ(text.find(", -0"), std::string::npos) << latitude << " " << aggregation;
    }
  }
  EXPECT_NE(AnnualCycleText(90.0f, Choice(1, 1)).find("\r\n90, 1, 0\r\n"), std::string::npos);
}

// Codes and names from outside are judged once, at the edge: each accepted form, and what has
// no value.
TEST(Choices, NamesAndCodesFromOutside) {
  EXPECT_EQ(AggregationNamed("daily"), Aggregation::Daily);
  EXPECT_EQ(AggregationNamed("Monthly"), Aggregation::Monthly);
  EXPECT_EQ(AggregationNamed("DEKADAL"), Aggregation::Dekadal);
  EXPECT_EQ(AggregationNamed("2"), Aggregation::Weekly);
  EXPECT_EQ(AggregationNamed("Pentadal"), Aggregation::Pentadal);
  EXPECT_EQ(AggregationNamed("5"), Aggregation::Pentadal);
  EXPECT_EQ(UnitNamed("mm/dekad"), Unit::MmPerDekad);
  EXPECT_EQ(UnitNamed("4"), Unit::WPerM2);
  EXPECT_EQ(QuantityNamed("DayLength"), Quantity::DayLength);
  EXPECT_EQ(MethodNamed("FAO56"), Method::Fao56);
  EXPECT_EQ(MethodNamed("harmonic"), Method::Harmonic);
  for (const char* name : {"", "0", "6", "9", "05", "yearly", "dail", "dailyy", " daily"}) {
    EXPECT_EQ(AggregationNamed(name), std::nullopt) << name;
  }
  for (const char* name : {"", "0", "8", "-1", "MJ/M^2/DAY", "mm", "mm/day ", "07"}) {
    EXPECT_EQ(UnitNamed(name), std::nullopt) << name;
  }
  EXPECT_EQ(QuantityNamed("sunshine"), std::nullopt);
  EXPECT_EQ(MethodNamed("fao"), std::nullopt);
  for (const int code : {0, 8, -1, 32767}) {
    EXPECT_EQ(UnitOfCode(code), std::nullopt) << code;
  }
  EXPECT_EQ(AggregationOfCode(6), std::nullopt);
  EXPECT_EQ(AggregationOfCode(0), std::nullopt);
  // Each row holds its own value, in code order.
  for (const UnitInfo& row : choice::kUnits) {
    EXPECT_EQ(&Describe(row.value), &row);
  }
  for (const AggregationInfo& row : choice::kAggregations) {
    EXPECT_EQ(&Describe(row.value), &row);
    const std::vector<CyclePeriod> periods = CyclePeriods(row.value);
    EXPECT_EQ(periods.size(), static_cast<std::size_t>(row.periods));
    // Numbered from 1, one after the other, covering the year (weeks run on to day 371).
    int number = 1;
    int day = 1;
    for (const CyclePeriod& p : periods) {
      EXPECT_EQ(p.number, number++) << row.name;
      EXPECT_EQ(p.firstDay, day) << row.name;
      day += p.days;
    }
    EXPECT_EQ(day - 1, row.value == Aggregation::Weekly ? 371 : 365) << row.name;
  }
}

}  // namespace
}  // namespace marovane
