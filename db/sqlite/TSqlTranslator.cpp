// TSqlTranslator.cpp: T-SQL queries and data changes to SQLite statements.
#include "db/sqlite/TSqlTranslator.h"

#include <algorithm>

namespace qiva::db::tsql {
namespace {

bool IsTextType(const SqlTypeName& t) {
  return t.name == "VARCHAR" || t.name == "NVARCHAR" || t.name == "CHAR" || t.name == "NCHAR" ||
         t.name == "TEXT" || t.name == "NTEXT" || t.name == "SYSNAME";
}

// The length a value stored into `c` is checked against: a decimal's precision, so that a value
// with more integer digits than the column holds is refused as on SQL Server.
int TargetLength(const ColumnInfo& c) {
  return c.kind == ColKind::Decimal ? c.precision : c.length;
}

std::string IntKindArgs(const ColumnInfo& c) {
  return std::to_string(static_cast<int>(c.kind)) + "," + std::to_string(TargetLength(c)) + "," +
         std::to_string(c.scale);
}

}  // namespace

SType TypeOfColumn(const ColumnInfo& col) {
  switch (col.kind) {
    case ColKind::Text:
      return SType::Text;
    case ColKind::Int:
      return SType::Int;
    case ColKind::Bit:
      return SType::Bit;
    case ColKind::DateTime:
      return SType::DateTime;
    case ColKind::Real:
    case ColKind::Decimal:
      return SType::Real;
    case ColKind::Other:
      return SType::Unknown;
  }
  return SType::Unknown;
}

Translator::Translator(const Catalog& catalog, const Batch& batch, int literalBase,
                       bool inlineLiterals, std::string databaseName)
    : catalog_(catalog),
      batch_(batch),
      literalBase_(literalBase),
      inline_(inlineLiterals),
      dbName_(std::move(databaseName)) {}

bool Translator::Fail(int number, std::string message) {
  error_.number = number;
  error_.message = std::move(message);
  return false;
}

bool Translator::Statement(const tsql::Statement& stmt, std::string& sql, TranslateError& error) {
  bool ok = false;
  switch (stmt.kind) {
    case tsql::Statement::Kind::Select:
      ok = Select(*stmt.select, sql);
      break;
    case tsql::Statement::Kind::Insert:
      ok = Insert(stmt, sql);
      break;
    case tsql::Statement::Kind::Update:
      ok = Update(stmt, sql);
      break;
    case tsql::Statement::Kind::Delete:
      ok = Delete(stmt, sql);
      break;
    default:
      ok = Fail(50000, "statement cannot be translated");
  }
  if (!ok) error = error_;
  return ok;
}

bool Translator::Condition(const Expr& cond, std::string& sql, TranslateError& error) {
  std::string e;
  SType t;
  if (!Emit(cond, e, t)) {
    error = error_;
    return false;
  }
  sql = "SELECT CASE WHEN " + e + " THEN 1 ELSE 0 END";
  return true;
}

bool Translator::Value(const Expr& expr, std::string& sql, TranslateError& error) {
  std::string e;
  SType t;
  if (!Emit(expr, e, t)) {
    error = error_;
    return false;
  }
  sql = "SELECT " + e;
  return true;
}

std::string Translator::ColumnValue(const std::string& valueSql, SType valueType,
                                    const ColumnInfo& col, const std::string& table, int op) {
  std::string v = valueSql;
  if (valueType == SType::DateTime && col.kind == ColKind::Text) v = "qiva_dt_text(" + v + ",0,30)";
  if (valueType == SType::DateTime && col.kind == ColKind::DateTime && col.nullable) return v;
  return "qiva_col(" + v + "," + IntKindArgs(col) + "," + (col.nullable ? "0" : "1") + "," +
         QuoteText(table) + "," + QuoteText(col.name) + "," + std::to_string(op) + ")";
}

bool Translator::DefaultValue(const Catalog& catalog, const ColumnInfo& col,
                              const std::string& dbName, std::string& sql, SType& type,
                              TranslateError& error) {
  Batch b;
  ExprPtr expr;
  SyntaxError se;
  if (!ParseExpression(col.defaultSql, b, expr, se)) {
    error.number = se.number;
    error.message = se.message;
    return false;
  }
  Translator t(catalog, b, 0, true, dbName);
  if (!t.Emit(*expr, sql, type)) {
    error = t.error_;
    return false;
  }
  return true;
}

bool Translator::ResolveSource(const TableRef& ref, Source& out) {
  const std::string schema = ToUpper(ref.schema);
  const std::string name = ToUpper(ref.name);
  out.alias = ref.alias.empty() ? ref.name : ref.alias;
  out.tableName = ref.name;
  if (schema == "INFORMATION_SCHEMA" && name == "TABLES") return InformationSchemaTables(out);
  if (schema == "INFORMATION_SCHEMA" && name == "COLUMNS") return InformationSchemaColumns(out);
  if (name == "SYSOBJECTS" || (schema == "SYS" && name == "PROCEDURES"))
    return SysObjects(name == "PROCEDURES", out);
  const TableInfo* t = catalog_.Find(ref.name);
  if (!t || (!schema.empty() && schema != "DBO"))
    return Fail(208, "Invalid object name '" + ref.name + "'.");
  out.tableName = t->name;
  if (ref.alias.empty()) out.alias = t->name;
  out.sql = QuoteId(t->name);
  for (const ColumnInfo& c : t->columns) out.columns.push_back({c.name, TypeOfColumn(c)});
  return true;
}

// INFORMATION_SCHEMA.TABLES: the catalogue's tables.
bool Translator::InformationSchemaTables(Source& out) {
  const std::string db = QuoteText(dbName_);
  out.sql = "(SELECT " + db +
            " AS TABLE_CATALOG, 'dbo' AS TABLE_SCHEMA, name AS TABLE_NAME, "
            "'BASE TABLE' AS TABLE_TYPE FROM \"__qiva_objects\" WHERE type = 'U')";
  out.columns = {{"TABLE_CATALOG", SType::Text},
                 {"TABLE_SCHEMA", SType::Text},
                 {"TABLE_NAME", SType::Text},
                 {"TABLE_TYPE", SType::Text}};
  return true;
}

// INFORMATION_SCHEMA.COLUMNS: the catalogue's columns with their T-SQL types, lengths,
// precisions and scales.
bool Translator::InformationSchemaColumns(Source& out) {
  const std::string db = QuoteText(dbName_);
  out.sql =
      "(SELECT " + db +
      " AS TABLE_CATALOG, 'dbo' AS TABLE_SCHEMA, table_name AS TABLE_NAME, "
      "column_name AS COLUMN_NAME, ordinal AS ORDINAL_POSITION, default_sql AS COLUMN_DEFAULT, "
      "CASE nullable WHEN 1 THEN 'YES' ELSE 'NO' END AS IS_NULLABLE, lower(type_name) AS "
      "DATA_TYPE, "
      "CASE WHEN type_name IN ('VARCHAR','NVARCHAR','CHAR','NCHAR','TEXT','NTEXT') THEN length "
      "END "
      "AS CHARACTER_MAXIMUM_LENGTH, CASE type_name WHEN 'TINYINT' THEN 3 WHEN 'SMALLINT' THEN 5 "
      "WHEN 'INT' THEN 10 WHEN 'INTEGER' THEN 10 WHEN 'BIGINT' THEN 19 WHEN 'FLOAT' THEN 53 "
      "WHEN 'REAL' THEN 24 WHEN 'DECIMAL' THEN precision WHEN 'NUMERIC' THEN precision END "
      "AS NUMERIC_PRECISION, CASE WHEN type_name IN ('TINYINT','SMALLINT','INT','INTEGER',"
      "'BIGINT','DECIMAL','NUMERIC') THEN scale END AS NUMERIC_SCALE FROM \"__qiva_columns\")";
  out.columns = {{"TABLE_CATALOG", SType::Text},
                 {"TABLE_SCHEMA", SType::Text},
                 {"TABLE_NAME", SType::Text},
                 {"COLUMN_NAME", SType::Text},
                 {"ORDINAL_POSITION", SType::Int},
                 {"COLUMN_DEFAULT", SType::Text},
                 {"IS_NULLABLE", SType::Text},
                 {"DATA_TYPE", SType::Text},
                 {"CHARACTER_MAXIMUM_LENGTH", SType::Int},
                 {"NUMERIC_PRECISION", SType::Int},
                 {"NUMERIC_SCALE", SType::Int}};
  return true;
}

// dbo.sysobjects (every object) and sys.procedures (the procedures only).
bool Translator::SysObjects(bool proceduresOnly, Source& out) {
  const std::string where = proceduresOnly ? " WHERE type = 'P'" : "";
  out.sql =
      "(SELECT name, object_id AS id, object_id, type AS xtype, type, 1 AS uid FROM "
      "\"__qiva_objects\"" +
      where + ")";
  out.columns = {{"name", SType::Text},  {"id", SType::Int},    {"object_id", SType::Int},
                 {"xtype", SType::Text}, {"type", SType::Text}, {"uid", SType::Int}};
  return true;
}

bool Translator::Select(const SelectStmt& s, std::string& sql) {
  Source src;
  if (s.hasFrom && !ResolveSource(s.from, src)) return false;
  if (s.hasFrom) scopes_.push_back(&src);
  const auto pop = [&] {
    if (s.hasFrom) scopes_.pop_back();
  };
  sql = "SELECT ";
  bool first = true;
  for (const SelectItem& item : s.items) {
    if (!item.expr) {
      if (!s.hasFrom) {
        pop();
        return Fail(263, "Must specify table to select from.");
      }
      for (const SourceColumn& c : src.columns) {
        if (!first) sql += ", ";
        first = false;
        sql += QuoteId(src.alias) + "." + QuoteId(c.name) + " AS " + QuoteId(c.name);
      }
      continue;
    }
    if (!first) sql += ", ";
    first = false;
    std::string e;
    SType t;
    if (!Emit(*item.expr, e, t)) {
      pop();
      return false;
    }
    std::string alias = item.alias;
    if (alias.empty() && item.expr->kind == Expr::Kind::Column) alias = item.expr->name;
    sql += alias.empty() ? e : e + " AS " + QuoteId(alias);
  }
  if (s.hasFrom) sql += " FROM " + src.sql + " AS " + QuoteId(src.alias);
  if (s.where) {
    std::string e;
    SType t;
    if (!Emit(*s.where, e, t)) {
      pop();
      return false;
    }
    sql += " WHERE " + e;
  }
  for (size_t i = 0; i < s.orderBy.size(); ++i) {
    std::string e;
    SType t = SType::Unknown;
    const Expr& key = *s.orderBy[i].expr;
    // ORDER BY may name a column alias of the select list, as SQL Server allows.
    const auto alias = std::find_if(s.items.begin(), s.items.end(), [&](const SelectItem& item) {
      return key.kind == Expr::Kind::Column && key.qualifier.empty() && !item.alias.empty() &&
             ToUpper(item.alias) == ToUpper(key.name);
    });
    if (alias != s.items.end()) {
      e = QuoteId(alias->alias);
    } else if (!Emit(key, e, t)) {
      pop();
      return false;
    }
    if (t == SType::Text) e += " COLLATE NOCASE";
    sql += (i == 0 ? " ORDER BY " : ", ") + e + (s.orderBy[i].descending ? " DESC" : "");
  }
  pop();
  return true;
}

bool Translator::Insert(const tsql::Statement& st, std::string& sql) {
  const TableInfo* t = catalog_.Find(st.table.name);
  if (!t) return Fail(208, "Invalid object name '" + st.table.name + "'.");
  std::vector<int> targets;
  if (st.columns.empty()) {
    if (!st.defaultValues)
      for (size_t i = 0; i < t->columns.size(); ++i)
        if (!t->columns[i].identity) targets.push_back(static_cast<int>(i));
  } else {
    for (const std::string& name : st.columns) {
      const int idx = t->Find(name);
      if (idx < 0) return Fail(207, "Invalid column name '" + name + "'.");
      if (t->columns[static_cast<size_t>(idx)].identity)
        return Fail(544, "Cannot insert explicit value for identity column in table '" + t->name +
                             "' when IDENTITY_INSERT is set to OFF.");
      if (std::find(targets.begin(), targets.end(), idx) != targets.end())
        return Fail(
            264,
            "The column name '" + name +
                "' is specified more than once in the SET clause or column list of an INSERT. A "
                "column cannot be assigned more than one value in the same clause. Modify the "
                "clause to make sure that a column is updated only once. If this statement updates "
                "or inserts columns into a view, column aliasing can conceal these changes.");
      targets.push_back(idx);
    }
  }
  // Columns the statement leaves out get their default, or NULL (checked against NOT NULL).
  std::vector<std::pair<int, std::string>> implicit;
  for (size_t i = 0; i < t->columns.size(); ++i) {
    const ColumnInfo& c = t->columns[i];
    if (c.identity ||
        std::find(targets.begin(), targets.end(), static_cast<int>(i)) != targets.end())
      continue;
    if (!c.defaultSql.empty()) {
      std::string d;
      SType dt;
      TranslateError de;
      if (!DefaultValue(catalog_, c, dbName_, d, dt, de)) return Fail(de.number, de.message);
      implicit.emplace_back(static_cast<int>(i), ColumnValue(d, dt, c, t->name, 1));
    } else if (!c.nullable) {
      implicit.emplace_back(static_cast<int>(i), ColumnValue("NULL", SType::Null, c, t->name, 1));
    }
  }
  sql = "INSERT INTO " + QuoteId(t->name);
  if (targets.empty() && implicit.empty()) {
    sql += " DEFAULT VALUES";
    return true;
  }
  sql += " (";
  bool first = true;
  for (int idx : targets) {
    sql += (first ? "" : ",") + QuoteId(t->columns[static_cast<size_t>(idx)].name);
    first = false;
  }
  for (const auto& [idx, v] : implicit) {
    sql += (first ? "" : ",") + QuoteId(t->columns[static_cast<size_t>(idx)].name);
    first = false;
  }
  sql += ") VALUES ";
  const size_t rowCount = st.defaultValues ? 1 : st.rows.size();
  for (size_t r = 0; r < rowCount; ++r) {
    if (!st.defaultValues) {
      const auto& row = st.rows[r];
      if (row.size() > targets.size())
        return Fail(110,
                    "There are fewer columns in the INSERT statement than values specified in the "
                    "VALUES clause. The number of values in the VALUES clause must match the "
                    "number of columns specified in the INSERT statement.");
      if (row.size() < targets.size())
        return Fail(109,
                    "There are more columns in the INSERT statement than values specified in the "
                    "VALUES clause. The number of values in the VALUES clause must match the "
                    "number of columns specified in the INSERT statement.");
    }
    sql += r ? ",(" : "(";
    first = true;
    for (size_t i = 0; i < targets.size(); ++i) {
      std::string e;
      if (!StoredValue(*st.rows[r][i], t->columns[static_cast<size_t>(targets[i])], t->name, 1, e))
        return false;
      sql += (first ? "" : ",") + e;
      first = false;
    }
    for (const auto& [idx, v] : implicit) {
      sql += (first ? "" : ",") + v;
      first = false;
    }
    sql += ")";
  }
  return true;
}

bool Translator::Update(const tsql::Statement& st, std::string& sql) {
  Source src;
  if (!ResolveSource(st.table, src)) return false;
  const TableInfo* t = catalog_.Find(st.table.name);
  if (!t) return Fail(208, "Invalid object name '" + st.table.name + "'.");
  scopes_.push_back(&src);
  sql = "UPDATE " + QuoteId(t->name) + " SET ";
  bool ok = true;
  for (size_t i = 0; ok && i < st.sets.size(); ++i) {
    const int idx = t->Find(st.sets[i].first);
    if (idx < 0) {
      ok = Fail(207, "Invalid column name '" + st.sets[i].first + "'.");
      break;
    }
    const ColumnInfo& c = t->columns[static_cast<size_t>(idx)];
    if (c.identity) {
      ok = Fail(8102, "Cannot update identity column '" + c.name + "'.");
      break;
    }
    std::string e;
    if (!(ok = StoredValue(*st.sets[i].second, c, t->name, 2, e))) break;
    sql += (i ? ", " : "") + QuoteId(c.name) + " = " + e;
  }
  if (ok && st.where) {
    std::string e;
    SType ty;
    ok = Emit(*st.where, e, ty);
    sql += " WHERE " + e;
  } else if (ok) {
    ok = SkipRowsReplaceLeavesAlone(st, sql);
  }
  scopes_.pop_back();
  return ok;
}

// "update T set c=replace(c,'x','y')" without a WHERE changes only the rows that hold 'x'; the
// others would be rewritten unchanged. Restricting it to those rows gives the same table while
// sparing a rewrite of every row (the name clean-up chains run several such updates in a row).
bool Translator::SkipRowsReplaceLeavesAlone(const tsql::Statement& st, std::string& sql) {
  if (st.sets.size() != 1) return true;
  const Expr& value = *st.sets[0].second;
  if (value.kind != Expr::Kind::Func || value.name != "REPLACE" || value.args.size() != 3)
    return true;
  const Expr& subject = *value.args[0];
  const bool sameColumn = subject.kind == Expr::Kind::Column && subject.qualifier.empty() &&
                          ToUpper(subject.name) == ToUpper(st.sets[0].first);
  const bool textLiterals = value.args[1]->kind == Expr::Kind::Literal && value.args[1]->isString &&
                            value.args[2]->kind == Expr::Kind::Literal && value.args[2]->isString;
  if (!sameColumn || !textLiterals) return true;
  std::string column, find;
  SType ignored;
  if (!Emit(subject, column, ignored) || !Emit(*value.args[1], find, ignored)) return false;
  sql += " WHERE qiva_contains(" + column + ", " + find + ")";
  return true;
}

bool Translator::Delete(const tsql::Statement& st, std::string& sql) {
  Source src;
  if (!ResolveSource(st.table, src)) return false;
  if (!catalog_.Find(st.table.name))
    return Fail(208, "Invalid object name '" + st.table.name + "'.");
  scopes_.push_back(&src);
  sql = "DELETE FROM " + QuoteId(src.tableName);
  bool ok = true;
  if (st.where) {
    std::string e;
    SType ty;
    ok = Emit(*st.where, e, ty);
    sql += " WHERE " + e;
  }
  scopes_.pop_back();
  return ok;
}

bool Translator::StoredValue(const Expr& e, const ColumnInfo& col, const std::string& table, int op,
                             std::string& out) {
  if (e.kind == Expr::Kind::Literal && !inline_ && col.kind != ColKind::Other) {
    DirectParam p;
    p.param = e.literal - literalBase_ + 1;
    p.target.kind = col.kind;
    p.target.length = TargetLength(col);
    p.target.scale = col.scale;
    p.target.notNull = !col.nullable;
    p.target.table = table;
    p.target.column = col.name;
    p.target.op = op;
    direct_.push_back(std::move(p));
    out = "?" + std::to_string(direct_.back().param);
    return true;
  }
  SType ty;
  std::string v;
  if (!Emit(e, v, ty)) return false;
  out = ColumnValue(v, ty, col, table, op);
  return true;
}

void Translator::EmitLiteral(const Expr& e, std::string& out, SType& type) {
  const Token& tok = batch_.tokens[batch_.literals[static_cast<size_t>(e.literal)]];
  if (e.isString) {
    type = SType::Text;
  } else {
    type = tok.text.find_first_of(".eE") == std::string::npos ? SType::Int : SType::Real;
  }
  if (inline_) {
    out += e.isString ? QuoteText(tok.text) : tok.text;
  } else {
    out += "?" + std::to_string(e.literal - literalBase_ + 1);
  }
}

bool Translator::EmitColumn(const Expr& e, std::string& out, SType& type) {
  for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
    const Source& s = **it;
    // A table with an alias is known only by its alias, as on SQL Server.
    if (!e.qualifier.empty() && ToUpper(e.qualifier) != ToUpper(s.alias)) continue;
    for (const SourceColumn& c : s.columns) {
      if (ToUpper(c.name) == ToUpper(e.name)) {
        out += QuoteId(s.alias) + "." + QuoteId(c.name);
        type = c.type;
        return true;
      }
    }
  }
  if (!e.qualifier.empty())
    return Fail(4104, "The multi-part identifier \"" + e.qualifier + "." + e.name +
                          "\" could not be bound.");
  return Fail(207, "Invalid column name '" + e.name + "'.");
}

