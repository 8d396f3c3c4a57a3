// End-to-end tests of the SQL Server path: the real qiva-import program, through unixODBC and
// FreeTDS, against the stand-in; every outcome is compared with the same import into the
// embedded database, and the link's faults must end a run as a database failure.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/tests/TestSupport.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "db/tds/tests/StandIn.h"
#include "db/tests/DbTestSupport.h"

namespace {

namespace fs = std::filesystem;
using qiva::test::StandIn;

// A folder with its own copy of qiva-import (the logs go beside the program) and configuration.
class ProgramFolder {
 public:
  ProgramFolder(const fs::path& folder, const std::string& configuration) : folder_(folder) {
    fs::create_directories(folder);
    fs::copy_file(QIVA_IMPORT_PROGRAM, folder / "qiva-import",
                  fs::copy_options::overwrite_existing);
    qiva::test::WriteFileBytes((folder / "QIVA_IMPORT.INI").string(), configuration);
  }
  // Runs `qiva-import KIND FILE` and returns its exit status.
  int Import(const std::string& kind, const std::string& file) const {
    const std::string command = "'" + (folder_ / "qiva-import").string() + "' --config '" +
                                (folder_ / "QIVA_IMPORT.INI").string() + "' " + kind + " '" + file +
                                "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Runs `qiva-import KIND FILE` with standard error into `errorFile`; its exit status.
  int Import(const std::string& kind, const std::string& file, const std::string& errorFile) const {
    const std::string command = "'" + (folder_ / "qiva-import").string() + "' --config '" +
                                (folder_ / "QIVA_IMPORT.INI").string() + "' " + kind + " '" + file +
                                "' >/dev/null 2>'" + errorFile + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The statements that _database.log records as failed, in order (error texts left out).
  std::vector<std::string> LoggedStatements() const {
    std::vector<std::string> statements;
    for (const std::string& record : FailureRecords(false)) statements.push_back(record);
    return statements;
  }
  size_t FailureCount() const { return FailureRecords(true).size(); }

 private:
  std::vector<std::string> FailureRecords(bool labels) const {
    const fs::path log = folder_ / "_database.log";
    std::vector<std::string> out;
    if (!fs::exists(log)) return out;
    for (const std::string& record : qiva::test::ReadLogRecords(log.string())) {
      if (record.rfind("Created the embedded database", 0) == 0)
        continue;  // the embedded engine's own
      const bool label = record.rfind("CAdoDatabase::", 0) == 0;
      if (label == labels) out.push_back(record);
    }
    return out;
  }
  fs::path folder_;
};

// Every row of every table of an embedded database file, as text; stamps of today are masked
// (the activation time of the physicians import).
std::map<std::string, std::multiset<std::string>> Dump(const std::string& file) {
  std::map<std::string, std::multiset<std::string>> tables;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return tables;
  std::vector<std::string> names;
  sqlite3_stmt* q = nullptr;
  sqlite3_prepare_v2(db,
                     "select name from sqlite_master where type = 'table' and name not like "
                     "'\\_\\_qiva%' escape '\\'",
                     -1, &q, nullptr);
  while (sqlite3_step(q) == SQLITE_ROW)
    names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(q, 0)));
  sqlite3_finalize(q);
  const std::string today = [] {
    const std::time_t now = std::time(nullptr);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d", std::localtime(&now));
    return std::string(buffer);
  }();
  for (const std::string& name : names) {
    auto& rows = tables[name];
    sqlite3_prepare_v2(db, ("select * from \"" + name + "\"").c_str(), -1, &q, nullptr);
    while (sqlite3_step(q) == SQLITE_ROW) {
      std::string row;
      for (int c = 0; c < sqlite3_column_count(q); ++c) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_blob(q, c));
        std::string value = sqlite3_column_type(q, c) == SQLITE_NULL
                                ? "NULL"
                                : std::string(p ? p : "", sqlite3_column_bytes(q, c));
        if (value.rfind(today, 0) == 0) value = "(today)";
        row += value + "|";
      }
      rows.insert(row);
    }
    sqlite3_finalize(q);
  }
  sqlite3_close(db);
  return tables;
}

