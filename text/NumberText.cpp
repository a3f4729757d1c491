// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/NumberText.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "model/DecimalText.hpp"

namespace marovane {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsExponentLetter(char c) {
  return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}
// The leading-number reading ignores blanks, tabs and line feeds wherever they stand; a
// carriage return ends it ("4\r5" reads 4).
bool IsIgnoredBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}
// After a numeric text's number any line end may follow, so that a pasted line or an
// argument from a Windows file is still a number.
bool IsTrailingBlank(char c) {
  return IsIgnoredBlank(c) || c == '\r';
}

// Beyond these decimal exponents of the leading digit no double is left: the value is
// +-infinity or +-0 whatever its digits.
constexpr long long kOverflowExponent = 310;
constexpr long long kUnderflowExponent = -330;
constexpr long long kExponentCap = 1000000000;

// The value of significant digits `digits` (no leading zero) times 10^exponent, correctly
// rounded; the magnitude, not the exponent's sign, decides between infinity and zero.
double DecimalValue(const std::string& digits, long long exponent, bool negative) {
  double magnitude = 0.0;
  if (!digits.empty()) {
    const long long leading = exponent + static_cast<long long>(digits.size()) - 1;
    if (leading > kOverflowExponent) {
      magnitude = std::numeric_limits<double>::infinity();
    } else if (leading >= kUnderflowExponent) {
      magnitude = marovane::DecimalValue(digits + 'e' + std::to_string(exponent));
    }
  }
  return negative ? -magnitude : magnitude;
}

// Shared by both text conversions: shortest text with `digits` significant digits.
template <typename T>
std::string DefaultText(T value, int digits) {
  if (value == T{0}) {
    return "0";  // also for negative zero
  }
  std::array<char, 64> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::general, digits);
  std::string text(buffer.data(), ec == std::errc{} ? end : buffer.data());
  for (char& c : text) {
    if (c == 'e') {
      c = 'E';
    }
  }
  return text;
}

// The general form with 15 significant digits gives a double nearest to n / 1000, for a whole
// n of at most 12 digits, the digits of n with the point put in and trailing zeros dropped
// (15 digits bring back any decimal of 15 digits or fewer). The tables are full of such
// values, rounded to 3 decimals, and writing them so costs a fraction of the general
// conversion. False for any other value, which the general conversion then takes.
bool AppendThousandths(double value, std::string& text) {
  if (!(std::fabs(value) < 1e9) || value == 0.0) {
    return false;
  }
  const double n = std::nearbyint(value * 1000.0);
  if (n / 1000.0 != value) {
    return false;
  }
  std::array<char, 16> digits{};
  const auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(),
                                       static_cast<long long>(std::fabs(n)));
  const auto length = static_cast<std::size_t>(end - digits.data());
  if (value < 0.0) {
    text += '-';
  }
  std::array<char, 3> fraction{'0', '0', '0'};
  const std::size_t inFraction = std::min<std::size_t>(length, 3);
  std::copy(end - inFraction, end, fraction.end() - inFraction);
  if (length > 3) {
    text.append(digits.data(), length - 3);
  } else {
    text += '0';
  }
  std::size_t kept = 3;
  while (kept > 0 && fraction[kept - 1] == '0') {
    --kept;
  }
  if (kept > 0) {
    text.push_back('.');
    text.append(fraction.data(), kept);
  }
  return true;
}

}  // namespace

ScannedNumber ScanNumber(std::string_view text) {
  std::size_t i = 0;
  // Blanks skipped since the last character of the number; one that another character of the
  // number follows stands inside it, which the reading ignores and the numeric test refuses.
  bool skipped = false;
  bool blankInside = false;
  auto skipBlanks = [&] {
    while (i < text.size() && IsIgnoredBlank(text[i])) {
      ++i;
      skipped = true;
    }
  };
  auto take = [&] {
    blankInside = blankInside || skipped;
    skipped = false;
    ++i;
  };
  skipBlanks();
  skipped = false;  // blanks before the number stand outside it
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    take();
  }
  std::string digits;      // significant digits, leading zeros dropped
  long long exponent = 0;  // power of ten of the last digit in `digits`
  bool seenPoint = false;
  bool seenDigit = false;
  for (;;) {
    skipBlanks();
    if (i >= text.size()) {
      break;
    }
    if (IsDigit(text[i])) {
      seenDigit = true;
      if (!digits.empty() || text[i] != '0') {
        digits += text[i];
      }
      exponent -= seenPoint ? 1 : 0;
    } else if (text[i] == '.' && !seenPoint) {
      seenPoint = true;
    } else {
      break;
    }
    take();
  }
  ScannedNumber scanned;
  if (!seenDigit) {
    return scanned;  // no digit: 0, and not a number
  }
  if (i < text.size() && IsExponentLetter(text[i])) {
    // The letter belongs to the number only when digits follow it.
    const std::size_t letter = i;
    const bool blankBefore = blankInside;
    take();
    skipBlanks();
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      negativeExponent = text[i] == '-';
      take();
    }
    long long written = 0;
    bool exponentDigit = false;
    for (;;) {
      skipBlanks();
      if (i >= text.size() || !IsDigit(text[i])) {
        break;
      }
      exponentDigit = true;
      written = std::min(kExponentCap, written * 10 + (text[i] - '0'));
      take();
    }
    if (exponentDigit) {
      exponent += negativeExponent ? -written : written;
    } else {
      i = letter;
      blankInside = blankBefore;
    }
  }
  while (i < text.size() && IsTrailingBlank(text[i])) {
    ++i;
  }
  scanned.value = DecimalValue(digits, exponent, negative);
  scanned.whole = i == text.size() && !blankInside;
  return scanned;
}

double LeadingNumber(std::string_view text) {
  return ScanNumber(text).value;
}

bool IsNumeric(std::string_view text) {
  return ScanNumber(text).whole;
}

std::optional<double> NumericValue(std::string_view text) {
  const ScannedNumber scanned = ScanNumber(text);
  return scanned.whole ? std::optional<double>(scanned.value) : std::nullopt;
}

std::string SingleText(float value) {
  return DefaultText(value, 7);
}

std::string DoubleText(double value) {
  std::string text;
  AppendDoubleText(text, value);
  return text;
}

void AppendDoubleText(std::string& text, double value) {
  if (!AppendThousandths(value, text)) {
    text += DefaultText(value, 15);
  }
}

}  // namespace marovane
