// StatementRuns.cpp: running a parsed text statement by statement: queries and data changes,
// schema statements, SET, DECLARE, IF and blocks, and EXEC of stored and system procedures.
// Reusing texts seen before belongs to BatchPlans.cpp.
#include <cstdlib>

#include "db/sqlite/SqlServerMessages.h"
#include "db/sqlite/SqliteEngineInternal.h"
#include "db/sqlite/SystemProcedures.h"
#include "db/sqlite/TSqlDdl.h"

namespace qiva::db::embedded {

// Runs a text for execute: through a remembered plan when its shape has one, piece by piece
// when it is a text of many inserts, else parsed whole. The caller holds mutex_.
bool SqliteEngine::ExecuteLocked(std::string_view sql) {
  // The group begins first: it may find the schema changed and drop the remembered plans.
  if (!BeginGroup()) return false;
  size_t bad = 0;
  std::string key;
  // A number beyond the double range must fail the whole text as the parse reports it; the
  // remembered plans would bind it as an infinity.
  if (Tokenize(sql, scratchTokens_, bad, false) && !FirstNumberOutOfRange(scratchTokens_)) {
    bool ok = false;
    const size_t pieces = SplitBeforeInserts(scratchTokens_, pieces_, pieceKeys_);
    if (pieces >= 2) {
      if (RunPieces(sql, ok)) return ok;
    } else if (pieces == 1) {
      if (RunPlanned(scratchTokens_.data(), pieceKeys_[0], ok)) return ok;
      key = pieceKeys_[0];
    }
  }
  Batch batch;
  SyntaxError se;
  if (!ParseBatch(sql, batch, se)) {
    AddError(se.number, se.message);
    return false;
  }
  bool any = false;
  // Long texts (the pharmaceutical batches) are not remembered whole: their statements are.
  const bool plannable = Plannable(batch) && !key.empty() && key.size() <= kPlanKeyLimit;
  recording_ = plannable;
  recorded_.clear();
  const Outcome o = RunList(batch, batch.statements, nullptr, &any, 0);
  if (plannable && recording_) RememberPlan(std::move(key), batch);
  recording_ = false;
  return o == Outcome::Ok;
}

// Runs statements in order; a failure of one leaves the others running unless it aborts the
// text. The result is Ok only when every statement succeeded.
SqliteEngine::Outcome SqliteEngine::RunList(const Batch& batch, const std::vector<StmtPtr>& list,
                                            ResultSet* out, bool* gotRows, int depth) {
  Outcome result = Outcome::Ok;
  for (const StmtPtr& st : list) {
    const Outcome o = RunStatement(batch, *st, out, gotRows, depth);
    if (o == Outcome::Abort || GroupRolledBack() || observerStopped_) return Outcome::Abort;
    if (o == Outcome::Failed) result = Outcome::Failed;
  }
  return result;
}

// Runs one statement, reported to the observer when there is one.
SqliteEngine::Outcome SqliteEngine::RunStatement(const Batch& batch, const Statement& st,
                                                 ResultSet* out, bool* gotRows, int depth) {
  if (observer_ && IsObservedKind(st.kind))
    return RunObservedStatement(batch, st, out, gotRows, depth);
  return RunStatementBody(batch, st, out, gotRows, depth);
}

// Runs one statement by its kind; `out` takes the rows of the text's first select.
SqliteEngine::Outcome SqliteEngine::RunStatementBody(const Batch& batch, const Statement& st,
                                                     ResultSet* out, bool* gotRows, int depth) {
  state_.nowValid = false;  // getdate() is read afresh, once, for each statement
  switch (st.kind) {
    case Statement::Kind::Select:
    case Statement::Kind::Insert:
    case Statement::Kind::Update:
    case Statement::Kind::Delete:
      return RunDml(batch, st, st.kind == Statement::Kind::Select && !*gotRows ? out : nullptr,
                    gotRows);
    case Statement::Kind::CreateTable:
    case Statement::Kind::AlterTable:
    case Statement::Kind::CreateIndex:
    case Statement::Kind::DropTable:
    case Statement::Kind::CreateProcedure:
      return RunSchema(st);
    case Statement::Kind::Set:
      return RunSet(st);
    case Statement::Kind::Exec:
      return RunProcedure(batch, st, depth);
    case Statement::Kind::Declare:
      return RunDeclare(batch, st);
    case Statement::Kind::If:
      return RunIf(batch, st, out, gotRows, depth);
    case Statement::Kind::Block:
      return RunList(batch, st.body, out, gotRows, depth);
    case Statement::Kind::Nothing:
      return Outcome::Ok;
  }
  return Outcome::Ok;
}

// IF: the condition is computed on its own (no table), then the statement of its branch runs.
// A condition that cannot be computed stops the text, as SQL Server does.
SqliteEngine::Outcome SqliteEngine::RunIf(const Batch& batch, const Statement& st, ResultSet* out,
                                          bool* gotRows, int depth) {
  std::string sql;
  TranslateError te;
  Translator tr(catalog_, batch, 0, true, state_.databaseName);
  if (!tr.Condition(*st.condition, sql, te)) return Failed(te.number, te.message);
  sqlite3_stmt* q = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &q, nullptr) != SQLITE_OK) {
    AddSqliteError(sqlite3_errcode(db_));
    return Outcome::Abort;
  }
  int rc = sqlite3_step(q);
  const bool holds = rc == SQLITE_ROW && sqlite3_column_int(q, 0) != 0;
  if (rc != SQLITE_ROW) AddSqliteError(sqlite3_extended_errcode(db_));
  sqlite3_finalize(q);
  if (rc != SQLITE_ROW) return Outcome::Abort;
  if (holds) return RunStatement(batch, *st.body[0], out, gotRows, depth);
  if (st.body.size() > 1) return RunStatement(batch, *st.body[1], out, gotRows, depth);
  return Outcome::Ok;
}

