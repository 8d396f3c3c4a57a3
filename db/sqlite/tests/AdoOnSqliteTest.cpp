// AdoOnSqliteTest.cpp: the statement shapes of the imports through CAdoDatabase and
// CAdoRecordset on a new embedded database, checking the rows they leave and the error texts.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "db/sqlite/SchemaScripts.h"
#include "db/sqlite/SqliteEngine.h"
#include "db/sqlite/tests/EngineTestSupport.h"

namespace qiva::db::testing {
namespace {

class AdoOnSqliteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.SetDriver("sqlite");
    db_.SetLogFile(log_.path() + ".log");
    ASSERT_TRUE(db_.Open("", "", "", log_.path())) << db_.m_szComError;
  }

  void Exec(const std::string& sql) {
    EXPECT_TRUE(db_.Execute(sql)) << sql << "\n" << db_.m_szComError;
  }

  // The field `field` of every row of a query, as text.
  std::vector<std::string> Column(const std::string& sql, const std::string& field) {
    std::vector<std::string> out;
    EXPECT_TRUE(rs_.Open(sql, &db_)) << sql << "\n" << rs_.m_szComError;
    while (!rs_.IsEOF()) {
      DbValue v;
      EXPECT_TRUE(rs_.GetFieldValue(field, v)) << field;
      out.push_back(ValueText(v));
      rs_.MoveNext();
    }
    rs_.Close();
    return out;
  }
  std::string LogText() {
    std::ifstream in(log_.path() + ".log", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  TempDatabase log_;  // the database file; its log lies beside it
  CAdoDatabase db_;
  CAdoRecordset rs_;
};

TEST_F(AdoOnSqliteTest, NewDatabaseIsCreatedAndReported) {
  ASSERT_TRUE(db_.m_pConnection);
  EXPECT_TRUE(db_.m_pConnection->createdDatabase());
  EXPECT_TRUE(db_.Close());
  CAdoDatabase again;
  again.SetDriver("sqlite");
  ASSERT_TRUE(again.Open("", "", "", log_.path()));
  EXPECT_FALSE(again.m_pConnection->createdDatabase());
}

TEST_F(AdoOnSqliteTest, FailedStatementLeavesSqlServerLikeTextsAndTwoLogRecords) {
  EXPECT_FALSE(
      db_.Execute("INSERT INTO QIVA_PHYSICIANS "
                  "(PID,NAME,LASTNAME,FIRSTNAME,STENCIL,VALIDFROM,VALIDTO)\t\t\t\t\t\tVALUES "
                  "('','A B','A','B','S1',convert (datetime,'nu e o data',120), null )"));
  EXPECT_NE(db_.m_szComError.find("\tCode = 80040e07\n"), std::string::npos) << db_.m_szComError;
  EXPECT_NE(db_.m_szComError.find("\tCode meaning = IDispatch error #3079\n"), std::string::npos);
  EXPECT_NE(db_.m_szComError.find("\tSource = QIVA embedded SQL\n"), std::string::npos);
  EXPECT_NE(db_.m_szComError.find("\tDescription = Conversion failed when converting date and/or "
                                  "time from character string.\n"),
            std::string::npos);
  EXPECT_EQ(db_.m_szProviderError,
            "\t Error number: f1\tConversion failed when converting date and/or time from "
            "character string.");
  const std::string log = LogText();
  EXPECT_NE(log.find("CAdoDatabase::Execute"), std::string::npos);
  EXPECT_NE(log.find("convert (datetime,'nu e o data',120)"), std::string::npos);
}

TEST_F(AdoOnSqliteTest, IdentityReadBackAndSingleRowProviderTable) {
  EXPECT_EQ(Column(" select max(id) UID from QIVA_FEEDBACK ", "UID"),
            std::vector<std::string>{"NULL"});
  ASSERT_TRUE(rs_.Open("select max(id) id from qiva_p_provider", &db_));
  DbValue id;
  ASSERT_TRUE(rs_.GetFieldValue("ID", id));
  EXPECT_TRUE(IsNullValue(id));
  rs_.Close();
  Exec(" insert into QIVA_P_PROVIDER (CODE,NAME,UIC) values ('C1','Clinica','123')");
  Exec(" insert into QIVA_P_PROVIDER (CODE,NAME,UIC) values ('C2','Clinica 2','456')");
  ASSERT_TRUE(rs_.Open("select max(id) id from qiva_p_provider", &db_));
  ASSERT_TRUE(rs_.GetFieldValue("ID", id));
  ASSERT_TRUE(std::holds_alternative<std::int32_t>(id));
  EXPECT_EQ(std::get<std::int32_t>(id), 2);
  rs_.Close();
  Exec(" update QIVA_P_PROVIDER set CODE='C9', NAME='Noua', UIC='789' where id=2");
  EXPECT_EQ(Column("select CODE from QIVA_P_PROVIDER order by id", "CODE"),
            (std::vector<std::string>{"C1", "C9"}));
}

TEST_F(AdoOnSqliteTest, BatchWithABadDateInItsMiddleKeepsTheRowsBeforeIt) {
  std::string batch = " SET NOCOUNT ON \n";
  for (int i = 0; i < 1001; ++i) {
    const std::string date = i == 600 ? "2020-02-30" : "2020-01-01";
    batch += "\nINSERT INTO QIVA_PACKAGE_MODES (code,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES ('P" +
             std::to_string(i) + "',convert (datetime,'" + date + "',120), null )";
  }
  EXPECT_FALSE(db_.Execute(batch));
  EXPECT_EQ(Column("select count(*) n from QIVA_PACKAGE_MODES", "n"),
            std::vector<std::string>{"600"});
  // A batch whose failing statement breaks a constraint loses only that row.
  Exec("delete from QIVA_PACKAGE_MODES");
  batch = " SET NOCOUNT ON \n";
  for (int i = 0; i < 5; ++i) {
    const std::string code = i == 2 ? std::string(1100, 'x') : "P" + std::to_string(i);
    batch += "\nINSERT INTO QIVA_PACKAGE_MODES (code,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES ('" +
             code + "',convert (datetime,'2020-01-01',120), convert (datetime,'2030-01-01',120) )";
  }
  EXPECT_FALSE(db_.Execute(batch));
  EXPECT_EQ(Column("select code from QIVA_PACKAGE_MODES order by code", "code"),
            (std::vector<std::string>{"P0", "P1", "P3", "P4"}));
}

TEST_F(AdoOnSqliteTest, CatalogueClosingStatementsOnRowsBeforeInsideAndAfterTheirValidity) {
  Exec("delete from QIVA_REC_SERVICES");
  const auto rec = [&](const std::string& code, const std::string& from, const std::string& to) {
    Exec(
        "insert into QIVA_REC_SERVICES (code,name,tariff,serviceType,validFrom,validTo) values ('" +
        code + "','n\xE2\x80\x93x',12.5,'T','" + from + "','" + to + "')");
  };
  rec("BEFORE", "2000-01-01", "2001-01-01");
  rec("INSIDE", "2000-01-01", "2999-01-01");
  rec("OPEN", "2000-01-01", "19000101 00:00");
  rec("AFTER", "2998-01-01", "19000101 00:00");
  Exec(" update QIVA_REC_SERVICES set validTo=NULL where validto='19000101 00:00'");
  Exec(
      "delete from QIVA_REC_SERVICES where getdate() not between validfrom and "
      "isnull(validto,getdate())");
  Exec(
      " update QIVA_REC_SERVICES set name=replace(name,'\xE2\x80\x93','-')\t\t\t\tupdate "
      "QIVA_REC_SERVICES set name=replace(name,'&lt;','<')");
  EXPECT_EQ(Column("select code from QIVA_REC_SERVICES order by code", "code"),
            (std::vector<std::string>{"INSIDE", "OPEN"}));
  EXPECT_EQ(Column("select name from QIVA_REC_SERVICES where code='open'", "name"),
            std::vector<std::string>{"n-x"});

  // Section 9 stores an absent end as '' and turns the placeholder written otherwise into NULL.
  Exec(
      "insert into QIVA_CLIN_SRV_MED_PACK "
      "(service,medSrvPack,validFrom,points,pointsCtrl,validTo,valueLei,pointsSrg) "
      "values ('S','P','2020-01-01',1.12,0.00,'',0.00,2.50)");
  Exec(" update QIVA_CLIN_SRV_MED_PACK set validTo=NULL where validto='19000101 00:00'");
  EXPECT_EQ(Column("select validTo from QIVA_CLIN_SRV_MED_PACK", "validTo"),
            std::vector<std::string>{"NULL"});
  EXPECT_EQ(Column("select points from QIVA_CLIN_SRV_MED_PACK", "points"),
            std::vector<std::string>{"1.12"});

  // Chronic diseases: the look-up, the update with the NULL form, and case-blind codes.
  Exec(
      "insert into QIVA_CHRONIC_DISEASES (code,Description,displayOrder,validFrom,validTo) values "
      "('cd1','Boala',1,'2020-01-01',NULL)");
  EXPECT_EQ(Column("select id from QIVA_CHRONIC_DISEASES where code='CD1'", "id"),
            std::vector<std::string>{"1"});
  Exec(
      "update QIVA_CHRONIC_DISEASES set "
      "Description='Alta',displayOrder=2,validFrom='2021-01-01',validTo='2030-12-31' where id=1");
  EXPECT_EQ(Column("select validTo from QIVA_CHRONIC_DISEASES", "validTo"),
            std::vector<std::string>{"2030-12-31 00:00:00.000"});
}

TEST_F(AdoOnSqliteTest, PersonalisationShapesAndTheirFailures) {
  Exec(
      " insert into QIVA_P_CONTRACTS "
      "(contractNo,contractDate,validFrom,validTo,orgUnitCode,categoryCode)\t\t\t\t\t\tvalues "
      "('N1','2021-01-05','2021-01-01','','O','C')");
  EXPECT_EQ(Column("select validTo from QIVA_P_CONTRACTS", "validTo"),
            std::vector<std::string>{"1900-01-01 00:00:00.000"});
  EXPECT_FALSE(
      db_.Execute("insert into QIVA_P_EMPLOYEES_SPECIALITIES "
                  "(employeePid,code,increasePercentProfDegree) values ('1','C',)"));
  EXPECT_NE(db_.m_szProviderError.find("Incorrect syntax near ')'."), std::string::npos)
      << db_.m_szProviderError;
  Exec(
      "insert into QIVA_P_SERVICES (code,tariff,quantity,validfrom,validTo) values "
      "('S1',10.50,3,'2021-01-01','')");
  EXPECT_EQ(Column("select tariff from QIVA_P_SERVICES", "tariff"),
            std::vector<std::string>{"10.5"});
}

TEST_F(AdoOnSqliteTest, LocationColumnQueryAndLocationList) {
  const std::string check =
      " select column_name from information_schema.columns where table_name = "
      "'QIVA_DAILY_CASES_TARIFFS' and column_name='locationid'";
  ASSERT_TRUE(rs_.Open(check, &db_));
  EXPECT_TRUE(rs_.IsEOF());
  rs_.Close();
  ASSERT_TRUE(RunLocationsScript(*db_.m_pConnection));
  ASSERT_TRUE(rs_.Open(check, &db_));
  EXPECT_FALSE(rs_.IsEOF());
  rs_.Close();
  Exec(
      "insert into n_locations (locationName) values ('Cluj') insert into n_locations "
      "(locationName) values ('arad') "
      "insert into n_locations (locationName) values ('Brasov')");
  EXPECT_EQ(
      Column("select locationName  from n_locations order by locationName desc ", "locationName"),
      (std::vector<std::string>{"Cluj", "Brasov", "arad"}));
  Exec(
      "insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType, locationID )VALUES "
      "(CONVERT(datetime,'2021-03-01 02:00',120),"
      "CONVERT(datetime,'2021-03-31',120),2 ,3)");
  EXPECT_EQ(Column("select locationid from QIVA_FEEDBACK", "locationid"),
            std::vector<std::string>{"3"});
}

TEST_F(AdoOnSqliteTest, NamesCleanUpChainAndTheActivationProcedure) {
  Exec(
      "insert into QIVA_LABORATORIES_SERVICES "
      "(code,name,highLevel,recByPC,Formula,InClinic,ValidFrom,validTo,ServiceType)"
      "\t\t\t\t\t\tvalues ('L','\xC4\x83\xC5\x9F\xC5\xA3 \xC3\xAE\xC3\xA2 &lt;b "
      "\xC4\x82',1,0,0,1,'2020-01-01','',2)");
  std::string chain = " ";
  const char* pairs[][2] = {{"\xC4\x83", "a"}, {"\xC5\x9F", "s"}, {"\xC5\xA3", "t"},
                            {"&lt;", "<"},     {"\xC3\xAE", "i"}, {"\xC3\xA2", "a"}};
  for (size_t i = 0; i < 6; ++i) {
    if (i) chain += "\n\t\t\t\t";
    chain += std::string("update qiva_laboratories_services set name=replace(name,'") +
             pairs[i][0] + "','" + pairs[i][1] + "')";
  }
  Exec(chain);
  EXPECT_EQ(Column("select name from QIVA_LABORATORIES_SERVICES", "name"),
            std::vector<std::string>{"ast ia <b \xC4\x82"});
  Exec("delete from QIVA_PHYSICIANS");
  Exec(
      "INSERT INTO QIVA_PHYSICIAN_SPECIALITIES "
      "(STENCIL,CONTRACTNO,INSURANCEHOUSE,CONTRACTTYPE,PHYSICIANTYPE,SPECIALITYCODE,VALIDFROM,"
      "VALIDTO)"
      "\t\t\t\t\t\tVALUES ('S','N','CAS','T','P','C',convert (datetime,'2020-01-01',120), convert "
      "(datetime,'2021-12-31',120) )");
  Exec("exec QIVA_PHYSICIANS_ACTIVATE");
  EXPECT_EQ(Column("select SpecialityCount from QIVA_PHYSICIANS_ACTIVATIONS", "SpecialityCount"),
            std::vector<std::string>{"1"});
}

}  // namespace
}  // namespace qiva::db::testing
