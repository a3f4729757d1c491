// SPDX-License-Identifier: GPL-3.0-or-later
// marovane._marovane: the core's tables, days and dates over NumPy arrays. The package's
// __init__.py turns what a caller gives (shapes, texts, dates, names or codes) into the flat
// C-ordered arrays and names taken here; these functions check again whatever could read out
// of bounds, so that no argument crashes the interpreter. The loops run without the GIL, split
// over the machine's cores.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <exception>
#include <limits>
#include <mutex>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "Version.hpp"
#include "export/Stations.hpp"
#include "export/Table.hpp"
#include "export/TableAttributes.hpp"
#include "model/AnnualCycle.hpp"
#include "model/Choices.hpp"
#include "model/Dates.hpp"
#include "model/Radiation.hpp"
#include "model/Rounding.hpp"
#include "text/LatitudeForms.hpp"
#include "text/ShownText.hpp"

namespace py = pybind11;

namespace marovane {
namespace {

template <typename T>
using Flat = py::array_t<T, py::array::c_style>;

// The days of the year that daily_radiation and day_length take: those of a leap year.
constexpr int kLastDayOfYear = 366;

// The dates for_dates takes, as days since 1970-01-01: four-digit years, as ISO texts have.
const long long kFirstDate = DaysSinceEpoch({kFirstYear, 1, 1});
const long long kLastDate = DaysSinceEpoch({kLastYear, 12, 31});

// A str as UTF-8; a lone surrogate, which has no UTF-8, is written as its escape.
std::string Utf8(const py::handle& text) {
  const py::object bytes = py::reinterpret_steal<py::object>(
      PyUnicode_AsEncodedString(text.ptr(), "utf-8", "backslashreplace"));
  if (!bytes) {
    throw py::error_already_set();
  }
  return std::string(py::bytes(bytes));
}

template <typename T>
T Chosen(std::optional<T> value, const std::string& what, const std::string& text,
         const std::string& accepted) {
  if (!value) {
    throw py::value_error("unknown " + what + " '" + ShownText(text, kShownCharacters) +
                          "'; give " + accepted + ".");
  }
  return *value;
}

CycleChoice ChoiceNamed(const py::str& aggregationText, const py::str& unitText,
                        const py::str& quantityText, const py::str& methodText) {
  const std::string aggregation = Utf8(aggregationText);
  const std::string unit = Utf8(unitText);
  const std::string quantity = Utf8(quantityText);
  const std::string method = Utf8(methodText);
  return {
      Chosen(AggregationNamed(aggregation), "aggregation", aggregation, AcceptedAggregations()),
      Chosen(UnitNamed(unit), "unit", unit, AcceptedUnitForms()),
      Chosen(QuantityNamed(quantity), "quantity", quantity, AcceptedQuantities()),
      Chosen(MethodNamed(method), "method", method, AcceptedMethods()),
  };
}

void RefuseWeeks(const CycleChoice& choice) {
  if (!HasRealPeriods(choice.aggregation)) {
    throw py::value_error(NoRealPeriods(choice.aggregation) + "; give " +
                          RealCalendarAggregations() + ".");
  }
}

std::size_t Cores() {
  return std::max(1u, std::thread::hardware_concurrency());
}

// Runs work(begin, end) over 0..count, `piece` items at a time, with the GIL released; within
// a piece the cores take `grain` items at a time, as each is free, so that a core another
// program holds up does not hold up the rest. Between pieces a Ctrl-C reaches Python. The first
// exception of any thread is raised once all have ended.
template <typename Work>
void RunReleased(std::size_t count, std::size_t piece, std::size_t grain, const Work& work) {
  for (std::size_t start = 0; start < count; start += piece) {
    const std::size_t stop = std::min(count, start + piece);
    std::exception_ptr failure;
    {
      py::gil_scoped_release release;
      std::mutex mutex;
      std::atomic<std::size_t> next{start};
      auto run = [&] {
        try {
          for (std::size_t begin = next.fetch_add(grain); begin < stop;
               begin = next.fetch_add(grain)) {
            work(begin, std::min(stop, begin + grain));
          }
        } catch (...) {
          const std::lock_guard<std::mutex> lock(mutex);
          if (!failure) {
            failure = std::current_exception();
          }
          next = stop;
        }
      };
      const std::size_t grains = (stop - start + grain - 1) / grain;
      std::vector<std::thread> helpers;
      for (std::size_t t = 1; t < std::min(grains, Cores()); ++t) {
        try {
          helpers.emplace_back(run);
        } catch (const std::system_error&) {
          break;  // no more threads to be had: fewer do the piece
        }
      }
      run();
      for (std::thread& helper : helpers) {
        helper.join();
      }
    }
    if (failure) {
      std::rethrow_exception(failure);
    }
    if (PyErr_CheckSignals() != 0) {
      throw py::error_already_set();
    }
  }
}

std::size_t FlatSize(const py::array& array, const char* what) {
  if (array.ndim() != 1) {
    throw py::value_error(std::string(what) + " must be one-dimensional here");
  }
  return static_cast<std::size_t>(array.shape(0));
}

void CheckSingleLatitudes(const float* latitude, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (!IsLatitudeInRange(static_cast<double>(latitude[i]))) {
      throw py::value_error(std::string(LatitudeCheckMessage(LatitudeCheck::OutOfRange)));
    }
  }
}

// The day arguments of daily_radiation and day_length, as int16 days 1..366.
void CheckDays(const std::int16_t* day, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (day[i] < 1 || day[i] > kLastDayOfYear) {
      throw py::value_error("day must be a day of the year, 1..366; got " + std::to_string(day[i]));
    }
  }
}

