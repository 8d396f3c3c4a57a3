// SqliteEngine.h: the embedded engine: a SQLite database file that runs the system's T-SQL
// statements through a compatibility layer. The connection string is
// "DRIVER={sqlite};DATABASE=<file>"; a file that does not exist is created with the schema.
#pragma once

#include <memory>
#include <string>

#include "db/DbEngine.h"

namespace qiva::db {

std::unique_ptr<DbEngine> CreateSqliteEngine();

}  // namespace qiva::db
