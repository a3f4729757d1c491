// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

// Where windows go: pure functions over outer frames (title bar and borders included) in
// screen coordinates, shared by the main window, the chart and the dialogs.
namespace marovane::ui {

// `outer` centred on `area`. Halves are rounded as the main window has always rounded them,
// and not clamped: a window larger than `area` starts off its top-left edge.
QRect CentredIn(const QRect& area, const QSize& outer);

// `rect` moved the least that puts it inside `available`; where it is larger, its top-left
// corner (the title bar) stays inside.
QRect KeptInside(const QRect& rect, const QRect& available);

// A dialog of `outer` size centred on its owner's frame, yet whole on the screen: the place of
// the batch's progress dialog over the main window.
QRect CentredOnOwner(const QRect& owner, const QSize& outer, const QRect& available);

// Where a window of `preferred` outer size goes beside `owner` (outer frame) inside
// `available`, leaving `keepClear` (the part of the owner the user works in) uncovered: right
// of the owner, else left, else below, else above, shrunk to no less than `minimum` to fit.
// Where no side has room, the place and size (`preferred` or `minimum`) that cover the least
// of the owner while leaving `keepClear` free; where even that cannot be, the least of
// `keepClear`.
QRect PlaceBeside(const QRect& owner, const QRect& keepClear, const QSize& preferred,
                  const QSize& minimum, const QRect& available);

// Pixels between a window and the one it is placed beside.
inline constexpr int kPlacementGap = 8;

}  // namespace marovane::ui