// SET: LOCK_TIMEOUT limits lock waits; other options are accepted and change nothing.
SqliteEngine::Outcome SqliteEngine::RunSet(const Statement& st) {
  if (st.name == "LOCK_TIMEOUT") {
    // Milliseconds to wait for a lock; -1 (SQL Server's wait without limit) waits up to the
    // engine's limit.
    char* end = nullptr;
    const long long ms = std::strtoll(st.value.c_str(), &end, 10);
    if (end == st.value.c_str() || *end != '\0' || ms < -1)
      return Failed(50000, "SET LOCK_TIMEOUT " + st.value +
                               ": the value must be -1 or a number of milliseconds.");
    lockWait_.SetTimeout(ms);
    lockTimeout_ = std::chrono::milliseconds(ms);
  }
  return Outcome::Ok;  // NOCOUNT, ANSI_NULLS, QUOTED_IDENTIFIER and the like change nothing here
}

// DECLARE: each variable starts NULL or with its value, converted to its type.
SqliteEngine::Outcome SqliteEngine::RunDeclare(const Batch& batch, const Statement& st) {
  for (const VariableDef& v : st.variables) {
    if (state_.variables.count(v.name))
      return Failed(134, "The variable name '" + v.name +
                             "' has already been declared. Variable names must be unique within "
                             "a query batch or stored procedure.");
    SqlVariable value;
    if (v.init) {
      const Outcome o = Evaluate(batch, *v.init, value);
      if (o != Outcome::Ok) return o;
      value = AsDeclared(value, v.type);
    }
    state_.variables[v.name] = std::move(value);
  }
  return Outcome::Ok;
}

// The value of an expression computed on its own (no table).
SqliteEngine::Outcome SqliteEngine::Evaluate(const Batch& batch, const Expr& expr,
                                             SqlVariable& value) {
  std::string sql;
  TranslateError te;
  Translator tr(catalog_, batch, 0, true, state_.databaseName);
  if (!tr.Value(expr, sql, te)) return Failed(te.number, te.message);
  sqlite3_stmt* q = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &q, nullptr) != SQLITE_OK) {
    AddSqliteError(sqlite3_errcode(db_));
    return Outcome::Abort;
  }
  const int rc = sqlite3_step(q);
  if (rc == SQLITE_ROW) {
    switch (sqlite3_column_type(q, 0)) {
      case SQLITE_NULL:
        value = std::monostate{};
        break;
      case SQLITE_INTEGER:
        value = static_cast<long long>(sqlite3_column_int64(q, 0));
        break;
      case SQLITE_FLOAT:
        value = sqlite3_column_double(q, 0);
        break;
      default: {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(q, 0));
        value = std::string(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(q, 0)));
      }
    }
  } else {
    AddSqliteError(sqlite3_extended_errcode(db_));
  }
  sqlite3_finalize(q);
  return rc == SQLITE_ROW ? Outcome::Ok : Outcome::Failed;
}

