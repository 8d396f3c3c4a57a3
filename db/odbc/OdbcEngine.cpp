// OdbcEngine.cpp: the engine over an ODBC driver manager (unixODBC here, the system's on
// Windows). One connection, one statement handle reused for every Execute and one for queries;
// results are read whole into the engine's typed values.
#include "db/odbc/OdbcEngine.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/CodePage1250.h"
#include "base/Utf16.h"
#include "db/odbc/OdbcDiagnostics.h"

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide text is read as UTF-16");

namespace qiva::db {
namespace {

// Seconds a login may take before the driver gives up. ADO's provider waits 15 seconds by
// default; without a limit some drivers wait on an unreachable server for minutes.
constexpr SQLULEN kLoginTimeoutSeconds = 15;

// Owns one ODBC handle of any type and frees it once.
class OdbcHandle {
 public:
  OdbcHandle() = default;
  OdbcHandle(const OdbcHandle&) = delete;
  OdbcHandle& operator=(const OdbcHandle&) = delete;
  ~OdbcHandle() { reset(); }

  // Allocates a handle of `type` under `parent`; false (and no handle) on failure.
  bool allocate(SQLSMALLINT type, SQLHANDLE parent) {
    reset();
    SQLHANDLE made = SQL_NULL_HANDLE;
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &made))) return false;
    type_ = type;
    handle_ = made;
    return true;
  }
  void reset() {
    if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
    handle_ = SQL_NULL_HANDLE;
  }
  SQLHANDLE get() const { return handle_; }
  SQLSMALLINT type() const { return type_; }
  explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }

 private:
  SQLSMALLINT type_ = 0;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// How a column is read: its SQL type decides the value's kind.
enum class ColumnKind { Int32, WideInt, Double, Text };

ColumnKind KindOf(SQLSMALLINT sqlType, SQLSMALLINT decimalDigits) {
  switch (sqlType) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIT:
      return ColumnKind::Int32;
    case SQL_BIGINT:
      return ColumnKind::WideInt;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      // Identity columns are often numeric(18,0): whole numbers keep their integer reading.
      return decimalDigits == 0 ? ColumnKind::WideInt : ColumnKind::Double;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return ColumnKind::Double;
    default:
      return ColumnKind::Text;  // character, date and time, and anything else as text
  }
}

class OdbcEngine final : public DbEngine {
 public:
  ~OdbcEngine() override { close(); }

  bool open(const std::string& connectionString) override;
  bool execute(std::string_view sql) override;
  void executeGroup(const std::vector<std::string_view>& statements,
                    std::vector<StatementOutcome>& outcomes) override;
  bool sendsGroups() const override { return true; }
  bool query(std::string_view sql, ResultSet& out) override;
  bool close() override;
  const EngineError& lastError() const override { return error_; }
  bool broken() const override { return broken_; }
  void setStatementOptions(const StatementOptions& options) override { options_ = options; }

 private:
  bool fail(const OdbcHandle& handle, const std::string& fallback);
  bool failWith(std::vector<odbc::DiagnosticRecord> records, const std::string& fallback);
  std::u16string wideText(std::string_view sql) const;
  SQLRETURN send(OdbcHandle& statement, std::string_view sql, int timeoutSeconds);
  void judgeFailure(const std::vector<odbc::DiagnosticRecord>& records);
  bool linkAnswers();
  size_t sendGroup(const std::vector<std::string_view>& statements, size_t from, size_t end,
                   std::vector<StatementOutcome>& outcomes);
  bool readMarker(long& number);
  bool failWithoutHandle(const char* sqlState, const std::string& description);
  bool run(OdbcHandle& statement, std::string_view sql);
  bool readColumns(ResultSet& out);
  bool readValue(SQLUSMALLINT column, ColumnKind kind, DbValue& value);
  bool readText(SQLUSMALLINT column, DbValue& value);

  OdbcHandle environment_;
  OdbcHandle connection_;
  OdbcHandle executeStatement_;
  OdbcHandle queryStatement_;
  bool connected_ = false;
  bool broken_ = false;      // the link to the server is gone: nothing more is sent
  EngineError brokenError_;  // the failure that found it gone, given to every refusal
  StatementOptions options_;
  EngineError error_;
};

// The states in which the driver reports the link to the server gone, and FreeTDS's own
// number for the first sight of it ("Unexpected EOF from the server", SQLSTATE 01000).
bool LinkLost(const std::vector<odbc::DiagnosticRecord>& records) {
  for (const odbc::DiagnosticRecord& r : records) {
    if (r.sqlState == "08S01" || r.sqlState == "08003" || r.sqlState == "08007") return true;
    if (r.nativeError == 20017) return true;
  }
  return false;
}

