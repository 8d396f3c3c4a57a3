// Tests of CAdoDatabase and CAdoRecordset over real ODBC drivers: the SQLite ODBC driver on
// temporary database files, and FreeTDS against a local port where nothing listens.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "db/tests/DbTestSupport.h"

namespace {

using qiva::test::ReadFileBytes;
using qiva::test::ReadLogRecords;

constexpr const char* kSqliteDriver = "QIVA SQLite3 ODBC";
constexpr const char* kFreeTdsDriver = "QIVA FreeTDS";

// Registers the two drivers in an odbcinst.ini of its own, so the tests depend on no system
// configuration; the driver manager finds it through ODBCSYSINI.
class DriverRegistry : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string ini;
    ini += std::string("[") + kSqliteDriver + "]\nDriver=" + QIVA_SQLITE_ODBC_DRIVER + "\n\n";
    ini += std::string("[") + kFreeTdsDriver + "]\nDriver=" + QIVA_FREETDS_ODBC_DRIVER + "\n";
    qiva::test::WriteFileBytes(dir_.file("odbcinst.ini"), ini);
    qiva::test::WriteFileBytes(dir_.file("odbc.ini"), "");
    setenv("ODBCSYSINI", dir_.path().c_str(), 1);
    setenv("ODBCINSTINI", "odbcinst.ini", 1);
    setenv("ODBCINI", dir_.file("odbc.ini").c_str(), 1);
  }

 private:
  qiva::test::ScratchDir dir_;
};

const auto* const registry = ::testing::AddGlobalTestEnvironment(new DriverRegistry);

class SqliteOdbcTest : public qiva::test::InScratchFolder {
 protected:
  void SetUp() override {
    InScratchFolder::SetUp();
    if (std::string(QIVA_SQLITE_ODBC_DRIVER).empty()) GTEST_SKIP() << "no SQLite ODBC driver";
    db.SetLogFile("_database.log");
    db.SetDriver(kSqliteDriver);
  }
  bool openFile(const std::string& name) { return db.Open("", "", "", file(name)); }
  CAdoDatabase db;
  CAdoRecordset rs;
};

TEST_F(SqliteOdbcTest, opensAndExecutesStatementsDiscardingTheRowsOfASelect) {
  ASSERT_TRUE(openFile("a.db")) << db.m_szComError << db.m_szProviderError;
  EXPECT_TRUE(db.m_bOpen);
  EXPECT_TRUE(db.Execute("create table T (id integer primary key, name varchar(50))"));
  EXPECT_TRUE(db.Execute("insert into T (name) values ('x')"));
  EXPECT_TRUE(db.Execute("select * from T"));
  EXPECT_TRUE(db.Execute("insert into T (name) values ('y')"));  // the select left no cursor
  EXPECT_TRUE(db.Execute("delete from T where id = 99"));        // no row touched
  ASSERT_TRUE(rs.Open("select count(*) n from T", &db));
  EXPECT_EQ(rs.GetFieldValue("N"), DbValue(std::int32_t{2}));
  rs.Close();
  EXPECT_TRUE(db.Close());
  EXPECT_FALSE(db.m_bOpen);
  EXPECT_TRUE(ReadLogRecords("_database.log").empty());
}

// Statements leave as UTF-16, and unixODBC hands the SQLite driver (which has no wide calls)
// each character cut to one byte: the text here is ASCII. Romanian text through a driver with
// wide calls is tested against the SQL Server stand-in.
TEST_F(SqliteOdbcTest, readsNullIntegerFloatAndTextWithFieldNamesInAnyCase) {
  ASSERT_TRUE(openFile("a.db"));
  ASSERT_TRUE(
      db.Execute("create table T (id integer primary key, Name varchar(4000), "
                 "price double, note varchar(10))"));
  const std::string longName(3000, 'L');
  ASSERT_TRUE(db.Execute("insert into T values (1, 'Stefan', 2.5, null)"));
  ASSERT_TRUE(db.Execute("insert into T values (2, '" + longName + "', -1, 'n')"));
  ASSERT_TRUE(rs.Open("select id, name, price, note from T order by id", &db));
  EXPECT_EQ(rs.m_nRecordCount, 2);
  EXPECT_EQ(rs.GetFieldValue("ID"), DbValue(std::int32_t{1}));
  EXPECT_EQ(rs.GetFieldValue("NAME"), DbValue(std::string("Stefan")));
  EXPECT_EQ(rs.GetFieldValue("Price"), DbValue(2.5));
  EXPECT_TRUE(IsNullValue(rs.GetFieldValue("note")));
  ASSERT_TRUE(rs.MoveNext());
  EXPECT_EQ(rs.GetFieldValue("name"), DbValue(longName));
  EXPECT_EQ(rs.GetFieldValue("note"), DbValue(std::string("n")));
  EXPECT_FALSE(rs.MoveNext());
  EXPECT_TRUE(rs.IsEOF());
  rs.Close();
}

