// The provider personalisation import against a recording engine: exact statement texts (\t is
// one tab), the provider's insert-or-update, the shared running number, the employees'
// specialities and the values that cannot stand unquoted.
#include <gtest/gtest.h>

#include "import/Personalization.h"
#include "import/PersonalizationStatements.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace {

using namespace qiva::import;
using namespace qiva::import::personalization;
using qiva::import::test::RecordedImport;
using Strings = std::vector<std::string>;

const std::string kLookup = "select max(id) id from qiva_p_provider";
const std::string kContractInsert =
    " insert into QIVA_P_CONTRACTS (contractNo,contractDate,validFrom,validTo,orgUnitCode,"
    "categoryCode)\t\t\t\t\t\tvalues (";
const std::string kSpecialityInsert =
    "insert into QIVA_P_EMPLOYEES_SPECIALITIES (employeePid,code,increasePercentProfDegree) "
    "values (";
const std::string kServiceInsert =
    "insert into QIVA_P_SERVICES (code,tariff,quantity,validfrom,validTo) values (";

XmlElement record(const std::string& xml) { return qiva::import::test::RecordFromXml(xml); }

// The statement, with " SKIPPED: <reason>" appended when it must not be sent.
template <typename Build>
std::string sql(const std::string& xml, Build build) {
  const XmlElement element = record(xml);
  const RecordStatement statement = build(RecordReader(element));
  return statement.skipReason.empty() ? statement.sql
                                      : statement.sql + " SKIPPED: " + statement.skipReason;
}

TEST(PersonalizationStatements, providerContractAndEmployeeWithEveryAttributeAndWithNone) {
  const std::string full = "<R CODE='CJ0417' NAME=\"SF. MARIA O'HARA\" UIC='RO1435'/>";
  EXPECT_EQ(sql(full, ProviderInsert),
            " insert into QIVA_P_PROVIDER (CODE,NAME,UIC) values "
            "('CJ0417','SF. MARIA O''HARA','RO1435')");
  EXPECT_EQ(sql(full, [](const RecordReader& r) { return ProviderUpdate(r, 5); }),
            " update QIVA_P_PROVIDER set CODE='CJ0417', NAME='SF. MARIA O''HARA', UIC='RO1435' "
            "where id=5");
  EXPECT_EQ(sql("<R/>", ProviderInsert),
            " insert into QIVA_P_PROVIDER (CODE,NAME,UIC) values ('','','')");
  EXPECT_EQ(sql("<R contractNo='A1/2022' contractDate='2022-03-28' validFrom='2022-04-01' "
                "validTo='2023-03-31' orgUnitCode='U1' categoryCode='AMB'/>",
                ContractInsert),
            kContractInsert + "'A1/2022','2022-03-28','2022-04-01','2023-03-31','U1','AMB')");
  EXPECT_EQ(sql("<R/>", ContractInsert), kContractInsert + "'','','','','','')");
  EXPECT_EQ(
      sql("<R pid='275' firstName='ANA' lastName=\"O'BRIEN\" stencilNo='A1'/>", EmployeeInsert),
      "insert into QIVA_P_EMPLOYEES (pid,firstName,lastName,stencilNo) values "
      "('275','ANA','O''BRIEN','A1')");
  EXPECT_EQ(sql("<R/>", EmployeeInsert),
            "insert into QIVA_P_EMPLOYEES (pid,firstName,lastName,stencilNo) values "
            "('','','','')");
  EXPECT_EQ(EmployeeSpecialitiesDelete("275"),
            "delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid='275'");
  EXPECT_EQ(EmployeeSpecialitiesDelete(""),
            "delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid=''");
}

TEST(PersonalizationStatements, specialityDegreeMustBeAPlainNumber) {
  auto speciality = [](const RecordReader& r) { return EmployeeSpecialityInsert(r, "275"); };
  EXPECT_EQ(sql("<R code='M01' increasePercentProfDegree='12.5'/>", speciality),
            kSpecialityInsert + "'275','M01',12.5)");
  EXPECT_EQ(
      sql("<R/>", speciality),
      kSpecialityInsert + "'275','',) SKIPPED: increasePercentProfDegree is not a number: ''");
  EXPECT_EQ(sql("<R code='M01' increasePercentProfDegree='0); drop table x; --'/>", speciality),
            kSpecialityInsert +
                "'275','M01',0); drop table x; --) SKIPPED: "
                "increasePercentProfDegree is not a number: '0); drop table x; --'");
}

TEST(PersonalizationStatements, serviceTariffWithTwoDecimalsAndIntegerQuantity) {
  EXPECT_EQ(sql("<R code='C001' tariff='55.5' quantity='1200' validFrom='2023-04-01' "
                "validTo='2024-03-31'/>",
                ServiceInsert),
            kServiceInsert + "'C001',55.50,1200,'2023-04-01','2024-03-31')");
  EXPECT_EQ(sql("<R/>", ServiceInsert), kServiceInsert + "'',0.00,0,'','')");
  EXPECT_EQ(sql("<R code='L2' tariff='12.5'/>", ServiceInsert),
            kServiceInsert + "'L2',12.50,0,'','')");
  EXPECT_EQ(sql("<R tariff='1e400'/>", ServiceInsert),
            kServiceInsert + "'',1e400,0,'','') SKIPPED: tariff is out of range: '1e400'");
  EXPECT_EQ(sql("<R tariff='1e37'/>", ServiceInsert),
            kServiceInsert + "'',1e37,0,'','') SKIPPED: tariff is out of range: '1e37'");
  EXPECT_EQ(sql("<R tariff='1e35'/>", ServiceInsert).find("SKIPPED"), std::string::npos);
  EXPECT_EQ(sql("<R tariff='infinity'/>", ServiceInsert), kServiceInsert + "'',0.00,0,'','')");
}