// A value as a variable of `type` holds it: whole numbers for the integer types, text cut to
// the declared length for the character types.
SqlVariable SqliteEngine::AsDeclared(SqlVariable value, const SqlTypeName& type) {
  const std::string& t = type.name;
  if (t == "INT" || t == "BIGINT" || t == "SMALLINT" || t == "TINYINT" || t == "BIT") {
    if (const auto* d = std::get_if<double>(&value)) return static_cast<long long>(*d);
    if (const auto* s = std::get_if<std::string>(&value))
      return std::strtoll(s->c_str(), nullptr, 10);
  } else if (t == "VARCHAR" || t == "NVARCHAR" || t == "CHAR" || t == "NCHAR") {
    if (const auto* i = std::get_if<long long>(&value)) value = std::to_string(*i);
    auto* s = std::get_if<std::string>(&value);
    const size_t length = type.length > 0    ? static_cast<size_t>(type.length)
                          : type.length == 0 ? 1
                                             : std::string::npos;
    if (s && s->size() > length) s->resize(length);
  }
  return value;
}

// The value of an EXEC argument: a literal (with its sign), NULL or a variable.
SqliteEngine::Outcome SqliteEngine::ArgumentValue(const Batch& batch, const Expr& e,
                                                  SqlVariable& value) {
  if (e.kind == Expr::Kind::Null) {
    value = std::monostate{};
    return Outcome::Ok;
  }
  if (e.kind == Expr::Kind::Variable) {
    const auto it = state_.variables.find(e.name);
    if (it == state_.variables.end())
      return Failed(137, "Must declare the scalar variable \"" + e.name + "\".");
    value = it->second;
    return Outcome::Ok;
  }
  const Expr& literal = e.kind == Expr::Kind::Unary ? *e.args[0] : e;
  const Token& tok = batch.tokens[batch.literals[static_cast<size_t>(literal.literal)]];
  const bool negative = e.kind == Expr::Kind::Unary && e.name == "-";
  if (tok.kind == TokenKind::String) {
    value = tok.text;
  } else if (tok.text.find_first_of(".eE") == std::string::npos) {
    const long long n = std::strtoll(tok.text.c_str(), nullptr, 10);
    value = negative ? -n : n;
  } else {
    const double d = std::strtod(tok.text.c_str(), nullptr);
    value = negative ? -d : d;
  }
  return Outcome::Ok;
}

// EXEC of a system procedure: its arguments evaluated, its outcome kept as the statement's
// return status. A lock wait first commits the open group, so that the holder of the lock is
// not kept from writing while this connection waits for it.
SqliteEngine::Outcome SqliteEngine::RunSystemProcedureOf(const Batch& batch, const Statement& st) {
  std::vector<ProcedureArgument> arguments;
  for (const ExecArg& arg : st.execArgs) {
    ProcedureArgument a;
    a.name = arg.name;
    if (arg.value) {
      SqlVariable v;
      const Outcome o = ArgumentValue(batch, *arg.value, v);
      if (o != Outcome::Ok) return o;
      a.value = std::move(v);
    }
    arguments.push_back(std::move(a));
  }
  ProcedureSession session;
  session.database = path_;
  session.session = this;
  session.lockTimeout = lockTimeout_;
  session.beforeWait = [this] { Commit(); };
  const ProcedureOutcome outcome = RunSystemProcedure(st.name, arguments, session);
  if (outcome.errorNumber != 0) AddError(outcome.errorNumber, outcome.errorMessage);
  if (!outcome.status) return Outcome::Failed;
  return SetReturnStatus(st, *outcome.status) && outcome.errorNumber == 0 ? Outcome::Ok
                                                                          : Outcome::Failed;
}

