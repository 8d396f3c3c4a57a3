// End-to-end tests of the qiva-import program: it is run as a separate process on files of a
// scratch folder, and its exit status, standard output and standard error are checked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

#include "app/FileLock.h"
#include "app/ImportKinds.h"
#include "base/tests/TestSupport.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "db/TraceScript.h"
#include "import/toolkit/tests/EmbeddedImportTest.h"

namespace {

using namespace std::chrono_literals;
using qiva::import::test::EmbeddedRows;
using qiva::test::ReadFileBytes;
using qiva::test::ScratchDir;
using qiva::test::WriteFileBytes;

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

class CliProgramTest : public ::testing::Test {
 protected:
  // Runs qiva-import with `args` (shell words) from the scratch folder.
  RunResult Run(const std::string& args) {
    const std::string command = "cd '" + dir.path().string() + "' && '" QIVA_IMPORT_EXE "' " +
                                args + " > out.txt 2> err.txt < /dev/null";
    const int raw = std::system(command.c_str());
    RunResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadFileBytes(dir.file("out.txt"));
    result.err = ReadFileBytes(dir.file("err.txt"));
    return result;
  }
  void WriteConfig(const std::string& text) { WriteFileBytes(dir.file("test.ini"), text); }
  // The standard error of a running Run once it holds `part` (or after 10 s without it).
  std::string WaitForErrorText(const std::string& part) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    std::string text = ReadFileBytes(dir.file("err.txt"));
    while (text.find(part) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(10ms);
      text = ReadFileBytes(dir.file("err.txt"));
    }
    return text;
  }

  ScratchDir dir;
};

TEST_F(CliProgramTest, usageErrorsExitWithTwoAndHelpWithZero) {
  RunResult r = Run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("qiva-import [options] KIND FILE"), std::string::npos);

  r = Run("catalogues in.xml");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("unknown KIND 'catalogues'"), std::string::npos);
  EXPECT_EQ(Run("errors").status, 2);
  EXPECT_EQ(Run("errors in.xml --on-invalid maybe").status, 2);

  r = Run("errors missing.xml --config test.ini");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("no such file: " + dir.file("missing.xml")), std::string::npos);
}

// The run's own two lines, then the file that was tried; no lock file is left beside it.
TEST_F(CliProgramTest, missingConfigurationExitsWithThreeNamingTheFile) {
  WriteFileBytes(dir.file("in.xml"), "<report/>");
  const RunResult r = Run("errors in.xml --config none.ini");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err.rfind("Nu pot incarca fisierul QIVA_IMPORT.ini\nImportul nu se executa\n"
                        "no configuration file at " +
                            dir.file("none.ini") +
                            "\n"
                            "summary: configuration not loaded, nothing imported, ",
                        0),
            0u)
      << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.ini.lock")));
}

// A folder reads like an empty file on Linux; it is a configuration that cannot be loaded.
TEST_F(CliProgramTest, folderGivenAsConfigurationExitsWithThree) {
  WriteFileBytes(dir.file("in.xml"), "<report/>");
  std::filesystem::create_directory(dir.file("conf"));
  RunResult r = Run("errors in.xml --config conf");
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_NE(r.err.find("Importul nu se executa\nthe configuration path is a folder, not a file: " +
                       dir.file("conf") + "\n"),
            std::string::npos)
      << r.err;
  r = Run("tables --config conf");
  EXPECT_EQ(r.status, 3);
}

// The loader ends lines at CR: a file written with LF only is one long line, which the
// run cannot make sense of. The hint comes before whatever follows.
TEST_F(CliProgramTest, configurationWithLineFeedsOnlyGetsAHint) {
  WriteConfig("driver=sqlite\ndatabase=" + dir.file("q.db") + "\n");
  const RunResult r = Run("init-db --config test.ini");
  EXPECT_EQ(r.err.rfind("hint: the lines of " + dir.file("test.ini") +
                            " end with LF only; the configuration's lines must end with CR LF",
                        0),
            0u)
      << r.err;
  WriteConfig("driver=sqlite\r\ndatabase=" + dir.file("q.db") + "\r\n");
  EXPECT_EQ(Run("init-db --config test.ini").err.find("hint:"), std::string::npos);
}

// A byte order mark (Windows editors) is passed over, so the first key counts; a zero byte
// would cut a value short, so such a file is refused and named with the reason.
TEST_F(CliProgramTest, configurationWithAByteOrderMarkLoadsAndOneWithAZeroByteIsRefused) {
  WriteConfig(
      "\xEF\xBB\xBF"
      "driver=sqlite\r\ndatabase=" +
      dir.file("q.db") + "\r\n");
  RunResult r = Run("init-db --config test.ini");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("q.db")));
  WriteConfig(std::string("driver=sqlite\r\npass=a\0b\r\n", 25));
  r = Run("init-db --config test.ini");
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("Importul nu se executa\nthe configuration file holds a zero byte (NUL), "
                       "which no value may hold: " +
                       dir.file("test.ini") + "\n"),
            std::string::npos)
      << r.err;
}

// A lock file that cannot be created beside the database is no other import to wait for.
TEST_F(CliProgramTest, databaseFolderThatCannotBeWrittenExitsWithFourAndSaysSo) {
  WriteFileBytes(dir.file("in.xml"), "<Catalogues/>");
  WriteConfig("driver=sqlite\r\ndatabase=/proc/qiva-import-test.db\r\n");
  RunResult r = Run("nomenclatures in.xml --config test.ini");
  EXPECT_EQ(r.status, 4) << r.err;
  EXPECT_EQ(r.err.rfind("the database folder cannot be written: /proc (the lock file "
                        "/proc/qiva-import-test.db.lock cannot be created)\n",
                        0),
            0u)
      << r.err;
  EXPECT_EQ(r.err.find("waiting"), std::string::npos);
  r = Run("init-db --config test.ini");
  EXPECT_EQ(r.status, 4) << r.err;
}

TEST_F(CliProgramTest, databaseThatCannotBeOpenedExitsWithFour) {
  WriteFileBytes(dir.file("in.xml"), "<report/>");
  WriteConfig("driver=sqlite\r\ndatabase=" + dir.file("no/such/folder/q.db") + "\r\n");
  const RunResult r = Run("--quiet errors in.xml --config test.ini");
  EXPECT_EQ(r.status, 4);
  EXPECT_FALSE(r.err.empty());
  EXPECT_EQ(r.out, "Deschid conexiunea la baza de date\n");
}

TEST_F(CliProgramTest, secondImportIntoTheSameDatabaseWaitsForTheFirst) {
  WriteFileBytes(dir.file("in.xml"), "<Catalogues><PersonStates/></Catalogues>");
  WriteConfig("driver=sqlite\r\ndatabase=" + dir.file("q.db") + "\r\n");
  FileLock first;
  ASSERT_TRUE(first.TryLock(dir.file("q.db.lock")));
  RunResult second;
  std::thread runner([&] { second = Run("nomenclatures in.xml --config test.ini"); });
  const std::string whileHeld = WaitForErrorText("waiting");
  const bool databaseWhileHeld = std::filesystem::exists(dir.file("q.db"));
  first.Unlock();
  runner.join();
  EXPECT_NE(whileHeld.find("another import into this database is running"), std::string::npos);
  EXPECT_FALSE(databaseWhileHeld);  // it had not started yet
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, "Procesat 0 inregistrari\n");
}

