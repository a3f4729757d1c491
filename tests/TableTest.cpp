// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <netcdf.h>

#include <gtest/gtest.h>

#include "TestFiles.hpp"
#include "export/CycleFile.hpp"
#include "export/NetcdfTable.hpp"
#include "export/Stations.hpp"
#include "export/Table.hpp"
#include "text/NumberText.hpp"

namespace marovane {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string::npos;
       start = at + separator.size()) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

// The cells of a CSV text: rows split at CR LF (the last line end included), cells at ",".
std::vector<std::vector<std::string>> Cells(const std::string& text, const std::string& comma) {
  std::vector<std::vector<std::string>> rows;
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  for (const std::string& line : Split(text.substr(0, text.size() - 2), "\r\n")) {
    rows.push_back(Split(line, comma));
  }
  return rows;
}

std::vector<CycleChoice> EveryChoice() {
  std::vector<CycleChoice> choices;
  for (const AggregationInfo& a : choice::kAggregations) {
    for (const MethodInfo& m : choice::kMethods) {
      for (const UnitInfo& u : choice::kUnits) {
        choices.push_back({a.value, u.value, Quantity::Radiation, m.value});
      }
      choices.push_back({a.value, kDefaultUnit, Quantity::DayLength, m.value});
    }
  }
  return choices;
}

// The table's every cell is the single-latitude file's text of the same number, in both
// layouts, for every aggregation, unit, quantity and method.
TEST(Table, CellsAreTheSingleFilesText) {
  const std::vector<float> latitudes = {-90.0f, -41.9f, 0.0f, 12.5f, 41.9f, 67.0761566f, 90.0f};
  for (const CycleChoice& choice : EveryChoice()) {
    const std::string what = CycleHeader(choice) + " " + std::string(Describe(choice.method).name);
    const auto wide = Cells(TableText(latitudes, choice, TableLayout::Wide), ",");
    const auto longRows = Cells(TableText(latitudes, choice, TableLayout::Long), ",");
    const auto periods = static_cast<std::size_t>(Describe(choice.aggregation).periods);
    ASSERT_EQ(wide.size(), latitudes.size() + 1) << what;
    ASSERT_EQ(longRows.size(), latitudes.size() * periods + 1) << what;
    ASSERT_EQ(wide[0].size(), periods + 1) << what;
    // The first cell names the method, and no other cell changes for it.
    const std::string method = " (method " + std::string(Describe(choice.method).name) + ")";
    EXPECT_EQ(wide[0][0], QuantityHeader(choice) + method) << what;
    EXPECT_EQ(wide[0][1], std::string(Describe(choice.aggregation).period) + " 1") << what;
    const auto harmonicHeader =
        Cells(AnnualCycleText(0.0f, {choice.aggregation, choice.unit, choice.quantity}), ", ")[0];
    ASSERT_EQ(harmonicHeader.size(), 3u);
    EXPECT_EQ(longRows[0],
              (std::vector<std::string>{"Latitude" + method, harmonicHeader[1], harmonicHeader[2]}))
        << what;
    for (std::size_t i = 0; i < latitudes.size(); ++i) {
      const auto single = Cells(AnnualCycleText(latitudes[i], choice), ", ");
      ASSERT_EQ(single.size(), periods + 1);
      EXPECT_EQ(wide[i + 1][0], single[1][0]) << what;
      for (std::size_t p = 0; p < periods; ++p) {
        EXPECT_EQ(wide[i + 1][p + 1], single[p + 1][2]) << what << " row " << i << " col " << p;
        EXPECT_EQ(longRows[1 + i * periods + p], single[p + 1]) << what;
      }
    }
  }
}

TEST(Table, Grids) {
  struct Case {
    const char* text;
    std::size_t count;  // 0: refused
    const char* first;  // or what the refusal says
    const char* last = "";
  };
  const Case cases[] = {
      {"-89.75:89.75:0.5", 360, "-89.75", "89.75"},
      {"-89.99:89.99:0.01", 17999, "-89.99", "89.99"},
      {"-90:90:0.1", 1801, "-90", "90"},
      {"0:1:0.3", 4, "0", "0.9"},
      {"10:10:1", 1, "10", "10"},
      {" -1 : 1 : 1 ", 3, "-1", "1"},
      {"-50:49.9999:0.0001", 1000000, "-50", "49.9999"},
      {"-50:50:0.0001", 0, "more than 1,000,000"},
      {"0:90:1e-300", 0, "more than 1,000,000"},
      {"0:1:0", 0, "STEP '0' is not above 0"},
      {"0:1:-0.5", 0, "STEP '-0.5' is not above 0"},
      {"1:0:0.5", 0, "STOP '0' lies below START '1'"},
      {"-91:0:1", 0, "START '-91' lies outside -90..90"},
      {"0:90.5:1", 0, "STOP '90.5' lies outside -90..90"},
      {"a:1:1", 0, "START 'a' is not a number"},
      {"0:1e999:1", 0, "STOP '1e999' is not a number"},
      {"0:1:", 0, "STEP '' is not a number"},
      {"0:1", 0, "'0:1' is not START:STOP:STEP"},
      {"0:1:1:1", 0, "is not START:STOP:STEP"},
  };
  for (const Case& c : cases) {
    std::string refusal;
    const auto grid = GridLatitudes(c.text, refusal);
    ASSERT_EQ(grid.has_value(), c.count > 0) << c.text << ": " << refusal;
    if (!grid) {
      EXPECT_NE(refusal.find(c.first), std::string::npos) << c.text << ": " << refusal;
      continue;
    }
    ASSERT_EQ(grid->size(), c.count) << c.text;
    EXPECT_EQ(SingleText(grid->front()), c.first) << c.text;
    EXPECT_EQ(SingleText(grid->back()), c.last) << c.text;
  }
  // Each latitude is START + i * STEP in double, then single; none passes STOP.
  std::string refusal;
  const auto grid = GridLatitudes("-89.99:89.99:0.01", refusal);
  for (std::size_t i = 0; i < grid->size(); ++i) {
    ASSERT_EQ((*grid)[i], static_cast<float>(-89.99 + static_cast<double>(i) * 0.01)) << i;
  }
  EXPECT_EQ(SingleText((*grid)[1]), "-89.98");
}

TEST(Table, DateRanges) {
  struct Case {
    const char* text;
    const char* refusal;  // empty: taken
  };
  const Case cases[] = {
      {"2023-01-01/2024-12-31", ""},
      {"2024-02-29/2024-02-29", ""},
      {"2000-01-01/2099-12-31", ""},  // 36,525 days
      {"2000-01-01/2100-01-01", "spans 36526 days, more than 100 years"},
      {"2023-02-29/2023-03-01", "FROM '2023-02-29' is no date"},
      {"2023-01-01/2023-04-31", "TO '2023-04-31' is no date"},
      {"2024-01-02/2024-01-01", "FROM 2024-01-02 is after TO 2024-01-01"},
      {"2023-01-01", "is not FROM/TO"},
      {"2023-01-01/2023-01-02/2023-01-03", "is not FROM/TO"},
      {"2023-1-1/2023-01-02", "FROM '2023-1-1' is no date"},
  };
  for (const Case& c : cases) {
    std::string refusal;
    const auto range = ParseDateRange(c.text, refusal);
    EXPECT_EQ(range.has_value(), *c.refusal == '\0') << c.text << ": " << refusal;
    EXPECT_NE(refusal.find(c.refusal), std::string::npos) << c.text << ": " << refusal;
  }
}

