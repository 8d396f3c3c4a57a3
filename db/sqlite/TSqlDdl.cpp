// TSqlDdl.cpp: T-SQL schema statements on the embedded database.
#include "db/sqlite/TSqlDdl.h"

#include <sqlite3.h>

#include "db/sqlite/SqlFunctions.h"
#include "db/sqlite/TSqlLexer.h"

namespace qiva::db::tsql {

bool DdlRunner::Fail(int number, std::string message) {
  error_.number = number;
  error_.message = std::move(message);
  return false;
}

bool DdlRunner::Exec(const std::string& sql) {
  char* msg = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg) == SQLITE_OK) return true;
  std::string text = msg ? msg : sqlite3_errmsg(db_);
  sqlite3_free(msg);
  int number = 0;
  std::string message;
  if (ParseRaisedError(text, number, message)) return Fail(number, message);
  return Fail(50000, text);
}

bool DdlRunner::ObjectExists(const std::string& name) {
  sqlite3_stmt* st = nullptr;
  const std::string sql = "SELECT 1 FROM \"__qiva_objects\" WHERE name = " + QuoteText(name) +
                          " UNION ALL SELECT 1 FROM sqlite_master WHERE name = " + QuoteText(name) +
                          " COLLATE NOCASE";
  bool found = false;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) == SQLITE_OK)
    found = sqlite3_step(st) == SQLITE_ROW;
  sqlite3_finalize(st);
  return found;
}

bool DdlRunner::Run(const Statement& stmt, TranslateError& error) {
  bool ok = false;
  switch (stmt.kind) {
    case Statement::Kind::CreateTable:
      ok = CreateTable(stmt);
      break;
    case Statement::Kind::AlterTable:
      ok = AlterTable(stmt);
      break;
    case Statement::Kind::CreateIndex:
      ok = CreateIndex(stmt);
      break;
    case Statement::Kind::DropTable:
      ok = DropTable(stmt);
      break;
    case Statement::Kind::CreateProcedure:
      ok = CreateProcedure(stmt);
      break;
    default:
      ok = Fail(50000, "not a schema statement");
  }
  if (!ok) error = error_;
  return ok;
}

bool DdlRunner::CreateTable(const Statement& st) {
  const std::string& name = st.table.name;
  if (ObjectExists(name))
    return Fail(2714, "There is already an object named '" + name + "' in the database.");
  if (st.columnDefs.empty()) return Fail(102, "Incorrect syntax near ')'.");
  TableInfo t;
  t.name = name;
  int identity = -1;
  for (const ColumnDef& def : st.columnDefs) {
    if (t.Find(def.name) >= 0)
      return Fail(2705, "Column names in each table must be unique. Column name '" + def.name +
                            "' in table '" + name + "' is specified more than once.");
    ColumnInfo c;
    std::string err;
    if (!DescribeColumn(def, c, err)) return Fail(2715, err);
    if (def.identity) {
      if (identity >= 0)
        return Fail(2744, "Multiple identity columns specified for table '" + name +
                              "'. Only one identity column per table is allowed.");
      if (def.increment != 1)
        return Fail(50000, "Only IDENTITY increments of 1 are supported by the embedded engine.");
      identity = static_cast<int>(t.columns.size());
    }
    t.columns.push_back(std::move(c));
  }
  std::string sql = "CREATE TABLE " + QuoteId(name) + " (";
  for (size_t i = 0; i < t.columns.size(); ++i) {
    if (i) sql += ", ";
    sql += static_cast<int>(i) == identity
               ? QuoteId(t.columns[i].name) + " INTEGER PRIMARY KEY AUTOINCREMENT"
               : SqliteColumnSql(t.columns[i]);
  }
  sql += ")";
  if (!Exec(sql)) return false;
  if (identity >= 0 && st.columnDefs[static_cast<size_t>(identity)].seed != 1) {
    const long long seed = st.columnDefs[static_cast<size_t>(identity)].seed;
    if (!Exec("INSERT INTO sqlite_sequence (name, seq) VALUES (" + QuoteText(name) + ", " +
              std::to_string(seed - 1) + ")"))
      return false;
  }
  if (!Exec("INSERT INTO \"__qiva_objects\" (name, type) VALUES (" + QuoteText(name) + ", 'U')"))
    return false;
  for (const ConstraintDef& c : st.constraints)
    if (!ApplyConstraint(t, c, false)) return false;
  std::string err;
  if (!Catalog::Save(db_, t, err)) return Fail(50000, err);
  catalog_.Put(t);
  for (const ConstraintDef& c : st.constraints)
    if (c.kind == ConstraintDef::Kind::ForeignKey && !AddForeignKey(*catalog_.Find(name), c))
      return false;
  return true;
}

