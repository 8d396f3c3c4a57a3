// SchemaTest.cpp: a new embedded database gets the schema script; the locations script and the
// activation procedure work on it; an existing file is opened as it is.
#include <gtest/gtest.h>

#include <filesystem>

#include "db/sqlite/SchemaScripts.h"
#include "db/sqlite/SqliteEngine.h"
#include "db/sqlite/tests/EngineTestSupport.h"

namespace qiva::db::testing {
namespace {

class SchemaTest : public EngineTest {};

TEST_F(SchemaTest, NewFileIsCreatedWithEveryTableAndReopenedAsItIs) {
  EXPECT_TRUE(engine_->createdDatabase());
  EXPECT_EQ(engine_->databaseFile(), std::filesystem::absolute(db_.path()).string());
  EXPECT_TRUE(std::filesystem::exists(db_.path()));
  for (const char* table :
       {"QIVA_ICD10", "QIVA_PHYSICIANS", "QIVA_DRUGS", "QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS",
        "QIVA_STOCKS_ERRORS_RETURNED", "n_locations", "QIVA_P_SERVICES"}) {
    EXPECT_EQ(
        Value(std::string("SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_NAME='") +
              table + "'"),
        table);
  }
  // Tables that the imports create themselves are not in the schema.
  EXPECT_EQ(
      Value(
          "SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_NAME='E_QIVA_ERROR_FILES'"),
      "<none>");
  EXPECT_EQ(Value("SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE "
                  "TABLE_NAME='QIVA_MEDICAL_SUPPLIES'"),
            "<none>");
  Exec("insert into n_locations (locationName) values ('Cluj')");
  engine_->close();

  auto again = CreateSqliteEngine();
  ASSERT_TRUE(again->open(db_.connectionString()));
  EXPECT_FALSE(again->createdDatabase());
  ResultSet rs;
  ASSERT_TRUE(
      again->query("select id, locationName  from n_locations order by locationName desc ", rs));
  ASSERT_EQ(rs.rows.size(), 1u);
  EXPECT_EQ(std::get<std::string>(rs.rows[0][1]), "Cluj");
}

TEST_F(SchemaTest, LocationColumnQueryWithAndWithoutTheColumn) {
  const std::string check =
      " select column_name from information_schema.columns where table_name = "
      "'QIVA_DAILY_CASES_TARIFFS' and column_name='locationid'";
  EXPECT_TRUE(Column(check).empty());
  ASSERT_TRUE(RunLocationsScript(*engine_)) << engine_->lastError().description;
  EXPECT_EQ(Column(check), std::vector<std::string>{"locationid"});
  ASSERT_TRUE(RunLocationsScript(*engine_)) << "the script can run twice";
  Exec(" delete from QIVA_DAILY_CASES_TARIFFS  where locationid=7 ");
  Exec(
      "INSERT INTO QIVA_DAILY_CASES_TARIFFS "
      "(SERVICE_CODE,NAME,DEPARTMENT_CODE,TARIFF,NO_CONTRACTED_DAILY_CASES,VALID_FROM,VALID_TO, "
      "locationID )"
      "VALUES ('S1','n','D',12.5,3,convert (datetime,'2021-01-01',120), null ,7)");
  EXPECT_EQ(Value("select locationid from QIVA_DAILY_CASES_TARIFFS where SERVICE_CODE='s1'"), "7");
  EXPECT_EQ(Value("select TARIFF from QIVA_DAILY_CASES_TARIFFS"), "12.5");
}

TEST_F(SchemaTest, ActivationProcedureRecordsTheList) {
  Exec(
      "INSERT INTO QIVA_PHYSICIANS "
      "(PID,NAME,LASTNAME,FIRSTNAME,STENCIL,VALIDFROM,VALIDTO)\t\t\t\t\t\tVALUES "
      "('','POP ION','POP','ION','A1',convert (datetime,'2020-01-01',120), null )");
  Exec("exec QIVA_PHYSICIANS_ACTIVATE");
  EXPECT_EQ(Value("select PhysicianCount from QIVA_PHYSICIANS_ACTIVATIONS"), "1");
  EXPECT_EQ(Value("select count(*) from QIVA_PHYSICIANS_ACTIVATIONS where ActivatedAt is not null"),
            "1");
  EXPECT_FALSE(engine_->execute("exec NO_SUCH_PROCEDURE"));
  EXPECT_EQ(LastNumber(), 2812);
}

TEST(SchemaScripts, SplitAtGoLines) {
  EXPECT_EQ(SplitScriptBatches("a\nGO\n  go  \nb\nc\ngo"),
            (std::vector<std::string>{"a\n", "b\nc\n"}));
  EXPECT_EQ(SplitScriptBatches("select 'GO'\ngood"),
            (std::vector<std::string>{"select 'GO'\ngood\n"}));
}

TEST(SchemaOpen, EmptyFileIsGivenTheSchema) {
  TempDatabase db;
  FILE* f = std::fopen(db.path().c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  auto engine = CreateSqliteEngine();
  ASSERT_TRUE(engine->open(db.connectionString()));
  EXPECT_TRUE(engine->createdDatabase());
  EXPECT_TRUE(engine->execute("insert into n_locations (locationName) values ('Cluj')"));
}

TEST(SchemaOpen, UnusableFileIsReportedAndNotReplaced) {
  TempDatabase db;
  {
    FILE* f = std::fopen(db.path().c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("this is not a database, just some text that is long enough to fill a header page",
               f);
    std::fclose(f);
  }
  auto engine = CreateSqliteEngine();
  EXPECT_FALSE(engine->open(db.connectionString()));
  EXPECT_EQ(engine->lastError().providerErrors.at(0).number, 4060);
  EXPECT_TRUE(std::filesystem::exists(db.path()));
  EXPECT_FALSE(engine->execute("select 1"));
}

}  // namespace
}  // namespace qiva::db::testing
