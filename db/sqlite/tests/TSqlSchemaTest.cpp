// TSqlSchemaTest.cpp: schema statements on the embedded engine (keys, defaults, identity,
// foreign keys, ALTER and DROP) and how the catalogue keeps them across a reopen.
#include <gtest/gtest.h>

#include "db/sqlite/SqliteEngine.h"
#include "db/sqlite/tests/EngineTestSupport.h"

namespace qiva::db::testing {
namespace {

class TSqlSchemaTest : public EngineTest {
 protected:
  // Runs `sql`, expecting it to fail with SQL Server message `number`.
  void Refused(const std::string& sql, long number) {
    EXPECT_FALSE(engine_->execute(sql)) << sql;
    EXPECT_EQ(LastNumber(), number) << sql << "\n -> " << engine_->lastError().description;
  }
};

TEST_F(TSqlSchemaTest, CreateTableRefusesDuplicatesAndUnknownTypes) {
  Exec("CREATE TABLE T1 (id int IDENTITY(1,1) NOT NULL, a varchar(10) NULL)");
  Refused("CREATE TABLE t1 (b int)", 2714);
  Refused("CREATE TABLE T2 (a int, A varchar(3))", 2705);
  Refused("CREATE TABLE T3 (a geography)", 2715);
  Refused("CREATE TABLE T4 (a int IDENTITY(1,1), b int IDENTITY(1,1))", 2744);
  EXPECT_EQ(Value("select count(*) n from INFORMATION_SCHEMA.TABLES where TABLE_NAME = 'T2' or "
                  "TABLE_NAME = 'T3' or TABLE_NAME = 'T4'"),
            "0");
}

TEST_F(TSqlSchemaTest, IdentitySeedsAndRefusesExplicitValues) {
  Exec("CREATE TABLE S (ID int IDENTITY(100,1) NOT NULL, v int NULL)");
  Exec("insert into S (v) values (1) insert into S (v) values (2)");
  EXPECT_EQ(Column("select ID from S order by ID"), (std::vector<std::string>{"100", "101"}));
  Refused("insert into S (ID, v) values (5, 3)", 544);
  Refused("update S set ID = 7 where v = 1", 8102);
  Exec("delete from S");
  Exec("insert into S (v) values (3)");
  EXPECT_EQ(Value("select max(ID) m from S"), "102");  // identity values are not reused
}

TEST_F(TSqlSchemaTest, KeysDefaultsAndForeignKeysSurviveAReopen) {
  Exec("CREATE TABLE P (ID int IDENTITY(1,1) NOT NULL, code varchar(5) NOT NULL)");
  Exec(
      "ALTER TABLE P WITH NOCHECK ADD CONSTRAINT PK_P_code PRIMARY KEY CLUSTERED (code) ON "
      "[PRIMARY]");
  Exec(
      "CREATE TABLE C (ID int IDENTITY(1,1) NOT NULL, PID int NOT NULL, flag bit NOT NULL, at "
      "datetime NOT NULL)");
  Exec(
      "ALTER TABLE C ADD CONSTRAINT DF_C_flag DEFAULT (1) FOR flag, CONSTRAINT DF_C_at DEFAULT "
      "(getdate()) FOR at");
  Exec("ALTER TABLE C ADD CONSTRAINT FK_C_P FOREIGN KEY (PID) REFERENCES P (ID)");
  engine_->close();
  ASSERT_TRUE(engine_->open(db_.connectionString()));
  Exec("insert into P (code) values ('a')");
  Refused("insert into P (code) values ('A')", 2627);  // the key compares without regard to case
  Exec("insert into C (PID) values (1)");
  EXPECT_EQ(Value("select flag from C"), "1");
  Refused("insert into C (PID) values (2)", 547);
  Refused("update C set PID = 2", 547);
  Refused("delete from P", 547);
  Refused("ALTER TABLE C ADD CONSTRAINT DF_C_flag2 DEFAULT (0) FOR flag", 1781);
  Refused("drop table P", 3726);
  Exec("drop table C");
  Exec("delete from P");  // the child's triggers went with it
  EXPECT_EQ(Value("select count(*) n from P"), "0");
}

TEST_F(TSqlSchemaTest, AlterTableAddsAndChangesColumns) {
  Exec("CREATE TABLE A (ID int IDENTITY(1,1) NOT NULL, name varchar(20) NULL)");
  Exec("insert into A (name) values ('abcdefghij') insert into A (name) values (NULL)");
  Exec("ALTER TABLE A ADD score int NOT NULL DEFAULT 5");
  EXPECT_EQ(Column("select score from A order by ID"), (std::vector<std::string>{"5", "5"}));
  Refused("ALTER TABLE A ADD other int NOT NULL", 4901);
  Refused("alter table A alter column name varchar(5)", 2628);
  Refused("alter table A alter column name varchar(20) NOT NULL", 515);
  Refused("alter table A alter column nosuch varchar(5)", 4924);
  Refused("alter table NOSUCH alter column name varchar(5)", 4902);
  Exec("alter table A alter column name varchar(10)");
  Refused("insert into A (name) values ('abcdefghijk')", 2628);
  EXPECT_EQ(Value("select IS_NULLABLE from information_schema.columns where table_name='A' and "
                  "column_name='score'"),
            "NO");
}

TEST_F(TSqlSchemaTest, IndexesAndDrops) {
  Exec("CREATE TABLE X (ID int IDENTITY(1,1) NOT NULL, code varchar(5) NULL)");
  Exec(
      "CREATE UNIQUE NONCLUSTERED INDEX IX_X_code ON [dbo].[X] ([code] ASC) WITH (PAD_INDEX = OFF) "
      "ON [PRIMARY]");
  Refused("CREATE INDEX IX_X_code ON X (code)", 1913);
  Refused("CREATE INDEX IX_X_other ON X (nosuch)", 1911);
  Exec("insert into X (code) values ('a')");
  Refused("insert into X (code) values ('a')", 2627);
  Exec("drop table X");
  Refused("drop table X", 3701);
  Exec("DROP TABLE IF EXISTS X");
  Exec("CREATE TABLE X (code int NULL)");  // the name is free again
}

TEST_F(TSqlSchemaTest, ProcedureBodiesRunWhenExecutedAndNestingIsLimited) {
  Exec("CREATE TABLE L (ID int IDENTITY(1,1) NOT NULL, at datetime NOT NULL DEFAULT (getdate()))");
  Exec("CREATE PROCEDURE [dbo].[ADD_ONE] AS insert into L DEFAULT VALUES");
  Refused("CREATE PROCEDURE ADD_ONE AS select 1", 2714);
  Refused("CREATE PROCEDURE BROKEN AS insert into L values (", 102);
  Exec("exec ADD_ONE exec ADD_ONE");
  EXPECT_EQ(Value("select count(*) n from L"), "2");
  Exec("CREATE PROCEDURE LOOPS AS exec LOOPS");
  Refused("exec LOOPS", 217);
  EXPECT_EQ(Value("select count(*) n from sysobjects where xtype = 'P'"), "3");
}

TEST_F(TSqlSchemaTest, SchemaErrorsUndoTheWholeStatement) {
  Exec("CREATE TABLE P (ID int IDENTITY(1,1) NOT NULL)");
  // The second constraint fails: the first must not stay behind.
  Refused(
      "ALTER TABLE P ADD CONSTRAINT DF_1 DEFAULT (0) FOR ID, CONSTRAINT FK_X FOREIGN KEY (ID) "
      "REFERENCES NOSUCH (ID)",
      1767);
  EXPECT_EQ(Value("select COLUMN_DEFAULT from information_schema.columns where table_name='P' and "
                  "column_name='ID'"),
            "NULL");
  Refused("CREATE TABLE Q (ID int NULL, CONSTRAINT FK_Q FOREIGN KEY (ID) REFERENCES NOSUCH (ID))",
          1767);
  EXPECT_EQ(Value("select count(*) n from INFORMATION_SCHEMA.TABLES where TABLE_NAME = 'Q'"), "0");
}

}  // namespace
}  // namespace qiva::db::testing
