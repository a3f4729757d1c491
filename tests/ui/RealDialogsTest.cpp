// SPDX-License-Identifier: GPL-3.0-or-later
// The real message boxes and file dialog, answered through the active modal window.
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

#include "TestWindow.hpp"
#include "export/CycleFile.hpp"
#include "ui/Dialogs.hpp"
#include "ui/MainWindow.hpp"

namespace {

// Answers the modal windows as they come up, one handler per window, in order.
class ModalAnswers : public QObject {
 public:
  using Handler = std::function<void(QWidget*)>;

  explicit ModalAnswers(std::deque<Handler> handlers) : handlers_(std::move(handlers)) {
    connect(&timer_, &QTimer::timeout, this, &ModalAnswers::poll);
    timer_.start(20);
  }
  bool done() const { return handlers_.empty(); }

 private:
  void poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || handlers_.empty() || (handled_ && handled_->isVisible())) {
      return;
    }
    if (modal == handled_.data()) {
      return;
    }
    handled_ = modal;
    Handler handler = std::move(handlers_.front());
    handlers_.pop_front();
    handler(modal);
    // A handler that failed may have left its window open: close it, so the test ends.
    auto* dialog = qobject_cast<QDialog*>(handled_.data());
    if (QTest::currentTestFailed() && dialog != nullptr && dialog->isVisible()) {
      dialog->reject();
    }
  }

  std::deque<Handler> handlers_;
  QPointer<QWidget> handled_;
  QTimer timer_;
};

ModalAnswers::Handler ClickBox(const QString& text, const QString& title, QMessageBox::Icon icon,
                               QMessageBox::StandardButton defaultButton,
                               QMessageBox::StandardButton answer) {
  return [=](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    QVERIFY2(box != nullptr, qPrintable(modal->metaObject()->className()));
    QCOMPARE(box->text(), text);
    QCOMPARE(box->windowTitle(), title);
    QCOMPARE(box->icon(), icon);
    QVERIFY(box->defaultButton() == box->button(defaultButton));
    box->button(answer)->click();
  };
}

// The entries of the dialog's type list, as the user reads them.
QStringList TypeEntries(QFileDialog* dialog) {
  QStringList entries;
  if (const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
    for (int i = 0; i < types->count(); ++i) {
      entries.append(types->itemText(i));
    }
  }
  return entries;
}

// The names the dialog lists in its current folder, once it has read the folder.
QStringList Listed(QFileDialog* dialog) {
  const auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
  if (view == nullptr) {
    return {QStringLiteral("<no list>")};
  }
  QStringList names;
  const QModelIndex folder = view->rootIndex();
  for (int row = 0; row < view->model()->rowCount(folder); ++row) {
    names.append(view->model()->index(row, 0, folder).data().toString());
  }
  names.sort();
  return names;
}

// Picks the type entry `index` the way the user does, from the list.
void PickType(QFileDialog* dialog, int index) {
  auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  QVERIFY(types != nullptr);
  types->setFocus();
  QTest::keyClick(types, Qt::Key_Home);
  for (int i = 0; i < index; ++i) {
    QTest::keyClick(types, Qt::Key_Down);
  }
  QCOMPARE(types->currentIndex(), index);
}

QLineEdit* FileNameBox(QFileDialog* dialog) {
  return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

}  // namespace

class RealDialogsTest : public QObject {
  Q_OBJECT

  marovane::ui::QtDialogs dialogs;
  std::unique_ptr<marovane::ui::MainWindow> window;

  void activate() {
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }

 private slots:
  void init() {
    window = std::make_unique<marovane::ui::MainWindow>(dialogs);
    window->show();
    activate();
  }
  void cleanup() { window.reset(); }

