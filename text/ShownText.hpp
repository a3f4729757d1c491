// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text from outside the program (a batch item, a file name) made safe to show in a list or on
// a terminal.
namespace marovane {

// How many characters of a text from outside a message shows before it cuts it.
inline constexpr std::size_t kShownCharacters = 40;

// `bytes` as UTF-8 that shows what is there and does nothing else: control characters, bytes
// that are not UTF-8 (overlong forms and surrogates included), the invisible characters that
// reorder or hide text, and the spaces other than the blank are written as \xHH per byte, a
// backslash as \\ (so that a typed "\x1b" stays apart from an escaped control character).
// Longer than `maxCharacters` shown characters, it is cut there and ends in "…".
std::string ShownText(std::string_view bytes, std::size_t maxCharacters = std::string::npos);

// A path, or a message that names one, as the system shows it: escaped as ShownText escapes,
// but a backslash stays as it is (it separates Windows folders; a Linux name may hold one).
// Whole, never cut.
std::string ShownPath(std::string_view bytes);

}  // namespace marovane
