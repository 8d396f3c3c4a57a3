// Tests of the log entry layout and of the trace and update logs.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <regex>

#include "base/LogWriter.h"
#include "base/TraceLog.h"
#include "base/tests/TestSupport.h"

namespace {

using qiva::test::ReadFileBytes;
using qiva::test::ScratchDir;

// Runs the body with the current directory set to a scratch folder, then restores it.
class InScratchDir : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
  }
  void TearDown() override { std::filesystem::current_path(saved); }
  ScratchDir dir;
  std::filesystem::path saved;
};

TEST(LogEntry, storesEveryLineFeedAsCarriageReturnLineFeed) {
  EXPECT_EQ(qiva::FormatLogEntry("[2021.3.7 9.5.3]->", "Check update"),
            "\r\n[2021.3.7 9.5.3]->Check update");
  EXPECT_EQ(qiva::FormatLogEntry("[S]->", "a\nb\r\nc\n"), "\r\n[S]->a\r\nb\r\r\nc\r\n");
}

// A value with a line break and a stamp of its own must not read as a second entry.
TEST(LogEntry, aContinuationLineNeverStartsWithABracket) {
  EXPECT_EQ(qiva::FormatLogEntry("[S]->", "insert 'x\n[2021.3.1 10.0.0]->forged'"),
            "\r\n[S]->insert 'x\r\n [2021.3.1 10.0.0]->forged'");
  EXPECT_EQ(qiva::FormatLogEntry("[S]->", "a\r[b\r\n[c\n\n[d"),
            "\r\n[S]->a\r [b\r\r\n [c\r\n\r\n [d");
  // Only a line's first character counts, and the message's own start is the stamp's.
  EXPECT_EQ(qiva::FormatLogEntry("[S]->", "[a] x[b]\n c[d]"), "\r\n[S]->[a] x[b]\r\n c[d]");
}

TEST(LogEntry, stampsWithoutLeadingZeros) {
  EXPECT_TRUE(std::regex_match(
      qiva::LogStampNow(), std::regex(R"(\[[1-9][0-9]{3}\.[1-9][0-9]?\.[1-9][0-9]? )"
                                      R"((0|[1-9][0-9]?)\.(0|[1-9][0-9]?)\.(0|[1-9][0-9]?)\]->)")));
}

TEST_F(InScratchDir, traceLogStartsANewFileWithAnEmptyLineAndKeepsOrder) {
  TraceLog("first");
  TraceLog("second");
  const std::string bytes = ReadFileBytes("_TRACE.LOG");
  EXPECT_TRUE(
      std::regex_match(bytes, std::regex("\r\n\\[[0-9. ]+\\]->first\r\n\\[[0-9. ]+\\]->second")))
      << bytes;
}

TEST_F(InScratchDir, writesMessagesOfAnyLengthWhole) {
  const std::string big(50000, 'x');
  TraceLog(big);
  EXPECT_NE(ReadFileBytes("_TRACE.LOG").find(big), std::string::npos);
}

TEST_F(InScratchDir, updateLogWritesOnlyOnceItsPathIsSet) {
  SetUpdateLogPath("");
  UpdateLog("lost");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  SetUpdateLogPath(dir.file("QIVA_IMPORT_update.LOG"));
  UpdateLog("Check update");
  SetUpdateLogPath("");
  EXPECT_NE(ReadFileBytes(dir.file("QIVA_IMPORT_update.LOG")).find("]->Check update"),
            std::string::npos);
}

TEST_F(InScratchDir, dropsEntriesSilentlyInAnUnwritableFolder) {
#ifdef _WIN32
  const bool writesAnywhere = true;  // no owner permissions to take away here
#else
  const bool writesAnywhere = ::geteuid() == 0;
#endif
  if (writesAnywhere) {
    // root writes anywhere; a path under a regular file can never be opened.
    qiva::test::WriteFileBytes("plain", "x");
    qiva::AppendLogEntry("plain/_TRACE.LOG", "dropped");
    EXPECT_EQ(ReadFileBytes("plain"), "x");
    return;
  }
  std::filesystem::create_directory("locked");
  std::filesystem::permissions(
      "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  qiva::AppendLogEntry("locked/_TRACE.LOG", "dropped");
  EXPECT_FALSE(std::filesystem::exists("locked/_TRACE.LOG"));
}

}  // namespace
