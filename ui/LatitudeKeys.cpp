// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LatitudeKeys.hpp"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVariant>
#include <algorithm>
#include <iterator>

namespace marovane::ui {

namespace {

constexpr char16_t kBackspace = 8;
constexpr const char* kKindProperty = "marovaneLatitudeBox";
// Text committed by an input method stands for the press of the key whose release follows it.
constexpr int kInputMethodPress = -1;

bool IsEnter(const QKeyEvent& key) {
  return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
         (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
}

// Keys that move the focus or edit without typing a character keep their own effect, even
// where the platform attaches a control code to them.
bool TypesNoCharacter(const QKeyEvent& key) {
  return key.text().isEmpty() || key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab ||
         key.key() == Qt::Key_Delete;
}

}  // namespace

LatitudeKeys::LatitudeKeys(QObject* parent) : QObject(parent) {}

void LatitudeKeys::watch(QLineEdit* box, LatitudeBox kind) {
  box->setProperty(kKindProperty, static_cast<int>(kind));
  // Tells on-screen keyboards and input methods what the box takes; the rule below still
  // judges whatever they send.
  switch (kind) {
    case LatitudeBox::Decimal: box->setInputMethodHints(Qt::ImhFormattedNumbersOnly); break;
    case LatitudeBox::Degrees:
    case LatitudeBox::Minutes:
    case LatitudeBox::Seconds: box->setInputMethodHints(Qt::ImhDigitsOnly); break;
    case LatitudeBox::Hemisphere:
      box->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
      break;
  }
  box->installEventFilter(this);
}

QString LatitudeKeys::taken(QLineEdit* box, const QString& text) {
  const auto kind = static_cast<LatitudeBox>(box->property(kKindProperty).toInt());
  QString passed;
  for (const QChar c : text) {
    if (LatitudeBoxAccepts(kind, c.unicode())) {
      passed += c;
    } else if (kind == LatitudeBox::Hemisphere) {
      emit hemisphereRefused(box);
    }
  }
  return passed;
}

bool LatitudeKeys::endsPressIn(QLineEdit* box, int key) {
  bool pressedHere = false;
  for (const int k : {key, kInputMethodPress}) {
    const auto found = pressedIn_.constFind(k);
    if (found != pressedIn_.cend() && found.value() == box) {
      pressedIn_.remove(k);
      pressedHere = true;
    }
  }
  return pressedHere;
}

bool LatitudeKeys::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box == nullptr) {
    return false;
  }
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto& key = static_cast<const QKeyEvent&>(*event);
      // A held key repeats its press where the focus now is; only its first press counts.
      if (!key.isAutoRepeat()) {
        pressedIn_.insert(key.key(), box);
      }
      if (IsEnter(key)) {
        // Queued, not sent: the focus moves once this key press has been dealt with.
        QCoreApplication::postEvent(box,
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
        return true;
      }
      if (TypesNoCharacter(key)) {
        return false;
      }
      const QString typed = key.text();
      const QString passed = taken(box, typed);
      if (passed == typed) {
        return false;  // the box inserts it as usual
      }
      // Part of a composed text was refused: insert only what passed.
      for (const QChar c : passed) {
        if (c.unicode() == kBackspace) {
          box->backspace();
        } else {
          box->insert(QString(c));
        }
      }
      return true;
    }
    case QEvent::InputMethod: {
      // Composed characters (a dead key, a compose sequence, an input method) arrive as
      // committed text and are judged like typed ones. The preedit text is only shown while
      // composing and never becomes the box's text, so it is left alone.
      auto& input = static_cast<QInputMethodEvent&>(*event);
      const QString committed = input.commitString();
      if (committed.isEmpty()) {
        return false;
      }
      pressedIn_.insert(kInputMethodPress, box);
      QString passed = taken(box, committed);
      passed.remove(QChar(kBackspace));  // a key, not text to insert
      if (passed != committed) {
        // Whatever the text was to replace stays, as for a refused key.
        input.setCommitString(passed);
      }
      return false;
    }
    case QEvent::FocusOut:
      for (auto it = pressedIn_.begin(); it != pressedIn_.end();) {
        it = it.value() == box ? pressedIn_.erase(it) : std::next(it);
      }
      return false;
    case QEvent::KeyRelease: {
      const auto& key = static_cast<const QKeyEvent&>(*event);
      if (!key.isAutoRepeat() && box->hasFocus() && endsPressIn(box, key.key())) {
        emit keyReleased(box);
      }
      return false;
    }
    case QEvent::FocusIn: {
      // Let the box take the focus its own way first (it may select all on Tab), then
      // make the selection that the user expects.
      static_cast<QObject*>(box)->event(event);
      const int wanted =
          LatitudeBoxSelection(static_cast<LatitudeBox>(box->property(kKindProperty).toInt()));
      const int length = std::min(wanted, static_cast<int>(box->text().size()));
      if (length > 0) {
        box->setSelection(0, length);
      } else {
        box->deselect();
        box->setCursorPosition(0);
      }
      return true;
    }
    default: return false;
  }
}

}  // namespace marovane::ui
