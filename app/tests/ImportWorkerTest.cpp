// Tests of the import run through a recording front end and a scripted database: the busy
// flag, the configuration and connection failures, dispatch and the location step.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <latch>
#include <thread>

#include "app/FileLock.h"
#include "app/ImportLock.h"
#include "app/ImportWorker.h"
#include "app/LocationList.h"
#include "app/tests/FakeDatabase.h"
#include "base/tests/TestSupport.h"
#include "db/sqlite/SchemaScripts.h"
#include "import/toolkit/tests/RecordingFrontEnd.h"

namespace {

using qiva::test::FakeDatabaseScript;
using qiva::test::RecordingFrontEnd;
using qiva::test::ScratchDir;

// What the stand-in routine saw on its last call.
struct RoutineProbe {
  std::atomic<int> calls{0};
  std::atomic<bool> hasLocationColumn{false};
  std::atomic<int> locationId{0};
  std::string path;
  int result = 1;
  std::shared_future<void> release;  // when valid, the routine waits for it
};
RoutineProbe probe;

int ProbeRoutine(ImportContext& context, const std::string& path) {
  ++probe.calls;
  probe.hasLocationColumn = context.hasLocationColumn;
  probe.locationId = context.locationId;
  probe.path = path;
  context.SetStatusText("Procesat 3 inregistrari");
  if (probe.release.valid()) probe.release.wait();
  return probe.result;
}

// Picks the location named `pick` from the list the database gives.
class LocationPickingFrontEnd : public RecordingFrontEnd {
 public:
  std::optional<std::int32_t> ChooseLocation(CAdoDatabase& db, CAdoRecordset& rs) override {
    std::optional<std::int32_t> chosen;
    for (const LocationItem& item : LoadLocations(db, rs)) {
      shown.push_back(item.name);
      if (item.name == pick) chosen = item.id;
    }
    return chosen;
  }
  std::string pick;
  std::vector<std::string> shown;
};

class ImportWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    probe.calls = 0;
    probe.result = 1;
    probe.path.clear();
    probe.release = {};
    saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    WriteConfiguration("server=SRV01\r\ndatabase=CLINIC\r\nuser=importer\r\npass=secret\r\n");
    script->queries[kLocationCheckQuery] = qiva::db::ResultSet{{"column_name"}, {}};
    session.database().SetEngineFactory(qiva::test::FakeEngineFactory(script));
    for (const auto& info : ImportKinds()) session.SetRoutine(info.kind, &ProbeRoutine);
  }
  void TearDown() override { std::filesystem::current_path(saved); }

  void WriteConfiguration(const std::string& text) {
    qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"), text);
  }
  RunOutcome Run(ImportKind kind, const std::string& path = "file.xml") {
    return ImportWorker(session, ImportRequest{kind, path});
  }
  void DeclareLocationColumn() {
    script->queries[kLocationCheckQuery] =
        qiva::db::ResultSet{{"column_name"}, {{DbValue(std::string("locationid"))}}};
  }

  ScratchDir dir;
  std::filesystem::path saved;
  std::shared_ptr<FakeDatabaseScript> script = std::make_shared<FakeDatabaseScript>();
  RecordingFrontEnd ui;
  ImportSession session{dir.file("QIVA_IMPORT.INI"), ui};
};

TEST_F(ImportWorkerTest, emptyPathEndsSilentlyAndFreesTheFlag) {
  EXPECT_EQ(Run(ImportKind::Nomenclatures, ""), RunOutcome::NoFile);
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_TRUE(ui.statuses().empty());
  EXPECT_TRUE(script->Log().empty());
  EXPECT_FALSE(ImportRunning());
  EXPECT_EQ(Run(ImportKind::Nomenclatures), RunOutcome::Completed);
}

