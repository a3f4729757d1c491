#include "text/NumberText.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace marovane {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsExponentLetter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }
bool IsIgnoredBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Parses a plain decimal "[-]digits[.digits][e[+-]digits]" correctly rounded; an exponent out of
// range gives +-infinity or +-0 instead of an error.
double ParseDecimal(const std::string& decimal) {
  double value = 0.0;
  const char* first = decimal.data();
  const char* last = first + decimal.size();
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    const bool negative = decimal.front() == '-';
    const auto e = decimal.find('e');
    const bool hugeMagnitude = e == std::string::npos || decimal[e + 1] != '-';
    const double magnitude = hugeMagnitude ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
  }
  return ec == std::errc{} && end == last ? value : 0.0;
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

}  // namespace

double LeadingNumber(std::string_view text) {
  // Gather the accepted characters into a canonical form for from_chars.
  std::string decimal;
  decimal.reserve(text.size() + 4);
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < text.size() && IsIgnoredBlank(text[i])) {
      ++i;
    }
  };
  skipBlanks();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') {
      decimal += '-';
    }
    ++i;
  }
  bool seenPoint = false;
  bool seenDigit = false;
  for (;; ++i) {
    skipBlanks();
    if (i >= text.size()) {
      break;
    }
    if (IsDigit(text[i])) {
      seenDigit = true;
      decimal += text[i];
    } else if (text[i] == '.' && !seenPoint) {
      seenPoint = true;
      decimal += '.';
    } else {
      break;
    }
  }
  if (!seenDigit) {
    return 0.0;
  }
  if (i < text.size() && IsExponentLetter(text[i])) {
    std::string exponent = "e";
    ++i;
    skipBlanks();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      exponent += text[i];
      ++i;
    }
    bool exponentDigit = false;
    for (;; ++i) {
      skipBlanks();
      if (i >= text.size() || !IsDigit(text[i])) {
        break;
      }
      exponentDigit = true;
      exponent += text[i];
    }
    if (exponentDigit) {
      decimal += exponent;
    }
  }
  return ParseDecimal(decimal);
}

bool IsNumeric(std::string_view text) {
  auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && isBlank(text[first])) {
    ++first;
  }
  while (last > first && isBlank(text[last - 1])) {
    --last;
  }
  const std::string_view t = text.substr(first, last - first);
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    ++i;
  }
  std::size_t digits = 0;
  bool seenPoint = false;
  for (; i < t.size(); ++i) {
    if (IsDigit(t[i])) {
      ++digits;
    } else if (t[i] == '.' && !seenPoint) {
      seenPoint = true;
    } else {
      break;
    }
  }
  if (digits == 0) {
    return false;
  }
  if (i < t.size() && IsExponentLetter(t[i])) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
      ++i;
    }
    std::size_t exponentDigits = 0;
    for (; i < t.size() && IsDigit(t[i]); ++i) {
      ++exponentDigits;
    }
    if (exponentDigits == 0) {
      return false;
    }
  }
  return i == t.size();
}

std::string SingleText(float value) { return DefaultText(value, 7); }

std::string DoubleText(double value) { return DefaultText(value, 15); }

double RoundTo3Decimals(double value) {
  if (!std::isfinite(value)) {
    return value;
  }
  // to_chars rounds the exact binary value, halves to even, as printf does; the fixed text
  // of a double needs at most 309 digits before the point.
  std::array<char, 400> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, 3);
  double rounded = 0.0;
  std::from_chars(buffer.data(), end, rounded, std::chars_format::fixed);
  return ec == std::errc{} ? rounded : value;
}

}  // namespace marovane
