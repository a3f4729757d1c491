// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BatchProgress.hpp"

#include <QAbstractItemView>
#include <QEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QRect>
#include <QScreen>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "export/BatchItems.hpp"
#include "ui/LogModel.hpp"
#include "ui/Placement.hpp"

namespace marovane::ui {

namespace {

// Often enough to look live, seldom enough to cost nothing next to the files.
constexpr qint64 kUpdateMs = 50;
constexpr int kSteps = 1000;
// How long a worker asked to stop may take to reach the end of its file before it is left.
constexpr int kGraceMs = 500;

std::atomic<int> workersLeft{0};

QString CountText(const BatchResult& soFar) {
  return QString::fromStdString(BatchCountText(soFar.written, soFar.items));
}

// Centres `dialog` on `owner`, whole on the screen: before it is shown as it stands, and once
// more when a window manager has given it its frame, which moves its centre by half the title
// bar. Then it goes away, leaving the dialog where the user may move it.
class CentreOnOwner final : public QObject {
 public:
  CentreOnOwner(QWidget* dialog, QWidget* owner) : QObject(dialog), dialog_(dialog), owner_(owner) {
    dialog->adjustSize();
    place();
    dialog->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (watched == dialog_ && (type == QEvent::Move || type == QEvent::Resize) &&
        dialog_->isVisible() && dialog_->frameGeometry().size() != dialog_->size()) {
      dialog_->removeEventFilter(this);
      place();
      deleteLater();
    }
    return false;
  }

 private:
  void place() {
    if (owner_ == nullptr) {
      return;
    }
    dialog_->move(CentredOnOwner(owner_->frameGeometry(), dialog_->frameGeometry().size(),
                                 owner_->screen()->availableGeometry())
                      .topLeft());
  }

  QWidget* dialog_;
  QPointer<QWidget> owner_;
};

}  // namespace

// The queued signal by which the worker tells the window that there is something new. It
// belongs to no thread, so that whichever side lets go of it last may delete it.
class BatchSignal final : public QObject {
  Q_OBJECT

 signals:
  void changed();
};

// What the worker and the window share; the worker keeps it alive as long as it runs.
struct BatchProgress::Shared {
  std::mutex mutex;
  std::condition_variable endedCondition;
  // Guarded by `mutex`.
  LogEntries entries;  // logged, not yet shown, kept as the list keeps them
  BatchResult soFar;   // counts only
  std::uintmax_t bytesRead = 0;
  bool finished = false;
  BatchResult result;
  std::optional<std::string> error;
  bool left = false;  // the window went on without it
  // Lock-free.
  std::atomic<bool> stop{false};
  std::atomic<bool> done{false};
  std::atomic<bool> notified{false};
  BatchSignal signal;

