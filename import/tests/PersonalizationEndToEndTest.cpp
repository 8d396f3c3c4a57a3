// The provider personalisation import into a new embedded database, checked by the rows it
// leaves: the single provider row, the refilled tables and the replaced specialities.
#include <gtest/gtest.h>

#include "import/Personalization.h"
#include "import/toolkit/tests/EmbeddedImportTest.h"

namespace {

using qiva::import::ImportPersonalization;
using qiva::import::test::EmbeddedImportTest;
using qiva::import::test::Rows;

class PersonalizationEndToEnd : public EmbeddedImportTest {
 protected:
  int import(const std::string& xml) {
    return EmbeddedImportTest::import(ImportPersonalization,
                                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + xml);
  }
  void execute(const std::string& sql) { EXPECT_TRUE(database.Execute(sql)) << sql; }
  Rows providers() {
    return rows("select id, CODE, NAME, UIC from QIVA_P_PROVIDER order by id",
                {"id", "CODE", "NAME", "UIC"});
  }
};

TEST_F(PersonalizationEndToEnd, insertsTheProviderIntoAnEmptyTableAndEmptiesNoOtherTable) {
  execute("insert into QIVA_P_CONTRACTS (contractNo) values ('PASTRAT')");
  EXPECT_EQ(import("<Provider CODE='CJ0417' NAME='Clinica Sf\xC3\xA2nta Maria' UIC='RO14'/>"), 1);
  EXPECT_EQ(providers(), (Rows{{"1", "CJ0417", "Clinica Sf\xC3\xA2nta Maria", "RO14"}}));
  EXPECT_EQ(rows("select contractNo from QIVA_P_CONTRACTS", {"contractNo"}), (Rows{{"PASTRAT"}}));
  EXPECT_TRUE(frontEnd.statuses().empty());
  EXPECT_EQ(context.Outcome().records, 1);

  // A look-up that fails counts as an empty table: the insert is tried (and refused here).
  execute("drop table QIVA_P_PROVIDER");
  import("<Provider CODE='A'/>");
  EXPECT_EQ(context.Outcome().rejectedStatements, 1);
  EXPECT_NE(logText().find(" insert into QIVA_P_PROVIDER (CODE,NAME,UIC) values ('A','','')"),
            std::string::npos);
}

TEST_F(PersonalizationEndToEnd, updatesTheRowWithTheLargestIdAndAProviderChildUpdatesItAgain) {
  for (int i = 1; i <= 5; ++i) {
    execute("insert into QIVA_P_PROVIDER (CODE,NAME,UIC) values ('P" + std::to_string(i) +
            "','vechi','')");
  }
  execute("delete from QIVA_P_PROVIDER where id between 2 and 4");
  import("<Provider CODE='NOU' NAME=\"O'Hara\" UIC='RO1'/>");
  EXPECT_EQ(providers(), (Rows{{"1", "P1", "vechi", ""}, {"5", "NOU", "O'Hara", "RO1"}}));

  import(
      "<Provider CODE='A' NAME='Radacina'><PROVIDER CODE='B' NAME='Copil' UIC='RO2'/></Provider>");
  EXPECT_EQ(providers(), (Rows{{"1", "P1", "vechi", ""}, {"5", "B", "Copil", "RO2"}}));
  EXPECT_EQ(context.Outcome().records, 2);
}

TEST_F(PersonalizationEndToEnd, refillsSectionsAndReplacesOnlyTheSpecialitiesOfListedEmployees) {
  execute("insert into QIVA_P_CONTRACTS (contractNo) values ('VECHI')");
  execute(
      "insert into QIVA_P_EMPLOYEES_SPECIALITIES (employeePid,code,increasePercentProfDegree) "
      "values ('275','VECHE',1)");
  execute(
      "insert into QIVA_P_EMPLOYEES_SPECIALITIES (employeePid,code,increasePercentProfDegree) "
      "values ('999','ALTUL',2)");
  EXPECT_EQ(import("<Provider CODE='C'><Contracts/>"
                   "<Employees><Employee pid='275' firstName='ANA' lastName='POP'/>"
                   "<Employee pid='300' firstName='\xC5\x9E"
                   "TEFAN' lastName=\"O'NEIL\">"
                   "<Specialities><Speciality code='M01' increasePercentProfDegree='12.5'/>"
                   "<Speciality code='M02'/></Specialities></Employee></Employees>"
                   "<Services><Service code='L2' tariff='12.5' validFrom='2023-04-01'/>"
                   "<Service code='C1' tariff='55.5' quantity='3' validFrom='2023-04-01' "
                   "validTo='2024-03-31'/></Services></Provider>"),
            1);
  EXPECT_TRUE(rows("select contractNo from QIVA_P_CONTRACTS", {"contractNo"}).empty());
  EXPECT_EQ(rows("select pid, firstName, lastName, stencilNo from QIVA_P_EMPLOYEES order by id",
                 {"pid", "firstName", "lastName", "stencilNo"}),
            (Rows{{"275", "ANA", "POP", ""},
                  {"300",
                   "\xC5\x9E"
                   "TEFAN",
                   "O'NEIL", ""}}));
  // 275 lost its old speciality although the file lists none; 999 is not in the file.
  EXPECT_EQ(rows("select employeePid, code, increasePercentProfDegree from "
                 "QIVA_P_EMPLOYEES_SPECIALITIES order by employeePid",
                 {"employeePid", "code", "increasePercentProfDegree"}),
            (Rows{{"300", "M01", "12.5"}, {"999", "ALTUL", "2"}}));
  EXPECT_EQ(rows("select code, tariff, quantity, validfrom, validTo from QIVA_P_SERVICES "
                 "order by id",
                 {"code", "tariff", "quantity", "validfrom", "validTo"}),
            (Rows{{"L2", "12.5", "0", "2023-04-01 00:00:00.000", "1900-01-01 00:00:00.000"},
                  {"C1", "55.5", "3", "2023-04-01 00:00:00.000", "2024-03-31 00:00:00.000"}}));
  EXPECT_EQ(frontEnd.statuses().back(), "Procesez inregistrarea 7 ...");
  EXPECT_EQ(context.Outcome().skippedRecords, 1);  // M02 without a degree
  EXPECT_EQ(context.Outcome().rejectedStatements, 0);
}

}  // namespace
