// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include <signal.h>

// What the POSIX writer (OutputFilePosix.cpp) asks of the signal handling (Interruptions.cpp)
// around a temporary name or a rewrite in place; the slots and the handlers stay inside
// Interruptions.cpp, where RemoveTemporariesOnInterruption sets them up.
namespace marovane::detail {

struct TemporarySlot;  // one write's mark for the handlers

// Holds back the signals that end a program from its terminal or session (while a file is
// rewritten in place, and while a temporary name exists where no handler removes it).
class HeldSignals {
 public:
  HeldSignals();
  ~HeldSignals();
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
  sigset_t saved_;
};

// While a file is rewritten in place: the signals are held back in this thread, and a handler
// on another thread waits for the end of the rewrite.
class GuardedRewrite {
 public:
  GuardedRewrite();
  ~GuardedRewrite();
  GuardedRewrite(const GuardedRewrite&) = delete;
  GuardedRewrite& operator=(const GuardedRewrite&) = delete;

 private:
  HeldSignals held_;
  TemporarySlot* slot_;
};

// Keeps the temporary names of one write from outliving the program.
class GuardedTemporary {
 public:
  GuardedTemporary();
  ~GuardedTemporary();
  GuardedTemporary(const GuardedTemporary&) = delete;
  GuardedTemporary& operator=(const GuardedTemporary&) = delete;

  // Before `name` (short: TemporaryName) is made in `dir`.
  void making(int dir, const std::string& name);
  // After the attempt to make it: whether it was made (it is renamed or removed by the end of
  // the scope).
  void made(bool made);
  // After a step past it failed and the name was removed: where a handler is at work (it may
  // have removed the name first), the failure is not reported; the thread waits for the end.
  void failed();

 private:
  TemporarySlot* slot_;
  std::optional<HeldSignals> held_;
};

}  // namespace marovane::detail
