// DbExecuteBench.cpp: what one CAdoDatabase::Execute costs over a bare SQLExecDirect on the same
// ODBC driver (the SQLite ODBC driver on a temporary file), in ns per statement, with the ratio.
#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "db/CAdoDatabase.h"

namespace {

const std::string kDatabaseFile =
    (std::filesystem::temp_directory_path() / "qiva-bench-execute.db").string();

// Synchronous writes off: the disk's flush time would hide what the layer costs.
std::string ConnectionText() {
  return std::string("DRIVER={") + QIVA_SQLITE_ODBC_DRIVER + "};DATABASE=" + kDatabaseFile +
         ";SyncPragma=OFF;JournalMode=MEMORY";
}

// A select whose row is discarded, and a one-row update (the table does not grow between runs).
const char* const kStatements[] = {"select 1", "update T set n = n + 1, name = 'abc' where id = 1"};

void PrepareDatabase() {
  std::filesystem::remove(kDatabaseFile);
  CAdoDatabase db;
  if (!db.Open(ConnectionText()) ||
      !db.Execute("create table T (id integer primary key, n integer, name varchar(20))") ||
      !db.Execute("insert into T (id, n, name) values (1, 0, '')")) {
    std::fprintf(stderr, "cannot prepare %s:\n%s\n", kDatabaseFile.c_str(),
                 db.m_szComError.c_str());
    std::exit(1);
  }
}

void ThroughLayer(benchmark::State& state) {
  const char* sql = kStatements[state.range(0)];
  CAdoDatabase db;
  if (!db.Open(ConnectionText())) {
    state.SkipWithError(db.m_szComError.c_str());
    return;
  }
  for (auto _ : state) {
    if (!db.Execute(sql)) state.SkipWithError(db.m_szComError.c_str());
  }
}

void BareOdbc(benchmark::State& state) {
  const char* sql = kStatements[state.range(0)];
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  std::string text = ConnectionText();
  if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                      SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
    state.SkipWithError("SQLDriverConnect failed");
  } else {
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    for (auto _ : state) {
      // The least a caller can do: run the text and close the cursor a select leaves.
      const SQLRETURN rc = SQLExecDirect(stmt, (SQLCHAR*)sql, SQL_NTS);
      if (!SQL_SUCCEEDED(rc)) state.SkipWithError("SQLExecDirect failed");
      SQLFreeStmt(stmt, SQL_CLOSE);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
  }
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
}

BENCHMARK(ThroughLayer)->Arg(0)->Arg(1);
BENCHMARK(BareOdbc)->Arg(0)->Arg(1);

// Prints each run as usual and keeps its time per statement for the closing comparison.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations == 0) continue;
      nsPerStatement[run.benchmark_name()] =
          run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations);
    }
  }
  std::map<std::string, double> nsPerStatement;
};

}  // namespace

int main(int argc, char** argv) {
  PrepareDatabase();
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (int i = 0; i < 2; ++i) {
    const std::string arg = "/" + std::to_string(i);
    const auto layer = reporter.nsPerStatement.find("ThroughLayer" + arg);
    const auto bare = reporter.nsPerStatement.find("BareOdbc" + arg);
    if (layer == reporter.nsPerStatement.end() || bare == reporter.nsPerStatement.end()) continue;
    std::printf("%-52s layer %9.0f ns  bare %9.0f ns  ratio %.3f\n", kStatements[i], layer->second,
                bare->second, layer->second / bare->second);
  }
  std::filesystem::remove(kDatabaseFile);
  return 0;
}