// A NetCDF table's latitudes: ascending, each once; latitudes that the files write alike are
// one, named once however often they come.
TEST(Table, CoordinateLatitudes) {
  std::vector<float> many;
  for (int i = 0; i < 23; ++i) {
    many.insert(many.end(), 2, static_cast<float>(i));
  }
  struct Case {
    std::vector<float> latitudes;
    std::vector<float> ascending;  // empty: refused
    std::string refusal = "";
  };
  const Case cases[] = {
      {{41.9f, -33.8675f, 10.0f, -90.0f, 90.0f}, {-90.0f, -33.8675f, 10.0f, 41.9f, 90.0f}},
      {{5.0f}, {5.0f}},
      {{41.9f, 10.0f, 41.9f}, {}, "latitude 41.9 comes more than once"},
      {{41.9f, 10.0f, 41.9f, 41.9f}, {}, "latitude 41.9 comes more than once"},
      {{0.0f, -0.0f}, {}, "latitude 0 comes more than once"},
      {{45.0f, 45.000002f}, {}, "latitude 45 comes more than once"},  // alike in the files
      {{45.0f, 45.00001f}, {45.0f, 45.00001f}},
      {{3.0f, 1.0f, 3.0f, 1.0f}, {}, "latitudes 1, 3 come more than once"},
      {many,
       {},
       "latitudes 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19 and 3 "
       "more come more than once"},
  };
  for (const Case& c : cases) {
    std::string refusal = "(none)";
    const auto ascending = CoordinateLatitudes(c.latitudes, refusal);
    EXPECT_EQ(ascending.value_or(std::vector<float>{}), c.ascending) << c.refusal;
    EXPECT_EQ(refusal, c.refusal);
  }
  // The file itself takes them in no other order.
  EXPECT_THROW(NetcdfTable({1.0f, 0.0f}, CycleChoice{}), NetcdfError);
  EXPECT_THROW(NetcdfTable({1.0f, 1.0f}, CycleChoice{}), NetcdfError);
  const auto periods =
      DatedPeriods(*ParseIsoDate("2024-01-01"), *ParseIsoDate("2024-01-01"), Aggregation::Daily);
  EXPECT_THROW(NetcdfDatedTable({1.0f, 0.0f}, periods, CycleChoice{Aggregation::Daily}),
               NetcdfError);
}

// Real dates: each period's first day, every latitude, the values DatedValue gives; in a
// common year the same numbers as the 365-day table, and 31 December of a leap year is there.
TEST(Table, DatedTable) {
  const std::vector<float> latitudes = {41.9f, -33.8675f};
  for (const Aggregation aggregation :
       {Aggregation::Daily, Aggregation::Dekadal, Aggregation::Monthly}) {
    for (const Unit unit : {Unit::MJPerM2Day, Unit::MmPerDekad}) {
      const CycleChoice choice{aggregation, unit, Quantity::Radiation, Method::Fao56};
      const auto periods =
          DatedPeriods(*ParseIsoDate("2023-01-01"), *ParseIsoDate("2024-12-31"), aggregation);
      const auto rows = Cells(DatedTableText(latitudes, periods, choice), ",");
      ASSERT_EQ(rows.size(), periods.size() * 2 + 1);
      EXPECT_EQ(rows[0][0] + "," + rows[0][1], "Date (method fao56),Latitude");
      const auto year = Cells(TableText(latitudes, choice, TableLayout::Wide), ",");
      const std::size_t inYear = year[0].size() - 1;
      for (std::size_t p = 0; p < periods.size(); ++p) {
        for (std::size_t i = 0; i < 2; ++i) {
          const auto& row = rows[1 + p * 2 + i];
          EXPECT_EQ(row[0], IsoText(periods[p].first));
          EXPECT_EQ(row[1], SingleText(latitudes[i]));
          if (p < inYear) {
            EXPECT_EQ(row[2], year[1 + i][1 + p]) << row[0];
          }
        }
      }
      EXPECT_EQ(rows[rows.size() - 2][0], aggregation == Aggregation::Daily     ? "2024-12-31"
                                          : aggregation == Aggregation::Dekadal ? "2024-12-21"
                                                                                : "2024-12-01");
    }
  }
}

// A NetCDF table read back by the library: its dimensions, its attributes as DescribeTable
// says them, and the numbers of the CSV table; the same bytes every time.
// Read from a file as readers read it: the library's reading from memory refuses a small
// table whose header outgrows its first read (a header of about 2 kB in a file of less).
struct NetcdfFile {
  explicit NetcdfFile(const NetcdfBytes& bytes) {
    const fs::path path = dir / "table.nc";
    test::WriteText(path, std::string(bytes.view()));
    EXPECT_EQ(nc_open(path.c_str(), NC_NOWRITE, &id), NC_NOERR);
  }
  ~NetcdfFile() { nc_close(id); }
  std::size_t length(const std::string& dimension) const {
    int d = 0;
    std::size_t n = 0;
    EXPECT_EQ(nc_inq_dimid(id, dimension.c_str(), &d), NC_NOERR) << dimension;
    nc_inq_dimlen(id, d, &n);
    return n;
  }
  int variable(const std::string& name) const {
    int v = -1;
    EXPECT_EQ(nc_inq_varid(id, name.c_str(), &v), NC_NOERR) << name;
    return v;
  }
  std::string text(int variable, const std::string& name) const {
    std::size_t n = 0;
    if (nc_inq_attlen(id, variable, name.c_str(), &n) != NC_NOERR) {
      return "(none)";
    }
    std::string value(n, '\0');
    nc_get_att_text(id, variable, name.c_str(), value.data());
    return value;
  }
  void expectAttributes(int v, const std::vector<TableAttribute>& attributes) const {
    int count = 0;
    nc_inq_varnatts(id, v, &count);
    EXPECT_EQ(static_cast<std::size_t>(count), attributes.size());
    for (const TableAttribute& a : attributes) {
      EXPECT_EQ(text(v, a.name), a.value) << a.name;
    }
  }
  test::ScratchDir dir;
  int id = -1;
};

