// SPDX-License-Identifier: GPL-3.0-or-later
// The FROM/TO of --dates on any text: a range is taken exactly when it is two existing dates of
// the Gregorian calendar as YYYY-MM-DD, FROM not after TO, at most 36,525 days, and its text is
// then the input's own; the periods of each real-calendar aggregation cover it whole, one after
// the other, each with its first day's day of the year counted as the calendar counts it.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.hpp"
#include "export/Table.hpp"

namespace {

using namespace marovane;

bool Leap(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int MonthDays(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[month - 1] + (month == 2 && Leap(year) ? 1 : 0);
}

// The date of "YYYY-MM-DD" by the calendar's rules alone, or false.
bool CalendarDate(std::string_view text, int& year, int& month, int& day) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
    return false;
  }
  int fields[3] = {};
  const std::size_t starts[] = {0, 5, 8};
  const std::size_t lengths[] = {4, 2, 2};
  for (int f = 0; f < 3; ++f) {
    for (std::size_t i = 0; i < lengths[f]; ++i) {
      const char c = text[starts[f] + i];
      if (c < '0' || c > '9') {
        return false;
      }
      fields[f] = fields[f] * 10 + (c - '0');
    }
  }
  year = fields[0];
  month = fields[1];
  day = fields[2];
  return year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= MonthDays(year, month);
}

// Days from 0001-01-01, counted month by month from the year's start.
long long DayNumber(int year, int month, int day) {
  const long long y = year - 1;
  long long days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) {
    days += MonthDays(year, m);
  }
  return days + day - 1;
}

int DayOfTheYear(const Date& date) {
  return static_cast<int>(DayNumber(date.year, date.month, date.day) - DayNumber(date.year, 1, 1)) +
         1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string refusal;
  const std::optional<DateRange> range = ParseDateRange(text, refusal);

  int y1 = 0, m1 = 0, d1 = 0, y2 = 0, m2 = 0, d2 = 0;
  const bool dates = text.size() == 21 && text[10] == '/' &&
                     CalendarDate(text.substr(0, 10), y1, m1, d1) &&
                     CalendarDate(text.substr(11), y2, m2, d2);
  const long long span = dates ? DayNumber(y2, m2, d2) - DayNumber(y1, m1, d1) + 1 : 0;
  FUZZ_CHECK(range.has_value() == (dates && span >= 1 && span <= 36'525));
  if (!range) {
    FUZZ_CHECK(!refusal.empty());
    return 0;
  }
  FUZZ_CHECK(IsoText(range->from) + "/" + IsoText(range->to) == text);

  const long long from = DayNumber(y1, m1, d1);
  const long long to = DayNumber(y2, m2, d2);
  for (const Aggregation aggregation :
       {Aggregation::Daily, Aggregation::Dekadal, Aggregation::Monthly}) {
    const std::vector<DatedPeriod> periods = DatedPeriods(range->from, range->to, aggregation);
    FUZZ_CHECK(!periods.empty());
    long long next = DayNumber(periods.front().first.year, periods.front().first.month,
                               periods.front().first.day);
    FUZZ_CHECK(next <= from);
    for (const DatedPeriod& p : periods) {
      const Date& first = p.first;
      FUZZ_CHECK(first.month >= 1 && first.month <= 12 && first.day >= 1 &&
                 first.day <= MonthDays(first.year, first.month));
      FUZZ_CHECK(DayNumber(first.year, first.month, first.day) == next);
      FUZZ_CHECK(DayOfYear(first) == DayOfTheYear(first));
      switch (aggregation) {
        case Aggregation::Daily: FUZZ_CHECK(p.days == 1); break;
        case Aggregation::Dekadal:
          FUZZ_CHECK(first.day == 1 || first.day == 11 || first.day == 21);
          FUZZ_CHECK(p.days == (first.day < 21 ? 10 : MonthDays(first.year, first.month) - 20));
          break;
        default: FUZZ_CHECK(first.day == 1 && p.days == MonthDays(first.year, first.month)); break;
      }
      next += p.days;
    }
    // The last period holds TO, and none lies wholly past it.
    FUZZ_CHECK(next > to && next - periods.back().days <= to);
  }
  FUZZ_CHECK(DatedPeriods(range->from, range->to, Aggregation::Weekly).empty());
  return 0;
}
