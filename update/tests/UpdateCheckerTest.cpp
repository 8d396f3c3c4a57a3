// End-to-end tests of the update check against the tests' loopback HTTP server: the update
// log entry by entry, and what the check shows, starts and ends. The waits, the message, the
// start of the installer and the end of the program are hooks that only record.
#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <mutex>
#include <regex>
#include <thread>

#include "base/ProgramPaths.h"
#include "base/TraceLog.h"
#include "base/tests/TestSupport.h"
#include "update/UpdateChecker.h"
#include "update/UpdateSignature.h"
#include "update/tests/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;
using namespace qiva::update;
using qiva::test::HttpReply;
using qiva::test::ReadFileBytes;
using qiva::test::Reply;
using qiva::test::ScratchDir;
using qiva::test::TestHttpServer;
using Entries = std::vector<std::string>;

constexpr const char* kInstallerPath = "/download/qiva_import/setup.bin";
const std::string kInstaller = std::string("#!/bin/sh\necho installing\n\0\x01\xfe", 29);

// The messages of an update log, line feeds as written (the file stores them as CR LF).
Entries ReadLogMessages(const std::string& path) {
  const std::string text = ReadFileBytes(path);
  static const std::regex stamp(R"(\r\n\[\d+\.\d+\.\d+ \d+\.\d+\.\d+\]->)");
  Entries messages;
  std::sregex_token_iterator piece(text.begin(), text.end(), stamp, -1);
  for (++piece; piece != std::sregex_token_iterator(); ++piece) {
    messages.push_back(std::regex_replace(piece->str(), std::regex("\r\n"), "\n"));
  }
  return messages;
}

class UpdateCheckerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    SetProgramFolder(dir.path().string());
    SetUpdateLogPath(dir.file("QIVA_IMPORT_update.LOG"));
    keys = *GenerateSigningKeys();
    settings = {server.authority(), keys.publicKey, "2020081101", {}};
    hooks.download.limits = {1s, 1s, 1s};
    hooks.sleep = [this](std::chrono::milliseconds d) {
      Record("sleep " + std::to_string(d.count()));
    };
    hooks.showMessage = [this](const std::string& text) { Record("message " + text); };
    hooks.launch = [this](const std::string& command, const std::string& folder) {
      Record("launch " + command);
      launchedIn = folder;
    };
    hooks.exitProgram = [this] { Record("exit"); };
  }
  void TearDown() override {
    SetUpdateLogPath("");
    SetProgramFolder("");
    std::filesystem::current_path(saved);
  }

  void Record(const std::string& event) {
    std::lock_guard lock(eventsMutex);
    events.push_back(event);
  }
  std::string ManifestUrlHere() const { return ManifestUrl(server.authority()); }
  std::string InstallerUrl() const { return "http://" + server.authority() + kInstallerPath; }
  std::string Manifest(const std::string& version, const std::string& installerUrl,
                       const std::optional<std::string>& signature) const {
    std::string xml = "<?xml version=\"1.0\"?>\n<appinfo>\n<version>" + version +
                      "</version>\n<installer>" + installerUrl + "</installer>\n";
    if (signature) xml += "<signature>" + *signature + "</signature>\n";
    return xml + "</appinfo>\n";
  }
  // Publishes `version` with `installer`, signed for that version by our key.
  void Publish(const std::string& version, const std::string& installer = kInstaller) {
    server.Route("/download/qiva_import/qiva_import_version.xml",
                 Reply(200, Manifest(version, InstallerUrl(),
                                     SignInstaller(keys.secretKey, version, installer))));
    server.Route(kInstallerPath, Reply(200, installer));
  }
  void PublishManifest(const std::string& xml) {
    server.Route("/download/qiva_import/qiva_import_version.xml", Reply(200, xml));
  }
  // Runs one check from a fresh log and event list; returns the log's messages.
  Entries Check() {
    std::filesystem::remove(UpdateLogPath());
    events.clear();
    EXPECT_EQ(UpdateChecker(settings, hooks), 0);
    return ReadLogMessages(UpdateLogPath());
  }
  Entries FoundNothingNew() const {
    return {"Check update", "After download", "Succes download " + ManifestUrlHere() + "\n"};
  }
  Entries FoundNothingNewThen(std::initializer_list<std::string> more) const {
    Entries entries = FoundNothingNew();
    entries.insert(entries.end(), more);
    return entries;
  }

  TestHttpServer server;
  ScratchDir dir;
  std::filesystem::path saved;
  SigningKeys keys;
  UpdateCheckSettings settings;
  UpdateCheckHooks hooks;
  std::mutex eventsMutex;
  Entries events;
  std::string launchedIn;
};

