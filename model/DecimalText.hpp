// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// Reading a decimal text into the double nearest to it, the one conversion from text to a
// double that the computations need. The C++ library's from_chars does it where it reads
// doubles; elsewhere (libc++ 14, as WebAssembly builds have it) the C library's strtod, which
// reads the same texts to the same doubles where the locale is "C", as it always is there.
namespace marovane {

// DecimalValue
// The double nearest to a decimal text, ties to even, as IEEE 754 reading rounds it.
//
// Given:
//   text  string_view  digits with at most one point, then optionally e, a sign and digits:
//                      "123.456", "45e-3", "1e-310"; nothing else (no sign, blank or hex)
//
// Returned (function value):
//         double       the value, subnormals included; +infinity past the largest double,
//                      0 below half the smallest; 0 for a text of another form
double DecimalValue(std::string_view text);

namespace detail {
// Each way on its own, for the tests that hold them equal.
double DecimalValueByStrtod(std::string_view text);
double DecimalValueByFromChars(std::string_view text);  // by strtod where there is none
}  // namespace detail

}  // namespace marovane
