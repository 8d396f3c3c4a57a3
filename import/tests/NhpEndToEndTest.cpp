// The national health programme import into a new embedded database, checked by the rows and
// the table structure it leaves.
#include <gtest/gtest.h>

#include "import/Nhp.h"
#include "import/toolkit/tests/EmbeddedImportTest.h"

namespace {

using qiva::import::ImportNhp;
using qiva::import::test::EmbeddedImportTest;
using qiva::import::test::Rows;
using Strings = std::vector<std::string>;

std::string catalogues(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Catalogues>" + body + "</Catalogues>";
}

const Rows kIndicatorColumns = {{"ID", "int", "NULL", "NO"},
                                {"CODE", "varchar", "20", "NO"},
                                {"DESCRIPTION", "varchar", "255", "NO"},
                                {"VALID_FROM", "datetime", "NULL", "NO"},
                                {"VALID_TO", "datetime", "NULL", "YES"},
                                {"NHPCode", "varchar", "30", "NO"},
                                {"HAS_BUDGET", "bit", "NULL", "NO"},
                                {"allowCorrection", "bit", "NULL", "NO"}};

class NhpEndToEnd : public EmbeddedImportTest {
 protected:
  Rows indicators() {
    return rows(
        "select CODE, NHPCode, HAS_BUDGET, allowCorrection, VALID_TO from "
        "QIVA_NHP_INDICATORS order by CODE",
        {"CODE", "NHPCode", "HAS_BUDGET", "allowCorrection", "VALID_TO"});
  }
  Rows supplies() {
    return rows("select Code, Description, ValidTo from QIVA_MEDICAL_SUPPLIES order by Code",
                {"Code", "Description", "ValidTo"});
  }
};

TEST_F(NhpEndToEnd, writesFlagsAsNumbersAndEveryMissingEndAsNull) {
  EXPECT_EQ(
      import(ImportNhp,
             catalogues("<MedicalSupplies>"
                        "<MedicalSupply code='A' description='Ace O&apos;Neill' "
                        "validFrom='2019-01-01' validTo=''/>"
                        "<MedicalSupply code='B' description='Lancete' validFrom='2019-01-01'/>"
                        "<MedicalSupply code='C' description='Sonde' validFrom='2019-01-01' "
                        "validTo='2021-03-31'/></MedicalSupplies>"
                        "<NHP_Indicators>"
                        "<NHP_Indicator code='P6.1' description='d' validFrom='2019-01-01' "
                        "NHP='P6' hasBudget='1'/>"
                        "<NHP_Indicator code='P6.2' description='d' validFrom='2019-01-01' "
                        "NHP='P6' hasBudget='true' allowCorrection='1' validTo=''/>"
                        "</NHP_Indicators>")),
      1);
  EXPECT_EQ(indicators(),
            (Rows{{"P6.1", "P6", "1", "0", "NULL"}, {"P6.2", "P6", "0", "1", "NULL"}}));
  EXPECT_EQ(supplies(), (Rows{{"A", "Ace O'Neill", "NULL"},
                              {"B", "Lancete", "NULL"},
                              {"C", "Sonde", "2021-03-31 00:00:00.000"}}));
  EXPECT_EQ(frontEnd.statuses(),
            (Strings{"Procesez inregistrarea 0 ...", "Procesez inregistrarea 1 ...",
                     "Procesez inregistrarea 2 ...", "Procesez inregistrarea 3 ...",
                     "Procesez inregistrarea 4 ...", "Finalizat de procesat 5 inregistrari"}));
  // The first drop finds no table: expected, and no rejection.
  EXPECT_FALSE(context.Outcome().hasLosses());
}

TEST_F(NhpEndToEnd, recreatesAnEmptyIndicatorsTableEvenWithoutItsSection) {
  import(ImportNhp, catalogues("<NHP_Indicators><NHP_Indicator code='I' description='d' "
                               "validFrom='2019-01-01' NHP='P1'/></NHP_Indicators>"));
  ASSERT_EQ(indicators().size(), 1u);
  import(ImportNhp, catalogues("<MedicalSupplies><MedicalSupply code='A' "
                               "validFrom='2019-01-01'/></MedicalSupplies>"));
  EXPECT_EQ(indicators(), Rows{});
  EXPECT_EQ(columnsOf("QIVA_NHP_INDICATORS"), kIndicatorColumns);
  // allowCorrection defaults to 0, the key numbers the rows.
  ASSERT_TRUE(
      database.Execute("insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,"
                       "NHPCode,HAS_BUDGET) values ('N','d','2020-01-01','P',1)"));
  EXPECT_EQ(rows("select ID, allowCorrection from QIVA_NHP_INDICATORS", {"ID", "allowCorrection"}),
            (Rows{{"1", "0"}}));
  EXPECT_EQ(supplies().size(), 1u);
  EXPECT_EQ(context.Outcome().rejectedStatements, 0);
}

TEST_F(NhpEndToEnd, createsAMissingSuppliesTable) {
  import(ImportNhp, catalogues(""));
  EXPECT_EQ(columnsOf("QIVA_MEDICAL_SUPPLIES"), (Rows{{"ID", "int", "NULL", "NO"},
                                                      {"Code", "varchar", "100", "NO"},
                                                      {"Description", "varchar", "500", "YES"},
                                                      {"ValidFrom", "datetime", "NULL", "NO"},
                                                      {"ValidTo", "datetime", "NULL", "YES"}}));
  EXPECT_EQ(frontEnd.statuses(), (Strings{"Finalizat de procesat 0 inregistrari"}));
}

TEST_F(NhpEndToEnd, widensTheCodeOfAnExistingSuppliesTableAndKeepsItsRows) {
  ASSERT_TRUE(
      database.Execute("CREATE TABLE QIVA_MEDICAL_SUPPLIES (ID int IDENTITY(1,1) NOT NULL, "
                       "Code varchar(20) NOT NULL, Description varchar(500) NULL, "
                       "ValidFrom datetime NOT NULL, ValidTo datetime NULL)"));
  ASSERT_TRUE(
      database.Execute("insert into QIVA_MEDICAL_SUPPLIES (Code, ValidFrom) values "
                       "('OLD', '2018-01-01')"));
  import(ImportNhp, catalogues("<NHP_Indicators/>"));
  const Rows columns = columnsOf("QIVA_MEDICAL_SUPPLIES");
  ASSERT_EQ(columns.size(), 5u);
  EXPECT_EQ(columns[1][0], "Code");
  EXPECT_EQ(columns[1][2], "100");
  EXPECT_EQ(supplies(), (Rows{{"OLD", "NULL", "NULL"}}));
  const std::string code(40, 'x');
  import(ImportNhp, catalogues("<MedicalSupplies><MedicalSupply code='" + code +
                               "' validFrom='2019-01-01'/></MedicalSupplies>"));
  EXPECT_EQ(supplies(), (Rows{{code, "", "NULL"}}));
}

// A wrong or damaged file must not cost the indicators of the last good run.
TEST_F(NhpEndToEnd, aDamagedFileLeavesBothTablesAsTheyWere) {
  const std::string good = catalogues(
      "<MedicalSupplies><MedicalSupply code='A' validFrom='2019-01-01'/></MedicalSupplies>"
      "<NHP_Indicators><NHP_Indicator code='I' description='d' validFrom='2019-01-01' NHP='P1'/>"
      "</NHP_Indicators>");
  import(ImportNhp, good);
  const Rows indicatorsBefore = indicators();
  const Rows suppliesBefore = supplies();
  ASSERT_EQ(indicatorsBefore.size(), 1u);
  for (const std::string& bad :
       {good.substr(0, good.size() / 2), std::string("<Provider><NHP_Indicators/></Provider>")}) {
    import(ImportNhp, bad);
    EXPECT_EQ(indicators(), indicatorsBefore);
    EXPECT_EQ(supplies(), suppliesBefore);
    EXPECT_EQ(frontEnd.statuses().back(), "Finalizat de procesat 0 inregistrari");
    EXPECT_FALSE(context.Outcome().fileRead);
  }
}

}  // namespace