// One table constraint of CREATE TABLE or ALTER TABLE ... ADD. A new table gets its foreign keys
// only once it is in the catalogue, so they are applied here when `altering` only; altering also
// refuses a second default on a column.
bool DdlRunner::ApplyConstraint(TableInfo& t, const ConstraintDef& c, bool altering) {
  switch (c.kind) {
    case ConstraintDef::Kind::PrimaryKey:
      return AddKey(t, c, true);
    case ConstraintDef::Kind::Unique:
      return AddKey(t, c, false);
    case ConstraintDef::Kind::Default: {
      const int idx = c.columns.empty() ? -1 : t.Find(c.columns[0]);
      if (idx < 0)
        return Fail(1752, "Column '" + (c.columns.empty() ? "" : c.columns[0]) + "' in table '" +
                              t.name + "' is invalid for creating a default constraint.");
      ColumnInfo& col = t.columns[static_cast<size_t>(idx)];
      if (altering && !col.defaultSql.empty())
        return Fail(1781, "Column already has a DEFAULT bound to it.");
      col.defaultSql = c.defaultSql;
      return true;
    }
    case ConstraintDef::Kind::ForeignKey:
      return !altering || AddForeignKey(t, c);
    case ConstraintDef::Kind::Check:
      return true;  // CHECK constraints are not enforced
  }
  return true;
}

bool DdlRunner::AddKey(TableInfo& t, const ConstraintDef& c, bool primary) {
  std::vector<std::string> cols;
  for (const std::string& n : c.columns) {
    const int idx = t.Find(n);
    if (idx < 0)
      return Fail(1911, "Column name '" + n + "' does not exist in the target table or view.");
    cols.push_back(t.columns[static_cast<size_t>(idx)].name);
  }
  if (primary) {
    for (const std::string& n : cols) {
      ColumnInfo& col = t.columns[static_cast<size_t>(t.Find(n))];
      col.nullable = false;
      if (cols.size() == 1 && col.identity)
        return true;  // the identity column is SQLite's row id already
    }
  }
  const std::string indexName =
      c.name.empty() ? (primary ? "PK__" : "UQ__") + t.name + "__" + cols[0] : c.name;
  if (ObjectExists(indexName))
    return Fail(2714, "There is already an object named '" + indexName + "' in the database.");
  std::string sql = "CREATE UNIQUE INDEX " + QuoteId(indexName) + " ON " + QuoteId(t.name) + " (";
  for (size_t i = 0; i < cols.size(); ++i) sql += (i ? ", " : "") + QuoteId(cols[i]);
  sql += ")";
  if (!Exec(sql)) {
    return Fail(1505,
                "The CREATE UNIQUE INDEX statement terminated because a duplicate key was found "
                "for the object name 'dbo." +
                    t.name + "' and the index name '" + indexName + "'.");
  }
  return true;
}

