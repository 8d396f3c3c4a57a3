// Tests of the installer signatures and of the maker's tool qiva-update-sign: a manifest the
// tool writes is accepted by the update check; keys are never overwritten; every malformed
// input is refused rather than trusted.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "base/ProgramPaths.h"
#include "base/TraceLog.h"
#include "base/tests/TestSupport.h"
#include "update/UpdateChecker.h"
#include "update/UpdateSignature.h"
#include "update/tests/TestHttpServer.h"
#include "update/tools/UpdateSignTool.h"

namespace {

using namespace qiva::update;
using qiva::test::ReadFileBytes;
using qiva::test::ScratchDir;
using qiva::test::WriteFileBytes;

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

ToolRun RunTool(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunUpdateSignTool(args, out, err);
  return {status, out.str(), err.str()};
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(UpdateSignature, verifiesOnlyTheSignedVersionAndBytesWithTheMatchingKey) {
  const SigningKeys keys = *GenerateSigningKeys();
  EXPECT_EQ(PublicKeyOf(keys.secretKey), keys.publicKey);
  const std::string signature = *SignInstaller(keys.secretKey, "2020081102", "installer");
  EXPECT_TRUE(VerifyInstaller(keys.publicKey, signature, "2020081102", "installer"));
  // Line breaks and blanks around or inside the base64 text are tolerated.
  EXPECT_TRUE(VerifyInstaller(keys.publicKey,
                              "\n  " + signature.substr(0, 40) + "\n" + signature.substr(40) + "\n",
                              "2020081102", "installer"));

  EXPECT_FALSE(VerifyInstaller(keys.publicKey, signature, "2020081103", "installer"));
  EXPECT_FALSE(VerifyInstaller(keys.publicKey, signature, "2020081102", "installer!"));
  // The line feed between the two parts keeps them apart: "20200811" + "02\n..." differs.
  EXPECT_FALSE(VerifyInstaller(keys.publicKey, signature, "20200811", "02\ninstaller"));
  EXPECT_FALSE(
      VerifyInstaller(GenerateSigningKeys()->publicKey, signature, "2020081102", "installer"));
  // Text of the wrong length or alphabet, and each key in the other's place.
  for (const std::string& bad : {std::string(), std::string("===="), signature.substr(4),
                                 signature + signature, keys.publicKey}) {
    EXPECT_FALSE(VerifyInstaller(keys.publicKey, bad, "2020081102", "installer")) << bad;
  }
  for (const std::string& bad : {std::string(), std::string("*") + keys.publicKey.substr(1),
                                 keys.publicKey.substr(4), keys.secretKey}) {
    EXPECT_FALSE(VerifyInstaller(bad, signature, "2020081102", "installer")) << bad;
  }
  EXPECT_FALSE(SignInstaller(keys.publicKey, "2020081102", "installer"));
}

TEST(UpdateSignTool, keygenWritesAnOwnerOnlyKeyFileAndNeverReplacesOne) {
  ScratchDir dir;
  const std::string keyFile = dir.file("release.key");
  const ToolRun made = RunTool({"keygen", keyFile});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(std::filesystem::status(keyFile).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(RunTool({"public", keyFile}).out, made.out);

  const std::string before = ReadFileBytes(keyFile);
  const ToolRun again = RunTool({"keygen", keyFile});
  EXPECT_EQ(again.status, 1);
  EXPECT_TRUE(again.out.empty());
  EXPECT_EQ(ReadFileBytes(keyFile), before);

  WriteFileBytes(dir.file("setup.bin"), "bytes");
  WriteFileBytes(dir.file("not-a-key"), "hello");
  EXPECT_EQ(RunTool({"sign", dir.file("not-a-key"), "2020081102", dir.file("setup.bin")}).status,
            1);
  EXPECT_EQ(RunTool({"sign", keyFile, "2020081102", dir.file("missing.bin")}).status, 1);
  EXPECT_EQ(RunTool({"sign", keyFile, "2020081102"}).status, 2);
  EXPECT_EQ(RunTool({}).status, 2);

  const ToolRun signed_ = RunTool({"sign", keyFile, "2020081102", dir.file("setup.bin")});
  ASSERT_EQ(signed_.status, 0);
  EXPECT_TRUE(VerifyInstaller(FirstLine(made.out), FirstLine(signed_.out), "2020081102", "bytes"));
}

TEST(UpdateSignTool, manifestItWritesIsAcceptedByTheUpdateCheck) {
  ScratchDir maker;
  ScratchDir program;
  qiva::test::TestHttpServer server;
  const std::string keyFile = maker.file("release.key");
  const std::string publicKey = FirstLine(RunTool({"keygen", keyFile}).out);
  const std::string installer = "#!/bin/sh\necho new release\n";
  WriteFileBytes(maker.file("setup.bin"), installer);
  const std::string installerUrl = "http://" + server.authority() + "/files/setup.bin?a=1&b=2";
  const ToolRun manifest =
      RunTool({"manifest", keyFile, "2020081102", installerUrl, maker.file("setup.bin")});
  ASSERT_EQ(manifest.status, 0) << manifest.err;
  server.Route("/download/qiva_import/qiva_import_version.xml",
               qiva::test::Reply(200, manifest.out));
  server.Route("/files/setup.bin?a=1&b=2", qiva::test::Reply(200, installer));

  const std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(program.path());
  SetUpdateLogPath(program.file("QIVA_IMPORT_update.LOG"));
  std::vector<std::string> launched;
  UpdateCheckHooks hooks;
  hooks.sleep = [](std::chrono::milliseconds) {};
  hooks.launch = [&](const std::string& command, const std::string&) {
    launched.push_back(command);
  };
  hooks.exitProgram = [] {};
  UpdateChecker({server.authority(), publicKey, "2020081101", {}}, hooks);
  SetUpdateLogPath("");
  std::filesystem::current_path(saved);
  EXPECT_EQ(launched, std::vector<std::string>{kInstallerCommand});
  EXPECT_EQ(ReadFileBytes(program.file(kInstallerFile)), installer);
}

}  // namespace
