// SqliteEngine.h: the embedded engine: a SQLite database file that runs the system's T-SQL
// statements through a compatibility layer. The connection string is
// "DRIVER={sqlite};DATABASE=<file>".
#pragma once

#include <memory>

#include "db/DbEngine.h"

namespace qiva::db {

std::unique_ptr<DbEngine> CreateSqliteEngine();

}  // namespace qiva::db
