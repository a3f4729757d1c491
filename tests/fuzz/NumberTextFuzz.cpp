// SPDX-License-Identifier: GPL-3.0-or-later
// The number scanner and the number texts: a numeric text reads to the value the C library
// gives the same digits, and every text the program writes reads back to its number.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzCheck.hpp"
#include "model/Rounding.hpp"
#include "text/NumberText.hpp"

namespace {

using namespace marovane;

// The same number as the C library reads it: blanks out, D exponents as E.
double Reference(std::string_view text) {
  std::string plain;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      continue;
    }
    plain += (c == 'D' || c == 'd') ? 'e' : c;
  }
  return std::strtod(plain.c_str(), nullptr);
}

double ReadBack(const std::string& text) {
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  FUZZ_CHECK(ec == std::errc{} && end == text.data() + text.size());
  return value;
}

// A default text: no blank, no comma, a plus only in an exponent, no trailing zero after a
// point, never "-0".
void CheckDefaultText(const std::string& text) {
  const auto exponent = text.find('E');
  FUZZ_CHECK(!text.empty() && text.find_first_of(" ,") == std::string::npos);
  FUZZ_CHECK(text.substr(0, exponent).find('+') == std::string::npos);
  FUZZ_CHECK(text != "-0");
  const auto point = text.find('.');
  if (point != std::string::npos) {
    const char last = text[(exponent == std::string::npos ? text.size() : exponent) - 1];
    FUZZ_CHECK(last != '0' && last != '.');
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ScannedNumber scanned = ScanNumber(text);
  FUZZ_CHECK(IsNumeric(text) == scanned.whole);
  FUZZ_CHECK(LeadingNumber(text) == scanned.value || std::isnan(scanned.value));
  // A carriage return ends the reading.
  const std::size_t cr = text.find('\r');
  if (cr != std::string_view::npos) {
    FUZZ_CHECK(LeadingNumber(text.substr(0, cr)) == scanned.value);
  }
  if (scanned.whole) {
    // Blanks around a numeric text's number, never inside it; no carriage return before it.
    constexpr std::string_view kBlanks = " \t\n\r";
    const std::size_t first = text.find_first_not_of(kBlanks);
    const std::size_t last = text.find_last_not_of(kBlanks);
    const std::string_view number = text.substr(first, last - first + 1);
    FUZZ_CHECK(number.find_first_of(kBlanks) == std::string_view::npos);
    FUZZ_CHECK(text.substr(0, first).find('\r') == std::string_view::npos);
  }
  if (scanned.whole && text.find('\0') == std::string_view::npos) {
    const double expected = Reference(text);
    FUZZ_CHECK(scanned.value == expected);
    FUZZ_CHECK(std::signbit(scanned.value) == std::signbit(expected));
  }

  const double value = scanned.value;
  if (std::isfinite(value)) {
    const std::string doubleText = DoubleText(value);
    CheckDefaultText(doubleText);
    FUZZ_CHECK(std::fabs(ReadBack(doubleText) - value) <= std::fabs(value) * 1e-14);
    const double rounded = RoundTo3Decimals(value);
    FUZZ_CHECK(std::fabs(rounded - value) <= 0.0005 + std::fabs(value) * 1e-15);
    const auto single = static_cast<float>(value);
    if (std::isfinite(single)) {
      const std::string singleText = SingleText(single);
      CheckDefaultText(singleText);
      const double back = ReadBack(singleText);
      FUZZ_CHECK(std::fabs(back - single) <= std::fabs(static_cast<double>(single)) * 5.1e-7);
    }
  }
  return 0;
}
