// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

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

// The value of Qt's option `name` (-platform, -display) in the arguments, or nullptr.
const char* QtOption(int argc, char* argv[], const char* name) {
  for (int i = 1; i < argc; ++i) {
    // Qt takes "--platform" as well as "-platform".
    if (std::strcmp(argv[i], name) == 0 ||
        (argv[i][0] == '-' && std::strcmp(argv[i] + 1, name) == 0)) {
      return i + 1 < argc ? argv[i + 1] : "";
    }
  }
  return nullptr;
}

// Without a display Qt would abort with its plugin list; this says what to do instead. A
// platform named by -platform or QT_QPA_PLATFORM is left for Qt to judge.
bool DisplayMissing(int argc, char* argv[]) {
  if (QtOption(argc, argv, "-platform") != nullptr) {
    return false;
  }
  return !Given("QT_QPA_PLATFORM") && !Given("DISPLAY") && !Given("WAYLAND_DISPLAY");
}

// The X display that Qt is about to open, or nullptr where it would open none: another
// platform is named, or Wayland is there to be tried first.
std::optional<std::string> XDisplayToOpen(int argc, char* argv[]) {
  const char* platform = QtOption(argc, argv, "-platform");
  if (platform == nullptr && Given("QT_QPA_PLATFORM")) {
    platform = std::getenv("QT_QPA_PLATFORM");
  }
  if (platform != nullptr) {
    // "xcb", or "xcb:" with the plugin's own options; a list of platforms is Qt's to try.
    if (std::strcmp(platform, "xcb") != 0 && std::strncmp(platform, "xcb:", 4) != 0) {
      return std::nullopt;
    }
  } else if (Given("WAYLAND_DISPLAY")) {
    return std::nullopt;
  }
  if (const char* display = QtOption(argc, argv, "-display")) {
    return display;
  }
  return Given("DISPLAY") ? std::optional<std::string>(std::getenv("DISPLAY")) : std::nullopt;
}

// A connection to the X display, held until Qt has its own: were it the server's only client,
// its leaving would have the server reset (as Xvfb does without -noreset), refusing Qt's
// connection meanwhile.
struct Disconnect {
  void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using XConnection = std::unique_ptr<xcb_connection_t, Disconnect>;

// Connects to `display` into `held`; 0 where it opens, else libxcb's error, with the server's
// own reason for a refusal in `refusal`: libxcb writes that to standard error, from where it
// is taken into the program's one line.
int TryDisplay(const std::string& display, std::string& refusal, XConnection& held) {
  int reason[2] = {-1, -1};
  const int savedError = ::pipe2(reason, O_CLOEXEC | O_NONBLOCK) == 0 ? ::dup(STDERR_FILENO) : -1;
  if (savedError >= 0) {
    ::dup2(reason[1], STDERR_FILENO);
  }
  held.reset(xcb_connect(display.c_str(), nullptr));
  const int error = xcb_connection_has_error(held.get());
  if (savedError >= 0) {
    ::dup2(savedError, STDERR_FILENO);
    ::close(savedError);
    std::array<char, 512> text{};
    const ssize_t length = ::read(reason[0], text.data(), text.size());
    refusal.assign(text.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
    while (!refusal.empty() && std::isspace(static_cast<unsigned char>(refusal.back())) != 0) {
      refusal.pop_back();
    }
    std::replace(refusal.begin(), refusal.end(), '\n', ' ');
  }
  for (const int end : reason) {
    if (end >= 0) {
      ::close(end);
    }
  }
  return error;
}

// Qt aborts where it cannot open the X display (none answers there, or it refuses this user,
// as after ssh -X and then sudo); a connection of its own tries first. Nothing where it opens.
std::optional<std::string> UnopenedDisplay(const std::string& display, XConnection& held) {
  std::string refusal;
  const int error = TryDisplay(display, refusal, held);
  if (error == 0) {
    return std::nullopt;
  }
  std::string why = "the X display " + display + " could not be opened";
  if (!refusal.empty()) {
    why += " (" + refusal + "; see XAUTHORITY)";
  } else if (error == XCB_CONN_CLOSED_PARSE_ERR) {
    why += " (DISPLAY names no display)";
  } else if (error == XCB_CONN_ERROR) {
    why += " (no X server answers there)";
  }
  return why;
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
    std::fputs(
        "marovane: no display found (DISPLAY and WAYLAND_DISPLAY are not set); run "
        "\"xvfb-run -a marovane\" for a virtual one, or marovane-cli for the same files "
        "without a window\n",
        stderr);
    return 1;
  }
  XConnection probe;
  if (const std::optional<std::string> display = XDisplayToOpen(argc, argv)) {
    if (const std::optional<std::string> why = UnopenedDisplay(*display, probe)) {
      std::fprintf(stderr,
                   "marovane: %s; run \"xvfb-run -a marovane\" for a virtual one, or "
                   "marovane-cli for the same files without a window\n",
                   why->c_str());
      return 1;
    }
  }
  // The batch writes on a thread of its own, and this one takes the signals.
  marovane::RemoveTemporariesOnInterruption();
  QApplication app(argc, argv);
  probe.reset();
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
    // A batch worker is still held in a system call (a file system that does not answer): end
    // without tearing the libraries down, so that it cannot wake into a half-destroyed program.
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}
