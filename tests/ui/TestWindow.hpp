// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

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

// Ends the test program with a message unless it is dismissed within `seconds`. It waits on a
// thread of its own, so that it fires even while the main thread is stuck in a system call.
class Watchdog {
 public:
  Watchdog(const char* what, int seconds)
      : thread_([this, what, seconds] {
          std::unique_lock lock(mutex_);
          if (!dismissed_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) {
            std::fprintf(stderr, "watchdog: %s did not end within %d s\n", what, seconds);
            std::_Exit(1);
          }
        }) {}
  ~Watchdog() {
    {
      const std::lock_guard lock(mutex_);
      done_ = true;
    }
    dismissed_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable dismissed_;
  bool done_ = false;
  std::thread thread_;
};

// Runs the application's event loop, as the program does, until something quits it; false when
// it had to be ended after `timeoutMs` or ended with a status other than 0.
inline bool ExecUntilQuit(int timeoutMs = 5000) {
  bool timedOut = false;
  QTimer::singleShot(timeoutMs, qApp, [&] {
    timedOut = true;
    QCoreApplication::quit();
  });
  return QApplication::exec() == 0 && !timedOut;
}

// The degree, minute, second and hemisphere boxes of `owner`, as "41,54,0,N".
inline QString DegreeBoxes(const QWidget* owner) {
  QStringList parts;
  for (const char* name : {"txtLatGrad", "txtLatMin", "txtLatSec", "txtLatNS"}) {
    const auto* box = owner->findChild<QLineEdit*>(QString::fromLatin1(name));
    parts.append(box == nullptr ? QStringLiteral("<no %1>").arg(QLatin1String(name)) : box->text());
  }
  return parts.join(QLatin1Char(','));
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

  // Empties the degree, minute, second and hemisphere boxes and types "12,30,29,N" into them.
  void typeDegrees(const QString& dms) const {
    const QStringList parts = dms.split(QLatin1Char(','));
    const char* names[] = {"txtLatGrad", "txtLatMin", "txtLatSec", "txtLatNS"};
    for (int i = 0; i < 4; ++i) {
      box(names[i])->clear();
    }
    for (int i = 0; i < 4 && i < parts.size(); ++i) {
      type(names[i], parts[i]);
    }
  }
};
