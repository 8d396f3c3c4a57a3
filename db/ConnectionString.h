// ConnectionString.h: reading and writing the "KEY=value;KEY=value" texts that name a
// connection, with ODBC's brace quoting. Shared by CAdoDatabase and both engines.
#pragma once

#include <string>
#include <string_view>

namespace qiva::db {

// The value as it may stand after "KEY=": unchanged, or, when it holds ';', '{' or '}',
// wrapped in braces with every '}' doubled, so that no value can add attributes of its own.
std::string QuoteConnectionValue(std::string_view value);

// True for the driver name that selects the embedded engine: "sqlite" in any letter case.
bool IsEmbeddedDriver(std::string_view driver);

// The value of the first attribute named `key` (any case) with its brace quoting undone, or ""
// when the text has no such attribute. Blanks around keys are ignored.
std::string ConnectionAttribute(std::string_view connectionString, std::string_view key);

}  // namespace qiva::db
