// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The batch log as the window lists it. Entries are only ever added, and those that follow
// each other mostly repeat each other ("Item 7 (abc): not a number, no file written." after
// "Item 6 (abc): ...", the same folder in every written file's entry), so each is kept as
// what differs from the one before: the length of the start and of the end it shares with it,
// and the bytes between, less one stretch taken from the one before. Every 16th entry is kept
// whole, and only where each run of 16 starts is indexed, so that any entry is read back from
// at most 16. A million entries then take from a few megabytes (failures of one item) to a
// few tens, where a list of items would take hundreds. The batch's worker hands its entries
// over kept so as well, so that many waiting to be shown cost as little.
namespace marovane::ui {

class LogEntries {
 public:
  void append(std::string_view entry);
  std::size_t size() const { return count_; }
  std::string at(std::size_t index) const;
  // Calls `visit` with each entry in turn, from the first.
  template <class Visit>
  void visitAll(Visit visit) const;
  void swap(LogEntries& other) noexcept;

 private:
  // The entry after `entry` from its bytes at `at`, which move past it.
  static void Next(const char*& at, std::string& entry, std::string& room);

  // A block is filled up to this size; a run never spans two blocks.
  static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
  static constexpr std::size_t kRun = 16;

  struct RunStart {
    std::uint32_t block;
    std::uint32_t offset;
  };

  std::vector<std::string> blocks_;
  std::vector<RunStart> runs_;
  std::string last_;  // the last entry, whole
  std::size_t count_ = 0;
};

template <class Visit>
void LogEntries::visitAll(Visit visit) const {
  std::string entry;
  std::string room;
  for (std::size_t run = 0; run < runs_.size(); ++run) {
    const char* at = blocks_[runs_[run].block].data() + runs_[run].offset;
    entry.clear();
    const std::size_t end = std::min(count_, (run + 1) * kRun);
    for (std::size_t i = run * kRun; i < end; ++i) {
      Next(at, entry, room);
      visit(std::string_view(entry));
    }
  }
}

class LogModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit LogModel(QObject* parent = nullptr);

  // Adds `entries` below the last one.
  void append(const LogEntries& entries);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  LogEntries entries_;
};

}  // namespace marovane::ui
