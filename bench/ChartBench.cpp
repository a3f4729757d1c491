// SPDX-License-Identifier: GPL-3.0-or-later
// The chart window's speed, offscreen: opening it from the menu, and redrawing it after a key
// released in the decimal box, each beside its baseline in the same run (showing the main
// window; the same key without a chart). Medians over repeated runs; both must stay under
// 30 ms, and the exit status says whether they did.

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "ui/ChartWindow.hpp"
#include "ui/Dialogs.hpp"
#include "ui/MainWindow.hpp"

namespace {

using marovane::ui::MainWindow;

constexpr int kOpenRuns = 40;
constexpr int kKeyRuns = 400;
constexpr double kLimitMs = 30.0;

double MedianMs(std::vector<qint64> nanoseconds) {
  std::sort(nanoseconds.begin(), nanoseconds.end());
  const std::size_t n = nanoseconds.size();
  const double middle = n % 2 == 1 ? static_cast<double>(nanoseconds[n / 2])
                                   : (static_cast<double>(nanoseconds[n / 2 - 1]) +
                                      static_cast<double>(nanoseconds[n / 2])) /
                                         2.0;
  return middle / 1e6;
}

// Runs `work` and the painting it asks for, as far as the next frame.
qint64 Timed(const std::function<void()>& work, const std::function<QWidget*()>& painted) {
  QElapsedTimer clock;
  clock.start();
  work();
  // The chart lays itself out and marks what changed through posted events, which may post
  // more: run them out before the last, synchronous paint.
  for (int i = 0; i < 4; ++i) {
    QApplication::processEvents();
  }
  painted()->repaint();
  return clock.nsecsElapsed();
}

std::unique_ptr<MainWindow> ShownWindow(marovane::ui::Dialogs& dialogs) {
  auto window = std::make_unique<MainWindow>(dialogs);
  window->show();
  window->activateWindow();
  QApplication::setActiveWindow(window.get());
  QApplication::processEvents();
  return window;
}

// A key typed at the end of the decimal box and taken back: two key releases, two valid
// latitudes (41.95 and 41.9).
std::vector<qint64> KeyTimes(MainWindow& window, QWidget* painted) {
  auto* lat = window.findChild<QLineEdit*>(QStringLiteral("txtLat"));
  lat->setFocus(Qt::OtherFocusReason);
  lat->end(false);
  std::vector<qint64> times;
  for (int i = 0; i < kKeyRuns; ++i) {
    const Qt::Key key = i % 2 == 0 ? Qt::Key_5 : Qt::Key_Backspace;
    times.push_back(Timed([&] { QTest::keyClick(lat, key); }, [painted] { return painted; }));
  }
  return times;
}

bool Report(const char* what, double ms, const char* baseline, double baselineMs) {
  std::printf("%-34s median %7.3f ms   %-34s median %7.3f ms   ratio %5.2f\n", what, ms, baseline,
              baselineMs, ms / baselineMs);
  return ms < kLimitMs;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  marovane::ui::QtDialogs dialogs;

  std::vector<qint64> openMain;
  std::vector<qint64> openChart;
  for (int i = 0; i < kOpenRuns; ++i) {
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<MainWindow> window = ShownWindow(dialogs);
    window->repaint();
    openMain.push_back(clock.nsecsElapsed());
    auto* chart = window->findChild<QAction*>(QStringLiteral("mnuChart"));
    openChart.push_back(
        Timed([&] { chart->trigger(); }, [&window] { return window->chartWindow(); }));
  }

  std::vector<qint64> keyAlone;
  std::vector<qint64> keyWithChart;
  {
    std::unique_ptr<MainWindow> window = ShownWindow(dialogs);
    keyAlone = KeyTimes(*window, window.get());
    window->findChild<QAction*>(QStringLiteral("mnuChart"))->trigger();
    QApplication::processEvents();
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    keyWithChart = KeyTimes(*window, window->chartWindow());
  }

  const double open = MedianMs(openChart);
  const double update = MedianMs(keyWithChart);
  std::printf("Chart window, offscreen, %d openings and %d key releases (limit %.0f ms each)\n",
              kOpenRuns, kKeyRuns, kLimitMs);
  const bool openFast =
      Report("open the chart from the menu", open, "open the main window", MedianMs(openMain));
  const bool updateFast =
      Report("key release, chart redrawn", update, "key release, no chart", MedianMs(keyAlone));
  return openFast && updateFast ? 0 : 1;
}
