// Tests of the program launcher: a real child runs in the program folder and both outcomes
// are noted in _TRACE.LOG.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "base/LaunchProgram.h"
#include "base/Platform.h"
#include "base/ProgramPaths.h"
#include "base/tests/TestSupport.h"

namespace {

using qiva::test::ReadFileBytes;
using qiva::test::ScratchDir;

class LaunchProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = std::filesystem::current_path();
    std::filesystem::current_path(logDir.path());
    SetProgramFolder(programDir.path().string());
  }
  void TearDown() override {
    SetProgramFolder("");
    std::filesystem::current_path(saved);
  }
  ScratchDir logDir;
  ScratchDir programDir;
  std::filesystem::path saved;
};

TEST_F(LaunchProgramTest, runsTheCommandInTheProgramFolderAndLogsSuccess) {
  ChildProcess child;
#ifdef _WIN32
  qiva::test::WriteFileBytes(programDir.file("installer.cmd"),
                             "@echo noisy\r\n@echo done> ran.txt\r\n");
  LaunchProgram("cmd /c installer.cmd --silent", child);
#else
  qiva::test::WriteFileBytes(programDir.file("installer.sh"), "echo noisy; echo done > ran.txt\n");
  LaunchProgram("sh ./installer.sh --silent", child);
#endif
  ASSERT_TRUE(child.started());
  EXPECT_EQ(child.wait(), 0);
#ifdef _WIN32
  EXPECT_EQ(ReadFileBytes(programDir.file("ran.txt")), "done\r\n");
#else
  EXPECT_EQ(ReadFileBytes(programDir.file("ran.txt")), "done\n");
#endif
  EXPECT_NE(ReadFileBytes("_TRACE.LOG").find("]->Succes create process"), std::string::npos);
  EXPECT_EQ(std::filesystem::current_path(), logDir.path());
}

#ifndef _WIN32
TEST_F(LaunchProgramTest, givesTheChildNoStandardInput) {
  ChildProcess child;
  LaunchProgram("read line; test -z \"$line\" && touch empty-input", child);
  ASSERT_TRUE(child.started());
  child.wait();
  EXPECT_TRUE(std::filesystem::exists(programDir.path() / "empty-input"));
}

TEST_F(LaunchProgramTest, childOutputGoesToTheNullDeviceNotToAnUnreadPipe) {
  // A pipe nobody reads would stall a talkative child once full, and kill it with SIGPIPE once
  // this program has ended (the installer outlives it).
  ChildProcess child;
  LaunchProgram(
      "echo noise; echo error >&2; "
      "test \"$(readlink /proc/$$/fd/1)\" = /dev/null && "
      "test \"$(readlink /proc/$$/fd/2)\" = /dev/null && touch quiet",
      child);
  ASSERT_TRUE(child.started());
  EXPECT_EQ(child.wait(), 0);
  EXPECT_TRUE(std::filesystem::exists(programDir.path() / "quiet"));
}
#endif

TEST_F(LaunchProgramTest, logsAFailedStart) {
  SetProgramFolder((programDir.path() / "missing-folder").string());
  ChildProcess child;
  LaunchProgram("true", child);
  EXPECT_FALSE(child.started());
  EXPECT_NE(ReadFileBytes("_TRACE.LOG").find("]->Error creating Process"), std::string::npos);
}

TEST(FileSizeByName, tellsMissingFilesFromSizes) {
  ScratchDir dir;
  EXPECT_EQ(FileSizeByName(dir.file("none")), -1);
  qiva::test::WriteFileBytes(dir.file("five"), "12345");
  EXPECT_EQ(FileSizeByName(dir.file("five")), 5);
}

TEST(ModuleFilePath, namesTheRunningTestProgram) {
  EXPECT_EQ(std::filesystem::path(ModuleFilePath()).stem(), "base_tests");
}

}  // namespace