bool TimedOut(const std::vector<odbc::DiagnosticRecord>& records) {
  for (const odbc::DiagnosticRecord& r : records)
    if (r.sqlState == "HYT00") return true;
  return false;
}

// Seconds the probe of a link after a time-out may take.
constexpr int kProbeSeconds = 10;

bool OdbcEngine::fail(const OdbcHandle& handle, const std::string& fallback) {
  return failWith(odbc::ReadDiagnostics(handle.type(), handle.get()), fallback);
}

bool OdbcEngine::failWithoutHandle(const char* sqlState, const std::string& description) {
  error_ = odbc::MapDiagnostics({{sqlState, 0, description}}, description);
  return false;
}

bool OdbcEngine::open(const std::string& connectionString) {
  close();
  if (!environment_.allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE)) {
    return failWithoutHandle("HY001", "The ODBC environment could not be allocated");
  }
  SQLSetEnvAttr(environment_.get(), SQL_ATTR_ODBC_VERSION,
                reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(SQL_OV_ODBC3)), 0);
  if (!connection_.allocate(SQL_HANDLE_DBC, environment_.get())) {
    return fail(environment_, "The ODBC connection could not be allocated");
  }
  SQLSetConnectAttr(connection_.get(), SQL_ATTR_LOGIN_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0);
  if (connectionString.size() > SHRT_MAX) {
    return failWithoutHandle("HY090", "The connection string is too long");
  }
  // The completed string the driver hands back may repeat the password; it is not kept.
  SQLCHAR completed[1024];
  SQLSMALLINT completedLength = 0;
  const SQLRETURN rc =
      SQLDriverConnect(connection_.get(), nullptr,
                       reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectionString.c_str())),
                       static_cast<SQLSMALLINT>(connectionString.size()), completed,
                       sizeof completed, &completedLength, SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    fail(connection_, "The ODBC driver refused the connection without saying why");
    connection_.reset();
    environment_.reset();
    return false;
  }
  connected_ = true;
  broken_ = false;
  return true;
}

bool OdbcEngine::close() {
  executeStatement_.reset();
  queryStatement_.reset();
  bool ok = true;
  if (connected_) {
    connected_ = false;
    if (!SQL_SUCCEEDED(SQLDisconnect(connection_.get()))) {
      ok = fail(connection_, "The ODBC driver could not disconnect");
    }
  }
  connection_.reset();
  environment_.reset();
  return ok;
}

bool OdbcEngine::failWith(std::vector<odbc::DiagnosticRecord> records,
                          const std::string& fallback) {
  error_ = odbc::MapDiagnostics(records, fallback);
  judgeFailure(records);
  return false;
}

// The statement's text as UTF-16, converted here so that neither the driver's client character
// set, the locale nor the system code page can change it.
std::u16string OdbcEngine::wideText(std::string_view sql) const {
  if (options_.textAsCharacters && IsValidUtf8(sql)) return Utf8ToUtf16(sql);
  return Cp1250ToUtf16(sql);
}

// Sends `sql` on `statement` (allocated on first use and kept) with a time-out; the driver's
// answer to the first result.
SQLRETURN OdbcEngine::send(OdbcHandle& statement, std::string_view sql, int timeoutSeconds) {
  if (!statement && !statement.allocate(SQL_HANDLE_STMT, connection_.get()))
    return SQL_INVALID_HANDLE;
  SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT,
                 reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(timeoutSeconds)), 0);
  std::u16string wide = wideText(sql);
  return SQLExecDirectW(statement.get(), reinterpret_cast<SQLWCHAR*>(wide.data()),
                        static_cast<SQLINTEGER>(wide.size()));
}

