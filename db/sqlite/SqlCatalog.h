// SqlCatalog.h: the embedded engine's record of each table as SQL Server would see it: column
// types with lengths, nullability, identity and defaults. SQLite keeps the rows; this catalogue
// (persisted in the engine's own tables) gives the T-SQL meaning of each column.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite/TSqlAst.h"

struct sqlite3;

namespace qiva::db::tsql {

// How values of a column are converted and checked on the way in.
enum class ColKind { Text, Int, Bit, DateTime, Real, Decimal, Other };

struct ColumnInfo {
  std::string name;
  std::string typeName;  // upper case, as declared (VARCHAR, INT, DATETIME, ...)
  ColKind kind = ColKind::Other;
  int length = 0;  // Text: characters (-1 for MAX); Int: bytes (1, 2, 4, 8)
  int precision = 0;
  int scale = 0;
  bool nullable = true;
  bool identity = false;
  std::string defaultSql;  // T-SQL text of the default, empty when none
};

struct TableInfo {
  std::string name;
  std::vector<ColumnInfo> columns;
  // Index of the column named `name` (any case), or -1.
  int Find(std::string_view name) const;
};

// The engine's internal tables; none is visible through INFORMATION_SCHEMA.
inline constexpr const char* kObjectsTable = "__qiva_objects";
inline constexpr const char* kColumnsTable = "__qiva_columns";
inline constexpr const char* kForeignKeysTable = "__qiva_foreign_keys";

// The SQL that creates the internal tables when they are missing.
const char* CatalogSchemaSql();

// Fills a column's kind, length and SQLite storage from its declared T-SQL type; false with a
// message for a type the engine does not know.
bool DescribeColumn(const ColumnDef& def, ColumnInfo& out, std::string& error);

// The SQLite column definition for a catalogue column.
std::string SqliteColumnSql(const ColumnInfo& col);

class Catalog {
 public:
  // Reads every table's columns from the database; false with a message on failure.
  bool Load(sqlite3* db, std::string& error);
  // The table named `name` (any case), or null.
  const TableInfo* Find(std::string_view name) const;
  // Replaces (or adds) a table in memory; the caller persists it with Save.
  void Put(TableInfo table);
  void Remove(std::string_view name);
  // Writes a table's column rows (replacing any earlier ones); false with a message.
  static bool Save(sqlite3* db, const TableInfo& table, std::string& error);
  // Bumped by every change, so that cached translations can tell that they are stale.
  unsigned long Version() const { return version_; }

 private:
  std::map<std::string, TableInfo> tables_;  // by upper-case name
  unsigned long version_ = 0;
};

// Quotes `name` as an SQLite identifier ("name", with inner quotes doubled).
std::string QuoteId(std::string_view name);
// Quotes `text` as an SQLite string literal.
std::string QuoteText(std::string_view text);

}  // namespace qiva::db::tsql
