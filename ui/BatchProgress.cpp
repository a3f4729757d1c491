// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BatchProgress.hpp"

#include <QCoreApplication>
#include <QListWidget>
#include <QProgressDialog>

#include "export/Batch.hpp"

namespace marovane::ui {

namespace {

// Often enough to look live, seldom enough to cost nothing next to the files.
constexpr qint64 kUpdateMs = 50;
constexpr int kSteps = 1000;

}  // namespace

BatchProgress::BatchProgress(QWidget* window, QListWidget* log, std::uintmax_t inputSize,
                             int showAfterMs)
    : window_(window), list_(log), inputSize_(inputSize), showAfterMs_(showAfterMs) {
  sinceStart_.start();  // the first item updates at once: sinceUpdate_ starts invalid
}

BatchProgress::~BatchProgress() = default;

void BatchProgress::log(const std::string& entry) {
  pending_.append(QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())));
}

void BatchProgress::flush() {
  if (!pending_.isEmpty()) {
    list_->addItems(pending_);
    pending_.clear();
    list_->scrollToBottom();
  }
}

bool BatchProgress::advance(const BatchResult& soFar, std::uintmax_t bytesRead) {
  if (sinceUpdate_.isValid() && sinceUpdate_.elapsed() < kUpdateMs) {
    return !(dialog_ && dialog_->wasCanceled());
  }
  sinceUpdate_.restart();
  flush();
  if (!dialog_ && sinceStart_.elapsed() >= showAfterMs_) {
    dialog_ = std::make_unique<QProgressDialog>(window_);
    dialog_->setObjectName(QStringLiteral("BatchProgress"));
    dialog_->setWindowTitle(QStringLiteral("Marovane"));
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setMinimumDuration(0);
    dialog_->setRange(0, inputSize_ > 0 ? kSteps : 0);  // no size known: a busy bar
    dialog_->show();
  }
  if (dialog_) {
    dialog_->setLabelText(QStringLiteral("%1 files written, %2 items read.")
                              .arg(soFar.written)
                              .arg(soFar.items));
    if (inputSize_ > 0) {
      const auto step = std::min<std::uintmax_t>(bytesRead * kSteps / inputSize_, kSteps);
      dialog_->setValue(static_cast<int>(step));
    }
    // The dialog is modal: the user reaches only its Cancel button.
    QCoreApplication::processEvents();
    return !dialog_->wasCanceled();
  }
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  return true;
}

void BatchProgress::finish() {
  flush();
  dialog_.reset();
}

}  // namespace marovane::ui