TEST_F(ImportWorkerTest, missingConfigurationShowsItsMessageEveryTimeUntilTheFileExists) {
  std::filesystem::remove(dir.file("QIVA_IMPORT.INI"));
  EXPECT_EQ(Run(ImportKind::Nomenclatures), RunOutcome::ConfigurationMissing);
  EXPECT_EQ(Run(ImportKind::Nomenclatures), RunOutcome::ConfigurationMissing);
  const std::vector<std::string> expected(
      2, "Nu pot incarca fisierul QIVA_IMPORT.ini\nImportul nu se executa");
  EXPECT_EQ(ui.messages(), expected);
  EXPECT_EQ(probe.calls, 0);
  EXPECT_FALSE(ImportRunning());

  WriteConfiguration("server=SRV01\r\n");
  EXPECT_EQ(Run(ImportKind::Nomenclatures), RunOutcome::Completed);
  EXPECT_EQ(probe.calls, 1);
}

TEST_F(ImportWorkerTest, opensWithTheConfiguredValuesAndCallsTheSelectedRoutine) {
  EXPECT_EQ(Run(ImportKind::Nomenclatures, "/data/Catalogues.xml"), RunOutcome::Completed);
  CAdoDatabase& db = session.database();
  EXPECT_EQ(db.m_szServer, "SRV01");
  EXPECT_EQ(db.m_szUser, "importer");
  EXPECT_EQ(db.m_szPassword, "secret");
  EXPECT_EQ(db.m_szDatabase, "CLINIC");
  EXPECT_TRUE(db.m_bLog);
  EXPECT_EQ(db.m_szLogFile, "_database.log");
  EXPECT_EQ(probe.path, "/data/Catalogues.xml");
  const std::vector<std::string> statuses = {"Deschid conexiunea la baza de date", "Citesc XML...",
                                             "Procesat 3 inregistrari"};
  EXPECT_EQ(ui.statuses(), statuses);
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(ImportWorkerTest, configurationWithoutUserOpensWithAnEmptyUserName) {
  WriteConfiguration("server=SRV01\r\ndatabase=CLINIC\r\npass=secret\r\n");
  EXPECT_EQ(Run(ImportKind::ErrorFile), RunOutcome::Completed);
  EXPECT_EQ(session.database().m_szUser, "");
  EXPECT_EQ(session.database().m_szServer, "SRV01");
}

TEST_F(ImportWorkerTest, routineThatStopsEarlyIsReportedAsStopped) {
  probe.result = 0;
  EXPECT_EQ(Run(ImportKind::ReferringPhysicians), RunOutcome::Stopped);
}

// The provider's text stays as it is; the advice line for people follows it in the same box.
TEST_F(ImportWorkerTest, failedConnectionShowsTheProviderTextThenTheAdviceAndClosesTheProgram) {
  script->openSucceeds = false;
  script->openError = {0x80004005,
                       "Unspecified error",
                       "Microsoft OLE DB Driver",
                       "Login failed",
                       {{0x4818, "Login failed for user 'importer'."}}};
  EXPECT_EQ(Run(ImportKind::Nomenclatures), RunOutcome::ConnectionFailed);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0],
            session.database().m_szProviderError + "\n" + session.database().m_szConnectionAdvice);
  EXPECT_NE(ui.messages()[0].find("Login failed for user"), std::string::npos);
  EXPECT_NE(ui.messages()[0].find("(message 18456): login failed"), std::string::npos);
  EXPECT_EQ(ui.messages()[0].find("importer'.\n\n"), std::string::npos);
  EXPECT_EQ(ui.closeRequests(), 1);
  EXPECT_EQ(probe.calls, 0);
  EXPECT_FALSE(ImportRunning());
}

TEST_F(ImportWorkerTest, failedConnectionWithoutProviderRecordsShowsTheComText) {
  script->openSucceeds = false;
  script->openError = {0x80004005, "Unspecified error", "ODBC", "driver not found", {}};
  EXPECT_EQ(Run(ImportKind::Nomenclatures), RunOutcome::ConnectionFailed);
  ASSERT_EQ(ui.messages().size(), 1u);
  // The COM text ends its own last line: the advice follows without an empty line.
  EXPECT_EQ(ui.messages()[0],
            session.database().m_szComError + session.database().m_szConnectionAdvice);
  EXPECT_NE(ui.messages()[0].find("driver not found"), std::string::npos);
}

