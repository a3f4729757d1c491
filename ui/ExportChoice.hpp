// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "model/AnnualCycle.hpp"

namespace marovane::ui {

// What an export would use right now: the decimal box's text, and the table the selected
// aggregation and unit buttons and the Method menu ask for (radiation). The text is as typed;
// whether it is a latitude is for the reader to judge.
struct ExportChoice {
  QString latitudeText;
  CycleChoice cycle;
};

}  // namespace marovane::ui
