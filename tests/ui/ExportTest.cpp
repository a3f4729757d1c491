// SPDX-License-Identifier: GPL-3.0-or-later
// The export and batch buttons and the Exit command, with scripted boxes and real files.
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "TestWindow.hpp"
#include "export/Batch.hpp"
#include "export/CycleFile.hpp"
#include "ui/BatchProgress.hpp"
#include "ui/HelpWindow.hpp"
#include "ui/LogModel.hpp"

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Box = ScriptedDialogs::Box;

const QString kTitle = QStringLiteral("Marovane");
const QString kBatchPrompt = QStringLiteral(
    "This mode expects a file containing one column of latitudes.\n"
    "It writes an output file for each latitude.\n");

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray Expected(float latitude, std::int16_t aggregation, std::int16_t unit,
                    marovane::Method method = marovane::Method::Harmonic) {
  return QByteArray::fromStdString(marovane::AnnualCycleText(
      latitude, {*marovane::AggregationOfCode(aggregation), *marovane::UnitOfCode(unit),
                 marovane::Quantity::Radiation, method}));
}

}  // namespace

class ExportTest : public QObject {
  Q_OBJECT

  TestWindow t;
  std::unique_ptr<QTemporaryDir> dir;

  QString path(const QString& name) const { return dir->filePath(name); }
  void clickExport() const { QTest::mouseClick(t.find("Command1"), Qt::LeftButton); }
  void clickBatch() const { QTest::mouseClick(t.find("Command2"), Qt::LeftButton); }

  // The batch question, whose default button is OK, answered with `answer`.
  static Box BatchPrompt(QMessageBox::StandardButton answer) {
    return {kBatchPrompt,
            kTitle,
            QMessageBox::Information,
            QMessageBox::Ok | QMessageBox::Cancel,
            answer,
            QMessageBox::Ok};
  }

  void expectBatch(const QString& input, const QString& summary, bool prefix = false) {
    t.dialogs.expectBox(BatchPrompt(QMessageBox::Ok));
    t.dialogs.expectFile(input);
    Box done{summary, kTitle, QMessageBox::NoIcon};
    done.textIsPrefix = prefix;
    t.dialogs.expectBox(done);
  }

