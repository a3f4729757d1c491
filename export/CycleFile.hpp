// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

#include "export/CycleText.hpp"
#include "export/OutputFile.hpp"

// The annual cycle of one latitude written to its file.
namespace marovane {

// Writes AnnualCycleText to `file`, replacing what was there, as WriteFileBytes does.
// Throws FileError when the file cannot be created or written.
void WriteAnnualCycle(float latitude, const std::filesystem::path& file, const CycleChoice& choice,
                      Target target = Target::Any);

}  // namespace marovane
