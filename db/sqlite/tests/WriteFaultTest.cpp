// WriteFaultTest.cpp: the embedded engine under write faults, locks and files that are not its
// own. Faults are injected through a test file system: a full disk at commit, a read error that
// makes SQLite roll the open group back. Every statement that returned true must end either in
// the file or among the statements reported lost, never in neither and never in both.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "db/CAdoDatabase.h"
#include "db/sqlite/SqliteEngine.h"
#include "db/sqlite/tests/EngineTestSupport.h"
#include "db/sqlite/tests/FaultVfs.h"

namespace qiva::db::testing {
namespace {

using namespace std::chrono_literals;

std::string InsertState(const std::string& code) {
  return "insert into QIVA_PERSON_STATES (code,description) values ('" + code + "','d')";
}

// The codes in QIVA_PERSON_STATES, read by a connection of their own.
std::vector<std::string> StoredCodes(const TempDatabase& db) {
  auto reader = CreateSqliteEngine();
  EXPECT_TRUE(reader->open(db.connectionString())) << reader->lastError().description;
  ResultSet rs;
  EXPECT_TRUE(reader->query("select code from QIVA_PERSON_STATES order by id", rs));
  std::vector<std::string> codes;
  for (const auto& row : rs.rows) codes.push_back(ValueText(row.at(0)));
  return codes;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A database with the schema and one row ('old'), closed again.
void CreateWithOneRow(const TempDatabase& db) {
  auto engine = CreateSqliteEngine();
  ASSERT_TRUE(engine->open(db.connectionString()));
  ASSERT_TRUE(engine->execute(InsertState("old")));
  ASSERT_TRUE(engine->close());
}

// Sends "delete" and inserts a..e as an import would, and returns the texts that returned true.
std::vector<std::string> SendRefill(DbEngine& engine) {
  std::vector<std::string> done;
  for (const std::string& sql :
       {std::string("delete from QIVA_PERSON_STATES"), InsertState("a"), InsertState("b"),
        InsertState("c"), InsertState("d"), InsertState("e")}) {
    if (engine.execute(sql)) done.push_back(sql);
  }
  return done;
}

TEST(WriteFault, ACommitThatFailsLosesItsGroupWhichIsReportedAndEveryLaterCallIsRefused) {
  TempDatabase db;
  CreateWithOneRow(db);
  FaultVfs vfs;
  auto engine = CreateSqliteEngine();
  ASSERT_TRUE(engine->open(db.connectionString()));
  vfs.FailWrites(true);  // the disk is full from here on
  const std::vector<std::string> done = SendRefill(*engine);
  EXPECT_FALSE(engine->flush());
  ASSERT_TRUE(engine->broken());
  const std::optional<LostStatements> lost = engine->takeLostStatements();
  ASSERT_TRUE(lost);
  // The group may have been tried by the idle commit already; either way nothing that returned
  // true is missing from the report.
  EXPECT_EQ(lost->texts, done);
  EXPECT_NE(lost->error.description.find("database or disk is full"), std::string::npos)
      << lost->error.description;
  EXPECT_FALSE(engine->takeLostStatements());  // handed out once

  EXPECT_FALSE(engine->execute(InsertState("f")));
  EXPECT_EQ(engine->lastError().description, lost->error.description);
  ResultSet rs;
  EXPECT_FALSE(engine->query("select 1 n", rs));
  EXPECT_EQ(engine->lastError().description, lost->error.description);
  vfs.FailWrites(false);
  EXPECT_FALSE(engine->execute(InsertState("g")));  // still refused: only a new open clears it
  engine->close();
  EXPECT_EQ(StoredCodes(db), std::vector<std::string>{"old"});  // the table is as it was
}

TEST(WriteFault, AGroupThatSqliteRolledBackIsLostAndTheRestOfItsTextDoesNotRun) {
  TempDatabase db;
  CreateWithOneRow(db);
  FaultVfs vfs;
  auto engine = CreateSqliteEngine();
  ASSERT_TRUE(engine->open(db.connectionString()));
  const std::vector<std::string> done = SendRefill(*engine);
  ASSERT_EQ(done.size(), 6u);
  // QIVA_ICD10 has not been read by this connection: deleting from it reads the disk, which
  // fails, and after an I/O error SQLite rolls the whole transaction back.
  vfs.FailReads(true);
  EXPECT_FALSE(engine->execute("delete from QIVA_ICD10 " + InsertState("after")));
  vfs.FailReads(false);
  ASSERT_TRUE(engine->broken());
  const std::optional<LostStatements> lost = engine->takeLostStatements();
  ASSERT_TRUE(lost);
  EXPECT_NE(lost->error.description.find("disk I/O error"), std::string::npos)
      << lost->error.description;
  EXPECT_FALSE(engine->execute(InsertState("later")));
  engine->close();

  // What returned true is stored or reported lost, exactly one of the two (the idle commit may
  // have stored the first statements before the fault); the insert that followed the failure in
  // the same text never ran on its own.
  const std::vector<std::string> stored = StoredCodes(db);
  const auto isLost = [&](const std::string& sql) {
    return std::count(lost->texts.begin(), lost->texts.end(), sql) == 1;
  };
  EXPECT_NE(isLost("delete from QIVA_PERSON_STATES"),
            std::count(stored.begin(), stored.end(), "old") == 0);
  for (const char* code : {"a", "b", "c", "d", "e"}) {
    EXPECT_NE(isLost(InsertState(code)), std::count(stored.begin(), stored.end(), code) == 1)
        << code;
  }
  EXPECT_EQ(std::count(stored.begin(), stored.end(), "after"), 0);
}

TEST(WriteFault, ATextThatFailedInPartIsNamedAmongTheLostOneThatWroteNothingIsNot) {
  TempDatabase db;
  CreateWithOneRow(db);
  FaultVfs vfs;
  auto engine = CreateSqliteEngine();
  ASSERT_TRUE(engine->open(db.connectionString()));
  vfs.FailWrites(true);
  const std::string tooLong = InsertState(std::string(200, 'x'));  // code is varchar(120)
  EXPECT_FALSE(engine->execute(tooLong));
  const std::string partly = InsertState("a") + " " + tooLong;
  EXPECT_FALSE(engine->execute(partly));
  EXPECT_EQ(engine->lastError().providerErrors.at(0).number, 2628);
  EXPECT_FALSE(engine->flush());
  const std::optional<LostStatements> lost = engine->takeLostStatements();
  ASSERT_TRUE(lost);
  EXPECT_EQ(lost->texts, std::vector<std::string>{partly});
  engine->close();
  vfs.FailWrites(false);
  EXPECT_EQ(StoredCodes(db), std::vector<std::string>{"old"});
}

TEST(WriteFault, LostStatementsAreLoggedAndCountedAsFailedExecutesOnce) {
  TempDatabase db;
  CreateWithOneRow(db);
  FaultVfs vfs;
  CAdoDatabase ado;
  ado.SetDriver("sqlite");
  ado.SetLogFile(db.path() + ".log");
  ASSERT_TRUE(ado.Open("", "", "", db.path()));
  vfs.FailWrites(true);
  const std::int64_t failedBefore = ado.FailedExecuteCount();
  // Each insert either returns true and is lost with its group, or (once an idle commit has
  // failed) is refused: either way it counts as failed once.
  for (const char* code : {"a", "b", "c"}) ado.Execute(InsertState(code));
  EXPECT_FALSE(ado.Flush());
  EXPECT_TRUE(ado.IsBroken());
  EXPECT_EQ(ado.FailedExecuteCount() - failedBefore, 3);
  EXPECT_FALSE(ado.Execute(InsertState("x")));  // refused, and logged as any failure
  EXPECT_TRUE(ado.IsBroken());
  EXPECT_EQ(ado.FailedExecuteCount() - failedBefore, 4);
  vfs.FailWrites(false);
  ado.Close();

  const std::string log = FileBytes(db.path() + ".log");
  for (const char* code : {"a", "b", "c", "x"}) {
    const std::string record = "->" + InsertState(code);
    ASSERT_EQ(log.find(record), log.rfind(record)) << "logged more than once: " << code;
    EXPECT_NE(log.find(record), std::string::npos) << log;
  }
  EXPECT_NE(log.find("CAdoDatabase::Execute\r\nComError: Error\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("database or disk is full"), std::string::npos);
}

TEST(WriteFault, ACommitThatFailsAtCloseMakesCloseFailWithTheLostStatementsLogged) {
  TempDatabase db;
  CreateWithOneRow(db);
  FaultVfs vfs;
  CAdoDatabase ado;
  ado.SetDriver("sqlite");
  ado.SetLogFile(db.path() + ".log");
  ASSERT_TRUE(ado.Open("", "", "", db.path()));
  vfs.FailWrites(true);
  const bool ran = ado.Execute(InsertState("late"));
  EXPECT_FALSE(ado.Close());
  vfs.FailWrites(false);
  EXPECT_EQ(ado.FailedExecuteCount(), 1);  // refused by an idle commit, or lost at close
  EXPECT_NE(FileBytes(db.path() + ".log").find("->" + InsertState("late")), std::string::npos)
      << ran;
  EXPECT_EQ(StoredCodes(db), std::vector<std::string>{"old"});
}

TEST(WriteFault, ANewFileThatCannotBeSetUpIsRemovedAFileThatWasThereIsKept) {
  TempDatabase fresh;
  TempDatabase existing;
  { std::ofstream touch(existing.path()); }
  FaultVfs vfs;
  vfs.FailWrites(true);
  auto engine = CreateSqliteEngine();
  EXPECT_FALSE(engine->open(fresh.connectionString()));
  EXPECT_EQ(engine->lastError().providerErrors.at(0).number, 4060);
  EXPECT_FALSE(std::filesystem::exists(fresh.path()));
  EXPECT_FALSE(std::filesystem::exists(fresh.path() + "-wal"));
  EXPECT_FALSE(engine->open(existing.connectionString()));
  EXPECT_TRUE(std::filesystem::exists(existing.path()));
  vfs.FailWrites(false);
  ASSERT_TRUE(engine->open(existing.connectionString()));  // still empty: set up like a new one
  EXPECT_TRUE(engine->createdDatabase());
}

// ---- locks ----

// Another program's write transaction on the database, ended by Release().
class OtherWriter {
 public:
  explicit OtherWriter(const std::string& path) {
    sqlite3_open(path.c_str(), &db_);
    sqlite3_busy_timeout(db_, 5000);
    ok_ = sqlite3_exec(db_,
                       "BEGIN IMMEDIATE; INSERT INTO QIVA_PERSON_STATES (code, description) VALUES "
                       "('other', 'x');",
                       nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  ~OtherWriter() { sqlite3_close(db_); }
  bool ok() const { return ok_; }
  void Release() { sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr); }

 private:
  sqlite3* db_ = nullptr;
  bool ok_ = false;
};

// The wait itself, its notice and the rows it leaves are tested end to end with qiva-import.
TEST(LockWait, ALockTimeoutEndsTheWaitWith1222AndTheStatementDoesNotRun) {
  TempDatabase db;
  CreateWithOneRow(db);
  auto engine = CreateSqliteEngine();
  int notices = 0;
  engine->setLockWaitNotice([&] { ++notices; });
  ASSERT_TRUE(engine->open(db.connectionString()));
  ASSERT_TRUE(engine->execute("SET LOCK_TIMEOUT 200"));
  ASSERT_TRUE(engine->flush());
  OtherWriter other(db.path());
  ASSERT_TRUE(other.ok());
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(engine->execute("delete from QIVA_PERSON_STATES"));
  EXPECT_GE(std::chrono::steady_clock::now() - started, 200ms);
  EXPECT_EQ(engine->lastError().providerErrors.at(0).number, 1222);
  EXPECT_FALSE(engine->broken());  // nothing was lost: the statement never ran
  EXPECT_EQ(notices, 0);
  other.Release();
  EXPECT_TRUE(engine->execute(InsertState("a")));
  EXPECT_FALSE(engine->execute("SET LOCK_TIMEOUT -2"));
  EXPECT_TRUE(engine->execute("SET LOCK_TIMEOUT -1"));
  engine->close();
  EXPECT_EQ(StoredCodes(db), (std::vector<std::string>{"old", "other", "a"}));
}

// ---- files that are not the engine's ----

TEST(ForeignFile, ASqliteFileOfAnotherProgramIsRefusedAndLeftUntouched) {
  TempDatabase db;
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(db.path().c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other,
                         "CREATE TABLE patients (id INTEGER PRIMARY KEY, name TEXT); "
                         "INSERT INTO patients (name) VALUES ('Ion');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(other);
  const std::string before = FileBytes(db.path());

  CAdoDatabase ado;
  ado.SetDriver("sqlite");
  EXPECT_FALSE(ado.Open("", "", "", db.path()));
  EXPECT_NE(ado.m_szProviderError.find("not a QIVA_IMPORT database"), std::string::npos)
      << ado.m_szProviderError;
  EXPECT_EQ(FileBytes(db.path()), before);
  EXPECT_FALSE(std::filesystem::exists(db.path() + "-wal"));
  EXPECT_FALSE(std::filesystem::exists(db.path() + "-journal"));
}

TEST(ForeignFile, ASqliteFileWithNothingInItIsSetUpLikeANewOne) {
  TempDatabase db;
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(db.path().c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "CREATE TABLE t (a); DROP TABLE t;", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(other);
  ASSERT_GT(std::filesystem::file_size(db.path()), 0u);

  auto engine = CreateSqliteEngine();
  ASSERT_TRUE(engine->open(db.connectionString())) << engine->lastError().description;
  EXPECT_TRUE(engine->createdDatabase());
  EXPECT_TRUE(engine->execute("insert into n_locations (locationName) values ('Cluj')"));
}

TEST(ForeignFile, AFolderNamedAsTheDatabaseIsLeftInPlace) {
  TempDatabase db;
  std::filesystem::create_directory(db.path());
  auto engine = CreateSqliteEngine();
  EXPECT_FALSE(engine->open(db.connectionString()));
  EXPECT_EQ(engine->lastError().providerErrors.at(0).number, 4060);
  EXPECT_TRUE(std::filesystem::is_directory(db.path()));
}

}  // namespace
}  // namespace qiva::db::testing
