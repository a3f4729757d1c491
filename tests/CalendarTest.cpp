// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdint>

#include <gtest/gtest.h>

#include "model/Calendar.hpp"

namespace marovane {
namespace {

// The lengths of the year's dekads and months are pinned by the reference files; these are
// the numbers outside the year, which only the functions themselves answer for.
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
