// Utf16.h: UTF-16 text (ODBC's wide calls, 16-bit XML files) and single code points (the XML
// parser's numeric character references) turned into the UTF-8 that the rest of the system holds.
// Detection of 16-bit files lives with the XML parser.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 bytes of `text`; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Writes the UTF-8 form of `code` (at most 0x10FFFF) into `out` and returns its length, 1 to
// 4 bytes. Surrogate code points are written as they are; callers that must not store them
// refuse them first.
std::size_t EncodeUtf8(char32_t code, char* out);
