// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The batch log as the window lists it: entries of UTF-8 text held back to back in large
// blocks with one 8-byte index each, so that a million entries cost tens of megabytes rather
// than the hundreds that a list of items would. Entries are only ever added.
namespace marovane::ui {

class LogEntries {
 public:
  void append(std::string_view entry);
  std::size_t size() const { return starts_.size(); }
  std::string_view at(std::size_t index) const;

 private:
  // A block is filled up to this size; an entry never spans two blocks.
  static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

  std::vector<std::string> blocks_;
  std::vector<std::uint64_t> starts_;  // block index << 32 | offset in the block
};

class LogModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit LogModel(QObject* parent = nullptr);

  // Adds `entries` below the last one.
  void append(const std::vector<std::string>& entries);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  LogEntries entries_;
};

}  // namespace marovane::ui
