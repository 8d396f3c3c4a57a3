// SystemProcedures.h: the system procedures that the embedded engine runs itself instead of
// from its catalogue: sp_getapplock and sp_releaseapplock, with their parameters, defaults,
// checks and return statuses as SQL Server has them. The engine evaluates the arguments.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite/SqlFunctions.h"

namespace qiva::db {

// One argument of EXEC: its parameter name (upper case with its @; empty when given by
// position) and its value (nothing for DEFAULT).
struct ProcedureArgument {
  std::string name;
  std::optional<tsql::SqlVariable> value;
};

// What the procedures need of the connection that runs them.
struct ProcedureSession {
  std::string database;                       // the database file, as the locks are keyed
  const void* session = nullptr;              // the connection
  std::chrono::milliseconds lockTimeout{-1};  // SET LOCK_TIMEOUT (negative: no limit)
  std::function<void()> beforeWait;           // called before the first wait for a lock
};

// How a procedure ended: its return status (none when it did not run: a missing or unknown
// parameter) and the message it raised, if any.
struct ProcedureOutcome {
  std::optional<int> status;
  int errorNumber = 0;  // 0: no message
  std::string errorMessage;
};

// True when `name` (any case) is a system procedure that RunSystemProcedure runs.
bool IsSystemProcedure(std::string_view name);

// Runs the system procedure `name` with `arguments` on `session`.
ProcedureOutcome RunSystemProcedure(std::string_view name,
                                    const std::vector<ProcedureArgument>& arguments,
                                    const ProcedureSession& session);

}  // namespace qiva::db