TEST(Table, NetcdfHoldsTheCsvNumbers) {
  const std::vector<float> latitudes = {-89.75f, -41.9f, 0.0f, 41.9f, 90.0f};
  for (const CycleChoice& choice : EveryChoice()) {
    const std::string what = CycleHeader(choice) + " " + std::string(Describe(choice.method).name);
    const NetcdfBytes bytes = NetcdfTable(latitudes, choice);
    EXPECT_TRUE(bytes.view() == NetcdfTable(latitudes, choice).view()) << what;
    const NetcdfFile file(bytes);
    const TableDescription table = DescribeTable(choice);
    const auto periods = static_cast<std::size_t>(Describe(choice.aggregation).periods);
    EXPECT_EQ(file.length("lat"), latitudes.size()) << what;
    EXPECT_EQ(file.length("lon"), 1U) << what;
    EXPECT_EQ(file.length("time"), periods) << what;
    file.expectAttributes(NC_GLOBAL, table.global);
    file.expectAttributes(file.variable(table.data.name), table.data.attributes);
    file.expectAttributes(file.variable("lat"), table.latitude.attributes);
    file.expectAttributes(file.variable("lon"), table.longitude->attributes);
    file.expectAttributes(file.variable("time"), table.period.attributes);
    EXPECT_EQ(file.text(file.variable("time"), "calendar"), "noleap");
    EXPECT_EQ(file.text(file.variable("time"), "units"), "days since 0001-01-01 00:00:00");
    // The values vary along time, then lat: CDO reads a grid of lon and lat at each time.
    int dimensions[3] = {};
    int rank = 0;
    nc_inq_varndims(file.id, file.variable(table.data.name), &rank);
    ASSERT_EQ(rank, 3) << what;
    nc_inq_vardimid(file.id, file.variable(table.data.name), dimensions);
    std::vector<std::string> names;
    for (const int d : dimensions) {
      char name[NC_MAX_NAME + 1] = {};
      nc_inq_dimname(file.id, d, name);
      names.emplace_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"time", "lat", "lon"})) << what;
    // The comment describes the calendar, then the method.
    const std::string comment = file.text(NC_GLOBAL, "comment");
    EXPECT_TRUE(
        comment.starts_with("Days 1 to 365 of a year without 29 February, the year 1 of "
                            "the calendar noleap: "))
        << comment;
    EXPECT_NE(comment.find(choice.method == Method::Harmonic
                               ? ". Method harmonic, Marovane's own model: the solar declination "
                                 "is a Fourier series of four harmonics"
                               : ". Method fao56: equations 21 to 25 and 34 of FAO Irrigation"),
              std::string::npos)
        << comment;

    std::vector<float> lat(latitudes.size());
    nc_get_var_float(file.id, file.variable("lat"), lat.data());
    EXPECT_EQ(lat, latitudes);
    float lon = 1.0f;
    nc_get_var_float(file.id, file.variable("lon"), &lon);
    EXPECT_EQ(lon, 0.0f);
    std::vector<double> values(latitudes.size() * periods);
    nc_get_var_double(file.id, file.variable(table.data.name), values.data());
    const auto wide = Cells(TableText(latitudes, choice, TableLayout::Wide), ",");
    for (std::size_t i = 0; i < latitudes.size(); ++i) {
      for (std::size_t p = 0; p < periods; ++p) {
        ASSERT_EQ(DoubleText(values[p * latitudes.size() + i]), wide[i + 1][p + 1]) << what;
      }
    }
    // Each period runs from its time to the next one's, in a year of 365 days from 0 (1
    // January of the year 1); week 53 runs on to 6 January of the year 2.
    std::vector<double> times(periods);
    std::vector<double> ends(periods * 2);
    nc_get_var_double(file.id, file.variable("time"), times.data());
    nc_get_var_double(file.id, file.variable(table.periodBounds.name), ends.data());
    EXPECT_EQ(ends.front(), 0.0) << what;
    EXPECT_EQ(ends.back(), choice.aggregation == Aggregation::Weekly ? 371.0 : 365.0) << what;
    const std::vector<CyclePeriod> cycle = CyclePeriods(choice.aggregation);
    for (std::size_t p = 0; p < periods; ++p) {
      EXPECT_EQ(times[p], ends[2 * p]) << what << " period " << p + 1;
      EXPECT_EQ(times[p], cycle[p].firstDay - 1) << what << " period " << p + 1;
      EXPECT_EQ(ends[2 * p + 1] - ends[2 * p], cycle[p].days) << what << " period " << p + 1;
      if (p > 0) {
        EXPECT_EQ(ends[2 * p], ends[2 * p - 1]) << what << " period " << p + 1;
      }
    }
  }
  // No dimension of a table may be empty: the library would take it for an unlimited one.
  EXPECT_THROW(NetcdfTable({}, CycleChoice{}), NetcdfError);
}

TEST(Table, NetcdfOfRealDates) {
  const std::vector<float> latitudes = {-33.8675f, 0.0f, 41.9f};
  const CycleChoice choice{Aggregation::Dekadal, Unit::MJPerM2Dekad, Quantity::Radiation,
                           Method::Harmonic};
  const auto periods =
      DatedPeriods(*ParseIsoDate("2024-02-15"), *ParseIsoDate("2024-03-05"), choice.aggregation);
  const NetcdfFile file(NetcdfDatedTable(latitudes, periods, choice));
  const TableDescription table = DescribeDatedTable(choice, periods.front().first);
  EXPECT_EQ(file.text(file.variable("time"), "units"), "days since 2024-02-11 00:00:00");
  EXPECT_EQ(file.text(file.variable(table.data.name), "cell_methods"), "time: sum");
  const std::string comment = file.text(NC_GLOBAL, "comment");
  EXPECT_TRUE(comment.starts_with("Each day takes its day of the year J")) << comment;
  EXPECT_TRUE(
      comment.ends_with("the Method section of Marovane's README sets out every step "
                        "and coefficient."))
      << comment;
  std::vector<double> ends(periods.size() * 2);
  nc_get_var_double(file.id, file.variable("time_bounds"), ends.data());
  EXPECT_EQ(ends, (std::vector<double>{0, 10, 10, 19, 19, 29}));
  std::vector<double> values(periods.size() * latitudes.size());
  nc_get_var_double(file.id, file.variable(table.data.name), values.data());
  EXPECT_EQ(values, DatedTableValues(latitudes, periods, choice));
}

