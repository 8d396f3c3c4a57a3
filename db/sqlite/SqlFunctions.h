// SqlFunctions.h: the SQL functions through which the embedded engine gives values SQL Server's
// meaning: datetime conversions, getdate() fixed for a statement, and the conversion and checks
// of a value stored into a column. Their failures carry SQL Server's message number and text
// as "qiva:<number>:<text>".
#pragma once

#include <string>

#include "db/sqlite/SqlDateTime.h"

struct sqlite3;

namespace qiva::db::tsql {

// State the functions read: the session's date order and the current statement's time.
struct SessionState {
  DateOrder dateOrder = DateOrder::MDY;
  std::string now;           // canonical text of getdate() for the running statement
  std::string databaseName;  // used in error texts
};

// Registers the functions on `db`; `state` must outlive the connection.
bool RegisterFunctions(sqlite3* db, SessionState* state);

// Splits an error text "qiva:<number>:<text>" into its parts; false for any other text.
bool ParseRaisedError(const std::string& text, int& number, std::string& message);

// The text a function raises for SQL Server message `number`.
std::string RaisedError(int number, const std::string& message);

}  // namespace qiva::db::tsql
