// ObservedRuns.cpp: texts run for an observer (the TDS stand-in): each statement announced
// before it runs and reported when it ends, with its errors, row count and typed rows.
#include <algorithm>

#include "db/sqlite/SqlServerMessages.h"
#include "db/sqlite/SqliteEngineInternal.h"

namespace qiva::db::embedded {

// A text run for an observer: each statement is announced before it runs (the observer may
// stop the text there) and reported when it ends, with its own errors, row count and rows.
bool SqliteEngine::RunObservedText(std::string_view sql) {
  if (!db_) return NotOpen(), ReportUnattributedErrors(), false;
  if (broken_) return Refuse(), ReportUnattributedErrors(), false;
  lastSqliteMessage_.clear();
  state_.hasScopeIdentity = false;
  state_.variables.clear();
  const int changesBefore = sqlite3_total_changes(db_);
  if (!BeginGroup()) return false;
  Batch batch;
  SyntaxError se;
  if (!ParseBatch(sql, batch, se)) {
    AddError(se.number, se.message);
    ObservedStatement failed;
    failed.abortsText = true;
    TakeErrors(failed);
    observer_->parsed(0);
    observer_->finished(failed);
    EndOfCall(false, sql);
    return false;
  }
  observer_->parsed(batch.statements.size());
  bool any = false;
  const Outcome o = RunList(batch, batch.statements, nullptr, &any, 0);
  EndOfCall(o == Outcome::Ok || sqlite3_total_changes(db_) != changesBefore, sql);
  return o == Outcome::Ok;
}

// Whether a statement kind is reported to the observer (IF and blocks report their
// statements instead).
bool SqliteEngine::IsObservedKind(Statement::Kind kind) {
  // SQL Server answers a DECLARE with nothing of its own.
  return kind != Statement::Kind::If && kind != Statement::Kind::Block &&
         kind != Statement::Kind::Nothing && kind != Statement::Kind::Declare;
}

// The kind the observer is told for a statement kind.
ObservedStatement::Kind SqliteEngine::ObservedKindOf(Statement::Kind kind) {
  switch (kind) {
    case Statement::Kind::Select:
      return ObservedStatement::Kind::Select;
    case Statement::Kind::Insert:
      return ObservedStatement::Kind::Insert;
    case Statement::Kind::Update:
      return ObservedStatement::Kind::Update;
    case Statement::Kind::Delete:
      return ObservedStatement::Kind::Delete;
    case Statement::Kind::Exec:
      return ObservedStatement::Kind::Exec;
    case Statement::Kind::Set:
      return ObservedStatement::Kind::Set;
    case Statement::Kind::CreateTable:
    case Statement::Kind::AlterTable:
    case Statement::Kind::CreateIndex:
    case Statement::Kind::DropTable:
    case Statement::Kind::CreateProcedure:
      return ObservedStatement::Kind::Schema;
    default:
      return ObservedStatement::Kind::Other;
  }
}

// The line of the text on which a statement begins, from 1.
int SqliteEngine::LineOf(const Batch& batch, const Statement& st) {
  if (st.firstToken >= batch.tokens.size()) return 1;
  const size_t offset = std::min(batch.tokens[st.firstToken].offset, batch.source.size());
  return 1 + static_cast<int>(std::count(batch.source.begin(),
                                         batch.source.begin() + static_cast<long>(offset), '\n'));
}

// Moves the errors not yet reported to `statement`.
void SqliteEngine::TakeErrors(ObservedStatement& statement) {
  const auto& all = error_.providerErrors;
  for (size_t i = reportedErrors_; i < all.size(); ++i) statement.errors.push_back(all[i]);
  reportedErrors_ = all.size();
}

// Errors that no statement owns (an IF condition that failed) are reported on their own.
void SqliteEngine::ReportUnattributedErrors() {
  if (!observer_ || reportedErrors_ >= error_.providerErrors.size()) return;
  ObservedStatement other;
  TakeErrors(other);
  observer_->finished(other);
}

// Runs one statement for the observer: announced first (the observer may stop there), then
// reported with its errors, its row count and, for a select of the text itself, its rows.
SqliteEngine::Outcome SqliteEngine::RunObservedStatement(const Batch& batch, const Statement& st,
                                                         ResultSet* out, bool* gotRows, int depth) {
  ObservedStatement report;
  report.kind = ObservedKindOf(st.kind);
  report.place = {depth, LineOf(batch, st),
                  procedures_.empty() ? std::string() : procedures_.back()};
  if (!observer_->starting(report.place)) {
    observerStopped_ = true;  // also ends the texts of the procedures that run this one
    return Outcome::Abort;
  }
  report.table = st.table.name;
  if (st.kind == Statement::Kind::Set) {
    report.setName = ToUpper(st.name);
    report.setValue = st.value;
  }
  const bool selectRows = st.kind == Statement::Kind::Select && depth == 0;
  capture_ = selectRows ? &report : nullptr;
  returnStatus_.reset();
  const Outcome o = RunStatementBody(batch, st, out, gotRows, depth);
  capture_ = nullptr;
  if (st.kind == Statement::Kind::Exec) report.returnStatus = returnStatus_;
  TakeErrors(report);
  report.abortsText = o == Outcome::Abort;
  if (o == Outcome::Ok) {
    if (selectRows) {
      report.rowCount = static_cast<long long>(report.rows.size());
    } else if (st.kind == Statement::Kind::Insert || st.kind == Statement::Kind::Update ||
               st.kind == Statement::Kind::Delete) {
      report.rowCount = sqlite3_changes(db_);
    }
  }
  if (!selectRows || o != Outcome::Ok) report.rows.clear();
  observer_->finished(report);
  return o;
}

// Reads the rows of a select into the observed statement, typing each column as the
// catalogue declares it, or by its values when it is no table column.
SqliteEngine::Outcome SqliteEngine::CaptureRows(sqlite3_stmt* q) {
  ObservedStatement& report = *capture_;
  capture_ = nullptr;  // only the statement's own rows, not those of what it calls
  const int n = sqlite3_column_count(q);
  std::vector<bool> typed(static_cast<size_t>(n), false);
  for (int c = 0; c < n; ++c) {
    report.columns.push_back(DeclaredColumn(q, c));
    typed[static_cast<size_t>(c)] = !report.columns.back().typeName.empty();
  }
  int rc;
  while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
    std::vector<ObservedValue> row;
    row.reserve(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) row.push_back(ObservedValueOf(q, c));
    report.rows.push_back(std::move(row));
  }
  for (int c = 0; c < n; ++c)
    if (!typed[static_cast<size_t>(c)]) TypeByValues(report, static_cast<size_t>(c));
  if (rc == SQLITE_DONE) return Outcome::Ok;
  AddSqliteError(sqlite3_extended_errcode(db_));
  return AbortsBatch(error_.providerErrors.back().number) ? Outcome::Abort : Outcome::Failed;
}

