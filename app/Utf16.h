// Utf16.h: UTF-16 text (ODBC's wide calls, 16-bit XML files) turned into the UTF-8 that the
// rest of the system holds. Detection of 16-bit files lives with the XML parser.
#pragma once

#include <string>
#include <string_view>

// UTF-8 bytes of `text`; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
