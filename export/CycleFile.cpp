// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/CycleFile.hpp"

namespace marovane {

void WriteAnnualCycle(float latitude, const std::filesystem::path& file, const CycleChoice& choice,
                      Target target) {
  WriteFileBytes(file, AnnualCycleText(latitude, choice), target);
}

}  // namespace marovane
