#pragma once

#include <QObject>

class QLineEdit;

// The keyboard rules of the latitude boxes: which typed characters a box takes, Enter moving
// on like Tab, the selection a box makes when it gets the focus, and a signal for every key
// released in a box. The window decides what a key release or a refused letter means.
namespace marovane::ui {

class LatitudeKeys final : public QObject {
  Q_OBJECT

 public:
  enum class Filter {
    Decimal,     // digits, "-" and "." anywhere, any number of times
    Digits,      // digits only
    Hemisphere,  // N, S, n or s
  };

  explicit LatitudeKeys(QObject* parent = nullptr);

  // Starts watching `box`; on receiving the focus it puts the caret at the start and selects
  // the first `selectOnFocus` characters.
  void watch(QLineEdit* box, Filter filter, int selectOnFocus);

  // Whether `filter` lets the character through. Backspace always passes.
  static bool Accepts(Filter filter, char16_t character);

 signals:
  // A key was released while `box` had the focus (whatever the key).
  void keyReleased(QLineEdit* box);
  // A character the hemisphere box does not take was typed; it is dropped once the slot
  // returns.
  void hemisphereRefused(QLineEdit* box);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace marovane::ui
