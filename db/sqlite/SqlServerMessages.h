// SqlServerMessages.h: how the embedded engine presents a failure the way an ADO client of SQL
// Server sees it: the OLE DB code for a SQL Server message number, the code's meaning text,
// and which messages end the rest of a multi-statement text.
#pragma once

#include <string>

namespace qiva::db {

// The source named in the embedded engine's error texts.
inline constexpr const char* kEmbeddedSource = "QIVA embedded SQL";

// The OLE DB result code that goes with SQL Server message `number`: 0x80040E07 for
// conversions, 0x80040E2F for constraints, 0x80040E57 for truncation, 0x80004005 for a database
// that cannot be opened, 0x80040E14 for everything else.
unsigned long OleDbCodeFor(int number);

// The text a COM client shows for `code` when the system has none: "IDispatch error #n" for
// 0x80040201..0x8004FFFF (n = code - 0x80040200), "Unspecified error" for 0x80004005, else
// "Unknown error 0x...".
std::string CodeMeaning(unsigned long code);

// True for the messages after which SQL Server runs no further statement of the text
// (conversion failures, unknown names, syntax found late); false for those that fail only their
// own statement (constraints, truncation, missing objects in DROP and EXEC).
bool AbortsBatch(int number);

}  // namespace qiva::db