py::array_t<double> AnnualCycles(const Flat<float>& latitudes, const py::str& aggregation,
                                 const py::str& unit, const py::str& quantity,
                                 const py::str& method) {
  const CycleChoice choice = ChoiceNamed(aggregation, unit, quantity, method);
  const std::size_t count = FlatSize(latitudes, "latitude");
  const float* latitude = latitudes.data();
  CheckSingleLatitudes(latitude, count);
  const auto periods = static_cast<std::size_t>(Describe(choice.aggregation).periods);
  py::array_t<double> result({count, periods});
  double* out = result.mutable_data();
  const std::vector<CyclePeriod> cycle = CyclePeriods(choice.aggregation);
  RunReleased(count, 4096, 16, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      PeriodValues(DailyValues(latitude[i], choice.quantity, choice.method), cycle, choice,
                   out + i * periods);
    }
  });
  return result;
}

// One value per latitude and day, both flat and of one length.
template <typename Out, typename Value>
py::array_t<Out> PerDay(const Flat<float>& latitudes, const Flat<std::int16_t>& days, Value value) {
  const std::size_t count = FlatSize(latitudes, "latitude");
  if (FlatSize(days, "day") != count) {
    throw py::value_error("latitude and day must be of one length here");
  }
  const float* latitude = latitudes.data();
  const std::int16_t* day = days.data();
  CheckSingleLatitudes(latitude, count);
  CheckDays(day, count);
  py::array_t<Out> result(static_cast<py::ssize_t>(count));
  Out* out = result.mutable_data();
  RunReleased(count, std::size_t{1} << 20, 4096, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      out[i] = value(latitude[i], day[i]);
    }
  });
  return result;
}