 private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    QVERIFY(t.open());
  }
  void cleanup() {
    QVERIFY2(t.dialogs.done(), "an expected box was not shown");
    t.window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dir.reset();
  }

  void latitudeChecks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("refusal");  // M1, M2 or empty when the dialog opens
    QTest::newRow("empty") << ""
                           << "M1";
    QTest::newRow("lone sign") << "-"
                               << "M1";
    QTest::newRow("lone point") << "."
                                << "M1";
    QTest::newRow("two points") << "1.2.3"
                                << "M1";
    QTest::newRow("sign inside") << "4-5"
                                 << "M1";
    QTest::newRow("exactly 90") << "90"
                                << "";
    QTest::newRow("exactly -90") << "-90"
                                 << "";
    QTest::newRow("90.000001") << "90.000001"
                               << "M2";
    QTest::newRow("-90.0000001") << "-90.0000001"
                                 << "M2";
    QTest::newRow("95") << "95"
                        << "M2";
  }
  void latitudeChecks() {
    QFETCH(QString, text);
    QFETCH(QString, refusal);
    t.box("txtLat")->setText(text);
    if (refusal == QLatin1String("M1")) {
      t.dialogs.expectBox(
          {QStringLiteral("One of the inputs is not numeric!"), kTitle, QMessageBox::Critical});
    } else if (refusal == QLatin1String("M2")) {
      t.dialogs.expectBox({QStringLiteral("Latitude of your location should be between -90° "
                                          "and +90°."),
                           QStringLiteral("Strange Location"), QMessageBox::Critical});
    } else {
      t.dialogs.expectFile(std::nullopt);  // cancelled: nothing written, nothing shown
    }
    clickExport();
    // Only M2 sends the focus back to the decimal box; M1 leaves it on the button.
    QCOMPARE(t.focusName(), refusal == QLatin1String("M2") ? QStringLiteral("txtLat")
                                                           : QStringLiteral("Command1"));
    // A refused latitude leaves the pointer alone; after the dialog it is the arrow again.
    QCOMPARE(t.window->testAttribute(Qt::WA_SetCursor), refusal.isEmpty());
    QCOMPARE(t.window->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList());
  }

  void exportWritesFile_data() {
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("aggregation");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("aggregationCode");
    QTest::addColumn<int>("unitCode");
    QTest::addColumn<QString>("method");  // the Method menu's item chosen; none: the default
    const QString byDefault;
    const QString harmonic = QStringLiteral("mnuMethod_harmonic");
    const QString fao56 = QStringLiteral("mnuMethod_fao56");
    QTest::newRow("start choice") << "41.9"
                                  << "Option3"
                                  << "Option5" << 3 << 1 << byDefault;
    QTest::newRow("monthly W/m^2") << "-33.8675"
                                   << "Option4"
                                   << "Option8" << 4 << 4 << byDefault;
    QTest::newRow("daily mm/dekad") << "0"
                                    << "Option1"
                                    << "Option11" << 1 << 7 << byDefault;
    QTest::newRow("weekly cal") << "90"
                                << "Option2"
                                << "Option7" << 2 << 3 << byDefault;
    QTest::newRow("dekadal per dekad") << "-12.5"
                                       << "Option3"
                                       << "Option10" << 3 << 6 << byDefault;
    QTest::newRow("FAO-56 daily mm/day") << "-20"
                                         << "Option1"
                                         << "Option9" << 1 << 5 << fao56;
    QTest::newRow("FAO-56 dekadal") << "41.9"
                                    << "Option3"
                                    << "Option5" << 3 << 1 << fao56;
    QTest::newRow("harmonic chosen") << "41.9"
                                     << "Option3"
                                     << "Option5" << 3 << 1 << harmonic;
  }
  void exportWritesFile() {
    QFETCH(QString, latitude);
    QFETCH(QString, aggregation);
    QFETCH(QString, unit);
    QFETCH(int, aggregationCode);
    QFETCH(int, unitCode);
    QFETCH(QString, method);
    if (!method.isEmpty()) {
      t.window->findChild<QAction*>(method)->trigger();
    }
    const marovane::Method chosen = method.endsWith(QLatin1String("fao56"))
                                        ? marovane::Method::Fao56
                                        : marovane::Method::Harmonic;
    t.box("txtLat")->setText(latitude);
    t.find<QRadioButton>(qPrintable(aggregation))->setChecked(true);
    t.find<QRadioButton>(qPrintable(unit))->setChecked(true);
    const QString out = path(QStringLiteral("out.csv"));
    Write(out, QByteArray(100000, 'x'));  // an existing file is replaced without a question
    Qt::CursorShape whileChoosing = Qt::ArrowCursor;
    t.dialogs.expectFile(out, [&] { whileChoosing = t.window->cursor().shape(); });
    t.dialogs.expectBox(
        {QStringLiteral("Data correctly written to ") + out, kTitle, QMessageBox::Information});
    clickExport();
    QCOMPARE(whileChoosing, Qt::WaitCursor);
    QCOMPARE(t.window->cursor().shape(), Qt::ArrowCursor);
    const float value = latitude.toFloat();
    const QByteArray written = Read(out);
    QCOMPARE(written, Expected(value, static_cast<std::int16_t>(aggregationCode),
                               static_cast<std::int16_t>(unitCode), chosen));
    // FAO-56's file says so in its header; the default method's names none.
    QCOMPARE(written.left(written.indexOf('\r')).endsWith("(method fao56)"),
             chosen == marovane::Method::Fao56);
    QCOMPARE(t.window->exportState().gLatitude, value);
    QCOMPARE(t.window->exportState().gUnit, marovane::UnitOfCode(unitCode));
    QCOMPARE(t.window->exportState().gAggregation, marovane::AggregationOfCode(aggregationCode));
    // The actions leave the window's choices as they found them.
    QCOMPARE(t.box("txtLat")->text(), latitude);
    QVERIFY(t.find<QRadioButton>(qPrintable(unit))->isChecked());
  }

  // Nothing that goes wrong inside a command ends the program: it is told, and the window
  // goes on.
  void commandFailureIsTold() {
    t.dialogs.expectFile(path(QStringLiteral("x.csv")), [] { throw std::bad_alloc(); });
    Box told(QStringLiteral("Marovane could not finish this command: "), kTitle,
             QMessageBox::Critical);
    told.textIsPrefix = true;
    t.dialogs.expectBox(told);
    clickExport();
    QCOMPARE(t.window->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(t.window->isVisible());
  }

  // A file that cannot be written is told, naming it, and the window goes on. A named pipe,
  // or a link to one, is refused at once: opened, it would hold the window until read.
  void exportFailure_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("made");  // what lies at the name beforehand
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << "missing/folder/out.csv"
                                    << ""
                                    << "No such file";
    QTest::newRow("named pipe") << "pipe.csv"
                                << "pipe"
                                << "it is not a regular file";
    QTest::newRow("link to a named pipe") << "link.csv"
                                          << "link"
                                          << "it is not a regular file";
  }
  void exportFailure() {
    QFETCH(QString, name);
    QFETCH(QString, made);
    QFETCH(QString, reason);
    const QString out = path(name);
    if (!made.isEmpty()) {
      const QString pipe = path(QStringLiteral("fifo"));
      QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
      QVERIFY(made == QLatin1String("pipe") ? QFile::rename(pipe, out) : QFile::link(pipe, out));
    }
    const auto everything = QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;
    const QStringList before = QDir(dir->path()).entryList(everything);
    t.dialogs.expectFile(out);
    Box error(QStringLiteral("Cannot write ") + out + QStringLiteral(": ") + reason, kTitle,
              QMessageBox::Critical);
    error.textIsPrefix = true;
    error.whileOpen = [&] { QVERIFY(!made.isEmpty() || !QFile::exists(out)); };
    t.dialogs.expectBox(error);
    QElapsedTimer clock;
    clock.start();
    {
      const Watchdog watchdog("an export to a named pipe", 10);
      clickExport();
    }
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(t.dialogs.done());
    QCOMPARE(t.window->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(QDir(dir->path()).entryList(everything), before);  // nothing left beside
    // The window goes on working.
    const QString good = path(QStringLiteral("good.csv"));
    t.dialogs.expectFile(good);
    t.dialogs.expectBox(
        {QStringLiteral("Data correctly written to ") + good, kTitle, QMessageBox::Information});
    clickExport();
    QCOMPARE(Read(good), Expected(41.9f, 3, 1));
  }

  void batchWritesAndLogs() {
    const QString input = path(QStringLiteral("lats.txt"));
    Write(input, "10\r\n-20.5\r\n0\r\n");
    t.find<QRadioButton>("Option1")->setChecked(true);
    t.find<QRadioButton>("Option9")->setChecked(true);
    expectBatch(input, QStringLiteral("3 Files written."));
    clickBatch();
    const QStringList first{"1 10 " + path("lats10.out"), "2 -20.5 " + path("lats-20.5.out"),
                            "3 0 " + path("lats0.out")};
    QCOMPARE(ListEntries(t.window.get()), first);
    QCOMPARE(Read(path("lats10.out")), Expected(10.0f, 1, 5));
    QCOMPARE(Read(path("lats-20.5.out")), Expected(-20.5f, 1, 5));
    QCOMPARE(Read(path("lats0.out")), Expected(0.0f, 1, 5));
    QCOMPARE(t.box("txtLat")->text(), QStringLiteral("41.9"));  // the boxes play no part

    // A second run, with a repeated latitude, appends below and counts from 1 again; it
    // writes the files of the method chosen in between.
    const QString twice = path(QStringLiteral("twice.csv"));
    Write(twice, "5, 5");
    t.find<QRadioButton>("Option3")->setChecked(true);
    t.window->findChild<QAction*>(QStringLiteral("mnuMethod_fao56"))->trigger();
    expectBatch(twice, QStringLiteral("2 Files written."));
    clickBatch();
    const QStringList second{"1 5 " + path("twice5.out"), "2 5 " + path("twice5.out")};
    QCOMPARE(ListEntries(t.window.get()), first + second);
    QCOMPARE(Read(path("twice5.out")), Expected(5.0f, 3, 5, marovane::Method::Fao56));
  }

  void batchEmptyInput() {
    const QString input = path(QStringLiteral("empty.txt"));
    Write(input, "");
    expectBatch(input, QStringLiteral("0 Files written."));
    clickBatch();
    QCOMPARE(ListEntries(t.window.get()), QStringList());
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"empty.txt"});
  }

  void batchBadItems() {
    const QString input = path(QStringLiteral("mixed.txt"));
    Write(input, "10\nabc\n95\n");
    expectBatch(input, QStringLiteral("1 Files written.\n"), true);
    clickBatch();
    const QStringList entries = ListEntries(t.window.get());
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries[0], "1 10 " + path("mixed10.out"));
    QVERIFY2(entries[1].contains(QStringLiteral("abc")), qPrintable(entries[1]));
    QVERIFY2(entries[2].contains(QStringLiteral("95")), qPrintable(entries[2]));
    QVERIFY(!QFile::exists(path("mixed95.out")));
  }

  void batchUnreadableInput() {
    const QString input = path(QStringLiteral("nowhere.txt"));
    expectBatch(input, QStringLiteral("0 Files written.\n"), true);
    clickBatch();
    const QStringList entries = ListEntries(t.window.get());
    QCOMPARE(entries.size(), 1);
    QVERIFY2(entries.front().contains(input), qPrintable(entries.front()));
  }

  // A run that lasts shows a modal progress dialog, centred on the window wherever the window
  // is, whose bar moves as the input is read; Cancel stops the run after the current file, the
  // log says where, and the count is of the files really written.
  void batchProgressAndCancel() {
    const QString input = path(QStringLiteral("many.txt"));
    Write(input, QByteArray("10\n").repeated(200000));
    t.window->setBatchProgressDelay(0);
    for (const QPoint& at : {QPoint(10, 20), QPoint(230, 140)}) {
      t.window->move(at);
      QPoint offset(-1000, -1000);
      Qt::CursorShape pointer = Qt::ArrowCursor;
      QList<int> values;
      QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        if (qEnvironmentVariableIsSet("MAROVANE_WINDOW_MANAGER")) {
          // Under a window manager: centred with its frame, its title bar on the screen.
          QVERIFY(
              QTest::qWaitFor([&] { return dialog->frameGeometry().size() != dialog->size(); }));
          QTest::qWait(300);
          QVERIFY(t.window->screen()->availableGeometry().contains(dialog->frameGeometry()));
        }
        offset = dialog->frameGeometry().center() - t.window->frameGeometry().center();
        pointer = t.window->cursor().shape();
        auto* bar = dialog->findChild<QProgressBar*>();
        QVERIFY(bar != nullptr);
        connect(bar, &QProgressBar::valueChanged, dialog, [&](int value) { values.append(value); });
        const bool moved = QTest::qWaitFor([&] {
          return std::any_of(values.cbegin(), values.cend(),
                             [](int value) { return value >= 1 && value <= 999; });
        });
        QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
        QVERIFY2(moved, "the bar did not move");
      });
      expectBatch(input, QString(), true);  // the count is checked below
      clickBatch();
      QVERIFY2(
          std::abs(offset.x()) <= 2 && std::abs(offset.y()) <= 2,
          qPrintable(QStringLiteral("dialog centre off by %1,%2").arg(offset.x()).arg(offset.y())));
      QVERIFY2(!values.isEmpty() && values.last() < 1000,
               qPrintable(QString::number(values.size())));
      QCOMPARE(pointer, Qt::WaitCursor);
      QCOMPARE(t.window->cursor().shape(), Qt::ArrowCursor);
      const QStringList entries = ListEntries(t.window.get());
      QVERIFY(entries.size() >= 2);
      const QString last = entries.last();
      const qsizetype stoppedAt =
          last.section(QLatin1Char(' '), 6, 6).chopped(1).toLongLong();  // "after item N;"
      QVERIFY2(stoppedAt > 0 && stoppedAt < 200000, qPrintable(last));
      QCOMPARE(last, QStringLiteral("Stopped by the user after item %1; the items after it "
                                    "were not written.")
                         .arg(stoppedAt));
      QCOMPARE(entries[entries.size() - 2],
               QStringLiteral("%1 10 %2").arg(stoppedAt).arg(path("many10.out")));
      QCOMPARE(t.dialogs.lastText(), QStringLiteral("%1 Files written.\nStopped by the user after "
                                                    "item %1.")
                                         .arg(stoppedAt));
    }
    QCOMPARE(Read(path(QStringLiteral("many10.out"))), Expected(10.0f, 3, 1));
  }

  // A named pipe that nobody writes to, or whose writer writes nothing, holds the batch up:
  // the window goes on all the same, and Cancel ends the wait and the batch's threads with it.
  void batchCancelWhileInputBlocks_data() {
    QTest::addColumn<bool>("writer");
    QTest::newRow("nobody opens the pipe") << false;
    QTest::newRow("its writer writes nothing") << true;
  }
  void batchCancelWhileInputBlocks() {
    QFETCH(bool, writer);
    const QString input = path(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(input).constData(), 0600), 0);
    t.window->setBatchProgressDelay(0);
    const int leftBefore = marovane::ui::BatchProgress::WorkersLeft();
    const auto threads = [] {
      return QDir(QStringLiteral("/proc/self/task"))
          .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
          .size();
    };
    const qsizetype threadsBefore = threads();
    int writing = -1;
    QString label;
    int maximum = -1;
    qsizetype threadsWaiting = 0;
    bool started = false;
    bool opened = false;
    QElapsedTimer sinceCancel;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      // The batch's thread waits for its input; a busy machine may take a while to start it.
      started = QTest::qWaitFor([&] { return threads() > threadsBefore; }, 10000);
      QTest::qWait(200);
      if (writer) {
        // Opening a pipe to write without waiting works once its reader has it open.
        opened = QTest::qWaitFor(
            [&] {
              writing =
                  ::open(QFile::encodeName(input).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
              return writing >= 0;
            },
            10000);
        QTest::qWait(200);
      }
      label = dialog->labelText();
      maximum = dialog->maximum();
      threadsWaiting = threads();
      sinceCancel.start();
      QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    });
    expectBatch(input, QStringLiteral("0 Files written.\nStopped by the user after item 0."));
    clickBatch();
    if (writing >= 0) {
      ::close(writing);
    }
    QVERIFY(started);
    QVERIFY(!writer || (opened && writing >= 0));  // the batch had the pipe open for reading
    QVERIFY(sinceCancel.isValid() && sinceCancel.elapsed() < 3000);
    QCOMPARE(label, QStringLiteral("0 files written, 0 items read."));
    QCOMPARE(maximum, 0);  // a pipe has no size: a busy bar
    QCOMPARE(ListEntries(t.window.get()),
             QStringList{"Stopped by the user after item 0; the items after it were not written."});
    // Nothing is left waiting: the batch's threads have ended.
    QVERIFY2(threadsWaiting > threadsBefore, qPrintable(QString::number(threadsWaiting)));
    QCOMPARE(marovane::ui::BatchProgress::WorkersLeft(), leftBefore);
    QTRY_COMPARE(threads(), threadsBefore);
    QCOMPARE(t.window->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    // The window takes the next batch as usual.
    const QString good = path(QStringLiteral("after.txt"));
    Write(good, "7");
    expectBatch(good, QStringLiteral("1 Files written."));
    clickBatch();
    QCOMPARE(ListEntries(t.window.get()).last(), "1 7 " + path("after7.out"));
  }

  // The list keeps every entry of a run as it was logged, in memory that follows what the
  // entries show: a million failures of the same item, which differ from each other only in
  // their number, take a few bytes each, and entries that differ more take about their text.
  void logKeepsAMillionEntries_data() {
    QTest::addColumn<QString>("entry");  // %1 the number, %2 something that varies, %3 a folder
    QTest::addColumn<int>("mostBytes");  // per entry
    QTest::newRow("written") << "%1 %2 %3/lats%2.out" << 24;  // 55 bytes of text
    QTest::newRow("not a number") << "Item %1 (abc): not a number, no file written." << 12;
    QTest::newRow("not written") << "Item %1 (%2): Cannot write %3/lats%2.out: Permission denied"
                                 << 28;  // 75 bytes
  }
  void logKeepsAMillionEntries() {
    QFETCH(QString, entry);
    QFETCH(int, mostBytes);
    constexpr int kEntries = 1000000;
    const std::string pattern = entry.toStdString();
    const auto logged = [&](int number) {
      std::string text;
      for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
          text += pattern[i];
        } else if (pattern[++i] == '1') {
          text += std::to_string(number);
        } else if (pattern[i] == '2') {
          text += std::to_string(number % 1801 - 900);
        } else {
          text += "/home/Åsa/latitudes du sud, été";
        }
      }
      return text;
    };
    const auto heap = [] {
      const struct mallinfo2 info = ::mallinfo2();
      return static_cast<qint64>(info.uordblks + info.hblkhd);
    };
    const qint64 before = heap();
    marovane::ui::LogModel model;
    for (int first = 1; first <= kEntries; first += 50000) {  // as a batch hands them over
      marovane::ui::LogEntries handed;
      for (int number = first; number < first + 50000; ++number) {
        handed.append(logged(number));
      }
      model.append(handed);
    }
    const qint64 held = heap() - before;
    QCOMPARE(model.rowCount(), kEntries);
    for (int row = 0; row < kEntries; row += row < 40 || row > kEntries - 40 ? 1 : 997) {
      QCOMPARE(model.index(row, 0).data().toString(), QString::fromStdString(logged(row + 1)));
    }
    QVERIFY2(held <= qint64{mostBytes} * kEntries,
             qPrintable(QStringLiteral("%1 bytes an entry").arg(double(held) / kEntries)));
  }

  // Output names are cut by characters, and the log shows them as the user named them.
  void batchUnicodeName() {
    const QString input = path(QStringLiteral("Breitengrade_Süd"));
    Write(input, "10");
    expectBatch(input, QStringLiteral("1 Files written."));
    clickBatch();
    QCOMPARE(ListEntries(t.window.get()),
             QStringList{"1 10 " + path(QStringLiteral("Breitengrade10.out"))});
    QCOMPARE(Read(path(QStringLiteral("Breitengrade10.out"))), Expected(10.0f, 3, 1));
  }

  void batchCancelled() {
    t.dialogs.expectBox(BatchPrompt(QMessageBox::Cancel));
    clickBatch();
    QVERIFY(!t.window->exportState().gUnit.has_value());  // stopped before reading it
    t.dialogs.expectBox(BatchPrompt(QMessageBox::Ok));
    t.dialogs.expectFile(std::nullopt);
    clickBatch();
    QCOMPARE(ListEntries(t.window.get()), QStringList());
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList());
  }

  void exitAnsweredNo() {
    t.box("txtLat")->setText(QStringLiteral("12.5"));
    t.dialogs.expectBox({QStringLiteral("Do you really want to end Marovane?"), kTitle,
                         QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                         QMessageBox::Yes});
    t.clickMenu("mnuExit");
    QVERIFY(t.window->isVisible());
    QCOMPARE(t.box("txtLat")->text(), QStringLiteral("12.5"));
  }

  void exitAnsweredYesClosesHelpToo() {
    QFile::remove(marovane::ui::HelpWindow::HelpFilePath());
    Box missing{QString(), kTitle, QMessageBox::Critical};
    missing.textIsPrefix = true;
    t.dialogs.expectBox(missing);
    t.clickMenu("mnuHelp");
    QPointer<marovane::ui::HelpWindow> help = t.window->helpWindow();
    QVERIFY(help && help->isVisible());
    t.dialogs.expectBox({QStringLiteral("Do you really want to end Marovane?"), kTitle,
                         QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                         QMessageBox::Yes, QMessageBox::Yes});
    QVERIFY(t.activate());
    t.clickMenu("mnuExit");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(help.isNull());
    QVERIFY(!t.window->isVisible());
  }

  void closeButtonAsksNothing() {
    QVERIFY(t.window->close());
    QVERIFY(!t.window->isVisible());
    QCOMPARE(t.dialogs.shown(), std::size_t{0});
  }
};

QTEST_MAIN(ExportTest)
#include "ExportTest.moc"
