// SPDX-License-Identifier: GPL-3.0-or-later
// The trigonometric functions of the Windows build.
//
// Left to MinGW, tan and atan come from msvcrt.dll, whose results change from one Windows
// (or wine) version to another, and sin and cos from x87 code. Both differ from the GNU C
// library's in the last bit for some arguments: under wine, 52 of the 3650 sunset hour angles
// of the reference table came out one bit away from the Linux program's. These definitions
// take the C runtime's place at link time: they compute in quadruple precision, in code linked
// into the program, and round once to double. That is the correctly rounded value but for
// vanishingly rare arguments, the same on every Windows, so a run under wine tests what a
// Windows user runs. Six hour angles of the table still differ in the last bit, where the GNU
// C library itself does not round correctly; no output digit changes, over every latitude in
// steps of 0.01 degree, every aggregation and every unit.

#include <quadmath.h>

extern "C" {

double sin(double x) {
  return static_cast<double>(sinq(x));
}
double cos(double x) {
  return static_cast<double>(cosq(x));
}
double tan(double x) {
  return static_cast<double>(tanq(x));
}
double atan(double x) {
  return static_cast<double>(atanq(x));
}

}  // extern "C"
