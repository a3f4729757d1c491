// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven through its controls: start state, layout, tab order and the
// latitude boxes.
#include <QAction>
#include <QButtonGroup>
#include <QClipboard>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "TestWindow.hpp"

namespace {

const QString kStrange =
    QStringLiteral("Latitude of your location should be between -90° and +90°.");

ScriptedDialogs::Box StrangeLocation() {
  return {kStrange, QStringLiteral("Strange Location"), QMessageBox::Critical};
}

// Text composed by an input method (a dead key, a compose sequence), committed at once.
void Commit(QWidget* box, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QApplication::sendEvent(box, &event);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

  TestWindow t;

 private slots:
  void init() { QVERIFY(t.open()); }
  void cleanup() {
    QVERIFY2(t.dialogs.done(), "an expected box was not shown");
    t.window.reset();
  }

  void startState() {
    QCOMPARE(t.window->windowTitle(),
             QStringLiteral("Marovane, annual cycle of extraterrestrial solar radiation, by "
                            "Marovane developers, Marovane project, marovane@example.org"));
    QCOMPARE(t.box("txtLat")->text(), QStringLiteral("41.9"));
    QCOMPARE(DegreeBoxes(t.window.get()), QStringLiteral("41,54,0,N"));
    QVERIFY(t.find<QRadioButton>("Option3")->isChecked());
    QVERIFY(t.find<QRadioButton>("Option5")->isChecked());
    for (const char* other : {"Option1", "Option2", "Option4", "Option6", "Option11"}) {
      QVERIFY2(!t.find<QRadioButton>(other)->isChecked(), other);
    }
    QCOMPARE(ListEntries(t.window.get()), QStringList());
    QCOMPARE(t.focusName(), QStringLiteral("txtLatNS"));
    QCOMPARE(t.box("txtLatNS")->selectedText(), QStringLiteral("N"));
    QVERIFY(!t.window->exportState().gUnit.has_value());
    // The menu bar ends in Method, whose check mark is on the program's own model.
    QStringList bar;
    for (const QAction* action : t.window->menuBar()->actions()) {
      bar.append(action->text());
    }
    QCOMPARE(bar, (QStringList{"Exit", "Help", "Chart", "Method"}));
    auto* menu = t.window->findChild<QMenu*>(QStringLiteral("mnuMethod"));
    QVERIFY(menu != nullptr);
    QStringList items;
    for (const QAction* item : menu->actions()) {
      QVERIFY(item->isCheckable());
      items.append(item->text() + (item->isChecked() ? QStringLiteral(" (checked)") : QString()));
    }
    QCOMPARE(items, (QStringList{"Harmonic (checked)", "FAO-56"}));
    QCOMPARE(t.window->exportChoice().cycle.method, marovane::Method::Harmonic);

    const QRect screen = t.window->screen()->geometry();
    const QPoint offset = t.window->frameGeometry().center() - screen.center();
    QVERIFY2(std::abs(offset.x()) <= 1 && std::abs(offset.y()) <= 1,
             qPrintable(QStringLiteral("window at %1,%2 %3x%4 on a %5x%6 screen")
                            .arg(t.window->frameGeometry().x())
                            .arg(t.window->frameGeometry().y())
                            .arg(t.window->frameGeometry().width())
                            .arg(t.window->frameGeometry().height())
                            .arg(screen.width())
                            .arg(screen.height())));
  }

  // One method is checked at a time; choosing one tells the window's followers at once, and
  // choosing it again changes nothing.
  void methodMenu() {
    auto* harmonic = t.window->findChild<QAction*>(QStringLiteral("mnuMethod_harmonic"));
    auto* fao56 = t.window->findChild<QAction*>(QStringLiteral("mnuMethod_fao56"));
    QVERIFY(harmonic != nullptr && fao56 != nullptr);
    QSignalSpy told(t.window.get(), &marovane::ui::MainWindow::exportChoiceChanged);
    struct Step {
      QAction* chosen;
      marovane::Method method;
    };
    for (const Step& step :
         {Step{fao56, marovane::Method::Fao56}, Step{fao56, marovane::Method::Fao56},
          Step{harmonic, marovane::Method::Harmonic}}) {
      step.chosen->trigger();
      QCOMPARE(harmonic->isChecked(), step.method == marovane::Method::Harmonic);
      QCOMPARE(fao56->isChecked(), step.method == marovane::Method::Fao56);
      QCOMPARE(t.window->exportChoice().cycle.method, step.method);
      QVERIFY(!told.isEmpty());
      QCOMPARE(told.takeLast().at(0).value<marovane::ui::ExportChoice>().cycle.method, step.method);
    }
    // The other choices stay as they were.
    QCOMPARE(t.window->exportChoice().cycle.aggregation, marovane::Aggregation::Dekadal);
    QCOMPARE(t.window->exportChoice().cycle.unit, marovane::Unit::MJPerM2Day);
  }

  void geometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("client below the menu bar") << "client" << QRect(0, 0, 725, 245);
    QTest::newRow("Frame1") << "Frame1" << QRect(16, 16, 145, 209);
    QTest::newRow("Frame3") << "Frame3" << QRect(272, 16, 137, 209);
    QTest::newRow("List1") << "List1" << QRect(424, 24, 289, 199);
    QTest::newRow("Command1") << "Command1" << QRect(32, 160, 113, 49);
    QTest::newRow("Command2") << "Command2" << QRect(168, 160, 89, 65);
    QTest::newRow("txtLat") << "txtLat" << QRect(72, 24, 49, 17);
    QTest::newRow("txtLatNS") << "txtLatNS" << QRect(72, 112, 25, 19);
    QTest::newRow("Label5") << "Label5" << QRect(8, 64, 33, 17);
    QTest::newRow("Line1") << "Line1" << QRect(8, 56, 121, 1);
    QTest::newRow("Option4") << "Option4" << QRect(16, 96, 65, 17);
    QTest::newRow("Option10") << "Option10" << QRect(16, 144, 105, 17);
  }
  void geometry() {
    if (t.window->screen()->logicalDotsPerInch() != 96.0) {
      QSKIP("pixel sizes are given for 96 dpi");
    }
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    QWidget* widget = t.find(qPrintable(name));
    QVERIFY(widget != nullptr);
    if (name == QLatin1String("client")) {
      rect.moveTop(t.window->menuBar()->geometry().bottom() + 1);
    }
    QCOMPARE(widget->geometry(), rect);
    // Resizing the window moves nothing.
    t.window->resize(t.window->size() + QSize(200, 150));
    QCoreApplication::processEvents();
    if (name != QLatin1String("client")) {
      QCOMPARE(widget->geometry(), rect);
    }
  }

