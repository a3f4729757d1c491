// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Files for the tests: the reference data shipped with the tests, and scratch folders.
namespace marovane::test {

std::filesystem::path DataPath(const std::string& relative);

std::string ReadBytes(const std::filesystem::path& file);

void WriteText(const std::filesystem::path& file, const std::string& text);

// What a run of the command line gave: its exit status and the text of its two streams.
struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// The command line called in the test's own process, `arguments` after the program's name.
CliRun CallCli(const std::vector<std::string>& arguments);

// A fresh empty folder, removed with everything in it at the end of the scope.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace marovane::test
