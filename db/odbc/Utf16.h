// Utf16.h: the conversion of the UTF-16 text that ODBC's wide calls hand out into the UTF-8 the
// rest of the system holds. Nothing else about ODBC lives here.
#pragma once

#include <string>

namespace qiva::db::odbc {

// UTF-8 bytes of `text`; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace qiva::db::odbc