TEST_F(UpdateCheckerTest, versionThatIsNotNewerInstallsNothingAndLogsNoFailure) {
  for (const char* version : {"2020081101", "2020081100", "10000000000", "1"}) {
    SCOPED_TRACE(version);
    Publish(version);
    const std::size_t requestsBefore = server.Requests().size();
    EXPECT_EQ(Check(), FoundNothingNew());
    EXPECT_EQ(events, Entries{"sleep 3000"});
    EXPECT_EQ(server.Requests().size(), requestsBefore + 1);  // the manifest alone
  }
}

TEST_F(UpdateCheckerTest, newerSignedInstallerIsAnnouncedStartedAndEndsTheProgram) {
  // Text comparison: a longer stamp or a lone 9 counts as newer too.
  for (const char* version : {"2020081102", "9", "20200811010"}) {
    SCOPED_TRACE(version);
    Publish(version);
    EXPECT_EQ(Check(), FoundNothingNew());
    const Entries expected = {"sleep 3000", std::string("message ") + kUpdateMessage,
                              std::string("launch ") + kInstallerCommand, "sleep 7000", "exit"};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(launchedIn, dir.path().string());  // the current directory, where it was saved
    EXPECT_EQ(ReadFileBytes(kInstallerFile), kInstaller);
    EXPECT_EQ(std::filesystem::status(kInstallerFile).permissions(),
              std::filesystem::perms::owner_all);
  }
  EXPECT_EQ(std::string(kUpdateMessage),
            "Un nou update a fost publicat\nApasati OK pentru actualizarea aplicatiei !");
  EXPECT_EQ(std::string(kInstallerCommand), "sleep 1; ./update_qiva_import");
}

// Logs kept away from the program folder (a logs= key, or a program folder that cannot be
// written) take the downloads with them: the installer starts from the folder it was saved in,
// whatever the program folder and the current directory are.
TEST_F(UpdateCheckerTest, installerStartsFromTheFolderItWasSavedIn) {
  ScratchDir logs;
  ScratchDir elsewhere;
  settings.downloadFolder = logs.path().string();
  std::filesystem::current_path(elsewhere.path());
  const std::string installer = "#!/bin/sh\npwd > started-in\n";
  Publish("2020081102", installer);
  EXPECT_EQ(Check(), FoundNothingNew());
  EXPECT_EQ(launchedIn, logs.path().string());
  EXPECT_EQ(ReadFileBytes(logs.file(kInstallerFile)), installer);
  EXPECT_TRUE(std::filesystem::exists(logs.file(kManifestFile)));
  for (const auto* folder : {&dir, &elsewhere}) {
    EXPECT_FALSE(std::filesystem::exists(folder->file(kInstallerFile)));
    EXPECT_FALSE(std::filesystem::exists(folder->file(kManifestFile)));
  }

  // Started for real, by the launcher the program uses: the command finds the installer.
  hooks.launch = nullptr;
  Check();
  const std::string marker = logs.file("started-in");
  std::string startedIn;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (startedIn.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
    if (std::filesystem::exists(marker)) startedIn = ReadFileBytes(marker);
  }
  startedIn = startedIn.substr(0, startedIn.find('\n'));
  EXPECT_EQ(std::filesystem::weakly_canonical(startedIn),
            std::filesystem::weakly_canonical(logs.path()));
}

