// Tests of CAdoRecordset over a scripted engine: reading rows and typed fields, field names in
// any case, the fixed messages and the failure records with their labels.
#include <gtest/gtest.h>

#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "db/tests/DbTestSupport.h"
#include "db/tests/FakeEngine.h"

namespace {

using qiva::test::EngineScript;
using qiva::test::ReadFileBytes;
using qiva::test::ReadLogRecords;

class RecordsetTest : public qiva::test::InScratchFolder {
 protected:
  void SetUp() override {
    InScratchFolder::SetUp();
    qiva::test::UseFakeEngines(db, script);
    db.SetLogFile("_database.log");
    script->results["select id, name, price, note from T"] = {
        {"id", "Name", "PRICE", "note"},
        {{std::int32_t{7}, std::string("Ana"), 2.5, DbNull{}},
         {std::int32_t{-3}, std::string("\xC8\x98tefan"), 0.0, std::string("x")}}};
    script->results["select max(id) UID from E"] = {{"UID"}, {{DbNull{}}}};
    script->results["select id from Empty"] = {{"id"}, {}};
  }
  std::vector<std::string> labels() {
    std::vector<std::string> out;
    for (const auto& record : ReadLogRecords("_database.log"))
      out.push_back(record.substr(0, record.find('\n')));
    return out;
  }
  std::shared_ptr<EngineScript> script = std::make_shared<EngineScript>();
  CAdoDatabase db;
  CAdoRecordset rs;
};

TEST_F(RecordsetTest, readsEveryRowAndFieldWithItsTypeAndNamesInAnyCase) {
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  ASSERT_TRUE(rs.Open("select id, name, price, note from T", &db));
  EXPECT_EQ(rs.m_nRecordCount, 2);
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.GetFieldValue("ID"), DbValue(std::int32_t{7}));
  EXPECT_EQ(rs.GetFieldValue("name"), DbValue(std::string("Ana")));
  EXPECT_EQ(rs.GetFieldValue("Price"), DbValue(2.5));
  EXPECT_TRUE(IsNullValue(rs.GetFieldValue("NOTE")));
  EXPECT_TRUE(rs.MoveNext());
  DbValue value;
  ASSERT_TRUE(rs.GetFieldValue("iD", value));
  EXPECT_EQ(value, DbValue(std::int32_t{-3}));
  EXPECT_EQ(rs.GetFieldValue("NAME"), DbValue(std::string("\xC8\x98tefan")));
  EXPECT_FALSE(rs.MoveNext());
  EXPECT_TRUE(rs.IsEOF());
  rs.Close();
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_TRUE(labels().empty());
}

TEST_F(RecordsetTest, maxOverAnEmptyTableIsOneNullRowAndAnEmptyQueryIsAtEndAtOnce) {
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  ASSERT_TRUE(rs.Open("select max(id) UID from E", &db));
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_TRUE(IsNullValue(rs.GetFieldValue("uid")));
  rs.Close();
  // Later Opens keep the database given first.
  ASSERT_TRUE(rs.Open("select id from Empty"));
  EXPECT_EQ(rs.m_nRecordCount, 0);
  EXPECT_TRUE(rs.IsEOF());
  rs.Close();
  EXPECT_TRUE(labels().empty());
}

TEST_F(RecordsetTest, openWithoutAnyDatabaseGivesTheFixedMessageAndLogsNothing) {
  EXPECT_FALSE(rs.Open("select 1"));
  EXPECT_EQ(rs.m_szProviderError, "Error: adoDbf not initializated");
  EXPECT_EQ(rs.m_nRecordCount, -1);
  EXPECT_TRUE(rs.IsEOF());
  rs.Close();  // no database: nothing to log into
  EXPECT_EQ(rs.m_szProviderError, "Error: database object is NULL");
  EXPECT_TRUE(ReadFileBytes("_database.log").empty());
}

