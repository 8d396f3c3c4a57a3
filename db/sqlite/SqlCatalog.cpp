// SqlCatalog.cpp: the embedded engine's catalogue of T-SQL column types.
#include "db/sqlite/SqlCatalog.h"

#include <sqlite3.h>

#include "db/sqlite/TSqlLexer.h"

namespace qiva::db::tsql {

int TableInfo::Find(std::string_view name) const {
  const std::string up = ToUpper(name);
  for (size_t i = 0; i < columns.size(); ++i)
    if (ToUpper(columns[i].name) == up) return static_cast<int>(i);
  return -1;
}

const char* CatalogSchemaSql() {
  return "CREATE TABLE IF NOT EXISTS \"__qiva_objects\" (object_id INTEGER PRIMARY KEY, "
         "name TEXT COLLATE NOCASE NOT NULL UNIQUE, type TEXT NOT NULL, body TEXT);"
         "CREATE TABLE IF NOT EXISTS \"__qiva_columns\" (table_name TEXT COLLATE NOCASE NOT NULL, "
         "ordinal INTEGER NOT NULL, column_name TEXT COLLATE NOCASE NOT NULL, type_name TEXT NOT "
         "NULL, "
         "length INTEGER, precision INTEGER, scale INTEGER, nullable INTEGER NOT NULL, "
         "is_identity INTEGER NOT NULL, default_sql TEXT, PRIMARY KEY (table_name, column_name));"
         "CREATE TABLE IF NOT EXISTS \"__qiva_foreign_keys\" (name TEXT COLLATE NOCASE PRIMARY "
         "KEY, "
         "child TEXT COLLATE NOCASE NOT NULL, parent TEXT COLLATE NOCASE NOT NULL);";
}

bool DescribeColumn(const ColumnDef& def, ColumnInfo& out, std::string& error) {
  const std::string& t = def.type.name;
  out.name = def.name;
  out.typeName = t;
  out.length = 0;
  out.precision = def.type.precision;
  out.scale = def.type.scale;
  out.nullable = !def.notNull && !def.identity;
  out.identity = def.identity;
  out.defaultSql = def.defaultSql;
  if (t == "INT" || t == "INTEGER") {
    out.kind = ColKind::Int;
    out.length = 4;
  } else if (t == "BIGINT") {
    out.kind = ColKind::Int;
    out.length = 8;
  } else if (t == "SMALLINT") {
    out.kind = ColKind::Int;
    out.length = 2;
  } else if (t == "TINYINT") {
    out.kind = ColKind::Int;
    out.length = 1;
  } else if (t == "BIT") {
    out.kind = ColKind::Bit;
  } else if (t == "VARCHAR" || t == "NVARCHAR" || t == "CHAR" || t == "NCHAR") {
    out.kind = ColKind::Text;
    out.length = def.type.length == 0 ? 1 : def.type.length;
  } else if (t == "TEXT" || t == "NTEXT" || t == "SYSNAME" || t == "XML") {
    out.kind = ColKind::Text;
    out.length = t == "SYSNAME" ? 128 : -1;
  } else if (t == "DATETIME" || t == "SMALLDATETIME" || t == "DATETIME2" || t == "DATE") {
    out.kind = ColKind::DateTime;
  } else if (t == "FLOAT" || t == "REAL") {
    out.kind = ColKind::Real;
  } else if (t == "DECIMAL" || t == "NUMERIC") {
    out.kind = ColKind::Decimal;
    if (out.precision == 0) out.precision = 18;
  } else if (t == "MONEY" || t == "SMALLMONEY") {
    out.kind = ColKind::Decimal;
    out.precision = 19;
    out.scale = 4;
  } else if (t == "UNIQUEIDENTIFIER" || t == "VARBINARY" || t == "BINARY" || t == "IMAGE") {
    out.kind = ColKind::Other;
  } else {
    error = "Column, parameter, or variable #1: Cannot find data type " + def.type.name + ".";
    return false;
  }
  if (def.identity && out.kind != ColKind::Int && out.kind != ColKind::Decimal) {
    error = "Identity column '" + def.name +
            "' must be of data type int, bigint, smallint, tinyint, or decimal or numeric with a "
            "scale of 0, and constrained to be nonnullable.";
    return false;
  }
  return true;
}

std::string SqliteColumnSql(const ColumnInfo& col) {
  std::string s = QuoteId(col.name);
  switch (col.kind) {
    case ColKind::Text:
      s += " TEXT COLLATE NOCASE";
      break;
    case ColKind::Int:
    case ColKind::Bit:
      s += " INTEGER";
      break;
    case ColKind::DateTime:
      s += " TEXT";
      break;
    case ColKind::Real:
    case ColKind::Decimal:
      s += " REAL";
      break;
    case ColKind::Other:
      s += " BLOB";
      break;
  }
  return s;
}

bool Catalog::Load(sqlite3* db, std::string& error) {
  tables_.clear();
  ++version_;
  sqlite3_stmt* st = nullptr;
  const char* sql =
      "SELECT table_name, column_name, type_name, length, precision, scale, nullable, "
      "is_identity, default_sql FROM \"__qiva_columns\" ORDER BY table_name, ordinal";
  if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
    error = sqlite3_errmsg(db);
    return false;
  }
  int rc;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    const auto text = [st](int i) {
      const unsigned char* p = sqlite3_column_text(st, i);
      return p ? std::string(reinterpret_cast<const char*>(p)) : std::string();
    };
    const std::string table = text(0);
    TableInfo& info = tables_[ToUpper(table)];
    if (info.name.empty()) info.name = table;
    ColumnDef def;
    def.name = text(1);
    def.type.name = text(2);
    def.type.length = sqlite3_column_int(st, 3);
    def.type.precision = sqlite3_column_int(st, 4);
    def.type.scale = sqlite3_column_int(st, 5);
    def.notNull = sqlite3_column_int(st, 6) == 0;
    def.identity = sqlite3_column_int(st, 7) != 0;
    def.defaultSql = text(8);
    ColumnInfo col;
    std::string ignored;
    DescribeColumn(def, col, ignored);
    col.length = def.type.length;
    col.precision = def.type.precision;
    col.scale = def.type.scale;
    info.columns.push_back(std::move(col));
  }
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) {
    error = sqlite3_errmsg(db);
    return false;
  }
  return true;
}

