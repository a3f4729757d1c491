// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>

#include <gtest/gtest.h>

#include "text/ShownText.hpp"

namespace marovane {
namespace {

// What a batch item or a file name shows: printable text as it is, everything that moves the
// terminal, hides text, turns it round or only looks like a blank as \xHH per byte.
TEST(ShownText, EscapesWhatCannotBeSeen) {
  struct Case {
    std::string bytes;
    std::string item;  // ShownText
    std::string path;  // ShownPath
  };
  const Case cases[] = {
      {"41.9", "41.9", "41.9"},
      {"a\\x41", "a\\\\x41", "a\\x41"},  // a typed escape stays apart from an escaped byte
      {"C:\\data\\lats41.9.out", "C:\\\\data\\\\lats41.9.out", "C:\\data\\lats41.9.out"},
      {"\x1b[2J\a\x7f", "\\x1b[2J\\x07\\x7f", "\\x1b[2J\\x07\\x7f"},
      {"/tmp/a\tb\n", "/tmp/a\\x09b\\x0a", "/tmp/a\\x09b\\x0a"},
      {std::string("1\0"
                   "2",
                   3),
       "1\\x002", "1\\x002"},
      {"\xc2\x85", "\\xc2\\x85", "\\xc2\\x85"},  // C1 next line
      // Bytes that are not UTF-8: stray, cut short, overlong, surrogates, past U+10FFFF.
      {"\xff\xfe", "\\xff\\xfe", "\\xff\\xfe"},
      {"\x80x", "\\x80x", "\\x80x"},
      {"\xe2\x82", "\\xe2\\x82", "\\xe2\\x82"},
      {"\xe0\x81\x81", "\\xe0\\x81\\x81", "\\xe0\\x81\\x81"},
      {"\xc0\xaf", "\\xc0\\xaf", "\\xc0\\xaf"},
      {"\xf0\x80\x80\xaf", "\\xf0\\x80\\x80\\xaf", "\\xf0\\x80\\x80\\xaf"},
      {"\xed\xa0\x80", "\\xed\\xa0\\x80", "\\xed\\xa0\\x80"},
      {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80", "\\xf4\\x90\\x80\\x80"},
      // Letters of any script, and visible signs next to the escaped ranges, stay.
      {"\xc3\xa9t\xc3\xa9 \xce\xa9mega \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80",
       "\xc3\xa9t\xc3\xa9 \xce\xa9mega \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80",
       "\xc3\xa9t\xc3\xa9 \xce\xa9mega \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80"},
      {"41.9\xc2\xb0 \xe2\x80\x90\xe2\x80\xb0\xe2\x80\xa6\xe2\x81\x9e",
       "41.9\xc2\xb0 \xe2\x80\x90\xe2\x80\xb0\xe2\x80\xa6\xe2\x81\x9e",
       "41.9\xc2\xb0 \xe2\x80\x90\xe2\x80\xb0\xe2\x80\xa6\xe2\x81\x9e"},
      // Spaces that look like a blank: no-break, en to hair, narrow no-break, math, ideographic.
      {"4\xc2\xa0"
       "5",
       "4\\xc2\\xa05", "4\\xc2\\xa05"},
      {"\xe2\x80\x80\xe2\x80\x87\xe2\x80\x8a", "\\xe2\\x80\\x80\\xe2\\x80\\x87\\xe2\\x80\\x8a",
       "\\xe2\\x80\\x80\\xe2\\x80\\x87\\xe2\\x80\\x8a"},
      {"\xe2\x80\xaf\xe2\x81\x9f\xe3\x80\x80\xe1\x9a\x80",
       "\\xe2\\x80\\xaf\\xe2\\x81\\x9f\\xe3\\x80\\x80\\xe1\\x9a\\x80",
       "\\xe2\\x80\\xaf\\xe2\\x81\\x9f\\xe3\\x80\\x80\\xe1\\x9a\\x80"},
      // Bidi overrides, embeddings, isolates and marks turn the text round.
      {"txt.\xe2\x80\xae"
       "fdp",
       "txt.\\xe2\\x80\\xaefdp", "txt.\\xe2\\x80\\xaefdp"},
      {"\xe2\x80\xaa\xe2\x80\xab\xe2\x80\xac\xe2\x80\xad",
       "\\xe2\\x80\\xaa\\xe2\\x80\\xab\\xe2\\x80\\xac\\xe2\\x80\\xad",
       "\\xe2\\x80\\xaa\\xe2\\x80\\xab\\xe2\\x80\\xac\\xe2\\x80\\xad"},
      {"\xe2\x81\xa6\xe2\x81\xa7\xe2\x81\xa8\xe2\x81\xa9",
       "\\xe2\\x81\\xa6\\xe2\\x81\\xa7\\xe2\\x81\\xa8\\xe2\\x81\\xa9",
       "\\xe2\\x81\\xa6\\xe2\\x81\\xa7\\xe2\\x81\\xa8\\xe2\\x81\\xa9"},
      {"\xe2\x80\x8e\xe2\x80\x8f\xd8\x9c", "\\xe2\\x80\\x8e\\xe2\\x80\\x8f\\xd8\\x9c",
       "\\xe2\\x80\\x8e\\xe2\\x80\\x8f\\xd8\\x9c"},
      // Characters that draw nothing: zero-width space, joiners, word joiner, byte order mark,
      // soft hyphen, variation selector, tag.
      {"1\xe2\x80\x8b\xe2\x80\x8c\xe2\x80\x8d"
       "2",
       "1\\xe2\\x80\\x8b\\xe2\\x80\\x8c\\xe2\\x80\\x8d2",
       "1\\xe2\\x80\\x8b\\xe2\\x80\\x8c\\xe2\\x80\\x8d2"},
      {"\xe2\x81\xa0\xef\xbb\xbf\xc2\xad", "\\xe2\\x81\\xa0\\xef\\xbb\\xbf\\xc2\\xad",
       "\\xe2\\x81\\xa0\\xef\\xbb\\xbf\\xc2\\xad"},
      {"\xef\xb8\x8f\xf3\xa0\x80\x81", "\\xef\\xb8\\x8f\\xf3\\xa0\\x80\\x81",
       "\\xef\\xb8\\x8f\\xf3\\xa0\\x80\\x81"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShownText(c.bytes), c.item) << c.item;
    EXPECT_EQ(ShownPath(c.bytes), c.path) << c.path;
  }
}

// An item is cut by shown characters, an escape counting as the four it shows.
TEST(ShownText, CutsLongItemsByShownCharacters) {
  struct Case {
    std::string bytes;
    std::size_t max;
    std::string shown;
  };
  const Case cases[] = {
      {"abcdef", 6, "abcdef"},
      {"abcdef", 3, "abc\u2026"},
      {"ab\x1b", 5, "ab\u2026"},
      {"ab\x1b", 6, "ab\\x1b"},
      {"a\\b", 2, "a\u2026"},
      {"\xce\xa9\xce\xa9\xce\xa9", 2, "\xce\xa9\xce\xa9\u2026"},
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShownText(c.bytes, c.max), c.shown) << c.bytes << " " << c.max;
  }
  const std::string longPath = "/" + std::string(5000, 'a') + "\\b";
  EXPECT_EQ(ShownPath(longPath), longPath);
}

}  // namespace
}  // namespace marovane
