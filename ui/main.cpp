#include <QApplication>

#include "ui/Dialogs.hpp"
#include "ui/MainWindow.hpp"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Marovane"));
  marovane::ui::QtDialogs dialogs;
  marovane::ui::MainWindow window(dialogs);
  window.show();
  window.activateWindow();
  return QApplication::exec();
}