TEST_F(UpdateCheckerTest, installerWhoseSignatureDoesNotVerifyIsNeverStarted) {
  const std::string version = "2020081102";
  const SigningKeys stranger = *GenerateSigningKeys();
  const std::optional<std::string> signatures[] = {
      std::nullopt,                                             // none published
      SignInstaller(keys.secretKey, version, "other bytes"),    // another installer
      SignInstaller(stranger.secretKey, version, kInstaller),   // another key
      SignInstaller(keys.secretKey, "2020081001", kInstaller),  // an old release, replayed
      std::string("not base64 at all"),
  };
  server.Route(kInstallerPath, Reply(200, kInstaller));
  for (const auto& signature : signatures) {
    SCOPED_TRACE(signature.value_or("(none)"));
    PublishManifest(Manifest(version, InstallerUrl(), signature));
    EXPECT_EQ(Check(),
              FoundNothingNewThen({"Failed to verify " + InstallerUrl(), "\nFailed to UPDATE"}));
    EXPECT_EQ(events, Entries{"sleep 3000"});
    // A refused installer does not stay in the program folder.
    EXPECT_FALSE(std::filesystem::exists(kInstallerFile));
  }
}

TEST_F(UpdateCheckerTest, buildWithoutAPublicKeyNeverFetchesNorStartsAnInstaller) {
  settings.publicKey.clear();
  Publish("2020081102");
  EXPECT_EQ(Check(), FoundNothingNewThen({"No update public key configured: installer " +
                                              InstallerUrl() + " not started",
                                          "\nFailed to UPDATE"}));
  EXPECT_EQ(events, Entries{"sleep 3000"});
  EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(UpdateCheckerTest, installerThatCannotBeFetchedIsLoggedAndNothingStarts) {
  const std::string refused =
      "http://127.0.0.1:" + std::to_string(qiva::test::ClosedLoopbackPort()) + kInstallerPath;
  const std::string missing = "http://" + server.authority() + "/download/qiva_import/gone.bin";
  // A signed installer from an earlier check still lies in the folder: it is not started.
  qiva::test::WriteFileBytes(kInstallerFile, kInstaller);
  for (const std::string& url : {refused, missing}) {
    SCOPED_TRACE(url);
    PublishManifest(
        Manifest("2020081102", url, SignInstaller(keys.secretKey, "2020081102", kInstaller)));
    EXPECT_EQ(Check(), FoundNothingNewThen({"Failed to download " + url, "\nFailed to UPDATE"}));
    EXPECT_EQ(events, Entries{"sleep 3000"});
  }
}

TEST_F(UpdateCheckerTest, manifestThatIsNotAWholeAppinfoDocumentFailsTheCheck) {
  const Entries notFetched = {"Check update", "Failed to download " + ManifestUrlHere(),
                              "\nFailed to UPDATE"};
  // An error page, even with a newer manifest from an earlier check still in the folder.
  qiva::test::WriteFileBytes(kManifestFile, Manifest("2030010101", InstallerUrl(), "x"));
  EXPECT_EQ(Check(), notFetched);
  EXPECT_EQ(ReadFileBytes(kManifestFile), Manifest("2030010101", InstallerUrl(), "x"));

  server.Route("/download/qiva_import/qiva_import_version.xml",
               HttpReply{{"HTTP/1.0 200 OK\r\nContent-Length: 500\r\n\r\n<appinfo>"}});
  EXPECT_EQ(Check(), notFetched);  // cut short

  PublishManifest("<html><body><h1>Service Unavailable</h1></body></html>");
  EXPECT_EQ(Check(), (Entries{"Check update", "After download", "\nFailed to UPDATE"}));

  PublishManifest("<appinfo><version>2020081102</version><installer></installer></appinfo>");
  EXPECT_EQ(Check(), FoundNothingNewThen({"\nFailed to UPDATE"}));
  PublishManifest("<appinfo><installer>" + InstallerUrl() + "</installer></appinfo>");
  EXPECT_EQ(Check(), FoundNothingNewThen({"\nFailed to UPDATE"}));
  EXPECT_EQ(events, Entries{"sleep 3000"});
}

// The manifest and the installer each have a size and a time limit (shortened here); beyond
// them the download fails like any other, and nothing of it is kept.
TEST_F(UpdateCheckerTest, downloadsBeyondTheirLimitsFailTheCheck) {
  hooks.manifestMaxBytes = 2000;
  hooks.installerMaxBytes = kInstaller.size() - 1;
  Publish("2020081102");
  EXPECT_EQ(Check(),
            FoundNothingNewThen({"Failed to download " + InstallerUrl(), "\nFailed to UPDATE"}));
  EXPECT_FALSE(std::filesystem::exists(kInstallerFile));

  const Entries manifestFailed = {"Check update", "Failed to download " + ManifestUrlHere(),
                                  "\nFailed to UPDATE"};
  std::string padded = Manifest("2020081102", InstallerUrl(), "x");
  padded.insert(padded.find("<appinfo>"), "<!--" + std::string(2000, ' ') + "-->");
  PublishManifest(padded);
  std::filesystem::remove(kManifestFile);
  EXPECT_EQ(Check(), manifestFailed);
  EXPECT_FALSE(std::filesystem::exists(kManifestFile));

  hooks.manifestDeadline = 150ms;
  server.Route("/download/qiva_import/qiva_import_version.xml",
               HttpReply{{"HTTP/1.0 200 OK\r\n\r\n", "<", "a", "p", "p", "i", "n", "f", "o"},
                         HttpReply::End::Close,
                         50ms});
  EXPECT_EQ(Check(), manifestFailed);
  EXPECT_EQ(events, Entries{"sleep 3000"});
}

// A manifest's URL with a line break and a stamp cannot forge an entry of the update log.
TEST_F(UpdateCheckerTest, urlsAreLoggedWithTheirControlCharactersEscaped) {
  settings.publicKey.clear();
  const std::string forged = InstallerUrl() + "\r\n[2021.3.1 10.0.0]->Succes\x1b[2J";
  PublishManifest(Manifest("2020081102", forged, std::nullopt));
  EXPECT_EQ(Check(),
            FoundNothingNewThen({"No update public key configured: installer " + InstallerUrl() +
                                     "%0D%0A[2021.3.1 10.0.0]->Succes%1B[2J not started",
                                 "\nFailed to UPDATE"}));
  EXPECT_EQ(LoggedUrl("http://a/b?c=d%20e"), "http://a/b?c=d%20e");
  EXPECT_EQ(LoggedUrl(std::string("a\0b\x7f", 4)), "a%00b%7F");
}

TEST_F(UpdateCheckerTest, serverThatIsClosedOrSilentFailsTheCheck) {
  settings.server = "127.0.0.1:" + std::to_string(qiva::test::ClosedLoopbackPort());
  EXPECT_EQ(Check(), (Entries{"Check update", "Failed to download " + ManifestUrl(settings.server),
                              "\nFailed to UPDATE"}));

  settings.server = server.authority();
  server.Route("/download/qiva_import/qiva_import_version.xml",
               HttpReply{{}, HttpReply::End::Hang});
  hooks.download.limits.idle = 100ms;
  EXPECT_EQ(Check(), (Entries{"Check update", "Failed to download " + ManifestUrlHere(),
                              "\nFailed to UPDATE"}));
  server.ReleaseHanging();
}

TEST_F(UpdateCheckerTest, startRunsTheCheckOnItsOwnThreadAndOnlyWithAServer) {
  StartUpdateChecker({"", keys.publicKey, "2020081101", {}}, hooks);
  EXPECT_EQ(ReadLogMessages(UpdateLogPath()),
            Entries{"No update server configured: the update check does not run"});
  EXPECT_TRUE(server.Requests().empty());

  // The first wait holds the check's thread, not the caller's.
  std::filesystem::remove(UpdateLogPath());
  Publish("2020081101");
  std::promise<void> go;
  std::shared_future<void> started = go.get_future().share();
  hooks.sleep = [started](std::chrono::milliseconds) { started.wait(); };
  StartUpdateChecker(settings, hooks);
  EXPECT_FALSE(std::filesystem::exists(UpdateLogPath()));
  go.set_value();
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (ReadLogMessages(UpdateLogPath()).size() < 3 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_EQ(ReadLogMessages(UpdateLogPath()), FoundNothingNew());
}

}  // namespace
