// SqliteEngineTest.cpp: the embedded engine through the DbEngine seam: SQL Server's behaviour
// for the statement shapes that the imports send.
#include <gtest/gtest.h>

#include "db/sqlite/SqliteEngine.h"
#include "db/sqlite/tests/EngineTestSupport.h"

namespace qiva::db::testing {
namespace {

class SqliteEngineTest : public EngineTest {};

TEST_F(SqliteEngineTest, DatetimeColumnsConvertTextAsSqlServerDoes) {
  Exec("CREATE TABLE D (id int IDENTITY(1,1) NOT NULL, d datetime NULL)");
  Exec("insert into D (d) values ('')");
  Exec("insert into D (d) values ('03/04/2021')");  // us_english: month first
  Exec("insert into D (d) values (convert (datetime,'2021-05-06 07:08:09',120))");
  Exec("insert into D (d) values (CONVERT(datetime,'2021-05-06T07:08',120))");
  Exec("insert into D (d) values ('20211231 23:59')");
  EXPECT_EQ(Column("select d from D order by id"),
            (std::vector<std::string>{"1900-01-01 00:00:00.000", "2021-03-04 00:00:00.000",
                                      "2021-05-06 07:08:09.000", "2021-05-06 07:08:00.000",
                                      "2021-12-31 23:59:00.000"}));
  // Text compared with a datetime column compares as a datetime.
  EXPECT_EQ(Value("select count(*) from D where d='19000101 00:00'"), "1");
  EXPECT_EQ(Value("select count(*) from D where d='1900-01-01 00:00:00.000'"), "1");
  EXPECT_EQ(Value("select count(*) from D where d between '2021-01-01' and '2021-06-01'"), "3");
}

TEST_F(SqliteEngineTest, UnconvertibleDateFailsWithMessage241) {
  Exec("CREATE TABLE D (id int IDENTITY(1,1) NOT NULL, d datetime NULL)");
  EXPECT_FALSE(engine_->execute("insert into D (d) values ('31/12/2021')"));  // month 31 under mdy
  EXPECT_EQ(LastNumber(), 242);
  EXPECT_FALSE(engine_->execute("insert into D (d) values (convert (datetime,'not a date',120))"));
  const EngineError& e = engine_->lastError();
  EXPECT_EQ(LastNumber(), 241);
  EXPECT_EQ(e.description,
            "Conversion failed when converting date and/or time from character string.");
  EXPECT_EQ(e.code, 0x80040E07UL);
  EXPECT_EQ(e.meaning, "IDispatch error #3079");
  EXPECT_EQ(e.source, "QIVA embedded SQL");
  EXPECT_EQ(Value("select count(*) from D"), "0");
}

TEST_F(SqliteEngineTest, GetdateHasOneValueWithinAStatement) {
  Exec(
      "CREATE TABLE G (id int IDENTITY(1,1) NOT NULL, a datetime NULL, b datetime NULL, c datetime "
      "NOT NULL DEFAULT (getdate()))");
  for (int i = 0; i < 200; ++i) Exec("insert into G (a,b) values (getdate(), getdate())");
  EXPECT_EQ(Value("select count(*) from G where a <> b or b <> c"), "0");
  EXPECT_EQ(
      Value("select count(*) from G where getdate() not between a and isnull(null,getdate())"),
      "0");
  const std::string today = Value("select convert(varchar(10),getdate(),103)");
  ASSERT_EQ(today.size(), 10u);
  EXPECT_EQ(today[2], '/');
  EXPECT_EQ(
      Value("select "
            "convert(varchar(8),convert(datetime,convert(varchar(10),getdate(),103),103),108)"),
      "00:00:00");
}

TEST_F(SqliteEngineTest, PlaceholderDatesAndTheNotValidTodayDeletes) {
  Exec("delete from QIVA_ICD10");
  const char* ins =
      "insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) values "
      "('%s','d','%s','%s',null)";
  const auto insert = [&](const char* code, const char* from, const char* to) {
    char buf[512];
    std::snprintf(buf, sizeof buf, ins, code, from, to);
    Exec(buf);
  };
  insert("PAST", "2001-01-01", "2002-01-01");
  insert("OPEN", "2001-01-01", "19000101 00:00");
  insert("NOW", "2001-01-01", "2999-01-01");
  insert("FUTURE", "2998-01-01", "2999-01-01");
  Exec(" update QIVA_ICD10 set valid_To=NULL where valid_to='19000101 00:00'");
  EXPECT_EQ(Value("select valid_To from QIVA_ICD10 where code='OPEN'"), "NULL");
  Exec(
      " delete from QIVA_ICD10 where convert(datetime,convert(varchar(10),getdate(),103),103) not "
      "between valid_from and ISNULL(valid_to,getdate()) ");
  EXPECT_EQ(Column("select code from QIVA_ICD10 order by code"),
            (std::vector<std::string>{"NOW", "OPEN"}));

  // Sections 1 and 8 store an absent end as '' (1 January 1900) and compare it written otherwise.
  Exec(
      "insert into QIVA_CLINIC_SERVICES "
      "(code,name,serviceGroup,isExam,opRoom,isConnectedService,validFrom,validTo) "
      "values ('C1','n','g',1,0,0,'2001-01-01','')");
  Exec(" update QIVA_CLINIC_SERVICES set validTo=NULL where validto='19000101 00:00'");
  EXPECT_EQ(Value("select validTo from QIVA_CLINIC_SERVICES"), "NULL");
  Exec(
      "insert into QIVA_LABORATORIES_SERVICES "
      "(code,name,highLevel,recByPC,Formula,InClinic,ValidFrom,validTo,ServiceType)"
      "\t\t\t\t\t\tvalues ('L1','n',1,0,1,0,'2001-01-01','',3)");
  Exec(
      "update qiva_laboratories_services set validto=null where validto='1900-01-01 00:00:00.000'");
  Exec(
      "delete from qiva_laboratories_services where getdate() not between validfrom and "
      "isnull(validto,getdate())");
  EXPECT_EQ(Value("select code from QIVA_LABORATORIES_SERVICES where validTo is null"), "L1");
}

TEST_F(SqliteEngineTest, IdentityDefaultsAndMaxIdReadBack) {
  EXPECT_EQ(Value(" select max(id) UID from QIVA_FEEDBACK "), "NULL");
  Exec(
      "insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType)VALUES "
      "(CONVERT(datetime,'2021-03-01 02:00',120),CONVERT(datetime,'2021-03-31',120),2 )");
  Exec(
      "insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType)VALUES "
      "(CONVERT(datetime,'2021-04-01',120),CONVERT(datetime,'2021-04-30',120),2 )");
  ResultSet rs;
  ASSERT_TRUE(engine_->query(" select max(id) UID from QIVA_FEEDBACK ", rs));
  ASSERT_EQ(rs.columns, std::vector<std::string>{"UID"});
  EXPECT_EQ(std::get<std::int32_t>(rs.rows.at(0).at(0)), 2);
  // The day case of the example, without the location column.
  Exec(
      "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, "
      "AppID,MedicalSheetNo,CaseId,StateCNAS,StateSNSPMS,TariffType)VALUES "
      "(40,77,'FO12','9','1',2,-1 )");
  EXPECT_EQ(Column("select TariffType from QIVA_FEEDBACK_HOSPITAL_DAY"),
            std::vector<std::string>{"-1"});
  EXPECT_FALSE(
      engine_->execute("INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, "
                       "AppID,MedicalSheetNo,CaseId,StateCNAS,StateSNSPMS,TariffType)VALUES "
                       "(40,,'FO12','9','1',2,-1 )"));
  EXPECT_EQ(LastNumber(), 102);
}

TEST_F(SqliteEngineTest, ConstraintsFailOnlyTheirStatement) {
  Exec(
      "CREATE TABLE C (id int IDENTITY(1,1) NOT NULL, code varchar(5) NOT NULL, flag bit NOT NULL "
      "default 0, n int NULL)");
  EXPECT_FALSE(
      engine_->execute("insert into C (code) values ('ok1') insert into C (n) values (1) insert "
                       "into C (code) values ('ok2')"));
  EXPECT_EQ(LastNumber(), 515);
  EXPECT_EQ(engine_->lastError().description,
            "Cannot insert the value NULL into column 'code', table 'QIVA_TEST.dbo.C'; column does "
            "not allow nulls. INSERT fails.");
  EXPECT_EQ(Column("select code from C order by id"), (std::vector<std::string>{"ok1", "ok2"}));
  EXPECT_FALSE(engine_->execute("insert into C (code) values ('toolong')"));
  EXPECT_EQ(LastNumber(), 2628);
  EXPECT_NE(engine_->lastError().description.find("String or binary data would be truncated"),
            std::string::npos);
  Exec(
      "insert into C (code, flag) values ('b', 7) insert into C (code, flag) values ('c', 'TRUE') "
      "insert into C (code, flag) values ('d', 0)");
  EXPECT_EQ(Column("select flag from C where code <= 'd' order by id"),
            (std::vector<std::string>{"1", "1", "0"}));
  // Text compares without regard to case.
  EXPECT_EQ(Value("select count(*) from C where code='OK1'"), "1");
  EXPECT_EQ(Value("select code from C where code >= 'OK' and code < 'OL' order by code desc"),
            "ok2");
}

TEST_F(SqliteEngineTest, ABadDateStopsTheRestOfTheText) {
  Exec("CREATE TABLE D (id int IDENTITY(1,1) NOT NULL, d datetime NULL)");
  EXPECT_FALSE(engine_->execute(
      " SET NOCOUNT ON \n\ninsert into D (d) values (convert (datetime,'2021-01-01',120))"
      "\ninsert into D (d) values (convert (datetime,'2021-13-01',120))"
      "\ninsert into D (d) values (convert (datetime,'2021-01-03',120))"));
  EXPECT_EQ(LastNumber(), 242);
  EXPECT_EQ(Column("select d from D"), std::vector<std::string>{"2021-01-01 00:00:00.000"});
  // A syntax error anywhere runs none of the statements.
  EXPECT_FALSE(engine_->execute(
      "insert into D (d) values ('2021-01-05') insert into D (d) values ('2021-01-06',)"));
  EXPECT_EQ(LastNumber(), 102);
  EXPECT_EQ(Value("select count(*) from D"), "1");
}

TEST_F(SqliteEngineTest, GuardedErrorFileScriptCreatesOnceWithKeysDefaultsAndForeignKey) {
  const std::string script =
      "if not exists (select * from dbo.sysobjects where id = "
      "object_id(N'[dbo].[E_QIVA_ERROR_FILES]') and OBJECTPROPERTY(id, N'IsUserTable') = 1)begin"
      "\tCREATE TABLE [dbo].[E_QIVA_ERROR_FILES] (\t[ID] [int] IDENTITY (1, 1) NOT NULL "
      ",\t[FileName] [varchar] (100) COLLATE SQL_Latin1_General_CP1_CI_AS NULL ,"
      "\t[ExportType] [varchar] (20) COLLATE SQL_Latin1_General_CP1_CI_AS NULL ,\t[InsertedDate] "
      "[datetime] NOT NULL \t) ON [PRIMARY]"
      "\tCREATE TABLE [dbo].[E_QIVA_ERROR_FILES_DETAILED] (\t[ID] [int] IDENTITY (1, 1) NOT NULL "
      ",\t[ErrorFileID] [int] NOT NULL ,"
      "\t[NodeName] [varchar] (100) COLLATE SQL_Latin1_General_CP1_CI_AS NULL ,\t[AppID] [int] NOT "
      "NULL ,\t[IsValid] [bit] NOT NULL ,"
      "\t[ErrorCode] [varchar] (20) COLLATE SQL_Latin1_General_CP1_CI_AS NOT NULL "
      ",\t[InsertedDate] [datetime] NOT NULL \t) ON [PRIMARY]"
      "\tALTER TABLE [dbo].[E_QIVA_ERROR_FILES] WITH NOCHECK ADD \tCONSTRAINT "
      "[PK_E_QIVA_ERROR_FILES] PRIMARY KEY  CLUSTERED \t(\t[ID]\t)  ON [PRIMARY] "
      "\tALTER TABLE [dbo].[E_QIVA_ERROR_FILES_DETAILED] WITH NOCHECK ADD \tCONSTRAINT "
      "[PK_E_QIVA_ERROR_FILES_DETAILED] PRIMARY KEY  CLUSTERED \t(\t[ID]\t)  ON [PRIMARY] "
      "\tALTER TABLE [dbo].[E_QIVA_ERROR_FILES] ADD \tCONSTRAINT "
      "[DF_E_QIVA_ERROR_FILES_InsertedDate] DEFAULT (getdate()) FOR [InsertedDate]"
      "\tALTER TABLE [dbo].[E_QIVA_ERROR_FILES_DETAILED] ADD \tCONSTRAINT "
      "[DF_E_QIVA_ERROR_FILES_DETAILED_IsValid] DEFAULT (0) FOR [IsValid],"
      "\tCONSTRAINT [DF_E_QIVA_ERROR_FILES_DETAILED_InsertedDate] DEFAULT (getdate()) FOR "
      "[InsertedDate]"
      "\t CREATE  INDEX [IX_E_QIVA_ERROR_FILES_DETAILED] ON "
      "[dbo].[E_QIVA_ERROR_FILES_DETAILED]([ErrorFileID]) ON [PRIMARY]"
      "\tALTER TABLE [dbo].[E_QIVA_ERROR_FILES_DETAILED] ADD \tCONSTRAINT "
      "[FK_E_QIVA_ERROR_FILES_DETAILED_E_QIVA_ERROR_FILES] FOREIGN KEY \t(\t[ErrorFileID]\t) "
      "REFERENCES [dbo].[E_QIVA_ERROR_FILES] (\t[ID]\t)end";
  Exec(script);
  Exec("INSERT INTO E_QIVA_ERROR_FILES (fileName,exportType) values ('a.xml','SPT_DRG')");
  Exec(script);  // the second run finds the table and does nothing
  EXPECT_EQ(Value(" select max(id) UID from E_QIVA_ERROR_FILES "), "1");
  Exec("INSERT INTO E_QIVA_ERROR_FILES_DETAILED (errorFileID,appID,ErrorCode) values (1,5,'E1')");
  EXPECT_EQ(Value("select IsValid from E_QIVA_ERROR_FILES_DETAILED"), "0");
  EXPECT_EQ(
      Value("select count(*) from E_QIVA_ERROR_FILES_DETAILED where InsertedDate is not null"),
      "1");
  EXPECT_FALSE(engine_->execute(
      "INSERT INTO E_QIVA_ERROR_FILES_DETAILED (errorFileID,appID,ErrorCode) values (9,5,'E1')"));
  EXPECT_EQ(LastNumber(), 547);
  EXPECT_FALSE(engine_->execute("delete from E_QIVA_ERROR_FILES"));
  EXPECT_EQ(LastNumber(), 547);
  EXPECT_EQ(Value("select count(*) from E_QIVA_ERROR_FILES_DETAILED"), "1");
}

TEST_F(SqliteEngineTest, NhpTableScriptsAndInformationSchema) {
  const std::string test =
      "SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_TYPE='BASE TABLE' and "
      "TABLE_NAME='QIVA_NHP_INDICATORS' ";
  EXPECT_FALSE(engine_->execute("drop table QIVA_NHP_INDICATORS "));
  EXPECT_EQ(LastNumber(), 3701);
  EXPECT_TRUE(Column(test).empty());
  Exec(
      "CREATE TABLE [dbo].[QIVA_NHP_INDICATORS](\t\t\t\t\t\t[ID] [int] IDENTITY(1,1) NOT "
      "NULL,\t\t\t\t\t\t[CODE] [varchar](20) NOT NULL,"
      "\t\t\t\t\t\t[DESCRIPTION] [varchar](255) NOT NULL,\t\t\t\t\t\t[VALID_FROM] [datetime] NOT "
      "NULL,\t\t\t\t\t\t[VALID_TO] [datetime] NULL,"
      "\t\t\t\t\t\t[NHPCode] [varchar](30) NOT NULL,\t\t\t\t\t\t[HAS_BUDGET] [bit] NOT "
      "NULL,\t\t\t\t\t\t[allowCorrection] bit NOT NULL default 0"
      "\t\t\t\t\t CONSTRAINT [PK_QIVA_NHP_INDICATORS] PRIMARY KEY CLUSTERED "
      "\t\t\t\t\t(\t\t\t\t\t\t[ID] ASC\t\t\t\t\t)WITH (PAD_INDEX  = OFF, "
      "STATISTICS_NORECOMPUTE  = OFF, IGNORE_DUP_KEY = OFF, ALLOW_ROW_LOCKS  = ON, "
      "ALLOW_PAGE_LOCKS  = ON) ON [PRIMARY]\t\t\t\t\t) ON [PRIMARY] ");
  EXPECT_EQ(Column(test), std::vector<std::string>{"QIVA_NHP_INDICATORS"});
  EXPECT_EQ(Column("select table_name from information_schema.tables where "
                   "table_name='qiva_nhp_indicators'"),
            std::vector<std::string>{"QIVA_NHP_INDICATORS"});
  Exec(
      " insert into QIVA_NHP_INDICATORS "
      "(CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,ALLOWCORRECTION,VALID_TO ) "
      "VALUES ('I1','d',convert (datetime,'2020-01-01',120),'P1',1,0, null )");
  Exec("drop table QIVA_NHP_INDICATORS ");
  EXPECT_TRUE(Column(test).empty());

  Exec(
      "CREATE TABLE [dbo].[QIVA_MEDICAL_SUPPLIES]( \t[ID] [int] IDENTITY(1,1) NOT NULL,\t[Code] "
      "[varchar](10) NOT NULL,\t[Description] [varchar](500) NULL,"
      "\t[ValidFrom] [datetime] NOT NULL,\t[ValidTo] [datetime] NULL) ON [PRIMARY] ");
  EXPECT_FALSE(
      engine_->execute(" insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) "
                       "VALUES ('ABCDEFGHIJKL','x',convert (datetime,'2020-01-01',120), null )"));
  EXPECT_EQ(LastNumber(), 2628);
  Exec("alter table QIVA_MEDICAL_SUPPLIES alter column code varchar(100)");
  Exec(
      " insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) VALUES "
      "('ABCDEFGHIJKL','x',convert (datetime,'2020-01-01',120), null )");
  EXPECT_EQ(Value("select DATA_TYPE from information_schema.columns where "
                  "table_name='QIVA_MEDICAL_SUPPLIES' and column_name='code'"),
            "varchar");
  EXPECT_EQ(Value("select CHARACTER_MAXIMUM_LENGTH from information_schema.columns where "
                  "table_name='QIVA_MEDICAL_SUPPLIES' and column_name='Code'"),
            "100");
}

// The catalogue gives the numeric types' precision and scale, and the properties that a
// diagnosis asks come from the connection text (the TDS stand-in passes the login's).
TEST_F(SqliteEngineTest, AnswersTheCatalogueColumnsAndPropertiesADiagnosisAsks) {
  const std::string price =
      " from information_schema.columns where table_name = 'QIVA_COPAYMENT_LIST_DRUGS' and "
      "column_name = 'maxPriceUT'";
  EXPECT_EQ(Value("select numeric_precision" + price), "18");
  EXPECT_EQ(Value("select numeric_scale" + price), "6");
  EXPECT_EQ(Value("select numeric_precision from information_schema.columns where "
                  "table_name='n_locations' and column_name='id'"),
            "10");
  EXPECT_EQ(Value("select isnull(numeric_precision, -1) from information_schema.columns where "
                  "table_name='n_locations' and column_name='locationName'"),
            "-1");
  EXPECT_EQ(Value("select serverproperty('Edition')"), "QIVA embedded SQL");
  EXPECT_EQ(Value("select cast(databasepropertyex(db_name(), 'Collation') as varchar(128))"),
            "NULL");
  ASSERT_TRUE(engine_->close());
  ASSERT_TRUE(engine_->open(db_.connectionString() + ";APP=QIVA_IMPORT;COLLATION=Romanian_CI_AS"));
  EXPECT_EQ(Value("select app_name()"), "QIVA_IMPORT");
  EXPECT_EQ(Value("select databasepropertyex(db_name(), 'collation')"), "Romanian_CI_AS");
  EXPECT_EQ(Value("select serverproperty('Collation')"), "Romanian_CI_AS");
  EXPECT_EQ(Value("select serverproperty('NoSuchProperty')"), "NULL");
  EXPECT_NE(Value("select serverproperty('ProductVersion')").rfind("SQLite ", 0),
            std::string::npos);
}

TEST_F(SqliteEngineTest, TextsWithQuotesAndNStrings) {
  Exec("INSERT INTO QIVA_NHP_DRUG_TYPES(code,description)\t\t\t\t\t\tVALUES ('D''1',N'it''s' )");
  EXPECT_EQ(Value("select description from QIVA_NHP_DRUG_TYPES where code = 'd''1'"), "it's");
  EXPECT_FALSE(
      engine_->execute("INSERT INTO QIVA_NHP_DRUG_TYPES(code,description) VALUES ('x','it's')"));
  EXPECT_EQ(LastNumber(), 105);  // the quote inside the value leaves the last string open
  EXPECT_FALSE(engine_->execute("insert into NO_SUCH_TABLE (a) values (1)"));
  EXPECT_EQ(LastNumber(), 208);
  EXPECT_FALSE(engine_->execute("insert into QIVA_NHP_DRUG_TYPES (nosuch) values (1)"));
  EXPECT_EQ(LastNumber(), 207);
}

}  // namespace
}  // namespace qiva::db::testing

namespace qiva::db::testing {
namespace {

TEST_F(SqliteEngineTest, ReplaceUpdatesChangeOnlyWhatReplaceChanges) {
  Exec("CREATE TABLE N (id int IDENTITY(1,1) NOT NULL, name varchar(50) NULL)");
  for (const char* name : {"'Consulta\xC5\xA3ie'", "'Aria'", "'\xC4\x82sta'", "NULL", "''"}) {
    Exec(std::string("insert into N (name) values (") + name + ")");
  }
  Exec(
      " update N set name=replace(name,'\xC5\xA3','t')\t\t\t\tupdate N set "
      "name=replace(name,'a','o')"
      "\t\t\t\tupdate N set name=replace(name,'\xC4\x83','a')");
  // ASCII letters match in any case, as under the default collation; the Romanian capitals
  // are other bytes and stay.
  EXPECT_EQ(Column("select isnull(name,'<null>') from N order by id"),
            (std::vector<std::string>{"Consultotie", "orio", "\xC4\x82sto", "<null>", ""}));
  Exec("update N set name=replace(name,'o',NULL)");
  EXPECT_EQ(Value("select count(*) from N where name is null"), "5");
}

}  // namespace
}  // namespace qiva::db::testing
