// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

namespace marovane {

// Rounds to the nearest multiple of 0.001, decided on the exact binary value; an exact half
// goes to the even last digit (10.0625, exact in binary, goes to 10.062). Returns the double
// nearest to that multiple.
// Infinities and NaN are returned unchanged.
double RoundTo3Decimals(double value);

// RoundTo3Decimals of each of `count` values, in place; a long run of values is rounded
// several at a time.
void RoundEachTo3Decimals(double* values, std::size_t count);

}  // namespace marovane