std::string Sample(const std::string& name) { return std::string(QIVA_SAMPLES_DIR) + "/" + name; }

class SqlServerPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!qiva::test::RegisterFreeTds(dir.path().string())) GTEST_SKIP() << "no FreeTDS ODBC driver";
  }
  // The configuration of a program that reaches `server` through the FreeTDS driver.
  std::string ServerConfiguration(const StandIn& server, const std::string& extra = "") const {
    return "server=127.0.0.1," + std::to_string(server.Port()) +
           "\r\ndatabase=CLINIC\r\nuser=qiva\r\npass=qiva\r\n" +
           "driver=" + qiva::test::kStandInDriver + "\r\n" + extra;
  }
  std::string EmbeddedConfiguration() const {
    return "driver=sqlite\r\ndatabase=" + dir.file("embedded.db") + "\r\n";
  }
  qiva::test::ScratchDir dir;
};

// Grouped (the default) and one by one, through the driver, every sample gives the rows, exit
// statuses and logged statements of the embedded database.
TEST_F(SqlServerPathTest, everySampleLoadsThroughTheDriverExactlyAsIntoTheEmbeddedDatabase) {
  StandIn server(dir.file("served.db"));
  ASSERT_TRUE(server.Started());
  const ProgramFolder viaServer(dir.path() / "server", ServerConfiguration(server));
  const ProgramFolder embedded(dir.path() / "embedded", EmbeddedConfiguration());
  StandIn oneByOneServer(dir.file("one-by-one.db"));
  ASSERT_TRUE(oneByOneServer.Started());
  const ProgramFolder oneByOne(dir.path() / "one-by-one",
                               ServerConfiguration(oneByOneServer, "grouping=off\r\n"));
  const auto samples = qiva::test::MainJobSamples(QIVA_SAMPLES_DIR);
  ASSERT_FALSE(samples.empty());

  for (const auto& [kind, file] : samples) {
    SCOPED_TRACE(file);
    const int status = embedded.Import(kind, Sample(file));
    EXPECT_EQ(viaServer.Import(kind, Sample(file)), status);
    EXPECT_EQ(oneByOne.Import(kind, Sample(file)), status);
  }
  server.Stop();  // its last group is committed
  oneByOneServer.Stop();
  const auto served = Dump(dir.file("served.db"));
  EXPECT_EQ(served, Dump(dir.file("embedded.db")));
  EXPECT_EQ(served, Dump(dir.file("one-by-one.db")));
  EXPECT_GT(served.at("QIVA_PHYSICIANS").size(), 0u);
  EXPECT_EQ(viaServer.LoggedStatements(), embedded.LoggedStatements());
  EXPECT_EQ(oneByOne.LoggedStatements(), embedded.LoggedStatements());
}

// Rows of a pharmaceutical batch that the server refuses (a code too long for its column) are
// the only ones missing: the batch is read to its end, never cancelled, even when its first
// answer is an error (the batch's SET NOCOUNT ON gives no result before it).
TEST_F(SqlServerPathTest, refusedRowsOfABatchAreTheOnlyOnesMissing) {
  std::string drugs;
  for (int i = 1; i <= 6; ++i) {
    const std::string code = i == 1 || i == 4 ? std::string(200, 'X') : "W" + std::to_string(i);
    drugs += "<CopaymentListDrug copaymentListType=\"A\" drug=\"" + code +
             "\" maxPrice=\"12.5\" maxPriceUT=\"0.1234567\" copaymentValue=\"11.25\" "
             "copaymentValue90=\"11.25\" wholeSalePrice=\"10.4\" referencePrice=\"0.1234567\" "
             "specialLaw=\"false\" needApproval=\"NU\" overValue=\"0\" needSpecialty=\"0\" "
             "classifInsulin=\"0\" hgDci=\"D1\" hgAtc=\"C10AA05\" diseaseCode=\"1\" "
             "validFrom=\"2021-01-01\"/>";
  }
  const std::string file = dir.file("drugs.xml");
  qiva::test::WriteFileBytes(
      file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Catalogues><CopaymentListDrugs>" + drugs +
                "</CopaymentListDrugs></Catalogues>");
  StandIn server(dir.file("served.db"));
  ASSERT_TRUE(server.Started());
  const ProgramFolder viaServer(dir.path() / "server", ServerConfiguration(server));
  const ProgramFolder embedded(dir.path() / "embedded", EmbeddedConfiguration());
  EXPECT_EQ(viaServer.Import("pharma", file), embedded.Import("pharma", file));
  server.Stop();
  const auto served = Dump(dir.file("served.db"));
  EXPECT_EQ(served.at("QIVA_COPAYMENT_LIST_DRUGS").size(), 4u);
  EXPECT_EQ(served, Dump(dir.file("embedded.db")));
  EXPECT_EQ(viaServer.LoggedStatements(), embedded.LoggedStatements());
}

