// TSqlAst.h: the parsed form of the T-SQL statements that the embedded engine runs: the
// expressions, queries, data changes and schema statements that this system sends.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace qiva::db::tsql {

// A column or CONVERT target type as written ([varchar](20), int, datetime, decimal(10,2)).
struct SqlTypeName {
  std::string name;  // upper case, without brackets
  int length = 0;    // character length; -1 for MAX; 0 when not written
  int precision = 0;
  int scale = 0;
};

struct SelectStmt;

struct Expr {
  enum class Kind {
    Literal,
    Null,
    Column,
    Func,
    Unary,
    Binary,
    Between,
    IsNull,
    Exists,
    Subquery,
    Star,
    Convert,
    Variable
  };
  Kind kind = Kind::Null;
  int literal = -1;       // Literal: index into the batch's literal list
  bool isString = false;  // Literal: a quoted string (else a number)
  std::string name;       // Column: name; Func: upper-case name; Unary/Binary: upper-case operator;
                          // Variable: upper-case name with its @
  std::string qualifier;  // Column: table or alias before the name
  bool negated = false;   // NOT BETWEEN, IS NOT NULL
  std::vector<std::unique_ptr<Expr>> args;
  std::unique_ptr<SelectStmt> select;  // Exists, Subquery
  SqlTypeName type;                    // Convert
  int style = -1;                      // Convert: the style number, -1 when not given
};
using ExprPtr = std::unique_ptr<Expr>;

struct TableRef {
  std::string schema;  // the part before the name ("dbo", "INFORMATION_SCHEMA"), may be empty
  std::string name;
  std::string alias;
};

struct SelectItem {
  ExprPtr expr;  // null for *
  std::string alias;
};

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
};

struct SelectStmt {
  std::vector<SelectItem> items;
  bool hasFrom = false;
  TableRef from;
  ExprPtr where;
  std::vector<OrderItem> orderBy;
};

struct ColumnDef {
  std::string name;
  SqlTypeName type;
  bool identity = false;
  long long seed = 1;
  long long increment = 1;
  bool notNull = false;
  bool nullGiven = false;
  std::string defaultSql;  // T-SQL text of the default, empty when none
  std::string collation;
};

struct ConstraintDef {
  enum class Kind { PrimaryKey, Unique, Default, ForeignKey, Check };
  Kind kind = Kind::PrimaryKey;
  std::string name;
  std::vector<std::string> columns;  // key columns; Default: the FOR column
  std::string defaultSql;
  std::string refTable;
  std::vector<std::string> refColumns;
};

// An argument of EXEC: `@name = value`, or a value alone (taken by position).
struct ExecArg {
  std::string name;  // upper case with its @; empty for an argument by position
  ExprPtr value;     // a literal, NULL or a variable; null for DEFAULT
};

// A variable of DECLARE, with its initial value (null: the variable starts NULL).
struct VariableDef {
  std::string name;  // upper case with its @
  SqlTypeName type;
  ExprPtr init;
};

struct Statement;
using StmtPtr = std::unique_ptr<Statement>;

struct Statement {
  enum class Kind {
    Select,
    Insert,
    Update,
    Delete,
    CreateTable,
    AlterTable,
    CreateIndex,
    DropTable,
    CreateProcedure,
    Exec,
    Set,
    If,
    Block,
    Declare,
    Nothing
  };
  Kind kind = Kind::Nothing;
  size_t firstToken = 0, endToken = 0;   // the tokens the statement spans
  int firstLiteral = 0, endLiteral = 0;  // its literals in the batch's literal list

  // Select
  std::unique_ptr<SelectStmt> select;
  // Insert / Update / Delete / CreateTable / AlterTable / CreateIndex / DropTable
  TableRef table;
  std::vector<std::string> columns;        // Insert columns; CreateIndex key columns
  std::vector<std::vector<ExprPtr>> rows;  // Insert VALUES rows
  bool defaultValues = false;
  std::vector<std::pair<std::string, ExprPtr>> sets;  // Update
  ExprPtr where;                                      // Update / Delete
  std::vector<ColumnDef> columnDefs;                  // CreateTable; AlterTable ADD columns
  std::vector<ConstraintDef> constraints;             // CreateTable; AlterTable ADD constraints
  bool alterColumn = false;                           // AlterTable ALTER COLUMN (columnDefs[0])
  bool unique = false;                                // CreateIndex
  std::string name;                                   // CreateIndex, CreateProcedure, Exec, Set
  std::string value;                                  // Set value; CreateProcedure body
  std::vector<TableRef> tables;                       // DropTable
  std::string returnVariable;                         // Exec: the variable of EXEC @v = proc
  std::vector<ExecArg> execArgs;                      // Exec
  std::vector<VariableDef> variables;                 // Declare
  bool ifExists = false;                              // DropTable IF EXISTS
  // If / Block
  ExprPtr condition;
  std::vector<StmtPtr> body;  // Block statements; If: [then] or [then, else]
};

}  // namespace qiva::db::tsql
