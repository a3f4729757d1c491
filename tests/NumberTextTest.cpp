// SPDX-License-Identifier: GPL-3.0-or-later
#include <array>
#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <locale>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/DecimalText.hpp"
#include "model/Rounding.hpp"
#include "text/NumberText.hpp"

namespace marovane {
namespace {

TEST(NumberText, LeadingNumber) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"41.9", 41.9},       {"-33.8675", -33.8675},
      {"+7", 7.0},          {"4-5", 4.0},
      {"1.2.3", 1.2},       {".5", 0.5},
      {"5.", 5.0},          {"-", 0.0},
      {".", 0.0},           {"", 0.0},
      {"abc", 0.0},         {"12abc", 12.0},
      {"  \t-12.5", -12.5}, {"1 2", 12.0},
      {"- 3\n.5", -3.5},    {"1E3", 1000.0},
      {"1e-2", 0.01},       {"2D2", 200.0},
      {"2d+1", 20.0},       {"3E", 3.0},
      {"3E+", 3.0},         {"1,5", 1.0},
      {"0.1", 0.1},         {"90.000001", 90.000001},
      {"00012", 12.0},      {"4 1.9", 41.9},
      {"1 e5", 1e5},        {"4\r5", 4.0},
      {"\r4", 0.0},         {"4\r\n5", 4.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LeadingNumber(c.text), c.value) << '"' << c.text << '"';
  }
  // Beyond a double: the magnitude decides, whatever the exponent's sign.
  const double inf = std::numeric_limits<double>::infinity();
  const std::string zeros310(310, '0');
  const std::string zeros330(330, '0');
  const Case beyond[] = {
      {"1e400", inf},
      {"-1e400", -inf},
      {"1e-400", 0.0},
      {"1e99999999999999999999", inf},
      {"1e-99999999999999999999", 0.0},
      {"1e18446744073709551617", inf},
      {"-1e-18446744073709551617", 0.0},
  };
  for (const Case& c : beyond) {
    EXPECT_EQ(LeadingNumber(c.text), c.value) << c.text;
  }
  EXPECT_EQ(LeadingNumber("1" + zeros310 + "E-1"), inf);  // 1e309
  EXPECT_EQ(LeadingNumber("1" + zeros310 + "E-20"), 1e290);
  EXPECT_EQ(LeadingNumber("." + zeros330 + "1"), 0.0);
  EXPECT_EQ(LeadingNumber("." + zeros330 + "1E340"), 1e9);
  EXPECT_EQ(LeadingNumber("0.000" + std::string(1000, '0') + "5e1003"), 0.5);
  EXPECT_TRUE(std::signbit(LeadingNumber("-0")));
  EXPECT_TRUE(std::signbit(LeadingNumber("-1e-400")));
}

TEST(NumberText, IsNumeric) {
  struct Case {
    const char* text;
    bool numeric;
  };
  const Case cases[] = {
      {"41.9", true},
      {"-41.9", true},
      {"+3", true},
      {" 12 ", true},
      {"\t12", true},
      {".5", true},
      {"5.", true},
      {"1e5", true},
      {"1E-5", true},
      {"2D3", true},
      {"2d+3", true},
      {"0", true},
      {"-0", true},
      {"", false},
      {"-", false},
      {".", false},
      {"1.2.3", false},
      {"4-5", false},
      {"1e", false},
      {"1e+", false},
      {"abc", false},
      {"12a", false},
      {"1,5", false},
      {"--1", false},
      {"1 2", false},
      {" ", false},
      {"-.", false},
      {"e5", false},
      {"4\n", true},
      {"4\r\n", true},
      {"\n-4 ", true},
      {"1e5x", false},
      {"3E", false},
      {"1e 5", false},
      {"1\x1b", false},
      // Blanks before and after a number, never inside it; a carriage return only after it.
      {"4 1.9", false},
      {"- 3", false},
      {"1 e5", false},
      {"1e- 5", false},
      {"1. 5", false},
      {"4\t5", false},
      {"4\n5", false},
      {"4\r5", false},
      {"\r4", false},
      {"4\r", true},
      {" \t4.5 \r\n", true},
      {"1e5 \r", true},
      {"3E ", false},
      {"1 e", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNumeric(c.text), c.numeric) << '"' << c.text << '"';
    // One grammar: a numeric text's value is its leading number.
    EXPECT_EQ(NumericValue(c.text).has_value(), c.numeric) << '"' << c.text << '"';
    if (c.numeric) {
      EXPECT_EQ(*NumericValue(c.text), LeadingNumber(c.text)) << '"' << c.text << '"';
    }
  }
}