TEST_F(ImportWorkerTest, databaseWithoutLocationColumnDoesNotAsk) {
  EXPECT_EQ(Run(ImportKind::DayHospitalTariffs), RunOutcome::Completed);
  EXPECT_EQ(ui.locationRequests(), 0);
  EXPECT_FALSE(probe.hasLocationColumn);
  const auto log = script->Log();
  EXPECT_NE(std::find(log.begin(), log.end(), std::string("query:") + kLocationCheckQuery),
            log.end());
}

TEST_F(ImportWorkerTest, failedLocationCheckCountsAsNoColumn) {
  script->queries.erase(kLocationCheckQuery);
  EXPECT_EQ(Run(ImportKind::Feedback), RunOutcome::Completed);
  EXPECT_EQ(ui.locationRequests(), 0);
  EXPECT_FALSE(probe.hasLocationColumn);
}

TEST_F(ImportWorkerTest, locationColumnAsksAndPassesTheChosenId) {
  DeclareLocationColumn();
  ui.locationAnswer = 7;
  EXPECT_EQ(Run(ImportKind::Feedback), RunOutcome::Completed);
  EXPECT_EQ(ui.locationRequests(), 1);
  EXPECT_TRUE(probe.hasLocationColumn);
  EXPECT_EQ(probe.locationId, 7);
  EXPECT_EQ(session.locationId(), 7);
}

TEST_F(ImportWorkerTest, cancelledLocationEndsSilentlyAndALaterRunStartsAtOnce) {
  DeclareLocationColumn();
  EXPECT_EQ(Run(ImportKind::DayHospitalTariffs), RunOutcome::LocationCancelled);
  EXPECT_EQ(probe.calls, 0);
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_FALSE(ImportRunning());
  ui.locationAnswer = 2;
  EXPECT_EQ(Run(ImportKind::DayHospitalTariffs), RunOutcome::Completed);
  EXPECT_EQ(probe.locationId, 2);
}

TEST_F(ImportWorkerTest, otherKindsNeverCheckForLocations) {
  DeclareLocationColumn();
  EXPECT_EQ(Run(ImportKind::PharmacyErrorFile), RunOutcome::Completed);
  EXPECT_EQ(ui.locationRequests(), 0);
  const auto log = script->Log();
  EXPECT_EQ(std::find(log.begin(), log.end(), std::string("query:") + kLocationCheckQuery),
            log.end());
}

TEST_F(ImportWorkerTest, twoWorkersStartedTogetherRunExactlyOnce) {
  std::promise<void> release;
  probe.release = release.get_future().share();
  std::latch start(2);
  std::atomic<int> busy{0};
  auto worker = [&](ImportKind kind, const char* path) {
    start.arrive_and_wait();
    if (ImportWorker(session, ImportRequest{kind, path}) == RunOutcome::Busy) ++busy;
  };
  std::thread first(worker, ImportKind::Nomenclatures, "a.xml");
  std::thread second(worker, ImportKind::Personalization, "b.xml");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (busy == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  release.set_value();
  first.join();
  second.join();
  EXPECT_EQ(busy, 1);
  EXPECT_EQ(probe.calls, 1);
  EXPECT_EQ(ui.messages(), std::vector<std::string>{"In procesare..."});
  EXPECT_FALSE(ImportRunning());
}

// The run's own statements against the embedded database: the location check finds the
// column only where the locations script added it, and the list reads ascending.
class EmbeddedDatabaseRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    probe.calls = 0;
    probe.release = {};
    probe.result = 1;
    qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                               "driver=sqlite\r\ndatabase=" + dir.file("q.db") + "\r\n");
    session.SetRoutine(ImportKind::DayHospitalTariffs, &ProbeRoutine);
  }
  ScratchDir dir;
  LocationPickingFrontEnd ui;
  ImportSession session{dir.file("QIVA_IMPORT.INI"), ui};
};

