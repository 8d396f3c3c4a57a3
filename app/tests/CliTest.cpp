// Tests of qiva-import's pieces: the command line, the terminal front end and the lock that
// keeps two imports into one database apart.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/FileLock.h"
#include "app/LocationList.h"
#include "app/cli/CliFrontEnd.h"
#include "app/cli/CliOptions.h"
#include "app/cli/Doctor.h"
#include "app/tests/FakeDatabase.h"
#include "base/tests/TestSupport.h"
#include "db/CAdoRecordset.h"

namespace {

std::optional<CliOptions> Parse(std::vector<std::string> args, std::string* error = nullptr) {
  std::string message;
  auto options = ParseCliOptions(args, message);
  if (error) *error = message;
  return options;
}

TEST(CliOptions, acceptsOptionsBeforeAndAfterTheSubcommand) {
  auto options = Parse({"--quiet", "nomenclatures", "in.xml", "--config", "my.ini",
                        "--trace-sql=trace.sql", "--location", "7", "--on-invalid", "stop"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->command, CliCommand::Import);
  EXPECT_EQ(options->kind, ImportKind::Nomenclatures);
  EXPECT_EQ(options->file, "in.xml");
  EXPECT_EQ(options->configPath, "my.ini");
  EXPECT_EQ(options->traceSqlPath, "trace.sql");
  EXPECT_EQ(options->location, 7);
  EXPECT_EQ(options->onInvalid, InvalidRecordAnswer::Stop);
  EXPECT_TRUE(options->quiet);

  options = Parse({"check", "--quiet", "feedback", "f.xml"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->command, CliCommand::Check);
  EXPECT_EQ(options->kind, ImportKind::Feedback);
  EXPECT_EQ(options->file, "f.xml");

  options = Parse({"init-db", "--locations"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->command, CliCommand::InitDb);
  EXPECT_TRUE(options->withLocations);
  EXPECT_FALSE(options->onInvalid);

  EXPECT_EQ(Parse({"tables"})->command, CliCommand::Tables);
  EXPECT_EQ(Parse({"doctor", "--config", "my.ini"})->command, CliCommand::Doctor);
  EXPECT_EQ(Parse({"errors", "x.xml", "--help"})->command, CliCommand::Help);
}

TEST(CliOptions, rejectsMalformedCommandLines) {
  std::string error;
  EXPECT_FALSE(Parse({}, &error));
  EXPECT_FALSE(Parse({"catalogues", "in.xml"}, &error));
  EXPECT_NE(error.find("unknown KIND 'catalogues'"), std::string::npos);
  EXPECT_FALSE(Parse({"errors"}, &error));
  EXPECT_FALSE(Parse({"errors", "a.xml", "b.xml"}, &error));
  EXPECT_FALSE(Parse({"check", "errors"}, &error));
  EXPECT_FALSE(Parse({"tables", "extra"}, &error));
  EXPECT_FALSE(Parse({"doctor", "extra"}, &error));
  EXPECT_FALSE(Parse({"errors", "a.xml", "--location", "x7"}, &error));
  EXPECT_FALSE(Parse({"errors", "a.xml", "--on-invalid", "ask"}, &error));
  EXPECT_FALSE(Parse({"errors", "a.xml", "--config"}, &error));
  EXPECT_NE(error.find("needs a value"), std::string::npos);
  EXPECT_FALSE(Parse({"errors", "a.xml", "--verbose"}, &error));
  EXPECT_FALSE(Parse({"errors", "a.xml", "--locations"}, &error));
}

TEST(CliOptions, doubleDashEndsTheOptions) {
  auto options = Parse({"--quiet", "errors", "--", "--odd name.xml"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->file, "--odd name.xml");
  EXPECT_TRUE(options->quiet);
  options = Parse({"--", "check", "errors", "-x.xml"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->command, CliCommand::Check);
  EXPECT_EQ(options->file, "-x.xml");
  EXPECT_FALSE(Parse({"errors", "--", "a.xml", "--quiet"}));  // a third word, not an option
}

struct FrontEndStreams {
  std::ostringstream out;
  std::ostringstream err;
  std::istringstream in;
};

// Every option of the general usage that an import takes is listed in each kind's own help
// (--location only where the kind asks for a location).
TEST(CliOptions, eachKindsHelpListsTheImportOptionsOfTheUsage) {
  std::istringstream usage(CliUsage());
  std::vector<std::string> options;
  for (std::string line; std::getline(usage, line);) {
    if (line.rfind("  --", 0) != 0) continue;
    const std::string option = line.substr(2, line.find(' ', 2) - 2);
    if (option != "--" && option != "--help" && option != "--version") options.push_back(option);
  }
  EXPECT_GE(options.size(), 7u);
  for (const ImportKindInfo& info : ImportKinds()) {
    const std::string help = CliHelp(info.commandName);
    for (const std::string& option : options) {
      const bool expected = option != "--location" || info.needsLocation;
      EXPECT_EQ(help.find("  " + option + " ") != std::string::npos, expected)
          << info.commandName << " " << option;
    }
  }
}

TEST(CliFrontEnd, printsTheLastStatusOnStandardOutputAndMessagesOnStandardError) {
  FrontEndStreams s;
  CliFrontEnd ui({}, s.out, s.err, s.in);
  ui.SetStatusText("Procesez inregistrarea 1 ...");
  ui.SetStatusText("Procesez inregistrarea 2 ...");
  ui.ShowMessage("EROARE LA ADAUGARE IN TABELA QIVA_FEEDBACK");
  ui.SetStatusText("Procesat 2 inregistrari");
  ui.Finish();
  EXPECT_EQ(s.out.str(), "Procesat 2 inregistrari\n");
  EXPECT_EQ(s.err.str(), "EROARE LA ADAUGARE IN TABELA QIVA_FEEDBACK\n");
  EXPECT_EQ(ui.records(), 2);
}

TEST(CliFrontEnd, progressLineUpdatesInPlaceAndIsClearedAtTheEnd) {
  FrontEndStreams s;
  CliFrontEnd::Settings settings;
  settings.progress = true;
  CliFrontEnd ui(settings, s.out, s.err, s.in);
  for (int i = 1; i <= 1000; ++i)
    ui.SetStatusText("Procesez inregistrarea " + std::to_string(i) + " ...");
  ui.Finish();
  const std::string err = s.err.str();
  EXPECT_EQ(err.find('\n'), err.rfind('\n'));  // one summary line; the progress stays in place
  EXPECT_NE(err.find("\rProcesez inregistrarea 1 ...  [1 records"), std::string::npos);
  EXPECT_NE(err.find("1000 records in "), std::string::npos);
  EXPECT_LT(err.size(), 2000u);  // redrawn a few times, not once per record
  EXPECT_EQ(s.out.str(), "Procesez inregistrarea 1000 ...\n");
}

TEST(CliFrontEnd, answersTheInvalidRecordPromptFromOptionsOrTheTerminal) {
  FrontEndStreams s;
  CliFrontEnd::Settings settings;
  settings.onInvalid = InvalidRecordAnswer::Stop;
  EXPECT_FALSE(
      CliFrontEnd(settings, s.out, s.err, s.in).AskYesNo("Inregistrare invalida\nContinui ?"));
  settings.onInvalid = InvalidRecordAnswer::Skip;
  EXPECT_TRUE(
      CliFrontEnd(settings, s.out, s.err, s.in).AskYesNo("Inregistrare invalida\nContinui ?"));

  settings.onInvalid = InvalidRecordAnswer::Ask;
  FrontEndStreams typed;
  typed.in.str("maybe\nn\n");
  EXPECT_FALSE(CliFrontEnd(settings, typed.out, typed.err, typed.in).AskYesNo("Continui ?"));
  FrontEndStreams yes;
  yes.in.str("d\n");
  EXPECT_TRUE(CliFrontEnd(settings, yes.out, yes.err, yes.in).AskYesNo("Continui ?"));
}

TEST(CliFrontEnd, locationComesFromTheOptionAndMustExist) {
  auto script = std::make_shared<qiva::test::FakeDatabaseScript>();
  script->queries[kLocationListQuery] = qiva::test::LocationRows({{3, "Cluj"}, {1, "Arad"}});
  CAdoDatabase db;
  db.SetEngineFactory(qiva::test::FakeEngineFactory(script));
  ASSERT_TRUE(db.Open("DRIVER={fake}"));
  CAdoRecordset rs;
  FrontEndStreams s;
  CliFrontEnd::Settings settings;
  settings.location = 3;
  EXPECT_EQ(CliFrontEnd(settings, s.out, s.err, s.in).ChooseLocation(db, rs), 3);
  settings.location = 4;
  EXPECT_EQ(CliFrontEnd(settings, s.out, s.err, s.in).ChooseLocation(db, rs), std::nullopt);
  EXPECT_NE(s.err.str().find("location 4 is not in n_locations"), std::string::npos);
  EXPECT_NE(s.err.str().find("  1\tArad\n  3\tCluj\n"), std::string::npos);
  settings.location.reset();
  EXPECT_EQ(CliFrontEnd(settings, s.out, s.err, s.in).ChooseLocation(db, rs), std::nullopt);
}

TEST(CliFrontEnd, findsTheRecordNumberInProgressTexts) {
  EXPECT_EQ(RecordNumberIn("Procesez inregistrarea 125 ..."), 125);
  EXPECT_EQ(RecordNumberIn("Citesc XML..."), std::nullopt);
}

TEST(FileLock, secondHolderIsRefusedUntilTheFirstLetsGo) {
  qiva::test::ScratchDir dir;
  const std::string path = dir.file("db.sqlite.lock");
  FileLock first;
  FileLock second;
  ASSERT_TRUE(first.TryLock(path));
  EXPECT_FALSE(second.TryLock(path));
  first.Unlock();
  EXPECT_TRUE(second.TryLock(path));
  EXPECT_FALSE(FileLock().TryLock(dir.file("missing/folder/x.lock")));
}

TEST(FileLock, heldElsewhereSaysWhetherAnImportHoldsTheLockWithoutCreatingTheFile) {
  qiva::test::ScratchDir dir;
  const std::string path = dir.file("db.sqlite.lock");
  EXPECT_FALSE(FileLock::HeldElsewhere(path));
  EXPECT_FALSE(std::filesystem::exists(path));
  FileLock import;
  ASSERT_TRUE(import.TryLock(path));
  EXPECT_TRUE(FileLock::HeldElsewhere(path));
  EXPECT_TRUE(FileLock::HeldElsewhere(path));  // asking takes nothing away
  import.Unlock();
  EXPECT_FALSE(FileLock::HeldElsewhere(path));
  EXPECT_TRUE(FileLock().TryLock(path));
}

// A lock held elsewhere and a lock file that cannot be made are told apart: only the first is
// worth waiting for.
TEST(FileLock, tellsAHeldLockFromOneThatCannotBeCreated) {
  qiva::test::ScratchDir dir;
  FileLock first;
  FileLock second;
  ASSERT_TRUE(first.TryLock(dir.file("a.lock")));
  EXPECT_EQ(first.lastFailure(), FileLock::Failure::None);
  EXPECT_FALSE(second.TryLock(dir.file("a.lock")));
  EXPECT_EQ(second.lastFailure(), FileLock::Failure::Held);
  EXPECT_FALSE(second.TryLock(dir.file("missing/folder/x.lock")));
  EXPECT_EQ(second.lastFailure(), FileLock::Failure::CannotCreate);
  EXPECT_FALSE(second.Lock(dir.file("missing/folder/x.lock")));
  EXPECT_EQ(second.lastFailure(), FileLock::Failure::CannotCreate);
}

// The server value's parts as the doctor reaches them, and what a collation means for the text
// mode: only a UTF-8 database with the default mode stores text wrong.
TEST(Doctor, splitsTheServerValueAndTellsWhatTheCollationMeansForTheTextMode) {
  const ServerParts named = SplitServer("SRV01\\SQLEXPRESS", "");
  EXPECT_EQ(named.host, "SRV01");
  EXPECT_EQ(named.instance, "SQLEXPRESS");
  EXPECT_EQ(named.port, "");
  const ServerParts given = SplitServer("tcp:(local)\\SQLEXPRESS,50123", "1433");
  EXPECT_EQ(given.host, "localhost");
  EXPECT_EQ(given.port, "50123");
  EXPECT_EQ(SplitServer("db.clinic", "1444").port, "1444");

  // The Browser's reply may list several instances, each record ended by ";;".
  EXPECT_EQ(BrowserRequest("SQLEXPRESS"), std::string("\x04SQLEXPRESS\0", 12));
  const std::string data =
      "ServerName;SRV01;InstanceName;OTHER;IsClustered;No;Version;15.0;tcp;1500;;"
      "ServerName;SRV01;InstanceName;SQLEXPRESS;IsClustered;No;Version;16.0;np;\\\\SRV01\\pipe;"
      "tcp;49172;;";
  const std::string reply = std::string("\x05", 1) + static_cast<char>(data.size() & 0xFF) +
                            static_cast<char>(data.size() >> 8) + data;
  EXPECT_EQ(InstancePort(reply, "sqlexpress"), "49172");
  EXPECT_EQ(InstancePort(reply, "OTHER"), "1500");
  EXPECT_EQ(InstancePort(reply, "MISSING"), "");
  EXPECT_EQ(InstancePort("\x05", "OTHER"), "");

  struct Case {
    std::string collation;
    bool characters;
    bool failed;
    std::string says;
  };
  const std::vector<Case> cases = {
      {"Latin1_General_100_CI_AS_SC_UTF8", false, true, "is UTF-8: with the default text mode"},
      {"Latin1_General_100_CI_AS_SC_UTF8", true, false, "every Romanian letter is stored"},
      {"Romanian_CI_AS", false, false, "stores the file's bytes"},
      {"SQL_Romanian_CP1250_CI_AS", true, false, "with comma below, which it lacks, become ?"},
      {"SQL_Latin1_General_CP1_CI_AS", false, false, "is not code page 1250 nor UTF-8"},
  };
  for (const Case& c : cases) {
    bool failed = !c.failed;
    const std::string meaning = CollationMeaning(c.collation, c.characters, failed);
    EXPECT_EQ(failed, c.failed) << c.collation;
    EXPECT_NE(meaning.find(c.says), std::string::npos) << meaning;
  }
}

}  // namespace
