// Tests of qiva-tds-server through unixODBC and the real FreeTDS driver, with plain ODBC calls:
// login, result types, SQL Server's batch rules, attention, faults and text in both collations.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "base/tests/TestSupport.h"
#include "db/tds/tests/StandIn.h"

namespace {

using qiva::test::StandIn;

// One result of a text as ODBC reports it: a row count, or an error with its native number.
struct Result {
  bool error = false;
  long number = 0;  // the error's SQL Server number
  long long rows = -1;
  std::string state;
  bool operator==(const Result&) const = default;
};

Result Ok(long long rows) { return {false, 0, rows, ""}; }
Result Error(long number) { return {true, number, -1, ""}; }

std::ostream& operator<<(std::ostream& os, const Result& r) {
  return r.error ? os << "error " << r.number << " " << r.state : os << "rows " << r.rows;
}

class Odbc {
 public:
  Odbc() {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
  }
  ~Odbc() {
    if (stmt_) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
    if (connected_) SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }

  // Connects; on failure `failure` holds the first diagnostic's native number.
  bool Connect(const std::string& text) {
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnect(dbc_, nullptr, (SQLCHAR*)text.c_str(), SQL_NTS, out,
                                          sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
      failure = Diagnostic(SQL_HANDLE_DBC, dbc_);
      return false;
    }
    connected_ = true;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_);
    return true;
  }

  void SetQueryTimeout(long seconds) {
    SQLSetStmtAttr(stmt_, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(seconds), 0);
  }

  // Runs `text` (sent as UTF-16) and reads every result to the end.
  std::vector<Result> Walk(const std::u16string& text) {
    std::vector<Result> results;
    SQLRETURN rc = SQLExecDirectW(stmt_, (SQLWCHAR*)text.c_str(), SQL_NTS);
    for (;;) {
      if (rc == SQL_ERROR) {
        results.push_back(Diagnostic(SQL_HANDLE_STMT, stmt_));
      } else if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) {
        SQLLEN count = -1;
        SQLRowCount(stmt_, &count);
        results.push_back(Ok(count));
      } else {
        break;
      }
      rc = SQLMoreResults(stmt_);
      if (rc == SQL_NO_DATA || rc == SQL_INVALID_HANDLE) break;
    }
    SQLFreeStmt(stmt_, SQL_CLOSE);
    return results;
  }

  // The first row of a query, each column read as UTF-16 text ("NULL" for null).
  std::vector<std::u16string> FirstRow(const std::u16string& query) {
    std::vector<std::u16string> row;
    if (!SQL_SUCCEEDED(SQLExecDirectW(stmt_, (SQLWCHAR*)query.c_str(), SQL_NTS)) ||
        !SQL_SUCCEEDED(SQLFetch(stmt_))) {
      SQLFreeStmt(stmt_, SQL_CLOSE);
      return row;
    }
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt_, &columns);
    for (SQLUSMALLINT c = 1; c <= columns; ++c) {
      std::u16string value;
      std::vector<char16_t> piece(4096);
      SQLLEN indicator = 0;
      SQLRETURN rc;
      while ((rc = SQLGetData(stmt_, c, SQL_C_WCHAR, piece.data(),
                              static_cast<SQLLEN>(piece.size() * 2), &indicator)) != SQL_NO_DATA &&
             SQL_SUCCEEDED(rc)) {
        if (indicator == SQL_NULL_DATA) {
          value = u"NULL";
          break;
        }
        value += piece.data();
        if (rc == SQL_SUCCESS) break;
      }
      row.push_back(value);
    }
    SQLFreeStmt(stmt_, SQL_CLOSE);
    return row;
  }

  std::u16string Scalar(const std::u16string& query) {
    const auto row = FirstRow(query);
    return row.empty() ? u"(none)" : row[0];
  }

  // Sends `text` and cancels once its first result has arrived.
  SQLRETURN ExecuteThenCancel(const std::u16string& text) {
    const SQLRETURN rc = SQLExecDirectW(stmt_, (SQLWCHAR*)text.c_str(), SQL_NTS);
    SQLCancel(stmt_);
    SQLFreeStmt(stmt_, SQL_CLOSE);
    return rc;
  }

  Result failure;

 private:
  static Result Diagnostic(SQLSMALLINT type, SQLHANDLE handle) {
    // The number of the first record that carries one; the states of all records.
    Result r{true, 0, -1, ""};
    for (SQLSMALLINT i = 1;; ++i) {
      SQLCHAR state[6] = {0};
      SQLINTEGER native = 0;
      SQLCHAR message[1024];
      SQLSMALLINT length = 0;
      if (!SQL_SUCCEEDED(
              SQLGetDiagRec(type, handle, i, state, &native, message, sizeof message, &length)))
        break;
      if (r.number == 0) r.number = native;
      r.state += (r.state.empty() ? "" : ",") + std::string(reinterpret_cast<const char*>(state));
    }
    return r;
  }

  SQLHENV env_ = SQL_NULL_HANDLE;
  SQLHDBC dbc_ = SQL_NULL_HANDLE;
  SQLHSTMT stmt_ = SQL_NULL_HANDLE;
  bool connected_ = false;
};