// A failure that shows the link gone breaks the connection; a time-out is followed by a short
// probe, and a link that does not answer it either is taken as gone, so that a server that
// stopped answering ends the run instead of costing one time-out per remaining statement.
void OdbcEngine::judgeFailure(const std::vector<odbc::DiagnosticRecord>& records) {
  if (broken_ || !connected_) return;
  SQLUINTEGER dead = SQL_CD_FALSE;
  SQLGetConnectAttr(connection_.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
  const bool gone =
      LinkLost(records) || dead == SQL_CD_TRUE || (TimedOut(records) && !linkAnswers());
  if (!gone) return;
  broken_ = true;
  brokenError_ = error_;
}

bool OdbcEngine::linkAnswers() {
  OdbcHandle probe;
  const SQLRETURN rc = send(probe, "select 1", kProbeSeconds);
  if (SQL_SUCCEEDED(rc)) SQLFreeStmt(probe.get(), SQL_CLOSE);
  return SQL_SUCCEEDED(rc);
}

// Runs `sql` on `statement`; on failure the error is kept. True when the first result came.
bool OdbcEngine::run(OdbcHandle& statement, std::string_view sql) {
  if (!connected_) return failWithoutHandle("08003", "Connection not open");
  if (broken_) return error_ = brokenError_, false;
  if (sql.size() > static_cast<std::size_t>(INT_MAX / 2)) {
    return failWithoutHandle("HY090", "The statement is too long");
  }
  const SQLRETURN rc = send(statement, sql, options_.timeoutSeconds);
  if (rc == SQL_INVALID_HANDLE)
    return fail(connection_, "The ODBC statement could not be allocated");
  // SQL_NO_DATA: a searched update or delete that touched no row, still a success.
  if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return true;
  std::vector<odbc::DiagnosticRecord> records =
      odbc::ReadDiagnostics(statement.type(), statement.get());
  SQLFreeStmt(statement.get(), SQL_CLOSE);
  return failWith(std::move(records), "The ODBC driver failed the statement without saying why");
}

// Every result of the text is read to its end, errors included: closing a statement whose
// results are still pending makes the driver cancel the request, and SQL Server then stops
// running the text, losing every statement after the one that failed.
bool OdbcEngine::execute(std::string_view sql) {
  if (!connected_) return failWithoutHandle("08003", "Connection not open");
  if (broken_) return error_ = brokenError_, false;
  if (sql.size() > static_cast<std::size_t>(INT_MAX / 2)) {
    return failWithoutHandle("HY090", "The statement is too long");
  }
  SQLRETURN rc = send(executeStatement_, sql, options_.timeoutSeconds);
  if (rc == SQL_INVALID_HANDLE)
    return fail(connection_, "The ODBC statement could not be allocated");
  std::vector<odbc::DiagnosticRecord> errors;
  for (;;) {
    if (rc == SQL_ERROR) {
      const auto records = odbc::ReadDiagnostics(SQL_HANDLE_STMT, executeStatement_.get());
      errors.insert(errors.end(), records.begin(), records.end());
      if (LinkLost(records) || TimedOut(records)) break;
    } else if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
      break;
    }
    rc = SQLMoreResults(executeStatement_.get());
    if (rc == SQL_NO_DATA) break;
  }
  SQLFreeStmt(executeStatement_.get(), SQL_CLOSE);
  if (errors.empty()) return true;
  return failWith(std::move(errors), "The ODBC driver failed the statement without saying why");
}

// ---- groups ----
// A group is sent as one text in which every statement is followed by a marker, a one-row
// select of the number of the statement that comes next; the text begins with one too, so its
// first result is never an error (after which unixODBC reads no further results). Every error
// between two markers belongs to the statement between them. A text that stops before its last
// marker stopped inside the statement after the last marker seen (an error that ends a batch):
// the statements after it are sent again. A text that shows no marker at all did not run (a
// syntax error): its statements are then sent one by one, so each gets its own answer.

constexpr const char* kMarkerColumn = "QIVA_STATEMENT";
constexpr size_t kGroupStatements = 1000;
constexpr size_t kGroupBytes = 1 << 20;

std::string Marker(size_t next) {
  return "select " + std::to_string(next) + " " + kMarkerColumn + "\n";
}

void OdbcEngine::executeGroup(const std::vector<std::string_view>& statements,
                              std::vector<StatementOutcome>& outcomes) {
  outcomes.assign(statements.size(), StatementOutcome{});
  size_t next = 0;
  while (next < statements.size()) {
    if (!connected_ || broken_) {
      for (; next < statements.size(); ++next) {
        outcomes[next].ok = execute(statements[next]);
        if (!outcomes[next].ok) outcomes[next].error = error_;
      }
      return;
    }
    size_t end = next, bytes = 0;
    while (end < statements.size() && end - next < kGroupStatements &&
           (end == next || bytes < kGroupBytes))
      bytes += statements[end++].size();
    next = sendGroup(statements, next, end, outcomes);
  }
}