// A result column with the type the catalogue declares for it (none for a computed one).
ObservedColumn SqliteEngine::DeclaredColumn(sqlite3_stmt* q, int c) const {
  ObservedColumn col;
  col.name = sqlite3_column_name(q, c);
  const char* table = sqlite3_column_table_name(q, c);
  const char* origin = sqlite3_column_origin_name(q, c);
  if (!table || !origin) return col;
  const TableInfo* info = catalog_.Find(table);
  const int index = info ? info->Find(origin) : -1;
  if (index < 0) return col;
  const ColumnInfo& declared = info->columns[static_cast<size_t>(index)];
  col.typeName = declared.typeName;
  col.length = declared.length;
  col.precision = declared.precision;
  col.scale = declared.scale;
  return col;
}

// A computed column (count(*), max(id), a literal) gets the narrowest of int, bigint, float
// and varchar that holds all its values.
void SqliteEngine::TypeByValues(ObservedStatement& report, size_t c) {
  bool real = false, text = false, big = false;
  size_t longest = 1;
  for (const auto& row : report.rows) {
    const ObservedValue& v = row[c];
    if (const auto* i = std::get_if<std::int64_t>(&v))
      big = big || *i < INT32_MIN || *i > INT32_MAX;
    real = real || std::holds_alternative<double>(v);
    if (const auto* s = std::get_if<std::string>(&v)) {
      text = true;
      longest = std::max(longest, s->size());
    }
  }
  ObservedColumn& col = report.columns[c];
  if (text) {
    col.typeName = "VARCHAR";
    col.length = longest > 8000 ? -1 : 8000;
  } else {
    col.typeName = real ? "FLOAT" : big ? "BIGINT" : "INT";
  }
}

// A column of the current row as the observer's value.
ObservedValue SqliteEngine::ObservedValueOf(sqlite3_stmt* q, int c) {
  switch (sqlite3_column_type(q, c)) {
    case SQLITE_NULL:
      return std::monostate{};
    case SQLITE_INTEGER:
      return static_cast<std::int64_t>(sqlite3_column_int64(q, c));
    case SQLITE_FLOAT:
      return sqlite3_column_double(q, c);
    default: {
      const auto* p = static_cast<const char*>(sqlite3_column_blob(q, c));
      return std::string(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(q, c)));
    }
  }
}

}  // namespace qiva::db::embedded