  void exportThroughRealDialogs() {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("new.csv"));  // does not exist yet
    ModalAnswers answers({
        [&](QWidget* modal) {
          auto* dialog = qobject_cast<QFileDialog*>(modal);
          QVERIFY2(dialog != nullptr, qPrintable(modal->metaObject()->className()));
          QCOMPARE(dialog->windowTitle(), QStringLiteral("Open file."));
          QCOMPARE(TypeEntries(dialog),
                   (QStringList{"Text (*.txt)", "Comma Separated Value (*.csv)", "All (*.*)"}));
          QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
          auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
          QVERIFY(name != nullptr);
          name->setText(out);
          QTest::keyClick(name, Qt::Key_Return);  // the dialog's Open button
        },
        ClickBox(QStringLiteral("Data correctly written to ") + out, QStringLiteral("Marovane"),
                 QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok),
    });
    QTest::mouseClick(window->findChild<QWidget*>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(answers.done());
    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             QByteArray::fromStdString(marovane::AnnualCycleText(41.9f, marovane::CycleChoice{})));
    QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);

    // Keys reach the window again once it is active.
    activate();
    auto* ns = window->findChild<QLineEdit*>(QStringLiteral("txtLatNS"));
    ns->setFocus();
    ns->clear();
    ModalAnswers hemisphere(
        {ClickBox(QStringLiteral("S for South or N for North. That's all."), QString(),
                  QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok)});
    QTest::keyClick(ns, Qt::Key_Q);
    QVERIFY(hemisphere.done());
    QCOMPARE(ns->text(), QString());
  }

  void cancelWritesNothing() {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("never.csv"));
    ModalAnswers answers({[&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      QVERIFY(dialog != nullptr);
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(out);
      dialog->reject();
    }});
    QTest::mouseClick(window->findChild<QWidget*>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(answers.done());
    QVERIFY(!QFile::exists(out));
  }

  // The chart's "Save image" dialog: a name typed without an ending takes that of the chosen
  // kind, and the picture is written in that kind.
  void saveImageDialog_data() {
    QTest::addColumn<bool>("svgChosen");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("no ending, PNG") << false << "pic"
                                    << "pic.png" << QByteArray("\x89PNG");
    QTest::newRow("no ending, SVG chosen") << true << "pic"
                                           << "pic.svg" << QByteArray("<?xml");
    QTest::newRow("ending typed") << false << "pic.svg"
                                  << "pic.svg" << QByteArray("<?xml");
  }
  void saveImageDialog() {
    QFETCH(bool, svgChosen);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QByteArray, start);
    QTemporaryDir dir;
    window->findChild<QAction*>(QStringLiteral("mnuChart"))->trigger();
    QWidget* chart = window->findChild<QWidget*>(QStringLiteral("ChartWindow"));
    QVERIFY(chart != nullptr);
    ModalAnswers answers({[&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      QVERIFY2(dialog != nullptr, qPrintable(modal->metaObject()->className()));
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Save image"));
      QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
      QCOMPARE(dialog->nameFilters(), (QStringList{"PNG image (*.png)", "SVG drawing (*.svg)"}));
      if (svgChosen) {
        QTest::keyClick(dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")),
                        Qt::Key_Down);
      }
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      name->setText(dir.filePath(typed));
      QTest::keyClick(name, Qt::Key_Return);
    }});
    QTest::mouseClick(chart->findChild<QWidget*>(QStringLiteral("cmdSaveImage")), Qt::LeftButton);
    QVERIFY(answers.done());
    QFile file(dir.filePath(written));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(QDir(dir.path()).entryList().join(' ')));
    QVERIFY(file.read(start.size()) == start);
  }

  // "All (*.*)" lists every file, names without a dot too; each dialog then opens in the
  // folder of the file last chosen, with its name filled in, until another is chosen.
  void fileDialogListsAllAndKeepsTheLastName() {
    QTemporaryDir dir;
    for (const char* name : {"latitudes", "lats.txt", "out.csv"}) {
      QFile file(dir.filePath(QString::fromLatin1(name)));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString chosen = dir.filePath(QStringLiteral("latitudes"));
    const QStringList all{"latitudes", "lats.txt", "out.csv"};
    marovane::ui::QtDialogs fresh;  // no file chosen yet in this run
    ModalAnswers first({[&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      QVERIFY(dialog != nullptr);
      dialog->setDirectory(dir.path());
      QTRY_COMPARE(Listed(dialog), QStringList{"lats.txt"});  // the first entry, Text
      PickType(dialog, 1);
      QTRY_COMPARE(Listed(dialog), QStringList{"out.csv"});
      PickType(dialog, 2);
      QTRY_COMPARE(Listed(dialog), all);
      FileNameBox(dialog)->setText(QStringLiteral("latitudes"));
      QTest::keyClick(FileNameBox(dialog), Qt::Key_Return);
    }});
    QCOMPARE(fresh.chooseFile(window.get()), std::optional<QString>(chosen));
    QVERIFY(first.done());

    // Opened again, and cancelled twice: the name stays.
    for (int again = 0; again < 2; ++again) {
      ModalAnswers next({[&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog != nullptr);
        QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        QCOMPARE(FileNameBox(dialog)->text(), QStringLiteral("latitudes"));
        QCOMPARE(dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText(),
                 QStringLiteral("All (*.*)"));
        QTRY_COMPARE(Listed(dialog), all);
        dialog->reject();
      }});
      QCOMPARE(fresh.chooseFile(window.get()), std::nullopt);
      QVERIFY(next.done());
    }
  }

  // Neither dialog reads a file to choose its icon or its type: in /proc, as root, that would
  // be /proc/kmsg, whose read() never returns. Both are shown there, listing every file in
  // detail, with a name typed into them; the watchdog ends the program if one hangs.
  void dialogsReadNoFileInProc_data() {
    QTest::addColumn<bool>("image");
    QTest::addColumn<QString>("typed");
    QTest::newRow("Open file., a name typed") << false << "/proc/x.csv";
    QTest::newRow("Save image, browsing") << true << "/proc/k";
    QTest::newRow("Open file., a name typed and taken") << false << "/proc/x.csv\n";
  }
  void dialogsReadNoFileInProc() {
    QFETCH(bool, image);
    QFETCH(QString, typed);
    const Watchdog watchdog("a file dialog in /proc", 30);
    ModalAnswers answers({[&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      QVERIFY(dialog != nullptr);
      if (!image) {
        PickType(dialog, 2);  // All
      }
      dialog->setViewMode(QFileDialog::Detail);  // the Type column too
      dialog->setDirectory(QStringLiteral("/proc"));
      QTRY_VERIFY(Listed(dialog).contains(QStringLiteral("self")));
      if (!image) {
        QTRY_VERIFY(Listed(dialog).contains(QStringLiteral("kmsg")));
      }
      FileNameBox(dialog)->setFocus();
      FileNameBox(dialog)->clear();  // of the name chosen last
      // The name's completion lists /proc too.
      QTest::keyClicks(FileNameBox(dialog), typed.trimmed());
      QTest::qWait(500);
      if (typed.endsWith(QLatin1Char('\n'))) {
        QTest::keyClick(FileNameBox(dialog), Qt::Key_Return);
      } else {
        dialog->reject();
      }
    }});
    const QString taken = typed.endsWith(QLatin1Char('\n')) ? typed.trimmed() : QString();
    const std::optional<QString> chosen =
        image ? dialogs.chooseImageFile(window.get()) : dialogs.chooseFile(window.get());
    QCOMPARE(chosen.value_or(QString()), taken);
    QVERIFY(answers.done());
  }

  // The key that closes a message is released in the box that showed it; that release must
  // not bring the message again, while a key pressed and released there still does.
  void messageClosedByKey_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("dms");
    const int none = Qt::NoModifier;
    QTest::newRow("Strange Location, Enter") << "txtLat"
                                             << "95" << int{Qt::Key_Return} << none << "9,0,0,N";
    QTest::newRow("Strange Location, keypad Enter")
        << "txtLat"
        << "95" << int{Qt::Key_Enter} << int{Qt::KeypadModifier} << "9,0,0,N";
    QTest::newRow("Strange Location, Escape") << "txtLat"
                                              << "95" << int{Qt::Key_Escape} << none << "9,0,0,N";
    QTest::newRow("hemisphere, Enter") << "txtLatNS"
                                       << "x" << int{Qt::Key_Return} << none << "41,54,0,N";
    QTest::newRow("hemisphere, Escape") << "txtLatNS"
                                        << "x" << int{Qt::Key_Escape} << none << "41,54,0,N";
  }
  void messageClosedByKey() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, dms);
    const bool strange = box == QLatin1String("txtLat");
    const QString text = strange ? QStringLiteral(
                                       "Latitude of your location should be between "
                                       "-90° and +90°.")
                                 : QStringLiteral("S for South or N for North. That's all.");
    const auto close = static_cast<Qt::Key>(key);
    const auto held = static_cast<Qt::KeyboardModifiers>(modifiers);
    int shown = 0;
    ModalAnswers answers({
        [&](QWidget* modal) {
          auto* message = qobject_cast<QMessageBox*>(modal);
          QVERIFY(message != nullptr);
          QCOMPARE(message->text(), text);
          ++shown;
          QWidget* focus = message->focusWidget() != nullptr ? message->focusWidget() : message;
          QTest::keyPress(focus, close, held);  // closes it; the release comes later
        },
        [&](QWidget* modal) {
          ++shown;
          qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
        },
    });
    auto* target = window->findChild<QLineEdit*>(box);
    QVERIFY(target != nullptr);
    const QString before = strange ? typed : target->text();
    if (strange) {
      target->clear();
    }
    target->setFocus();
    QTest::keyClicks(target, typed);
    QCOMPARE(shown, 1);
    activate();  // as the window manager gives the focus back
    QCOMPARE(QApplication::focusWidget(), target);
    QTest::keyRelease(target, close, held);
    QCOMPARE(shown, 1);
    QCOMPARE(target->text(), before);
    QCOMPARE(DegreeBoxes(window.get()), dms);
    // A key really pressed in the box still counts: the message comes again.
    QTest::keyClick(target, strange ? Qt::Key_End : Qt::Key_Q);
    QCOMPARE(shown, 2);
    QVERIFY(answers.done());
  }

  void exitAnsweredNo() {
    ModalAnswers answers(
        {ClickBox(QStringLiteral("Do you really want to end Marovane?"), QStringLiteral("Marovane"),
                  QMessageBox::Question, QMessageBox::Yes, QMessageBox::No)});
    auto* bar = window->menuBar();
    auto* exit = window->findChild<QAction*>(QStringLiteral("mnuExit"));
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(exit).center());
    QVERIFY(answers.done());
    QVERIFY(window->isVisible());
  }
};

QTEST_MAIN(RealDialogsTest)
#include "RealDialogsTest.moc"
