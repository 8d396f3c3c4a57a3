// StatementCache.cpp: prepared statements remembered by the shape of their statement, and
// running one with its literals bound (converted and checked for the columns they go into).
#include <cstdlib>

#include "db/sqlite/SqlServerMessages.h"
#include "db/sqlite/SqliteEngineInternal.h"

namespace qiva::db::embedded {

// The prepared statement for the shape of `st`, translated and prepared on first use; null
// (with `failure`) when the translation or SQLite refuses it.
const SqliteEngine::Cached* SqliteEngine::Prepared(const Batch& batch, const Statement& st,
                                                   Outcome& failure) {
  std::string key = StatementShape(batch, st);
  const auto it = cache_.find(key);
  if (it != cache_.end()) return it->second.get();
  std::string sql;
  TranslateError te;
  Translator tr(catalog_, batch, st.firstLiteral, false, state_.databaseName);
  if (!tr.Statement(st, sql, te)) {
    failure = Failed(te.number, te.message);
    return nullptr;
  }
  sqlite3_stmt* q = nullptr;
  if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &q, nullptr) != SQLITE_OK) {
    AddSqliteError(sqlite3_extended_errcode(db_));
    failure = Outcome::Abort;
    return nullptr;
  }
  if (cache_.size() >= kCacheLimit) {
    ClearCache();
    recording_ = false;  // statements recorded so far are gone
  }
  auto entry = std::make_unique<Cached>();
  entry->stmt = q;
  if (st.kind == Statement::Kind::Insert) {
    if (const TableInfo* table = catalog_.Find(st.table.name)) {
      for (const ColumnInfo& c : table->columns)
        entry->identityInsert = entry->identityInsert || c.identity;
    }
  }
  entry->params = tr.DirectParams();
  for (const DirectParam& p : entry->params) {
    if (entry->direct.size() < static_cast<size_t>(p.param))
      entry->direct.resize(static_cast<size_t>(p.param), nullptr);
    entry->direct[static_cast<size_t>(p.param) - 1] = &p.target;
  }
  const Cached* result = entry.get();
  cache_.emplace(std::move(key), std::move(entry));
  return result;
}

namespace {

// A literal as a value on its way into a column: text, a whole number that fits in 64 bits, or a
// real that keeps its text (it tells a float from a numeric in the overflow message).
SqlValue LiteralValue(const Token& tok) {
  SqlValue in;
  if (tok.kind == TokenKind::String) {
    in.type = SqlValue::Type::Text;
    in.text = tok.text;
  } else if (tok.text.find_first_of(".eE") == std::string::npos && tok.text.size() < 19) {
    in.type = SqlValue::Type::Int;
    in.i = std::strtoll(tok.text.c_str(), nullptr, 10);
  } else {
    in.type = SqlValue::Type::Real;
    in.d = std::strtod(tok.text.c_str(), nullptr);
    in.text = tok.text;
  }
  return in;
}

// Binds a converted value to parameter `index`; the text stays owned by the caller.
void BindValue(sqlite3_stmt* q, int index, const SqlValue& v) {
  switch (v.type) {
    case SqlValue::Type::Null:
      sqlite3_bind_null(q, index);
      break;
    case SqlValue::Type::Int:
      sqlite3_bind_int64(q, index, v.i);
      break;
    case SqlValue::Type::Real:
      sqlite3_bind_double(q, index, v.d);
      break;
    case SqlValue::Type::Text:
      sqlite3_bind_text(q, index, v.text.data(), static_cast<int>(v.text.size()), SQLITE_STATIC);
      break;
  }
}

// Binds a literal that is no column's value as it is written: text, an integer or a real.
void BindLiteral(sqlite3_stmt* q, int index, const Token& tok) {
  if (tok.kind == TokenKind::String) {
    sqlite3_bind_text(q, index, tok.text.data(), static_cast<int>(tok.text.size()), SQLITE_STATIC);
  } else if (tok.text.find_first_of(".eE") == std::string::npos && tok.text.size() < 19) {
    sqlite3_bind_int64(q, index, std::strtoll(tok.text.c_str(), nullptr, 10));
  } else {
    sqlite3_bind_double(q, index, std::strtod(tok.text.c_str(), nullptr));
  }
}

}  // namespace