bool Translator::EmitComparison(const std::string& op, const Expr& l, const Expr& r,
                                std::string& out) {
  std::string a, b;
  SType ta, tb;
  if (!Emit(l, a, ta) || !Emit(r, b, tb)) return false;
  if (ta == SType::DateTime && tb != SType::DateTime && tb != SType::Null)
    b = "qiva_dt(" + b + ")";
  else if (tb == SType::DateTime && ta != SType::DateTime && ta != SType::Null)
    a = "qiva_dt(" + a + ")";
  std::string sqlOp = op == "!=" ? "<>" : op == "!<" ? ">=" : op == "!>" ? "<=" : op;
  out += "(" + a + " " + sqlOp + " " + b;
  if ((ta == SType::Text || tb == SType::Text) && ta != SType::DateTime && tb != SType::DateTime)
    out += " COLLATE NOCASE";
  out += ")";
  return true;
}

bool Translator::Emit(const Expr& e, std::string& out, SType& type) {
  type = SType::Unknown;
  switch (e.kind) {
    case Expr::Kind::Literal:
      EmitLiteral(e, out, type);
      return true;
    case Expr::Kind::Null:
      out += "NULL";
      type = SType::Null;
      return true;
    case Expr::Kind::Column:
      return EmitColumn(e, out, type);
    case Expr::Kind::Variable:
      // Read when the statement runs, so that a remembered translation serves later values.
      out += "qiva_variable(" + QuoteText(e.name) + ")";
      return true;
    case Expr::Kind::Star:
      out += "*";
      return true;
    case Expr::Kind::Func:
      return EmitFunc(e, out, type);
    case Expr::Kind::Convert:
      return EmitConvert(e, out, type);
    case Expr::Kind::Unary:
      return EmitUnary(e, out, type);
    case Expr::Kind::Binary:
      return EmitBinary(e, out, type);
    case Expr::Kind::Between:
      return EmitBetween(e, out, type);
    case Expr::Kind::IsNull:
      return EmitIsNull(e, out, type);
    case Expr::Kind::Exists:
    case Expr::Kind::Subquery:
      return EmitSubquery(e, out, type);
  }
  return Fail(102, "Incorrect syntax.");
}