// A station list as spreadsheets and weather services write it: the separator, quotes, a byte
// order mark and the columns found; every refusal names the row, its line and the column.
TEST(Table, Stations) {
  struct Case {
    std::string text;
    std::vector<std::string> ids;  // empty: refused
    std::vector<float> latitudes;
    std::string refusal = "";
    StationColumns columns = {};
  };
  const Case cases[] = {
      {"id,lat,lon\n ROM ,41.9,12.5\nSYD,-33.8675,151.2\n", {"ROM", "SYD"}, {41.9f, -33.8675f}},
      {"\xEF\xBB\xBFStation;Latitude;Longitude\r\nRoma Urbe;41,9;12\r\n\r\nKiruna;67.85;20.2\r\n",
       {},
       {},
       "row 1 (line 2), column 'Latitude': '41,9' is not a latitude in decimal degrees"},
      {"\xEF\xBB\xBFStation;Latitude;Longitude\r\nRoma Urbe;41.9;12\r\n\r\nKiruna;67.85;20.2",
       {"Roma Urbe", "Kiruna"},
       {41.9f, 67.85f}},
      {"name\tLAT\nA\t1\nB\t2\n", {"A", "B"}, {1.0f, 2.0f}},
      {"lat,lon\n10,1\n-10,2\n10,3\n", {"1", "2", "3"}, {10.0f, -10.0f, 10.0f}},
      {"\"id\",\"lat\"\n\"Rome, \"\"Urbe\"\"\",\"41:54:00N\"\n\"two\nlines\",0\n",
       {"Rome, \"Urbe\"", "two\nlines"},
       {41.9f, 0.0f}},
      {"code,y\nA,5\n", {"A"}, {5.0f}, "", {"Y", "CODE"}},
      {"id,lat\nA,5\nB,6\nA,7\n",
       {},
       {},
       "row 3 (line 4), column 'id': 'A' is already the identifier of row 1; each station needs "
       "its own"},
      {"id,lat,lon\nA,91,0\n", {}, {}, "row 1 (line 2), column 'lat': '91' lies outside -90..90"},
      {"id,lat\nA,\n", {}, {}, "row 1 (line 2), column 'lat': no latitude"},
      {"id,lat\nA\n", {}, {}, "row 1 (line 2), column 'lat': no latitude"},
      {"id,lat\n,5\n", {}, {}, "row 1 (line 2), column 'id': no identifier"},
      {"id,lat\nA,nan\n", {}, {}, "'nan' is not a latitude"},
      {"id,x,y\nA,1,2\n",
       {},
       {},
       "the header names no latitude column (lat or latitude, in any case); its columns are 'id', "
       "'x', 'y'; give --latitude-column NAME"},
      {"id,lat\nA,1\n", {}, {}, "the header has no column 'y' (--latitude-column)", {"y", ""}},
      {"id,lat\nA,1\n", {}, {}, "the header has no column 'code' (--id-column)", {"", "code"}},
      {"id,lat,Lat\nA,1,2\n", {}, {}, "the header names column 'Lat' twice (columns 2 and 3)"},
      {"id,lat\n", {}, {}, "no station below the header"},
      {"", {}, {}, "no header line naming the columns"},
      {"id,lat\n\"A,1\n", {}, {}, "line 2: a quoted field is not closed"},
  };
  for (const Case& c : cases) {
    std::string refusal = "(none)";
    const std::optional<Stations> stations = ParseStations(c.text, c.columns, refusal);
    EXPECT_EQ(stations.has_value(), !c.ids.empty()) << c.text << ": " << refusal;
    if (stations) {
      EXPECT_EQ(stations->ids, c.ids) << c.text;
      EXPECT_EQ(stations->latitudes, c.latitudes) << c.text;
      EXPECT_EQ(refusal, "") << c.text;
    } else {
      EXPECT_NE(refusal.find(c.refusal), std::string::npos) << c.text << ": " << refusal;
    }
  }
  // Rows given split are read and checked alike, named by their number alone.
  std::string refusal;
  EXPECT_FALSE(StationsOfRows({"station", "latitude"}, {{"A", "1"}, {"B", "x"}}, {}, refusal));
  EXPECT_EQ(refusal, "row 2, column 'latitude': 'x' is not a latitude in decimal degrees");
  const auto split = StationsOfRows({"lat", "name"}, {{"-5", "A"}}, {}, refusal);
  ASSERT_TRUE(split);
  EXPECT_EQ(split->ids, std::vector<std::string>{"A"});
}

// A station table's rows are led by the identifier, written so that a reader takes it back as
// it was; every other cell is the latitude table's.
TEST(Table, StationTables) {
  const Stations stations{{"ROM", "Rome, \"Urbe\"", " x", "ROM2"},
                          {41.9f, 41.9f, -33.8675f, 90.0f}};
  const std::vector<std::string> written = {"ROM", "\"Rome, \"\"Urbe\"\"\"", "\" x\"", "ROM2"};
  for (const CycleChoice& choice : EveryChoice()) {
    const std::string what = CycleHeader(choice) + " " + std::string(Describe(choice.method).name);
    const std::string method = " (method " + std::string(Describe(choice.method).name) + ")";
    const auto periods = static_cast<std::size_t>(Describe(choice.aggregation).periods);
    const auto plainWide = TableText(stations.latitudes, choice, TableLayout::Wide);
    const auto plainLong = TableText(stations.latitudes, choice, TableLayout::Long);
    const auto wideText = StationTableText(stations, choice, TableLayout::Wide);
    const auto longText = StationTableText(stations, choice, TableLayout::Long);
    const std::string wideHeader = plainWide.substr(0, plainWide.find("\r\n"));
    const std::string longHeader = plainLong.substr(0, plainLong.find("\r\n"));
    std::string wideWanted = wideHeader.substr(0, wideHeader.find(',')) + ",Latitude" +
                             wideHeader.substr(wideHeader.find(',')) + "\r\n";
    std::string longWanted =
        "Station" + method + ",Latitude," + longHeader.substr(longHeader.find(',') + 1) + "\r\n";
    const auto wideRows = Split(plainWide.substr(plainWide.find('\n') + 1), "\r\n");
    const auto longRows = Split(plainLong.substr(plainLong.find('\n') + 1), "\r\n");
    for (std::size_t i = 0; i < written.size(); ++i) {
      wideWanted += written[i] + "," + wideRows[i] + "\r\n";
      for (std::size_t p = 0; p < periods; ++p) {
        longWanted += written[i] + "," + longRows[i * periods + p] + "\r\n";
      }
    }
    EXPECT_EQ(wideText, wideWanted) << what;
    EXPECT_EQ(longText, longWanted) << what;
    if (!HasRealPeriods(choice.aggregation)) {
      continue;
    }
    const auto dated =
        DatedPeriods(*ParseIsoDate("2024-02-27"), *ParseIsoDate("2024-03-02"), choice.aggregation);
    const auto plainDated = Cells(DatedTableText(stations.latitudes, dated, choice), ",");
    std::string datedWanted =
        "Station" + method + ",Date,Latitude," + QuantityHeader(choice) + "\r\n";
    for (std::size_t i = 0; i < written.size(); ++i) {
      for (std::size_t p = 0; p < dated.size(); ++p) {
        const auto& row = plainDated[1 + p * written.size() + i];
        datedWanted += written[i] + "," + row[0] + "," + row[1] + "," + row[2] + "\r\n";
      }
    }
    EXPECT_EQ(StationDatedTableText(stations, dated, choice), datedWanted) << what;
  }
}

