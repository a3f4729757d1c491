// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <filesystem>
#include <string>

// What the writer of each platform (OutputFilePosix.cpp, OutputFileWindows.cpp) takes from
// OutputFile.cpp, so that both word a failure alike and name their temporary files alike.
namespace marovane::detail {

// Set by UseNamedTemporaries, for tests; only where unnamed files exist does it change a write.
extern std::atomic<bool> gNamedTemporaries;

// Each throws FileError "Cannot write <shown>: <reason>".
[[noreturn]] void Fail(const std::filesystem::path& shown, int error);
[[noreturn]] void FailNotRegular(const std::filesystem::path& shown);
[[noreturn]] void FailInput(const std::filesystem::path& shown);

// ".marovane-" and 8 hexadecimal digits, short enough beside any name.
std::string TemporaryName();

}  // namespace marovane::detail
