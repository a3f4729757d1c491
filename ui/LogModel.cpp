// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LogModel.hpp"

#include <algorithm>
#include <climits>
#include <cstddef>
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

// How far apart the same text may lie in two entries, where the fields before it differ in
// length ("-45.5" after "-45"), for the one to be taken from the other.
constexpr std::ptrdiff_t kShift = 8;
// A stretch shorter than this costs more to point at than to keep.
constexpr std::size_t kShortestCopy = 4;

// Where a stretch starts in each of two texts, and its length.
struct Stretch {
  std::size_t inMiddle = 0;
  std::size_t inBefore = 0;
  std::size_t length = 0;
};

// The longest stretch of `middle` that `before` holds `shift` bytes further along, if longer
// than `best`.
void LongestAt(std::string_view middle, std::string_view before, std::ptrdiff_t shift,
               Stretch& best) {
  const auto size = static_cast<std::ptrdiff_t>(middle.size());
  const auto beforeSize = static_cast<std::ptrdiff_t>(before.size());
  std::size_t run = 0;
  for (std::ptrdiff_t j = std::max<std::ptrdiff_t>(0, -shift); j < size && j + shift < beforeSize;
       ++j) {
    if (middle[static_cast<std::size_t>(j)] != before[static_cast<std::size_t>(j + shift)]) {
      run = 0;
    } else if (++run > best.length) {
      const auto start = static_cast<std::size_t>(j + 1) - run;
      best = {start, static_cast<std::size_t>(static_cast<std::ptrdiff_t>(start) + shift), run};
    }
  }
}

// The longest stretch of `middle` that `before` holds no more than kShift bytes further
// along or back. Entries of the same kind one after the other mostly line up, where the
// stretch is found at once.
Stretch LongestShared(std::string_view middle, std::string_view before) {
  Stretch best;
  LongestAt(middle, before, 0, best);
  if (2 * best.length >= middle.size()) {
    return best;
  }
  for (std::ptrdiff_t shift = 1; shift <= kShift; ++shift) {
    LongestAt(middle, before, shift, best);
    LongestAt(middle, before, -shift, best);
  }
  return best;
}

}  // namespace

// An entry is kept as: the length of the start it shares with the one before and of the end
// it shares with it; the bytes after that start; the length of a stretch taken from the one
// before and, unless it is 0, its place there and the bytes from there up to that end.
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
  Stretch copied;
  if (!runStarts) {
    const std::string_view before =
        std::string_view(last_).substr(head, last_.size() - head - tail);
    copied = LongestShared(middle, before);
  }
  if (copied.length < kShortestCopy) {
    copied = {middle.size(), 0, 0};
  }
  // At most 10 bytes for each of the six numbers.
  const std::size_t room = middle.size() + 60;
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
    runs_.push_back(
        {static_cast<std::uint32_t>(blocks_.size() - 1), static_cast<std::uint32_t>(block.size())});
  }
  PutNumber(block, head);
  PutNumber(block, tail);
  PutNumber(block, copied.inMiddle);
  block.append(middle.substr(0, copied.inMiddle));
  PutNumber(block, copied.length);
  if (copied.length > 0) {
    const std::string_view rest = middle.substr(copied.inMiddle + copied.length);
    PutNumber(block, head + copied.inBefore);
    PutNumber(block, rest.size());
    block.append(rest);
  }
  last_.assign(entry);
  ++count_;
}

void LogEntries::Next(const char*& at, std::string& entry, std::string& room) {
  const std::size_t head = TakeNumber(at);
  const std::size_t tail = TakeNumber(at);
  room.assign(entry, 0, head);
  const std::size_t before = TakeNumber(at);
  room.append(at, before);
  at += before;
  if (const std::size_t copied = TakeNumber(at); copied > 0) {
    room.append(entry, TakeNumber(at), copied);
    const std::size_t rest = TakeNumber(at);
    room.append(at, rest);
    at += rest;
  }
  room.append(entry, entry.size() - tail, tail);
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
