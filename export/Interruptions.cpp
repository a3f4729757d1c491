// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/Interruptions.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include "export/OutputFile.hpp"

// The signal handling of the POSIX writer: whatever a signal that ends the program finds under
// way, it leaves only whole files.
namespace marovane {

namespace detail {

// A temporary name that a signal ending the program must not leave behind. Where the program's
// handlers are in place (RemoveTemporariesOnInterruption), a writer marks its name in a slot
// before making it, and a handler removes every name marked, waiting for one being made on
// another thread; a writer that finds the handler at work makes nothing more. Where they are
// not, or no slot is free, the writer holds the signals back instead. A file rewritten in
// place is marked too: the handler waits for the end of the rewrite.
enum class Mark { Free, Claimed, Making, Made, Rewriting };
struct TemporarySlot {
  std::atomic<Mark> mark{Mark::Free};
  pthread_t owner{};
  int dir = AT_FDCWD;
  std::array<char, 32> name{};
};

}  // namespace detail

namespace {

using detail::Mark;
using detail::TemporarySlot;

std::array<TemporarySlot, 16> gTemporaries;
std::atomic<bool> gHandlersRemoveTemporaries{false};
std::atomic<bool> gEnding{false};  // a handler is removing the temporaries

extern "C" void RemoveTemporariesAndEnd(int signal) {
  const int interruptedErrno = errno;  // the interrupted code's, as any handler leaves it
  gEnding.store(true);
  timespec start{};
  ::clock_gettime(CLOCK_MONOTONIC, &start);
  for (TemporarySlot& slot : gTemporaries) {
    // Work under way on another thread is waited for, 10 seconds at most (a stuck disk).
    for (Mark mark = slot.mark.load(); (mark == Mark::Making || mark == Mark::Rewriting) &&
                                       !pthread_equal(slot.owner, pthread_self());
         mark = slot.mark.load()) {
      timespec now{};
      ::clock_gettime(CLOCK_MONOTONIC, &now);
      if (now.tv_sec - start.tv_sec > 10) {
        break;
      }
    }
    const Mark mark = slot.mark.load();
    if (mark == Mark::Making || mark == Mark::Made) {
      ::unlinkat(slot.dir, slot.name.data(), 0);
    }
  }
  errno = interruptedErrno;
  ::raise(signal);  // the default action again, as the handler was reset on entry
}

// Where a handler is at work, the program is ending: the calling thread makes nothing more and
// reports nothing (a file the handler removed is no failure), and waits for the end. The
// handler sets gEnding before it reads the marks, and a writer marks before it reads gEnding,
// so one of them sees the other.
void StopIfEnding(TemporarySlot& slot) {
  if (gEnding.load()) {
    slot.mark.store(Mark::Claimed);
    for (;;) {
      ::pause();
    }
  }
}

// A free slot for the calling thread where the handlers are in place; otherwise none.
TemporarySlot* ClaimSlot() {
  if (gHandlersRemoveTemporaries.load()) {
    for (TemporarySlot& slot : gTemporaries) {
      Mark free = Mark::Free;
      if (slot.mark.compare_exchange_strong(free, Mark::Claimed)) {
        slot.owner = pthread_self();
        return &slot;
      }
    }
  }
  return nullptr;
}

}  // namespace

namespace detail {

HeldSignals::HeldSignals() {
  sigset_t held;
  sigemptyset(&held);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    sigaddset(&held, signal);
  }
  pthread_sigmask(SIG_BLOCK, &held, &saved_);
}

HeldSignals::~HeldSignals() {
  pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

GuardedRewrite::GuardedRewrite() : slot_(ClaimSlot()) {
  if (slot_ != nullptr) {
    slot_->mark.store(Mark::Rewriting);
    StopIfEnding(*slot_);
  }
}

GuardedRewrite::~GuardedRewrite() {
  if (slot_ != nullptr) {
    slot_->mark.store(Mark::Free);
  }
}

GuardedTemporary::GuardedTemporary() : slot_(ClaimSlot()) {
  if (slot_ == nullptr) {
    held_.emplace();
  }
}

GuardedTemporary::~GuardedTemporary() {
  if (slot_ != nullptr) {
    slot_->mark.store(Mark::Free);
  }
}

void GuardedTemporary::making(int dir, const std::string& name) {
  if (slot_ == nullptr) {
    return;
  }
  slot_->dir = dir;
  const std::size_t length = std::min(name.size(), slot_->name.size() - 1);
  std::copy_n(name.begin(), length, slot_->name.begin());
  slot_->name[length] = '\0';
  slot_->mark.store(Mark::Making);
  StopIfEnding(*slot_);
}

void GuardedTemporary::made(bool made) {
  if (slot_ != nullptr) {
    slot_->mark.store(made ? Mark::Made : Mark::Claimed);
  }
}

void GuardedTemporary::failed() {
  if (slot_ != nullptr) {
    StopIfEnding(*slot_);
  }
}

}  // namespace detail

void RemoveTemporariesOnInterruption() {
  bool all = true;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    struct sigaction current {};
    ::sigaction(signal, nullptr, &current);
    if (current.sa_handler == RemoveTemporariesAndEnd || current.sa_handler == SIG_IGN) {
      continue;
    }
    if (current.sa_handler != SIG_DFL) {
      all = false;  // the program's own: left to it, and writes hold this one back
      continue;
    }
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndEnd;
    sigfillset(&action.sa_mask);
    action.sa_flags = static_cast<int>(SA_RESETHAND);  // an unsigned constant, an int field
    all = ::sigaction(signal, &action, nullptr) == 0 && all;
  }
  gHandlersRemoveTemporaries.store(all, std::memory_order_release);
}

}  // namespace marovane
