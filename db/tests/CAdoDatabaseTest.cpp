// Tests of CAdoDatabase over a scripted engine: connection texts, failure texts and log
// records, the calling order on the engine, and the statement trace.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Platform.h"
#include "db/CAdoDatabase.h"
#include "db/ConnectionString.h"
#include "db/tests/DbTestSupport.h"
#include "db/tests/FakeEngine.h"

namespace {

using qiva::db::EngineError;
using qiva::test::EngineScript;
using qiva::test::ReadFileBytes;
using qiva::test::ReadLogRecords;

EngineError LoginFailure() {
  EngineError error;
  error.code = 18456;
  error.meaning = "SQLSTATE 28000: Invalid authorization (login failed)";
  error.source = "[unixODBC][FreeTDS][SQL Server]";
  error.description = "Login failed for user 'sa'.";
  error.providerErrors = {{18456, "Login failed for user 'sa'."},
                          {20002, "Adaptive Server connection failed"}};
  return error;
}

class DatabaseTest : public qiva::test::InScratchFolder {
 protected:
  void SetUp() override {
    InScratchFolder::SetUp();
    qiva::test::UseFakeEngines(db, script);
  }
  std::shared_ptr<EngineScript> script = std::make_shared<EngineScript>();
  CAdoDatabase db;
};

// --- Connection text ---------------------------------------------------------------------

TEST_F(DatabaseTest, buildsDriverConnectionTextFromTheFourValuesInOrder) {
  ASSERT_TRUE(db.Open("srv\\inst", "sa", "secret", "clinic"));
  EXPECT_EQ(db.m_szConnectionString,
            std::string("DRIVER={") + QIVA_DEFAULT_ODBC_DRIVER +
                "};SERVER=srv\\inst;UID=sa;PWD=secret;DATABASE=clinic;APP=QIVA_IMPORT");
  EXPECT_EQ(db.m_szServer, "srv\\inst");
  EXPECT_EQ(db.m_szUser, "sa");
  EXPECT_EQ(db.m_szPassword, "secret");
  EXPECT_EQ(db.m_szDatabase, "clinic");
  EXPECT_EQ(script->journal.front(), "1:open:" + db.m_szConnectionString);

  db.SetDriver("ODBC Driver 18 for SQL Server");
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  EXPECT_EQ(
      db.m_szConnectionString,
      "DRIVER={ODBC Driver 18 for SQL Server};SERVER=h;UID=u;PWD=p;DATABASE=d;APP=QIVA_IMPORT");

  db.SetDsn("clinic dsn");
  ASSERT_TRUE(db.Open("ignored", "u", "p", "d"));
  EXPECT_EQ(db.m_szConnectionString, "DSN=clinic dsn;UID=u;PWD=p;DATABASE=d;APP=QIVA_IMPORT");
}

// A value goes in braces only when it needs them (a ';', a '{' first, blanks at either end), and
// '}' is doubled only inside braces: FreeTDS does not undo "}}", so x}y must reach it as it is.
TEST_F(DatabaseTest, bracesOnlyValuesThatNeedThemAndNoValueAddsAnAttribute) {
  using qiva::db::ConnectionAttribute;
  db.SetDriver("ODBC Driver 18 for SQL Server");
  ASSERT_TRUE(db.Open("h", "u", "x;DATABASE=master", "d"));
  EXPECT_EQ(db.m_szConnectionString,
            "DRIVER={ODBC Driver 18 for SQL Server};SERVER=h;UID=u;"
            "PWD={x;DATABASE=master};DATABASE=d;APP=QIVA_IMPORT");
  EXPECT_EQ(ConnectionAttribute(db.m_szConnectionString, "database"), "d");

  ASSERT_TRUE(db.Open(" h", "u=v", "x}y", "{d}; e"));
  EXPECT_EQ(db.m_szConnectionString,
            "DRIVER={ODBC Driver 18 for SQL Server};SERVER={ h};"
            "UID=u=v;PWD=x}y;DATABASE={{d}}; e};APP=QIVA_IMPORT");
  EXPECT_EQ(ConnectionAttribute(db.m_szConnectionString, "SERVER"), " h");
  EXPECT_EQ(ConnectionAttribute(db.m_szConnectionString, "uid"), "u=v");
  EXPECT_EQ(ConnectionAttribute(db.m_szConnectionString, "PWD"), "x}y");
  EXPECT_EQ(ConnectionAttribute(db.m_szConnectionString, "database"), "{d}; e");

  db.SetDriver("odd}driver");
  ASSERT_TRUE(db.Open("h", "u", "a}b{c", "d"));
  EXPECT_EQ(db.m_szConnectionString,
            "DRIVER={odd}}driver};SERVER=h;UID=u;PWD=a}b{c;DATABASE=d;APP=QIVA_IMPORT");
  EXPECT_EQ(ConnectionAttribute(db.m_szConnectionString, "Driver"), "odd}driver");
}

// FreeTDS ends a braced value at its first '}': a value that needs braces and holds '}' cannot
// reach it intact, so it is refused before any connection is tried, naming only the setting.
TEST_F(DatabaseTest, refusesAValueFreeTdsCannotTakeBeforeConnecting) {
  db.SetLogFile("_database.log");
  db.SetDriver("FreeTDS");
  ASSERT_TRUE(db.Open("h", "u", "x}y", "d"));
  EXPECT_EQ(db.m_szConnectionString,
            "DRIVER={FreeTDS};SERVER=h;UID=u;PWD=x}y;DATABASE=d;APP=QIVA_IMPORT");

  script->journal.clear();
  EXPECT_FALSE(db.Open("h", "u", "Top;Se}cret", "d"));
  EXPECT_FALSE(db.m_bOpen);
  EXPECT_EQ(script->journal, std::vector<std::string>{"1:close:"});  // no open was tried
  EXPECT_EQ(db.m_szProviderError, "");
  EXPECT_NE(db.m_szComError.find("setting \"pass\" cannot be passed to the FreeTDS driver"),
            std::string::npos)
      << db.m_szComError;
  const std::string log = ReadFileBytes("_database.log");
  EXPECT_NE(log.find("CAdoDatabase::Open"), std::string::npos);
  EXPECT_EQ(log.find("Se}cret"), std::string::npos);
  EXPECT_EQ(db.m_szComError.find("Se}cret"), std::string::npos);

  db.SetDriver("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so");
  EXPECT_FALSE(db.Open("{srv}", "u", "p", "d"));
  EXPECT_NE(db.m_szComError.find("setting \"server\""), std::string::npos);

  // Other drivers undo a doubled '}', and so does the embedded engine's reader.
  db.SetDriver("ODBC Driver 18 for SQL Server");
  ASSERT_TRUE(db.Open("h", "u", "Top;Se}cret", "d"));
  EXPECT_EQ(qiva::db::ConnectionAttribute(db.m_szConnectionString, "PWD"), "Top;Se}cret");
}

// The encryption and sign-in settings reach each driver family under its own attribute names;
// the embedded engine's text has none of them.
TEST_F(DatabaseTest, passesTheEncryptionAndSignInSettingsInEachDriversOwnAttributes) {
  CAdoDatabase::ConnectionSettings settings;
  settings.encrypt = "Strict";
  settings.trustServerCertificate = "yes";
  settings.port = "1433";
  settings.trusted = "YES";
  db.SetConnectionSettings(settings);
  db.SetDriver("ODBC Driver 18 for SQL Server");
  ASSERT_TRUE(db.Open("SRV01\\SQLEXPRESS", "ignored", "secret", "CLINIC"));
  EXPECT_EQ(db.m_szConnectionString,
            "DRIVER={ODBC Driver 18 for SQL Server};SERVER=SRV01\\SQLEXPRESS,1433;"
            "Trusted_Connection=Yes;DATABASE=CLINIC;Encrypt=strict;TrustServerCertificate=yes;"
            "APP=QIVA_IMPORT");

  settings = {"no", "no", "", ""};
  db.SetConnectionSettings(settings);
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  EXPECT_EQ(db.m_szConnectionString,
            "DRIVER={ODBC Driver 18 for SQL Server};SERVER=h;UID=u;PWD=p;DATABASE=d;Encrypt=no;"
            "TrustServerCertificate=no;APP=QIVA_IMPORT");

  settings = {"yes", "yes", "50123", "no"};
  db.SetConnectionSettings(settings);
  db.SetDriver("FreeTDS");
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  EXPECT_EQ(db.m_szConnectionString,
            "DRIVER={FreeTDS};SERVER=h;Port=50123;UID=u;PWD=p;DATABASE=d;Encryption=require;"
            "APP=QIVA_IMPORT");
  settings.encrypt = "no";
  db.SetConnectionSettings(settings);
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  EXPECT_NE(db.m_szConnectionString.find(";Encryption=off;"), std::string::npos);

  // No driver named: the build's default decides the family (Microsoft's on Windows).
  db.SetDriver("");
  db.SetConnectionSettings({"yes", "", "1433", ""});
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  EXPECT_EQ(db.m_szConnectionString,
            qiva::db::IsFreeTdsDriver(QIVA_DEFAULT_ODBC_DRIVER)
                ? std::string("DRIVER={") + QIVA_DEFAULT_ODBC_DRIVER +
                      "};SERVER=h;Port=1433;UID=u;PWD=p;DATABASE=d;Encryption=require;"
                      "APP=QIVA_IMPORT"
                : std::string("DRIVER={") + QIVA_DEFAULT_ODBC_DRIVER +
                      "};SERVER=h,1433;UID=u;PWD=p;DATABASE=d;Encrypt=yes;APP=QIVA_IMPORT");

  db.SetDriver("sqlite");
  ASSERT_TRUE(db.Open("h", "u", "p", "here.db"));
  EXPECT_EQ(db.m_szConnectionString.find("APP="), std::string::npos);
  EXPECT_EQ(db.m_szConnectionString.find("Port"), std::string::npos);
}

// Settings take words from a short list, so none can add an attribute; a value outside the
// list, or one the driver cannot honour, is refused before any connection is tried.
TEST_F(DatabaseTest, refusesSettingsOutsideTheirWordsBeforeConnecting) {
  struct Case {
    std::string driver;
    CAdoDatabase::ConnectionSettings settings;
    std::string server, named;
  };
  const std::vector<Case> cases = {
      {"ODBC Driver 18 for SQL Server", {"yes;APP=x", "", "", ""}, "h", "\"encrypt\""},
      {"ODBC Driver 18 for SQL Server", {"", "maybe", "", ""}, "h", "\"trustservercertificate\""},
      {"ODBC Driver 18 for SQL Server", {"", "", "1433;UID=sa", ""}, "h", "\"port\""},
      {"ODBC Driver 18 for SQL Server", {"", "", "70000", ""}, "h", "\"port\""},
      {"ODBC Driver 18 for SQL Server", {"", "", "1433", ""}, "h,1434", "\"port\" and \"server\""},
      {"ODBC Driver 18 for SQL Server", {"", "", "", "sure"}, "h", "\"trusted\""},
      {"FreeTDS", {"strict", "", "", ""}, "h", "\"encrypt=strict\""},
      {"FreeTDS", {"", "no", "", ""}, "h", "\"trustservercertificate=no\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    db.SetDriver(c.driver);
    db.SetConnectionSettings(c.settings);
    script->journal.clear();
    EXPECT_FALSE(db.Open(c.server, "u", "p", "d"));
    EXPECT_EQ(script->journal.size(), 0u);  // no open was tried
    EXPECT_NE(db.m_szComError.find(c.named), std::string::npos) << db.m_szComError;
  }
}

TEST(ConnectionString, readsAttributesWhateverTheirQuotingAndCase) {
  using qiva::db::ConnectionAttribute;
  const std::string text = " Driver = {sqlite};DATABASE={C:\\a;b.db};empty=;flag;uid=x";
  EXPECT_EQ(ConnectionAttribute(text, "DRIVER"), "sqlite");
  EXPECT_EQ(ConnectionAttribute(text, "database"), "C:\\a;b.db");
  EXPECT_EQ(ConnectionAttribute(text, "EMPTY"), "");
  EXPECT_EQ(ConnectionAttribute(text, "UID"), "x");
  EXPECT_EQ(ConnectionAttribute(text, "PWD"), "");
  EXPECT_EQ(qiva::db::QuoteConnectionValue("plain value"), "plain value");
  EXPECT_EQ(qiva::db::QuoteConnectionValue("}"), "}");
  EXPECT_EQ(qiva::db::QuoteConnectionValue("a\t"), "{a\t}");
  EXPECT_EQ(qiva::db::QuoteConnectionValue(";}"), "{;}}}");
}

TEST_F(DatabaseTest, embeddedDriverNamesTheFileAbsolutely) {
  db.SetDriver("SQLite");
  db.SetDsn("not used");
  const std::string absolute = (dir.path() / "data" / "clinic.db").string();
  ASSERT_TRUE(db.Open("server", "user", "pass", absolute));
  EXPECT_EQ(db.m_szConnectionString, "DRIVER={sqlite};DATABASE=" + absolute);

  // A relative name was placed by the caller; it stands for the current directory.
  ASSERT_TRUE(db.Open("", "", "", "here.db"));
  EXPECT_EQ(db.m_szConnectionString,
            "DRIVER={sqlite};DATABASE=" + (std::filesystem::current_path() / "here.db").string());
}

// --- Open, Close ------------------------------------------------------------------------

TEST_F(DatabaseTest, failedOpenKeepsBothTextsAndLogsOneRecordWithoutThePassword) {
  db.SetLogFile("_database.log");
  script->openSucceeds = false;
  script->error = LoginFailure();
  EXPECT_FALSE(db.Open("h", "sa", "TopSecret", "d"));
  EXPECT_FALSE(db.m_bOpen);
  const std::string com =
      "Error\n\tCode = 00004818\n"
      "\tCode meaning = SQLSTATE 28000: Invalid authorization (login failed)\n"
      "\tSource = [unixODBC][FreeTDS][SQL Server]\n"
      "\tDescription = Login failed for user 'sa'.\n";
  EXPECT_EQ(db.m_szComError, com);
  EXPECT_EQ(db.m_szProviderError, "\t Error number: 4e22\tAdaptive Server connection failed");
  const auto records = ReadLogRecords("_database.log");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0],
            "CAdoDatabase::Open\nComError: " + com + "\nProviderError: " + db.m_szProviderError);
  EXPECT_EQ(ReadFileBytes("_database.log").find("TopSecret"), std::string::npos);
}