// NOT, or a sign before a number.
bool Translator::EmitUnary(const Expr& e, std::string& out, SType& type) {
  std::string a;
  SType ta;
  if (!Emit(*e.args[0], a, ta)) return false;
  if (e.name == "NOT") {
    out += "(NOT " + a + ")";
    type = SType::Int;
  } else {
    out += "(" + e.name + a + ")";
    type = ta;
  }
  return true;
}

// AND and OR, arithmetic (+ joins text when neither side is a number or a datetime), and the
// comparisons.
bool Translator::EmitBinary(const Expr& e, std::string& out, SType& type) {
  if (e.name == "AND" || e.name == "OR") {
    std::string a, b;
    SType ta, tb;
    if (!Emit(*e.args[0], a, ta) || !Emit(*e.args[1], b, tb)) return false;
    out += "(" + a + " " + e.name + " " + b + ")";
    type = SType::Int;
    return true;
  }
  if (e.name == "+" || e.name == "-" || e.name == "*" || e.name == "/" || e.name == "%")
    return EmitArithmetic(e, out, type);
  type = SType::Int;
  return EmitComparison(e.name, *e.args[0], *e.args[1], out);
}

bool Translator::EmitArithmetic(const Expr& e, std::string& out, SType& type) {
  std::string a, b;
  SType ta, tb;
  if (!Emit(*e.args[0], a, ta) || !Emit(*e.args[1], b, tb)) return false;
  if (e.name == "+" && (ta == SType::Text || tb == SType::Text) && ta != SType::DateTime &&
      tb != SType::DateTime && ta != SType::Int && tb != SType::Int && ta != SType::Real &&
      tb != SType::Real) {
    out += "(" + a + " || " + b + ")";
    type = SType::Text;
  } else {
    out += "(" + a + " " + e.name + " " + b + ")";
    type = ta == SType::Real || tb == SType::Real ? SType::Real
           : ta == SType::Int && tb == SType::Int ? SType::Int
                                                  : SType::Unknown;
  }
  return true;
}