  void looks() {
    // A frame caption is drawn in blue; the buttons inside it are not.
    auto bluePixels = [](QWidget* widget) {
      const QImage image = widget->grab().toImage();
      int count = 0;
      for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
          const QColor c = image.pixelColor(x, y);
          count += (c.blue() > 200 && c.red() < 80 && c.green() < 80) ? 1 : 0;
        }
      }
      return count;
    };
    QVERIFY(bluePixels(t.find("Frame2")) > 20);
    QCOMPARE(bluePixels(t.find("Option1")), 0);
    QCOMPARE(bluePixels(t.find("txtLat")), 0);
    const QImage face = t.find("Command1")->grab().toImage();
    const QColor middle = face.pixelColor(4, face.height() / 2);
    QVERIFY2(middle.green() > 200 && middle.red() < 190 && middle.blue() < 190,
             qPrintable(middle.name()));
    const QFont batch = t.find("Command2")->font();
    QVERIFY(batch.bold());
    QCOMPARE(batch.pointSizeF(), 12.0);
    QCOMPARE(QFontInfo(t.find("Label9")->font()).family(), QStringLiteral("Liberation Mono"));
    QCOMPARE(QFontInfo(t.box("txtLat")->font()).family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(t.find<QLabel>("Label5")->text(), QStringLiteral("°,',\":"));
    QCOMPARE(t.find<QLabel>("Label14")->text(), QStringLiteral("\","));
  }

  void tabCycle_data() {
    QTest::addColumn<QString>("aggregation");
    QTest::addColumn<QString>("unit");
    QTest::newRow("start") << "Option3"
                           << "Option5";
    QTest::newRow("other choice") << "Option1"
                                  << "Option11";
  }
  void tabCycle() {
    QFETCH(QString, aggregation);
    QFETCH(QString, unit);
    t.find<QRadioButton>(qPrintable(aggregation))->setChecked(true);
    t.find<QRadioButton>(qPrintable(unit))->setChecked(true);
    const QStringList expected{"txtLatSec", "txtLatMin", "txtLatGrad", "txtLat", aggregation,
                               "Command1",  "Command2",  "List1",      unit,     "txtLatNS"};
    QCOMPARE(t.focusName(), QStringLiteral("txtLatNS"));
    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited.append(t.focusName());
    }
    QCOMPARE(visited, expected);
  }

  void arrowKeysStayInGroup() {
    auto* dekadal = t.find<QRadioButton>("Option3");
    dekadal->setFocus(Qt::TabFocusReason);
    QTest::keyClick(dekadal, Qt::Key_Down);
    QCOMPARE(t.focusName(), QStringLiteral("Option4"));
    QVERIFY(t.find<QRadioButton>("Option4")->isChecked());
    QVERIFY(!dekadal->isChecked());
    QVERIFY(t.find<QRadioButton>("Option5")->isChecked());  // the units are not touched
    // The newly selected button is the group's tab stop now.
    QTest::keyClick(t.find("Option4"), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(t.focusName(), QStringLiteral("Option4"));
  }

  // Each box's length limit and character filter, as the user sees them after typing.
  void typing_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<bool>("composed");  // committed at once by an input method
    QTest::newRow("degrees limit") << "txtLatGrad"
                                   << "123"
                                   << "12" << false;
    QTest::newRow("minutes limit") << "txtLatMin"
                                   << "456"
                                   << "45" << false;
    QTest::newRow("seconds limit") << "txtLatSec"
                                   << "789"
                                   << "78" << false;
    QTest::newRow("hemisphere limit") << "txtLatNS"
                                      << "Sn"
                                      << "S" << false;
    QTest::newRow("decimal has no limit") << "txtLat"
                                          << "12.34567890123"
                                          << "12.34567890123" << false;
    QTest::newRow("decimal sign and points anywhere") << "txtLat"
                                                      << "1-2.-."
                                                      << "1-2.-." << false;
    QTest::newRow("decimal refuses comma, letters, plus") << "txtLat"
                                                          << "-1,5a+e "
                                                          << "-15" << false;
    QTest::newRow("degrees digits only") << "txtLatGrad"
                                         << "a-.4,5"
                                         << "45" << false;
    QTest::newRow("minutes digits only") << "txtLatMin"
                                         << "x 3"
                                         << "3" << false;
    QTest::newRow("hemisphere lower-case n") << "txtLatNS"
                                             << "n"
                                             << "n" << false;
    QTest::newRow("hemisphere lower-case s") << "txtLatNS"
                                             << "s"
                                             << "s" << false;
    QTest::newRow("composed digit") << "txtLat"
                                    << "5"
                                    << "5" << true;
    QTest::newRow("composed letters dropped") << "txtLat"
                                              << "4á1.é9\u00a0"
                                              << "41.9" << true;
    QTest::newRow("composed accent alone") << "txtLat"
                                           << "á"
                                           << "" << true;
    QTest::newRow("composed into degrees") << "txtLatGrad"
                                           << "é5-"
                                           << "5" << true;
    QTest::newRow("composed degrees limit") << "txtLatGrad"
                                            << "123"
                                            << "12" << true;
    QTest::newRow("composed hemisphere letter") << "txtLatNS"
                                                << "S"
                                                << "S" << true;
  }
  void typing() {
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(bool, composed);
    t.box(qPrintable(name))->clear();
    if (composed) {
      t.box(qPrintable(name))->setFocus(Qt::OtherFocusReason);
      Commit(t.box(qPrintable(name)), typed);
    } else {
      t.type(qPrintable(name), typed);
    }
    QCOMPARE(t.box(qPrintable(name))->text(), kept);
  }

  void backspaceAndArrowsEdit() {
    QLineEdit* lat = t.box("txtLat");
    lat->setFocus(Qt::OtherFocusReason);
    lat->end(false);
    QTest::keyClick(lat, Qt::Key_Backspace);  // "41." reads 41
    QCOMPARE(lat->text(), QStringLiteral("41."));
    QCOMPARE(DegreeBoxes(t.window.get()), QStringLiteral("41,0,0,N"));
    QTest::keyClick(lat, Qt::Key_Home);
    QTest::keyClick(lat, Qt::Key_Minus);
    QCOMPARE(lat->text(), QStringLiteral("-41."));
    QCOMPARE(DegreeBoxes(t.window.get()), QStringLiteral("41,0,0,S"));
  }

  // Every character the hemisphere box refuses, typed or composed, brings the message and
  // changes nothing, not even by the key's usual editing (paste, select all).
  void hemisphereMessage_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("key");  // 0: `text` is committed by an input method
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    const int none = Qt::NoModifier;
    QTest::newRow("x, empty box") << "" << int{Qt::Key_X} << none << "x";
    QTest::newRow("x, box holding N") << "N" << int{Qt::Key_X} << none << "x";
    QTest::newRow("Space") << "N" << int{Qt::Key_Space} << none << " ";
    QTest::newRow("Escape") << "N" << int{Qt::Key_Escape} << none << "\x1b";
    QTest::newRow("Ctrl+V") << "" << int{Qt::Key_V} << int{Qt::ControlModifier} << "\x16";
    QTest::newRow("Ctrl+A") << "N" << int{Qt::Key_A} << int{Qt::ControlModifier} << "\x01";
    QTest::newRow("composed e acute, empty box") << "" << 0 << none << QStringLiteral("é");
    QTest::newRow("composed e acute, box holding S") << "S" << 0 << none << QStringLiteral("é");
  }
  void hemisphereMessage() {
    QFETCH(QString, before);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QGuiApplication::clipboard()->setText(QStringLiteral("S"));
    QLineEdit* ns = t.box("txtLatNS");
    ns->setText(before);
    ns->setFocus(Qt::OtherFocusReason);
    ns->end(false);
    t.dialogs.expectBox({QStringLiteral("S for South or N for North. That's all."), QString(),
                         QMessageBox::NoIcon});
    if (key == 0) {
      Commit(ns, text);
    } else {
      QTest::sendKeyEvent(QTest::Click, ns, static_cast<Qt::Key>(key), text,
                          static_cast<Qt::KeyboardModifiers>(modifiers));
    }
    QCOMPARE(ns->text(), before);
    QCOMPARE(ns->selectedText(), QString());
    QCOMPARE(t.dialogs.shown(), std::size_t{1});
    QCOMPARE(t.focusName(), QStringLiteral("txtLatNS"));
  }

  void enterMovesOn_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    const int enter = Qt::Key_Return;
    const int keypad = Qt::Key_Enter;
    const int none = Qt::NoModifier;
    QTest::newRow("hemisphere") << "txtLatNS"
                                << "txtLatSec"
                                << "0" << enter << none;
    QTest::newRow("seconds") << "txtLatSec"
                             << "txtLatMin"
                             << "54" << enter << none;
    QTest::newRow("minutes") << "txtLatMin"
                             << "txtLatGrad"
                             << "41" << enter << none;
    QTest::newRow("degrees") << "txtLatGrad"
                             << "txtLat"
                             << "41.9" << enter << none;
    QTest::newRow("decimal") << "txtLat"
                             << "Option3"
                             << "" << enter << none;
    QTest::newRow("keypad, hemisphere") << "txtLatNS"
                                        << "txtLatSec"
                                        << "0" << keypad << int{Qt::KeypadModifier};
    QTest::newRow("keypad, decimal") << "txtLat"
                                     << "Option3"
                                     << "" << keypad << int{Qt::KeypadModifier};
  }
  void enterMovesOn() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, selected);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QLineEdit* box = t.box(qPrintable(from));
    const QString before = box->text();
    box->setFocus(Qt::OtherFocusReason);
    QTest::sendKeyEvent(QTest::Click, box, static_cast<Qt::Key>(key), QStringLiteral("\r"),
                        static_cast<Qt::KeyboardModifiers>(modifiers));
    // The Tab is queued: the focus moves only when the event loop runs.
    QCOMPARE(t.focusName(), from);
    QCoreApplication::processEvents();
    QCOMPARE(t.focusName(), to);
    QCOMPARE(box->text(), before);
    if (auto* next = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
      QCOMPARE(next->selectedText(), selected);
    }
  }

  // A key release converts only in the box that received the key's press. The boxes start at
  // 12 30 29 N, which gave 12.508, and the decimal box then holds `before`, set without a key.
  void releaseCountsWherePressed_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("pressIn");  // "composed": "7.5" committed by an input method
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("releaseIn");
    QTest::addColumn<bool>("autoRepeat");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("dms");
    const int end = Qt::Key_End;
    QTest::newRow("decimal, pressed there") << "7.5"
                                            << "txtLat" << end << "txtLat" << false << "7.5"
                                            << "7,30,0,N";
    QTest::newRow("degrees, pressed there")
        << "7.5"
        << "txtLatGrad" << end << "txtLatGrad" << false << "12.508"
        << "12,30,29,N";
    QTest::newRow("pressed in the list") << "7.5"
                                         << "List1" << end << "txtLat" << false << "7.5"
                                         << "12,30,29,N";
    QTest::newRow("pressed in degrees, then the focus moved")
        << "7.5"
        << "txtLatGrad" << end << "txtLat" << false << "7.5"
        << "12,30,29,N";
    QTest::newRow("pressed in seconds, released in degrees")
        << "7.5"
        << "txtLatSec" << end << "txtLatGrad" << false << "7.5"
        << "12,30,29,N";
    QTest::newRow("Enter from degrees keeps the three decimals")
        << "12.508"
        << "txtLatGrad" << int{Qt::Key_Return} << "txtLat" << false << "12.508"
        << "12,30,29,N";
    QTest::newRow("Enter from the decimal box, released there later")
        << "7.5"
        << "txtLat" << int{Qt::Key_Return} << "txtLat" << false << "7.5"
        << "12,30,29,N";
    QTest::newRow("held key, repeated release") << "7.5"
                                                << "txtLat" << end << "txtLat" << true << "7.5"
                                                << "12,30,29,N";
    QTest::newRow("composed, then the key released")
        << ""
        << "composed" << int{Qt::Key_5} << "txtLat" << false << "7.5"
        << "7,30,0,N";
  }
  void releaseCountsWherePressed() {
    QFETCH(QString, before);
    QFETCH(QString, pressIn);
    QFETCH(int, key);
    QFETCH(QString, releaseIn);
    QFETCH(bool, autoRepeat);
    QFETCH(QString, decimal);
    QFETCH(QString, dms);
    t.typeDegrees(QStringLiteral("12,30,29,N"));
    QCOMPARE(t.box("txtLat")->text(), QStringLiteral("12.508"));
    t.box("txtLat")->setText(before);

    const bool composed = pressIn == QLatin1String("composed");
    QWidget* pressed = composed ? t.box("txtLat") : t.find(qPrintable(pressIn));
    pressed->setFocus(Qt::OtherFocusReason);
    if (composed) {
      Commit(pressed, QStringLiteral("7.5"));
    } else {
      QTest::keyPress(pressed, static_cast<Qt::Key>(key));
    }
    QCoreApplication::processEvents();  // Enter's Tab moves the focus on
    QWidget* released = t.find(qPrintable(releaseIn));
    released->setFocus(Qt::OtherFocusReason);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(released, &release);
    QCOMPARE(t.focusName(), releaseIn);
    QCOMPARE(t.box("txtLat")->text(), decimal);
    QCOMPARE(DegreeBoxes(t.window.get()), dms);
  }

  void focusSelections_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");
    QTest::newRow("decimal, whole text") << "txtLat"
                                         << "-12.3456789"
                                         << "-12.3456789";
    QTest::newRow("degrees, 2 characters") << "txtLatGrad"
                                           << "41"
                                           << "41";
    QTest::newRow("hemisphere, 1 character") << "txtLatNS"
                                             << "S"
                                             << "S";
    QTest::newRow("empty box") << "txtLatSec"
                               << ""
                               << "";
  }
  void focusSelections() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, selected);
    QLineEdit* box = t.box(qPrintable(name));
    box->setText(text);
    t.find("List1")->setFocus();
    box->setFocus(Qt::TabFocusReason);
    QCOMPARE(box->selectedText(), selected);
    QCOMPARE(box->selectionStart(), selected.isEmpty() ? -1 : 0);
  }

  void decimalToDms_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("dms");
    QTest::addColumn<int>("strange");  // "Strange Location" messages while typing
    // The key whose press closed the last message; its release then comes to the decimal box.
    QTest::addColumn<int>("closedBy");
    QTest::newRow("41.9") << "41.9"
                          << "41,54,0,N" << 0 << 0;
    QTest::newRow("41.8") << "41.8"
                          << "41,47,59,N" << 0 << 0;
    QTest::newRow("-33.8675") << "-33.8675"
                              << "33,52,3,S" << 0 << 0;
    QTest::newRow("12.5083333") << "12.5083333"
                                << "12,30,29,N" << 0 << 0;
    QTest::newRow("0.9") << "0.9"
                         << "0,53,59,N" << 0 << 0;
    QTest::newRow("7.5") << "7.5"
                         << "7,30,0,N" << 0 << 0;
    QTest::newRow("-0.5") << "-0.5"
                          << "0,30,0,S" << 0 << 0;
    QTest::newRow("0") << "0"
                       << "0,0,0,S" << 0 << 0;
    QTest::newRow("-0") << "-0"
                        << "0,0,0,S" << 0 << 0;
    QTest::newRow("lone -") << "-"
                            << "0,0,0,S" << 0 << 0;
    QTest::newRow("lone .") << "."
                            << "0,0,0,S" << 0 << 0;
    QTest::newRow("4-5") << "4-5"
                         << "4,0,0,N" << 0 << 0;
    QTest::newRow("90") << "90"
                        << "90,0,0,N" << 0 << 0;
    QTest::newRow("-90") << "-90"
                         << "90,0,0,S" << 0 << 0;
    QTest::newRow("90.000001") << "90.000001"
                               << "90,0,0,N" << 0 << 0;
    // Out of range: the boxes keep what the text before the last key gave.
    QTest::newRow("90.00001") << "90.00001"
                              << "90,0,0,N" << 1 << 0;
    QTest::newRow("-90.5") << "-90.5"
                           << "90,0,0,S" << 1 << 0;
    QTest::newRow("95") << "95"
                        << "9,0,0,N" << 1 << 0;
    QTest::newRow("950") << "950"
                         << "9,0,0,N" << 2 << 0;
    QTest::newRow("95, message closed with Enter") << "95"
                                                   << "9,0,0,N" << 1 << int{Qt::Key_Return};
    QTest::newRow("95, message closed with Escape") << "95"
                                                    << "9,0,0,N" << 1 << int{Qt::Key_Escape};
  }
  void decimalToDms() {
    QFETCH(QString, typed);
    QFETCH(QString, dms);
    QFETCH(int, strange);
    QFETCH(int, closedBy);
    for (int i = 0; i < strange; ++i) {
      t.dialogs.expectBox(StrangeLocation());
    }
    t.box("txtLat")->clear();
    t.type("txtLat", typed);
    if (closedBy != 0) {
      QTest::keyRelease(t.box("txtLat"), static_cast<Qt::Key>(closedBy));
      QCOMPARE(t.dialogs.shown(), std::size_t(strange));
    }
    QCOMPARE(t.box("txtLat")->text(), typed);
    QCOMPARE(DegreeBoxes(t.window.get()), dms);
    QCOMPARE(t.focusName(), QStringLiteral("txtLat"));
  }

  // Delete edits in every box, whether or not the platform gives the key the text "\x7f"; the
  // hemisphere box does not take it for a refused letter.
  void deleteKey_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");  // the key's text
    QTest::addColumn<bool>("all");      // the whole text selected, else the caret at the start
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("dms");
    const QString none;
    const QString del = QStringLiteral("\x7f");
    QTest::newRow("decimal, all") << "txtLat" << none << true << ""
                                  << "0,0,0,S";
    QTest::newRow("decimal, all, \\x7f") << "txtLat" << del << true << ""
                                         << "0,0,0,S";
    QTest::newRow("decimal, first, \\x7f") << "txtLat" << del << false << "1.9"
                                           << "1,53,59,N";
    QTest::newRow("degrees, first, \\x7f") << "txtLatGrad" << del << false << "1"
                                           << "1,54,0,N";
    QTest::newRow("hemisphere, all, \\x7f") << "txtLatNS" << del << true << ""
                                            << "41,54,0,";
  }
  void deleteKey() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, all);
    QFETCH(QString, left);
    QFETCH(QString, dms);
    QLineEdit* box = t.box(qPrintable(name));
    box->setFocus(Qt::OtherFocusReason);
    if (all) {
      box->selectAll();
    } else {
      box->setCursorPosition(0);
    }
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_Delete, text, Qt::NoModifier);
    QCOMPARE(box->text(), left);
    QCOMPARE(DegreeBoxes(t.window.get()), dms);  // converted at the key's release
    QCOMPARE(t.dialogs.shown(), std::size_t{0});
  }

  // A box reached with Tab gets the focus its own way too: its caret blinks.
  void caretBlinksAfterTab_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("seconds") << "txtLatNS"
                             << "txtLatSec";
    QTest::newRow("degrees") << "txtLatMin"
                             << "txtLatGrad";
    QTest::newRow("decimal") << "txtLatGrad"
                             << "txtLat";
  }
  void caretBlinksAfterTab() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    const int flashTime = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(200);
    QLineEdit* target = t.box(qPrintable(to));
    target->clear();  // the caret alone, no selection over it
    t.box(qPrintable(from))->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(t.box(qPrintable(from)), Qt::Key_Tab);
    QCOMPARE(t.focusName(), to);
    const QImage first = target->grab().toImage();
    bool changed = false;
    for (int i = 0; i < 10 && !changed; ++i) {
      QTest::qWait(40);
      changed = target->grab().toImage() != first;
    }
    QApplication::setCursorFlashTime(flashTime);
    QVERIFY2(changed, "the caret never blinked");
  }

  void dmsToDecimal_data() {
    QTest::addColumn<QString>("degrees");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QString>("hemisphere");
    QTest::addColumn<QString>("decimal");
    QTest::newRow("41 54 0 N") << "41"
                               << "54"
                               << "0"
                               << "N"
                               << "41.9";
    QTest::newRow("10 30 30 s") << "10"
                                << "30"
                                << "30"
                                << "s"
                                << "-10.508";
    QTest::newRow("12 30 30 N") << "12"
                                << "30"
                                << "30"
                                << "N"
                                << "12.508";
    QTest::newRow("half to even down") << "10"
                                       << "3"
                                       << "45"
                                       << "N"
                                       << "10.062";
    QTest::newRow("half to even up") << "10"
                                     << "11"
                                     << "15"
                                     << "N"
                                     << "10.188";
    QTest::newRow("0 3 45 S") << "0"
                              << "3"
                              << "45"
                              << "S"
                              << "-0.062";
    QTest::newRow("0 0 9 N") << "0"
                             << "0"
                             << "9"
                             << "N"
                             << "0.002";
    QTest::newRow("0 0 1 N") << "0"
                             << "0"
                             << "1"
                             << "N"
                             << "0";
    QTest::newRow("0 59 59 N") << "0"
                               << "59"
                               << "59"
                               << "N"
                               << "1";
    QTest::newRow("89 59 59 S") << "89"
                                << "59"
                                << "59"
                                << "S"
                                << "-90";
    QTest::newRow("90 0 0 N") << "90"
                              << "0"
                              << "0"
                              << "N"
                              << "90";
    QTest::newRow("10 75 0 N") << "10"
                               << "75"
                               << "0"
                               << "N"
                               << "11.25";
    QTest::newRow("99 99 99 S, no message") << "99"
                                            << "99"
                                            << "99"
                                            << "S"
                                            << "-100.677";
    QTest::newRow("all empty") << ""
                               << ""
                               << ""
                               << ""
                               << "0";
    QTest::newRow("45 0 0 n") << "45"
                              << "0"
                              << "0"
                              << "n"
                              << "45";
  }
  void dmsToDecimal() {
    QFETCH(QString, degrees);
    QFETCH(QString, minutes);
    QFETCH(QString, seconds);
    QFETCH(QString, hemisphere);
    QFETCH(QString, decimal);
    t.typeDegrees(QStringList{degrees, minutes, seconds, hemisphere}.join(QLatin1Char(',')));
    QTest::keyClick(t.box("txtLatNS"), Qt::Key_Left);  // a navigation key converts too
    QCOMPARE(t.box("txtLat")->text(), decimal);
    QCOMPARE(t.box("txtLatNS")->text(), hemisphere);
  }

  void onlyKeyReleasesConvert() {
    // Text that arrives without a key (pasted) is converted at the next key release.
    QLineEdit* grad = t.box("txtLatGrad");
    grad->setFocus(Qt::OtherFocusReason);
    grad->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("12"));
    grad->paste();
    QCOMPARE(grad->text(), QStringLiteral("12"));
    QCOMPARE(t.box("txtLat")->text(), QStringLiteral("41.9"));
    QTest::keyClick(grad, Qt::Key_End);
    QCOMPARE(t.box("txtLat")->text(), QStringLiteral("12.9"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