  void notify() {
    if (!notified.exchange(true)) {
      emit signal.changed();
    }
  }
};

BatchProgress::BatchProgress(QWidget* window, QAbstractItemView* view, LogModel* log,
                             std::uintmax_t inputSize, int showAfterMs)
    : window_(window),
      view_(view),
      log_(log),
      inputSize_(inputSize),
      showAfterMs_(showAfterMs),
      shared_(std::make_shared<Shared>()) {
  connect(&shared_->signal, &BatchSignal::changed, this, &BatchProgress::changed,
          Qt::QueuedConnection);
  shared_->signal.moveToThread(nullptr);
  nextUpdate_.setSingleShot(true);
  connect(&nextUpdate_, &QTimer::timeout, this, &BatchProgress::update);
  grace_.setSingleShot(true);
  connect(&grace_, &QTimer::timeout, this, &BatchProgress::leaveWorker);
}

BatchProgress::~BatchProgress() = default;

int BatchProgress::WorkersLeft() {
  return workersLeft.load();
}

BatchResult BatchProgress::run(Run batch) {
  std::thread worker([shared = shared_, batch = std::move(batch)] { Work(shared, batch); });
  waitForTheWorker();
  return collect(worker);
}

void BatchProgress::Work(const std::shared_ptr<Shared>& shared, const Run& batch) {
  const BatchLog log = [&shared](const std::string& entry) {
    {
      const std::lock_guard lock(shared->mutex);
      if (shared->left) {
        return;
      }
      shared->entries.append(entry);
    }
    shared->notify();
  };
  const marovane::BatchProgress advance = [&shared](const BatchResult& soFar,
                                                    std::uintmax_t bytesRead) {
    {
      const std::lock_guard lock(shared->mutex);
      if (shared->left) {
        return false;
      }
      shared->soFar.written = soFar.written;
      shared->soFar.failed = soFar.failed;
      shared->soFar.items = soFar.items;
      shared->bytesRead = bytesRead;
    }
    shared->notify();
    return !shared->stop.load();
  };
  BatchResult result;
  std::optional<std::string> error;
  try {
    result = batch(log, advance, shared->stop);
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "an unknown failure";
  }
  bool left = false;
  {
    const std::lock_guard lock(shared->mutex);
    shared->finished = true;
    shared->result = std::move(result);
    shared->error = std::move(error);
    left = shared->left;
    if (left) {
      --workersLeft;
    }
  }
  shared->done = true;
  shared->endedCondition.notify_all();
  if (!left) {
    shared->notify();
  }
}

void BatchProgress::waitForTheWorker() {
  QEventLoop loop;
  loop_ = &loop;
  if (showAfterMs_ > 0) {
    // Until the dialog shows, keys and clicks wait, as they would for a busy window.
    QTimer showTime;
    showTime.setSingleShot(true);
    connect(&showTime, &QTimer::timeout, &loop, &QEventLoop::quit);
    showTime.start(showAfterMs_);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  if (!ended_) {
    showDialog();
    if (!ended_) {
      loop.exec();
    }
  }
  loop_ = nullptr;
  if (!ended_) {
    // The loop was ended from outside, as the program closes: stop the worker as Cancel does.
    shared_->stop = true;
    std::unique_lock lock(shared_->mutex);
    shared_->endedCondition.wait_for(lock, std::chrono::milliseconds(kGraceMs),
                                     [this] { return shared_->finished; });
    lock.unlock();
    leaveWorker();
  }
  dialog_.reset();
  grace_.stop();
  nextUpdate_.stop();
}

BatchResult BatchProgress::collect(std::thread& worker) {
  bool left = false;
  BatchResult result;
  std::optional<std::string> error;
  LogEntries entries;
  {
    const std::lock_guard lock(shared_->mutex);
    entries.swap(shared_->entries);
    left = shared_->left;
    result = left ? shared_->soFar : shared_->result;
    error = shared_->error;
  }
  if (left) {
    worker.detach();
    result.stopped = true;
    entries.append(StoppedEntry(result.items));
  } else {
    worker.join();
  }
  if (log_ != nullptr && entries.size() > 0) {
    log_->append(entries);
    if (view_ != nullptr) {
      view_->scrollToBottom();
    }
  }
  if (error) {
    throw std::runtime_error(*error);
  }
  return result;
}

void BatchProgress::changed() {
  const qint64 since = sinceUpdate_.isValid() ? sinceUpdate_.elapsed() : kUpdateMs;
  if (since >= kUpdateMs || shared_->done) {
    update();
  } else if (!nextUpdate_.isActive()) {
    nextUpdate_.start(static_cast<int>(kUpdateMs - since));
  }
}

void BatchProgress::update() {
  if (ended_) {
    return;
  }
  if (updating_) {
    // A modal progress dialog runs the event loop while it takes a value.
    nextUpdate_.start(static_cast<int>(kUpdateMs));
    return;
  }
  updating_ = true;
  sinceUpdate_.restart();
  shared_->notified = false;
  LogEntries entries;
  BatchResult soFar;
  std::uintmax_t bytesRead = 0;
  bool finished = false;
  {
    const std::lock_guard lock(shared_->mutex);
    entries.swap(shared_->entries);
    soFar = shared_->soFar;
    bytesRead = shared_->bytesRead;
    finished = shared_->finished;
  }
  if (log_ != nullptr && entries.size() > 0) {
    log_->append(entries);
    if (view_ != nullptr) {
      view_->scrollToBottom();
    }
  }
  if (finished) {
    ended_ = true;
    if (loop_ != nullptr) {
      loop_->quit();
    }
  } else if (dialog_) {
    dialog_->setLabelText(CountText(soFar));
    if (inputSize_ > 0) {
      const auto step = std::min<std::uintmax_t>(bytesRead * kSteps / inputSize_, kSteps);
      dialog_->setValue(static_cast<int>(step));
    }
  }
  updating_ = false;
}

void BatchProgress::showDialog() {
  dialog_ = std::make_unique<QProgressDialog>(window_);
  dialog_->setObjectName(QStringLiteral("BatchProgress"));
  dialog_->setWindowTitle(QStringLiteral("Marovane"));
  dialog_->setWindowModality(Qt::ApplicationModal);
  dialog_->setAutoReset(false);
  dialog_->setAutoClose(false);
  dialog_->setMinimumDuration(0);
  dialog_->setRange(0, inputSize_ > 0 ? kSteps : 0);  // no size known: a busy bar
  // As wide as the counts will grow, so that it stays centred while they do.
  BatchResult widest;
  widest.written = 99999999;
  widest.items = 99999999;
  dialog_->setLabelText(CountText(widest));
  dialog_->adjustSize();
  dialog_->setMinimumWidth(dialog_->width());
  {
    const std::lock_guard lock(shared_->mutex);
    dialog_->setLabelText(CountText(shared_->soFar));
  }
  connect(dialog_.get(), &QProgressDialog::canceled, this, &BatchProgress::cancel);
  // Centred on the window, wherever the window is now.
  new CentreOnOwner(dialog_.get(), window_);
  dialog_->show();
}

void BatchProgress::cancel() {
  shared_->stop = true;
  if (!ended_ && !grace_.isActive()) {
    grace_.start(kGraceMs);
  }
}

void BatchProgress::leaveWorker() {
  if (ended_) {
    return;
  }
  bool finished = false;
  {
    const std::lock_guard lock(shared_->mutex);
    finished = shared_->finished;
    if (!finished) {
      shared_->left = true;
      ++workersLeft;
    }
  }
  if (finished) {
    update();  // it made it after all: its own result stands
    return;
  }
  ended_ = true;
  if (loop_ != nullptr) {
    loop_->quit();
  }
}

}  // namespace marovane::ui

#include "BatchProgress.moc"
