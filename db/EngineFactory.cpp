// EngineFactory.cpp: picks the engine that serves a connection string.
#include "db/ConnectionString.h"
#include "db/DbEngine.h"
#include "db/odbc/OdbcEngine.h"
#include "db/sqlite/SqliteEngine.h"

namespace qiva::db {

std::unique_ptr<DbEngine> CreateEngineFor(const std::string& connectionString) {
  return IsEmbeddedDriver(ConnectionAttribute(connectionString, "DRIVER")) ? CreateSqliteEngine()
                                                                           : CreateOdbcEngine();
}

}  // namespace qiva::db