TEST_F(DatabaseTest, openReplacesTheConnectionHeldWhetherOrNotItWasClosed) {
  ASSERT_TRUE(db.Open("a", "u", "p", "d"));
  ASSERT_TRUE(db.Open("b", "u", "p", "d"));
  EXPECT_TRUE(db.m_bOpen);
  ASSERT_EQ(script->journal.size(), 3u);
  EXPECT_EQ(script->journal[1], "1:close:");
  EXPECT_EQ(script->journal[2].rfind("2:open:", 0), 0u);
  ASSERT_TRUE(db.Execute("select 1"));
  EXPECT_EQ(script->journal.back(), "2:execute:select 1");
}

TEST_F(DatabaseTest, engineThatCannotBeMadeKeepsTheProviderText) {
  db.SetLogFile("_database.log");
  db.m_szProviderError = "earlier";
  db.SetEngineFactory([](const std::string&) { return nullptr; });
  EXPECT_FALSE(db.Open("h", "u", "p", "d"));
  EXPECT_FALSE(db.m_bOpen);
  EXPECT_EQ(db.m_szProviderError, "earlier");
  EXPECT_NE(db.m_szComError.find("\tCode = 8007000e\n"), std::string::npos);
  EXPECT_EQ(ReadLogRecords("_database.log").size(), 1u);
  EXPECT_FALSE(db.Execute("select 1"));  // no connection: a failure, never a crash
}

