// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up baselines, shown as the main window is shown: a bare Qt window with nothing in
// it, and (built with MAROVANE_BARE_TEXT) a bare main window with the program's two menu
// commands and one line of text, which pays, as every window that shows a word does, for the
// font configuration and the menu bar's style.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
#ifdef MAROVANE_BARE_TEXT
  QMainWindow window;
  window.menuBar()->addAction(QStringLiteral("Exit"));
  window.menuBar()->addAction(QStringLiteral("Help"));
  window.setCentralWidget(new QLabel(QStringLiteral("Latitude")));
#else
  QWidget window;
#endif
  window.resize(725, 266);
  window.show();
  return QApplication::exec();
}