bool DdlRunner::AddForeignKey(const TableInfo& child, const ConstraintDef& c) {
  const TableInfo* parent = catalog_.Find(c.refTable);
  if (!parent)
    return Fail(1767,
                "Foreign key '" + c.name + "' references invalid table '" + c.refTable + "'.");
  std::vector<std::string> refCols = c.refColumns;
  if (refCols.empty()) {
    for (const ColumnInfo& col : parent->columns)
      if (col.identity) refCols.push_back(col.name);
  }
  if (refCols.size() != c.columns.size() || refCols.empty())
    return Fail(1769, "Foreign key '" + c.name +
                          "' references invalid column(s) in referenced table '" + parent->name +
                          "'.");
  std::string childMatch, parentMatch, notNull;
  for (size_t i = 0; i < refCols.size(); ++i) {
    const int ci = child.Find(c.columns[i]);
    const int pi = parent->Find(refCols[i]);
    if (ci < 0)
      return Fail(1769, "Foreign key '" + c.name + "' references invalid column '" + c.columns[i] +
                            "' in referencing table '" + child.name + "'.");
    if (pi < 0)
      return Fail(1770, "Foreign key '" + c.name + "' references invalid column '" + refCols[i] +
                            "' in referenced table '" + parent->name + "'.");
    const std::string cc = QuoteId(child.columns[static_cast<size_t>(ci)].name);
    const std::string pc = QuoteId(parent->columns[static_cast<size_t>(pi)].name);
    parentMatch += (i ? " AND " : "") + pc + " = NEW." + cc;
    childMatch += (i ? " AND " : "") + cc + " = OLD." + pc;
    notNull += (i ? " AND " : "") + std::string("NEW.") + cc + " IS NOT NULL";
  }
  const std::string name = c.name.empty() ? "FK__" + child.name + "__" + parent->name : c.name;
  if (ObjectExists(name))
    return Fail(2714, "There is already an object named '" + name + "' in the database.");
  const std::string firstRef = parent->columns[static_cast<size_t>(parent->Find(refCols[0]))].name;
  const std::string firstCol = child.columns[static_cast<size_t>(child.Find(c.columns[0]))].name;
  const auto conflict = [&](const char* verb) {
    return QuoteText(
        RaisedError(547, std::string("The ") + verb +
                             " statement conflicted with the FOREIGN KEY constraint \"" + name +
                             "\". The conflict occurred in database \"" + dbName_ +
                             "\", table \"dbo." + parent->name + "\", column '" + firstRef + "'."));
  };
  const std::string refConflict = QuoteText(
      RaisedError(547, "The DELETE statement conflicted with the REFERENCE constraint \"" + name +
                           "\". The conflict occurred in database \"" + dbName_ +
                           "\", table \"dbo." + child.name + "\", column '" + firstCol + "'."));
  const std::string parentTable = QuoteId(parent->name);
  std::string sql = "CREATE TRIGGER " + QuoteId(name + "__ins") + " BEFORE INSERT ON " +
                    QuoteId(child.name) + " FOR EACH ROW WHEN " + notNull +
                    " AND NOT EXISTS (SELECT 1 FROM " + parentTable + " WHERE " + parentMatch +
                    ") BEGIN SELECT RAISE(ABORT, " + conflict("INSERT") + "); END;";
  sql += "CREATE TRIGGER " + QuoteId(name + "__upd") + " BEFORE UPDATE ON " + QuoteId(child.name) +
         " FOR EACH ROW WHEN " + notNull + " AND NOT EXISTS (SELECT 1 FROM " + parentTable +
         " WHERE " + parentMatch + ") BEGIN SELECT RAISE(ABORT, " + conflict("UPDATE") + "); END;";
  sql += "CREATE TRIGGER " + QuoteId(name + "__del") + " BEFORE DELETE ON " + parentTable +
         " FOR EACH ROW WHEN EXISTS (SELECT 1 FROM " + QuoteId(child.name) + " WHERE " +
         childMatch + ") BEGIN SELECT RAISE(ABORT, " + refConflict + "); END;";
  sql += "INSERT INTO \"__qiva_foreign_keys\" (name, child, parent) VALUES (" + QuoteText(name) +
         ", " + QuoteText(child.name) + ", " + QuoteText(parent->name) + ");";
  sql += "INSERT INTO \"__qiva_objects\" (name, type) VALUES (" + QuoteText(name) + ", 'F');";
  return Exec(sql);
}