TEST_F(EmbeddedDatabaseRunTest, databaseWithoutLocationsRunsWithoutAsking) {
  EXPECT_EQ(ImportWorker(session, ImportRequest{ImportKind::DayHospitalTariffs, "t.xml"}),
            RunOutcome::Completed);
  EXPECT_FALSE(probe.hasLocationColumn);
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(EmbeddedDatabaseRunTest, databaseWithLocationsAsksAndListsThemAscending) {
  {
    CAdoDatabase db;
    db.SetDriver("sqlite");
    ASSERT_TRUE(db.Open("", "", "", dir.file("q.db")));
    for (const std::string& batch :
         qiva::db::SplitScriptBatches(qiva::db::LocationsSchemaScript())) {
      ASSERT_TRUE(db.Execute(batch)) << batch;
    }
    ASSERT_TRUE(db.Execute("insert into n_locations (locationName) values ('Cluj')"));
    ASSERT_TRUE(db.Execute("insert into n_locations (locationName) values ('Arad')"));
    ASSERT_TRUE(db.Execute("insert into n_locations (locationName) values ('Brasov')"));
  }
  ui.pick = "Brasov";
  EXPECT_EQ(ImportWorker(session, ImportRequest{ImportKind::DayHospitalTariffs, "t.xml"}),
            RunOutcome::Completed);
  EXPECT_EQ(ui.shown, (std::vector<std::string>{"Arad", "Brasov", "Cluj"}));
  EXPECT_TRUE(probe.hasLocationColumn);
  EXPECT_EQ(probe.locationId, 3);
}

// ---- the lock that keeps two imports into one database apart ----

// On SQL Server the run takes the application lock named after the database once connected,
// and lets go of it before it reports (a message box may wait for the user).
TEST_F(ImportWorkerTest, serverRunHoldsTheApplicationLockNamedAfterTheDatabase) {
  script->databaseName = "Clinic'A";
  EXPECT_EQ(Run(ImportKind::Nomenclatures), RunOutcome::Completed);
  std::vector<std::string> queries;
  for (const std::string& entry : script->Log())
    if (entry.rfind("query:", 0) == 0) queries.push_back(entry.substr(6));
  EXPECT_EQ(queries, (std::vector<std::string>{
                         "select db_name() as database_name",
                         "declare @r int; exec @r = sp_getapplock @Resource = N'QIVA_IMPORT "
                         "Clinic''A', @LockMode = 'Exclusive', @LockOwner = 'Session', "
                         "@LockTimeout = 0; select @r as lock_status",
                         "declare @r int; exec @r = sp_releaseapplock @Resource = N'QIVA_IMPORT "
                         "Clinic''A', @LockOwner = 'Session'; select @r as lock_status"}));
  EXPECT_EQ(probe.calls, 1);
}

// A routine that closes the connection (the referring physicians import) ends the session, and
// the lock with it: nothing is sent on the closed connection.
TEST_F(ImportWorkerTest, serverLockEndsWithTheConnectionThatTheRoutineClosed) {
  session.SetRoutine(
      ImportKind::ReferringPhysicians,
      [](ImportContext& context, const std::string&) { return context.database.Close() ? 1 : 0; });
  EXPECT_EQ(Run(ImportKind::ReferringPhysicians), RunOutcome::Completed);
  const auto log = script->Log();
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& e) {
                            return e.find("sp_releaseapplock") != std::string::npos;
                          }),
            0);
  EXPECT_EQ(qiva::test::ReadFileBytes(dir.file("_database.log")).find("Import lock"),
            std::string::npos);
}

// Another import holds the lock past the wait limit: the run says which database is busy and
// sends nothing of the import.
TEST_F(ImportWorkerTest, serverLockNotGrantedWithinTheWaitLimitEndsTheRunAsBusy) {
  WriteConfiguration("server=SRV01\r\ndatabase=CLINIC\r\nlockwait=0\r\n");
  script->appLockStatus = -1;
  EXPECT_EQ(Run(ImportKind::Nomenclatures), RunOutcome::DatabaseBusy);
  EXPECT_EQ(probe.calls, 0);
  EXPECT_EQ(ui.messages(), std::vector<std::string>{"Baza de date CLINIC este ocupata: alt import "
                                                    "ruleaza in ea.\nImportul nu se executa"});
  EXPECT_EQ(session.lastLockFailure().kind, ImportLockEvent::Kind::Busy);
  EXPECT_EQ(session.lastLockFailure().resource, "QIVA_IMPORT CLINIC");
  EXPECT_FALSE(ImportRunning());
}

