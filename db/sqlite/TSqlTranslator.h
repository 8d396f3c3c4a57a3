// TSqlTranslator.h: turns parsed T-SQL queries and data changes into SQLite statements with
// SQL Server's meaning: values pass through the engine's conversion functions on their way into
// columns, datetime comparisons compare as datetimes, text compares without regard to case, and
// the system views (INFORMATION_SCHEMA, sysobjects) read the engine's catalogue.
#pragma once

#include <string>
#include <vector>

#include "db/sqlite/SqlCatalog.h"
#include "db/sqlite/SqlFunctions.h"
#include "db/sqlite/TSqlParser.h"

namespace qiva::db::tsql {

// A failure found while translating: SQL Server's message number and text.
struct TranslateError {
  int number = 0;
  std::string message;
};

// The static type of an expression, as far as the translation needs it.
enum class SType { Unknown, Null, Text, Int, Real, Bit, DateTime };

// A parameter whose literal goes straight into a column: the engine converts and checks it
// with ConvertForColumn before binding, instead of through qiva_col in SQL.
struct DirectParam {
  int param = 0;  // 1-based parameter number
  ColumnTarget target;
};

class Translator {
 public:
  // `batch` holds the literals. With `inlineLiterals` they are written into the SQL text;
  // otherwise literal i of the statement becomes parameter ?(i - literalBase + 1).
  Translator(const Catalog& catalog, const Batch& batch, int literalBase, bool inlineLiterals,
             std::string databaseName);

  // SQLite text for a SELECT, INSERT, UPDATE or DELETE statement.
  bool Statement(const tsql::Statement& stmt, std::string& sql, TranslateError& error);
  // "SELECT CASE WHEN <condition> THEN 1 ELSE 0 END" for an IF condition.
  bool Condition(const Expr& cond, std::string& sql, TranslateError& error);
  // "SELECT <expression>" for a value computed on its own (a variable's initial value).
  bool Value(const Expr& expr, std::string& sql, TranslateError& error);
  // The SQLite expression that converts `valueSql` for storing into `col` of `table`
  // (conversion, length and NOT NULL checks); `op` is 1 for INSERT and 2 for UPDATE.
  static std::string ColumnValue(const std::string& valueSql, SType valueType,
                                 const ColumnInfo& col, const std::string& table, int op);
  // The parameters of the last translated statement that are stored into columns as they are.
  const std::vector<DirectParam>& DirectParams() const { return direct_; }
  // The translated default expression of a column (literals written inline).
  static bool DefaultValue(const Catalog& catalog, const ColumnInfo& col, const std::string& dbName,
                           std::string& sql, SType& type, TranslateError& error);

 private:
  struct SourceColumn {
    std::string name;
    SType type;
  };
  struct Source {
    std::string sql;    // what follows FROM
    std::string alias;  // the name its columns are qualified with
    std::string tableName;
    std::vector<SourceColumn> columns;
  };

  bool ResolveSource(const TableRef& ref, Source& out);
  bool InformationSchemaTables(Source& out);
  bool InformationSchemaColumns(Source& out);
  bool SysObjects(bool proceduresOnly, Source& out);
  bool Select(const SelectStmt& s, std::string& sql);
  bool Insert(const tsql::Statement& st, std::string& sql);
  bool Update(const tsql::Statement& st, std::string& sql);
  bool Delete(const tsql::Statement& st, std::string& sql);
  bool SkipRowsReplaceLeavesAlone(const tsql::Statement& st, std::string& sql);
  bool Emit(const Expr& e, std::string& out, SType& type);
  bool EmitFunc(const Expr& e, std::string& out, SType& type);
  bool EmitConvert(const Expr& e, std::string& out, SType& type);
  bool EmitComparison(const std::string& op, const Expr& l, const Expr& r, std::string& out);
  bool EmitUnary(const Expr& e, std::string& out, SType& type);
  bool EmitBinary(const Expr& e, std::string& out, SType& type);
  bool EmitArithmetic(const Expr& e, std::string& out, SType& type);
  bool EmitBetween(const Expr& e, std::string& out, SType& type);
  bool EmitIsNull(const Expr& e, std::string& out, SType& type);
  bool EmitSubquery(const Expr& e, std::string& out, SType& type);
  bool EmitColumn(const Expr& e, std::string& out, SType& type);
  void EmitLiteral(const Expr& e, std::string& out, SType& type);
  bool Fail(int number, std::string message);
  // The value for `col`: a bare parameter recorded in direct_ for a literal, else ColumnValue.
  bool StoredValue(const Expr& e, const ColumnInfo& col, const std::string& table, int op,
                   std::string& out);

  const Catalog& catalog_;
  const Batch& batch_;
  int literalBase_;
  bool inline_;
  std::string dbName_;
  std::vector<const Source*> scopes_;
  TranslateError error_;
  std::vector<DirectParam> direct_;
};

// The static type of values stored in a catalogue column.
SType TypeOfColumn(const ColumnInfo& col);

}  // namespace qiva::db::tsql