bool DdlRunner::AddColumn(TableInfo& t, const ColumnDef& def) {
  if (t.Find(def.name) >= 0)
    return Fail(2705, "Column names in each table must be unique. Column name '" + def.name +
                          "' in table '" + t.name + "' is specified more than once.");
  if (def.identity)
    return Fail(50000, "Adding an IDENTITY column is not supported by the embedded engine.");
  ColumnInfo c;
  std::string err;
  if (!DescribeColumn(def, c, err)) return Fail(2715, err);
  if (!Exec("ALTER TABLE " + QuoteId(t.name) + " ADD COLUMN " + SqliteColumnSql(c))) return false;
  if (!c.defaultSql.empty() && !c.nullable) {
    std::string d;
    SType dt;
    TranslateError te;
    if (!Translator::DefaultValue(catalog_, c, dbName_, d, dt, te))
      return Fail(te.number, te.message);
    if (!Exec("UPDATE " + QuoteId(t.name) + " SET " + QuoteId(c.name) + " = " +
              Translator::ColumnValue(d, dt, c, t.name, 2)))
      return false;
  } else if (!c.nullable) {
    sqlite3_stmt* st = nullptr;
    bool empty = true;
    if (sqlite3_prepare_v2(db_, ("SELECT 1 FROM " + QuoteId(t.name) + " LIMIT 1").c_str(), -1, &st,
                           nullptr) == SQLITE_OK)
      empty = sqlite3_step(st) != SQLITE_ROW;
    sqlite3_finalize(st);
    if (!empty)
      return Fail(4901,
                  "ALTER TABLE only allows columns to be added that can contain nulls, or have a "
                  "DEFAULT definition specified, or the column being added is an identity or "
                  "timestamp column, or alternatively if none of the previous conditions are "
                  "satisfied the table must be empty to allow addition of this column. Column '" +
                      c.name + "' cannot be added to non-empty table '" + t.name +
                      "' because it does not satisfy these conditions.");
  }
  t.columns.push_back(std::move(c));
  return true;
}

bool DdlRunner::AlterTable(const Statement& st) {
  const TableInfo* found = catalog_.Find(st.table.name);
  if (!found)
    return Fail(4902, "Cannot find the object \"" + st.table.name +
                          "\" because it does not exist or you do not have permissions.");
  TableInfo t = *found;
  if (st.alterColumn) {
    const ColumnDef& def = st.columnDefs[0];
    const int idx = t.Find(def.name);
    if (idx < 0)
      return Fail(4924, "ALTER TABLE ALTER COLUMN failed because column '" + def.name +
                            "' does not exist in table '" + t.name + "'.");
    ColumnInfo& col = t.columns[static_cast<size_t>(idx)];
    ColumnInfo changed;
    std::string err;
    if (!DescribeColumn(def, changed, err)) return Fail(2715, err);
    if (changed.kind == ColKind::Text && changed.length > 0) {
      sqlite3_stmt* q = nullptr;
      bool tooLong = false;
      const std::string sql = "SELECT 1 FROM " + QuoteId(t.name) + " WHERE length(CAST(" +
                              QuoteId(col.name) + " AS BLOB)) > " + std::to_string(changed.length) +
                              " LIMIT 1";
      if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &q, nullptr) == SQLITE_OK)
        tooLong = sqlite3_step(q) == SQLITE_ROW;
      sqlite3_finalize(q);
      if (tooLong)
        return Fail(2628, "String or binary data would be truncated in table '" + dbName_ +
                              ".dbo." + t.name + "', column '" + col.name + "'.");
    }
    if (!changed.nullable) {
      sqlite3_stmt* q = nullptr;
      bool hasNull = false;
      const std::string sql =
          "SELECT 1 FROM " + QuoteId(t.name) + " WHERE " + QuoteId(col.name) + " IS NULL LIMIT 1";
      if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &q, nullptr) == SQLITE_OK)
        hasNull = sqlite3_step(q) == SQLITE_ROW;
      sqlite3_finalize(q);
      if (hasNull)
        return Fail(515, "Cannot insert the value NULL into column '" + col.name + "', table '" +
                             dbName_ + ".dbo." + t.name +
                             "'; column does not allow nulls. UPDATE fails.");
    }
    changed.name = col.name;
    changed.identity = col.identity;
    changed.defaultSql = col.defaultSql;
    col = changed;
  }
  for (const ColumnDef& def : st.alterColumn ? std::vector<ColumnDef>{} : st.columnDefs)
    if (!AddColumn(t, def)) return false;
  for (const ConstraintDef& c : st.constraints)
    if (!ApplyConstraint(t, c, true)) return false;
  std::string err;
  if (!Catalog::Save(db_, t, err)) return Fail(50000, err);
  catalog_.Put(std::move(t));
  return true;
}