py::array_t<double> ForDates(const Flat<float>& latitudes, const Flat<std::int64_t>& dates,
                             const py::str& aggregation, const py::str& unit,
                             const py::str& quantity, const py::str& method) {
  const CycleChoice choice = ChoiceNamed(aggregation, unit, quantity, method);
  RefuseWeeks(choice);
  const std::size_t count = FlatSize(latitudes, "latitude");
  if (FlatSize(dates, "dates") != count) {
    throw py::value_error("latitude and dates must be of one length here");
  }
  const float* latitude = latitudes.data();
  const std::int64_t* date = dates.data();
  CheckSingleLatitudes(latitude, count);
  for (std::size_t i = 0; i < count; ++i) {
    if (date[i] < kFirstDate || date[i] > kLastDate) {
      throw py::value_error("dates must lie in the years 1 to 9999");
    }
  }
  py::array_t<double> result(static_cast<py::ssize_t>(count));
  double* out = result.mutable_data();
  // In the order of latitude, then date: each latitude's year is computed once, and each
  // period's value once for the dates that fall in it.
  std::vector<std::size_t> order(count);
  {
    py::gil_scoped_release release;
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      const auto la = std::bit_cast<std::uint32_t>(latitude[a]);
      const auto lb = std::bit_cast<std::uint32_t>(latitude[b]);
      return la != lb ? la < lb : date[a] < date[b];
    });
  }
  RunReleased(count, std::size_t{1} << 20, 4096, [&](std::size_t begin, std::size_t end) {
    YearValues year{};
    std::optional<std::uint32_t> yearOf;
    // No period starts before the year 1: this one is taken by none.
    constexpr long long kNoPeriod = std::numeric_limits<long long>::min();
    long long periodStart = kNoPeriod;
    double value = 0.0;
    for (std::size_t k = begin; k < end; ++k) {
      const std::size_t i = order[k];
      const auto bits = std::bit_cast<std::uint32_t>(latitude[i]);
      if (yearOf != bits) {
        year = DailyValues(latitude[i], choice.quantity, choice.method, 366);
        yearOf = bits;
        periodStart = kNoPeriod;
      }
      const DatedPeriod period = PeriodHolding(DateOfDaysSinceEpoch(date[i]), choice.aggregation);
      const long long start = DaysSinceEpoch(period.first);
      if (periodStart != start) {
        value = DatedValue(year, period, choice);
        periodStart = start;
      }
      out[i] = value;
    }
  });
  return result;
}

float LatitudeOfText(const py::str& text) {
  float latitude = 0.0f;
  const std::string bytes = Utf8(text);
  const LatitudeCheck check = CheckLatitudeArgument(bytes, latitude);
  if (check != LatitudeCheck::Valid) {
    throw py::value_error(std::string(LatitudeCheckMessage(check)) + " Got '" +
                          ShownText(bytes, kShownCharacters) + "'.");
  }
  return latitude;
}

py::array_t<std::int64_t> DatesOfTexts(const py::list& texts) {
  py::array_t<std::int64_t> result(static_cast<py::ssize_t>(texts.size()));
  std::int64_t* out = result.mutable_data();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const py::handle item = texts[i];
    if (!py::isinstance<py::str>(item)) {
      throw py::type_error("dates must be texts or numpy.datetime64 values, not " +
                           std::string(py::str(py::type::handle_of(item).attr("__name__"))));
    }
    const std::string text = Utf8(item);
    const std::optional<Date> parsed = ParseIsoDate(text);
    if (!parsed) {
      throw py::value_error("'" + ShownText(text, kShownCharacters) + "'" + std::string(kNoDate) +
                            ".");
    }
    out[i] = DaysSinceEpoch(*parsed);
  }
  return result;
}

py::dict VariableOf(const TableVariable& variable) {
  py::list attributes;
  for (const TableAttribute& attribute : variable.attributes) {
    attributes.append(py::make_tuple(attribute.name, attribute.value));
  }
  return py::dict(py::arg("name") = variable.name, py::arg("dimensions") = variable.dimensions,
                  py::arg("attributes") = attributes);
}