// True (with the number) when the current result is a marker; its row is read.
bool OdbcEngine::readMarker(long& number) {
  SQLHANDLE statement = executeStatement_.get();
  SQLSMALLINT columns = 0;
  if (!SQL_SUCCEEDED(SQLNumResultCols(statement, &columns)) || columns != 1) return false;
  SQLCHAR name[32] = {0};
  SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
  SQLULEN size = 0;
  if (!SQL_SUCCEEDED(SQLDescribeCol(statement, 1, name, sizeof name, &nameLength, &type, &size,
                                    &digits, &nullable)) ||
      std::string(reinterpret_cast<const char*>(name)) != kMarkerColumn)
    return false;
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  if (!SQL_SUCCEEDED(SQLFetch(statement)) ||
      !SQL_SUCCEEDED(SQLGetData(statement, 1, SQL_C_SLONG, &value, 0, &indicator)))
    return false;
  number = value;
  return true;
}

// Sends statements [from, end) as one text and fills their outcomes; returns the first
// statement whose outcome is still to be found (end when all are known).
size_t OdbcEngine::sendGroup(const std::vector<std::string_view>& statements, size_t from,
                             size_t end, std::vector<StatementOutcome>& outcomes) {
  std::string text = Marker(from);
  for (size_t i = from; i < end; ++i) {
    text.append(statements[i]);
    text += "\n";
    text += Marker(i + 1);
  }
  const std::string why = "The ODBC driver failed the statement without saying why";
  SQLRETURN rc = send(executeStatement_, text, options_.timeoutSeconds);
  if (rc == SQL_INVALID_HANDLE) {
    fail(connection_, "The ODBC statement could not be allocated");
    for (size_t i = from; i < end; ++i) outcomes[i] = {false, error_};
    return end;
  }
  long current = -1;  // the statement the results now belong to; -1 before the first marker
  std::vector<odbc::DiagnosticRecord> errors, linkFailure;
  auto settle = [&](size_t index) {
    if (errors.empty()) return;
    outcomes[index] = {false, odbc::MapDiagnostics(errors, why)};
    errors.clear();
  };
  for (;;) {
    if (rc == SQL_ERROR) {
      const auto records = odbc::ReadDiagnostics(SQL_HANDLE_STMT, executeStatement_.get());
      if (LinkLost(records) || TimedOut(records)) {
        linkFailure = records;
        break;
      }
      errors.insert(errors.end(), records.begin(), records.end());
    } else if (SQL_SUCCEEDED(rc)) {
      long marker = 0;
      if (readMarker(marker) && marker > current && static_cast<size_t>(marker) <= end) {
        if (current >= 0) settle(static_cast<size_t>(current));
        errors.clear();
        current = marker;
      }
    } else if (rc != SQL_NO_DATA) {
      break;
    }
    rc = SQLMoreResults(executeStatement_.get());
    if (rc == SQL_NO_DATA) break;
  }
  SQLFreeStmt(executeStatement_.get(), SQL_CLOSE);
  if (!linkFailure.empty()) {
    // The statement in progress failed with the link; those after it were never run.
    const size_t failed = current < 0 ? from : static_cast<size_t>(current);
    failWith(linkFailure, why);
    for (size_t i = failed; i < end; ++i) outcomes[i] = {false, error_};
    return end;
  }
  if (current < 0) {
    for (size_t i = from; i < end; ++i) {
      outcomes[i].ok = execute(statements[i]);
      if (!outcomes[i].ok) outcomes[i].error = error_;
    }
    return end;
  }
  if (static_cast<size_t>(current) >= end) return end;
  // The text ended inside statement `current`: an error that ends a batch.
  if (errors.empty())
    errors.push_back({"HY000", 0, "The statement ended the batch without an error"});
  settle(static_cast<size_t>(current));
  return static_cast<size_t>(current) + 1;
}

bool OdbcEngine::query(std::string_view sql, ResultSet& out) {
  out = ResultSet{};
  if (!run(queryStatement_, sql)) return false;
  const bool ok = readColumns(out);
  SQLFreeStmt(queryStatement_.get(), SQL_CLOSE);
  if (!ok) out = ResultSet{};
  return ok;
}

