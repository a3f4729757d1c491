// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace marovane {

// Rounds to the nearest multiple of 0.001, decided on the exact binary value; an exact half
// goes to the even last digit (10.0625, exact in binary, goes to 10.062). Returns the double
// nearest to that multiple.
// Infinities and NaN are returned unchanged.
double RoundTo3Decimals(double value);

}  // namespace marovane
