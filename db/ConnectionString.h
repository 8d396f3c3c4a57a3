// ConnectionString.h: reading and writing the "KEY=value;KEY=value" texts that name a
// connection, with ODBC's brace quoting. Shared by CAdoDatabase and both engines.
#pragma once

#include <string>
#include <string_view>

namespace qiva::db {

// True when a value can stand after "KEY=" only in braces: it holds ';' (which would end it),
// starts with '{' (which would open braces) or has blanks at either end (which would be cut).
bool NeedsBraces(std::string_view value);

// The value as it may stand after "KEY=": unchanged, or, when it needs braces, wrapped in them
// with every '}' doubled. So no value can add attributes of its own, and a value with a '}'
// but no need for braces (x}y) reaches drivers that do not undo doubled braces as it is.
std::string QuoteConnectionValue(std::string_view value);

// The value always in braces, every '}' doubled (driver names, which usually hold blanks).
std::string BraceConnectionValue(std::string_view value);

// True for the FreeTDS ODBC driver, by its name or its library file (libtdsodbc.so): it ends a
// braced value at its first '}' and does not undo a doubled one.
bool IsFreeTdsDriver(std::string_view driver);

// True when a driver that does not undo doubled braces cannot be given the value: it needs
// braces and also holds '}'.
bool NeedsDoubledBrace(std::string_view value);

// True for the driver name that selects the embedded engine: "sqlite" in any letter case.
bool IsEmbeddedDriver(std::string_view driver);

// The value of the first attribute named `key` (any case) with its brace quoting undone, or ""
// when the text has no such attribute. Blanks around keys are ignored.
std::string ConnectionAttribute(std::string_view connectionString, std::string_view key);

}  // namespace qiva::db
