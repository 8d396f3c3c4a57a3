// TextUtil.h: the small text helpers shared by the configuration file, the imports and the
// update check: line and token reading, substring and character replacement, upper-casing.
// A text ends at the end of the view; callers holding zero-terminated data cut it there.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

inline constexpr std::size_t kNoLengthLimit = std::numeric_limits<std::size_t>::max();

// Reads the line starting at `pos` up to a carriage return or the end of the text (the CR is
// not copied). On success moves `pos` past the CR and a LF right after it (one past the end
// when the line ends the text) and returns true; a line ending the text, the empty one
// included, is returned once. A position beyond the end, or a line longer than `maxLength`,
// empties `out` and returns false. A lone line feed is part of the line.
bool ReadTextLine(std::string_view text, std::size_t& pos, std::string& out, std::size_t maxLength);

// Skips blanks (spaces only) from `pos`, then copies up to `delimiter` or the end of the text.
// On success moves `pos` one past the delimiter (or one past the end) and returns true; blanks
// after the token stay in it. A position beyond the end, nothing left after the blanks (then
// `pos` is left at the end), or a token longer than `maxLength` empties `out` and returns false.
bool ReadToken(std::string_view text, std::size_t& pos, std::string& out, std::size_t maxLength,
               char delimiter);

// Replaces, left to right, every occurrence of `find` by `replacement`; matches do not overlap
// and replacements are not scanned again ("aa" by "b" in "aaa" gives "ba"). An empty `find`
// leaves the text unchanged.
void ReplaceAll(std::string& text, std::string_view find, std::string_view replacement);

// True when `a` and `b` are equal, letters a to z compared without regard to case; every other
// byte, accented letters included, must match exactly.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// True when `text` begins with `prefix`, compared as EqualsIgnoringAsciiCase compares.
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

// True when `word` stands anywhere in `text`, compared as EqualsIgnoringAsciiCase compares.
bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view word);

// `c` with A to Z made small letters; every other byte, accented letters included, unchanged.
constexpr char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A copy of `text` with A to Z made small letters; every other byte stays.
std::string LowerAsciiCopy(std::string_view text);

// Turns a to z into capitals in place; every other byte, accented letters included, stays.
void ToUpperAscii(std::string& text);

// In the first `count` bytes of `text` (at most its size), replaces every `oldChar` by `newChar`.
void ReplaceChar(std::string& text, std::size_t count, char oldChar, char newChar);