TEST_F(RecordsetTest, openOnADatabaseWithoutConnectionSaysSo) {
  ASSERT_TRUE(rs.Open("select id from Empty", &db) == false);
  EXPECT_EQ(rs.m_szProviderError, "Error:pConnection is NULL");
  EXPECT_NE(rs.m_szComError.find("Operation is not allowed when the object is closed."),
            std::string::npos);
  EXPECT_EQ(labels(), std::vector<std::string>{"CAdoRecordset::Open"});
}

TEST_F(RecordsetTest, failedQueryKeepsTheEngineTextsThenCloseLogsItsOwnFailure) {
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  script->failingStatements = {"select nope"};
  script->error.code = 207;
  script->error.meaning = "SQLSTATE 42S22: Column not found";
  script->error.source = "[unixODBC][FreeTDS][SQL Server]";
  script->error.description = "Invalid column name 'nope'.";
  script->error.providerErrors = {{207, "Invalid column name 'nope'."}};
  EXPECT_FALSE(rs.Open("select nope", &db));
  EXPECT_EQ(rs.m_nRecordCount, -1);
  EXPECT_EQ(rs.m_szProviderError, "\t Error number: cf\tInvalid column name 'nope'.");
  EXPECT_EQ(rs.m_szComError, FormatComError(script->error));
  EXPECT_TRUE(rs.IsEOF());
  rs.Close();
  EXPECT_EQ(labels(), (std::vector<std::string>{"CAdoRecordset::Open", "CAdoRecordset::Close"}));
  const auto records = ReadLogRecords("_database.log");
  EXPECT_EQ(records[0], "CAdoRecordset::Open\nComError: " + FormatComError(script->error) +
                            "\nProviderError: \t Error number: cf\tInvalid column name 'nope'.");
}

TEST_F(RecordsetTest, resultTooLargeForMemoryFailsTheOpenWithoutEscaping) {
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  script->queryRunsOutOfMemory = true;
  EXPECT_FALSE(rs.Open("select id from Empty", &db));
  EXPECT_EQ(rs.m_szComError, "Error:Can't create Recordset instance");
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_EQ(labels(), std::vector<std::string>{"CAdoRecordset::Open"});
}

TEST_F(RecordsetTest, unknownFieldLeavesTheOutputAndGivesAnEmptyValue) {
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  ASSERT_TRUE(rs.Open("select id, name, price, note from T", &db));
  DbValue out = std::string("kept");
  EXPECT_FALSE(rs.GetFieldValue("missing", out));
  EXPECT_EQ(out, DbValue(std::string("kept")));
  EXPECT_TRUE(IsEmptyValue(rs.GetFieldValue("missing")));
  EXPECT_NE(rs.m_szComError.find("\tCode = 800a0cc1\n"), std::string::npos);
  EXPECT_EQ(labels(), (std::vector<std::string>{"CAdoRecordset::GetFieldValue",
                                                "CAdoRecordset::GetFieldValue"}));
}

TEST_F(RecordsetTest, readingPastTheEndOrReopeningWithoutCloseFailsAndLogs) {
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  ASSERT_TRUE(rs.Open("select id from Empty", &db));
  EXPECT_FALSE(rs.MoveNext());
  EXPECT_TRUE(IsEmptyValue(rs.GetFieldValue("id")));
  EXPECT_FALSE(rs.Open("select max(id) UID from E"));
  EXPECT_EQ(labels(),
            (std::vector<std::string>{"CAdoRecordset::MoveNext", "CAdoRecordset::GetFieldValue",
                                      "CAdoRecordset::Open"}));
  rs.Close();
  ASSERT_TRUE(rs.Open("select max(id) UID from E"));
  EXPECT_EQ(rs.m_nRecordCount, 1);
}

TEST_F(RecordsetTest, queriesGoToTheTraceAndTheEngine) {
  ASSERT_TRUE(db.Open("h", "u", "p", "d"));
  ASSERT_TRUE(db.SetTraceFile("trace.sql"));
  ASSERT_TRUE(rs.Open(" select max(id) UID from E", &db));
  EXPECT_EQ(ReadFileBytes("trace.sql"), " select max(id) UID from E\nGO\n");
  EXPECT_EQ(script->journal.back(), "1:query: select max(id) UID from E");
}

}  // namespace
