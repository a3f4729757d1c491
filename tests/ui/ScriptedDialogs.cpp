// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedDialogs.hpp"

#include <QTest>

namespace {

void Fail(const QString& what) {
  QTest::qFail(qPrintable(what), __FILE__, __LINE__);
}

}  // namespace

void ScriptedDialogs::expectBox(Box box) {
  expected_.push_back({false, false, std::move(box), {}});
}

void ScriptedDialogs::expectFile(std::optional<QString> answer, std::function<void()> whileOpen) {
  Box box(QString(), QString(), QMessageBox::NoIcon);
  box.whileOpen = std::move(whileOpen);
  expected_.push_back({true, false, std::move(box), std::move(answer)});
}

void ScriptedDialogs::expectImageFile(std::optional<QString> answer) {
  expected_.push_back(
      {true, true, Box(QString(), QString(), QMessageBox::NoIcon), std::move(answer)});
}

QMessageBox::StandardButton ScriptedDialogs::message(QWidget* /*parent*/, const QString& text,
                                                     const QString& title, QMessageBox::Icon icon,
                                                     QMessageBox::StandardButtons buttons,
                                                     QMessageBox::StandardButton defaultButton) {
  ++shown_;
  lastText_ = text;
  if (expected_.empty() || expected_.front().isFile) {
    Fail(QStringLiteral("unexpected message box: \"%1\" titled \"%2\"").arg(text, title));
    return QMessageBox::Cancel;
  }
  const Expected next = expected_.front();
  expected_.pop_front();
  const Box& box = next.box;
  const bool textMatches = box.textIsPrefix ? text.startsWith(box.text) : text == box.text;
  if (!textMatches) {
    Fail(QStringLiteral("message text \"%1\", expected \"%2\"").arg(text, box.text));
  }
  if (title != box.title) {
    Fail(QStringLiteral("message title \"%1\", expected \"%2\"").arg(title, box.title));
  }
  if (icon != box.icon) {
    Fail(QStringLiteral("message icon %1, expected %2").arg(icon).arg(box.icon));
  }
  if (buttons != box.buttons) {
    Fail(QStringLiteral("message buttons %1, expected %2")
             .arg(buttons.toInt())
             .arg(box.buttons.toInt()));
  }
  if (box.defaultButton && defaultButton != *box.defaultButton) {
    Fail(QStringLiteral("default button %1, expected %2")
             .arg(defaultButton)
             .arg(*box.defaultButton));
  }
  if (box.whileOpen) {
    box.whileOpen();
  }
  return box.answer;
}

std::optional<QString> ScriptedDialogs::chooseFile(QWidget* /*parent*/) {
  ++shown_;
  if (expected_.empty() || !expected_.front().isFile || expected_.front().isImage) {
    Fail(QStringLiteral("unexpected file dialog"));
    return std::nullopt;
  }
  const Expected next = expected_.front();
  expected_.pop_front();
  if (next.box.whileOpen) {
    next.box.whileOpen();
  }
  return next.file;
}

std::optional<QString> ScriptedDialogs::chooseImageFile(QWidget* /*parent*/) {
  ++shown_;
  if (expected_.empty() || !expected_.front().isImage) {
    Fail(QStringLiteral("unexpected image file dialog"));
    return std::nullopt;
  }
  const Expected next = expected_.front();
  expected_.pop_front();
  return next.file;
}
