// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

namespace marovane::ui {

// What an export would use right now: the decimal box's text and the selected aggregation and
// unit codes. The text is as typed; whether it is a latitude is for the reader to judge.
struct ExportChoice {
  QString latitudeText;
  std::int16_t aggregation = 3;  // dekadal
  std::int16_t unit = 1;         // MJ/m^2/day
};

}  // namespace marovane::ui
