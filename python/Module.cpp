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
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "Version.hpp"
#include "export/Stations.hpp"
#include "export/Table.hpp"
#include "export/TableAttributes.hpp"
#include "model/AnnualCycle.hpp"
#include "model/Choices.hpp"
#include "model/Dates.hpp"
#include "model/Fao56.hpp"
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

Method MethodOf(const py::str& methodText) {
  const std::string method = Utf8(methodText);
  return Chosen(MethodNamed(method), "method", method, AcceptedMethods());
}

CycleChoice ChoiceNamed(const py::str& aggregationText, const py::str& unitText,
                        const py::str& quantityText, const py::str& methodText) {
  const std::string aggregation = Utf8(aggregationText);
  const std::string unit = Utf8(unitText);
  const std::string quantity = Utf8(quantityText);
  return {
      Chosen(AggregationNamed(aggregation), "aggregation", aggregation, AcceptedAggregations()),
      Chosen(UnitNamed(unit), "unit", unit, AcceptedUnitForms()),
      Chosen(QuantityNamed(quantity), "quantity", quantity, AcceptedQuantities()),
      MethodOf(methodText),
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

// A date not given: its value is NaN.
constexpr std::int64_t kMissingDate = std::numeric_limits<std::int64_t>::min();

// A real period's value depends only on its first day of the year and its length: the leap
// year's daily values serve common years too, and no real period runs past its year's end.
constexpr int kPeriodKeys = (kLastDayOfYear + 1) * 32;

int PeriodKey(const DatedPeriod& period) {
  return DayOfYear(period.first) * 32 + period.days;
}

// The dates sorted into columns, one per distinct period: the value of a latitude on a date is
// that of the date's column's period.
struct DatedColumns {
  std::vector<std::int32_t> ofDate;  // each date's column; `periods.size()` for none given
  std::vector<DatedPeriod> periods;
};

DatedColumns ColumnsOfDates(const std::int64_t* date, std::size_t count, Aggregation aggregation) {
  DatedColumns columns;
  columns.ofDate.resize(count);
  std::vector<std::int32_t> columnOfKey(kPeriodKeys, -1);
  auto column = [&](std::int64_t days) {
    const DatedPeriod period = PeriodHolding(DateOfDaysSinceEpoch(days), aggregation);
    std::int32_t& found = columnOfKey[static_cast<std::size_t>(PeriodKey(period))];
    if (found < 0) {
      found = static_cast<std::int32_t>(columns.periods.size());
      columns.periods.push_back(period);
    }
    return found;
  };
  std::int64_t first = std::numeric_limits<std::int64_t>::max();
  std::int64_t last = std::numeric_limits<std::int64_t>::min();
  for (std::size_t i = 0; i < count; ++i) {
    if (date[i] == kMissingDate) {
      continue;
    }
    if (date[i] < kFirstDate || date[i] > kLastDate) {
      throw py::value_error("dates must lie in the years 1 to 9999");
    }
    first = std::min(first, date[i]);
    last = std::max(last, date[i]);
  }
  // Each day of the dates' span is looked at once, where the span is not much longer than the
  // dates; dates far apart are looked at one by one.
  std::vector<std::int32_t> ofDay;
  if (first <= last && static_cast<std::size_t>(last - first) < 2 * count + kLastDayOfYear) {
    ofDay.assign(static_cast<std::size_t>(last - first) + 1, -1);
  }
  std::vector<std::int32_t> missing;
  for (std::size_t i = 0; i < count; ++i) {
    if (date[i] == kMissingDate) {
      missing.push_back(static_cast<std::int32_t>(i));
    } else if (ofDay.empty()) {
      columns.ofDate[i] = column(date[i]);
    } else {
      std::int32_t& known = ofDay[static_cast<std::size_t>(date[i] - first)];
      if (known < 0) {
        known = column(date[i]);
      }
      columns.ofDate[i] = known;
    }
  }
  for (const std::int32_t i : missing) {
    columns.ofDate[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(columns.periods.size());
  }
  return columns;
}

// The distinct latitudes, by their bits, and which one each latitude is.
std::vector<float> DistinctLatitudes(const float* latitude, std::size_t count,
                                     std::vector<std::int32_t>& which) {
  std::vector<float> distinct;
  std::unordered_map<std::uint32_t, std::int32_t> index;
  which.resize(count);
  std::optional<std::uint32_t> last;
  std::int32_t lastIndex = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const auto bits = std::bit_cast<std::uint32_t>(latitude[i]);
    if (last != bits) {
      const auto [found, added] =
          index.try_emplace(bits, static_cast<std::int32_t>(distinct.size()));
      if (added) {
        distinct.push_back(latitude[i]);
      }
      last = bits;
      lastIndex = found->second;
    }
    which[i] = lastIndex;
  }
  return distinct;
}

// Two C-ordered arrays of one number of dimensions, broadcast: the result's shape, and each
// array's stride in items along each dimension (0 where its one item is repeated). Dimensions
// that both arrays step through alike are merged, so that a loop runs as long as it can.
struct Broadcast {
  std::vector<py::ssize_t> result;  // the result's shape, before merging
  std::vector<py::ssize_t> shape;
  std::vector<py::ssize_t> strideA;
  std::vector<py::ssize_t> strideB;
};

Broadcast BroadcastOf(const py::array& a, const py::array& b) {
  if (a.ndim() != b.ndim()) {
    throw py::value_error("latitude and dates must have one number of dimensions here");
  }
  const auto dims = static_cast<std::size_t>(a.ndim());
  Broadcast full{{},
                 std::vector<py::ssize_t>(dims),
                 std::vector<py::ssize_t>(dims),
                 std::vector<py::ssize_t>(dims)};
  py::ssize_t runA = 1;
  py::ssize_t runB = 1;
  for (std::size_t k = dims; k-- > 0;) {
    const py::ssize_t na = a.shape(static_cast<py::ssize_t>(k));
    const py::ssize_t nb = b.shape(static_cast<py::ssize_t>(k));
    if (na != nb && na != 1 && nb != 1) {
      throw py::value_error("latitude and dates do not broadcast to one shape");
    }
    full.shape[k] = na == 1 ? nb : na;
    full.strideA[k] = na == 1 ? 0 : runA;
    full.strideB[k] = nb == 1 ? 0 : runB;
    runA *= na;
    runB *= nb;
  }
  Broadcast merged{full.shape, {}, {}, {}};
  for (std::size_t k = 0; k < dims; ++k) {
    if (full.shape[k] == 1) {
      continue;
    }
    if (!merged.shape.empty() && merged.strideA.back() == full.strideA[k] * full.shape[k] &&
        merged.strideB.back() == full.strideB[k] * full.shape[k]) {
      merged.shape.back() *= full.shape[k];
      merged.strideA.back() = full.strideA[k];
      merged.strideB.back() = full.strideB[k];
    } else {
      merged.shape.push_back(full.shape[k]);
      merged.strideA.push_back(full.strideA[k]);
      merged.strideB.push_back(full.strideB[k]);
    }
  }
  return merged;
}

// The value of each latitude on each date, broadcast: each distinct latitude's year is computed
// once, and each of its periods once; the rest is gathering.
py::array_t<double> ForDates(const Flat<float>& latitudes, const Flat<std::int64_t>& dates,
                             const py::str& aggregation, const py::str& unit,
                             const py::str& quantity, const py::str& method) {
  const CycleChoice choice = ChoiceNamed(aggregation, unit, quantity, method);
  RefuseWeeks(choice);
  const Broadcast shape = BroadcastOf(latitudes, dates);
  const auto latitudeCount = static_cast<std::size_t>(latitudes.size());
  const auto dateCount = static_cast<std::size_t>(dates.size());
  CheckSingleLatitudes(latitudes.data(), latitudeCount);
  std::vector<std::int32_t> row;
  std::vector<float> distinct;
  DatedColumns columns;
  {
    py::gil_scoped_release release;
    distinct = DistinctLatitudes(latitudes.data(), latitudeCount, row);
    columns = ColumnsOfDates(dates.data(), dateCount, choice.aggregation);
  }
  const std::size_t width = columns.periods.size() + 1;  // the last column: no date given
  py::array_t<double> result(shape.result);
  double* out = result.mutable_data();
  const auto total = static_cast<std::size_t>(result.size());
  // Each item's pair of distinct latitude and column, in the result's order.
  const std::size_t dims = shape.shape.size();
  const auto inner = static_cast<std::size_t>(dims == 0 ? 1 : shape.shape.back());
  const std::size_t rows = inner == 0 ? 0 : total / inner;
  auto gather = [&](auto&& put) {
    const py::ssize_t stepA = dims == 0 ? 0 : shape.strideA.back();
    const py::ssize_t stepB = dims == 0 ? 0 : shape.strideB.back();
    RunReleased(rows,
                std::max<std::size_t>(1, (std::size_t{1} << 20) / std::max<std::size_t>(1, inner)),
                std::max<std::size_t>(1, 4096 / std::max<std::size_t>(1, inner)),
                [&](std::size_t begin, std::size_t end) {
                  for (std::size_t r = begin; r < end; ++r) {
                    // The row's offsets in both arrays, from its index over the outer dimensions.
                    py::ssize_t a = 0;
                    py::ssize_t b = 0;
                    auto rest = static_cast<py::ssize_t>(r);
                    for (std::size_t k = dims == 0 ? 0 : dims - 1; k-- > 0;) {
                      const py::ssize_t at = rest % shape.shape[k];
                      rest /= shape.shape[k];
                      a += at * shape.strideA[k];
                      b += at * shape.strideB[k];
                    }
                    for (std::size_t i = r * inner; i < (r + 1) * inner; ++i) {
                      put(i, static_cast<std::size_t>(row[static_cast<std::size_t>(a)]),
                          static_cast<std::size_t>(columns.ofDate[static_cast<std::size_t>(b)]));
                      a += stepA;
                      b += stepB;
                    }
                  }
                });
  };
  auto valueOf = [&](const YearValues& year, std::size_t column) {
    return column + 1 == width ? std::numeric_limits<double>::quiet_NaN()
                               : DatedValue(year, columns.periods[column], choice);
  };
  if (distinct.size() * width <= 2 * total + 65536) {
    // A table of every distinct latitude and period, gathered from.
    std::vector<double> table(distinct.size() * width);
    RunReleased(distinct.size(), 4096, 1, [&](std::size_t begin, std::size_t end) {
      for (std::size_t l = begin; l < end; ++l) {
        const YearValues year = DailyValues(distinct[l], choice.quantity, choice.method, 366);
        for (std::size_t c = 0; c < width; ++c) {
          table[l * width + c] = valueOf(year, c);
        }
      }
    });
    gather([&](std::size_t i, std::size_t l, std::size_t c) { out[i] = table[l * width + c]; });
    return result;
  }
  // Latitudes that are nearly all distinct, each with a date of its own: the items in the order
  // of latitude, then period, so that each latitude's year is computed once, and each of its
  // periods once.
  std::vector<std::uint64_t> pairs(total);
  gather([&](std::size_t i, std::size_t l, std::size_t c) { pairs[i] = l << 32 | c; });
  std::vector<std::size_t> order(total);
  {
    py::gil_scoped_release release;
    for (std::size_t i = 0; i < total; ++i) {
      order[i] = i;
    }
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return pairs[a] < pairs[b]; });
  }
  RunReleased(total, std::size_t{1} << 20, 4096, [&](std::size_t begin, std::size_t end) {
    YearValues year{};
    std::uint64_t yearOf = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t pairOf = std::numeric_limits<std::uint64_t>::max();
    double value = 0.0;
    for (std::size_t k = begin; k < end; ++k) {
      const std::size_t i = order[k];
      if (pairs[i] >> 32 != yearOf) {
        yearOf = pairs[i] >> 32;
        year = DailyValues(distinct[yearOf], choice.quantity, choice.method, 366);
      }
      if (pairs[i] != pairOf) {
        pairOf = pairs[i];
        value = valueOf(year, pairs[i] & 0xffffffffU);
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

// Two digits at `at`, no more than `most`.
bool TwoDigits(std::string_view text, std::size_t at, int most) {
  if (at + 2 > text.size() || text[at] < '0' || text[at] > '9' || text[at + 1] < '0' ||
      text[at + 1] > '9') {
    return false;
  }
  return (text[at] - '0') * 10 + (text[at + 1] - '0') <= most;
}

// An ISO date, or an ISO date and time of day (as pandas and numpy print them:
// "2024-02-29T06:30", "2024-02-29 06:30:00.5+01:00"): the date as it is written, whatever the
// time and its zone.
std::optional<Date> ParseIsoTimestamp(std::string_view text) {
  constexpr std::size_t kDateLength = 10;
  if (text.size() <= kDateLength) {
    return ParseIsoDate(text);
  }
  const std::string_view time = text.substr(kDateLength);
  if ((time[0] != 'T' && time[0] != ' ') || !TwoDigits(time, 1, 23)) {
    return std::nullopt;
  }
  std::size_t at = 3;
  // Minutes and seconds, each after a colon; a fraction only after the seconds.
  for (int most : {59, 60}) {
    if (at < time.size() && time[at] == ':') {
      if (!TwoDigits(time, at + 1, most)) {
        return std::nullopt;
      }
      at += 3;
    }
  }
  if (at == 9 && at < time.size() && (time[at] == '.' || time[at] == ',')) {
    const std::size_t digits = time.find_first_not_of("0123456789", at + 1);
    const std::size_t stop = digits == std::string_view::npos ? time.size() : digits;
    if (stop == at + 1) {
      return std::nullopt;
    }
    at = stop;
  }
  if (at < time.size() && time[at] == 'Z') {
    ++at;
  } else if (at < time.size() && (time[at] == '+' || time[at] == '-')) {
    if (!TwoDigits(time, at + 1, 23)) {
      return std::nullopt;
    }
    at += 3;
    if (at < time.size()) {
      at += time[at] == ':' ? 1 : 0;
      if (!TwoDigits(time, at, 59)) {
        return std::nullopt;
      }
      at += 2;
    }
  }
  return at == time.size() ? ParseIsoDate(text.substr(0, kDateLength)) : std::nullopt;
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
    const std::optional<Date> parsed = ParseIsoTimestamp(text);
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
      "The compiled core of the marovane package: plain arrays in, plain arrays out. Use the "
      "functions of the package itself, which take any shape, names, texts and dates.";
  module.attr("__version__") = kVersion;
  module.attr("LATITUDE_OUT_OF_RANGE") =
      std::string(LatitudeCheckMessage(LatitudeCheck::OutOfRange));
  module.attr("SHOWN_CHARACTERS") = kShownCharacters;
  module.attr("FIRST_DATE") = kFirstDate;
  module.attr("LAST_DATE") = kLastDate;
  module.attr("MISSING_DATE") = kMissingDate;

  module.def("annual_cycles", &AnnualCycles, py::arg("latitudes"), py::arg("aggregation"),
             py::arg("unit"), py::arg("quantity"), py::arg("method"),
             "The table of each single-precision latitude, one row of rounded values each.");
  module.def(
      "daily_radiation",
      [](const Flat<float>& latitudes, const Flat<std::int16_t>& days, const py::str& method) {
        if (MethodOf(method) == Method::Fao56) {
          return PerDay<double>(latitudes, days, [](float latitude, std::int16_t day) {
            return Fao56DailyRadiation(static_cast<double>(latitude), day);
          });
        }
        return PerDay<double>(latitudes, days, [](float latitude, std::int16_t day) {
          return DailyRadiation(latitude, day);
        });
      },
      py::arg("latitudes"), py::arg("days"), py::arg("method"),
      "DailyRadiation or Fao56DailyRadiation of each latitude and day, MJ/m^2/day.");
  module.def(
      "day_length",
      [](const Flat<float>& latitudes, const Flat<std::int16_t>& days,
         const py::str& method) -> py::array {
        if (MethodOf(method) == Method::Fao56) {
          return PerDay<double>(latitudes, days, [](float latitude, std::int16_t day) {
            return Fao56DayLength(static_cast<double>(latitude), day);
          });
        }
        return PerDay<float>(latitudes, days, [](float latitude, std::int16_t day) {
          return DayLength(latitude, day);
        });
      },
      py::arg("latitudes"), py::arg("days"), py::arg("method"),
      "DayLength (float) or Fao56DayLength (double) of each latitude and day, hours.");
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
