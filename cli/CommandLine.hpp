// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>

// marovane-cli: the annual-cycle export and the batch run from the command line, over the
// same core as the window, so that both write the same bytes.
namespace marovane {

// Runs the command line with its arguments (argv[0] is the program's name), in UTF-8 on every
// platform. The file, the batch log and --help go to `out`, messages to `err`, both UTF-8.
// Returns the exit status: 0 everything written, 1 a file could not be read or written, 2 bad
// arguments.
int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace marovane