// [NOT] BETWEEN: as datetimes when any of the three is one, else text without regard to case.
bool Translator::EmitBetween(const Expr& e, std::string& out, SType& type) {
  std::string x, lo, hi;
  SType tx, tl, th;
  if (!Emit(*e.args[0], x, tx) || !Emit(*e.args[1], lo, tl) || !Emit(*e.args[2], hi, th))
    return false;
  const bool dt = tx == SType::DateTime || tl == SType::DateTime || th == SType::DateTime;
  const auto wrap = [&](std::string& s, SType t) {
    if (dt && t != SType::DateTime && t != SType::Null) s = "qiva_dt(" + s + ")";
  };
  wrap(x, tx);
  wrap(lo, tl);
  wrap(hi, th);
  const bool text = !dt && (tx == SType::Text || tl == SType::Text || th == SType::Text);
  out += "(" + x + (text ? " COLLATE NOCASE" : "") + (e.negated ? " NOT BETWEEN " : " BETWEEN ") +
         lo + " AND " + hi + ")";
  type = SType::Int;
  return true;
}

bool Translator::EmitIsNull(const Expr& e, std::string& out, SType& type) {
  std::string a;
  SType ta;
  if (!Emit(*e.args[0], a, ta)) return false;
  out += "(" + a + (e.negated ? " IS NOT NULL)" : " IS NULL)");
  type = SType::Int;
  return true;
}

