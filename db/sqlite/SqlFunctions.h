// SqlFunctions.h: the SQL functions through which the embedded engine gives values SQL Server's
// meaning: datetime conversions, getdate() fixed for a statement, and the conversion and checks
// of a value stored into a column. Their failures carry SQL Server's message number and text
// as "qiva:<number>:<text>".
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <variant>

#include "db/SqlDateTime.h"
#include "db/sqlite/SqlCatalog.h"

struct sqlite3;

namespace qiva::db::tsql {

// The value of a T-SQL variable or procedure argument: null, an integer, a real or text.
using SqlVariable = std::variant<std::monostate, long long, double, std::string>;

// State the functions read: the current statement's time and what the connection text named.
struct SessionState {
  std::string now;           // canonical text of getdate() for the running statement
  bool nowValid = false;     // false until getdate() is first read in the running statement
  std::string databaseName;  // used in error texts
  // What the connection text named (its APP and COLLATION attributes, "" when absent), for
  // APP_NAME(), SERVERPROPERTY('Collation') and DATABASEPROPERTYEX(..., 'Collation').
  std::string appName;
  std::string collation;
  // SCOPE_IDENTITY(): the identity value of the last row this connection inserted into a table
  // with an identity column in the running scope (the text being run, or a procedure's body).
  bool hasScopeIdentity = false;
  long long scopeIdentity = 0;
  // The variables DECLAREd in the running text (upper-case names with their @): null, an
  // integer, a real or text. Each text is a batch: it starts without any.
  std::map<std::string, SqlVariable> variables;
};

// A value on its way into a column: null, integer, real or text (the text is not owned). A real
// read from a literal may keep the literal's text, which tells a float (1e20) from a numeric
// (123.45) in SQL Server's overflow message.
struct SqlValue {
  enum class Type { Null, Int, Real, Text };
  Type type = Type::Null;
  long long i = 0;
  double d = 0;
  std::string_view text;
};

// The column a value is stored into, and the statement kind: 1 INSERT, 2 UPDATE, 3 CAST
// (text is cut instead of refused, and NULL is not checked).
struct ColumnTarget {
  ColKind kind = ColKind::Other;
  int length = 0;  // Text: characters (-1 for MAX); Int: bytes; Decimal: precision (0: none)
  int scale = 0;
  bool notNull = false;
  std::string table;
  std::string column;
  int op = 1;
};

// Converts `in` to the column's type as SQL Server does and checks its length and NULL. The
// result may point into `in` or into `buffer`. False with SQL Server's message number and text.
bool ConvertForColumn(const SqlValue& in, const ColumnTarget& target, const SessionState& state,
                      SqlValue& out, std::string& buffer, int& number, std::string& message);

// Registers the functions on `db`; `state` must outlive the connection.
bool RegisterFunctions(sqlite3* db, SessionState* state);

// Splits an error text "qiva:<number>:<text>" into its parts; false for any other text.
bool ParseRaisedError(const std::string& text, int& number, std::string& message);

// The text a function raises for SQL Server message `number`.
std::string RaisedError(int number, const std::string& message);

}  // namespace qiva::db::tsql