constexpr const char* kWorkedCount =
    "<Provider CODE='CJ0417' NAME='Clinica' UIC='RO1'>"
    "<Contracts><Contract contractNo='1'/><Contract contractNo='2'/></Contracts>"
    "<Employees><Employee pid='275' lastName='POP'><Specialities>"
    "<Speciality code='M01' increasePercentProfDegree='10'/>"
    "<Speciality code='M15' increasePercentProfDegree='0'/></Specialities></Employee></Employees>"
    "<Services><Service code='C1' tariff='12.5'/></Services></Provider>";

TEST(ImportPersonalization, theProviderTakesNumberOneSilentlyAndTheRestShowTwoToSeven) {
  RecordedImport run;
  EXPECT_EQ(ImportPersonalization(run.context, run.writeFile("p.xml", kWorkedCount)), 1);
  EXPECT_EQ(run.frontEnd.statuses(),
            (Strings{"Procesez inregistrarea 2 ...", "Procesez inregistrarea 3 ...",
                     "Procesez inregistrarea 4 ...", "Procesez inregistrarea 5 ...",
                     "Procesez inregistrarea 6 ...", "Procesez inregistrarea 7 ..."}));
  EXPECT_EQ(run.shared->queries, Strings{kLookup});
  EXPECT_EQ(
      run.shared->executed,
      (Strings{" insert into QIVA_P_PROVIDER (CODE,NAME,UIC) values ('CJ0417','Clinica','RO1')",
               "delete from QIVA_P_CONTRACTS", kContractInsert + "'1','','','','','')",
               kContractInsert + "'2','','','','','')", "delete from QIVA_P_EMPLOYEES",
               "insert into QIVA_P_EMPLOYEES (pid,firstName,lastName,stencilNo) values "
               "('275','','POP','')",
               "delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid='275'",
               kSpecialityInsert + "'275','M01',10)", kSpecialityInsert + "'275','M15',0)",
               "delete from QIVA_P_SERVICES", kServiceInsert + "'C1',12.50,0,'','')"}));
  EXPECT_EQ(run.context.Outcome().records, 7);
  EXPECT_TRUE(run.database.m_bOpen);
}

TEST(ImportPersonalization, specialitiesComeOnlyFromTheFirstChildAndBadDegreesAreSkipped) {
  RecordedImport run;
  const std::string path =
      run.writeFile("p.xml",
                    "<Provider><Employees><Employee/>"
                    "<Employee pid='2'><Note/><Specialities><Speciality code='X' "
                    "increasePercentProfDegree='1'/></Specialities></Employee>"
                    "<Employee pid='3'><SPECIALITIES><Speciality code='A'/><Other/>"
                    "<Speciality code='B' increasePercentProfDegree='5'/></SPECIALITIES></Employee>"
                    "</Employees></Provider>");
  EXPECT_EQ(ImportPersonalization(run.context, path), 1);
  const Strings& executed = run.shared->executed;
  ASSERT_EQ(executed.size(), 9u);
  EXPECT_EQ(executed[3], "delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid=''");
  EXPECT_EQ(executed[5], "delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid='2'");
  EXPECT_EQ(executed[7], "delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid='3'");
  EXPECT_EQ(executed[8], kSpecialityInsert + "'3','B',5)");
  EXPECT_EQ(run.frontEnd.statuses().back(), "Procesez inregistrarea 7 ...");
  EXPECT_EQ(run.context.Outcome().skippedRecords, 1);
  EXPECT_NE(run.logText().find("Record skipped: increasePercentProfDegree is not a number: ''"
                               "\r\n" +
                               kSpecialityInsert + "'3','A',)"),
            std::string::npos);
}

TEST(ImportPersonalization, specialitiesOfAnEmployeeWhoseOldOnesStayAreNotWritten) {
  RecordedImport run;
  run.shared->refused.insert("delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid='1'");
  const std::string path = run.writeFile(
      "p.xml",
      "<Provider><Employees><Employee pid='1'><Specialities><Speciality code='A' "
      "increasePercentProfDegree='1'/></Specialities></Employee>"
      "<Employee pid='2'><Specialities><Speciality code='B' increasePercentProfDegree='2'/>"
      "</Specialities></Employee></Employees></Provider>");
  EXPECT_EQ(ImportPersonalization(run.context, path), 1);
  EXPECT_EQ(run.shared->executed.back(), kSpecialityInsert + "'2','B',2)");
  EXPECT_EQ(run.shared->executed.size(), 7u);
  EXPECT_EQ(run.context.Outcome().skippedSections, 1);
}

TEST(ImportPersonalization, sendsNothingForAFileNotReadAndStopsWhenTheDatabaseFails) {
  RecordedImport run;
  EXPECT_EQ(ImportPersonalization(run.context, run.writeFile("p.xml", "<Catalogues/>")), 1);
  EXPECT_TRUE(run.shared->executed.empty());
  EXPECT_TRUE(run.shared->queries.empty());
  EXPECT_TRUE(run.frontEnd.statuses().empty());

  RecordedImport broken;
  broken.shared->breaksAfter = "delete from QIVA_P_CONTRACTS";
  EXPECT_EQ(ImportPersonalization(broken.context, broken.writeFile("p.xml", kWorkedCount)), 0);
  EXPECT_EQ(broken.shared->executed.size(), 3u);  // the provider, the delete, one refused insert
}

}  // namespace
