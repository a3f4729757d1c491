// SPDX-License-Identifier: GPL-3.0-or-later
// The help window opened from the main window's menu bar, reading the help file beside the
// program while the working directory is elsewhere.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "TestWindow.hpp"
#include "ui/HelpWindow.hpp"

namespace {

QString HelpFile() {
  return QCoreApplication::applicationDirPath() + "/Marovane.txt";
}

// Where an installed program keeps it: bin/marovane reads share/marovane/Marovane.txt.
QString InstalledHelpFile() {
  return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                         "/../share/marovane/Marovane.txt");
}

void WriteHelp(const QByteArray& bytes, const QString& path = HelpFile()) {
  QVERIFY(QDir().mkpath(QFileInfo(path).path()));
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(bytes), bytes.size());
}

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT

  TestWindow t;
  QTemporaryDir elsewhere;

  marovane::ui::HelpWindow* openHelp() {
    t.clickMenu("mnuHelp");
    return t.window->helpWindow();
  }
  void closeHelp() {
    QPointer<marovane::ui::HelpWindow> help = t.window->helpWindow();
    QVERIFY(help);
    help->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(help.isNull());
    QVERIFY(t.activate());
  }

 private slots:
  void initTestCase() {
    // A decoy in the working directory must not be read.
    QVERIFY(elsewhere.isValid());
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    QFile decoy(QStringLiteral("Marovane.txt"));
    QVERIFY(decoy.open(QIODevice::WriteOnly));
    decoy.write("decoy\n");
  }
  void init() { QVERIFY(t.open()); }
  void cleanup() {
    QVERIFY2(t.dialogs.done(), "an expected box was not shown");
    if (auto* help = t.window->helpWindow()) {
      help->close();
    }
    t.window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QFile::remove(InstalledHelpFile());
  }
  void cleanupTestCase() { QFile::remove(HelpFile()); }

  void lines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("three CR LF lines")
        << QByteArray("one\r\ntwo\r\nthree\r\n") << QStringList{"one", "two", "three"};
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("blanks and empty lines kept") << QByteArray("  lead\r\n\r\ntrail \t\r\n\r\n")
                                                 << QStringList{"  lead", "", "trail \t", ""};
    QTest::newRow("last line without end") << QByteArray("a\r\nlast") << QStringList{"a", "last"};
    QTest::newRow("bare CR and bare LF") << QByteArray("a\rb\nc\n") << QStringList{"a", "b", "c"};
    QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
    QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("UTF-8") << QByteArray("MJ/m\xc2\xb2 at 41.9\xc2\xb0\n")
                           << QStringList{QStringLiteral("MJ/m² at 41.9°")};
  }
  void lines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    WriteHelp(bytes);
    QWidget* help = openHelp();
    QVERIFY(help != nullptr);
    QVERIFY(help->isVisible());
    QCOMPARE(ListEntries(help), entries);
  }

  // The program's own folder first, so that a build tree reads its own copy; then the
  // installed place.
  void places_data() {
    QTest::addColumn<QByteArray>("own");
    QTest::addColumn<QByteArray>("installed");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("own folder only") << QByteArray("own\n") << QByteArray() << QStringList{"own"};
    QTest::newRow("installed only")
        << QByteArray() << QByteArray("installed\n") << QStringList{"installed"};
    QTest::newRow("own folder first")
        << QByteArray("own\n") << QByteArray("installed\n") << QStringList{"own"};
  }
  void places() {
    QFETCH(QByteArray, own);
    QFETCH(QByteArray, installed);
    QFETCH(QStringList, entries);
    QFile::remove(HelpFile());
    if (!own.isNull()) {
      WriteHelp(own);
    }
    if (!installed.isNull()) {
      WriteHelp(installed, InstalledHelpFile());
    }
    QCOMPARE(ListEntries(openHelp()), entries);
  }

  void window() {
    WriteHelp("text\n");
    QWidget* help = openHelp();
    QVERIFY(help != nullptr);
    QCOMPARE(help->windowTitle(), QStringLiteral("Form2"));
    QCOMPARE(help->parentWidget(), nullptr);  // no owner: not held in front of the main window
    QVERIFY(help->isWindow());
    if (help->screen()->logicalDotsPerInch() == 96.0) {
      QCOMPARE(help->size(), QSize(546, 288));
      const auto* list = help->findChild<QListWidget*>("List1");
      QVERIFY(list != nullptr);
      QCOMPARE(list->geometry(), QRect(0, 0, 545, 277));
    }
    // Both windows stay usable: the main window still takes keys.
    QVERIFY(t.activate());
    t.box("txtLat")->clear();
    t.type("txtLat", QStringLiteral("7.5"));
    QCOMPARE(t.box("txtLatMin")->text(), QStringLiteral("30"));
  }

  void readOnceWhileOpen() {
    WriteHelp("first\n");
    QWidget* help = openHelp();
    QVERIFY(help != nullptr);
    QCOMPARE(ListEntries(help), QStringList{"first"});
    WriteHelp("second\n");
    QVERIFY(t.activate());
    QCOMPARE(openHelp(), help);  // the same window, not read again
    QCOMPARE(ListEntries(help), QStringList{"first"});
    closeHelp();
    QWidget* fresh = openHelp();
    QCOMPARE(ListEntries(fresh), QStringList{"second"});
  }

  void missingFile() {
    QFile::remove(HelpFile());
    ScriptedDialogs::Box box{QStringLiteral("The help file "), QStringLiteral("Marovane"),
                             QMessageBox::Critical};
    box.textIsPrefix = true;
    t.dialogs.expectBox(box);
    QWidget* help = openHelp();
    QVERIFY(t.dialogs.lastText().contains(QDir::toNativeSeparators(HelpFile())));
    QVERIFY(t.dialogs.lastText().contains(QDir::toNativeSeparators(InstalledHelpFile())));
    QVERIFY(help != nullptr && help->isVisible());
    QCOMPARE(ListEntries(help), QStringList());
    QVERIFY(t.window->isVisible());
    // Once the file is there, the next window reads it.
    WriteHelp("back\n");
    closeHelp();
    QCOMPARE(ListEntries(openHelp()), QStringList{"back"});
  }

  // Runs last: it ends the application's event loop.
  void helpKeepsProgramRunning() {
    // Closing the main window alone does not end the program while the help window is open;
    // closing the help window then does.
    WriteHelp("x\n");
    QPointer<QWidget> help = openHelp();
    QVERIFY(QApplication::quitOnLastWindowClosed());
    bool runningAfterMainClosed = false;
    QTimer::singleShot(0, t.window.get(), [&] { t.window->close(); });
    QTimer::singleShot(200, help, [&] {
      runningAfterMainClosed = help->isVisible();
      help->close();
    });
    QVERIFY(ExecUntilQuit());
    QVERIFY(runningAfterMainClosed);
  }
};

QTEST_MAIN(HelpWindowTest)
#include "HelpWindowTest.moc"
