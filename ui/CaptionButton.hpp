// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

// A push button whose caption breaks between words when it does not fit on one line, so
// that a long caption fills a tall, narrow button. text() stays the caption as given.
namespace marovane::ui {

class CaptionButton final : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace marovane::ui
