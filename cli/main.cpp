// SPDX-License-Identifier: GPL-3.0-or-later
#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/CommandLine.hpp"

int main(int argc, char** argv) {
#ifdef _WIN32
  // Standard output carries the file's own bytes: text mode would put a CR before every LF,
  // CR CR LF after each line.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  return marovane::RunCommandLine(argc, argv, std::cout, std::cerr);
}
