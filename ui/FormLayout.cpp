// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FormLayout.hpp"

#include <cmath>

namespace marovane::ui {

int TwipsToPixels(int twips, double logicalDpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * logicalDpi / 1440.0));
}

QRect TwipsToPixels(const TwipRect& rect, double logicalDpi) {
  return {TwipsToPixels(rect.left, logicalDpi), TwipsToPixels(rect.top, logicalDpi),
          TwipsToPixels(rect.width, logicalDpi), TwipsToPixels(rect.height, logicalDpi)};
}

}  // namespace marovane::ui
