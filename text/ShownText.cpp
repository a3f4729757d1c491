// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/ShownText.hpp"

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

// Characters that move the terminal, hide text or turn its direction round.
bool IsUnsafe(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF;
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

}  // namespace

std::string ShownText(std::string_view bytes, std::size_t maxCharacters) {
  std::string shown;
  std::size_t characters = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    char32_t code = 0;
    const std::size_t length = Utf8Sequence(bytes.substr(i), code);
    std::string piece;
    std::size_t pieceCharacters = 1;
    if (length == 0 || IsUnsafe(code)) {
      const std::size_t escaped = length == 0 ? 1 : length;
      AppendEscaped(piece, bytes.substr(i, escaped));
      pieceCharacters = piece.size();
      i += escaped;
    } else if (code == '\\') {
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

}  // namespace marovane
