// TSqlParser.h: parses a T-SQL text (one or more statements, with or without separators) into
// statements for the embedded engine. Only syntax is checked here; names are resolved later.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite/TSqlAst.h"
#include "db/sqlite/TSqlLexer.h"

namespace qiva::db::tsql {

// A parsed text: its tokens, the literal tokens in order, and its statements.
struct Batch {
  std::string source;
  std::vector<Token> tokens;
  std::vector<size_t> literals;  // token index of each literal, in order of appearance
  std::vector<StmtPtr> statements;
};

// A syntax error: SQL Server's message number and text ("Incorrect syntax near 'x'.").
struct SyntaxError {
  int number = 102;
  std::string message;
};

// Parses `sql` into `batch`. False with `error` set when any statement is malformed.
bool ParseBatch(std::string_view sql, Batch& batch, SyntaxError& error);

// Parses `sql` as a single expression (a stored column default) into `batch` and `expr`.
bool ParseExpression(std::string_view sql, Batch& batch, ExprPtr& expr, SyntaxError& error);

// The shape of a statement: its token texts with each literal replaced by '?', used to reuse
// the translation of statements that differ only in their values.
std::string StatementShape(const Batch& batch, const Statement& stmt);

}  // namespace qiva::db::tsql
