#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "export/Units.hpp"

namespace marovane {
namespace {

TEST(Units, LabelsAndFactors) {
  struct Case {
    std::int16_t unit;
    std::int16_t period;
    const char* label;
    double factor;
  };
  const Case cases[] = {
      {1, 1, "MJ/m^2/day", 1.0},     {1, 36, "MJ/m^2/day", 1.0},  {2, 5, "J/cm^2/day", 100.0},
      {3, 5, "cal/cm^2/day", 23.9},  {4, 1, "W/m^2", 11.6},       {4, 3, "W/m^2", 11.6},
      {5, 6, "mm/day", 0.408},       {6, 3, "MJ/m^2/dekad", 11.0}, {6, 6, "MJ/m^2/dekad", 8.0},
      {6, 1, "MJ/m^2/dekad", 10.0},  {6, 53, "MJ/m^2/dekad", 10.0}, {7, 3, "mm/dekad", 11.0 * 0.408},
      {7, 6, "mm/dekad", 8.0 * 0.408}, {7, 1, "mm/dekad", 10.0 * 0.408},
      {0, 1, "", 0.0},               {8, 1, "", 0.0},             {-1, 3, "", 0.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UnitLabel(c.unit), c.label) << "unit " << c.unit;
    EXPECT_EQ(UnitFactor(c.unit, c.period), c.factor) << "unit " << c.unit << " period " << c.period;
  }
  // The per-dekad factors in millimetres, as decimals.
  EXPECT_DOUBLE_EQ(UnitFactor(7, 3), 4.488);
  EXPECT_DOUBLE_EQ(UnitFactor(7, 6), 3.264);
  EXPECT_DOUBLE_EQ(UnitFactor(7, 1), 4.08);
}

}  // namespace
}  // namespace marovane