// A literal stored into a column: converted and checked here, as qiva_col would, and bound.
// False (with the error) when the column refuses it.
bool SqliteEngine::BindStored(sqlite3_stmt* q, int index, const Token& tok,
                              const ColumnTarget& target, Outcome& failure) {
  SqlValue v;
  int number = 0;
  std::string message;
  // One buffer per parameter, kept until the parameter is bound again.
  if (bindBuffers_.size() < static_cast<size_t>(index))
    bindBuffers_.resize(static_cast<size_t>(index));
  std::string& buffer = bindBuffers_[static_cast<size_t>(index) - 1];
  if (!ConvertForColumn(LiteralValue(tok), target, state_, v, buffer, number, message)) {
    failure = Failed(number, message);
    return false;
  }
  BindValue(q, index, v);
  return true;
}

// Binds the statement's literals (tokens[literals[first..end)]) and runs it to the end.
SqliteEngine::Outcome SqliteEngine::Step(const Token* tokens, const std::vector<size_t>& literals,
                                         int first, int end, const Cached& cached, ResultSet* out,
                                         bool* gotRows) {
  sqlite3_stmt* q = cached.stmt;
  const int params = sqlite3_bind_parameter_count(q);
  for (int i = first; i < end; ++i) {
    const int index = i - first + 1;
    if (index > params) break;
    const Token& tok = tokens[literals[static_cast<size_t>(i)]];
    const ColumnTarget* target = static_cast<size_t>(index) <= cached.direct.size()
                                     ? cached.direct[static_cast<size_t>(index) - 1]
                                     : nullptr;
    if (!target) {
      BindLiteral(q, index, tok);
      continue;
    }
    Outcome failure = Outcome::Failed;
    if (!BindStored(q, index, tok, *target, failure)) {
      sqlite3_reset(q);
      return failure;
    }
  }
  return RunBound(q, cached, out, gotRows);
}

// Runs a bound statement to the end: its rows go to the observer's capture or to `out` (when
// given), an insert into a table with an identity column sets SCOPE_IDENTITY().
SqliteEngine::Outcome SqliteEngine::RunBound(sqlite3_stmt* q, const Cached& cached, ResultSet* out,
                                             bool* gotRows) {
  if (capture_) {
    const Outcome captured = CaptureRows(q);
    sqlite3_reset(q);
    return captured;
  }
  if (out) {
    *gotRows = true;
    const int n = sqlite3_column_count(q);
    for (int c = 0; c < n; ++c) out->columns.emplace_back(sqlite3_column_name(q, c));
  }
  int rc;
  while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
    if (!out) continue;
    std::vector<DbValue> row;
    const int n = sqlite3_column_count(q);
    row.reserve(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) row.push_back(ValueOf(q, c));
    out->rows.push_back(std::move(row));
  }
  Outcome result = Outcome::Ok;
  if (rc == SQLITE_DONE && cached.identityInsert && sqlite3_changes(db_) > 0) {
    // An identity column is the table's rowid: the row just inserted holds this value.
    state_.hasScopeIdentity = true;
    state_.scopeIdentity = sqlite3_last_insert_rowid(db_);
  }
  if (rc != SQLITE_DONE) {
    AddSqliteError(sqlite3_extended_errcode(db_));
    result = AbortsBatch(error_.providerErrors.back().number) ? Outcome::Abort : Outcome::Failed;
    if (out) out->rows.clear();
  }
  sqlite3_reset(q);
  return result;
}

// A column of the current row as the recordset's value: integers beyond 32 bits as doubles.
DbValue SqliteEngine::ValueOf(sqlite3_stmt* q, int c) {
  switch (sqlite3_column_type(q, c)) {
    case SQLITE_NULL:
      return DbNull{};
    case SQLITE_INTEGER: {
      const sqlite3_int64 v = sqlite3_column_int64(q, c);
      if (v >= INT32_MIN && v <= INT32_MAX) return static_cast<std::int32_t>(v);
      return static_cast<double>(v);
    }
    case SQLITE_FLOAT:
      return sqlite3_column_double(q, c);
    default: {
      const unsigned char* p = sqlite3_column_text(q, c);
      return std::string(reinterpret_cast<const char*>(p),
                         static_cast<size_t>(sqlite3_column_bytes(q, c)));
    }
  }
}

// Drops every prepared statement and every plan that points to them.
void SqliteEngine::ClearCache() {
  plans_.clear();
  ++plansCleared_;
  for (auto& [key, q] : cache_) sqlite3_finalize(q->stmt);
  cache_.clear();
}

}  // namespace qiva::db::embedded
