// Tests of where the programs look for their configuration and write their logs: the lookup
// orders with given environments, folders that cannot be written (through a stand-in for the
// write probe, and for real through a path under a file, which even root cannot create).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/INILoader.h"
#include "app/Places.h"
#include "base/tests/TestSupport.h"

namespace {

using qiva::test::ScratchDir;
using qiva::test::WriteFileBytes;

PlaceEnvironment Posix(std::set<std::string> unwritable = {}) {
  PlaceEnvironment env;
  env.home = "/home/ana";
  env.makeWritable = [unwritable](const std::string& folder, std::string& why) {
    if (unwritable.count(folder) == 0) return true;
    why = "Permission denied";
    return false;
  };
  return env;
}

std::vector<std::string> PathsOf(const std::vector<ConfigurationCandidate>& candidates) {
  std::vector<std::string> paths;
  for (const auto& c : candidates) paths.push_back(c.path);
  return paths;
}

TEST(Places, configurationIsLookedForBesideTheProgramThenForTheUserThenTheSystem) {
  PlaceEnvironment env = Posix();
  EXPECT_EQ(PathsOf(ConfigurationCandidates("/opt/q/QIVA_IMPORT.INI", env)),
            (std::vector<std::string>{"/opt/q/QIVA_IMPORT.INI",
                                      "/home/ana/.config/qiva-import/QIVA_IMPORT.INI",
                                      "/etc/qiva-import/QIVA_IMPORT.INI"}));
  env.xdgConfigHome = "/cfg";
  EXPECT_EQ(PathsOf(ConfigurationCandidates("B", env))[1], "/cfg/qiva-import/QIVA_IMPORT.INI");
  // A relative XDG folder is ignored, as the XDG rules say; without HOME there is no user place.
  env.xdgConfigHome = "cfg";
  EXPECT_EQ(PathsOf(ConfigurationCandidates("B", env))[1],
            "/home/ana/.config/qiva-import/QIVA_IMPORT.INI");
  env.xdgConfigHome.clear();
  env.home.clear();
  EXPECT_EQ(PathsOf(ConfigurationCandidates("B", env)),
            (std::vector<std::string>{"B", "/etc/qiva-import/QIVA_IMPORT.INI"}));

  PlaceEnvironment windows;
  windows.windows = true;
  windows.systemConfigFolder.clear();
  windows.appData = "C:\\Users\\ana\\AppData\\Roaming";
  EXPECT_EQ(
      PathsOf(ConfigurationCandidates("C:\\APPS\\QIVA_IMPORT.INI", windows)),
      (std::vector<std::string>{"C:\\APPS\\QIVA_IMPORT.INI",
                                "C:\\Users\\ana\\AppData\\Roaming\\QIVA_IMPORT\\QIVA_IMPORT.INI"}));
}

TEST(Places, firstConfigurationThatIsAFileWinsAndAGivenOneIsNeverReplaced) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX paths on a POSIX file system";
#endif
  ScratchDir dir;
  PlaceEnvironment env = Posix();
  env.xdgConfigHome = dir.file("user");
  env.systemConfigFolder = dir.file("etc");
  const std::string beside = dir.file("bin/QIVA_IMPORT.INI");
  const std::string user = dir.file("user/qiva-import/QIVA_IMPORT.INI");
  const std::string system = dir.file("etc/QIVA_IMPORT.INI");

  ConfigurationChoice choice = ChooseConfiguration("", beside, env);
  EXPECT_FALSE(choice.found);
  EXPECT_EQ(choice.chosen.path, beside);  // the first place is the one a message names
  EXPECT_EQ(choice.tried, (std::vector<std::string>{beside, user, system}));

  std::filesystem::create_directories(dir.file("etc"));
  WriteFileBytes(system, "driver=sqlite\r\n");
  EXPECT_EQ(ChooseConfiguration("", beside, env).chosen.source, "system");
  // A folder where the user's file would be is not a configuration.
  std::filesystem::create_directories(user);
  EXPECT_EQ(ChooseConfiguration("", beside, env).chosen.path, system);
  std::filesystem::remove(user);
  WriteFileBytes(user, "driver=sqlite\r\n");
  EXPECT_EQ(ChooseConfiguration("", beside, env).chosen.path, user);
  std::filesystem::create_directories(dir.file("bin"));
  WriteFileBytes(beside, "driver=sqlite\r\n");
  EXPECT_EQ(ChooseConfiguration("", beside, env).chosen.source, "beside the program");