// Two paths to one database file (here through a linked folder, the file not made yet) meet
// on one lock, named after the file's resolved path.
TEST_F(CliProgramTest, importThroughALinkWaitsForTheLockOfTheFileItReaches) {
  WriteFileBytes(dir.file("in.xml"), "<Catalogues><PersonStates/></Catalogues>");
  std::filesystem::create_directory(dir.file("data"));
  std::filesystem::create_directory_symlink(dir.file("data"), dir.file("linked"));
  WriteConfig("driver=sqlite\r\ndatabase=" + dir.file("linked/q.db") + "\r\n");
  const std::string lockFile = std::filesystem::canonical(dir.path()).string() + "/data/q.db.lock";
  FileLock first;
  ASSERT_TRUE(first.TryLock(lockFile));
  RunResult second;
  std::thread runner([&] { second = Run("nomenclatures in.xml --config test.ini"); });
  const std::string whileHeld = WaitForErrorText("waiting");
  const bool databaseWhileHeld = std::filesystem::exists(dir.file("data/q.db"));
  first.Unlock();
  runner.join();
  EXPECT_EQ(whileHeld, "another import into this database is running (lock " + lockFile +
                           "); waiting for it to end...\n");
  EXPECT_FALSE(databaseWhileHeld);
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("data/q.db")));
}

// "--" ends the options: a file whose name starts with "-" can be imported.
TEST_F(CliProgramTest, doubleDashLetsAFileNameStartWithADash) {
  WriteFileBytes(dir.file("-in.xml"), "<Catalogues><PersonStates/></Catalogues>");
  WriteConfig("driver=sqlite\r\ndatabase=" + dir.file("q.db") + "\r\n");
  const RunResult r = Run("--quiet --config test.ini nomenclatures -- -in.xml");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Procesat 0 inregistrari\n");
}

TEST_F(CliProgramTest, checkParsesWithTheKindsRootAndCountsWithoutAConfiguration) {
  WriteFileBytes(dir.file("cat.xml"),
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Catalogues><Specialities>"
                 "<Speciality code=\"1\"/><Speciality code=\"2\"/></Specialities><States>"
                 "<State/></States></Catalogues>");
  RunResult r = Run("check nomenclatures cat.xml --config none.ini");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("outcome: 0 No error\nsections: 2\nrecords: 3\n"), std::string::npos);

  // The same file for a kind whose root is Provider: fatal, with the parser's message.
  r = Run("check personalization cat.xml");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("First Tag should be 'Provider'.\n"), std::string::npos);
  EXPECT_EQ(r.out.find("sections:"), std::string::npos);
}

TEST_F(CliProgramTest, checkKeepsATreeWithAWarningAndTriesTheFeedbacksSecondRoot) {
  WriteFileBytes(dir.file("warn.xml"),
                 "<Catalogues><Physicians><Physician code='1'/></Catalogues>");
  RunResult r = Run("check physicians warn.xml");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Warning: Unmatched end tag"), std::string::npos);
  EXPECT_NE(r.out.find("sections: 1\nrecords: 1\n"), std::string::npos);

  // The same file cut short: the parse keeps a tree, but the document element never ends.
  WriteFileBytes(dir.file("cut.xml"), "<Catalogues><Physicians><Physician code='1'/>");
  r = Run("check physicians cut.xml");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("the file is cut short"), std::string::npos);

  WriteFileBytes(dir.file("fb.xml"),
                 "<request reportType='1'><pidLists><pidList/></pidLists></request>");
  r = Run("check feedback fb.xml");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("root tag: request\noutcome: 0 No error\n"), std::string::npos);

  WriteFileBytes(dir.file("bad.xml"), "<report><a></b></report>");
  r = Run("check pharmacy-errors bad.xml");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("outcome: 6 Error: Unmatched end tag"), std::string::npos);
}

TEST_F(CliProgramTest, initDbCreatesTheEmbeddedDatabaseOnceAndTablesListsIt) {
  WriteConfig("driver=sqlite\r\ndatabase=" + dir.file("q.db") + "\r\n");
  RunResult r = Run("init-db --locations --config test.ini");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "created " + dir.file("q.db") + " with the per-location columns\n");

  r = Run("init-db --config test.ini");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("already exists"), std::string::npos);

  r = Run("tables --config test.ini --trace-sql trace.sql");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("n_locations\t0\n"), std::string::npos);
  EXPECT_NE(r.out.find("QIVA_DAILY_CASES_TARIFFS\t0\n"), std::string::npos);
  const std::string trace = ReadFileBytes(dir.file("trace.sql"));
  EXPECT_EQ(trace.rfind("select table_name from information_schema.tables", 0), 0u);
  EXPECT_NE(trace.find("\nGO\nselect count(*) as row_count from [n_locations]\nGO\n"),
            std::string::npos);
}

TEST_F(CliProgramTest, importsTheSampleCataloguesAndTracesTheirStatements) {
  if (ImportKindInfoFor(ImportKind::Nomenclatures).routine == nullptr) GTEST_SKIP();
  WriteConfig("driver=sqlite\r\ndatabase=" + dir.file("q.db") + "\r\n");
  const std::string sample = QIVA_SOURCE_DIR "/samples/nomenclatoare_generale.xml";
  RunResult r = Run("nomenclatures '" + sample + "' --config test.ini --trace-sql trace.sql");
  // The sample's recommended service without a tariff cannot be written: it is skipped, and
  // the run says so in its exit status and summary.
  ASSERT_EQ(r.status, 5) << r.err;
  EXPECT_EQ(r.out.rfind("Procesat ", 0), 0u);
  // Not a terminal: no progress line, only the notice that the database file is new and the
  // summary.
  EXPECT_EQ(r.err.rfind("notice: created a new embedded database with the target schema: " +
                            dir.file("q.db") +
                            "\nsummary: 46 records, 0 statements rejected, 1 records skipped, ",
                        0),
            0u)
      << r.err;
  EXPECT_NE(r.err.find("; details in " QIVA_CLI_FOLDER "/_database.log\n"), std::string::npos);
  EXPECT_NE(ReadFileBytes(QIVA_CLI_FOLDER "/_database.log")
                .find("]->Created the embedded database " + dir.file("q.db")),
            std::string::npos);
  const std::string trace = ReadFileBytes(dir.file("trace.sql"));
  EXPECT_NE(trace.find("delete from QIVA_LABORATORIES_SERVICES\nGO\n"), std::string::npos);

  r = Run("tables --config test.ini");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");  // the database exists now
  EXPECT_EQ(r.out.find("QIVA_LABORATORIES_SERVICES\t0\n"), std::string::npos);
  EXPECT_NE(r.out.find("QIVA_LABORATORIES_SERVICES\t"), std::string::npos);
}

TEST_F(CliProgramTest, initDbNeedsTheEmbeddedDriver) {
  WriteConfig("server=SRV01\r\ndatabase=CLINIC\r\n");
  const RunResult r = Run("init-db --config test.ini");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("driver=sqlite"), std::string::npos);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The import's outcome: exit status, summary line and JSON report.

class CliOutcomeTest : public CliProgramTest {
 protected:
  void SetUp() override { WriteConfig("driver=sqlite\r\ndatabase=" + dir.file("q.db") + "\r\n"); }
  RunResult Import(const std::string& xml) {
    WriteFileBytes(dir.file("in.xml"), xml);
    return Run("nomenclatures in.xml --config test.ini --report report.json");
  }
  std::string Report() { return ReadFileBytes(dir.file("report.json")); }
  std::string Tables() { return Run("tables --config test.ini").out; }
};

constexpr const char* kPersonStates =
    "<Catalogues><PersonStates><PersonState code='1' description='Asigurat'/>"
    "<PersonState code='2' description='Neasigurat'/></PersonStates></Catalogues>";

