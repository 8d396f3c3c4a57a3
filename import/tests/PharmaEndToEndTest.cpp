// The pharmaceutical catalogues import into a fresh embedded database, checked by the rows it
// leaves: value kinds, null endings, apostrophes, batches that lose no good row.
#include <gtest/gtest.h>

#include "import/PharmaNomenclatures.h"
#include "import/toolkit/tests/EmbeddedImportTest.h"

namespace {

using qiva::import::ImportPharmaNomenclatures;
using qiva::import::test::EmbeddedImportTest;
using qiva::import::test::Rows;

class PharmaEndToEnd : public EmbeddedImportTest {
 protected:
  int import(const std::string& body, const std::string& root = "Catalogues") {
    return EmbeddedImportTest::import(
        ImportPharmaNomenclatures,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><" + root + ">" + body + "</" + root + ">",
        "pharma.xml");
  }
};

TEST_F(PharmaEndToEnd, copaymentListsKeepAbsentLimitsNullAndEveryApostrophe) {
  EXPECT_EQ(import("<copaymentListTypes>"
                   "<copaymentListType code='A' description='Lista lui O&apos;Brien' percent='90' "
                   "validFrom='2021-01-01'/>"
                   "<CopaymentListType code='B' description='B' drugMaxNo='5' maxValue='0' "
                   "validFrom='2021-01-01' validTo='2021-12-31'/></copaymentListTypes>"
                   "<CopaymentListDrugs><CopaymentListDrug copaymentListType='A' drug='W1' "
                   "maxPrice='12.5' maxPriceUT='0.1234567' specialLaw='true' "
                   "validFrom='2021-01-01'/></CopaymentListDrugs>"),
            1);
  EXPECT_EQ(rows("select CODE, DESCRIPTION, [percent], drugMaxNo, maxValue, VALIDTO from "
                 "QIVA_COPAYMENT_LIST_TYPES order by CODE",
                 {"CODE", "DESCRIPTION", "percent", "drugMaxNo", "maxValue", "VALIDTO"}),
            (Rows{{"A", "Lista lui O'Brien", "90", "NULL", "NULL", "NULL"},
                  {"B", "B", "0", "5", "0", "2021-12-31 00:00:00.000"}}));
  EXPECT_EQ(rows("select maxPrice, maxPriceUT, specialLaw from QIVA_COPAYMENT_LIST_DRUGS",
                 {"maxPrice", "maxPriceUT", "specialLaw"}),
            (Rows{{"12.5", "0.123457", "1"}}));
  EXPECT_FALSE(context.Outcome().hasLosses());
}

TEST_F(PharmaEndToEnd, drugsReadTheirFlagsNumbersAndPricesAsTheCatalogueMeansThem) {
  import(
      "<drugs>"
      "<drug code='D1' isFractional='true' isNarcotic='1' pricePerPackage='12.75' "
      "validFrom='2020-01-01' validTo='2030-01-01' company='O&apos;Neill'/>"
      "<Drug code='D2' isFractional='no' isNarcotic='TRUE' validFrom='2020-01-01'/>"
      "<Note code='N'/>"
      "<DRUG code='D3' isFractional='TRUE'/>"
      "<Drug code='D4' isFractional=''/></drugs>");
  EXPECT_EQ(
      rows("select code, is_fractional, is_narcotic, price_per_package, VALID_FROM, "
           "VALID_TO, company from QIVA_DRUGS order by code",
           {"code", "is_fractional", "is_narcotic", "price_per_package", "VALID_FROM", "VALID_TO",
            "company"}),
      (Rows{{"D1", "1", "1", "12", "2020-01-01 00:00:00.000", "2030-01-01 00:00:00.000", "O'Neill"},
            {"D2", "0", "0", "0", "2020-01-01 00:00:00.000", "NULL", ""},
            // Without validFrom the server reads the empty text as 1900-01-01.
            {"D3", "1", "0", "0", "1900-01-01 00:00:00.000", "NULL", ""},
            {"D4", "0", "0", "0", "1900-01-01 00:00:00.000", "NULL", ""}}));
  EXPECT_EQ(frontEnd.statuses().back(), "Procesez inregistrarea 5 ...");
  EXPECT_EQ(context.Outcome().records, 5);
}

TEST_F(PharmaEndToEnd, endsPrescriptionTypesAndAtcsWithNullAndStoresQuotedDescriptions) {
  import(
      "<PrescriptionTypes><PrescriptionType code='P1' description='Reteta &apos;verde&apos;' "
      "validFrom='2020-01-01' forNarcotics='TRUE'/><PrescriptionType code='P2' "
      "validFrom='2020-01-01'/></PrescriptionTypes>"
      "<atcs><atc code='A01' description='Preparate &apos;stomatologice&apos;' "
      "validFrom='2020-01-01'/><ATC code='A01A' parentATC='A01' validFrom='2020-01-01'/></atcs>");
  EXPECT_EQ(
      rows("select code, description, For_Narcotics from QIVA_PRESCRIPTION_TYPES order by code",
           {"code", "description", "For_Narcotics"}),
      (Rows{{"P1", "Reteta 'verde'", "1"}, {"P2", "", "NULL"}}));
  EXPECT_EQ(rows("select code, description, PARENT_ATC from QIVA_ATCS order by code",
                 {"code", "description", "PARENT_ATC"}),
            (Rows{{"A01", "Preparate 'stomatologice'", "NULL"}, {"A01A", "", "A01"}}));
}

// On the embedded engine, as on SQL Server, a conversion error ends the rest of a batch. The
// record with the bad date goes alone, so every good row of the batch is stored.
TEST_F(PharmaEndToEnd, aRecordWithAnUnconvertibleDateCostsOnlyItsOwnRow) {
  std::string body = "<Drugs>";
  for (int i = 0; i < 2500; ++i) {
    const std::string from = i == 1200 ? "2020-02-30" : "2020-01-01";
    body += "<Drug code='W" + std::to_string(i) + "' validFrom='" + from + "'/>";
  }
  import(body + "</Drugs>");
  EXPECT_EQ(rows("select count(*) n from QIVA_DRUGS", {"n"}), (Rows{{"2499"}}));
  EXPECT_EQ(rows("select count(*) n from QIVA_DRUGS where code='W1200'", {"n"}), (Rows{{"0"}}));
  EXPECT_EQ(context.Outcome().rejectedStatements, 1);
}

TEST_F(PharmaEndToEnd, aFileWithOnlyNhpsRefillsOnlyThatTable) {
  database.Execute("insert into QIVA_NHPS (code,description) values ('OLD','vechi')");
  database.Execute("insert into QIVA_DRUGS (code,name) values ('KEEP','pastrat')");
  import(
      "<NHPS><NHP code='P1' description='Diabet zaharat' validFrom='2020-01-01' "
      "hasAmbulatoryBudget='1' hasHospitalBudget='0'/></NHPS>");
  EXPECT_EQ(rows("select code, has_Ambulatory_Budget, has_Hospital_Budget from QIVA_NHPS",
                 {"code", "has_Ambulatory_Budget", "has_Hospital_Budget"}),
            (Rows{{"P1", "1", "0"}}));
  EXPECT_EQ(rows("select code from QIVA_DRUGS", {"code"}), (Rows{{"KEEP"}}));
}

TEST_F(PharmaEndToEnd, aFileOfAnotherRootTouchesNothing) {
  database.Execute("insert into QIVA_NHPS (code,description) values ('OLD','vechi')");
  import("<NHPS><NHP code='P1'/></NHPS>", "Provider");
  EXPECT_EQ(rows("select code from QIVA_NHPS", {"code"}), (Rows{{"OLD"}}));
  EXPECT_TRUE(frontEnd.statuses().empty());
}

TEST_F(PharmaEndToEnd, loadsTheShippedSampleFile) {
  EXPECT_EQ(ImportPharmaNomenclatures(context, QIVA_SAMPLES_DIR "/nomenclator_farmaceutic.xml"), 1);
  EXPECT_FALSE(context.Outcome().hasLosses());
  for (const char* table :
       {"QIVA_DISEASE_CATEGORIES", "QIVA_COPAYMENT_LIST_TYPES",
        "QIVA_COPAYMENT_LIST_TYPE_PERS_STATE", "QIVA_COPAYMENT_LIST_DRUGS",
        "QIVA_PHARMACEUTICAL_FORMS", "QIVA_CONCENTRATIONS", "QIVA_PRESCRIPTION_TYPES", "QIVA_NHPS",
        "QIVA_ACTIVE_SUBSTANCES", "QIVA_ATCS", "QIVA_GOODS", "QIVA_PACKAGE_MODES",
        "QIVA_NHP_CATEGORIES", "QIVA_NHP_DRUG_TYPES", "QIVA_NHP_DRUGS", "QIVA_DRUGS"}) {
    const Rows count = rows(std::string("select count(*) n from ") + table, {"n"});
    ASSERT_EQ(count.size(), 1u);
    EXPECT_NE(count[0][0], "0") << table;
  }
}

}  // namespace
