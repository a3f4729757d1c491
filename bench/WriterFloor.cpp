// SPDX-License-Identifier: GPL-3.0-or-later
// The batch's writer with nothing else: the files of a finished batch written again through
// an OutputFolder, as the batch writes them, their bytes read before the clock runs. Beside the
// batch it shows how much of the batch's time is its writer's. Prints the seconds the writing took.
//   marovane_writer_floor SOURCE TARGET   writes the *.out files of SOURCE into TARGET
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "export/OutputFile.hpp"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SOURCE TARGET\n", argv[0]);
    return 2;
  }
  const fs::path target = fs::absolute(argv[2]);
  std::vector<std::pair<fs::path, std::string>> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(argv[1])) {
    if (entry.path().extension() == ".out") {
      std::ifstream in(entry.path(), std::ios::binary);
      files.emplace_back(entry.path().filename(),
                         std::string(std::istreambuf_iterator<char>(in), {}));
    }
  }
  marovane::RemoveTemporariesOnInterruption();  // as the command line does
  try {
    const auto start = std::chrono::steady_clock::now();
    marovane::OutputFolder folder(target);
    for (const auto& [name, bytes] : files) {
      folder.write(name, bytes);
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%.6f\n", seconds.count());
  } catch (const marovane::FileError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