// Keeps a procedure's return status, and stores it into the variable of EXEC @v = name.
bool SqliteEngine::SetReturnStatus(const Statement& st, int status) {
  returnStatus_ = status;
  if (st.returnVariable.empty()) return true;
  const auto it = state_.variables.find(st.returnVariable);
  if (it == state_.variables.end()) {
    AddError(137, "Must declare the scalar variable \"" + st.returnVariable + "\".");
    return false;
  }
  it->second = static_cast<long long>(status);
  return true;
}

SqliteEngine::Outcome SqliteEngine::RunProcedure(const Batch& batch, const Statement& st,
                                                 int depth) {
  if (depth >= kMaxNesting)
    return Failed(217,
                  "Maximum stored procedure, function, trigger, or view nesting level exceeded "
                  "(limit 32).");
  if (IsSystemProcedure(st.name)) return RunSystemProcedureOf(batch, st);
  sqlite3_stmt* q = nullptr;
  std::string body;
  bool found = false;
  if (sqlite3_prepare_v2(db_, "SELECT body FROM \"__qiva_objects\" WHERE type = 'P' AND name = ?1",
                         -1, &q, nullptr) == SQLITE_OK) {
    sqlite3_bind_text(q, 1, st.name.c_str(), static_cast<int>(st.name.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(q) == SQLITE_ROW) {
      found = true;
      const unsigned char* p = sqlite3_column_text(q, 0);
      body = p ? reinterpret_cast<const char*>(p) : "";
    }
  }
  sqlite3_finalize(q);
  if (!found) return Failed(2812, "Could not find stored procedure '" + st.name + "'.");
  // The catalogue's procedures take no parameters.
  if (!st.execArgs.empty())
    return Failed(8146, "Procedure " + st.name + " has no parameters and arguments were supplied.");
  Batch inner;
  SyntaxError se;
  if (!ParseBatch(body, inner, se)) return Failed(se.number, se.message);
  bool rows = true;  // a procedure's rows are not returned
  // A procedure's body is a scope of its own: its inserts do not change SCOPE_IDENTITY() of
  // the caller, nor does it see the caller's.
  const bool hadIdentity = state_.hasScopeIdentity;
  const long long identity = state_.scopeIdentity;
  state_.hasScopeIdentity = false;
  auto variables = std::move(state_.variables);  // nor the caller's variables
  state_.variables.clear();
  procedures_.push_back(st.name);
  const Outcome o = RunList(inner, inner.statements, nullptr, &rows, depth + 1);
  procedures_.pop_back();
  state_.hasScopeIdentity = hadIdentity;
  state_.scopeIdentity = identity;
  state_.variables = std::move(variables);
  if (!SetReturnStatus(st, o == Outcome::Ok ? 0 : -6)) return Outcome::Failed;
  return o == Outcome::Abort ? Outcome::Failed : o;
}

// A schema statement runs in a savepoint of its own: one that fails leaves the file and
// the catalogue as they were. The prepared statements are dropped either way.
SqliteEngine::Outcome SqliteEngine::RunSchema(const Statement& st) {
  std::string err;
  RawExec("SAVEPOINT qiva_schema", err);
  DdlRunner ddl(db_, catalog_, state_.databaseName);
  TranslateError te;
  const bool ok = ddl.Run(st, te);
  if (ok) {
    RawExec("RELEASE qiva_schema", err);
  } else {
    RawExec("ROLLBACK TO qiva_schema", err);
    RawExec("RELEASE qiva_schema", err);
    catalog_.Load(db_, err);
  }
  ClearCache();
  schemaVersion_ = SchemaVersion();
  return ok ? Outcome::Ok : Failed(te.number, te.message);
}

// A query or data change, through the prepared statement of its shape.
SqliteEngine::Outcome SqliteEngine::RunDml(const Batch& batch, const Statement& st, ResultSet* out,
                                           bool* gotRows) {
  Outcome failure = Outcome::Failed;
  const Cached* q = Prepared(batch, st, failure);
  if (!q) {
    recording_ = false;
    return failure;
  }
  if (recording_) recorded_.push_back(q);
  return Step(batch.tokens.data(), batch.literals, st.firstLiteral, st.endLiteral, *q, out,
              gotRows);
}

}  // namespace qiva::db::embedded
