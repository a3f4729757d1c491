// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's argument handling called as a function, inside a folder of its own:
// any arguments end in one of the three exit statuses, and refused arguments write nothing.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "FuzzCheck.hpp"
#include "cli/CommandLine.hpp"

namespace {

namespace fs = std::filesystem;

// Every file the command line may touch lies in this folder: arguments that could name a
// file elsewhere are left out (see Confined).
const fs::path& Folder() {
  static const fs::path folder = [] {
    const fs::path dir =
        fs::temp_directory_path() / ("marovane-fuzz-cli-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    std::ofstream("lats.txt") << "10 -20.5\n0\n";
    return dir;
  }();
  return folder;
}

std::size_t FileCount() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Folder())) {
    ++count;
  }
  return count;
}

// Whether an argument names nothing outside the folder, however the options take it: every
// '/' follows a digit, as in --dates 2023-01-01/2024-12-31, so that no path starts at the
// root ("/x", "-o/x", "--table=/x"), and no ".." climbs out.
bool Confined(const std::string& argument) {
  for (std::size_t at = argument.find('/'); at != std::string::npos;
       at = argument.find('/', at + 1)) {
    if (at == 0 || argument[at - 1] < '0' || argument[at - 1] > '9') {
      return false;
    }
  }
  return argument.find("..") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Arguments are separated by NUL bytes.
  std::vector<std::string> arguments{"marovane-cli"};
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      arguments.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  arguments.push_back(current);
  for (const std::string& argument : arguments) {
    if (!Confined(argument)) {
      return 0;
    }
  }
  const std::size_t filesBefore = FileCount();
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) {
    argv.push_back(argument.c_str());
  }
  std::ostringstream out;
  std::ostringstream err;
  const int status = marovane::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
  FUZZ_CHECK(status == 0 || status == 1 || status == 2);
  if (status == 2) {
    FUZZ_CHECK(FileCount() == filesBefore);
    FUZZ_CHECK(!err.str().empty());
  }
  // The parser's own words never reach the user; a message may still quote them from the input.
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(input.find("Run with --help") != std::string_view::npos ||
             err.str().find("Run with --help") == std::string::npos);
  // Keep the folder small: only the batch input stays.
  for (const auto& entry : fs::directory_iterator(Folder())) {
    if (entry.path().filename() != "lats.txt") {
      fs::remove_all(entry.path());
    }
  }
  if (!fs::exists(Folder() / "lats.txt")) {
    std::ofstream(Folder() / "lats.txt") << "10 -20.5\n0\n";
  }
  return 0;
}
