// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up baseline: a bare Qt window, nothing in it, shown as the main window is shown.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(725, 266);
  window.show();
  return QApplication::exec();
}
