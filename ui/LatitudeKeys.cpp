#include "ui/LatitudeKeys.hpp"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVariant>
#include <algorithm>

namespace marovane::ui {

namespace {

constexpr char16_t kBackspace = 8;
constexpr const char* kFilterProperty = "marovaneKeyFilter";
constexpr const char* kSelectProperty = "marovaneSelectOnFocus";

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

void LatitudeKeys::watch(QLineEdit* box, Filter filter, int selectOnFocus) {
  box->setProperty(kFilterProperty, static_cast<int>(filter));
  box->setProperty(kSelectProperty, selectOnFocus);
  box->installEventFilter(this);
}

bool LatitudeKeys::Accepts(Filter filter, char16_t character) {
  if (character == kBackspace) {
    return true;
  }
  const bool digit = character >= u'0' && character <= u'9';
  switch (filter) {
    case Filter::Decimal: return digit || character == u'-' || character == u'.';
    case Filter::Digits: return digit;
    case Filter::Hemisphere:
      return character == u'N' || character == u'S' || character == u'n' || character == u's';
  }
  return false;
}

bool LatitudeKeys::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box == nullptr) {
    return false;
  }
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto& key = static_cast<const QKeyEvent&>(*event);
      if (IsEnter(key)) {
        // Queued, not sent: the focus moves once this key press has been dealt with.
        QCoreApplication::postEvent(box,
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
        return true;
      }
      if (TypesNoCharacter(key)) {
        return false;
      }
      const auto filter = static_cast<Filter>(box->property(kFilterProperty).toInt());
      const QString typed = key.text();
      QString taken;
      for (const QChar c : typed) {
        if (Accepts(filter, c.unicode())) {
          taken += c;
        } else if (filter == Filter::Hemisphere) {
          emit hemisphereRefused(box);
        }
      }
      if (taken == typed) {
        return false;  // the box inserts it as usual
      }
      // Part of a composed text was refused: insert only what passed.
      for (const QChar c : taken) {
        if (c.unicode() == kBackspace) {
          box->backspace();
        } else {
          box->insert(QString(c));
        }
      }
      return true;
    }
    case QEvent::KeyRelease: {
      const auto& key = static_cast<const QKeyEvent&>(*event);
      if (!key.isAutoRepeat() && box->hasFocus()) {
        emit keyReleased(box);
      }
      return false;
    }
    case QEvent::FocusIn: {
      // Let the box take the focus its own way first (it may select all on Tab), then
      // make the selection that the user expects.
      static_cast<QObject*>(box)->event(event);
      const int wanted = box->property(kSelectProperty).toInt();
      const int length = std::min(wanted, static_cast<int>(box->text().size()));
      if (length > 0) {
        box->setSelection(0, length);
      } else {
        box->deselect();
        box->setCursorPosition(0);
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace marovane::ui
