#include <iostream>

#include "cli/CommandLine.hpp"

int main(int argc, char** argv) {
  return marovane::RunCommandLine(argc, argv, std::cout, std::cerr);
}