// Romanian letters from a UTF-8 file and from a Windows-1250 file: by default the file's bytes
// are what a code page 1250 database stores; text=characters stores the letters themselves
// (as code page 1250 bytes, '?' for the comma-below letters the code page lacks, or as UTF-8).
TEST_F(SqlServerPathTest, romanianTextIsStoredAsTheTextModeSays) {
  const std::string utf8File = dir.file("utf8.xml"), cp1250File = dir.file("cp1250.xml");
  qiva::test::WriteFileBytes(
      utf8File,
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Catalogues><Physicians>"
      "<Physician pid=\"1\" Name=\"\xC5\x9ETEFAN \xC8\x98TEFAN\" stencil=\"A1\" "
      "validFrom=\"2015-01-01\"/></Physicians></Catalogues>");
  qiva::test::WriteFileBytes(
      cp1250File,
      "<?xml version=\"1.0\" encoding=\"windows-1250\"?><Catalogues><Physicians>"
      "<Physician pid=\"1\" Name=\"\xAATEFAN \xE3\" stencil=\"A1\" "
      "validFrom=\"2015-01-01\"/></Physicians></Catalogues>");
  struct Case {
    std::string file, collation, mode, stored;
  };
  const std::vector<Case> cases = {
      {utf8File, "cp1250", "", "\xC5\x9ETEFAN \xC8\x98TEFAN"},
      {utf8File, "cp1250", "text=characters\r\n", "\xAATEFAN ?TEFAN"},
      {utf8File, "utf8", "text=characters\r\n", "\xC5\x9ETEFAN \xC8\x98TEFAN"},
      {cp1250File, "cp1250", "", "\xAATEFAN \xE3"},
      {cp1250File, "cp1250", "text=characters\r\n", "\xAATEFAN \xE3"},
      {cp1250File, "utf8", "text=characters\r\n", "\xC5\x9ETEFAN \xC4\x83"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " " + c.collation + " " + c.mode);
    const std::string database = dir.file("text" + std::to_string(++n) + ".db");
    StandIn server(database, {"--collation", c.collation});
    ASSERT_TRUE(server.Started());
    const ProgramFolder program(dir.path() / ("text" + std::to_string(n)),
                                ServerConfiguration(server, c.mode));
    EXPECT_EQ(program.Import("physicians", c.file), 0);
    server.Stop();
    const auto rows = Dump(database).at("QIVA_PHYSICIANS");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows.begin()->find("|" + c.stored + "|"), std::string::npos) << *rows.begin();
  }
}

