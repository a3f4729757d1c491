// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

namespace marovane::ui {

// The hourglass over `widget` while the guard lives, then the pointer it had before (set
// explicitly: the arrow a window starts with is set as the arrow), however the scope is left.
class WaitCursor {
 public:
  explicit WaitCursor(QWidget* widget) : widget_(widget), saved_(widget->cursor().shape()) {
    widget->setCursor(Qt::WaitCursor);
  }
  ~WaitCursor() {
    if (widget_ != nullptr) {
      widget_->setCursor(saved_);
    }
  }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  QPointer<QWidget> widget_;
  Qt::CursorShape saved_;
};

}  // namespace marovane::ui