  choice = ChooseConfiguration(dir.file("none.ini"), beside, env);
  EXPECT_FALSE(choice.found);
  EXPECT_EQ(choice.chosen.path, dir.file("none.ini"));
  EXPECT_EQ(choice.chosen.source, "--config");
}

TEST(Places, logsGoToTheKeysFolderElseTheProgramFolderElseTheStateFolder) {
  PlaceEnvironment env = Posix();
  LogFolderChoice logs = ChooseLogFolder("", "/opt/q/QIVA_IMPORT.INI", "/opt/q", env);
  EXPECT_EQ(logs.folder, "/opt/q");
  EXPECT_EQ(logs.source, "program folder");
  EXPECT_TRUE(logs.refused.empty());

  logs = ChooseLogFolder("/var/log/qiva-import", "/etc/qiva-import/QIVA_IMPORT.INI", "/opt/q", env);
  EXPECT_EQ(logs.folder, "/var/log/qiva-import");
  EXPECT_EQ(logs.source, "logs=");
  // A relative folder is taken beside the configuration, like a relative database.
  EXPECT_EQ(ChooseLogFolder("logs", "/srv/c/QIVA_IMPORT.INI", "/opt/q", env).folder, "/srv/c/logs");

  env = Posix({"/opt/q"});
  logs = ChooseLogFolder("", "/opt/q/QIVA_IMPORT.INI", "/opt/q", env);
  EXPECT_EQ(logs.folder, "/home/ana/.local/state/qiva-import");
  EXPECT_EQ(logs.source, "state folder");
  EXPECT_EQ(logs.refused, (std::vector<std::string>{"/opt/q: Permission denied"}));
  EXPECT_EQ(LogFolderWarnings(logs), "");  // the documented fallback needs no warning
  env.xdgStateHome = "/state";
  EXPECT_EQ(ChooseLogFolder("", "", "/opt/q", env).folder, "/state/qiva-import");

  PlaceEnvironment windows;
  windows.windows = true;
  windows.localAppData = "C:\\Users\\ana\\AppData\\Local";
  windows.makeWritable = [](const std::string& folder, std::string& why) {
    why = "Access is denied";
    return folder != "C:\\Program Files\\QIVA_IMPORT";
  };
  logs = ChooseLogFolder("", "", "C:\\Program Files\\QIVA_IMPORT", windows);
  EXPECT_EQ(logs.folder, "C:\\Users\\ana\\AppData\\Local\\QIVA_IMPORT");
  EXPECT_EQ(ChooseLogFolder("D:\\logs", "", "C:\\Q", windows).folder, "D:\\logs");
}

// Root may write /usr/bin; the logs of an installed program still never go there.
TEST(Places, systemProgramFolderIsNeverALogFolder) {
  const LogFolderChoice logs = ChooseLogFolder("", "", "/usr/bin", Posix());
  EXPECT_EQ(logs.folder, "/home/ana/.local/state/qiva-import");
  ASSERT_EQ(logs.refused.size(), 1u);
  EXPECT_EQ(logs.refused[0].rfind("/usr/bin: ", 0), 0u);
  EXPECT_EQ(ChooseLogFolder("", "", "/usr/local/bin", Posix()).source, "state folder");
  EXPECT_EQ(ChooseLogFolder("", "", "/usr2/bin", Posix()).source, "program folder");
}

