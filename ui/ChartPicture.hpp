// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <optional>

namespace marovane::ui {

class ChartData;

enum class PictureKind { Png, Svg };

// The kind a file name asks for by its ending, in any case: .png or .svg.
std::optional<PictureKind> PictureKindOf(const QString& path);

// A picture for a slide: 1600 x 1000 pixels.
inline constexpr QSize kSlideSize(1600, 1000);

// The bytes of a file holding the chart of `data` alone, without the window around it: laid
// out as on a window 800 pixels wide of the same proportions as `pixels`, then drawn at
// `pixels`, so that type and lines grow with the picture. A PNG of `pixels`; an SVG of the same
// proportions. Empty, and `error` says why, when the picture could not be made.
QByteArray ChartPicture(const ChartData& data, PictureKind kind, const QSize& pixels,
                        QString* error);

}  // namespace marovane::ui