// A server that stops answering, or a link that drops, ends the run as a database failure
// (exit 4) within a minute, not after one failure per remaining record: one by one, the failing
// statement is the one failure on record; in groups, each statement of the group whose answer
// never came is on record (none is silently taken as done), and nothing after the group.
TEST_F(SqlServerPathTest, aServerThatStopsAnsweringOrDropsTheLinkEndsTheRunAsADatabaseFailure) {
  for (const bool grouped : {false, true}) {
    for (const std::string fault : {"--hang-at", "--drop-at"}) {
      SCOPED_TRACE(fault + (grouped ? " grouped" : " one by one"));
      const std::string name = fault + (grouped ? "-grouped" : "");
      StandIn server(dir.file(name + ".db"), {fault, "40"});
      ASSERT_TRUE(server.Started());
      const ProgramFolder program(
          dir.path() / name,
          ServerConfiguration(server, grouped ? "timeout=2\r\n" : "timeout=2\r\ngrouping=off\r\n"));
      const auto start = std::chrono::steady_clock::now();
      EXPECT_EQ(program.Import("nomenclatures", Sample("nomenclatoare_generale.xml")), 4);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
      if (grouped) {
        EXPECT_GE(program.FailureCount(), 1u);
        EXPECT_LE(program.FailureCount(), 1000u);
      } else {
        EXPECT_EQ(program.FailureCount(), 1u);
      }
    }
  }
}

// ---- the application lock through the driver ----

// The status that a statement ending in "select @r as lock_status" reads back, or -1000 when it
// failed.
int LockStatus(CAdoDatabase& db, const std::string& sql) {
  CAdoRecordset rs;
  if (!rs.Open(sql, &db) || rs.IsEOF()) return -1000;
  const DbValue value = rs.GetFieldValue("lock_status");
  return std::holds_alternative<std::int32_t>(value) ? std::get<std::int32_t>(value) : -1001;
}

std::size_t PersonStates(CAdoDatabase& db) {
  CAdoRecordset rs;
  if (!rs.Open("select count(*) as n from QIVA_PERSON_STATES", &db) || rs.IsEOF()) return 9999;
  return static_cast<std::size_t>(std::get<std::int32_t>(rs.GetFieldValue("n")));
}

