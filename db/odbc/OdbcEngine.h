// OdbcEngine.h: the engine that reaches SQL Server (or any ODBC data source) through ODBC.
#pragma once

#include <memory>

#include "db/DbEngine.h"

namespace qiva::db {

std::unique_ptr<DbEngine> CreateOdbcEngine();

}  // namespace qiva::db
