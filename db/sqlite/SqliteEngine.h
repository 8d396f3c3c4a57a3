// SqliteEngine.h: the embedded engine: a SQLite database file that runs the system's T-SQL
// statements through a compatibility layer. The connection string is
// "DRIVER={sqlite};DATABASE=<file>"; a file that does not exist is created with the schema.
#pragma once

#include <memory>
#include <string>

#include "db/DbEngine.h"

namespace qiva::db {

std::unique_ptr<DbEngine> CreateSqliteEngine();

// True when `engine` is the embedded engine and its last successful open created a new
// database file (and gave it the schema); false for any other engine.
bool WasCreated(const DbEngine& engine);

// The full path of the embedded engine's open database file; empty for any other engine.
std::string DatabasePath(const DbEngine& engine);

}  // namespace qiva::db
