// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/Batch.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#endif

#include "export/BatchItems.hpp"
#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"
#include "text/ShownText.hpp"

namespace marovane {

namespace {

namespace fs = std::filesystem;

// How often a read that waits for a pipe looks whether the run was stopped meanwhile.
constexpr int kStopLookMs = 50;

// The input, opened; `waits` when reads must wait for data to come (a pipe, a socket, a
// terminal), the stream then being non-blocking.
struct OpenedInput {
  std::FILE* stream = nullptr;
  bool waits = false;
};

// Opens the input without waiting for a writer: open() of a named pipe that nobody writes to
// would wait for one where no stop reaches it. Reads of such an input then wait in poll(),
// in steps that see a stop. nullptr and errno set on failure.
OpenedInput OpenInput(const fs::path& file) {
#ifdef _WIN32
  return {OpenFile(file, "rb"), false};
#else
  const int descriptor = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    return {};
  }
  struct stat status {};
  const bool known = ::fstat(descriptor, &status) == 0;
  const int flags = ::fcntl(descriptor, F_GETFL);
  const bool waits =
      known && (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode) || S_ISCHR(status.st_mode));
  std::FILE* stream = nullptr;
  if (known && flags >= 0 && (waits || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0)) {
    stream = ::fdopen(descriptor, "rb");
  }
  if (stream == nullptr) {
    const int error = errno;
    ::close(descriptor);
    errno = error;
  }
  return {stream, waits};
#endif
}

// Reads the items of the input one at a time, keeping no more than one short item in memory,
// whatever the input's size.
class ItemReader {
 public:
  enum class Next { Item, End, ReadError, RunsOn, Stopped };

  // `waits` as OpenInput tells; `stop`, when given, ends a wait for the input with Stopped.
  explicit ItemReader(std::FILE* stream, bool waits = false,
                      const std::atomic<bool>* stop = nullptr)
      : stream_(stream), waits_(waits), stop_(stop) {}

  // The next item in `item` (at most kLongestItem + 1 bytes of it) and its whole length.
  Next next(std::string& item, std::uintmax_t& length) {
    for (;;) {
      const BatchItemSplitter::Next next = splitter_.next();
      if (next == BatchItemSplitter::Next::RunsOn) {
        return Next::RunsOn;
      }
      if (next == BatchItemSplitter::Next::More && !fill()) {
        if (stopped_) {
          return Next::Stopped;
        }
        if (error_ != 0) {
          return Next::ReadError;
        }
        if (!splitter_.end()) {
          return Next::End;
        }
      } else if (next == BatchItemSplitter::Next::More) {
        continue;
      }
      item.assign(splitter_.item());
      length = splitter_.length();
      return Next::Item;
    }
  }

  std::uintmax_t bytesRead() const { return splitter_.taken(); }
  int error() const { return error_; }

 private:
  // The next piece of the input for the splitter; false at its end, on an error (in error_)
  // or once stopped.
  bool fill() {
    const std::size_t size =
        waits_ ? readWhenReady() : std::fread(buffer_.data(), 1, buffer_.size(), stream_);
    if (size == 0 && !waits_ && std::ferror(stream_) != 0) {
      error_ = errno != 0 ? errno : EIO;
    }
    splitter_.feed(std::string_view(buffer_.data(), size));
    return size > 0;
  }

  // What a pipe has, once it has something or its writers are gone; 0 at its end, on an
  // error (in error_) or once stopped.
  std::size_t readWhenReady() {
#ifdef _WIN32
    return std::fread(buffer_.data(), 1, buffer_.size(), stream_);
#else
    const int descriptor = ::fileno(stream_);
    for (;;) {
      if (stop_ != nullptr && stop_->load()) {
        stopped_ = true;
        return 0;
      }
      // Polled before each read: a named pipe that no writer has opened yet reads as ended.
      pollfd ready{descriptor, POLLIN, 0};
      const int polled = ::poll(&ready, 1, stop_ != nullptr ? kStopLookMs : -1);
      if (polled < 0 && errno != EINTR) {
        error_ = errno;
        return 0;
      }
      if (polled <= 0) {
        continue;
      }
      const ssize_t got = ::read(descriptor, buffer_.data(), buffer_.size());
      if (got >= 0) {
        return static_cast<std::size_t>(got);
      }
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        error_ = errno;
        return 0;
      }
    }
#endif
  }

  std::FILE* stream_;
  bool waits_;
  const std::atomic<bool>* stop_;
  std::array<char, 65536> buffer_{};
  BatchItemSplitter splitter_;
  int error_ = 0;
  bool stopped_ = false;
};

