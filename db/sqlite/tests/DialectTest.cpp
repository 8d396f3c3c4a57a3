// DialectTest.cpp: the T-SQL the embedded engine accepts, as one table: each construct that the
// imports, the schema scripts, the command line, the run lock and the stand-in's tests send runs,
// and constructs that none of them sends are refused with a message instead of being run.
#include <gtest/gtest.h>

#include <string>

#include "db/sqlite/tests/EngineTestSupport.h"

namespace qiva::db::testing {
namespace {

struct Accepted {
  const char* construct;
  const char* sql;
};

// In order: later statements use the tables, rows and procedure that earlier ones made.
constexpr Accepted kAccepted[] = {
    {"CREATE TABLE with IDENTITY, defaults and keys",
     "CREATE TABLE [dbo].[P] ([ID] [int] IDENTITY (1, 1) NOT NULL , [code] [varchar] (10) NOT "
     "NULL , [at] [datetime] NULL CONSTRAINT [DF_P_at] DEFAULT (getdate()), CONSTRAINT [PK_P] "
     "PRIMARY KEY CLUSTERED ([ID]) ON [PRIMARY]) ON [PRIMARY]"},
    {"CREATE TABLE with a FOREIGN KEY",
     "CREATE TABLE C (ID int IDENTITY(1,1) NOT NULL, PID int NOT NULL, n decimal(10,2) NULL, "
     "CONSTRAINT FK_C_P FOREIGN KEY (PID) REFERENCES P (ID))"},
    {"ALTER TABLE ADD column", "ALTER TABLE C ADD note varchar(20) NULL"},
    {"ALTER TABLE ADD CONSTRAINT", "ALTER TABLE C ADD CONSTRAINT DF_C_n DEFAULT (0) FOR n"},
    {"ALTER TABLE ALTER COLUMN", "ALTER TABLE C ALTER COLUMN note varchar(30) NULL"},
    {"CREATE INDEX", "CREATE UNIQUE INDEX IX_P_code ON P (code)"},
    {"DROP TABLE and DROP TABLE IF EXISTS",
     "CREATE TABLE Z (a int NULL) DROP TABLE Z DROP TABLE IF EXISTS Z"},
    {"INSERT ... VALUES with N'' text and CHAR", "insert into P (code) values (N'a'+CHAR(10))"},
    {"INSERT with CONVERT and styles",
     "insert into P (code, at) values ('b', convert(datetime, '2021-04-12 15:30:12', 120))"},
    {"scope_identity",
     "insert into P (code) values ('c') insert into C (PID, n) values (scope_identity(), -1.5)"},
    {"UPDATE with REPLACE and NCHAR", "update P set code=replace(code, NCHAR(10), 'x')"},
    {"DELETE with BETWEEN, NOT BETWEEN, ISNULL and getdate",
     "delete from C where getdate() not between isnull(n, 0) and 1e9 and ID between 5 and 9"},
    {"SELECT with WHERE, arithmetic and text concatenation",
     "select ID * 2 + 1 - 3 / 1 % 5 as v, 'a' + code c from P where code <> 'z' and (ID >= 1 or "
     "ID < 0) and not ID != ID and -ID <= 0 and ID > -1"},
    {"SELECT with ORDER BY", "select PID, n from C order by PID"},
    {"ORDER BY ASC, DESC and an alias", "select code x from P order by x desc, ID asc"},
    {"max, min and count", "select max(ID) UID, min(ID) m, count(code) c from P"},
    {"IS NULL and IS NOT NULL", "select ID from P where at is not null or at is null"},
    {"subqueries, EXISTS and NOT EXISTS",
     "select (select count(*) from C) n from P p where exists (select 1 from C c where c.PID = "
     "p.ID) or not exists (select * from C)"},
    {"CAST, serverproperty, databasepropertyex, db_name and app_name",
     "select cast(serverproperty('ProductVersion') as varchar(128)) as version, "
     "cast(databasepropertyex(db_name(), 'Collation') as varchar(128)) as collation_name, "
     "app_name() as program"},
    {"INFORMATION_SCHEMA.TABLES",
     "SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_TYPE='BASE TABLE'"},
    {"INFORMATION_SCHEMA.COLUMNS",
     "select COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE, NUMERIC_PRECISION, "
     "NUMERIC_SCALE from INFORMATION_SCHEMA.COLUMNS where TABLE_NAME = 'C'"},
    {"IF NOT EXISTS on dbo.sysobjects, object_id and OBJECTPROPERTY",
     "if not exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[E]') and "
     "OBJECTPROPERTY(id, N'IsUserTable') = 1)begin CREATE TABLE [dbo].[E] ([ID] [int] IDENTITY "
     "(1, 1) NOT NULL) end"},
    {"IF ... ELSE with BEGIN ... END",
     "IF EXISTS (SELECT * FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_NAME = 'P' AND COLUMN_NAME "
     "= 'locationid') BEGIN PRINT 'x' END ELSE ALTER TABLE P ADD locationid int NULL"},
    {"CREATE PROCEDURE and EXEC", "CREATE PROCEDURE [dbo].[TOUCH] AS update P set at = getdate()"},
    {"EXEC of a stored procedure", "exec TOUCH"},
    {"sys.procedures", "select name from sys.procedures"},
    {"SET NOCOUNT and SET LOCK_TIMEOUT", "SET NOCOUNT ON SET LOCK_TIMEOUT -1 SET NOCOUNT OFF"},
    {"DECLARE, EXEC @r = sp_getapplock and a variable",
     "declare @r int; exec @r = sp_getapplock @Resource = N'QIVA_IMPORT x', @LockMode = "
     "'Exclusive', @LockOwner = 'Session', @LockTimeout = 0; select @r as lock_status"},
    {"sp_releaseapplock",
     "declare @r int = 0; exec @r = sp_releaseapplock @Resource = N'QIVA_IMPORT x', @LockOwner = "
     "'Session'; select @r as lock_status"},
};

struct Refused {
  const char* sql;
  long number;
  const char* message;
};

const Refused kRefused[] = {
    {"select CASE WHEN ID = 1 THEN 'a' ELSE 'b' END from P", 50000,
     "CASE is not supported by the embedded engine."},
    {"select ID from P where code in ('a', 'b')", 50000,
     "IN is not supported by the embedded engine."},
    {"delete from C where PID not in (select ID from P)", 50000,
     "IN is not supported by the embedded engine."},
    {"select DISTINCT code from P", 50000, "DISTINCT is not supported by the embedded engine."},
    {"select count(distinct code) from P", 50000,
     "DISTINCT is not supported by the embedded engine."},
    {"select TOP 1 code from P", 50000, "TOP is not supported by the embedded engine."},
    {"select ID from P where code like 'a%'", 50000,
     "LIKE is not supported by the embedded engine."},
    {"select ID from P where code not like '%b'", 50000,
     "LIKE is not supported by the embedded engine."},
    {"select PID, count(*) n from C group by PID", 50000,
     "GROUP BY is not supported by the embedded engine."},
    {"SET DATEFORMAT dmy", 50000, "SET DATEFORMAT is not supported by the embedded engine."},
    {"SET LANGUAGE british", 50000, "SET LANGUAGE is not supported by the embedded engine."},
    {"select sum(ID) from P", 195, "'SUM' is not a recognized built-in function name."},
    {"select avg(ID) from P", 195, "'AVG' is not a recognized built-in function name."},
    {"select upper(code) from P", 195, "'UPPER' is not a recognized built-in function name."},
    {"select len(code) from P", 195, "'LEN' is not a recognized built-in function name."},
    {"select substring(code, 1, 2) from P", 195,
     "'SUBSTRING' is not a recognized built-in function name."},
    {"select coalesce(code, 'x') from P", 195,
     "'COALESCE' is not a recognized built-in function name."},
    {"select left(code, 1) from P", 195, "'LEFT' is not a recognized built-in function name."},
    {"select name from sys.objects", 208, "Invalid object name 'objects'."},
};

class DialectTest : public EngineTest {};

TEST_F(DialectTest, EveryConstructTheSystemSendsRuns) {
  for (const Accepted& a : kAccepted) {
    EXPECT_TRUE(engine_->execute(a.sql))
        << a.construct << ": " << a.sql << "\n -> " << engine_->lastError().description;
  }
  EXPECT_EQ(Value("select count(*) from P where at is not null"), "3");
  EXPECT_EQ(Value("select count(*) from C"), "1");
}

TEST_F(DialectTest, ConstructsNothingSendsAreRefusedAndRunNothing) {
  for (const Accepted& a : kAccepted) {
    ASSERT_TRUE(engine_->execute(a.sql)) << a.sql;
  }
  for (const Refused& r : kRefused) {
    EXPECT_FALSE(engine_->execute(r.sql)) << r.sql;
    EXPECT_EQ(LastNumber(), r.number) << r.sql;
    EXPECT_EQ(engine_->lastError().description, r.message) << r.sql;
  }
  // A construct refused by the parse runs none of its text, like a syntax error.
  EXPECT_FALSE(engine_->execute("insert into C (PID) values (1) select TOP 1 code from P"));
  EXPECT_EQ(Value("select count(*) from C"), "1");
}

}  // namespace
}  // namespace qiva::db::testing
