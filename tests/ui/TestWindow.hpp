// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QStringList>
#include <QMenuBar>
#include <QTest>
#include <memory>

#include "ScriptedDialogs.hpp"
#include "ui/MainWindow.hpp"

// The entries of the list `List1` inside `owner`, as the user reads them, through the list's
// model; a marker entry when there is no such list, so that the comparison fails instead of the
// test crashing.
inline QStringList ListEntries(const QWidget* owner) {
  const auto* list =
      owner == nullptr ? nullptr : owner->findChild<QAbstractItemView*>(QStringLiteral("List1"));
  if (list == nullptr || list->model() == nullptr) {
    return {QStringLiteral("<no List1>")};
  }
  const QAbstractItemModel* model = list->model();
  QStringList entries;
  for (int row = 0; row < model->rowCount(); ++row) {
    entries.append(model->index(row, 0).data().toString());
  }
  return entries;
}

// A shown, active main window answered by scripted dialogs.
struct TestWindow {
  ScriptedDialogs dialogs;
  std::unique_ptr<marovane::ui::MainWindow> window;

  bool open() {
    dialogs.reset();
    window = std::make_unique<marovane::ui::MainWindow>(dialogs);
    window->show();
    return activate();
  }

  // After a modal box the offscreen platform does not give the focus back by itself.
  bool activate() {
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    return QTest::qWaitForWindowActive(window.get());
  }

  template <class T = QWidget>
  T* find(const char* name) const {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  QLineEdit* box(const char* name) const { return find<QLineEdit>(name); }
  QString focusName() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus == nullptr ? QString() : focus->objectName();
  }

  // Clicks a command of the menu bar itself.
  void clickMenu(const char* actionName) const {
    auto* bar = window->findChild<QMenuBar*>();
    auto* action = window->findChild<QAction*>(QString::fromLatin1(actionName));
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(action).center());
  }

  // Gives `name` the focus and types `text` into it, one key press and release per character.
  void type(const char* name, const QString& text) const {
    QLineEdit* target = box(name);
    target->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(target, text);
  }
};
