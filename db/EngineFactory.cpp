// EngineFactory.cpp: picks the engine that serves a connection string.
#include <algorithm>
#include <cctype>

#include "db/DbEngine.h"
#include "db/odbc/OdbcEngine.h"
#include "db/sqlite/SqliteEngine.h"

namespace qiva::db {

std::unique_ptr<DbEngine> CreateEngineFor(const std::string& connectionString) {
  std::string lower = connectionString;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const bool embedded = lower.rfind("driver={sqlite};", 0) == 0 || lower == "driver={sqlite}" ||
                        lower.rfind("driver=sqlite;", 0) == 0;
  return embedded ? CreateSqliteEngine() : CreateOdbcEngine();
}

}  // namespace qiva::db