const TableInfo* Catalog::Find(std::string_view name) const {
  const auto it = tables_.find(ToUpper(name));
  return it == tables_.end() ? nullptr : &it->second;
}

void Catalog::Put(TableInfo table) {
  ++version_;
  tables_[ToUpper(table.name)] = std::move(table);
}

void Catalog::Remove(std::string_view name) {
  ++version_;
  tables_.erase(ToUpper(name));
}

bool Catalog::Save(sqlite3* db, const TableInfo& table, std::string& error) {
  std::string sql =
      "DELETE FROM \"__qiva_columns\" WHERE table_name = " + QuoteText(table.name) + ";";
  int ordinal = 1;
  for (const ColumnInfo& c : table.columns) {
    sql += "INSERT INTO \"__qiva_columns\" VALUES (" + QuoteText(table.name) + "," +
           std::to_string(ordinal++) + "," + QuoteText(c.name) + "," + QuoteText(c.typeName) + "," +
           std::to_string(c.length) + "," + std::to_string(c.precision) + "," +
           std::to_string(c.scale) + "," + (c.nullable ? "1" : "0") + "," +
           (c.identity ? "1" : "0") + "," +
           (c.defaultSql.empty() ? "NULL" : QuoteText(c.defaultSql)) + ");";
  }
  char* msg = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
    error = msg ? msg : "catalogue write failed";
    sqlite3_free(msg);
    return false;
  }
  return true;
}

std::string QuoteId(std::string_view name) {
  std::string s = "\"";
  for (char c : name) {
    if (c == '"') s += '"';
    s += c;
  }
  return s + "\"";
}

std::string QuoteText(std::string_view text) {
  std::string s = "'";
  for (char c : text) {
    if (c == '\'') s += '\'';
    s += c;
  }
  return s + "'";
}

}  // namespace qiva::db::tsql
