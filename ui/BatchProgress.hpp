// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <memory>

class QListWidget;
class QProgressDialog;
class QWidget;

namespace marovane {
struct BatchResult;
}

// What the window shows while a batch runs: the log entries, added to the list a screenful at
// a time rather than one by one, and, once the run has taken longer than `showAfterMs`, a
// modal progress dialog with the count so far and a Cancel button. Between updates the window
// repaints; user input reaches it only through that dialog.
namespace marovane::ui {

class BatchProgress {
 public:
  // `inputSize` is the input file's size in bytes, 0 when it is not known.
  BatchProgress(QWidget* window, QListWidget* log, std::uintmax_t inputSize, int showAfterMs);
  ~BatchProgress();
  BatchProgress(const BatchProgress&) = delete;
  BatchProgress& operator=(const BatchProgress&) = delete;

  void log(const std::string& entry);
  // False once the user has asked to stop.
  bool advance(const BatchResult& soFar, std::uintmax_t bytesRead);
  // Shows the last entries and closes the dialog.
  void finish();

 private:
  void flush();

  QWidget* window_;
  QListWidget* list_;
  std::uintmax_t inputSize_;
  int showAfterMs_;
  QElapsedTimer sinceStart_;
  QElapsedTimer sinceUpdate_;
  QStringList pending_;
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace marovane::ui
