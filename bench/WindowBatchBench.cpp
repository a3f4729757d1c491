// SPDX-License-Identifier: GPL-3.0-or-later
// The window's batch beside the command line's batch of the same file: 10,000 and 100,000
// latitudes, the window offscreen with its boxes answered at once. Runs alternate, and the
// ratio of the medians is printed; the window should cost at most 1.5 times the command line.
//
// Usage: marovane_window_batch_bench [runs]   (QT_QPA_PLATFORM=offscreen is set if unset)
//        marovane_window_batch_bench --once FILE   one window batch of FILE, for bench/batch-memory
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/CommandLine.hpp"
#include "ui/Dialogs.hpp"
#include "ui/MainWindow.hpp"

namespace {

namespace fs = std::filesystem;

// Answers every box with its default and the file dialog with the input file.
class Answering final : public marovane::ui::Dialogs {
 public:
  explicit Answering(QString file) : file_(std::move(file)) {}
  QMessageBox::StandardButton message(QWidget*, const QString&, const QString&, QMessageBox::Icon,
                                      QMessageBox::StandardButtons,
                                      QMessageBox::StandardButton defaultButton) override {
    return defaultButton;
  }
  std::optional<QString> chooseFile(QWidget*) override { return file_; }
  std::optional<QString> chooseImageFile(QWidget*) override { return std::nullopt; }

 private:
  QString file_;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double SecondsOfCli(const fs::path& input) {
  const std::string in = input.string();
  const char* argv[] = {"marovane-cli", "--batch", in.c_str()};
  std::ofstream devNull("/dev/null");
  QElapsedTimer timer;
  timer.start();
  marovane::RunCommandLine(3, argv, devNull, devNull);
  return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double SecondsOfWindow(const fs::path& input) {
  Answering dialogs(QString::fromStdString(input.string()));
  marovane::ui::MainWindow window(dialogs);
  window.show();
  QCoreApplication::processEvents();
  auto* batch = window.findChild<QPushButton*>(QStringLiteral("Command2"));
  QElapsedTimer timer;
  timer.start();
  batch->click();
  QCoreApplication::processEvents();  // the log's last paint
  return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  if (argc == 3 && std::string(argv[1]) == "--once") {
    SecondsOfWindow(argv[2]);
    return 0;
  }
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const fs::path dir =
      fs::temp_directory_path() / ("marovane-window-bench-" + std::to_string(::getpid()));
  for (const int size : {10000, 100000}) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path input = dir / "lats.txt";
    {
      std::ofstream out(input);
      for (int i = 0; i < size; ++i) {
        out << static_cast<float>(i - size / 2) * (180.0f / static_cast<float>(size)) << "\n";
      }
    }
    SecondsOfCli(input);  // both then replace existing files
    std::vector<double> cli;
    std::vector<double> window;
    for (int r = 0; r < runs; ++r) {
      cli.push_back(SecondsOfCli(input));
      window.push_back(SecondsOfWindow(input));
    }
    std::printf(
        "%6d latitudes: command line %.3f s, window %.3f s (medians of %d), "
        "window / command line = %.2f (target: at most 1.5)\n",
        size, Median(cli), Median(window), runs, Median(window) / Median(cli));
    std::fflush(stdout);
  }
  fs::remove_all(dir);
  return 0;
}