TEST_F(DatabaseTest, closeOnANeverOpenedObjectSucceedsWithoutTouchingAnEngine) {
  EXPECT_TRUE(db.Close());
  EXPECT_TRUE(script->journal.empty());
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  EXPECT_TRUE(db.Close());
  EXPECT_FALSE(db.m_bOpen);
  EXPECT_TRUE(db.Close());
  EXPECT_EQ(script->journal.size(), 2u);  // open, one close
}

TEST_F(DatabaseTest, failedCloseStaysOpenAndLogsItsLabel) {
  db.SetLogFile("_database.log");
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  script->closeSucceeds = false;
  script->error = LoginFailure();
  EXPECT_FALSE(db.Close());
  EXPECT_TRUE(db.m_bOpen);
  const auto records = ReadLogRecords("_database.log");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].rfind("CAdoDatabase::Close\nComError: Error\n", 0), 0u);
}

// --- Execute and the log ----------------------------------------------------------------

TEST_F(DatabaseTest, failedExecuteLogsTheErrorRecordThenTheStatement) {
  db.SetLogFile("_database.log");
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  EXPECT_TRUE(db.Execute("insert into T values (1)"));
  EXPECT_TRUE(ReadLogRecords("_database.log").empty());

  script->error = LoginFailure();
  script->error.providerErrors = {{-2147217900, "Incorrect syntax near 'x'."}};
  script->failingStatements = {"x y\nz"};
  EXPECT_FALSE(db.Execute("x y\nz"));
  const auto records = ReadLogRecords("_database.log");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], "CAdoDatabase::Execute\nComError: " + db.m_szComError +
                            "\nProviderError: \t Error number: 80040e14\tIncorrect syntax near "
                            "'x'.");
  EXPECT_EQ(records[1], "x y\nz");
  // The raw file stores each line feed as CR LF, records start on a new line.
  EXPECT_NE(ReadFileBytes("_database.log").find("->x y\r\nz"), std::string::npos);

  // A later success leaves the texts of the failure in place.
  const std::string kept = db.m_szComError;
  EXPECT_TRUE(db.Execute("select 1"));
  EXPECT_EQ(db.m_szComError, kept);
}

