// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/DecimalText.hpp"

#include <charconv>
#include <cstdlib>
#include <string>
#include <system_error>

namespace marovane {

namespace detail {

double DecimalValueByStrtod(std::string_view text) {
  const std::string terminated(text);
  char* end = nullptr;
  const double value = std::strtod(terminated.c_str(), &end);
  return end == terminated.c_str() + terminated.size() ? value : 0.0;
}

double DecimalValueByFromChars(std::string_view text) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    return DecimalValueByStrtod(text);  // 0 or infinity, which from_chars does not give
  }
  return ec == std::errc{} && end == text.data() + text.size() ? value : 0.0;
#else
  return DecimalValueByStrtod(text);
#endif
}

}  // namespace detail

double DecimalValue(std::string_view text) {
  return detail::DecimalValueByFromChars(text);
}

}  // namespace marovane