// Compares results by kind, number and row count (not by SQLSTATE).
std::vector<Result> WithoutStates(std::vector<Result> results) {
  for (Result& r : results) r.state.clear();
  return results;
}

std::u16string U(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class TdsServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!qiva::test::RegisterFreeTds(dir.path().string())) GTEST_SKIP() << "no FreeTDS ODBC driver";
  }
  std::unique_ptr<StandIn> Start(const std::vector<std::string>& arguments = {}) {
    auto server = std::make_unique<StandIn>(dir.file("clinic.db"), arguments);
    EXPECT_TRUE(server->Started());
    return server;
  }
  qiva::test::ScratchDir dir;
};

TEST_F(TdsServerTest, acceptsItsLoginAndRefusesAWrongPasswordAsSqlServerDoes) {
  auto server = Start();
  Odbc good;
  EXPECT_TRUE(good.Connect(server->ConnectionText())) << good.failure;
  Odbc bad;
  EXPECT_FALSE(bad.Connect(server->ConnectionText("qiva", "wrong")));
  EXPECT_EQ(bad.failure.number, 18456);
}

TEST_F(TdsServerTest, typesEveryResultColumnAndItsNull) {
  auto server = Start();
  Odbc c;
  ASSERT_TRUE(c.Connect(server->ConnectionText()));
  ASSERT_EQ(WithoutStates(c.Walk(
                u"create table T (i int, g bigint, d decimal(10,2), v varchar(20), n nvarchar(10), "
                u"m nvarchar(max), t datetime, f float, b bit)")),
            std::vector<Result>{Ok(-1)});
  const std::u16string longText(20000, u'x');
  ASSERT_EQ(WithoutStates(c.Walk(u"insert into T values (7, 5000000000, -12.35, 'abc', N'n', N'" +
                                 longText + u"', '2021-03-01 10:20:30.500', 2.5, 1)")),
            std::vector<Result>{Ok(1)});
  ASSERT_EQ(WithoutStates(c.Walk(
                u"insert into T values (null, null, null, null, null, null, null, null, null)")),
            std::vector<Result>{Ok(1)});
  EXPECT_EQ(c.FirstRow(u"select i, g, d, v, n, t, f, b from T where i = 7"),
            (std::vector<std::u16string>{u"7", u"5000000000", u"-12.35", u"abc", u"n",
                                         u"2021-03-01 10:20:30.500", u"2.5", u"1"}));
  EXPECT_EQ(c.Scalar(u"select m from T where i = 7"), longText);
  EXPECT_EQ(c.FirstRow(u"select i, g, d, v, n, m, t, f, b from T where i is null"),
            std::vector<std::u16string>(9, u"NULL"));
  EXPECT_EQ(c.Scalar(u"select count(*) from T"), u"2");
}

TEST_F(TdsServerTest, aBatchGoesOnAfterAKeyViolationAndStopsAtAConversionError) {
  auto server = Start();
  Odbc c;
  ASSERT_TRUE(c.Connect(server->ConnectionText()));
  c.Walk(u"create table T (id int primary key, n int)");
  std::u16string batch;
  for (int i = 1; i <= 20; ++i) {
    const std::string id = i == 5 ? "1" : std::to_string(i);
    const std::string n = i == 9 ? "'abc'" : "0";
    batch += U("insert into T values (" + id + ", " + n + ")\n");
  }
  std::vector<Result> expected(4, Ok(1));
  expected.push_back(Error(2627));
  expected.insert(expected.end(), 3, Ok(1));
  expected.push_back(Error(245));
  EXPECT_EQ(WithoutStates(c.Walk(batch)), expected);
  EXPECT_EQ(c.Scalar(u"select count(*) from T"), u"7");
  EXPECT_EQ(c.Scalar(u"select max(id) from T"), u"8");
}

TEST_F(TdsServerTest, aSyntaxErrorAnywhereRunsNoneOfTheBatch) {
  auto server = Start();
  Odbc c;
  ASSERT_TRUE(c.Connect(server->ConnectionText()));
  c.Walk(u"create table T (id int)");
  const auto results =
      c.Walk(u"insert into T values (1)\ninsert into T values (2)\ninsert into T valeus (3)");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].number, 102);
  EXPECT_EQ(c.Scalar(u"select count(*) from T"), u"0");
}

TEST_F(TdsServerTest, aProcedureGoesOnAfterAnErrorInsideIt) {
  auto server = Start();
  Odbc c;
  ASSERT_TRUE(c.Connect(server->ConnectionText()));
  c.Walk(u"create table T (id int primary key)");
  c.Walk(
      u"create procedure P as begin insert into T values (1) insert into T values (1) insert into "
      u"T values (2) end");
  EXPECT_EQ(WithoutStates(c.Walk(u"exec P")), std::vector<Result>{Error(2627)});
  EXPECT_EQ(c.Scalar(u"select count(*) from T"), u"2");
}