TEST_F(DatabaseTest, nothingIsWrittenBeforeSetLogFile) {
  script->openSucceeds = false;
  script->failingStatements = {"select 1"};
  EXPECT_FALSE(db.Open("h", "u", "p", "d"));
  EXPECT_FALSE(db.Execute("select 1"));
  db.Log("text");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(DatabaseTest, executeWithoutAnyOpenFailsAndLogsWithoutEndingTheProgram) {
  db.SetLogFile("_database.log");
  EXPECT_FALSE(db.Execute("delete from T"));
  EXPECT_NE(db.m_szComError.find("\tCode = 800a0e78\n\tCode meaning = Unknown error 0x800A0E78\n"),
            std::string::npos);
  const auto records = ReadLogRecords("_database.log");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].rfind("CAdoDatabase::Execute\n", 0), 0u);
  EXPECT_EQ(records[1], "delete from T");
}

// --- Error texts ------------------------------------------------------------------------

TEST(ErrorTexts, layOutTheComErrorAndTheLastProviderRecord) {
  EngineError error;
  error.code = 0x80040E14;
  error.meaning = "IDispatch error #3092";
  EXPECT_EQ(FormatComError(error),
            "Error\n\tCode = 80040e14\n\tCode meaning = IDispatch error #3092\n"
            "\tSource = (null)\n\tDescription = (null)\n");
  EXPECT_EQ(FormatProviderErrors(error), "");
  error.providerErrors = {{1, "first"}, {-1, "last"}};
  EXPECT_EQ(FormatProviderErrors(error), "\t Error number: ffffffff\tlast");
}

// --- Statement trace --------------------------------------------------------------------

TEST_F(DatabaseTest, traceHoldsEveryStatementSentAsAReplayableScript) {
  ASSERT_TRUE(db.SetTraceFile("trace.sql"));
  EXPECT_FALSE(db.Execute("no connection, not sent"));
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  ASSERT_TRUE(db.SetTraceFile(""));
  EXPECT_TRUE(db.Execute("before trace"));
  ASSERT_TRUE(db.SetTraceFile("trace.sql"));
  script->failingStatements = {"bad"};
  EXPECT_TRUE(db.Execute("insert into T values ('a\r\nb')"));
  EXPECT_FALSE(db.Execute("bad"));
  ASSERT_TRUE(db.SetTraceFile(""));
  EXPECT_TRUE(db.Execute("after trace"));
  EXPECT_EQ(ReadFileBytes("trace.sql"), "insert into T values ('a\r\nb')\nGO\nbad\nGO\n");

  EXPECT_FALSE(db.SetTraceFile((dir.path() / "no such folder" / "t.sql").string()));
  EXPECT_TRUE(db.Execute("trace is off"));
}

}  // namespace