// EXISTS (select), or a select whose single value is the expression's.
bool Translator::EmitSubquery(const Expr& e, std::string& out, SType& type) {
  std::string s;
  if (!Select(*e.select, s)) return false;
  if (e.kind == Expr::Kind::Exists) {
    out += "EXISTS (" + s + ")";
    type = SType::Int;
  } else {
    out += "(" + s + ")";
  }
  return true;
}

namespace {

// A function call whose arguments have been translated.
struct FuncCall {
  const std::string& name;
  std::vector<std::string> a;  // the arguments' SQLite text
  std::vector<SType> t;        // their types
  const std::string& dbName;
};

void EmitGetDate(const FuncCall&, std::string& out, SType& type) {
  out += "qiva_getdate()";
  type = SType::DateTime;
}

void EmitScopeIdentity(const FuncCall&, std::string& out, SType& type) {
  out += "qiva_scope_identity()";
  type = SType::Real;
}

void EmitDbName(const FuncCall& c, std::string& out, SType& type) {
  out += QuoteText(c.dbName);
  type = SType::Text;
}

void EmitAppName(const FuncCall&, std::string& out, SType& type) {
  out += "qiva_app_name()";
  type = SType::Text;
}

void EmitServerProperty(const FuncCall& c, std::string& out, SType& type) {
  out += "qiva_serverproperty(" + c.a[0] + ")";
  type = SType::Text;
}

// Of a database's properties only its collation is known: the connection's.
void EmitDatabasePropertyEx(const FuncCall& c, std::string& out, SType& type) {
  out += "(CASE upper(" + c.a[1] + ") WHEN 'COLLATION' THEN qiva_serverproperty('Collation') END)";
  type = SType::Text;
}

void EmitObjectId(const FuncCall& c, std::string& out, SType& type) {
  out += "(SELECT object_id FROM \"__qiva_objects\" WHERE name = qiva_objname(" + c.a[0] + "))";
  type = SType::Int;
}

void EmitObjectProperty(const FuncCall& c, std::string& out, SType& type) {
  out += "(SELECT CASE upper(" + c.a[1] +
         ") WHEN 'ISUSERTABLE' THEN type = 'U' WHEN 'ISTABLE' THEN type = 'U' "
         "WHEN 'ISPROCEDURE' THEN type = 'P' END FROM \"__qiva_objects\" WHERE object_id = " +
         c.a[0] + ")";
  type = SType::Int;
}

// ISNULL(value, replacement): a replacement for a datetime is read as one.
void EmitIsNullFunc(const FuncCall& c, std::string& out, SType& type) {
  std::string replacement = c.a[1];
  if (c.t[0] == SType::DateTime && c.t[1] != SType::DateTime && c.t[1] != SType::Null)
    replacement = "qiva_dt(" + replacement + ")";
  out += "ifnull(" + c.a[0] + ", " + replacement + ")";
  type = c.t[0] == SType::Null ? c.t[1] : c.t[0];
}

void EmitReplace(const FuncCall& c, std::string& out, SType& type) {
  out += "qiva_replace(" + c.a[0] + ", " + c.a[1] + ", " + c.a[2] + ")";
  type = SType::Text;
}

// MAX, MIN and COUNT: COUNT is an integer, the others keep their argument's type.
void EmitAggregate(const FuncCall& c, std::string& out, SType& type) {
  out += c.name + "(" + c.a[0] + ")";
  type = c.name == "COUNT" ? SType::Int : c.t[0];
}

// The character of a code: CHAR reads it in the Latin-1 range (SQL Server's default code page
// agrees on 0 to 127, where CHAR(13) and CHAR(10) lie), NCHAR in the Unicode range. Outside
// them the result is NULL, as on SQL Server.
void EmitChar(const FuncCall& c, std::string& out, SType& type) {
  const std::string top = c.name == "CHAR" ? "255" : "65535";
  out += "(CASE WHEN (" + c.a[0] + ") BETWEEN 0 AND " + top + " THEN char(" + c.a[0] + ") END)";
  type = SType::Text;
}

// A built-in function: its argument count, whether a wrong count is found before the arguments
// are translated (as SQL Server reports it for these) or after, and its translation.
struct FuncRule {
  const char* name;
  size_t minArgs, maxArgs;
  bool countFirst;
  void (*emit)(const FuncCall&, std::string&, SType&);
};

constexpr FuncRule kFunctions[] = {
    {"GETDATE", 0, 0, true, EmitGetDate},
    {"SCOPE_IDENTITY", 0, 0, true, EmitScopeIdentity},
    {"DB_NAME", 0, 0, true, EmitDbName},
    {"APP_NAME", 0, 0, true, EmitAppName},
    {"SERVERPROPERTY", 1, 1, true, EmitServerProperty},
    {"DATABASEPROPERTYEX", 2, 2, true, EmitDatabasePropertyEx},
    {"OBJECT_ID", 1, 2, true, EmitObjectId},
    {"OBJECTPROPERTY", 2, 2, true, EmitObjectProperty},
    {"ISNULL", 2, 2, false, EmitIsNullFunc},
    {"REPLACE", 3, 3, false, EmitReplace},
    {"MAX", 1, 1, false, EmitAggregate},
    {"MIN", 1, 1, false, EmitAggregate},
    {"COUNT", 1, 1, false, EmitAggregate},
    {"CHAR", 1, 1, false, EmitChar},
    {"NCHAR", 1, 1, false, EmitChar},
};

}  // namespace