TEST_F(CliOutcomeTest, rejectedStatementAndSkippedRecordExitWithFiveAndAreCounted) {
  const RunResult r = Import(
      "<Catalogues><Errors><Error code='E1' text='bun' validFrom='2015-01-01'/>"
      "<Error code='E2' text='data gresita' validFrom='31.02.2015'/></Errors>"
      "<RecServices><RecService code='R1' name='fara tarif' tariff='abc' serviceType='I' "
      "validFrom='2019-01-01'/></RecServices></Catalogues>");
  EXPECT_EQ(r.status, 5) << r.err;
  EXPECT_NE(r.err.find("summary: 3 records, 1 statements rejected, 1 records skipped, "),
            std::string::npos)
      << r.err;
  const std::string report = Report();
  EXPECT_NE(report.find("\"rejected\": 1,"), std::string::npos) << report;
  EXPECT_NE(report.find("\"skipped\": 1,"), std::string::npos);
  EXPECT_NE(report.find("\"exitStatus\": 5"), std::string::npos);
  EXPECT_NE(report.find("\"kind\": \"nomenclatures\""), std::string::npos);
  EXPECT_NE(report.find("\"database\": \"sqlite\""), std::string::npos);
}

TEST_F(CliOutcomeTest, cleanImportExitsWithZeroAndQuietPrintsNoSummary) {
  RunResult r = Import(kPersonStates);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("summary: 2 records, 0 statements rejected, 0 records skipped, "),
            std::string::npos);
  EXPECT_EQ(r.err.find("details in"), std::string::npos);
  EXPECT_NE(Report().find("\"rejected\": 0,"), std::string::npos);
  EXPECT_NE(Report().find("\"fileRead\": true,"), std::string::npos);

  r = Run("--quiet nomenclatures in.xml --config test.ini");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.find("summary"), std::string::npos);
  EXPECT_EQ(r.out, "Procesat 2 inregistrari\n");
}

TEST_F(CliOutcomeTest, fileOfAnotherRootExitsWithSixAndReportsTheParse) {
  const RunResult r = Run("--quiet nomenclatures in.xml --config test.ini --report report.json");
  (void)r;  // no such file yet: usage error, still reported
  EXPECT_NE(Report().find("\"exitStatus\": 2"), std::string::npos);

  const RunResult other = [&] {
    WriteFileBytes(dir.file("in.xml"), "<Provider><Contracts/></Provider>");
    return Run("--quiet nomenclatures in.xml --config test.ini --report report.json");
  }();
  EXPECT_EQ(other.status, 6);
  // The parser's own message first (on standard output, as it always prints it), then the
  // status text the routine ends with when nothing was read.
  EXPECT_NE(other.out.find("First Tag should be 'Catalogues'.\nProcesat 0 inregistrari\n"),
            std::string::npos);
  // The root found beside the root expected, in plain words.
  EXPECT_NE(other.err.find("the file's root element is 'Provider', not 'Catalogues'\n"),
            std::string::npos)
      << other.err;
  EXPECT_NE(other.err.find("summary: file not read (radacina fisierului este 'Provider', nu "
                           "'Catalogues'), nothing imported"),
            std::string::npos)
      << other.err;
  const std::string report = Report();
  EXPECT_NE(report.find("\"code\": 11,"), std::string::npos) << report;
  EXPECT_NE(report.find("\"fileRead\": false,"), std::string::npos);
}

// A catalogue cut in the middle of a record, or at a line end inside a section, would replace
// a whole table with a fraction of it: it is not read, and every table stays as it was.
TEST_F(CliOutcomeTest, catalogueCutShortImportsNothing) {
  ASSERT_EQ(Import(kPersonStates).status, 0);
  const std::string before = Tables();
  const std::string whole =
      "<Catalogues>\n<PersonStates>\n<PersonState code='9' description='Nou'/>\n"
      "<PersonState code='8' description='Altul'/>\n</PersonStates>\n</Catalogues>\n";
  for (const std::size_t cut : {whole.find("code='8'") + 3, whole.find("</PersonStates>")}) {
    const RunResult r = Import(whole.substr(0, cut));
    EXPECT_EQ(r.status, 6) << cut << r.err;
    EXPECT_NE(r.err.find("file not read (fisierul se termina inainte"), std::string::npos) << r.err;
    EXPECT_NE(Report().find("\"cutShort\": true,"), std::string::npos);
    EXPECT_EQ(Tables(), before);
    EXPECT_EQ(Run("check nomenclatures in.xml").status, 1);
  }
}

// Another program holds a write transaction when the import starts and commits it seconds
// later: the import waits (saying so), then empties and refills the table once.
TEST_F(CliOutcomeTest, importWaitsForADatabaseLockedByAnotherProgramAndStoresEveryRowOnce) {
  ASSERT_EQ(Import(kPersonStates).status, 0);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(dir.file("q.db").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other,
                         "BEGIN IMMEDIATE; INSERT INTO QIVA_PERSON_STATES (code, description) "
                         "VALUES ('other', 'x');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  std::thread releaser([other] {
    std::this_thread::sleep_for(4s);
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  });
  const RunResult r = Import(kPersonStates);
  releaser.join();
  sqlite3_close(other);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string notice = "waiting for the database, locked by another program\n";
  EXPECT_NE(r.err.find(notice), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(notice), r.err.rfind(notice)) << "told once per wait";
  EXPECT_NE(Tables().find("QIVA_PERSON_STATES\t2\n"), std::string::npos) << Tables();
}