// A NetCDF table of stations as CF's discrete stations: station_id in characters, lat along
// station in the stations' order, the values of the latitude table's file.
TEST(Table, NetcdfOfStations) {
  const Stations stations{{"SYD", "Roma Urbe", "ROM", "Zürich"}, {-33.8675f, 41.9f, 41.9f, 47.4f}};
  const std::vector<float> ascending = {-33.8675f, 41.9f, 47.4f};
  const std::size_t rows[] = {0, 1, 1, 2};  // each station's row in the latitudes' table
  const CycleChoice choice{Aggregation::Dekadal, Unit::MmPerDekad, Quantity::Radiation,
                           Method::Fao56};
  const auto periods =
      DatedPeriods(*ParseIsoDate("2024-02-15"), *ParseIsoDate("2024-03-05"), choice.aggregation);
  for (const bool dated : {false, true}) {
    const NetcdfBytes bytes = dated ? NetcdfStationDatedTable(stations, periods, choice)
                                    : NetcdfStationTable(stations, choice);
    const NetcdfBytes plain =
        dated ? NetcdfDatedTable(ascending, periods, choice) : NetcdfTable(ascending, choice);
    const TableDescription table =
        dated ? DescribeStationDatedTable(choice, periods[0].first) : DescribeStationTable(choice);
    const NetcdfFile file(bytes);
    const NetcdfFile latitudes(plain);
    EXPECT_EQ(file.length("station"), 4u);
    EXPECT_EQ(file.length("name_strlen"), std::string("Roma Urbe").size());
    int missing = 0;
    EXPECT_NE(nc_inq_dimid(file.id, "lat", &missing), NC_NOERR);
    file.expectAttributes(NC_GLOBAL, table.global);
    EXPECT_EQ(file.text(NC_GLOBAL, "featureType"), "timeSeries");
    EXPECT_NE(nc_inq_dimid(file.id, "lon", &missing), NC_NOERR);
    const int id = file.variable("station_id");
    file.expectAttributes(id, table.stationId->attributes);
    EXPECT_EQ(file.text(id, "cf_role"), "timeseries_id");
    file.expectAttributes(file.variable("lat"), table.latitude.attributes);
    file.expectAttributes(file.variable(table.data.name), table.data.attributes);
    EXPECT_EQ(file.text(file.variable(table.data.name), "coordinates"), "lat station_id");
    // Time first, as in the latitudes' table: one value per time and station.
    int dimensions[2] = {};
    int rank = 0;
    nc_inq_varndims(file.id, file.variable(table.data.name), &rank);
    ASSERT_EQ(rank, 2);
    nc_inq_vardimid(file.id, file.variable(table.data.name), dimensions);
    int station = -1;
    nc_inq_dimid(file.id, "station", &station);
    EXPECT_EQ(dimensions[1], station);
    std::string ids(4 * 9, '?');
    nc_get_var_text(file.id, id, ids.data());
    EXPECT_EQ(ids, std::string("SYD\0\0\0\0\0\0Roma UrbeROM\0\0\0\0\0\0Zürich\0", 36));
    std::vector<float> lat(4);
    nc_get_var_float(file.id, file.variable("lat"), lat.data());
    EXPECT_EQ(lat, stations.latitudes);
    const std::size_t count = dated ? periods.size() : 36;
    std::vector<double> values(4 * count);
    std::vector<double> plainValues(3 * count);
    nc_get_var_double(file.id, file.variable("radiation"), values.data());
    nc_get_var_double(latitudes.id, latitudes.variable("radiation"), plainValues.data());
    for (std::size_t s = 0; s < 4; ++s) {
      for (std::size_t p = 0; p < count; ++p) {
        ASSERT_EQ(values[p * 4 + s], plainValues[p * 3 + rows[s]])
            << dated << " station " << s << " period " << p;
      }
    }
  }
}

// The attributes that say what the numbers are: every unit, and the units whose meaning changes
// with the aggregation. Only a flux that converts to W m-2 has a standard name; millimetres of
// water, totals over a dekad and the day length have none.
TEST(Table, UnitsAndCellMethods) {
  const std::string flux = "toa_incoming_shortwave_flux";
  struct Case {
    Aggregation aggregation;
    Unit unit;
    Quantity quantity;
    const char* units;
    const char* cellMethods;
    std::string standardName;  // "(none)": no such attribute
    const char* timeName;      // the time axis's long_name
    bool rounded = false;      // a comment names the rounded factor and how far it is off
  };
  // W m-2 from MJ m-2 day-1: the files' factor against the one UDUNITS-2 converts with.
  const double factor = UnitFactor(Unit::WPerM2, 1);
  const double exact = 1e6 / 86400.0;
  std::array<char, 64> parts{};
  std::snprintf(parts.data(), parts.size(), "factor %g|%.2f %% above|= %.3f", factor,
                (factor / exact - 1.0) * 100.0, exact);
  const std::vector<std::string> named = Split(parts.data(), "|");
  const Case cases[] = {
      {Aggregation::Dekadal, Unit::MJPerM2Day, Quantity::Radiation, "MJ m-2 day-1", "time: mean",
       flux, "first day of the dekad"},
      {Aggregation::Dekadal, Unit::JPerCm2Day, Quantity::Radiation, "J cm-2 day-1", "time: mean",
       flux, "first day of the dekad"},
      {Aggregation::Dekadal, Unit::CalPerCm2Day, Quantity::Radiation, "cal cm-2 day-1",
       "time: mean", flux, "first day of the dekad"},
      {Aggregation::Dekadal, Unit::WPerM2, Quantity::Radiation, "W m-2", "time: mean", flux,
       "first day of the dekad", true},
      {Aggregation::Dekadal, Unit::MmPerDay, Quantity::Radiation, "mm day-1", "time: mean",
       "(none)", "first day of the dekad"},
      {Aggregation::Dekadal, Unit::MJPerM2Dekad, Quantity::Radiation, "MJ m-2", "time: sum",
       "(none)", "first day of the dekad"},
      {Aggregation::Dekadal, Unit::MmPerDekad, Quantity::Radiation, "mm", "time: sum", "(none)",
       "first day of the dekad"},
      {Aggregation::Dekadal, Unit::MJPerM2Day, Quantity::DayLength, "h", "time: mean", "(none)",
       "first day of the dekad"},
      {Aggregation::Monthly, Unit::MmPerDekad, Quantity::Radiation, "mm (10 day)-1", "time: mean",
       "(none)", "first day of the month"},
      {Aggregation::Daily, Unit::MJPerM2Dekad, Quantity::Radiation, "MJ m-2 (10 day)-1",
       "time: mean", "(none)", "day"},
      {Aggregation::Weekly, Unit::WPerM2, Quantity::Radiation, "W m-2", "time: mean", flux,
       "first day of the week", true},
      {Aggregation::Daily, Unit::WPerM2, Quantity::DayLength, "h", "time: mean", "(none)", "day"},
      {Aggregation::Monthly, Unit::CalPerCm2Day, Quantity::Radiation, "cal cm-2 day-1",
       "time: mean", flux, "first day of the month"},
      {Aggregation::Weekly, Unit::MmPerDekad, Quantity::DayLength, "h", "time: mean", "(none)",
       "first day of the week"},
      {Aggregation::Pentadal, Unit::MJPerM2Day, Quantity::Radiation, "MJ m-2 day-1", "time: mean",
       flux, "first day of the pentad"},
  };
  for (const Case& c : cases) {
    const CycleChoice choice{c.aggregation, c.unit, c.quantity};
    const std::string what =
        QuantityHeader(choice) + " " + std::string(Describe(c.aggregation).name);
    const TableDescription table = DescribeTable(choice);
    const std::vector<TableAttribute>& attributes = table.data.attributes;
    EXPECT_EQ(AttributeValue(attributes, "units"), c.units) << what;
    EXPECT_EQ(AttributeValue(attributes, "cell_methods"), c.cellMethods) << what;
    EXPECT_EQ(AttributeValue(table.period.attributes, "long_name"), c.timeName) << what;
    const bool standard =
        std::any_of(attributes.begin(), attributes.end(),
                    [](const TableAttribute& a) { return a.name == "standard_name"; });
    EXPECT_EQ(standard ? AttributeValue(attributes, "standard_name") : "(none)", c.standardName)
        << what;
    const std::string comment = AttributeValue(attributes, "comment");
    EXPECT_EQ(!comment.empty(), c.rounded) << what << ": " << comment;
    for (const std::string& part : c.rounded ? named : std::vector<std::string>{}) {
      EXPECT_NE(comment.find(part), std::string::npos) << what << ": " << part << " in " << comment;
    }
    // The real dates' table says the same of its values.
    if (c.aggregation != Aggregation::Weekly) {
      const TableDescription dated = DescribeDatedTable(choice, Date{2024, 1, 1});
      EXPECT_EQ(dated.data.attributes, attributes) << what;
      EXPECT_EQ(AttributeValue(dated.period.attributes, "long_name"), c.timeName) << what;
    }
  }
}