// Another connection (a run on another machine) holds the application lock of the served
// database: an import with a short wait limit ends with the message and writes nothing; one
// with the default limit waits, saying so, and runs once the lock is let go; the lock goes with
// the import's session at its end.
TEST_F(SqlServerPathTest, importsFromTwoConnectionsNeverOverlapThroughTheApplicationLock) {
  StandIn server(dir.file("served.db"));
  ASSERT_TRUE(server.Started());
  CAdoDatabase other;
  other.SetLogFile(dir.file("other.log"));
  other.SetDriver(qiva::test::kStandInDriver);
  ASSERT_TRUE(other.Open("127.0.0.1," + std::to_string(server.Port()), "qiva", "qiva", "CLINIC"));
  const std::string take =
      "declare @r int; exec @r = sp_getapplock @Resource = N'QIVA_IMPORT served', "
      "@LockMode = 'Exclusive', @LockOwner = 'Session', @LockTimeout = 0; select @r as lock_status";
  const std::string release =
      "declare @r int; exec @r = sp_releaseapplock @Resource = N'QIVA_IMPORT served', "
      "@LockOwner = 'Session'; select @r as lock_status";
  ASSERT_EQ(LockStatus(other, take), 0);
  qiva::test::WriteFileBytes(dir.file("states.xml"),
                             "<Catalogues><PersonStates><PersonState code='1' description='A'/>"
                             "<PersonState code='2' description='B'/></PersonStates></Catalogues>");

  const ProgramFolder impatient(dir.path() / "impatient",
                                ServerConfiguration(server, "lockwait=1\r\n"));
  EXPECT_EQ(impatient.Import("nomenclatures", dir.file("states.xml"), dir.file("impatient.err")),
            4);
  const std::string told =
      "another import into database served is running (SQL Server application lock "
      "QIVA_IMPORT served); waiting for it to end (at most 1 s)...\n"
      "database served is busy: another import is running there (the SQL Server "
      "application lock QIVA_IMPORT served was not granted within 1 s); nothing was "
      "imported\n";
  EXPECT_EQ(qiva::test::ReadFileBytes(dir.file("impatient.err")).substr(0, told.size()), told);
  EXPECT_EQ(PersonStates(other), 0u);
  // `tables` asks for the lock in shared mode without waiting, and says that an import runs.
  const std::string tables = "'" + (dir.path() / "impatient" / "qiva-import").string() +
                             "' --config '" +
                             (dir.path() / "impatient" / "QIVA_IMPORT.INI").string() +
                             "' tables >/dev/null 2>'" + dir.file("tables.err") + "'";
  EXPECT_EQ(std::system(tables.c_str()), 0);
  EXPECT_NE(qiva::test::ReadFileBytes(dir.file("tables.err"))
                .find("an import into this database is running"),
            std::string::npos);

  const ProgramFolder patient(dir.path() / "patient", ServerConfiguration(server));
  int status = -1;
  std::thread run([&] {
    status = patient.Import("nomenclatures", dir.file("states.xml"), dir.file("patient.err"));
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (qiva::test::ReadFileBytes(dir.file("patient.err")).find("waiting for it to end") ==
             std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const std::size_t whileHeld = PersonStates(other);
  EXPECT_EQ(LockStatus(other, release), 0);
  run.join();
  EXPECT_EQ(whileHeld, 0u);
  EXPECT_EQ(status, 0) << qiva::test::ReadFileBytes(dir.file("patient.err"));
  EXPECT_EQ(PersonStates(other), 2u);
  EXPECT_EQ(LockStatus(other, take), 0);  // the import let go at its end
  EXPECT_EQ(LockStatus(other, release), 0);
  EXPECT_EQ(LockStatus(other, release), -1000);  // not held: message 1223
  EXPECT_NE(qiva::test::ReadFileBytes(dir.file("other.log"))
                .find("Resource: 'QIVA_IMPORT served') because it is not currently held."),
            std::string::npos);
}

// ---- statements sent in groups ----

// One connection to a stand-in of its own, with the log in the scratch folder.
struct GroupSide {
  GroupSide(const qiva::test::ScratchDir& dir, const std::string& name,
            const std::vector<std::string>& arguments)
      : database(dir.file(name + ".db")),
        log(dir.file(name + ".log")),
        server(database, arguments) {
    db.SetLogFile(log);
    db.SetDriver(qiva::test::kStandInDriver);
    opened = server.Started() &&
             db.Open("127.0.0.1," + std::to_string(server.Port()), "qiva", "qiva", "CLINIC");
  }
  std::string database, log;
  StandIn server;
  CAdoDatabase db;
  bool opened = false;
};

// The log records with the provider's texts cut to their message numbers, which is what one
// engine can promise about another's wording.
std::vector<std::string> Comparable(const std::string& log) {
  std::vector<std::string> out;
  if (!fs::exists(log)) return out;
  for (std::string record : qiva::test::ReadLogRecords(log)) {
    const size_t label = record.find("\nComError:");
    if (record.rfind("CAdoDatabase::", 0) == 0 && label != std::string::npos)
      record = record.substr(0, label);
    out.push_back(record);
  }
  return out;
}

class GroupedExecutionTest : public SqlServerPathTest {
 protected:
  // Runs `setup` one by one on both sides, then `statements` one by one on one side and as a
  // group on the other, and expects the same rows, log records and failure counts.
  void ExpectGroupEqualsOneByOne(const std::vector<std::string>& setup,
                                 const std::vector<std::string>& statements,
                                 const std::vector<std::string>& arguments = {},
                                 bool sentOneByOne = false) {
    GroupSide single(dir, "single", arguments), grouped(dir, "grouped", arguments);
    ASSERT_TRUE(single.opened && grouped.opened)
        << single.db.m_szProviderError << grouped.db.m_szProviderError;
    for (const std::string& sql : setup) {
      ASSERT_TRUE(single.db.Execute(sql)) << sql;
      ASSERT_TRUE(grouped.db.Execute(sql)) << sql;
    }
    size_t failedAlone = 0;
    for (const std::string& sql : statements) failedAlone += !single.db.Execute(sql);
    const std::vector<std::string_view> views(statements.begin(), statements.end());
    const long long requestsBefore = Requests(grouped);
    EXPECT_EQ(grouped.db.ExecuteGroup(views), failedAlone);
    const long long allowed = sentOneByOne ? static_cast<long long>(statements.size()) + 1 : 2;
    EXPECT_LE(Requests(grouped) - requestsBefore, allowed);
    single.db.Close();
    grouped.db.Close();
    single.server.Stop();
    grouped.server.Stop();
    EXPECT_EQ(Dump(grouped.database), Dump(single.database));
    EXPECT_EQ(Comparable(grouped.log), Comparable(single.log));
  }

  static long long Requests(GroupSide& side) {
    CAdoRecordset rs;
    if (!rs.Open("select * from qiva_tds_counters", &side.db)) return -1;
    const DbValue v = rs.GetFieldValue("requests");
    return std::holds_alternative<std::int32_t>(v) ? std::get<std::int32_t>(v) : -1;
  }
};

std::vector<std::string> Inserts(int from, int to, int duplicateAt = 0, int badAt = 0) {
  std::vector<std::string> out;
  for (int i = from; i <= to; ++i) {
    const std::string id = i == duplicateAt ? "1" : std::to_string(i);
    out.push_back("insert into T (id, n) values (" + id + ", " + (i == badAt ? "'x'" : "0") + ")");
  }
  return out;
}

TEST_F(GroupedExecutionTest, refusedStatementsAtTheFirstMiddleAndLastPlaceFailAlone) {
  std::vector<std::string> statements = Inserts(2, 30);
  statements.front() = "insert into T (id, n) values (1, 0)";
  statements[14] = "insert into T (id, n) values (1, 0)";
  statements.back() = "insert into T (id, n) values (1, 0)";
  ExpectGroupEqualsOneByOne(
      {"create table T (id int primary key, n int)", "insert into T values (1, 0)"}, statements);
}

TEST_F(GroupedExecutionTest, anErrorThatEndsABatchLosesNoOtherStatement) {
  ExpectGroupEqualsOneByOne({"create table T (id int primary key, n int)"}, Inserts(1, 30, 0, 10));
}

TEST_F(GroupedExecutionTest, aSyntaxErrorInAGroupFailsOnlyItsStatement) {
  std::vector<std::string> statements = Inserts(1, 20);
  statements[7] = "insert into T valeus (99, 0)";
  // The group's text does not parse, so it runs none of it and goes again one by one.
  ExpectGroupEqualsOneByOne({"create table T (id int primary key, n int)"}, statements, {}, true);
}

TEST_F(GroupedExecutionTest, triggerCountsAndErrorsInsideProceduresStayWithTheirStatements) {
  std::vector<std::string> statements = Inserts(1, 12, 6);
  statements.insert(statements.begin() + 3, "exec P");
  ExpectGroupEqualsOneByOne(
      {"create table T (id int primary key, n int)",
       "create procedure P as begin insert into T values (100, 0) insert into T values (100, 0) "
       "insert into T values (101, 0) end"},
      statements, {"--extra-count-after-insert", "T"});
}

TEST_F(GroupedExecutionTest, aLinkLostInTheMiddleOfAGroupFailsEveryStatementNotAnswered) {
  // The connection's sixth statement is the group's third marker: two inserts ran, but their
  // answers (held in the server's reply packet) never left, so no statement's outcome is known:
  // all are logged as failed, none is silently taken as done.
  GroupSide side(dir, "dropped", {"--drop-at", "6"});
  ASSERT_TRUE(side.opened);
  ASSERT_TRUE(side.db.Execute("create table T (id int primary key, n int)"));
  const std::vector<std::string> statements = Inserts(1, 10);
  const std::vector<std::string_view> views(statements.begin(), statements.end());
  EXPECT_EQ(side.db.ExecuteGroup(views), statements.size());
  EXPECT_TRUE(side.db.IsBroken());
  std::vector<std::string> logged;
  for (const std::string& record : Comparable(side.log))
    if (record.rfind("insert into T", 0) == 0) logged.push_back(record);
  EXPECT_EQ(logged, statements);
}

}  // namespace