TEST(NumberText, DefaultTextOfSingles) {
  struct Case {
    float value;
    const char* text;
  };
  const Case cases[] = {
      {41.9f, "41.9"},
      {45.0f, "45"},
      {0.0f, "0"},
      {-0.0f, "0"},
      {-12.5f, "-12.5"},
      {0.5f, "0.5"},
      {-0.062f, "-0.062"},
      {67.0761566f, "67.07616"},
      {-90.0f, "-90"},
      {12.508f, "12.508"},
      {1234567.0f, "1234567"},
      {0.0001f, "0.0001"},
      {1e-5f, "1E-05"},
      {-100.677f, "-100.677"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SingleText(c.value), c.text);
  }
}

TEST(NumberText, DefaultTextOfDoubles) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {12.3, "12.3"},
      {0.0, "0"},
      {-0.0, "0"},
      {7.0, "7"},
      {2.0004, "2.0004"},
      {41.93, "41.93"},
      {484.38, "484.38"},
      {0.1, "0.1"},
      {-0.5, "-0.5"},
      {123456.789, "123456.789"},
      {1.0 / 3.0, "0.333333333333333"},
      {0.001, "0.001"},
      {-0.05, "-0.05"},
      {1000.0, "1000"},
      {0.0001, "0.0001"},
      {999999999.999, "999999999.999"},
      {1e9, "1000000000"},
      {1e-5, "1E-05"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DoubleText(c.value), c.text);
  }
  // Whole thousandths, which the tables are full of, are written a shorter way: printf's
  // general form judges them, their neighbours, and values of more decimals.
  std::mt19937_64 random(2026);
  for (int i = 0; i < 100000; ++i) {
    const long long ranges[] = {2000, 2000000, 2000000000000, 20000000000000000};
    const long long range = ranges[i % 4];
    const double thousandths =
        static_cast<double>(static_cast<long long>(random() % range) - range / 2);
    const double value = thousandths / 1000.0;
    for (const double v :
         {value, std::nextafter(value, 0.0), std::nextafter(value, 1e10), thousandths / 10000.0}) {
      std::array<char, 64> expected{};
      std::snprintf(expected.data(), expected.size(), "%.15G", v);
      ASSERT_EQ(DoubleText(v), v == 0.0 ? "0" : expected.data()) << thousandths;
    }
  }
}

TEST(NumberText, RoundTo3DecimalsHalvesToEvenOnTheExactValue) {
  struct Case {
    double value;
    double rounded;
  };
  const Case cases[] = {
      {10.0625, 10.062},  // exact half: to the even digit
      {10.1875, 10.188},  // exact half: to the even digit
      {0.0625, 0.062},
      {-0.0625, -0.062},
      {2.0004, 2.0},
      {12.3, 12.3},
      {0.0005, 0.001},                        // 0.0005 lies just above the half
      {0.0025, 0.003},                        // the double of 0.0025 lies just above the half
      {static_cast<double>(0.0025f), 0.002},  // the single lies below it
      {129.6886, 129.689},
      {1e300, 1e300},
      {-0.0001, -0.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RoundTo3Decimals(c.value), c.rounded) << c.value;
  }
  EXPECT_EQ(DoubleText(RoundTo3Decimals(-0.0001)), "0");
  EXPECT_TRUE(std::isinf(RoundTo3Decimals(std::numeric_limits<double>::infinity())));
}

// The rounding through the fixed text, as the program first did it: the reference for the
// arithmetic that replaced it, which must give the same double, bit for bit, sign of zero
// included.
double RoundedByText(double value) {
  if (!std::isfinite(value)) {
    return value;
  }
  std::array<char, 400> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, 3);
  double rounded = 0.0;
  std::from_chars(buffer.data(), end, rounded, std::chars_format::fixed);
  return ec == std::errc{} ? rounded : value;
}

