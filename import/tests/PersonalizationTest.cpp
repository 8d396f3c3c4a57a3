// The provider personalisation import against a recording engine: its statements' value rules
// and the provider update no sample reaches (the rest of their texts is pinned by the golden
// trace samples/traces/personalizare_furnizor.sql; \t is one tab), the provider's insert, the
// shared running number and the employees' specialities.
#include <gtest/gtest.h>

#include "import/Personalization.h"
#include "import/PersonalizationStatements.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace {

using namespace qiva::import;
using namespace qiva::import::personalization;
using qiva::import::test::RecordedImport;
using qiva::import::test::ValuesCase;
using qiva::import::test::ValuesOf;
using Strings = std::vector<std::string>;

const std::string kContractInsert =
    " insert into QIVA_P_CONTRACTS (contractNo,contractDate,validFrom,validTo,orgUnitCode,"
    "categoryCode)\t\t\t\t\t\tvalues (";
const std::string kSpecialityInsert =
    "insert into QIVA_P_EMPLOYEES_SPECIALITIES (employeePid,code,increasePercentProfDegree) "
    "values (";
const std::string kServiceInsert =
    "insert into QIVA_P_SERVICES (code,tariff,quantity,validfrom,validTo) values (";

RecordStatement specialityOf275(const RecordReader& r) {
  return EmployeeSpecialityInsert(r, "275");
}
RecordStatement updateOf5(const RecordReader& r) { return ProviderUpdate(r, 5); }

// Absent text is '', an absent tariff 0.00 and an absent quantity 0; the speciality degree
// stands unquoted, so an absent one skips the record. The single quotes of every quoted value
// are doubled, in the update of a stored provider too (no shipped sample reaches it: whole).
TEST(PersonalizationStatements, absentAttributesAndQuotesAreWrittenAsEachColumnWants) {
  const ValuesCase cases[] = {
      {ProviderInsert, "<R/>", "values ('','','')"},
      {ContractInsert, "<R/>", "values ('','','','','','')"},
      {EmployeeInsert, "<R/>", "values ('','','','')"},
      {ServiceInsert, "<R/>", "values ('',0.00,0,'','')"},
      {specialityOf275, "<R/>",
       "values ('275','',) SKIPPED: increasePercentProfDegree is not a number: ''"},
      {ProviderInsert, "<R CODE='CJ0417' NAME=\"SF. MARIA O'HARA\" UIC='RO1435'/>",
       "values ('CJ0417','SF. MARIA O''HARA','RO1435')"},
      {updateOf5, "<R CODE='CJ0417' NAME=\"SF. MARIA O'HARA\" UIC='RO1435'/>",
       " update QIVA_P_PROVIDER set CODE='CJ0417', NAME='SF. MARIA O''HARA', UIC='RO1435' "
       "where id=5"},
      {EmployeeInsert, "<R pid='275' firstName='ANA' lastName=\"O'BRIEN\" stencilNo='A1'/>",
       "values ('275','ANA','O''BRIEN','A1')"},
  };
  for (const ValuesCase& c : cases) EXPECT_EQ(ValuesOf(c.build, c.xml), c.values) << c.xml;
  // The specialities of an employee without a pid are deleted too.
  EXPECT_EQ(EmployeeSpecialitiesDelete(""),
            "delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid=''");
}

// The degree is pasted into the text as written, so anything but a plain number would change
// the statement; the tariff is written with two decimals, and one beyond what a numeric literal
// may hold skips the record; a word that is no number is 0.00.
TEST(PersonalizationStatements, unquotedNumbersAreCheckedBeforeTheyAreSent) {
  const ValuesCase cases[] = {
      {specialityOf275, "<R code='M01' increasePercentProfDegree='0); drop table x; --'/>",
       "values ('275','M01',0); drop table x; --) SKIPPED: "
       "increasePercentProfDegree is not a number: '0); drop table x; --'"},
      {ServiceInsert, "<R tariff='1e400'/>",
       "values ('',1e400,0,'','') SKIPPED: tariff is out of range: '1e400'"},
      {ServiceInsert, "<R tariff='1e37'/>",
       "values ('',1e37,0,'','') SKIPPED: tariff is out of range: '1e37'"},
      {ServiceInsert, "<R tariff='infinity'/>", "values ('',0.00,0,'','')"},
  };
  for (const ValuesCase& c : cases) EXPECT_EQ(ValuesOf(c.build, c.xml), c.values) << c.xml;
  EXPECT_EQ(ValuesOf(ServiceInsert, "<R tariff='1e35'/>").find("SKIPPED"), std::string::npos);
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
  EXPECT_EQ(run.shared->queries, Strings{std::string(kProviderLookup)});
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
