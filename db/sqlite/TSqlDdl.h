// TSqlDdl.h: runs the T-SQL schema statements (CREATE/ALTER/DROP TABLE, CREATE INDEX,
// CREATE PROCEDURE) on the embedded database, keeping the engine's catalogue in step. SQLite
// cannot add constraints to a table, so keys become unique indexes, defaults live in the
// catalogue and foreign keys are enforced by triggers.
#pragma once

#include <string>

#include "db/sqlite/SqlCatalog.h"
#include "db/sqlite/TSqlAst.h"
#include "db/sqlite/TSqlTranslator.h"

struct sqlite3;

namespace qiva::db::tsql {

class DdlRunner {
 public:
  DdlRunner(sqlite3* db, Catalog& catalog, std::string databaseName)
      : db_(db), catalog_(catalog), dbName_(std::move(databaseName)) {}

  // Runs one schema statement; false with SQL Server's message number and text. The caller
  // wraps it in a savepoint and reloads the catalogue when it fails.
  bool Run(const Statement& stmt, TranslateError& error);

 private:
  bool CreateTable(const Statement& st);
  bool AlterTable(const Statement& st);
  bool CreateIndex(const Statement& st);
  bool DropTable(const Statement& st);
  bool CreateProcedure(const Statement& st);
  bool ApplyConstraint(TableInfo& t, const ConstraintDef& c, bool altering);
  bool AddKey(TableInfo& t, const ConstraintDef& c, bool primary);
  bool AddForeignKey(const TableInfo& child, const ConstraintDef& c);
  bool AddColumn(TableInfo& t, const ColumnDef& def);
  bool ObjectExists(const std::string& name);
  bool Exec(const std::string& sql);
  bool Fail(int number, std::string message);

  sqlite3* db_;
  Catalog& catalog_;
  std::string dbName_;
  TranslateError error_;
};

}  // namespace qiva::db::tsql
