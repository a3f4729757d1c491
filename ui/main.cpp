// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Version.hpp"
#include "export/OutputFile.hpp"
#include "ui/BatchProgress.hpp"
#include "ui/Dialogs.hpp"
#include "ui/MainWindow.hpp"

namespace {

const char* const kHelp =
    "Usage: marovane [OPTIONS]\n"
    "\n"
    "Opens Marovane's window: the annual cycle of daily extraterrestrial solar radiation for a\n"
    "latitude, aggregated to days, weeks, dekads or months, in one of seven units, written as a\n"
    "comma-separated file; Batch Mode writes one file for every latitude of a text file.\n"
    "\n"
    "Options:\n"
    "  -h, --help     Print this help and exit\n"
    "  --version      Print the version and exit\n"
    "\n"
    "Qt's own options are accepted too, such as -platform offscreen to run without a display.\n"
    "The same files come from the command line: see marovane-cli --help.\n";

// --help and --version answer before the window system is opened, so that they work without a
// display. 0 when one of them was answered, -1 to go on and open the window.
int AnswerWithoutWindow(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("marovane %s\n", marovane::kVersion);
      return 0;
    }
  }
  return -1;
}

bool Given(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && value[0] != '\0';
}

// Without a display Qt would abort with its plugin list; this says what to do instead. A
// platform named by -platform or QT_QPA_PLATFORM is left for Qt to judge.
bool DisplayMissing(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
      return false;
    }
  }
  return !Given("QT_QPA_PLATFORM") && !Given("DISPLAY") && !Given("WAYLAND_DISPLAY");
}

// The icon from its pictures, read as PNG and nothing else: a reader left to guess the format
// would load every image plugin there is to ask each of them first.
QIcon WindowIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128}) {
    QImageReader reader(QStringLiteral(":/icons/marovane-%1.png").arg(size), "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (!image.isNull()) {
      icon.addPixmap(QPixmap::fromImage(image));
    }
  }
  return icon;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (const int answered = AnswerWithoutWindow(argc, argv); answered >= 0) {
    return answered;
  }
  if (DisplayMissing(argc, argv)) {
    std::fputs("marovane: no display found (DISPLAY and WAYLAND_DISPLAY are not set); run "
               "\"xvfb-run -a marovane\" for a virtual one, or marovane-cli for the same files "
               "without a window\n",
               stderr);
    return 1;
  }
  // The batch writes on a thread of its own, and this one takes the signals.
  marovane::RemoveTemporariesOnInterruption();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Marovane"));
  QApplication::setApplicationVersion(QString::fromLatin1(marovane::kVersion));
  // The desktop entry's name, by which the desktop matches the window to its menu entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Marovane"));
  QApplication::setWindowIcon(WindowIcon());
  marovane::ui::QtDialogs dialogs;
  marovane::ui::MainWindow window(dialogs);
  window.show();
  window.activateWindow();
  const int status = QApplication::exec();
  if (marovane::ui::BatchProgress::WorkersLeft() > 0) {
    // A batch worker still waits in its input (a named pipe that nobody writes to): end
    // without tearing the libraries down, so that it cannot wake into a half-destroyed program.
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}