bool Translator::EmitFunc(const Expr& e, std::string& out, SType& type) {
  const FuncRule* rule = nullptr;
  for (const FuncRule& r : kFunctions)
    if (e.name == r.name) rule = &r;
  const auto countOk = [&] {
    if (e.args.size() >= rule->minArgs && e.args.size() <= rule->maxArgs) return true;
    return Fail(174, "The " + ToUpper(e.name) + " function requires " +
                         std::to_string(rule->minArgs) + " argument(s).");
  };
  if (rule && rule->countFirst && !countOk()) return false;
  FuncCall call{e.name, std::vector<std::string>(e.args.size()),
                std::vector<SType>(e.args.size(), SType::Unknown), dbName_};
  for (size_t i = 0; i < e.args.size(); ++i)
    if (!Emit(*e.args[i], call.a[i], call.t[i])) return false;
  if (!rule) return Fail(195, "'" + e.name + "' is not a recognized built-in function name.");
  if (!rule->countFirst && !countOk()) return false;
  rule->emit(call, out, type);
  return true;
}

bool Translator::EmitConvert(const Expr& e, std::string& out, SType& type) {
  std::string v;
  SType tv;
  if (!Emit(*e.args[0], v, tv)) return false;
  const SqlTypeName& ts = e.type;
  if (ts.name == "DATETIME" || ts.name == "SMALLDATETIME" || ts.name == "DATE" ||
      ts.name == "DATETIME2") {
    type = SType::DateTime;
    if (tv == SType::DateTime && ts.name != "DATE") {
      out += v;
      return true;
    }
    if (ts.name == "DATE")
      out += "qiva_date_only(qiva_convert_dt(" + v + ", " + std::to_string(e.style) + "))";
    else
      out += "qiva_convert_dt(" + v + ", " + std::to_string(e.style) + ")";
    return true;
  }
  if (IsTextType(ts)) {
    type = SType::Text;
    const int len = ts.length == 0 ? 30 : ts.length;
    if (tv == SType::DateTime)
      out += "qiva_dt_text(" + v + ", " + std::to_string(e.style < 0 ? 0 : e.style) + ", " +
             std::to_string(len) + ")";
    else
      out += len < 0 ? "CAST(" + v + " AS TEXT)"
                     : "substr(CAST(" + v + " AS TEXT), 1, " + std::to_string(len) + ")";
    return true;
  }
  ColumnDef def;
  def.name = "";
  def.type = ts;
  ColumnInfo col;
  std::string err;
  if (!DescribeColumn(def, col, err))
    return Fail(243, "Type " + ts.name + " is not a defined system type.");
  type = TypeOfColumn(col);
  out += "qiva_col(" + v + "," + IntKindArgs(col) + ",0,'','',3)";
  return true;
}

}  // namespace qiva::db::tsql