// A deadlock victim, a refused parameter or a failed statement is no lock: the run ends.
TEST_F(ImportWorkerTest, serverLockRefusedEndsTheRunSayingWhy) {
  script->appLockStatus = -3;
  EXPECT_EQ(Run(ImportKind::Nomenclatures), RunOutcome::LockRefused);
  EXPECT_EQ(ui.messages(), std::vector<std::string>{
                               "Nu pot bloca baza de date CLINIC pentru import (sp_getapplock "
                               "returned -3: the session was chosen as a deadlock victim)\n"
                               "Importul nu se executa"});
  script->queries["select db_name() as database_name"] = qiva::db::ResultSet{};
  script->queries[AppLockStatement("QIVA_IMPORT CLINIC", std::chrono::milliseconds(0))] = {};
  EXPECT_EQ(Run(ImportKind::Nomenclatures), RunOutcome::LockRefused);  // no status row
  EXPECT_EQ(probe.calls, 0);
}

TEST(ResolvedFilePath, followsLinksToFilesAndFoldersWhetherTheFileExistsOrNot) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need a privilege Windows test accounts lack (and wine has none)";
#endif
  ScratchDir dir;
  namespace fs = std::filesystem;
  const std::string real = fs::canonical(dir.path()).string();
  fs::create_directory(dir.file("data"));
  qiva::test::WriteFileBytes(dir.file("data/q.db"), "");
  fs::create_symlink(dir.file("data/q.db"), dir.file("link.db"));
  fs::create_directory_symlink("data", dir.file("folder"));
  fs::create_symlink("data/new.db", dir.file("dangling.db"));
  EXPECT_EQ(ResolvedFilePath(dir.file("link.db")), real + "/data/q.db");
  EXPECT_EQ(ResolvedFilePath(dir.file("folder/q.db")), real + "/data/q.db");
  EXPECT_EQ(ResolvedFilePath(dir.file("folder/new.db")), real + "/data/new.db");
  EXPECT_EQ(ResolvedFilePath(dir.file("dangling.db")), real + "/data/new.db");
  EXPECT_EQ(ResolvedFilePath(dir.file("data/../data/./q.db")), real + "/data/q.db");
}

// A run through a link to the database waits for the lock that a run naming the file holds,
// and the dialog's status line says so; it goes on when the other run lets go.
TEST_F(EmbeddedDatabaseRunTest, runThroughALinkWaitsForTheLockOfTheFileItNames) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need a privilege Windows test accounts lack (and wine has none)";
#endif
  ASSERT_EQ(ImportWorker(session, ImportRequest{ImportKind::DayHospitalTariffs, "t.xml"}),
            RunOutcome::Completed);  // creates q.db
  std::filesystem::create_symlink(dir.file("q.db"), dir.file("link.db"));
  qiva::test::WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                             "driver=sqlite\r\ndatabase=" + dir.file("link.db") + "\r\n");
  FileLock other;  // the run that names q.db
  ASSERT_TRUE(other.TryLock(ResolvedFilePath(dir.file("q.db")) + ".lock"));
  probe.calls = 0;
  RunOutcome outcome = RunOutcome::Busy;
  std::thread run([&] {
    outcome = ImportWorker(session, ImportRequest{ImportKind::DayHospitalTariffs, "t.xml"});
  });
  const std::string waiting = "Astept terminarea altui import in aceeasi baza de date...";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  const auto told = [&] {
    const auto seen = ui.statuses();
    return std::find(seen.begin(), seen.end(), waiting) != seen.end();
  };
  while (!told() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  const int callsWhileHeld = probe.calls;
  other.Unlock();
  run.join();
  EXPECT_EQ(callsWhileHeld, 0);
  EXPECT_EQ(outcome, RunOutcome::Completed);
  EXPECT_EQ(probe.calls, 1);
  const auto seen = ui.statuses();
  const auto at = std::find(seen.begin(), seen.end(), waiting);
  ASSERT_NE(at, seen.end());
  EXPECT_EQ(*(at + 1), "Deschid conexiunea la baza de date");    // waited before opening
  EXPECT_FALSE(FileLock::HeldElsewhere(dir.file("q.db.lock")));  // released at the end
}

}  // namespace