// The table's variables in the order the NetCDF file defines them, and its global attributes.
py::dict DescriptionOf(const TableDescription& table) {
  py::list variables;
  std::vector<const TableVariable*> order = {&table.period, &table.periodBounds, &table.latitude};
  if (table.longitude) {
    order.push_back(&*table.longitude);
  }
  order.push_back(&table.data);
  for (const TableVariable* variable : order) {
    if (variable == &table.latitude && table.stationId) {
      variables.append(VariableOf(*table.stationId));
    }
    variables.append(VariableOf(*variable));
  }
  py::list global;
  for (const TableAttribute& attribute : table.global) {
    global.append(py::make_tuple(attribute.name, attribute.value));
  }
  return py::dict(
      py::arg("latitude") = table.latitude.name,
      py::arg("longitude") =
          table.longitude ? py::object(py::str(table.longitude->name)) : py::object(py::none()),
      py::arg("period") = table.period.name, py::arg("period_bounds") = table.periodBounds.name,
      py::arg("data") = table.data.name, py::arg("variables") = variables,
      py::arg("global") = global);
}

// A station table's description names station_id, whose last dimension is the names' length.
void AddStationId(py::dict& description, const TableDescription& table) {
  if (table.stationId) {
    description["station_id"] = table.stationId->name;
  }
}

py::dict AnnualTableDescription(const py::str& aggregation, const py::str& unit,
                                const py::str& quantity, const py::str& method, bool stations) {
  const CycleChoice choice = ChoiceNamed(aggregation, unit, quantity, method);
  const TableDescription table = stations ? DescribeStationTable(choice) : DescribeTable(choice);
  py::dict description = DescriptionOf(table);
  AddStationId(description, table);
  const std::vector<TablePeriodCell> cells = TablePeriodCells(choice.aggregation);
  py::array_t<double> starts(static_cast<py::ssize_t>(cells.size()));
  py::array_t<double> bounds({cells.size(), std::size_t{2}});
  for (std::size_t p = 0; p < cells.size(); ++p) {
    starts.mutable_data()[p] = cells[p].start;
    bounds.mutable_data()[2 * p] = cells[p].start;
    bounds.mutable_data()[2 * p + 1] = cells[p].end;
  }
  description["times"] = starts;
  description["bounds"] = bounds;
  return description;
}

// The dated table of FROM/TO as the command line's --dates reads it: its description, and its
// periods' first days (days since 1970-01-01) and lengths.
py::dict DatedTableDescription(const py::str& range, const py::str& aggregation,
                               const py::str& unit, const py::str& quantity, const py::str& method,
                               bool stations) {
  const CycleChoice choice = ChoiceNamed(aggregation, unit, quantity, method);
  std::string refusal;
  const std::optional<DateRange> dates = ParseDateRange(Utf8(range), refusal);
  if (!dates) {
    throw py::value_error("dates: " + refusal + ".");
  }
  RefuseWeeks(choice);
  const std::vector<DatedPeriod> periods = DatedPeriods(dates->from, dates->to, choice.aggregation);
  const TableDescription table = stations ? DescribeStationDatedTable(choice, periods.front().first)
                                          : DescribeDatedTable(choice, periods.front().first);
  py::dict description = DescriptionOf(table);
  AddStationId(description, table);
  py::array_t<std::int64_t> firsts(static_cast<py::ssize_t>(periods.size()));
  py::array_t<std::int64_t> days(static_cast<py::ssize_t>(periods.size()));
  for (std::size_t p = 0; p < periods.size(); ++p) {
    firsts.mutable_data()[p] = DaysSinceEpoch(periods[p].first);
    days.mutable_data()[p] = periods[p].days;
  }
  description["firsts"] = firsts;
  description["days"] = days;
  return description;
}

// Where a data frame's latitude and identifier columns are, as the command line finds them in
// a station file: (latitude, identifier or None).
py::tuple StationColumnsOf(const std::vector<std::string>& header, const std::string& latitude,
                           const std::string& id) {
  std::string refusal;
  const std::optional<StationColumnsFound> found =
      FindStationColumns(header, {latitude, id, "latitude_column", "id_column"}, refusal);
  if (!found) {
    throw py::value_error("stations: " + refusal + ".");
  }
  return py::make_tuple(found->latitude,
                        found->id ? py::object(py::int_(*found->id)) : py::object(py::none()));
}

