// ObservedRun.h: running a T-SQL text on the embedded engine statement by statement, with each
// statement's outcome handed to an observer as it ends: its row count, its rows with their
// column types, its errors. A server that answers every statement on its own (the TDS test
// server) is built on it; the imports never use it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "db/DbEngine.h"

namespace qiva::db {

// A value of a result row: null, an integer of up to 64 bits, a real, or text (the stored bytes).
using ObservedValue = std::variant<std::monostate, std::int64_t, double, std::string>;

// A result column typed as SQL Server types it.
struct ObservedColumn {
  std::string name;
  std::string typeName;  // upper case: INT, BIGINT, VARCHAR, NVARCHAR, DATETIME, DECIMAL, ...
  int length = 0;        // characters for text types, -1 for MAX
  int precision = 0;
  int scale = 0;
};

// Where a statement stands: the text's own statements are at depth 0, those of a procedure
// that an exec runs one deeper.
struct StatementPlace {
  int depth = 0;
  int line = 1;           // the line of the text (or procedure body) where the statement starts
  std::string procedure;  // the procedure whose body holds it; empty at depth 0
};

struct ObservedStatement {
  enum class Kind { Select, Insert, Update, Delete, Exec, Set, Schema, Other };
  Kind kind = Kind::Other;
  StatementPlace place;
  std::string table;    // Insert, Update, Delete: the table written
  std::string setName;  // Set: the option (upper case) and its value as written
  std::string setValue;
  long long rowCount = -1;              // rows changed or returned; -1 when the statement has none
  std::vector<ObservedColumn> columns;  // Select at depth 0
  std::vector<std::vector<ObservedValue>> rows;
  std::vector<ProviderError> errors;  // SQL Server's numbers and texts
  std::optional<int> returnStatus;    // Exec: the procedure's return status, when it ran
  bool abortsText = false;            // the failure ended the text: nothing after it runs
};

class StatementObserver {
 public:
  virtual ~StatementObserver() = default;
  // The text parsed into `statements` statements of its own; called once, before any runs
  // (not at all when it does not parse).
  virtual void parsed(size_t statements) = 0;
  // Called before a statement runs; false stops the text there, the statement unrun.
  virtual bool starting(const StatementPlace& place) = 0;
  virtual void finished(const ObservedStatement& statement) = 0;
};

// The embedded engine with the observed run.
class ObservableEngine : public DbEngine {
 public:
  // Runs `sql` statement by statement, telling `observer` about each; a text that does not
  // parse runs nothing and reports its syntax error as one finished statement (Kind::Other,
  // abortsText). False when any statement failed.
  virtual bool runObserved(std::string_view sql, StatementObserver& observer) = 0;
};

std::unique_ptr<ObservableEngine> CreateObservableSqliteEngine();

}  // namespace qiva::db