// One item of the input: either the file to write for it, or why there is none.
struct PlannedFile {
  std::string itemPrefix;  // "Item 3 (abc): ", which starts an entry about a failure
  std::string refusal;     // why the item gets no file; empty when it gets one
  float latitude = 0.0f;
  fs::path output;
  fs::path outputName;           // its last part, made here rather than by the writing thread
  std::string bytes;             // computed apart, by whichever thread is free
  std::string writtenEntry;      // " 41.9 /data/lats41.9.out", the entry after its count
  std::uintmax_t bytesRead = 0;  // of the input, up to the end of this item
};

// The item checked and named; its bytes are computed later.
PlannedFile Plan(std::int64_t number, const std::string& item, std::uintmax_t length,
                 const fs::path& input) {
  PlannedFile file;
  file.itemPrefix = BatchItemPrefix(number, item);
  const BatchItem checked = CheckBatchItem(item, length);
  if (!checked.refusal.empty()) {
    file.refusal = checked.refusal + ", no file written.";
    return file;
  }
  const float latitude = file.latitude = checked.latitude;
  file.output = BatchOutputName(input, latitude);
  file.outputName = file.output.filename();
  file.writtenEntry.append(" ").append(SingleText(latitude)).append(" ");
  file.writtenEntry.append(ShownPath(Utf8Path(file.output)));
  return file;
}

// Writes or refuses one planned item and logs it; `entry` is room for the log's entry. An
// output that is the input (a link to it under an output's name) is refused.
void Complete(const PlannedFile& file, OutputFolder* folder, const FileIdentity& input,
              BatchResult& result, const BatchLog& log, std::string& entry) {
  ++result.items;
  if (!file.refusal.empty()) {
    ++result.failed;
    log(file.itemPrefix + file.refusal);
    return;
  }
  try {
    if (folder != nullptr) {
      folder->write(file.outputName, file.bytes);
    } else if (SameFile(IdentityOf(file.output), input)) {
      throw FileError(file.output, "Cannot write", "it is the input file");
    } else {
      WriteFileBytes(file.output, file.bytes);
    }
  } catch (const FileError& e) {
    ++result.failed;
    log(file.itemPrefix + ShownPath(e.what()));
    return;
  }
  ++result.written;
  std::array<char, 24> count{};
  char* const end = std::to_chars(count.data(), count.data() + count.size(), result.written).ptr;
  entry.assign(count.data(), end).append(file.writtenEntry);
  log(entry);
}

// Closes the input file whatever way the run ends.
struct InputFile {
  std::FILE* stream;
  ~InputFile() {
    if (stream != nullptr) {
      std::fclose(stream);
    }
  }
};

// A thread that never takes SIGINT, SIGTERM, SIGHUP or SIGQUIT: they go to the writing thread,
// which, where no handler removes a temporary name, holds them back while a file of its has
// one, so an interrupted run leaves whole files only.
template <typename Run>
std::thread WithoutInterruptions(Run run) {
#ifdef _WIN32
  return std::thread(std::move(run));
#else
  sigset_t held;
  sigset_t previous;
  sigemptyset(&held);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    sigaddset(&held, signal);
  }
  pthread_sigmask(SIG_BLOCK, &held, &previous);
  std::thread thread(std::move(run));  // takes the mask of the thread that starts it
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return thread;
#endif
}

