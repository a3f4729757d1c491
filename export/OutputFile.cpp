// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/OutputFile.hpp"

#include <atomic>
#include <chrono>
#include <string>
#include <system_error>
#include <utility>

#include "export/OutputFileParts.hpp"

// What the writers of both platforms share; each platform's writer lies in a file of its own
// (OutputFilePosix.cpp, OutputFileWindows.cpp), and the signal handling in Interruptions.cpp.
namespace marovane {

namespace fs = std::filesystem;

namespace detail {

std::atomic<bool> gNamedTemporaries{false};

[[noreturn]] void Fail(const fs::path& shown, int error) {
  throw FileError(shown, "Cannot write", error);
}

[[noreturn]] void FailNotRegular(const fs::path& shown) {
  throw FileError(shown, "Cannot write", "it is not a regular file");
}

[[noreturn]] void FailInput(const fs::path& shown) {
  throw FileError(shown, "Cannot write", "it is the input file");
}

// A short name for a temporary file beside the target, unlikely to be taken; one that is
// taken is skipped by the caller.
std::string TemporaryName() {
  static std::atomic<unsigned> counter{0};
  const auto clock =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  static const char digits[] = "0123456789abcdef";
  unsigned long long tag = clock * 2654435761u + counter.fetch_add(1);
  std::string name = ".marovane-";
  for (int i = 0; i < 8; ++i, tag >>= 4) {
    name += digits[tag & 15u];
  }
  return name;
}

}  // namespace detail

std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

FileError::FileError(const std::filesystem::path& file, std::string_view action, int error)
    : FileError(file, action, std::generic_category().message(error)) {}

FileError::FileError(const std::filesystem::path& file, std::string_view action, std::string reason)
    : std::runtime_error(std::string(action) + " " + Utf8Path(file) + ": " + reason),
      file_(file),
      reason_(std::move(reason)) {}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.found && b.found && a.device == b.device && a.index == b.index;
}

namespace detail {
void UseNamedTemporaries(bool named) {
  gNamedTemporaries.store(named);
}
}  // namespace detail

}  // namespace marovane
