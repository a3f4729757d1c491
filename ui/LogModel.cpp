// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LogModel.hpp"

#include <algorithm>
#include <climits>
#include <utility>

namespace marovane::ui {

namespace {

void PutNumber(std::string& to, std::size_t number) {
  while (number >= 0x80) {
    to.push_back(static_cast<char>((number & 0x7F) | 0x80));
    number >>= 7;
  }
  to.push_back(static_cast<char>(number));
}

std::size_t TakeNumber(const char*& from) {
  std::size_t number = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(*from++);
    number |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if (byte < 0x80) {
      return number;
    }
  }
}

}  // namespace

void LogEntries::append(std::string_view entry) {
  const bool runStarts = count_ % kRun == 0;
  std::size_t head = 0;
  std::size_t tail = 0;
  if (!runStarts) {
    const std::size_t most = std::min(last_.size(), entry.size());
    while (head < most && last_[head] == entry[head]) {
      ++head;
    }
    while (tail < most - head && last_[last_.size() - 1 - tail] == entry[entry.size() - 1 - tail]) {
      ++tail;
    }
  }
  const std::string_view middle = entry.substr(head, entry.size() - head - tail);
  // At most 10 bytes for each of the three numbers.
  const std::size_t room = middle.size() + 30;
  if (blocks_.empty() || blocks_.back().size() + room > blocks_.back().capacity()) {
    // Reserved once, never grown: a block that doubled would hold twice its text for a while.
    // A run begun in the full block moves along, so that it lies in one block.
    std::string moved;
    if (!runStarts) {
      std::string& full = blocks_.back();
      moved.assign(full, runs_.back().offset);
      full.resize(runs_.back().offset);
    }
    blocks_.emplace_back().reserve(std::max(kBlockBytes, moved.size() + room));
    blocks_.back().append(moved);
    if (!runStarts) {
      runs_.back() = {static_cast<std::uint32_t>(blocks_.size() - 1), 0};
    }
  }
  std::string& block = blocks_.back();
  if (runStarts) {
    runs_.push_back({static_cast<std::uint32_t>(blocks_.size() - 1),
                     static_cast<std::uint32_t>(block.size())});
  }
  PutNumber(block, head);
  PutNumber(block, tail);
  PutNumber(block, middle.size());
  block.append(middle);
  last_.assign(entry);
  ++count_;
}

void LogEntries::Next(const char*& at, std::string& entry, std::string& room) {
  const std::size_t head = TakeNumber(at);
  const std::size_t tail = TakeNumber(at);
  const std::size_t middle = TakeNumber(at);
  room.assign(entry, 0, head);
  room.append(at, middle);
  room.append(entry, entry.size() - tail, tail);
  at += middle;
  entry.swap(room);
}

std::string LogEntries::at(std::size_t index) const {
  const RunStart start = runs_[index / kRun];
  const char* at = blocks_[start.block].data() + start.offset;
  std::string entry;
  std::string room;
  for (std::size_t i = index - index % kRun; i <= index; ++i) {
    Next(at, entry, room);
  }
  return entry;
}

void LogEntries::swap(LogEntries& other) noexcept {
  blocks_.swap(other.blocks_);
  runs_.swap(other.runs_);
  last_.swap(other.last_);
  std::swap(count_, other.count_);
}

LogModel::LogModel(QObject* parent) : QAbstractListModel(parent) {}

void LogModel::append(const LogEntries& entries) {
  const int first = rowCount();
  const std::size_t room = static_cast<std::size_t>(INT_MAX) - entries_.size();
  const std::size_t added = std::min(entries.size(), room);  // a view counts rows in int
  if (added == 0) {
    return;
  }
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(added) - 1);
  std::size_t taken = 0;
  entries.visitAll([&](std::string_view entry) {
    if (taken++ < added) {
      entries_.append(entry);
    }
  });
  endInsertRows();
}

int LogModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant LogModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
    return {};
  }
  const std::string entry = entries_.at(static_cast<std::size_t>(index.row()));
  return QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size()));
}

}  // namespace marovane::ui