// Consecutive items, handed over together: one by one would cost more than computing them.
struct PlannedBlock {
  enum class State { Planned, Computing, Computed };
  std::vector<PlannedFile> files;
  State state = State::Planned;
  std::exception_ptr error;  // what computing the files threw
};

std::vector<PlannedBlock> Reserved(std::size_t blocks) {
  std::vector<PlannedBlock> reserved;
  reserved.reserve(blocks);
  return reserved;
}

// Computes the bytes of each file of `block` that gets one.
void Compute(PlannedBlock& block, const CycleChoice& choice) noexcept {
  try {
    for (PlannedFile& file : block.files) {
      if (file.refusal.empty()) {
        file.bytes = AnnualCycleText(file.latitude, choice);
      }
    }
  } catch (...) {
    block.error = std::current_exception();
  }
}

// Reads and checks the items on a thread of its own, a few blocks ahead of the calling thread,
// which writes and logs them in their order. Computing the files, the larger part of the work,
// falls to whichever thread is free: the planner computes the oldest block nobody has started,
// and the writer, rather than wait for a block, computes one itself. So the two threads share
// the work however fast the disk is. The queue stays short, so memory stays flat and a stop
// wastes little; a thread is woken only when it waits.
class Planner {
 public:
  static constexpr std::size_t kBlock = 16;
  static constexpr std::size_t kQueued = 8;

  Planner(const OpenedInput& input, const fs::path& inputPath, const CycleChoice& choice,
          const std::atomic<bool>* stop)
      : reader_(input.stream, input.waits, stop),
        inputPath_(inputPath),
        choice_(choice),
        spent_(Reserved(kQueued)),
        thread_(WithoutInterruptions([this] { run(); })) {}

  ~Planner() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  Planner(const Planner&) = delete;
  Planner& operator=(const Planner&) = delete;

  // The next block with its files computed, in the order of the input; `last` tells whether
  // the input ends with it. `spent`, the block written before, goes back to the planner, which
  // refills it: its memory is freed by the thread that allocated it, not by this one, which
  // would wait for that thread's allocator.
  PlannedBlock take(bool& last, PlannedBlock spent) {
    std::unique_lock lock(mutex_);
    if (!spent.files.empty() && !ended_ && spent_.size() < spent_.capacity()) {
      spent_.push_back(std::move(spent));
    }
    for (;;) {
      if (!queue_.empty() && queue_.front().state == PlannedBlock::State::Computed) {
        PlannedBlock block = std::move(queue_.front());
        queue_.pop_front();
        last = ended_ && queue_.empty();
        const bool wake = plannerWaits_ && queue_.size() <= kQueued / 2;
        lock.unlock();
        if (wake) {
          changed_.notify_all();
        }
        return block;
      }
      if (queue_.empty() && ended_) {
        last = true;
        return {};
      }
      if (!computeNext(lock)) {
        writerWaits_ = true;
        changed_.wait(lock);
        writerWaits_ = false;
      }
    }
  }

  // After the last block: why the input could not be read to its end, empty when it could.
  // Rethrows what stopped the reading.
  std::string readFailure() {
    const std::lock_guard lock(mutex_);
    if (error_) {
      std::rethrow_exception(error_);
    }
    return readFailure_;
  }

  // After the last block: whether the reading ended on a stop, while it waited for the input.
  bool readingStopped() {
    const std::lock_guard lock(mutex_);
    return readingStopped_;
  }

 private:
  void run() {
    PlannedBlock block;
    std::string failure;
    try {
      std::string item;
      std::uintmax_t length = 0;
      std::int64_t number = 0;
      // One item is read ahead, so that the last block is known as the last.
      ItemReader::Next next = reader_.next(item, length);
      for (bool ends = false; !ends;) {
        if (!makeRoom(block)) {
          return;
        }
        block.files.reserve(kBlock);
        while (next == ItemReader::Next::Item && block.files.size() < kBlock) {
          block.files.push_back(Plan(++number, item, length, inputPath_));
          block.files.back().bytesRead = reader_.bytesRead();
          next = reader_.next(item, length);
        }
        if (next == ItemReader::Next::ReadError) {
          failure = std::generic_category().message(reader_.error());
        } else if (next == ItemReader::Next::RunsOn) {
          failure = RunsOnReason(number + 1);
        }
        ends = next != ItemReader::Next::Item;
        if (next == ItemReader::Next::Stopped) {
          const std::lock_guard lock(mutex_);
          readingStopped_ = true;
        }
        queue(block, ends, failure, {});
      }
    } catch (const std::bad_alloc&) {
      failure = "out of memory";  // short enough to need no memory of its own
      queue(block, true, failure, {});
    } catch (...) {
      queue(block, true, failure, std::current_exception());
    }
    // What is left to compute, with the writer.
    std::unique_lock lock(mutex_);
    while (!stopping_ && computeNext(lock)) {
    }
  }