TEST_F(CliOutcomeTest, tablesSaysWhenAnImportIsRunning) {
  ASSERT_EQ(Import(kPersonStates).status, 0);
  RunResult r = Run("tables --config test.ini");
  EXPECT_EQ(r.err, "");
  FileLock import;  // what a running import holds
  ASSERT_TRUE(import.TryLock(dir.file("q.db.lock")));
  r = Run("tables --config test.ini");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("an import into this database is running"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("QIVA_PERSON_STATES\t2\n"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// The national health programme and day-hospital tariffs samples through qiva-import.

TEST_F(CliOutcomeTest, importsTheHealthProgrammeSampleAndTracesItsTablePreparation) {
  const std::string sample = QIVA_SOURCE_DIR "/samples/programe_nationale.xml";
  const RunResult r = Run("nhp '" + sample + "' --config test.ini --trace-sql trace.sql");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Finalizat de procesat 15 inregistrari\n");
  const std::string trace = ReadFileBytes(dir.file("trace.sql"));
  EXPECT_EQ(trace.find("drop table QIVA_NHP_INDICATORS \nGO\n"), 0u) << trace.substr(0, 200);
  EXPECT_NE(trace.find("\nGO\nCREATE TABLE [dbo].[QIVA_MEDICAL_SUPPLIES]( \t"), std::string::npos);
  const std::string tables = Tables();
  EXPECT_NE(tables.find("QIVA_NHP_INDICATORS\t8\n"), std::string::npos) << tables;
  EXPECT_NE(tables.find("QIVA_MEDICAL_SUPPLIES\t7\n"), std::string::npos) << tables;
  // A second run widens the supplies code instead of creating the table.
  ASSERT_EQ(Run("nhp '" + sample + "' --config test.ini --trace-sql trace.sql").status, 0);
  EXPECT_NE(
      ReadFileBytes(dir.file("trace.sql"))
          .find("\nGO\nalter table QIVA_MEDICAL_SUPPLIES alter column code varchar(100)\nGO\n"),
      std::string::npos);
}

// The trace split at its GO lines, as sqlcmd splits a script.
std::vector<std::string> SplitAtGoLines(const std::string& trace) {
  std::vector<std::string> batches;
  std::string batch;
  std::size_t start = 0;
  while (start < trace.size()) {
    std::size_t end = trace.find('\n', start);
    if (end == std::string::npos) end = trace.size();
    const std::string line = trace.substr(start, end - start);
    if (qiva::db::IsBatchSeparatorLine(line)) {
      if (!batch.empty() && batch.back() == '\n') batch.pop_back();
      batches.push_back(batch);
      batch.clear();
    } else {
      batch += line;
      if (end < trace.size()) batch += '\n';
    }
    start = end + 1;
  }
  return batches;
}

// A value and a file name holding lines that read as GO: the trace, split at its GO lines and
// run on a new database, gives the same rows, and never a batch the import did not send.
TEST_F(CliOutcomeTest, traceReplaysExactlyTheStatementsSentEvenWithGoLinesInValues) {
  WriteFileBytes(
      dir.file("in.xml"),
      "<Catalogues><Physicians>"
      "<Physician Name='POP&#13;&#10;GO&#10;drop table QIVA_PHYSICIANS&#10;go 2&#10;ION' "
      "stencil='A1' validFrom='2015-01-01'/>"
      "<Physician Name='ANA' stencil='B2' validFrom='2015-01-01'/>"
      "</Physicians></Catalogues>");
  RunResult r = Run("physicians in.xml --config test.ini --trace-sql trace.sql");
  ASSERT_EQ(r.status, 0) << r.err;
  // The name's last four underscores give the export type "SPT": the GO lines stand in the file
  // name column only.
  const std::string report = "SPT_1_2\nGO\ndelete from errors\nGO\n_3_4.xml";
  WriteFileBytes(dir.file(report),
                 "<report><services><service AppID='1' state='2'>"
                 "<error code='E1'/></service></services></report>");
  r = Run("errors '" + report + "' --config test.ini --trace-sql trace.sql");
  ASSERT_EQ(r.status, 0) << r.err;

  const std::string trace = ReadFileBytes(dir.file("trace.sql"));
  std::vector<std::string> batches = SplitAtGoLines(trace);
  for (const std::string& batch : batches) {
    EXPECT_NE(batch.rfind("drop table QIVA_PHYSICIANS", 0), 0u) << batch;
    EXPECT_NE(batch.rfind("delete from errors", 0), 0u) << batch;
  }
  {
    CAdoDatabase replay;
    replay.SetDriver("sqlite");
    ASSERT_TRUE(replay.Open("", "", "", dir.file("replay.db")));
    for (const std::string& batch : batches) EXPECT_TRUE(replay.Execute(batch)) << batch;
  }
  const std::string names = "select NAME from QIVA_PHYSICIANS order by STENCIL";
  const std::string files = "select FileName from E_QIVA_ERROR_FILES order by ID";
  EXPECT_EQ(EmbeddedRows(dir.file("replay.db"), names), EmbeddedRows(dir.file("q.db"), names));
  EXPECT_EQ(
      EmbeddedRows(dir.file("replay.db"), names),
      (qiva::import::test::Rows{{"POP\r\nGO\ndrop table QIVA_PHYSICIANS\ngo 2\nION"}, {"ANA"}}));
  EXPECT_EQ(EmbeddedRows(dir.file("replay.db"), files), EmbeddedRows(dir.file("q.db"), files));
  EXPECT_EQ(EmbeddedRows(dir.file("q.db"), files).size(), 1u);
}

// A trace that opens but cannot be written to the end is said, as a report file is.
TEST_F(CliOutcomeTest, traceThatCannotBeWrittenIsReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const RunResult r = Import(kPersonStates);
  ASSERT_EQ(r.status, 0) << r.err;
  WriteFileBytes(dir.file("in.xml"), kPersonStates);
  const RunResult full = Run("nomenclatures in.xml --config test.ini --trace-sql /dev/full");
  EXPECT_EQ(full.status, 0) << full.err;
  EXPECT_NE(full.err.find("cannot write the SQL trace file /dev/full (it ends before the "
                          "statement whose write failed)\n"),
            std::string::npos)
      << full.err;
  EXPECT_EQ(r.err.find("cannot write the SQL trace file"), std::string::npos) << r.err;
}

TEST_F(CliOutcomeTest, importsTheDayTariffsSampleForOneLocation) {
  const std::string sample = QIVA_SOURCE_DIR "/samples/tarife_spitalizare_zi.xml";
  ASSERT_EQ(Run("init-db --locations --config test.ini").status, 0);
  {
    CAdoDatabase db;
    db.SetDriver("sqlite");
    ASSERT_TRUE(db.Open("", "", "", dir.file("q.db")));
    ASSERT_TRUE(db.Execute("insert into n_locations (locationName) values ('Sediu central')"));
    ASSERT_TRUE(db.Execute("insert into n_locations (locationName) values ('Punct de lucru')"));
    ASSERT_TRUE(
        db.Execute("insert into QIVA_DAILY_SERVICES_TARIFFS (CODE, locationid) values "
                   "('ALTA', 1)"));
  }
  RunResult r = Run("day-tariffs '" + sample + "' --config test.ini");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("choose one with --location ID"), std::string::npos) << r.err;

  r = Run("day-tariffs '" + sample + "' --location 2 --config test.ini --trace-sql trace.sql");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Finalizat de procesat 11 inregistrari\n");
  const std::string trace = ReadFileBytes(dir.file("trace.sql"));
  EXPECT_NE(trace.find("\nGO\n delete from QIVA_DAILY_CASES_TARIFFS  where locationid=2 \nGO\n"),
            std::string::npos)
      << trace;
  EXPECT_NE(trace.find("VALID_TO, locationID )VALUES ('S05',64,5200,convert "
                       "(datetime,'2021-07-01',120), null ,2)\nGO\n"),
            std::string::npos)
      << trace;
  const std::string tables = Tables();
  EXPECT_NE(tables.find("QIVA_DAILY_CASES_TARIFFS\t6\n"), std::string::npos) << tables;
  EXPECT_NE(tables.find("QIVA_DAILY_SERVICES_TARIFFS\t6\n"), std::string::npos) << tables;
}

// ---------------------------------------------------------------------------------------------
// The hospital feedback import from the command line.

class CliFeedbackTest : public CliProgramTest {
 protected:
  void SetUp() override { WriteConfig("driver=sqlite\r\ndatabase=" + dir.file("q.db") + "\r\n"); }
  static std::string Sample(const std::string& name) {
    return "'" QIVA_SOURCE_DIR "/samples/" + name + "'";
  }
};

TEST_F(CliFeedbackTest, importsBothSamplesWithTheLocationOnADatabaseThatKeepsLocations) {
  ASSERT_EQ(Run("init-db --locations --config test.ini").status, 0);
  {
    CAdoDatabase db;
    db.SetDriver("sqlite");
    ASSERT_TRUE(db.Open("", "", "", dir.file("q.db")));
    ASSERT_TRUE(db.Execute("insert into n_locations (locationName) values ('Sectia Cluj')"));
    ASSERT_TRUE(db.Execute("insert into n_locations (locationName) values ('Sectia Dej')"));
  }
  RunResult r = Run("feedback " + Sample("feedback_spitalizare.xml") + " --config test.ini");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the database keeps data per location: choose one with --location ID"),
            std::string::npos)
      << r.err;

  r = Run("feedback " + Sample("feedback_spitalizare.xml") +
          " --config test.ini --location 2 --trace-sql trace.sql");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Finalizat de procesat 10 inregistrari\n"), std::string::npos) << r.out;
  r = Run("feedback " + Sample("feedback_spitalizare_zi.xml") +
          " --config test.ini --location 2 --trace-sql trace.sql");
  ASSERT_EQ(r.status, 0) << r.err;
  // Its root is the second one tried: the first's miss prints nothing.
  EXPECT_EQ(r.out.find("First Tag"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Finalizat de procesat 15 inregistrari\n"), std::string::npos) << r.out;

  const std::string trace = ReadFileBytes(dir.file("trace.sql"));
  EXPECT_NE(trace.find("insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType, locationID )"
                       "VALUES (CONVERT(datetime,'2021-03-01 02:00',120),"
                       "CONVERT(datetime,'2021-03-31 03:00',120),1 ,2)\n"
                       "select scope_identity() UID\nGO\n"),
            std::string::npos)
      << trace;
  EXPECT_NE(trace.find("'Pacientul nu figureaz\xC4\x83 \xC3\xAEn SIUI ca ''asigurat'' la data "
                       "intern\xC4\x83rii','E' )\nGO\n"),
            std::string::npos);
  const std::string tables = Run("tables --config test.ini").out;
  EXPECT_NE(tables.find("QIVA_FEEDBACK\t2\n"), std::string::npos) << tables;
  EXPECT_NE(tables.find("QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES\t5\n"), std::string::npos);
  EXPECT_NE(tables.find("QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS\t4\n"), std::string::npos);
}

TEST_F(CliFeedbackTest, headerThatCannotBeWrittenStopsWithItsMessage) {
  WriteFileBytes(dir.file("fb.xml"),
                 "<request reportType='lunar'><PIDLISTS><PIDLIST appID='1'/></PIDLISTS></request>");
  const RunResult r = Run("feedback fb.xml --config test.ini");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("EROARE LA ADAUGARE IN TABELA QIVA_FEEDBACK\n"), std::string::npos) << r.err;
  EXPECT_NE(Run("tables --config test.ini").out.find("QIVA_FEEDBACK_HOSPITAL_CONTINUE\t0\n"),
            std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// The error report imports: the shipped samples with their statements traced, and an error
// file cut short, which must not leave a file row that reads as a report without errors.

TEST_F(CliOutcomeTest, errorReportSamplesImportCleanlyWithTheirStatementsTraced) {
  const std::string samples = QIVA_SOURCE_DIR "/samples/";
  const std::vector<std::pair<std::string, std::string>> imports = {
      {"errors", "CLINIC_4412345_202103_20210412_153012.xml"},
      {"errors", "SPT_DRG_4412345_202103_20210412_153540.xml"},
      {"pharmacy-errors", "SPT_FARM_4412345_202103_20210412_160112.xml"}};
  for (const auto& [kind, file] : imports) {
    const RunResult r =
        Run(kind + " '" + samples + file + "' --config test.ini --trace-sql trace.sql");
    EXPECT_EQ(r.status, 0) << file << r.err;
    EXPECT_NE(r.err.find("0 statements rejected, 0 records skipped"), std::string::npos) << r.err;
  }
  const std::string trace = ReadFileBytes(dir.file("trace.sql"));
  EXPECT_EQ(trace.rfind("if not exists (select * from dbo.sysobjects where id = "
                        "object_id(N'[dbo].[E_QIVA_ERROR_FILES]')",
                        0),
            0u);
  EXPECT_NE(trace.find("\nGO\nINSERT INTO E_QIVA_ERROR_FILES (fileName,exportType) values "
                       "('SPT_DRG_4412345_202103_20210412_153540.xml','SPT_DRG')\n"
                       "select scope_identity() UID\nGO\n"),
            std::string::npos);
  EXPECT_NE(trace.find("INSERT INTO QIVA_STOCKS_ERRORS_RETURNED (appID,ErrorCode,Comments) values "
                       "(7701,'FARM-102','Stocul final nu corespunde cu stocul initial al lunii "
                       "urmatoare pentru ''Paracetamol 500 mg''')\nGO\n"),
            std::string::npos);
  const std::string tables = Tables();
  EXPECT_NE(tables.find("E_QIVA_ERROR_FILES\t2\n"), std::string::npos) << tables;
  EXPECT_NE(tables.find("E_QIVA_ERROR_FILES_DETAILED\t13\n"), std::string::npos);
  EXPECT_NE(tables.find("QIVA_STOCKS_ERRORS_RETURNED\t5\n"), std::string::npos);
}

TEST_F(CliOutcomeTest, errorFileCutShortCreatesNothingAndExitsWithSix) {
  WriteFileBytes(dir.file("CLINIC_1_2_3_4.xml"),
                 "<report>\n<services>\n<service AppID='1' state='2'>\n<errors>\n"
                 "<error code='A'/>\n");
  const RunResult r = Run("errors CLINIC_1_2_3_4.xml --config test.ini");
  EXPECT_EQ(r.status, 6) << r.err;
  EXPECT_NE(r.err.find("file not read"), std::string::npos) << r.err;
  EXPECT_EQ(Tables().find("E_QIVA_ERROR_FILES"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// The referring physicians and personalisation imports through qiva-import.
namespace {

TEST_F(CliOutcomeTest, physiciansAndPersonalizationSamplesImportCleanlyWithTheirTrace) {
  RunResult r = Run("physicians '" QIVA_SOURCE_DIR
                    "/samples/medici_trimitatori.xml' --config test.ini --trace-sql trace.sql");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Procesat 15 inregistrari\n");
  EXPECT_NE(r.err.find("summary: 15 records, 0 statements rejected, 0 records skipped, "),
            std::string::npos)
      << r.err;
  std::string trace = ReadFileBytes(dir.file("trace.sql"));
  EXPECT_EQ(trace.rfind("delete from QIVA_PHYSICIANS\nGO\n", 0), 0u) << trace;
  EXPECT_NE(trace.find("\nGO\nexec QIVA_PHYSICIANS_ACTIVATE\nGO\n"), std::string::npos);

  r = Run("personalization '" QIVA_SOURCE_DIR
          "/samples/personalizare_furnizor.xml' --config test.ini --trace-sql trace2.sql");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Procesez inregistrarea 14 ...\n");
  EXPECT_NE(r.err.find("summary: 14 records, 0 statements rejected, 0 records skipped, "),
            std::string::npos)
      << r.err;
  trace = ReadFileBytes(dir.file("trace2.sql"));
  EXPECT_EQ(
      trace.rfind("select max(id) id from qiva_p_provider\nGO\n insert into QIVA_P_PROVIDER", 0),
      0u)
      << trace;

  const std::string tables = Tables();
  for (const char* row :
       {"QIVA_PHYSICIANS\t8\n", "QIVA_PHYSICIAN_SPECIALITIES\t7\n",
        "QIVA_PHYSICIANS_ACTIVATIONS\t1\n", "QIVA_P_PROVIDER\t1\n", "QIVA_P_CONTRACTS\t2\n",
        "QIVA_P_EMPLOYEES\t4\n", "QIVA_P_EMPLOYEES_SPECIALITIES\t3\n", "QIVA_P_SERVICES\t4\n"}) {
    EXPECT_NE(tables.find(row), std::string::npos) << row << tables;
  }
}

// Without a terminal the invalid-record prompt takes --on-invalid: skip (the default) goes on
// and counts the record, stop ends the import with nothing more sent.
TEST_F(CliOutcomeTest, physicianWithoutAStencilFollowsOnInvalid) {
  WriteFileBytes(
      dir.file("in.xml"),
      "<Catalogues><Physicians><P Name='ANA POP' validFrom='2015-01-01'/>"
      "<P Name='ION RUS' stencil='B2' validFrom='2015-01-01'/></Physicians></Catalogues>");
  RunResult r = Run("physicians in.xml --config test.ini --report report.json");
  EXPECT_EQ(r.status, 5) << r.err;
  EXPECT_EQ(r.out, "Procesat 2 inregistrari\n");
  EXPECT_NE(r.err.find("Inregistrare invalida\nContinui ? yes (--on-invalid skip)\n"),
            std::string::npos);
  EXPECT_NE(Report().find("\"skippedAtPrompt\": 1"), std::string::npos) << Report();
  EXPECT_NE(Tables().find("QIVA_PHYSICIANS_ACTIVATIONS\t1\n"), std::string::npos);

  r = Run("physicians in.xml --config test.ini --on-invalid stop --report report.json");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(Report().find("\"stopCause\": \"prompt\""), std::string::npos) << Report();
  EXPECT_NE(Report().find("\"section\": \"Physicians\""), std::string::npos);
  EXPECT_EQ(r.out, "Procesez medicul 1 ...\n");
  EXPECT_NE(r.err.find("summary: stopped: the user answered No at the invalid-record prompt; "
                       "sections written whole: none; section left incomplete: Physicians "
                       "(QIVA_PHYSICIANS holds 0 rows of the file's 2 records); the complete file "
                       "must be imported again; 1 records, 0 statements rejected, 0 records "
                       "skipped, "),
            std::string::npos)
      << r.err;
  const std::string tables = Tables();
  EXPECT_NE(tables.find("QIVA_PHYSICIANS\t0\n"), std::string::npos) << tables;
  EXPECT_NE(tables.find("QIVA_PHYSICIANS_ACTIVATIONS\t1\n"), std::string::npos) << tables;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The pharmaceutical catalogues import through qiva-import.
namespace {

TEST_F(CliOutcomeTest, pharmaSampleImportsCleanlyAndKeepsTheLastProgressMessage) {
  const std::string sample = QIVA_SOURCE_DIR "/samples/nomenclator_farmaceutic.xml";
  const RunResult r = Run("pharma '" + sample + "' --config test.ini --report report.json");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Procesez inregistrarea 38 ...\n");
  EXPECT_NE(r.err.find("summary: 38 records, 0 statements rejected, 0 records skipped, "),
            std::string::npos)
      << r.err;
  EXPECT_NE(Report().find("\"kind\": \"pharma\""), std::string::npos);
  const std::string tables = Tables();
  EXPECT_NE(tables.find("QIVA_DRUGS\t3\n"), std::string::npos) << tables;
  EXPECT_NE(tables.find("QIVA_COPAYMENT_LIST_TYPES\t3\n"), std::string::npos) << tables;
}

TEST_F(CliOutcomeTest, pharmaDrugWithABadDateIsTheOnlyRowLost) {
  WriteFileBytes(dir.file("in.xml"),
                 "<Catalogues><Drugs><Drug code='A' validFrom='2021-01-01'/>"
                 "<Drug code='B' validFrom='2021-02-30'/><Drug code='C' validFrom='2021-01-01'/>"
                 "</Drugs></Catalogues>");
  const RunResult r = Run("pharma in.xml --config test.ini");
  EXPECT_EQ(r.status, 5) << r.err;
  EXPECT_NE(r.err.find("summary: 3 records, 1 statements rejected, 0 records skipped, "),
            std::string::npos)
      << r.err;
  EXPECT_NE(Tables().find("QIVA_DRUGS\t2\n"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Files of another kind, stops at safe points and the account of every ending.

class CliAccountTest : public CliOutcomeTest {
 protected:
  nlohmann::json ReportJson() { return nlohmann::json::parse(Report()); }
  std::string DatabaseLog() { return ReadFileBytes(QIVA_CLI_FOLDER "/_database.log"); }
  // Rows of `table` as `tables` prints them, or -1.
  long long Rows(const std::string& table) {
    const std::string tables = Tables();
    const std::size_t at = tables.find(table + "\t");
    return at == std::string::npos ? -1 : std::atoll(tables.c_str() + at + table.size() + 1);
  }
};

// Kinds that share a root tag: each given the sample of each other changes no table (no
// emptying, no dropped table, no procedure) and exits 6 naming the kind the file looks like.
TEST_F(CliAccountTest, everyKindGivenAFileOfAnotherKindWithTheSameRootChangesNothing) {
  const std::string s = QIVA_SOURCE_DIR "/samples/";
  struct Sample {
    std::string kind;
    std::string file;
  };
  const std::vector<std::vector<Sample>> sameRoot = {
      {{"physicians", s + "medici_trimitatori.xml"},
       {"nomenclatures", s + "nomenclatoare_generale.xml"},
       {"pharma", s + "nomenclator_farmaceutic.xml"},
       {"nhp", s + "programe_nationale.xml"}},
      {{"personalization", s + "personalizare_furnizor.xml"},
       {"day-tariffs", s + "tarife_spitalizare_zi.xml"}},
      {{"errors", s + "CLINIC_4412345_202103_20210412_153012.xml"},
       {"pharmacy-errors", s + "SPT_FARM_4412345_202103_20210412_160112.xml"}},
  };
  for (const auto& group : sameRoot) {
    for (const Sample& sample : group) {
      const int status = Run(sample.kind + " '" + sample.file + "' --config test.ini").status;
      ASSERT_TRUE(status == 0 || status == 5) << sample.kind;
    }
  }
  const std::string before = Tables();
  for (const auto& group : sameRoot) {
    for (const Sample& file : group) {
      for (const Sample& kind : group) {
        if (kind.kind == file.kind) continue;
        const RunResult r =
            Run(kind.kind + " '" + file.file + "' --config test.ini --report report.json");
        EXPECT_EQ(r.status, 6) << kind.kind << " given " << file.file << r.err;
        EXPECT_NE(r.err.find("it holds none of its sections; it looks like a "), std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(": " + file.kind + "\n"), std::string::npos) << r.err;
        EXPECT_EQ(ReportJson()["fileRead"], false);
        EXPECT_EQ(Tables(), before) << kind.kind << " given " << file.file;
      }
    }
  }
  const RunResult check = Run("check nhp '" + s + "nomenclatoare_generale.xml'");
  EXPECT_EQ(check.status, 6);
  EXPECT_NE(
      check.out.find("the file is not a national health programme file: it holds none of "
                     "its sections; it looks like a general catalogues file: nomenclatures\n"),
      std::string::npos)
      << check.out;
  // One empty section of its own is enough to be of the kind.
  WriteFileBytes(dir.file("in.xml"), "<Catalogues><NHP_Indicators/></Catalogues>");
  EXPECT_EQ(Run("nhp in.xml --config test.ini").status, 0);
  EXPECT_EQ(Run("check nhp in.xml").status, 0);
}

// An empty file, a text and a binary file are said in plain words, in the summary and in the
// database log, which the summary then names.
TEST_F(CliAccountTest, fileThatIsEmptyOrNotXmlIsSaidInPlainWordsAndLogged) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "the file is empty"},
      {"just some text\n", "the file is not XML"},
      {std::string("\x00\x01\xFF\xFE\x80", 5), "the file is not XML"},
  };
  for (const auto& [bytes, words] : cases) {
    const RunResult r = Import(bytes);
    EXPECT_EQ(r.status, 6) << words;
    EXPECT_NE(r.err.find(words + "\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("; details in "), std::string::npos) << r.err;
    EXPECT_NE(DatabaseLog().find("File not read: " + dir.file("in.xml") + ": fisierul "),
              std::string::npos);
    EXPECT_NE(Run("check nomenclatures in.xml").out.find(words + "\n"), std::string::npos);
  }
}

// A report or trace that cannot be written is found out before the database is even opened.
TEST_F(CliAccountTest, reportAndTracePathsAreCheckedBeforeAnythingIsSent) {
  WriteConfig("driver=sqlite\r\ndatabase=" + dir.file("new.db") + "\r\n");
  WriteFileBytes(dir.file("in.xml"), kPersonStates);
  std::filesystem::create_directory(dir.file("folder"));
  for (const char* option :
       {"--report nowhere/r.json", "--report folder", "--trace-sql nowhere/t.sql"}) {
    const RunResult r = Run(std::string("nomenclatures in.xml --config test.ini ") + option);
    EXPECT_EQ(r.status, 2) << option;
    EXPECT_NE(r.err.find("cannot write the "), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.db"))) << option;
  }
}

// Each list names the section, the record's position, its key and the reason or the database's
// error; the first 1,000 are listed and the rest counted.
TEST_F(CliAccountTest, reportListsSkippedRecordsAndRejectedStatements) {
  std::string xml =
      "<Catalogues><Errors><Error code='E2' text='data gresita' "
      "validFrom='31.02.2015'/></Errors><RecServices>";
  for (int i = 1; i <= 1002; ++i) {
    xml += "<RecService code='R" + std::to_string(i) +
           "' name='n' tariff='abc' serviceType='I' validFrom='2019-01-01'/>";
  }
  const RunResult r = Import(xml + "</RecServices></Catalogues>");
  EXPECT_EQ(r.status, 5) << r.err;
  const nlohmann::json report = ReportJson();
  ASSERT_EQ(report["skippedRecords"].size(), 1000u);
  EXPECT_EQ(report["skippedRecordsNotListed"], 2);
  EXPECT_EQ(report["skippedRecords"][1],
            (nlohmann::json{{"section", "RecServices"},
                            {"record", 2},
                            {"key", "code=R2"},
                            {"reason", "tariff is not a number: 'abc'"}}));
  ASSERT_EQ(report["rejectedStatements"].size(), 1u);
  EXPECT_EQ(report["rejectedStatementsNotListed"], 0);
  const nlohmann::json& rejected = report["rejectedStatements"][0];
  EXPECT_EQ(rejected["section"], "Errors");
  EXPECT_EQ(rejected["record"], 1);
  EXPECT_EQ(rejected["key"], "code=E2");
  EXPECT_FALSE(rejected["error"].get<std::string>().empty());
  EXPECT_EQ(report["stopped"], false);
}

// A child process of qiva-import whose output goes to files of the scratch folder, so that the
// test can signal it.
class ImportProcess {
 public:
  ImportProcess(const std::filesystem::path& folder, const std::vector<std::string>& args) {
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(folder.c_str()) != 0) _exit(127);
      const int out = open("out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open("err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int in = open("/dev/null", O_RDONLY);
      dup2(out, 1);
      dup2(err, 2);
      dup2(in, 0);
      std::vector<char*> argv{const_cast<char*>(QIVA_IMPORT_EXE)};
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(QIVA_IMPORT_EXE, argv.data());
      _exit(127);
    }
  }
  void Signal(int signal) const { kill(pid_, signal); }
  // The exit status, or -1 when it did not exit by itself.
  int Wait() const {
    int raw = 0;
    waitpid(pid_, &raw, 0);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }

 private:
  pid_t pid_ = -1;
};

class CliStopTest : public CliAccountTest {
 protected:
  static constexpr int kIcd10Count = 150000;
  void SetUp() override {
    CliAccountTest::SetUp();
    ASSERT_EQ(Import("<Catalogues><PersonStates><PersonState code='a'/><PersonState code='b'/>"
                     "<PersonState code='c'/></PersonStates></Catalogues>")
                  .status,
              0);
    std::string xml = "<Catalogues>\n<ICD10s>\n";
    for (int i = 0; i < kIcd10Count; ++i) {
      xml += "<ICD10 code='C" + std::to_string(i) +
             "' name='boala' diseaseCategory='1' validFrom='2000-01-01'/>\n";
    }
    xml += "</ICD10s>\n<PersonStates><PersonState code='1'/></PersonStates>\n</Catalogues>\n";
    WriteFileBytes(dir.file("big.xml"), xml);
  }
  // Starts the import of big.xml and returns once it is writing the ICD-10 records.
  ImportProcess StartBigImport() {
    std::filesystem::remove(dir.file("trace.sql"));  // the trace is appended to
    ImportProcess process(dir.path(), {"nomenclatures", "big.xml", "--config", "test.ini",
                                       "--report", "report.json", "--trace-sql", "trace.sql"});
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (ReadFileBytes(dir.file("trace.sql")).find("insert into QIVA_ICD10") ==
               std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(5ms);
    }
    return process;
  }
};

// The first SIGTERM or SIGINT lets the section in progress end whole, then the import ends:
// the next section keeps its old rows, and the stop is reported, logged and exits 1.
TEST_F(CliStopTest, firstSignalEndsTheImportAfterTheSectionInProgress) {
  for (const int signal : {SIGTERM, SIGINT}) {
    const ImportProcess process = StartBigImport();
    process.Signal(signal);
    EXPECT_EQ(process.Wait(), 1) << ReadFileBytes(dir.file("err.txt"));
    EXPECT_EQ(Rows("QIVA_ICD10"), kIcd10Count);
    EXPECT_EQ(Rows("QIVA_PERSON_STATES"), 3);  // not reached: left as it was
    const nlohmann::json report = ReportJson();
    EXPECT_EQ(report["stopped"], true);
    EXPECT_EQ(report["stopCause"], "request");
    EXPECT_EQ(report["sectionsWritten"], nlohmann::json::array({"ICD10s"}));
    EXPECT_TRUE(report["incompleteSections"].empty());
    EXPECT_EQ(report["exitStatus"], 1);
    EXPECT_NE(DatabaseLog().find("Import stopped: a stop was requested; sections written whole: "
                                 "ICD10s; no section left incomplete"),
              std::string::npos);
  }
}

// A second signal ends the import at the next record: the section is named as incomplete with
// the rows its table holds and the file's count.
TEST_F(CliStopTest, secondSignalEndsTheImportAtTheNextRecord) {
  const ImportProcess process = StartBigImport();
  process.Signal(SIGINT);
  std::this_thread::sleep_for(20ms);  // two signals pending at once would count as one
  process.Signal(SIGINT);
  EXPECT_EQ(process.Wait(), 1) << ReadFileBytes(dir.file("err.txt"));
  const std::string err = ReadFileBytes(dir.file("err.txt"));  // before Rows runs `tables`
  const nlohmann::json report = ReportJson();
  ASSERT_EQ(report["incompleteSections"].size(), 1u) << report.dump();
  const nlohmann::json& section = report["incompleteSections"][0];
  EXPECT_EQ(section["section"], "ICD10s");
  EXPECT_EQ(section["table"], "QIVA_ICD10");
  EXPECT_EQ(section["fileRecords"], kIcd10Count);
  const long long rows = section["rows"].get<long long>();
  EXPECT_LT(rows, kIcd10Count);
  EXPECT_EQ(Rows("QIVA_ICD10"), rows);
  EXPECT_TRUE(report["sectionsWritten"].empty());
  EXPECT_NE(err.find("section left incomplete: ICD10s (QIVA_ICD10 holds " + std::to_string(rows) +
                     " rows of the file's 150000 records); the complete file must be imported "
                     "again"),
            std::string::npos)
      << err;
}

}  // namespace

// Where an installed or copied qiva-import finds its configuration and writes its logs. Each
// run gets its own HOME and XDG folders in the scratch folder.
class CliPlacesTest : public CliProgramTest {
 protected:
  // Runs `program` (default: the built qiva-import) with `args` under the scratch HOME, as the
  // user nobody when `asNobody` (so that permissions count even when the tests run as root).
  RunResult RunPlaced(const std::string& args, const std::string& environment = "",
                      const std::string& program = QIVA_IMPORT_EXE, bool asNobody = false) {
    const std::string prefix =
        asNobody ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::string command = "cd '" + dir.path().string() + "' && env -u XDG_CONFIG_HOME " +
                                "-u XDG_STATE_HOME HOME='" + dir.file("home") + "' " + environment +
                                " " + prefix + "'" + program + "' " + args +
                                " > out.txt 2> err.txt < /dev/null";
    const int raw = std::system(command.c_str());
    RunResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadFileBytes(dir.file("out.txt"));
    result.err = ReadFileBytes(dir.file("err.txt"));
    return result;
  }
  void SetUp() override {
    std::filesystem::create_directories(dir.file("home"));
    WriteFileBytes(dir.file("in.xml"),
                   "<Catalogues><RecServices><RecService code='R1' name='fara tarif' "
                   "tariff='abc' serviceType='I' validFrom='2019-01-01'/></RecServices>"
                   "</Catalogues>");
  }
};

// Without --config the user's configuration is found; its relative database lands beside it,
// and the summary names the three places used.
TEST_F(CliPlacesTest, userConfigurationIsFoundAndItsRelativeDatabaseLivesBesideIt) {
  if (std::filesystem::exists(QIVA_CLI_FOLDER "/QIVA_IMPORT.INI")) {
    GTEST_SKIP() << "a configuration beside the built program would be found first";
  }
  const std::string config = dir.file("cfg/qiva-import/QIVA_IMPORT.INI");
  std::filesystem::create_directories(dir.file("cfg/qiva-import"));
  WriteFileBytes(config,
                 "driver=sqlite\r\ndatabase=clinic.db\r\nlogs=" + dir.file("logs") + "\r\n");
  const RunResult r = RunPlaced("nomenclatures in.xml --report report.json",
                                "XDG_CONFIG_HOME='" + dir.file("cfg") + "'");
  EXPECT_EQ(r.status, 5) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("cfg/qiva-import/clinic.db")));
  EXPECT_NE(
      r.err.find("places: configuration " + config + "; database " +
                 dir.file("cfg/qiva-import/clinic.db") + "; logs in " + dir.file("logs") + "\n"),
      std::string::npos)
      << r.err;
  // The skipped record is logged in the logs= folder, and the summary points there.
  EXPECT_NE(ReadFileBytes(dir.file("logs/_database.log")).find("]->"), std::string::npos);
  EXPECT_NE(r.err.find("details in " + dir.file("logs/_database.log")), std::string::npos);
  const std::string report = ReadFileBytes(dir.file("report.json"));
  EXPECT_NE(report.find("\"configuration\": \"" + config + "\""), std::string::npos) << report;
  EXPECT_NE(report.find("\"logFolder\": \"" + dir.file("logs") + "\""), std::string::npos);
  EXPECT_NE(report.find("\"logWarning\": null"), std::string::npos);

  // Nothing found anywhere: every place looked at is named.
  const RunResult none = RunPlaced("tables", "XDG_CONFIG_HOME='" + dir.file("nowhere") + "'");
  EXPECT_EQ(none.status, 3);
  EXPECT_NE(none.err.find(std::string("no configuration file at ") + QIVA_CLI_FOLDER +
                          "/QIVA_IMPORT.INI (nor at " + dir.file("nowhere") +
                          "/qiva-import/QIVA_IMPORT.INI, /etc/qiva-import/QIVA_IMPORT.INI)\n"),
            std::string::npos)
      << none.err;
}

// A logs= folder and a state folder that cannot be created (their parent is a file, which stops
// root too): the import still runs, and standard error, the summary and the report say that
// the logs are lost.
TEST_F(CliPlacesTest, logsThatCannotBeWrittenAnywhereAreSaidAndReported) {
  WriteFileBytes(dir.file("blocker"), "a file, not a folder");
  WriteConfig("driver=sqlite\r\ndatabase=q.db\r\nlogs=blocker/logs\r\n");
  const RunResult r = RunPlaced("nomenclatures in.xml --config test.ini --report report.json",
                                "XDG_STATE_HOME='" + dir.file("blocker/state") + "'");
  EXPECT_EQ(r.status, 5) << r.err;
  EXPECT_EQ(r.err.rfind("warning: no folder for the logs can be written, _TRACE.LOG and "
                        "_database.log are lost:\n  " +
                            dir.file("blocker/logs") + ": ",
                        0),
            0u)
      << r.err;
  EXPECT_NE(r.err.find("  " + dir.file("blocker/state/qiva-import") + ": "), std::string::npos);
  EXPECT_NE(r.err.find("; logs: no folder can be written, the logs are lost\n"), std::string::npos);
  EXPECT_EQ(r.err.find("details in"), std::string::npos);  // no log to point at
  EXPECT_TRUE(std::filesystem::exists(dir.file("q.db")));
  const std::string report = ReadFileBytes(dir.file("report.json"));
  EXPECT_NE(report.find("\"logFolder\": null"), std::string::npos) << report;
  EXPECT_NE(report.find("\"databaseLog\": null"), std::string::npos);
  EXPECT_NE(report.find("\"logWarning\": \"warning: no folder for the logs"), std::string::npos);
}

// A copy of the program in a folder it cannot write (as Program Files or /opt for a user)
// keeps reading the configuration beside it, and logs into the state folder.
TEST_F(CliPlacesTest, readOnlyProgramFolderLogsIntoTheStateFolder) {
  const bool root = ::geteuid() == 0;
  std::filesystem::create_directories(dir.file("bin"));
  std::filesystem::copy_file(QIVA_IMPORT_EXE, dir.file("bin/qiva-import"));
  WriteFileBytes(dir.file("bin/QIVA_IMPORT.INI"),
                 "driver=sqlite\r\ndatabase=" + dir.file("data/q.db") + "\r\n");
  std::filesystem::create_directories(dir.file("data"));
  namespace fs = std::filesystem;
  fs::permissions(dir.file("bin"), fs::perms::owner_read | fs::perms::owner_exec |
                                       fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
  if (root) {
    // The run is made as nobody, who needs the scratch folders it writes.
    for (const std::string& folder : {dir.path().string(), dir.file("home"), dir.file("data")}) {
      ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    }
  }
  const RunResult r = RunPlaced("nomenclatures in.xml", "", dir.file("bin/qiva-import"), root);
  fs::permissions(dir.file("bin"), fs::perms::owner_all, fs::perm_options::add);
  if (r.err.find("setpriv") != std::string::npos) GTEST_SKIP() << "cannot run as nobody: " << r.err;
  EXPECT_EQ(r.status, 5) << r.err;
  const std::string state = dir.file("home/.local/state/qiva-import");
  EXPECT_NE(r.err.find("places: configuration " + dir.file("bin/QIVA_IMPORT.INI") + "; database " +
                       dir.file("data/q.db") + "; logs in " + state + "\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("warning"), std::string::npos);
  EXPECT_TRUE(fs::exists(state + "/_database.log"));
  EXPECT_FALSE(fs::exists(dir.file("bin/_database.log")));
}

TEST_F(CliPlacesTest, versionAndSubcommandHelp) {
  RunResult r = RunPlaced("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("qiva-import 2020081101", 0), 0u) << r.out;
  EXPECT_EQ(r.out.back(), '\n');

  r = RunPlaced("check --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("usage: qiva-import check KIND FILE\n", 0), 0u) << r.out;
  r = RunPlaced("day-tariffs --help");
  EXPECT_EQ(r.out.rfind("usage: qiva-import [options] day-tariffs FILE\n", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("--location ID"), std::string::npos);
  EXPECT_EQ(RunPlaced("nomenclatures --help").out.find("--location ID"), std::string::npos);
  EXPECT_NE(RunPlaced("init-db --help").out.find("--locations"), std::string::npos);
  EXPECT_EQ(RunPlaced("doctor --help").out.rfind("usage: qiva-import [options] doctor\n", 0), 0u);
  EXPECT_EQ(RunPlaced("--help").out, RunPlaced("no-such-word --help").out);
}
