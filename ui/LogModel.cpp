// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LogModel.hpp"

#include <algorithm>
#include <climits>

namespace marovane::ui {

void LogEntries::append(std::string_view entry) {
  if (blocks_.empty() || blocks_.back().size() + entry.size() > blocks_.back().capacity()) {
    // Reserved once, never grown: a block that doubled would hold twice its text for a while.
    blocks_.emplace_back().reserve(std::max(kBlockBytes, entry.size()));
  }
  std::string& block = blocks_.back();
  starts_.push_back(static_cast<std::uint64_t>(blocks_.size() - 1) << 32 | block.size());
  block.append(entry);
}

std::string_view LogEntries::at(std::size_t index) const {
  const std::uint64_t start = starts_[index];
  const std::string& block = blocks_[start >> 32];
  const std::size_t offset = start & 0xFFFFFFFFu;
  std::size_t end = block.size();
  if (index + 1 < starts_.size() && starts_[index + 1] >> 32 == start >> 32) {
    end = starts_[index + 1] & 0xFFFFFFFFu;
  }
  return std::string_view(block).substr(offset, end - offset);
}

LogModel::LogModel(QObject* parent) : QAbstractListModel(parent) {}

void LogModel::append(const std::vector<std::string>& entries) {
  const int first = rowCount();
  const std::size_t room = static_cast<std::size_t>(INT_MAX) - entries_.size();
  const std::size_t added = std::min(entries.size(), room);  // a view counts rows in int
  if (added == 0) {
    return;
  }
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(added) - 1);
  for (std::size_t i = 0; i < added; ++i) {
    entries_.append(entries[i]);
  }
  endInsertRows();
}

int LogModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant LogModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
    return {};
  }
  const std::string_view entry = entries_.at(static_cast<std::size_t>(index.row()));
  return QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size()));
}

}  // namespace marovane::ui