  // Computes the oldest block nobody has started, with `lock` released meanwhile; false when
  // there is none.
  bool computeNext(std::unique_lock<std::mutex>& lock) {
    const auto next = std::find_if(queue_.begin(), queue_.end(), [](const PlannedBlock& b) {
      return b.state == PlannedBlock::State::Planned;
    });
    if (next == queue_.end()) {
      return false;
    }
    PlannedBlock& block = *next;  // stays in place while blocks are queued and taken
    block.state = PlannedBlock::State::Computing;
    lock.unlock();
    Compute(block, choice_);
    lock.lock();
    block.state = PlannedBlock::State::Computed;
    if (writerWaits_) {
      changed_.notify_all();
    }
    return true;
  }

  // Computes until the queue has room for one more block; false once the run is stopped.
  // Reading comes first: a block read ahead is one the writer can compute while it would
  // otherwise wait. `block` is then a spent one where there is one, emptied.
  bool makeRoom(PlannedBlock& block) {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (stopping_) {
        return false;
      }
      if (queue_.size() < kQueued) {
        if (!spent_.empty()) {
          block = std::move(spent_.back());
          spent_.pop_back();
          lock.unlock();
          block.files.clear();
          block.state = PlannedBlock::State::Planned;
        }
        return true;
      }
      if (computeNext(lock)) {
        continue;
      }
      // Woken once half the queue is written, not for every block: fewer wake-ups, and the
      // half left covers the time the planner takes to wake.
      plannerWaits_ = true;
      changed_.wait(lock, [this] { return stopping_ || queue_.size() <= kQueued / 2; });
      plannerWaits_ = false;
    }
  }

  // Queues `block`, leaving it empty, and with `ends` ends the input.
  void queue(PlannedBlock& block, bool ends, std::string& failure,
             const std::exception_ptr& error) noexcept {
    const std::lock_guard lock(mutex_);
    if (!block.files.empty()) {
      try {
        queue_.push_back(std::move(block));
      } catch (const std::bad_alloc&) {
        ends = true;
        failure = "out of memory";
      }
      block = PlannedBlock{};
    }
    if (ends) {
      ended_ = true;
      readFailure_.swap(failure);
      error_ = error;
    }
    if (writerWaits_) {
      changed_.notify_all();
    }
  }

  ItemReader reader_;
  const fs::path& inputPath_;
  const CycleChoice& choice_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<PlannedBlock> queue_;  // read and not yet taken, in the order of the input
  bool ended_ = false;              // the last block is queued
  std::string readFailure_;
  bool readingStopped_ = false;
  std::exception_ptr error_;
  bool stopping_ = false;
  bool writerWaits_ = false;         // in take(), for a block
  bool plannerWaits_ = false;        // in makeRoom(), for room in the queue
  std::vector<PlannedBlock> spent_;  // written, to be refilled; never beyond its capacity
  std::thread thread_;               // last: it starts once everything above is ready
};

}  // namespace

fs::path BatchOutputName(const fs::path& input, float latitude) {
  const std::string outputName = BatchOutputFileName(Utf8Path(input.filename()), latitude);
  return input.parent_path() / fs::path(std::u8string(outputName.begin(), outputName.end()));
}

