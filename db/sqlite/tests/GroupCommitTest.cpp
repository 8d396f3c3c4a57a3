// GroupCommitTest.cpp: the embedded engine commits statements in groups, yet every statement
// that returned true is on disk before a query, after Close and at process exit, and a failed
// statement takes none of its group with it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "db/sqlite/SqliteEngine.h"
#include "db/sqlite/tests/EngineTestSupport.h"

namespace qiva::db::testing {
namespace {

std::string CountIn(const TempDatabase& db, const std::string& table) {
  auto reader = CreateSqliteEngine();
  if (!reader->open(db.connectionString())) return "open failed";
  ResultSet rs;
  if (!reader->query("select count(*) n from " + table, rs) || rs.rows.empty())
    return "query failed";
  return ValueText(rs.rows[0][0]);
}

TEST(GroupCommit, RowsAreVisibleToAnotherConnectionAfterAQuery) {
  TempDatabase db;
  auto engine = CreateSqliteEngine();
  ASSERT_TRUE(engine->open(db.connectionString()));
  for (int i = 0; i < 50; ++i)
    ASSERT_TRUE(engine->execute("insert into QIVA_PERSON_STATES (code,description) values ('" +
                                std::to_string(i) + "','d')"));
  ResultSet rs;
  ASSERT_TRUE(engine->query("select max(id) UID from QIVA_PERSON_STATES", rs));
  EXPECT_EQ(CountIn(db, "QIVA_PERSON_STATES"), "50");
}

TEST(GroupCommit, AnIdleGroupIsCommittedWithoutFurtherCalls) {
  TempDatabase db;
  auto engine = CreateSqliteEngine();
  ASSERT_TRUE(engine->open(db.connectionString()));
  ASSERT_TRUE(engine->execute(
      "insert into QIVA_PERSON_STATES (code,description) values ('last','row of an import')"));
  // The import has ended: nothing more is sent, yet the row reaches the file.
  std::string count;
  for (int i = 0; i < 100 && count != "1"; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    count = CountIn(db, "QIVA_PERSON_STATES");
  }
  EXPECT_EQ(count, "1");
}

TEST(GroupCommit, AFailedStatementKeepsTheRestOfItsGroupAndCloseCommits) {
  TempDatabase db;
  {
    auto engine = CreateSqliteEngine();
    ASSERT_TRUE(engine->open(db.connectionString()));
    ASSERT_TRUE(
        engine->execute("insert into QIVA_PERSON_STATES (code,description) values ('a','d')"));
    EXPECT_FALSE(engine->execute("insert into QIVA_PERSON_STATES (code,description) values ('" +
                                 std::string(200, 'x') + "','d')"));
    EXPECT_FALSE(
        engine->execute("insert into QIVA_ICD10 (code,VALID_FROM) values ('b','not a date')"));
    ASSERT_TRUE(
        engine->execute("insert into QIVA_PERSON_STATES (code,description) values ('c','d')"));
    ASSERT_TRUE(engine->close());
  }
  EXPECT_EQ(CountIn(db, "QIVA_PERSON_STATES"), "2");
  EXPECT_EQ(CountIn(db, "QIVA_ICD10"), "0");
}

TEST(GroupCommit, SchemaChangedByAnotherConnectionIsSeen) {
  TempDatabase db;
  auto first = CreateSqliteEngine();
  ASSERT_TRUE(first->open(db.connectionString()));
  ASSERT_TRUE(first->execute("delete from QIVA_DAILY_SERVICES_TARIFFS"));
  ResultSet rs;
  ASSERT_TRUE(
      first->query("select count(*) n from QIVA_DAILY_SERVICES_TARIFFS", rs));  // ends the group
  {
    auto second = CreateSqliteEngine();
    ASSERT_TRUE(second->open(db.connectionString()));
    ASSERT_TRUE(second->execute(
        "ALTER TABLE [dbo].[QIVA_DAILY_SERVICES_TARIFFS] ADD [locationid] [int] NULL"));
  }
  EXPECT_TRUE(first->execute(" delete from QIVA_DAILY_SERVICES_TARIFFS  where locationid=3 "))
      << first->lastError().description;
}

TEST(GroupCommit, RepeatedTextAfterAnotherConnectionsSchemaChangeIsTranslatedAgain) {
  TempDatabase db;
  auto first = CreateSqliteEngine();
  ASSERT_TRUE(first->open(db.connectionString()));
  const std::string insert = "insert into QIVA_PERSON_STATES (code,description) values ('a','b')";
  ASSERT_TRUE(first->execute(insert));
  ASSERT_TRUE(first->execute(insert));  // now remembered by its shape
  ResultSet rs;
  ASSERT_TRUE(first->query("select count(*) n from QIVA_PERSON_STATES", rs));
  {
    auto second = CreateSqliteEngine();
    ASSERT_TRUE(second->open(db.connectionString()));
    ASSERT_TRUE(
        second->execute("ALTER TABLE QIVA_PERSON_STATES ADD [rank] int NOT NULL DEFAULT 9"));
  }
  ASSERT_TRUE(first->execute(insert)) << first->lastError().description;
  ASSERT_TRUE(first->query("select min([rank]) n from QIVA_PERSON_STATES", rs));
  EXPECT_EQ(ValueText(rs.rows.at(0).at(0)), "9");
}

TEST(GroupCommitDeathTest, RowsOfAnEngineLeftOpenAreCommittedAtExit) {
  // A fixed path: where death tests re-run the test in a new process, both must meet there.
  const auto dir = std::filesystem::temp_directory_path() / "qiva_sqlite_exit_test";
  const std::string connection = "DRIVER={sqlite};DATABASE=" + (dir / "exit.db").string();
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  {
    auto engine = CreateSqliteEngine();  // create the file (and its schema) first
    ASSERT_TRUE(engine->open(connection));
  }
  EXPECT_EXIT(
      {
        auto* engine = CreateSqliteEngine().release();  // never closed, never destroyed
        if (!engine->open(connection)) std::exit(2);
        for (int i = 0; i < 10; ++i)
          engine->execute("insert into QIVA_PERSON_STATES (code,description) values ('" +
                          std::to_string(i) + "','d')");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  auto reader = CreateSqliteEngine();
  ASSERT_TRUE(reader->open(connection));
  ResultSet rs;
  ASSERT_TRUE(reader->query("select count(*) n from QIVA_PERSON_STATES", rs));
  EXPECT_EQ(ValueText(rs.rows.at(0).at(0)), "10");
  reader->close();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

}  // namespace
}  // namespace qiva::db::testing
