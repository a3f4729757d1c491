// SPDX-License-Identifier: GPL-3.0-or-later
// A Qt plugin that the package check loads into the installed window (QT_QPA_GENERIC_PLUGINS):
// it chooses Help as the menu would and prints what the help window lists, one entry per
// line, then ends the program; a message box instead ends it with status 1 and its text. The
// program itself carries no hook for this.
#include <QAction>
#include <QApplication>
#include <QGenericPlugin>
#include <QIcon>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

QWidget* TopLevel(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == QLatin1String(name) && w->isVisible()) {
      return w;
    }
  }
  return nullptr;
}

[[noreturn]] void End(int status) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(status);
}

// Waits for `ready` to give true, trying every 50 ms for 10 s; then runs `then`.
template <class Ready, class Then>
void When(Ready ready, Then then, int tries = 200) {
  if (ready()) {
    then();
  } else if (tries == 0) {
    std::fputs("help probe: timed out\n", stderr);
    End(2);
  } else {
    QTimer::singleShot(50, [=] { When(ready, then, tries - 1); });
  }
}

void ReportMessageBoxes() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) {
      std::fprintf(stderr, "message box: %s\n", qPrintable(box->text()));
      End(1);
    }
  }
  QTimer::singleShot(50, ReportMessageBoxes);
}

void ChooseHelp() {
  const QIcon icon = QApplication::windowIcon();
  std::fprintf(stderr, "window icon: %s\n", icon.pixmap(32).isNull() ? "none" : "drawn");
  auto* help = TopLevel("Form1")->findChild<QAction*>(QStringLiteral("mnuHelp"));
  if (help == nullptr) {
    std::fputs("help probe: no Help command\n", stderr);
    End(2);
  }
  ReportMessageBoxes();  // a failed load shows its box inside trigger()
  help->trigger();
  When([] { return TopLevel("Form2") != nullptr; },
       [] {
         const auto* list = TopLevel("Form2")->findChild<QListWidget*>(QStringLiteral("List1"));
         for (int i = 0; i < list->count(); ++i) {
           std::printf("%s\n", list->item(i)->text().toUtf8().constData());
         }
         End(0);
       });
}

}  // namespace

class HelpProbe final : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "HelpProbe.json")

 public:
  QObject* create(const QString&, const QString&) override {
    When([] { return TopLevel("Form1") != nullptr; }, ChooseHelp);
    return new QObject();
  }
};

#include "HelpProbe.moc"