BatchResult RunBatch(const fs::path& input, const CycleChoice& choice, const BatchLog& log,
                     const BatchProgress& progress, const std::atomic<bool>* stop) {
  BatchResult result;
  std::error_code ignored;
  fs::path full = fs::absolute(input, ignored);
  if (full.empty()) {
    full = input;
  }
  const std::string shownInput = ShownPath(Utf8Path(full));
  auto unread = [&](const std::string& reason) {
    result.unreadInput = UnreadInput(shownInput, reason);
    log(CannotReadEntry(shownInput, reason));
  };

  const OpenedInput opened = OpenInput(full);
  InputFile file{opened.stream};
  if (file.stream == nullptr) {
    unread(std::generic_category().message(errno));
    return result;
  }
  // Every output lies beside the input: its folder is looked up once. Where it cannot be held
  // open, each file is written by its path and fails, if it must, on its own.
  const FileIdentity inputIdentity = IdentityOf(full);
  std::optional<OutputFolder> folder;
  try {
    folder.emplace(full.parent_path());
    folder->spare(inputIdentity);
  } catch (const FileError&) {
  }
  Planner planner(opened, full, choice, stop);
  PlannedBlock block;
  std::string entry;
  auto stopped = [&] {
    result.stopped = true;
    log(StoppedEntry(result.items));
    return result;
  };
  for (bool last = false; !last;) {
    block = planner.take(last, std::move(block));
    if (block.error) {
      try {
        std::rethrow_exception(block.error);
      } catch (const std::bad_alloc&) {
        unread("out of memory");
        return result;
      }
    }
    for (const PlannedFile& planned : block.files) {
      if (stop != nullptr && stop->load()) {
        return stopped();
      }
      // The next file's bytes, made on the other thread, are fetched to this core while
      // this one is written: copied at the write, they would cost more than their making.
      if (&planned != &block.files.back()) {
        const std::string& next = (&planned + 1)->bytes;
        for (std::size_t at = 0; at < next.size(); at += 64) {
          __builtin_prefetch(next.data() + at);
        }
      }
      Complete(planned, folder ? &*folder : nullptr, inputIdentity, result, log, entry);
      // A stop asked for with the last item leaves nothing unwritten.
      const bool lastItem = last && &planned == &block.files.back();
      if (progress && !progress(result, planned.bytesRead) && !lastItem) {
        return stopped();
      }
    }
  }
  if (const std::string failure = planner.readFailure(); !failure.empty()) {
    unread(failure);
  } else if (planner.readingStopped()) {
    return stopped();
  }
  return result;
}

BatchLatitudes ReadBatchLatitudes(const fs::path& input, std::size_t most) {
  BatchLatitudes result;
  std::error_code ignored;
  fs::path full = fs::absolute(input, ignored);
  if (full.empty()) {
    full = input;
  }
  auto unread = [&](const std::string& reason) {
    result.unreadInput = UnreadInput(ShownPath(Utf8Path(full)), reason);
  };
  InputFile file{OpenFile(full, "rb")};
  if (file.stream == nullptr) {
    unread(std::generic_category().message(errno));
    return result;
  }
  ItemReader reader(file.stream);
  std::string item;
  std::uintmax_t length = 0;
  for (std::int64_t number = 1;; ++number) {
    const ItemReader::Next next = reader.next(item, length);
    if (next == ItemReader::Next::ReadError) {
      unread(std::generic_category().message(reader.error()));
    } else if (next == ItemReader::Next::RunsOn) {
      unread(RunsOnReason(number));
    }
    if (next != ItemReader::Next::Item) {
      return result;
    }
    const BatchItem checked = CheckBatchItem(item, length);
    if (!checked.refusal.empty()) {
      if (result.refusals.size() < BatchLatitudes::kShownRefusals) {
        result.refusals.push_back(BatchItemPrefix(number, item) + checked.refusal + ".");
      }
      ++result.refused;
      continue;
    }
    const float latitude = checked.latitude;
    if (result.latitudes.size() == most) {
      result.tooMany = true;
      return result;
    }
    result.latitudes.push_back(latitude);
  }
}

}  // namespace marovane