TEST_F(SqliteOdbcTest, maxOfAnEmptyTableIsNullAndAQueryWithoutRowsIsAtEnd) {
  ASSERT_TRUE(openFile("a.db"));
  ASSERT_TRUE(db.Execute("create table E (id integer primary key, name varchar(10))"));
  ASSERT_TRUE(rs.Open(" select max(id) UID from E ", &db));
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_TRUE(IsNullValue(rs.GetFieldValue("uid")));
  rs.Close();
  ASSERT_TRUE(rs.Open("select id from E where name = 'none'"));
  EXPECT_EQ(rs.m_nRecordCount, 0);
  EXPECT_TRUE(rs.IsEOF());
  rs.Close();
  ASSERT_TRUE(db.Execute("insert into E (name) values ('a')"));
  ASSERT_TRUE(rs.Open("select max(id) UID from E"));
  EXPECT_EQ(rs.GetFieldValue("UID"), DbValue(std::int32_t{1}));
  rs.Close();
}

TEST_F(SqliteOdbcTest, failedStatementLogsTheDriversTextsThenTheStatement) {
  ASSERT_TRUE(openFile("a.db"));
  EXPECT_FALSE(db.Execute("insert into Missing values (1)"));
  EXPECT_EQ(db.m_szComError.rfind("Error\n\tCode = ", 0), 0u);
  EXPECT_NE(db.m_szComError.find("\tCode meaning = SQLSTATE "), std::string::npos);
  EXPECT_NE(db.m_szComError.find("Missing"), std::string::npos);
  EXPECT_NE(db.m_szProviderError.find("\t Error number: "), std::string::npos);
  const auto records = ReadLogRecords("_database.log");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], "CAdoDatabase::Execute\nComError: " + db.m_szComError +
                            "\nProviderError: " + db.m_szProviderError);
  EXPECT_EQ(records[1], "insert into Missing values (1)");
  // The connection goes on after the failure.
  EXPECT_TRUE(db.Execute("create table T (id integer)"));
}

TEST_F(SqliteOdbcTest, failedQueryAndItsCloseAreLoggedWithTheirLabels) {
  ASSERT_TRUE(openFile("a.db"));
  EXPECT_FALSE(rs.Open("select nope from Missing", &db));
  EXPECT_FALSE(rs.m_szProviderError.empty());
  EXPECT_TRUE(rs.IsEOF());
  rs.Close();
  const auto records = ReadLogRecords("_database.log");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].rfind("CAdoRecordset::Open\nComError: Error\n", 0), 0u);
  EXPECT_EQ(records[1].rfind("CAdoRecordset::Close\nComError: Error\n", 0), 0u);
}

TEST_F(SqliteOdbcTest, openOnAnOpenObjectReplacesTheConnection) {
  EXPECT_TRUE(db.Close());  // never opened
  ASSERT_TRUE(openFile("a.db"));
  ASSERT_TRUE(db.Execute("create table OnlyInA (id integer)"));
  ASSERT_TRUE(openFile("b.db"));
  EXPECT_TRUE(db.m_bOpen);
  EXPECT_FALSE(db.Execute("insert into OnlyInA values (1)"));
  ASSERT_TRUE(db.Execute("create table OnlyInB (id integer)"));
  EXPECT_TRUE(db.Close());
}

TEST_F(SqliteOdbcTest, unknownDriverFailsOpenWithTheDriverManagersText) {
  db.SetDriver("No Such Driver");
  EXPECT_FALSE(db.Open("h", "u", "Secret!", "d"));
  EXPECT_FALSE(db.m_bOpen);
  EXPECT_NE(db.m_szComError.find("\tSource = [unixODBC][Driver Manager]\n"), std::string::npos);
  EXPECT_NE(db.m_szComError.find("No Such Driver"), std::string::npos) << db.m_szComError;
  EXPECT_FALSE(db.Execute("select 1"));
  const auto records = ReadLogRecords("_database.log");
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].rfind("CAdoDatabase::Open\n", 0), 0u);
  EXPECT_EQ(ReadFileBytes("_database.log").find("Secret!"), std::string::npos);
}

// A local TCP port that nothing listens on: bound once by the system's choice, then released.
int ClosedLocalPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

using FreeTdsTest = qiva::test::InScratchFolder;

TEST_F(FreeTdsTest, openOnAClosedPortFailsSoonAndLogsOneRecord) {
  if (std::string(QIVA_FREETDS_ODBC_DRIVER).empty()) GTEST_SKIP() << "no FreeTDS driver";
  CAdoDatabase db;
  db.SetLogFile("_database.log");
  db.SetDriver(kFreeTdsDriver);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(
      db.Open("127.0.0.1," + std::to_string(ClosedLocalPort()), "sa", "Pa;ss{word", "clinic"));
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
          .count();
  EXPECT_LT(seconds, 20);  // guards against an Open that waits on a dead server
  EXPECT_FALSE(db.m_bOpen);
  EXPECT_FALSE(db.m_szProviderError.empty() && db.m_szComError.empty());
  EXPECT_NE(db.m_szComError.find("[FreeTDS]"), std::string::npos) << db.m_szComError;
  const auto records = ReadLogRecords("_database.log");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].rfind("CAdoDatabase::Open\nComError: Error\n", 0), 0u);
  EXPECT_EQ(ReadFileBytes("_database.log").find("Pa;ss"), std::string::npos);

  // A braced value with a '}' would reach the server changed: refused before any attempt.
  EXPECT_FALSE(db.Open("127.0.0.1,1", "sa", "Pa;ss}word", "clinic"));
  EXPECT_NE(db.m_szComError.find("setting \"pass\" cannot be passed to the FreeTDS driver"),
            std::string::npos)
      << db.m_szComError;
  EXPECT_EQ(ReadFileBytes("_database.log").find("Pa;ss"), std::string::npos);
}

}  // namespace