// Reads the first result that has columns (row counts of statements before it are skipped).
bool OdbcEngine::readColumns(ResultSet& out) {
  SQLHANDLE statement = queryStatement_.get();
  const std::string why = "The ODBC driver failed the query without saying why";
  SQLSMALLINT count = 0;
  for (;;) {
    if (!SQL_SUCCEEDED(SQLNumResultCols(statement, &count))) return fail(queryStatement_, why);
    if (count > 0) break;
    const SQLRETURN rc = SQLMoreResults(statement);
    if (rc == SQL_NO_DATA) return true;  // nothing came back: no columns, no rows
    if (!SQL_SUCCEEDED(rc)) return fail(queryStatement_, why);
  }
  std::vector<ColumnKind> kinds;
  for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(count); ++column) {
    std::string name(128, '\0');
    SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
      if (!SQL_SUCCEEDED(SQLDescribeCol(statement, column, reinterpret_cast<SQLCHAR*>(name.data()),
                                        static_cast<SQLSMALLINT>(name.size()), &nameLength,
                                        &sqlType, &size, &digits, &nullable)))
        return fail(queryStatement_, why);
      if (nameLength < static_cast<SQLSMALLINT>(name.size())) break;
      name.assign(static_cast<std::size_t>(nameLength) + 1, '\0');  // cut: ask again
    }
    name.resize(std::min<std::size_t>(static_cast<std::size_t>(nameLength), name.size()));
    out.columns.push_back(std::move(name));
    kinds.push_back(KindOf(sqlType, digits));
  }
  for (;;) {
    const SQLRETURN rc = SQLFetch(statement);
    if (rc == SQL_NO_DATA) return true;
    if (!SQL_SUCCEEDED(rc)) return fail(queryStatement_, why);
    std::vector<DbValue>& row = out.rows.emplace_back(kinds.size());
    for (std::size_t i = 0; i < kinds.size(); ++i) {
      if (!readValue(static_cast<SQLUSMALLINT>(i + 1), kinds[i], row[i])) return false;
    }
  }
}

bool OdbcEngine::readValue(SQLUSMALLINT column, ColumnKind kind, DbValue& value) {
  SQLHANDLE statement = queryStatement_.get();
  const std::string why = "The ODBC driver could not read a value";
  SQLLEN indicator = 0;
  switch (kind) {
    case ColumnKind::Int32: {
      SQLINTEGER number = 0;
      if (!SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_SLONG, &number, 0, &indicator)))
        return fail(queryStatement_, why);
      value = indicator == SQL_NULL_DATA ? DbValue(DbNull{}) : DbValue(std::int32_t{number});
      return true;
    }
    case ColumnKind::WideInt: {
      // A whole number that fits 32 bits is handed out as one; a larger one as a double.
      SQLBIGINT number = 0;
      if (!SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_SBIGINT, &number, 0, &indicator)))
        return fail(queryStatement_, why);
      if (indicator == SQL_NULL_DATA) {
        value = DbNull{};
      } else if (number >= INT32_MIN && number <= INT32_MAX) {
        value = static_cast<std::int32_t>(number);
      } else {
        value = static_cast<double>(number);
      }
      return true;
    }
    case ColumnKind::Double: {
      double number = 0;
      if (!SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_DOUBLE, &number, 0, &indicator)))
        return fail(queryStatement_, why);
      value = indicator == SQL_NULL_DATA ? DbValue(DbNull{}) : DbValue(number);
      return true;
    }
    case ColumnKind::Text:
      return readText(column, value);
  }
  return true;
}

// Reads a character value as UTF-16 in pieces of any length and hands it out as UTF-8, so the
// text does not depend on the client character set the driver is configured with.
bool OdbcEngine::readText(SQLUSMALLINT column, DbValue& value) {
  std::u16string wide;
  SQLWCHAR piece[1024];
  constexpr SQLLEN kPieceChars = sizeof piece / sizeof piece[0] - 1;  // room for the terminator
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc =
        SQLGetData(queryStatement_.get(), column, SQL_C_WCHAR, piece, sizeof piece, &indicator);
    if (rc == SQL_NO_DATA) break;  // every piece has been read
    if (!SQL_SUCCEEDED(rc)) return fail(queryStatement_, "The ODBC driver could not read text");
    if (indicator == SQL_NULL_DATA) {
      value = DbNull{};
      return true;
    }
    SQLLEN chars = kPieceChars;  // a cut piece fills the buffer
    if (indicator != SQL_NO_TOTAL && indicator / static_cast<SQLLEN>(sizeof(SQLWCHAR)) <= chars)
      chars = indicator / static_cast<SQLLEN>(sizeof(SQLWCHAR));
    wide.append(reinterpret_cast<const char16_t*>(piece), static_cast<std::size_t>(chars));
    if (rc == SQL_SUCCESS) break;  // the last piece
  }
  value = ::Utf16ToUtf8(wide);
  return true;
}

}  // namespace

std::unique_ptr<DbEngine> CreateOdbcEngine() { return std::make_unique<OdbcEngine>(); }

}  // namespace qiva::db
