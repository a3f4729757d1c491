// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QString>
#include <iterator>

#include "model/Choices.hpp"

// Positions and sizes of the windows' controls in twips (1/1440 inch), measured from the
// top-left corner of their container: the client area below the menu bar, or a frame's outer
// corner for a control inside a frame.
namespace marovane::ui {

struct TwipRect {
  int left;
  int top;
  int width;
  int height;
};

// Twips to pixels at the screen's logical resolution: 15 twips make a pixel at 96 dpi.
int TwipsToPixels(int twips, double logicalDpi);
QRect TwipsToPixels(const TwipRect& rect, double logicalDpi);

namespace layout {

// Main window.
inline constexpr int kClientWidth = 10875;
inline constexpr int kClientHeight = 3675;

inline constexpr TwipRect kFrame1{240, 240, 2175, 3135};
inline constexpr TwipRect kFrame2{2520, 240, 1335, 2055};
inline constexpr TwipRect kFrame3{4080, 240, 2055, 3135};
inline constexpr TwipRect kList1{6360, 360, 4335, 2985};
inline constexpr TwipRect kCommand1{480, 2400, 1695, 735};
inline constexpr TwipRect kCommand2{2520, 2400, 1335, 975};

// Inside Frame1.
inline constexpr TwipRect kTxtLat{1080, 360, 735, 255};
inline constexpr TwipRect kTxtLatGrad{1080, 960, 735, 255};
inline constexpr TwipRect kTxtLatMin{1080, 1200, 735, 255};
inline constexpr TwipRect kTxtLatSec{1080, 1440, 735, 255};
inline constexpr TwipRect kTxtLatNS{1080, 1680, 375, 285};
inline constexpr TwipRect kLabel7{120, 360, 855, 255};
inline constexpr TwipRect kLabel2{1800, 360, 255, 255};
inline constexpr TwipRect kLabel5{120, 960, 495, 255};
inline constexpr TwipRect kLabel9{1800, 960, 255, 255};
inline constexpr TwipRect kLabel12{1800, 1200, 255, 255};
inline constexpr TwipRect kLabel14{1800, 1440, 255, 255};
// The rule under the decimal row runs from (120, 840) to (1920, 840), ends included.
inline constexpr TwipRect kLine1{120, 840, 1800 + 15, 15};

// An option button: its name and rectangle inside its frame. Its caption is that of its
// aggregation or unit, whose code is its place in the list, from 1.
struct OptionPlace {
  const char* name;
  TwipRect rect;
};

inline constexpr OptionPlace kAggregationOptions[] = {
    {"Option1", {240, 360, 855, 255}},
    {"Option2", {240, 720, 975, 255}},
    {"Option3", {240, 1080, 975, 255}},
    {"Option4", {240, 1440, 975, 255}},
};

inline constexpr OptionPlace kUnitOptions[] = {
    {"Option5", {240, 360, 1335, 255}},   {"Option6", {240, 720, 1335, 255}},
    {"Option7", {240, 1080, 1455, 255}},  {"Option8", {240, 1440, 1455, 255}},
    {"Option9", {240, 1800, 1335, 255}},  {"Option10", {240, 2160, 1575, 255}},
    {"Option11", {240, 2520, 1455, 255}},
};

// A button for every choice the window offers, found by its code: those offered come first.
static_assert(
    std::size(kAggregationOptions) == kWindowAggregations &&
        [] {
          for (const AggregationInfo& row : choice::kAggregations) {
            if (row.inWindow != (Code(row.value) <= std::ssize(kAggregationOptions))) {
              return false;
            }
          }
          return true;
        }(),
    "each aggregation the window offers needs an option place, by its code");
static_assert(std::size(kUnitOptions) == choice::kUnits.size(),
              "each unit needs an option place in the window");

// Help window.
inline constexpr int kHelpClientWidth = 8190;
inline constexpr int kHelpClientHeight = 4320;
inline constexpr TwipRect kHelpList1{0, 0, 8175, 4155};

}  // namespace layout

// Faces standing in for the classic sans-serif and monospaced faces, and their sizes.
namespace fonts {
inline constexpr const char* kSans = "Liberation Sans";
inline constexpr const char* kMono = "Liberation Mono";
inline constexpr double kDefaultSize = 8.25;
inline constexpr double kCaptionSize = 9.75;
inline constexpr double kBatchButtonSize = 12.0;
}  // namespace fonts

}  // namespace marovane::ui