bool DdlRunner::CreateIndex(const Statement& st) {
  const TableInfo* t = catalog_.Find(st.table.name);
  if (!t)
    return Fail(1088, "Cannot find the object \"" + st.table.name +
                          "\" because it does not exist or you do not have permissions.");
  std::string sql = std::string("CREATE ") + (st.unique ? "UNIQUE " : "") + "INDEX " +
                    QuoteId(st.name) + " ON " + QuoteId(t->name) + " (";
  for (size_t i = 0; i < st.columns.size(); ++i) {
    const int idx = t->Find(st.columns[i]);
    if (idx < 0)
      return Fail(
          1911, "Column name '" + st.columns[i] + "' does not exist in the target table or view.");
    sql += (i ? ", " : "") + QuoteId(t->columns[static_cast<size_t>(idx)].name);
  }
  sql += ")";
  if (ObjectExists(st.name))
    return Fail(1913, "The operation failed because an index or statistics with name '" + st.name +
                          "' already exists on table '" + t->name + "'.");
  return Exec(sql);
}

bool DdlRunner::DropTable(const Statement& st) {
  for (const TableRef& ref : st.tables) {
    const TableInfo* t = catalog_.Find(ref.name);
    if (!t) {
      if (st.ifExists) continue;
      return Fail(3701, "Cannot drop the table '" + ref.name +
                            "', because it does not exist or you do not have permission.");
    }
    const std::string name = t->name;
    sqlite3_stmt* q = nullptr;
    std::vector<std::string> ownKeys;
    bool referenced = false;
    const std::string sql =
        "SELECT name, child, parent FROM \"__qiva_foreign_keys\" WHERE child = " + QuoteText(name) +
        " OR parent = " + QuoteText(name);
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &q, nullptr) == SQLITE_OK) {
      while (sqlite3_step(q) == SQLITE_ROW) {
        const std::string fk = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
        const std::string child = reinterpret_cast<const char*>(sqlite3_column_text(q, 1));
        if (ToUpper(child) == ToUpper(name))
          ownKeys.push_back(fk);
        else
          referenced = true;
      }
    }
    sqlite3_finalize(q);
    if (referenced)
      return Fail(3726, "Could not drop object '" + name +
                            "' because it is referenced by a FOREIGN KEY constraint.");
    std::string drop;
    for (const std::string& fk : ownKeys) {
      drop += "DROP TRIGGER IF EXISTS " + QuoteId(fk + "__del") + ";";
      drop += "DELETE FROM \"__qiva_foreign_keys\" WHERE name = " + QuoteText(fk) + ";";
      drop += "DELETE FROM \"__qiva_objects\" WHERE name = " + QuoteText(fk) + ";";
    }
    drop += "DROP TABLE " + QuoteId(name) + ";";
    drop += "DELETE FROM \"__qiva_objects\" WHERE name = " + QuoteText(name) + ";";
    drop += "DELETE FROM \"__qiva_columns\" WHERE table_name = " + QuoteText(name) + ";";
    if (!Exec(drop)) return false;
    catalog_.Remove(name);
  }
  return true;
}

bool DdlRunner::CreateProcedure(const Statement& st) {
  if (ObjectExists(st.name))
    return Fail(2714, "There is already an object named '" + st.name + "' in the database.");
  return Exec("INSERT INTO \"__qiva_objects\" (name, type, body) VALUES (" + QuoteText(st.name) +
              ", 'P', " + QuoteText(st.value) + ")");
}

}  // namespace qiva::db::tsql
