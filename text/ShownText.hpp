// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text from outside the program (a batch item, a file name) made safe to show in a list or on
// a terminal.
namespace marovane {

// `bytes` as UTF-8 that shows what is there and does nothing else: control characters, bytes
// that are not UTF-8, and the invisible characters that reorder or hide text are written as
// \xHH per byte, a backslash as \\. Longer than `maxCharacters` shown characters, it is cut
// there and ends in "…".
std::string ShownText(std::string_view bytes, std::size_t maxCharacters = std::string::npos);

}  // namespace marovane