TEST(NumberText, RoundTo3DecimalsEqualsTheTextRounding) {
  std::mt19937_64 random(20261207);
  std::uint64_t checked = 0;
  std::uint64_t differing = 0;
  // Values are checked one by one and, a block at a time, by RoundEachTo3Decimals.
  std::vector<double> block;
  auto flush = [&] {
    std::vector<double> each = block;
    RoundEachTo3Decimals(each.data(), each.size());
    for (std::size_t i = 0; i < block.size(); ++i) {
      ++checked;
      const double expected = RoundedByText(block[i]);
      const auto bits = std::bit_cast<std::uint64_t>(expected);
      const double rounded = RoundTo3Decimals(block[i]);
      if ((std::bit_cast<std::uint64_t>(rounded) != bits ||
           std::bit_cast<std::uint64_t>(each[i]) != bits) &&
          ++differing <= 10) {
        ADD_FAILURE() << std::hexfloat << block[i] << " rounds to " << rounded << " alone, to "
                      << each[i] << " in a block, by text to " << expected;
      }
    }
    block.clear();
  };
  auto check = [&](double value) {
    block.push_back(value);
    block.push_back(-value);
    if (block.size() >= 4096) {
      flush();
    }
  };
  auto steps = [](double value, int ulps) {
    for (int i = 0; i < ulps; ++i) {
      value = std::nextafter(value, std::numeric_limits<double>::infinity());
    }
    for (int i = 0; i > ulps; --i) {
      value = std::nextafter(value, -std::numeric_limits<double>::infinity());
    }
    return value;
  };
  // Every bit pattern: all magnitudes, subnormals, NaNs and infinities.
  for (int i = 0; i < 500000; ++i) {
    check(std::bit_cast<double>(random()));
  }
  // The table values' magnitudes, uniformly within each power of ten.
  std::uniform_real_distribution<double> unit(1.0, 10.0);
  for (int i = 0; i < 1500000; ++i) {
    check(unit(random) * std::pow(10.0, static_cast<int>(random() % 16) - 6));
  }
  // Around the halves and the multiples of 0.001, a few units in the last place either side,
  // and around the exact binary halves (odd multiples of 1/16).
  std::uniform_int_distribution<std::int64_t> thousandths(0, 999999999999);
  for (int i = 0; i < 100000; ++i) {
    const auto n = static_cast<double>(i < 50000 ? i : thousandths(random));
    for (int ulps = -3; ulps <= 3; ++ulps) {
      check(steps((n + 0.5) / 1000.0, ulps));
      check(steps(n / 1000.0, ulps));
      check(steps((2.0 * n + 1.0) / 16.0, ulps));
    }
  }
  // Both sides of where the arithmetic hands over to the text, and the smallest values.
  for (const double edge :
       {1e9, 1e12, 9007199254740992.0 / 1000.0, 0.0005, 0.0, 5e-324,
        std::numeric_limits<double>::min(), std::numeric_limits<double>::max()}) {
    for (int ulps = -20; ulps <= 20; ++ulps) {
      check(steps(edge, ulps));
    }
  }
  flush();
  EXPECT_EQ(differing, 0u) << "of " << checked;
  EXPECT_GT(checked, 5000000u);
}

// The two ways of reading a decimal text, from_chars and strtod (which builds without the
// former use), give the same double for every text the program makes: shortest texts of any
// double, fixed texts of three decimals, and digits with exponents out to either end of the
// range, subnormals, overflow and underflow included.
TEST(NumberText, DecimalValueTheSameByFromCharsAndByStrtod) {
  std::mt19937_64 random(20261208);
  std::uint64_t differing = 0;
  auto same = [&](const std::string& text) {
    const double a = detail::DecimalValueByFromChars(text);
    const double b = detail::DecimalValueByStrtod(text);
    if (std::bit_cast<std::uint64_t>(a) != std::bit_cast<std::uint64_t>(b) && ++differing <= 10) {
      ADD_FAILURE() << text << ": " << std::hexfloat << a << " by from_chars, " << b
                    << " by strtod";
    }
    return a;
  };
  std::array<char, 400> buffer{};
  for (int i = 0; i < 200000; ++i) {
    double value = std::fabs(std::bit_cast<double>(random()));
    if (!std::isfinite(value)) {
      continue;
    }
    const auto shortest = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    EXPECT_EQ(same(std::string(buffer.data(), shortest.ptr)), value);
    value = std::ldexp(value, -std::ilogb(value) + static_cast<int>(random() % 40));
    const auto fixed = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                     std::chars_format::fixed, 3);
    same(std::string(buffer.data(), fixed.ptr));
  }
  for (int i = 0; i < 200000; ++i) {
    std::string digits = std::to_string(random() % 9 + 1);
    for (int n = static_cast<int>(random() % 30); n > 0; --n) {
      digits += static_cast<char>('0' + random() % 10);
    }
    const int exponent = static_cast<int>(random() % 700) - 360;
    same(digits + "e" + std::to_string(exponent));
    same(digits.substr(0, 1) + "." + digits.substr(1) + "e" + std::to_string(exponent));
  }
  EXPECT_EQ(differing, 0u);
  EXPECT_EQ(DecimalValue("1e309"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(DecimalValue("2e-324"), 0.0);
  EXPECT_EQ(DecimalValue("4e-324"), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(DecimalValue("0.001"), 0.001);
  EXPECT_EQ(DecimalValue("12x"), 0.0);
}

// Texts must keep the point whatever the user's regional settings are.
struct CommaDecimals : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(NumberText, PointSeparatorUnderACommaLocale) {
  const std::locale previous =
      std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
  const char* cLocale = std::setlocale(LC_ALL, nullptr);
  const std::string savedC = cLocale != nullptr ? cLocale : "C";
  bool commaC = false;
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "fr_FR"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      commaC = true;
      break;
    }
  }
  EXPECT_EQ(SingleText(41.9f), "41.9");
  EXPECT_EQ(DoubleText(12.345), "12.345");
  EXPECT_EQ(LeadingNumber("12.5"), 12.5);
  EXPECT_EQ(RoundTo3Decimals(10.0625), 10.062);
  std::setlocale(LC_ALL, savedC.c_str());
  std::locale::global(previous);
  if (!commaC) {
    GTEST_LOG_(INFO) << "no comma locale installed; checked under a comma C++ locale only";
  }
}

}  // namespace
}  // namespace marovane
