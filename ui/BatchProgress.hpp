// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "export/Batch.hpp"

class QAbstractItemView;
class QEventLoop;
class QProgressDialog;
class QWidget;

// What the window shows while a batch runs. The batch runs on a worker thread; its log entries
// and its count come back by a queued signal and are shown at most every 50 ms, so the window
// repaints all along. Once the run has taken longer than `showAfterMs` a modal progress dialog,
// centred on the window, shows the count and a Cancel button; until then user input waits.
//
// Cancel asks the worker to stop after the file it is writing; one that waits for its input (a
// named pipe nobody writes to) sees the stop there and ends too. A worker that does not come
// to that point soon, held in a system call that no stop reaches (a file system that does not
// answer), is left behind: the window tells that the batch was stopped and goes on, and the
// worker ends when the call returns, writing nothing more into the window.
namespace marovane::ui {

class LogModel;

class BatchProgress final : public QObject {
  Q_OBJECT

 public:
  // The batch itself, run on the worker thread with the callbacks it is to call there.
  using Run = std::function<BatchResult(const BatchLog& log, const marovane::BatchProgress& advance,
                                        const std::atomic<bool>& stop)>;

  // `inputSize` is the input file's size in bytes, 0 when it is not known.
  BatchProgress(QWidget* window, QAbstractItemView* view, LogModel* log, std::uintmax_t inputSize,
                int showAfterMs);
  ~BatchProgress() override;
  BatchProgress(const BatchProgress&) = delete;
  BatchProgress& operator=(const BatchProgress&) = delete;

  // Runs `run` on a worker thread and returns its result once it ends, or the result so far
  // once the user stopped it. An exception on the worker is thrown again here.
  BatchResult run(Run run);

  // Workers left behind and still held up. The program ends without tearing
  // down its libraries while there are any, so that none wakes into a half-destroyed process.
  static int WorkersLeft();

 private:
  struct Shared;

  // The worker's whole run: the batch, its entries and counts passed to `shared`, its end.
  static void Work(const std::shared_ptr<Shared>& shared, const Run& batch);
  // Runs the window's events until the worker ends or is left behind.
  void waitForTheWorker();
  // Takes the worker's entries into the log and its result, once it ended or was left.
  BatchResult collect(std::thread& worker);

  void changed();
  void update();
  void showDialog();
  void cancel();
  void leaveWorker();

  QPointer<QWidget> window_;
  QPointer<QAbstractItemView> view_;
  QPointer<LogModel> log_;
  std::uintmax_t inputSize_;
  int showAfterMs_;
  std::shared_ptr<Shared> shared_;
  QElapsedTimer sinceUpdate_;
  QTimer nextUpdate_;
  QTimer grace_;
  QEventLoop* loop_ = nullptr;
  bool updating_ = false;
  bool ended_ = false;  // the worker finished, or was left behind
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace marovane::ui