// Stations from rows of texts, checked as the command line checks a station file's rows.
py::tuple StationsOfTexts(const std::vector<std::string>& header,
                          const std::vector<std::vector<std::string>>& rows,
                          const std::string& latitude, const std::string& id) {
  std::string refusal;
  const std::optional<Stations> stations =
      StationsOfRows(header, rows, {latitude, id, "latitude_column", "id_column"}, refusal);
  if (!stations) {
    throw py::value_error("stations: " + refusal + ".");
  }
  py::array_t<float> latitudes(static_cast<py::ssize_t>(stations->latitudes.size()));
  std::copy(stations->latitudes.begin(), stations->latitudes.end(), latitudes.mutable_data());
  return py::make_tuple(stations->ids, latitudes);
}

}  // namespace
}  // namespace marovane

PYBIND11_MODULE(_marovane, module) {
  using namespace marovane;
  module.doc() =
      "The compiled core of the marovane package: flat arrays in, flat arrays out. Use the "
      "functions of the package itself, which take any shape, names, texts and dates.";
  module.attr("__version__") = kVersion;
  module.attr("LATITUDE_OUT_OF_RANGE") =
      std::string(LatitudeCheckMessage(LatitudeCheck::OutOfRange));
  module.attr("SHOWN_CHARACTERS") = kShownCharacters;
  module.attr("FIRST_DATE") = kFirstDate;
  module.attr("LAST_DATE") = kLastDate;

  module.def("annual_cycles", &AnnualCycles, py::arg("latitudes"), py::arg("aggregation"),
             py::arg("unit"), py::arg("quantity"), py::arg("method"),
             "The table of each single-precision latitude, one row of rounded values each.");
  module.def(
      "daily_radiation",
      [](const Flat<float>& latitudes, const Flat<std::int16_t>& days) {
        return PerDay<double>(latitudes, days, [](float latitude, std::int16_t day) {
          return DailyRadiation(latitude, day);
        });
      },
      py::arg("latitudes"), py::arg("days"),
      "DailyRadiation of each latitude and day, MJ/m^2/day.");
  module.def(
      "day_length",
      [](const Flat<float>& latitudes, const Flat<std::int16_t>& days) {
        return PerDay<float>(latitudes, days, [](float latitude, std::int16_t day) {
          return DayLength(latitude, day);
        });
      },
      py::arg("latitudes"), py::arg("days"), "DayLength of each latitude and day, hours.");
  module.def("for_dates", &ForDates, py::arg("latitudes"), py::arg("dates"), py::arg("aggregation"),
             py::arg("unit"), py::arg("quantity"), py::arg("method"),
             "The value of the real-calendar period holding each date (days since 1970-01-01).");
  module.def("latitude_of_text", &LatitudeOfText, py::arg("text"),
             "A latitude text as the command line reads it, to single precision.");
  module.def("dates_of_texts", &DatesOfTexts, py::arg("texts"),
             "ISO dates (YYYY-MM-DD) as days since 1970-01-01.");
  module.def("describe_table", &AnnualTableDescription, py::arg("aggregation"), py::arg("unit"),
             py::arg("quantity"), py::arg("method"), py::arg("stations") = false,
             "The NetCDF table's variables and attributes, with its periods' times and bounds "
             "(days since 0001-01-01, calendar noleap).");
  module.def("describe_dated_table", &DatedTableDescription, py::arg("dates"),
             py::arg("aggregation"), py::arg("unit"), py::arg("quantity"), py::arg("method"),
             py::arg("stations") = false,
             "The NetCDF table of FROM/TO: variables, attributes, periods' first days and "
             "lengths.");
  module.def("station_columns", &StationColumnsOf, py::arg("header"), py::arg("latitude_column"),
             py::arg("id_column"),
             "The latitude and identifier columns of a header (empty names: the usual ones).");
  module.def("stations_of_rows", &StationsOfTexts, py::arg("header"), py::arg("rows"),
             py::arg("latitude_column"), py::arg("id_column"),
             "The identifiers and single-precision latitudes of rows of texts, checked.");
}
