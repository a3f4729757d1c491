// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestFiles.hpp"

#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

#include "cli/CommandLine.hpp"

namespace marovane::test {

std::filesystem::path DataPath(const std::string& relative) {
  return std::filesystem::path(MAROVANE_TEST_DATA) / relative;
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot open " + file.string());
  }
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
  if (!out) {
    throw std::runtime_error("cannot write " + file.string());
  }
}

CliRun CallCli(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv{"marovane-cli"};
  for (const std::string& a : arguments) {
    argv.push_back(a.c_str());
  }
  std::ostringstream out;
  std::ostringstream err;
  CliRun run;
  run.status = RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          ("marovane-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace marovane::test