// The command line's table options: what each writes, and every refusal with nothing written.
TEST(Table, CommandLine) {
  test::ScratchDir dir;
  const std::string csv = (dir / "t.csv").string();
  const std::string nc = (dir / "t.nc").string();
  const std::string upperCsv = (dir / "OUT.CSV").string();  // an ending in either case
  const std::string upperNc = (dir / "T.NC").string();
  const std::string endingOnly = (dir / ".csv").string();
  test::WriteText(dir / "good.txt", "41.9, -33.8675\n0\r\n");
  test::WriteText(dir / "bad.txt", "41.9 abc 91 12\n");
  test::WriteText(dir / "one-bad.txt", "41.9 abc 12\n");
  test::WriteText(dir / "twice.txt", "0 41.9 0\n");
  const std::string good = (dir / "good.txt").string();
  const std::string bad = (dir / "bad.txt").string();
  const std::string oneBad = (dir / "one-bad.txt").string();
  const std::string twice = (dir / "twice.txt").string();
  const std::string repeated =
      " comes more than once; a NetCDF table holds each latitude once, in ascending order (its "
      "lat is a coordinate). Give each latitude once, or write a .csv table.\n";
  const std::string oneWay = " cannot be used together: give the latitudes one way.\n";
  // A batch input that a table could replace, by its name or through a link.
  const std::string lats = (dir / "lats.csv").string();
  const std::string link = (dir / "link.csv").string();
  test::WriteText(lats, "41.9 10\n");
  fs::create_symlink("lats.csv", link);
  // Station lists: a good one, one of other names and separators, and one bad file of each kind.
  const std::string stations = (dir / "stations.csv").string();
  test::WriteText(stations, "id,lat,lon\r\nROM,41.9,12.5\r\n\"Sydney, NSW\",-33.8675,151.2\r\n");
  const Stations stationList{{"ROM", "Sydney, NSW"}, {41.9f, -33.8675f}};
  const std::string otherNames = (dir / "other.csv").string();
  test::WriteText(otherNames,
                  "\xEF\xBB\xBF"
                  "code;y;station\nA;1;x\nB;-1;y\n");
  const std::string badStations = (dir / "bad-stations.csv").string();
  test::WriteText(badStations, "id,lat\nA,1\nB,91\n");
  const std::string twiceStations = (dir / "twice-stations.csv").string();
  test::WriteText(twiceStations, "station,latitude\nA,1\nA,2\n");
  const std::string noLatitude = (dir / "no-latitude.csv").string();
  test::WriteText(noLatitude, "id,x,y\nA,1,2\n");
  const CycleChoice monthly{Aggregation::Monthly, Unit::MmPerDay};
  const std::string twoLatitudes = TableText({41.9f, -33.868f}, CycleChoice{}, TableLayout::Wide);

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;        // exactly, when written to standard output
    std::string err;        // a part of the message; all of it when it ends in a line end
    std::string file = "";  // the file it writes, and its text when CSV
    std::string text = "";
  };
  const Case cases[] = {
      {{"-l", "41.9", "-l", "33:52:03S", "--table", "-"}, 0, twoLatitudes, ""},
      {{"-l", "41.9", "-l", "33:52:03S", "--table=" + csv},
       0,
       "",
       "Table written to",
       csv,
       twoLatitudes},
      {{"--batch", good, "-t", "-", "-a", "monthly", "-u", "5", "--layout", "long"},
       0,
       TableText({41.9f, -33.8675f, 0.0f}, monthly, TableLayout::Long),
       ""},
      {{"--grid", "-1:1:1", "--table", "-", "-q", "daylength", "-m", "fao56"},
       0,
       TableText({-1.0f, 0.0f, 1.0f},
                 {kDefaultAggregation, kDefaultUnit, Quantity::DayLength, Method::Fao56},
                 TableLayout::Wide),
       ""},
      {{"-l", "0", "--dates", "2024-12-31/2024-12-31", "-a", "daily", "--table", "-"},
       0,
       "Date (method harmonic),Latitude,extraterrestrial Radiation MJ/m^2/day\r\n2024-12-31,0," +
           DoubleText(DatedValue(DailyValues(0.0f, Quantity::Radiation, Method::Harmonic, 366),
                                 {*ParseIsoDate("2024-12-31"), 1}, {Aggregation::Daily})) +
           "\r\n",
       ""},
      // FAO-56 on 31 December of a leap year, day 366, and periods that end with it: the
      // values of eqs 21-25 and 34 computed apart, in Python's double precision.
      {{"-l", "41.9", "-l", "-33.8675", "-l", "0", "-l", "66.5", "-l", "-70", "--dates",
        "2024-12-31/2024-12-31", "--method", "fao56", "-a", "daily", "--table", "-"},
       0,
       "Date (method fao56),Latitude,extraterrestrial Radiation MJ/m^2/day\r\n"
       "2024-12-31,41.9,12.657\r\n"
       "2024-12-31,-33.8675,44.158\r\n2024-12-31,0,35.746\r\n2024-12-31,66.5,0.053\r\n"
       "2024-12-31,-70,44.742\r\n",
       ""},
      {{"-l", "41.9", "-l", "66.5", "-d", "2024-12-31/2024-12-31", "-m", "fao56", "-a", "daily",
        "-q", "daylength", "-t", "-"},
       0,
       "Date (method fao56),Latitude,Day length hours\r\n2024-12-31,41.9,9.019\r\n"
       "2024-12-31,66.5,1.709\r\n",
       ""},
      {{"-l", "41.9", "-d", "2024-12-01/2024-12-31", "-m", "fao56", "-a", "monthly", "-u", "mm/day",
        "-t", "-"},
       0,
       "Date (method fao56),Latitude,extraterrestrial Radiation "
       "mm/day\r\n2024-12-01,41.9,5.119\r\n",
       ""},
      {{"-l", "-33.8675", "-d", "2024-12-25/2024-12-31", "-m", "fao56", "-a", "dekadal", "-u",
        "mm/dekad", "-t", "-"},
       0,
       "Date (method fao56),Latitude,extraterrestrial Radiation mm/dekad\r\n"
       "2024-12-21,-33.8675,198.696\r\n",
       ""},
      // Real dates without --aggregation are daily; the 365-day table stays dekadal.
      {{"-l", "41.9", "-d", "2024-02-28/2024-03-01", "-u", "mm/day", "-t", "-"},
       0,
       "Date (method harmonic),Latitude,extraterrestrial Radiation mm/day\r\n"
       "2024-02-28,41.9,9.323\r\n2024-02-29,41.9,9.428\r\n2024-03-01,41.9,9.533\r\n",
       ""},
      {{"--grid", "0:10:5", "--table", nc}, 0, "", "Table written to", nc},
      // Stations by name: rows led by the identifiers, in the file's order.
      {{"--stations", stations, "-a", "monthly", "-u", "5", "--table", "-"},
       0,
       StationTableText(stationList, monthly, TableLayout::Wide),
       ""},
      {{"-s", stations, "--layout", "long", "--table", csv},
       0,
       "",
       "Table written to",
       csv,
       StationTableText(stationList, CycleChoice{}, TableLayout::Long)},
      {{"--stations", stations, "-d", "2024-02-28/2024-03-01", "-t", "-"},
       0,
       StationDatedTableText(stationList,
                             DatedPeriods(*ParseIsoDate("2024-02-28"), *ParseIsoDate("2024-03-01"),
                                          Aggregation::Daily),
                             {Aggregation::Daily}),
       ""},
      {{"--stations", otherNames, "--latitude-column", "Y", "--id-column", "CODE", "-t", "-"},
       0,
       StationTableText({{"A", "B"}, {1.0f, -1.0f}}, CycleChoice{}, TableLayout::Wide),
       ""},
      {{"--stations", stations, "--table", nc}, 0, "", "Table written to", nc},
      {{"--stations", badStations, "--table", csv},
       2,
       "",
       "--stations: '" + badStations +
           "': row 2 (line 3), column 'lat': '91' lies outside -90..90; no table written.\n"},
      {{"--stations", twiceStations, "--table", nc},
       2,
       "",
       "': row 2 (line 3), column 'station': 'A' is already the identifier of row 1; each station "
       "needs its own; no table written."},
      {{"--stations", noLatitude, "--table", csv},
       2,
       "",
       "': the header names no latitude column (lat or latitude, in any case); its columns are "
       "'id', 'x', 'y'; give --latitude-column NAME; no table written."},
      {{"--stations", stations, "--latitude-column", "lon", "--id-column", "name", "-t", csv},
       2,
       "",
       "the header has no column 'name' (--id-column); its columns are 'id', 'lat', 'lon'"},
      {{"--stations", (dir / "none.csv").string(), "--table", csv},
       1,
       "",
       "--stations: '" + (dir / "none.csv").string() + "' could not be read: No such file"},
      {{"--stations", stations, "-l", "1", "--table", csv},
       2,
       "",
       "--stations and --latitude" + oneWay},
      {{"--grid", "0:1:1", "--stations", stations, "--table", csv},
       2,
       "",
       "--stations and --grid" + oneWay},
      {{"--stations", stations},
       2,
       "",
       "--stations makes one table of every latitude: add --table"},
      {{"-l", "1", "--latitude-column", "lat"},
       2,
       "",
       "--latitude-column names a column of --stations FILE; give --stations too.\n"},
      {{"--stations", stations, "--id-column", "", "--table", csv},
       2,
       "",
       "--id-column: an empty name names no column; give the column's name.\n"},
      {{"--stations", lats, "--table", link},
       2,
       "",
       "--table: '" + link + "' would replace the --stations input '" + lats + "'"},
      // The CSV keeps the latitudes as given, repeats and all; NetCDF refuses a repeat.
      {{"-l", "41.9", "-l", "10", "-l", "41.9", "--table", "-"},
       0,
       TableText({41.9f, 10.0f, 41.9f}, CycleChoice{}, TableLayout::Wide),
       ""},
      {{"-l", "41.9", "-l", "10", "-l", "41.9", "--table", nc},
       2,
       "",
       "--latitude: latitude 41.9" + repeated},
      {{"--grid", "45:45.00001:0.000001", "--table", nc},
       2,
       "",
       "--grid: latitudes 45, 45.00001 come more than once; a NetCDF table"},
      {{"--batch", twice, "-d", "2024-01-01/2024-01-31", "--table", nc},
       2,
       "",
       "--batch: latitude 0" + repeated},
      {{"-l", "1", "--table", upperCsv},
       0,
       "",
       "Table written to " + upperCsv + "\n",
       upperCsv,
       TableText({1.0f}, CycleChoice{}, TableLayout::Wide)},
      {{"-l", "1", "--table", upperNc}, 0, "", "Table written to " + upperNc + "\n", upperNc},
      {{"-l", "1", "--table", endingOnly},
       2,
       "",
       "--table '" + endingOnly +
           "' has no file name before .csv; give a name such as "
           "table.csv.\n"},
      {{"-l", "1", "--table", ".NC"},
       2,
       "",
       "--table '.NC' has no file name before .NC; give a name such as table.nc.\n"},
      // Paths are shown as the system names them, a backslash as one.
      {{"-l", "1", "--table", (dir / "a\\b.csv").string()},
       0,
       "",
       "Table written to " + (dir / "a\\b.csv").string() + "\n"},
      {{"-l", "41.9", "-l", "10"}, 2, "", "--latitude given more than once makes one table"},
      {{"--grid", "0:10:1"}, 2, "", "--grid makes one table of every latitude: add --table"},
      {{"-l", "1", "--dates", "2023-01-01/2023-01-02"}, 2, "", "add --table"},
      {{"-l", "1", "--layout", "long"}, 2, "", "add --table"},
      {{"-l", "1", "--table", (dir / "t.txt").string()},
       2,
       "",
       "ends neither in .csv (comma-separated) nor in .nc (NetCDF)"},
      {{"-l", "1", "--table", ""}, 2, "", "an empty path ends neither"},
      {{"-l", "1", "--table", csv, "--output", csv},
       2,
       "",
       "--output and --table cannot be used together: --table PATH names the table's file.\n"},
      {{"--grid", "0:1:1", "--batch", good, "--table", csv}, 2, "", "--grid and --batch" + oneWay},
      {{"--batch", good, "--grid", "0:1:1", "--table", nc}, 2, "", "--grid and --batch" + oneWay},
      {{"--grid", "0:1:0", "--table", csv}, 2, "", "--grid: STEP '0' is not above 0."},
      {{"--grid", "10:0:1", "--table", nc}, 2, "", "STOP '0' lies below START '10'"},
      {{"--grid", "-90:90:0.0001", "--table", csv}, 2, "", "more than 1,000,000 latitudes"},
      {{"--grid", "0:1:1", "-l", "3", "--table", csv}, 2, "", "--grid and --latitude" + oneWay},
      {{"-l", "41.9", "-l", "91", "--table", csv}, 2, "", "--latitude '91': "},
      {{"-l", "x", "-l", "1", "--table", nc}, 2, "", "--latitude 'x': One of the inputs"},
      {{"--batch", bad, "--table", csv},
       2,
       "",
       "Item 2 (abc): not a number.\nItem 3 (91): latitude outside -90..90.\n"
       "--batch: 2 items of '" +
           bad + "' are no latitudes; no table written."},
      {{"--batch", oneBad, "--table", csv},
       2,
       "",
       "Item 2 (abc): not a number.\n--batch: 1 item of '" + oneBad +
           "' is no latitude; no table written.\n"},
      {{"--batch", (dir / "none.txt").string(), "--table", csv}, 1, "", "could not be read"},
      {{"--batch", lats, "--table", lats},
       2,
       "",
       "--table: '" + lats + "' would replace the --batch input '" + lats +
           "'; no table written.\n"},
      {{"--batch", lats, "--table", link, "--layout", "long"},
       2,
       "",
       "--table: '" + link + "' would replace the --batch input '" + lats + "'"},
      {{"--batch", link, "--table", lats}, 2, "", "would replace the --batch input"},
      {{"-l", "1", "--dates", "2023-02-29/2023-03-01", "--table", csv},
       2,
       "",
       "--dates: FROM '2023-02-29' is no date"},
      {{"-l", "1", "--dates", "2023-03-01/2023-02-01", "--table", csv}, 2, "", "is after TO"},
      {{"-l", "1", "--dates", "1900-01-01/2000-12-31", "--table", csv},
       2,
       "",
       "more than 100 years"},
      {{"-l", "1", "--dates", "2023-01-01/2023-02-01", "-a", "weekly", "--table", csv},
       2,
       "",
       "weeks have no place in the real calendar"},
      {{"-l", "1", "--dates", "2023-01-01/2023-02-01", "--layout", "wide", "--table", csv},
       2,
       "",
       "long only"},
      {{"-l", "1", "--layout", "tall", "--table", csv}, 2, "", "unknown layout 'tall'"},
      {{"-l", "1", "--layout", "long", "--table", nc}, 2, "", "--layout is for CSV"},
      {{"--grid", "-90:90:0.0005", "-a", "daily", "--table", csv},
       2,
       "",
       "360001 latitudes of 365 periods each make more than 100,000,000 values"},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& a : c.args) {
      shown += a + " ";
    }
    const std::string files[] = {csv, nc, upperCsv, upperNc, endingOnly};
    for (const std::string& path : files) {
      fs::remove(path);
    }
    const test::CliRun run = test::CallCli(c.args);
    EXPECT_EQ(run.status, c.status) << shown << run.err;
    EXPECT_EQ(run.out, c.out) << shown;
    if (c.err.ends_with("\n")) {
      EXPECT_EQ(run.err, c.err) << shown;
    } else {
      EXPECT_NE(run.err.find(c.err), std::string::npos) << shown << run.err;
    }
    for (const std::string& path : files) {
      EXPECT_EQ(fs::exists(path), path == c.file) << shown;
    }
    if (!c.text.empty()) {
      EXPECT_EQ(test::ReadBytes(c.file), c.text) << shown;
    } else if (!c.file.empty()) {
      EXPECT_EQ(test::ReadBytes(c.file).substr(0, 4), std::string("CDF\x02", 4)) << shown;
    }
    EXPECT_EQ(test::ReadBytes(lats), "41.9 10\n") << shown;
    EXPECT_TRUE(fs::is_symlink(link)) << shown;
  }
  // Without its NetCDF module the command line says which file it missed and writes nothing;
  // given it back, it writes again.
  const std::string missing = (dir / "none.so").string();
  const std::pair<std::string, std::string> modules[] = {
      {missing, missing + ": cannot open shared object file"},
      {"libm.so.6", "libm.so.6 is not Marovane's"},
  };
  for (const auto& [module, message] : modules) {
    detail::UseNetcdfModule(module);
    const test::CliRun run = test::CallCli({"-l", "1", "--table", nc});
    EXPECT_EQ(run.status, 1) << module;
    EXPECT_NE(run.err.find("NetCDF: cannot load the NetCDF support: " + message), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("; no table written.\n"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(nc)) << module;
  }
  detail::UseNetcdfModule("");
  // NetCDF latitudes in ascending order, each row with its own values.
  const std::vector<float> ascending = {-33.8675f, 10.0f, 41.9f};
  ASSERT_EQ(test::CallCli({"-l", "41.9", "-l", "-33.8675", "-l", "10", "--table", nc}).status, 0);
  EXPECT_TRUE(test::ReadBytes(nc) == NetcdfTable(ascending, CycleChoice{}).view());
  ASSERT_EQ(test::CallCli({"-l", "41.9", "-l", "-33.8675", "-l", "10", "-a", "daily", "--dates",
                           "2024-02-28/2024-03-01", "--table", nc})
                .status,
            0);
  const CycleChoice daily{Aggregation::Daily};
  EXPECT_TRUE(test::ReadBytes(nc) ==
              NetcdfDatedTable(ascending,
                               DatedPeriods(*ParseIsoDate("2024-02-28"),
                                            *ParseIsoDate("2024-03-01"), daily.aggregation),
                               daily)
                  .view());
  // Stations in the file's order, a repeated latitude and all.
  test::WriteText(stations, "id,lat\nN,41.9\nS,-33.8675\nN2,41.9\n");
  const Stations threeStations{{"N", "S", "N2"}, {41.9f, -33.8675f, 41.9f}};
  ASSERT_EQ(test::CallCli({"--stations", stations, "--table", nc}).status, 0);
  EXPECT_TRUE(test::ReadBytes(nc) == NetcdfStationTable(threeStations, CycleChoice{}).view());
  ASSERT_EQ(test::CallCli({"--stations", stations, "-d", "2024-02-28/2024-03-01", "-t", nc}).status,
            0);
  EXPECT_TRUE(test::ReadBytes(nc) ==
              NetcdfStationDatedTable(threeStations,
                                      DatedPeriods(*ParseIsoDate("2024-02-28"),
                                                   *ParseIsoDate("2024-03-01"), daily.aggregation),
                                      daily)
                  .view());
  // The same command writes the same bytes.
  ASSERT_EQ(test::CallCli({"--grid", "-10:10:2.5", "-a", "daily", "--table", nc}).status, 0);
  const std::string first = test::ReadBytes(nc);
  ASSERT_EQ(test::CallCli({"--grid", "-10:10:2.5", "-a", "daily", "--table", nc}).status, 0);
  EXPECT_TRUE(test::ReadBytes(nc) == first);
}

}  // namespace
}  // namespace marovane