// A trigger's own count (a DONEINPROC before the insert's DONE) is read past by the driver: the
// insert still answers with its one count and the rows after it are stored.
TEST_F(TdsServerTest, aTriggersExtraCountLeavesTheBatchWhole) {
  auto server = Start({"--extra-count-after-insert", "T"});
  Odbc c;
  ASSERT_TRUE(c.Connect(server->ConnectionText()));
  c.Walk(u"create table T (id int primary key)");
  EXPECT_EQ(WithoutStates(c.Walk(
                u"insert into T values (1)\ninsert into T values (1)\ninsert into T values (2)")),
            (std::vector<Result>{Ok(1), Error(2627), Ok(1)}));
  EXPECT_EQ(c.Scalar(u"select count(*) from T"), u"2");
}

TEST_F(TdsServerTest, anAttentionLeavesTheStatementsNotYetRunUnrun) {
  auto server = Start({"--statement-delay-ms", "100"});
  Odbc c;
  ASSERT_TRUE(c.Connect(server->ConnectionText()));
  c.Walk(u"create table T (id int)");
  std::u16string batch;
  for (int i = 1; i <= 20; ++i) batch += U("insert into T values (" + std::to_string(i) + ")\n");
  c.ExecuteThenCancel(batch);
  const std::u16string count = c.Scalar(u"select count(*) from T");
  EXPECT_LT(std::stoi(std::string(count.begin(), count.end())), 10);
}

TEST_F(TdsServerTest, aServerThatHangsTimesOutAndOneThatDropsFailsTheLink) {
  {
    auto server = Start({"--hang-at", "2"});
    Odbc c;
    ASSERT_TRUE(c.Connect(server->ConnectionText()));
    c.SetQueryTimeout(1);
    c.Walk(u"create table T (id int)");
    const auto start = std::chrono::steady_clock::now();
    const auto results = c.Walk(u"insert into T values (1)");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ASSERT_FALSE(results.empty());
    EXPECT_TRUE(results[0].error);
    EXPECT_NE(results[0].state.find("HYT00"), std::string::npos) << results[0].state;
  }
  {
    auto server = Start({"--drop-at", "2"});
    Odbc c;
    ASSERT_TRUE(c.Connect(server->ConnectionText()));
    c.Walk(u"create table T (id int)");
    // FreeTDS tells the end of the link first as "Unexpected EOF from the server" (20017,
    // SQLSTATE 01000), then as a communication link failure.
    const auto first = c.Walk(u"insert into T values (1)");
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(first[0].error);
    EXPECT_EQ(first[0].number, 20017);
    const auto next = c.Walk(u"insert into T values (2)");
    ASSERT_FALSE(next.empty());
    EXPECT_NE(next[0].state.find("08S01"), std::string::npos) << next[0].state;
  }
}

TEST_F(TdsServerTest, latencyDelaysEveryAnswerAndTheCountersCountBatchesAndStatements) {
  auto server = Start({"--latency-ms", "150"});
  Odbc c;
  ASSERT_TRUE(c.Connect(server->ConnectionText()));
  const auto start = std::chrono::steady_clock::now();
  c.Walk(u"create table T (id int)\ninsert into T values (1)\ninsert into T values (2)");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_EQ(c.FirstRow(u"select * from qiva_tds_counters"),
            (std::vector<std::u16string>{u"1", u"3"}));
  EXPECT_EQ(server->Stop(), "requests 1 statements 3");
}

// Romanian text sent as UTF-16: in a code page 1250 database the cedilla letters are kept and
// the comma-below ones, which the code page lacks, become '?'; a UTF-8 database keeps both.
TEST_F(TdsServerTest, romanianTextReadsBackAsTheDatabaseCollationStoresIt) {
  const std::u16string cedilla = u"\u015Eerban \u0103\u00E2\u00EE\u015F\u0163";
  const std::u16string commaBelow = u"\u0218tefan \u021B";
  for (const bool utf8 : {false, true}) {
    SCOPED_TRACE(utf8 ? "utf8" : "cp1250");
    std::filesystem::remove(dir.file("clinic.db"));
    auto server = Start({"--collation", utf8 ? "utf8" : "cp1250"});
    Odbc c;
    ASSERT_TRUE(c.Connect(server->ConnectionText()));
    c.Walk(u"create table T (id int, v varchar(40))");
    c.Walk(u"insert into T values (1, '" + cedilla + u"')\ninsert into T values (2, '" +
           commaBelow + u"')");
    EXPECT_EQ(c.Scalar(u"select v from T where id = 1"), cedilla);
    EXPECT_EQ(c.Scalar(u"select v from T where id = 2"), utf8 ? commaBelow : u"?tefan ?");
  }
}

}  // namespace