TEST(Places, refusedLogsKeyIsNoticedAndNoFolderAtAllIsWarned) {
  PlaceEnvironment env = Posix({"/var/log/qiva-import"});
  LogFolderChoice logs = ChooseLogFolder("/var/log/qiva-import", "", "/opt/q", env);
  EXPECT_EQ(logs.folder, "/home/ana/.local/state/qiva-import");
  EXPECT_EQ(LogFolderWarnings(logs),
            "notice: the logs go to /home/ana/.local/state/qiva-import, not to the logs= folder:\n"
            "  /var/log/qiva-import: Permission denied\n");

  env = Posix({"/opt/q", "/home/ana/.local/state/qiva-import"});
  logs = ChooseLogFolder("", "", "/opt/q", env);
  EXPECT_EQ(logs.folder, "");
  EXPECT_EQ(logs.source, "");
  EXPECT_EQ(LogFolderWarnings(logs),
            "warning: no folder for the logs can be written, _TRACE.LOG and _database.log are "
            "lost:\n"
            "  /opt/q: Permission denied\n"
            "  /home/ana/.local/state/qiva-import: Permission denied\n");
  env.home.clear();  // no state folder to fall back to
  EXPECT_EQ(ChooseLogFolder("", "", "/opt/q", env).refused.size(), 1u);
}

TEST(Places, writeProbeCreatesMissingFoldersAndLeavesNothingBehind) {
  ScratchDir dir;
  std::string why;
  ASSERT_TRUE(MakeWritableFolder(dir.file("a/b/c"), why)) << why;
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("a/b/c")));
  EXPECT_TRUE(std::filesystem::is_empty(dir.file("a/b/c")));

  WriteFileBytes(dir.file("file"), "x");
  EXPECT_FALSE(MakeWritableFolder(dir.file("file/logs"), why));
  EXPECT_FALSE(why.empty());
  why.clear();
  EXPECT_FALSE(MakeWritableFolder(dir.file("file"), why));
  EXPECT_FALSE(why.empty());
}

TEST(Places, relativeEmbeddedDatabaseLivesBesideItsConfiguration) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX paths on a POSIX file system";
#endif
  ScratchDir dir;
  auto database = [&](const std::string& text) {
    WriteFileBytes(dir.file("c.ini"), text);
    INILoader configuration;
    EXPECT_TRUE(configuration.Load(dir.file("c.ini")));
    return ConfiguredDatabase(configuration, dir.file("c.ini"));
  };
  EXPECT_EQ(database("driver=sqlite\r\ndatabase=q.db\r\n"), dir.file("q.db"));
  EXPECT_EQ(database("driver=SQLite\r\ndatabase=/srv/q.db\r\n"), "/srv/q.db");
  EXPECT_EQ(database("server=SRV\r\ndatabase=CLINIC\r\n"), "CLINIC");
  EXPECT_EQ(database("driver=sqlite\r\n"), "");
}

TEST(Places, settlingReadsTheLogsKeyAndMovesTheUpdateLogWithTheLogs) {
#ifdef _WIN32
  // The POSIX rules on the real file system need POSIX paths; the Windows rules have their own
  // lookup tests above.
  GTEST_SKIP() << "POSIX path rules on a POSIX file system";
#endif
  ScratchDir dir;
  WriteFileBytes(dir.file("QIVA_IMPORT.INI"), "driver=sqlite\r\nlogs=journal\r\n");
  ProgramPaths paths = ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix);
  PlaceEnvironment env = Posix();
  env.makeWritable = MakeWritableFolder;
  const Places places = SettlePlaces(paths, "", env);
  EXPECT_TRUE(places.configurationLoaded);
  EXPECT_EQ(paths.configurationPath, dir.file("QIVA_IMPORT.INI"));
  EXPECT_EQ(paths.logFolder, dir.file("journal"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("journal")));
  EXPECT_EQ(paths.updateLogPath, dir.file("journal/QIVA_IMPORT_update.LOG"));

  // Without the key the logs stay beside the program, and so does the update log.
  WriteFileBytes(dir.file("QIVA_IMPORT.INI"), "driver=sqlite\r\n");
  paths = ProgramPathsFor(dir.file("qiva_import"), PathRules::Posix);
  SettlePlaces(paths, "", env);
  EXPECT_EQ(paths.logFolder, dir.path().string());
  EXPECT_EQ(paths.updateLogPath, dir.file("QIVA_IMPORT_update.LOG"));
}

}  // namespace
