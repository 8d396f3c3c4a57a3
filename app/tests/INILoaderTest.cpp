// Tests of the configuration file's line, key and value rules.
#include <gtest/gtest.h>

#include "app/INILoader.h"
#include "base/tests/TestSupport.h"

namespace {

using qiva::test::ScratchDir;
using qiva::test::WriteFileBytes;

class INILoaderTest : public ::testing::Test {
 protected:
  INILoader load(const std::string& bytes) {
    WriteFileBytes(dir.file("QIVA_IMPORT.INI"), bytes);
    INILoader loader;
    EXPECT_TRUE(loader.Load(dir.file("QIVA_IMPORT.INI")));
    return loader;
  }
  ScratchDir dir;
};

TEST_F(INILoaderTest, readsTheFourConnectionKeys) {
  INILoader ini = load(
      "server=SRV01\\SQLEXPRESS\r\ndatabase=CLINIC\r\nuser=importer\r\npass=s3cr\xC4\x83t\r\n");
  EXPECT_EQ(ini.GetValue("server"), "SRV01\\SQLEXPRESS");
  EXPECT_EQ(ini.GetValue("database"), "CLINIC");
  EXPECT_EQ(ini.GetValue("user"), "importer");
  EXPECT_EQ(ini.GetValue("pass"), "s3cr\xC4\x83t");
}

TEST_F(INILoaderTest, matchesKeysInAnyCaseAndTheFirstDuplicateWins) {
  INILoader ini = load("SERVER=one\rServer=two\rserver=three");
  std::string value;
  EXPECT_TRUE(ini.GetValue(value, "sErVeR"));
  EXPECT_EQ(value, "one");
}

TEST_F(INILoaderTest, keepsBlanksBeforeTheEqualsSignInTheKey) {
  INILoader ini = load("  server = SRV01\r\n");
  std::string value = "stale";
  EXPECT_FALSE(ini.GetValue(value, "server"));
  EXPECT_EQ(value, "");
  EXPECT_EQ(ini.GetValue("server "), "SRV01");
}

TEST_F(INILoaderTest, cutsTheValueAtTheNextEqualsSignAfterLeadingBlanks) {
  INILoader ini = load("pass= x=y\r\nuser=a b \r\n");
  EXPECT_EQ(ini.GetValue("pass"), "x");
  EXPECT_EQ(ini.GetValue("user"), "a b ");
}

TEST_F(INILoaderTest, readsALineFeedOnlyFileAsOneLineAndSaysSo) {
  INILoader ini = load("server=A\ndatabase=B\nuser=C\n");
  EXPECT_EQ(ini.GetValue("server"), "A\ndatabase");
  EXPECT_EQ(ini.GetValue("database"), "");
  EXPECT_EQ(ini.entries().size(), 1u);
  EXPECT_TRUE(ini.lineFeedsOnly());
  EXPECT_FALSE(load("server=A\r\ndatabase=B\n").lineFeedsOnly());
  EXPECT_FALSE(load("server=A").lineFeedsOnly());
}

// A folder opens like an empty file on some systems; it is no configuration.
TEST_F(INILoaderTest, failsOnAFolder) {
  INILoader ini = load("server=A");
  EXPECT_FALSE(ini.Load(dir.path().string()));
}

TEST_F(INILoaderTest, loadsAnEmptyFileWithNoEntries) {
  INILoader ini = load("");
  EXPECT_TRUE(ini.entries().empty());
  EXPECT_EQ(ini.GetValue("server"), "");
}

TEST_F(INILoaderTest, passesOverAByteOrderMarkAtTheStartOnly) {
  INILoader ini = load("\xEF\xBB\xBFserver=A\r\nuser=B\r\n");
  EXPECT_EQ(ini.GetValue("server"), "A");
  EXPECT_EQ(ini.GetValue("user"), "B");
  INILoader later = load("server=A\r\n\xEF\xBB\xBFuser=B\r\n");
  EXPECT_EQ(later.GetValue("user"), "");
  EXPECT_EQ(later.GetValue("\xEF\xBB\xBFuser"), "B");
}

TEST_F(INILoaderTest, turnsLinesWithoutEqualsIntoKeysWithEmptyValues) {
  INILoader ini = load("[Connection]\r\n\r\n; comment\r\nserver=A\r\n");
  ASSERT_EQ(ini.entries().size(), 3u);
  EXPECT_EQ(ini.entries()[0].key, "[Connection]");
  EXPECT_EQ(ini.entries()[0].value, "");
  EXPECT_EQ(ini.GetValue("server"), "A");
}

TEST_F(INILoaderTest, stopsAtTheFirstOverLongLineKeepingEarlierEntries) {
  INILoader ini = load("server=A\r\nnote=" + std::string(1020, 'x') + "\r\nuser=B\r\n");
  EXPECT_EQ(ini.GetValue("server"), "A");
  EXPECT_EQ(ini.GetValue("note"), "");
  EXPECT_EQ(ini.GetValue("user"), "");
  INILoader exact = load("note=" + std::string(1019, 'x') + "\r\nuser=B");
  EXPECT_EQ(exact.GetValue("user"), "B");
}

// A value cut at a zero byte would reach the server changed: the file is refused whole.
TEST_F(INILoaderTest, refusesAFileHoldingAZeroByte) {
  const std::string path = dir.file("QIVA_IMPORT.INI");
  INILoader ini = load("server=A\r\n");
  EXPECT_FALSE(ini.heldZeroByte());
  WriteFileBytes(path, std::string("server=A\r\npass=se\0cret\r\n", 23));
  EXPECT_FALSE(ini.Load(path));
  EXPECT_TRUE(ini.heldZeroByte());
  WriteFileBytes(path, "server=B\r\n");
  EXPECT_TRUE(ini.Load(path));
  EXPECT_FALSE(ini.heldZeroByte());
  EXPECT_EQ(ini.GetValue("server"), "B");
}

TEST_F(INILoaderTest, holdsLongKeysAndValuesWhole) {
  const std::string key(300, 'k');
  const std::string value(700, 'v');
  INILoader ini = load(key + "=" + value);
  EXPECT_EQ(ini.GetValue(key), value);
}

TEST_F(INILoaderTest, failsOnAMissingFileAndKeepsNoStaleEntriesAfterReload) {
  INILoader ini = load("server=A");
  EXPECT_FALSE(ini.Load(dir.file("absent.ini")));
  WriteFileBytes(dir.file("second.ini"), "user=B");
  ASSERT_TRUE(ini.Load(dir.file("second.ini")));
  EXPECT_EQ(ini.GetValue("server"), "");
  EXPECT_EQ(ini.GetValue("user"), "B");
}

}  // namespace
