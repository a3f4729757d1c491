// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Placement.hpp"

#include <QtGlobal>
#include <algorithm>
#include <array>
#include <tuple>

namespace marovane::ui {

namespace {

qint64 Overlap(const QRect& a, const QRect& b) {
  const QRect common = a.intersected(b);
  return common.isEmpty() ? 0 : qint64{common.width()} * common.height();
}

}  // namespace

QRect CentredIn(const QRect& area, const QSize& outer) {
  const float left = static_cast<float>(area.width() - outer.width()) / 2.0f;
  const float top = static_cast<float>(area.height() - outer.height()) / 2.0f;
  return {QPoint(area.x() + qRound(left), area.y() + qRound(top)), outer};
}

QRect KeptInside(const QRect& rect, const QRect& available) {
  const int x =
      std::max(available.left(), std::min(rect.left(), available.right() + 1 - rect.width()));
  const int y =
      std::max(available.top(), std::min(rect.top(), available.bottom() + 1 - rect.height()));
  return {QPoint(x, y), rect.size()};
}

QRect CentredOnOwner(const QRect& owner, const QSize& outer, const QRect& available) {
  return KeptInside(CentredIn(owner, outer), available);
}

QRect PlaceBeside(const QRect& owner, const QRect& keepClear, const QSize& preferred,
                  const QSize& minimum, const QRect& available) {
  constexpr int gap = kPlacementGap;
  const int height = std::min(preferred.height(), available.height());
  const int width = std::min(preferred.width(), available.width());
  auto clampTop = [&](int h) {
    return std::max(available.top(), std::min(owner.top(), available.bottom() + 1 - h));
  };
  auto clampLeft = [&](int w) {
    return std::max(available.left(), std::min(owner.left(), available.right() + 1 - w));
  };
  const int right = available.right() + 1 - (owner.right() + 1 + gap);
  const int left = owner.left() - gap - available.left();
  const int below = available.bottom() + 1 - (owner.bottom() + 1 + gap);
  const int above = owner.top() - gap - available.top();
  if (std::min(right, preferred.width()) >= minimum.width()) {
    const int w = std::min(right, preferred.width());
    return {owner.right() + 1 + gap, clampTop(height), w, height};
  }
  if (std::min(left, preferred.width()) >= minimum.width()) {
    const int w = std::min(left, preferred.width());
    return {owner.left() - gap - w, clampTop(height), w, height};
  }
  if (std::min(below, preferred.height()) >= minimum.height()) {
    const int h = std::min(below, preferred.height());
    return {clampLeft(width), owner.bottom() + 1 + gap, width, h};
  }
  if (std::min(above, preferred.height()) >= minimum.height()) {
    const int h = std::min(above, preferred.height());
    return {clampLeft(width), owner.top() - gap - h, width, h};
  }

  // No side has room: every place covers some of the owner. Try each size against the edges
  // of the owner, of the part kept clear and of the screen; the first of equals wins, so the
  // larger size and the right-hand, upper places go first.
  const QRect clear = keepClear.adjusted(-gap, -gap, gap, gap);
  QRect best;
  std::tuple<qint64, qint64, qint64> bestCost{-1, 0, 0};
  const std::array<QSize, 2> sizes{QSize(width, height), minimum.boundedTo(QSize(width, height))};
  for (const QSize& size : sizes) {
    const int w = size.width();
    const int h = size.height();
    const std::array<int, 7> xs{owner.right() + 1 + gap,
                                available.right() + 1 - w,
                                keepClear.right() + 1 + gap,
                                owner.left(),
                                owner.left() - gap - w,
                                keepClear.left() - gap - w,
                                available.left()};
    const std::array<int, 7> ys{owner.top(),
                                available.top(),
                                keepClear.bottom() + 1 + gap,
                                owner.bottom() + 1 + gap,
                                available.bottom() + 1 - h,
                                owner.top() - gap - h,
                                keepClear.top() - gap - h};
    for (const int x : xs) {
      for (const int y : ys) {
        const QRect place = KeptInside(QRect(x, y, w, h), available);
        const std::tuple<qint64, qint64, qint64> cost{Overlap(place, clear), Overlap(place, owner),
                                                      -qint64{w} * h};
        if (std::get<0>(bestCost) < 0 || cost < bestCost) {
          best = place;
          bestCost = cost;
        }
      }
    }
  }
  return best;
}

}  // namespace marovane::ui
