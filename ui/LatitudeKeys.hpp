// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

#include "text/LatitudeEntry.hpp"

class QLineEdit;

// The keys of the latitude boxes: typed or input-method characters judged by the box's rule
// (LatitudeEntry.hpp), Enter moving on like Tab, the rule's selection when a box gets the
// focus, and a signal for every key released in the box that got its press. The window
// decides what a key release or a refused letter means.
namespace marovane::ui {

class LatitudeKeys final : public QObject {
  Q_OBJECT

 public:
  explicit LatitudeKeys(QObject* parent = nullptr);

  // Starts watching `box`, which follows the rules of `kind`; on receiving the focus it puts
  // the caret at the start and selects the first LatitudeBoxSelection(kind) characters.
  void watch(QLineEdit* box, LatitudeBox kind);

 signals:
  // A key was released in `box`, which has the focus and received that key's press.
  void keyReleased(QLineEdit* box);
  // A character the hemisphere box does not take was typed; it is dropped once the slot
  // returns.
  void hemisphereRefused(QLineEdit* box);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What of `text` the box takes; each refused character in the hemisphere box is announced.
  QString taken(QLineEdit* box, const QString& text);
  // Whether the release of `key` in `box` ends a press that `box` received, and forgets it.
  bool endsPressIn(QLineEdit* box, int key);

  // The box that received the press of each key not yet released there. A box forgets its
  // presses when it loses the focus: a release after that belongs to a press made elsewhere
  // (in a message box, or in the box that Enter left).
  QHash<int, QPointer<QLineEdit>> pressedIn_;
};

}  // namespace marovane::ui
