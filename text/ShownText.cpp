// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/ShownText.hpp"

#include <algorithm>
#include <cstdint>

namespace marovane {

namespace {

// Length of the well-formed UTF-8 sequence at the start of `s` and its code point; 0 when
// the first byte starts none (overlong forms, surrogates and values past U+10FFFF included).
std::size_t Utf8Sequence(std::string_view s, char32_t& code) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
  const std::uint8_t first = byte(0);
  std::size_t length = 0;
  char32_t min = 0;
  if (first < 0x80) {
    code = first;
    return 1;
  }
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2, code = first & 0x1Fu, min = 0x80;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3, code = first & 0x0Fu, min = 0x800;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4, code = first & 0x07u, min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() < length) {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0u) != 0x80u) {
      return 0;
    }
    code = (code << 6) | (byte(i) & 0x3Fu);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return code < min || code > 0x10FFFF || surrogate ? 0 : length;
}

// Characters that move the terminal, hide text, turn its direction round, or look like a
// blank without being one: controls, the Unicode spaces other than the blank, the bidi marks
// and isolates, and the characters that draw nothing (joiners, fillers, variation selectors,
// tags).
bool IsUnsafe(char32_t c) {
  struct Range {
    char32_t first;
    char32_t last;
  };
  static constexpr Range kUnsafe[] = {
      {0x0000, 0x001F},
      {0x007F, 0x00A0},  // C0, DEL, C1, no-break space
      {0x00AD, 0x00AD},
      {0x034F, 0x034F},
      {0x061C, 0x061C},
      {0x115F, 0x1160},
      {0x1680, 0x1680},
      {0x17B4, 0x17B5},
      {0x180B, 0x180F},
      {0x2000, 0x200F},  // spaces, zero-width characters, left-to-right and
                         // right-to-left marks
      {0x2028, 0x202F},  // line and paragraph separators, embeddings, overrides, narrow space
      {0x205F, 0x206F},  // math space, word joiner, invisible operators, isolates
      {0x3000, 0x3000},
      {0x3164, 0x3164},
      {0xFE00, 0xFE0F},
      {0xFEFF, 0xFEFF},
      {0xFFA0, 0xFFA0},
      {0xFFF0, 0xFFFB},
      {0x1BCA0, 0x1BCA3},
      {0x1D173, 0x1D17A},
      {0xE0000, 0xE0FFF},
  };
  for (const Range& range : kUnsafe) {
    if (c < range.first) {
      return false;
    }
    if (c <= range.last) {
      return true;
    }
  }
  return false;
}

void AppendEscaped(std::string& out, std::string_view bytes) {
  constexpr char kHex[] = "0123456789abcdef";
  for (const char b : bytes) {
    const auto value = static_cast<std::uint8_t>(b);
    out += "\\x";
    out += kHex[value >> 4];
    out += kHex[value & 0xFu];
  }
}

std::string Shown(std::string_view bytes, std::size_t maxCharacters, bool doubleBackslash) {
  std::string shown;
  std::size_t characters = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    // A run of printable ASCII, most of any text, goes over as it is.
    std::size_t run = i;
    while (run < bytes.size() && bytes[run] >= 0x20 && bytes[run] < 0x7F &&
           !(doubleBackslash && bytes[run] == '\\')) {
      ++run;
    }
    if (run > i) {
      const std::size_t taken = std::min(run - i, maxCharacters - characters);
      shown.append(bytes.substr(i, taken));
      characters += taken;
      if (taken < run - i) {
        shown += "\u2026";
        break;
      }
      i = run;
      continue;
    }
    char32_t code = 0;
    const std::size_t length = Utf8Sequence(bytes.substr(i), code);
    std::string piece;
    std::size_t pieceCharacters = 1;
    if (length == 0 || IsUnsafe(code)) {
      const std::size_t escaped = length == 0 ? 1 : length;
      AppendEscaped(piece, bytes.substr(i, escaped));
      pieceCharacters = piece.size();
      i += escaped;
    } else if (code == '\\' && doubleBackslash) {
      piece = "\\\\";
      pieceCharacters = 2;
      i += 1;
    } else {
      piece = bytes.substr(i, length);
      i += length;
    }
    if (characters + pieceCharacters > maxCharacters) {
      shown += "\u2026";
      break;
    }
    shown += piece;
    characters += pieceCharacters;
  }
  return shown;
}

}  // namespace

std::string ShownText(std::string_view bytes, std::size_t maxCharacters) {
  return Shown(bytes, maxCharacters, true);
}

std::string ShownPath(std::string_view bytes) {
  return Shown(bytes, std::string::npos, false);
}

}  // namespace marovane
