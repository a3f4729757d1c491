#include <cstdint>

#include <gtest/gtest.h>

#include "model/Calendar.hpp"

namespace marovane {
namespace {

TEST(Calendar, DekadsAndMonthsEachCoverTheYearOnce) {
  int dekadDays = 0;
  for (std::int16_t k = 1; k <= kDekadsInYear; ++k) {
    dekadDays += DekadLength(k);
  }
  int monthDays = 0;
  for (std::int16_t m = 1; m <= kMonthsInYear; ++m) {
    monthDays += MonthLength(m);
  }
  EXPECT_EQ(dekadDays, 365);
  EXPECT_EQ(monthDays, 365);
}

TEST(Calendar, EachMonthsThirdDekadHoldsTheRestOfTheMonth) {
  for (std::int16_t m = 1; m <= kMonthsInYear; ++m) {
    const auto third = static_cast<std::int16_t>(3 * m);
    EXPECT_EQ(DekadLength(static_cast<std::int16_t>(third - 2)), 10) << "month " << m;
    EXPECT_EQ(DekadLength(static_cast<std::int16_t>(third - 1)), 10) << "month " << m;
    EXPECT_EQ(DekadLength(third), MonthLength(m) - 20) << "month " << m;
  }
}

TEST(Calendar, LengthsOfSingleNumbers) {
  struct Case {
    std::int16_t number;
    std::int16_t dekad;
    std::int16_t month;
  };
  const Case cases[] = {
      {1, 10, 31},     {2, 10, 28},     {3, 11, 31},    {6, 8, 30},       {12, 10, 31},
      {36, 11, 0},     {0, 10, 0},      {13, 10, 0},    {37, 10, 0},      {53, 10, 0},
      {-6, 10, 0},     {-1, 10, 0},     {32767, 10, 0}, {-32768, 10, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DekadLength(c.number), c.dekad) << "dekad " << c.number;
    EXPECT_EQ(MonthLength(c.number), c.month) << "month " << c.number;
  }
}

}  // namespace
}  // namespace marovane
