// CodePage1250.h: Windows-1250 (Central European, the code page of a Romanian SQL Server
// database) to and from Unicode, with the bytes that the code page leaves undefined mapped to
// the control characters U+0080-U+009F as Windows maps them, so that every byte survives a trip
// through UTF-16.
#pragma once

#include <string>
#include <string_view>

// The Unicode character of a Windows-1250 byte.
char32_t Cp1250ToUnicode(unsigned char byte);

// The Windows-1250 byte of `c`, or '?' when the code page lacks it.
char UnicodeToCp1250(char32_t c);

// UTF-16 of Windows-1250 bytes.
std::u16string Cp1250ToUtf16(std::string_view bytes);

// Windows-1250 bytes of UTF-16 text; a character the code page lacks (a surrogate pair counts
// as one) becomes '?'.
std::string Utf16ToCp1250(std::u16string_view text);

// UTF-16 of UTF-8 text; a byte that does not begin a valid sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// True when `text` is valid UTF-8.
bool IsValidUtf8(std::string_view text);
