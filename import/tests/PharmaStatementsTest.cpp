// The value rules of the pharmaceutical catalogues import's statements: what an absent attribute
// is written as, how flags, prices and dates are read, the records that are skipped or sent
// alone. The statements' texts around the values (column lists, tabs, the date conversions) are
// pinned whole by the golden trace of the shipped sample (samples/traces/).
#include <gtest/gtest.h>

#include "import/PharmaStatements.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace {

using namespace qiva::import;
using namespace qiva::import::pharma;
using qiva::import::test::RecordFromXml;
using qiva::import::test::StatementOf;
using qiva::import::test::ValuesCase;
using qiva::import::test::ValuesOf;

// Absent attributes: '' for text (and for validFrom, which the server reads as 1900-01-01),
// 0 for flags and numbers, null for validTo and for the optional limits and codes.
TEST(PharmaStatements, absentAttributesAreWrittenAsEachColumnWants) {
  const ValuesCase cases[] = {
      {DiseaseCategoryInsert, "<DISEASECATEGORY/>",
       "VALUES ('','',0,0,convert (datetime,'',120), null )"},
      {CopaymentListTypeInsert, "<COPAYMENTLISTTYPE/>",
       "VALUES ('','',0,convert (datetime,'',120), null,null,null )"},
      {CopaymentListTypePersStateInsert, "<CPMETLSTTYPEPERSSTATE validTo=\"\"/>",
       "VALUES ('','',0,convert (datetime,'',120), null )"},
      {CopaymentListDrugInsert, "<COPAYMENTLISTDRUG/>",
       "VALUES ('','',0.00,0.000000,0.000000,0.000000,0.00,0.000000,0,'',0.00,0,0,'','','',"
       "convert (datetime,'',120), null )"},
      {PharmaceuticalFormInsert, "<PHARMACEUTICALFORM/>",
       "VALUES ('',convert (datetime,'',120), null )"},
      {ConcentrationInsert, "<CONCENTRATION/>", "VALUES ('',convert (datetime,'',120), null )"},
      {ActiveSubstanceInsert, "<ACTIVESUBSTANCE/>", "VALUES ('',convert (datetime,'',120), null )"},
      {PackageModeInsert, "<PACKAGEMODE/>", "VALUES ('',convert (datetime,'',120), null )"},
      {PrescriptionTypeInsert, "<PRESCRIPTIONTYPE/>",
       "VALUES ('','',convert (datetime,'',120), null, null)"},
      {NhpInsert, "<NHP/>", "VALUES ('','',convert (datetime,'',120), null, 0,0 )"},
      {AtcInsert, "<ATC/>", "VALUES ('','',convert (datetime,'',120), null, null )"},
      {GoodInsert, "<GOOD/>", "VALUES ('','',convert (datetime,'',120), null )"},
      {NhpCategoryInsert, "<NHPCATEGORY/>", "VALUES ('','','',convert (datetime,'',120), null )"},
      {NhpDrugTypeInsert, "<NHP_DRUG_TYPE/>", "VALUES ('','' )"},
      {NhpDrugInsert, "<NHP_DRUG/>", "VALUES ('','',convert (datetime,'',120), null, 0 )"},
      {DrugInsert, "<DRUG/>",
       "VALUES ('','','',0,'','','',0,0,0,'',convert (datetime,'',120), null, "
       "'','','','','','')"},
  };
  for (const ValuesCase& c : cases) EXPECT_EQ(ValuesOf(c.build, c.xml), c.values) << c.xml;
}

// Flags are "true" in any case; the narcotics flag of a drug is a number, that of a
// prescription type a quoted '1' for "true" only, null when empty; a limit written as -1 is how
// an absent one is held, so it is null too; prices of a drug are whole numbers, those of a
// copayment list drug two or six decimals.
TEST(PharmaStatements, flagsLimitsAndPricesAreReadAsEachColumnWants) {
  const ValuesCase cases[] = {
      {DiseaseCategoryInsert,
       "<DISEASECATEGORY code=\"C'1\" description=\"Boala Crohn's\" isChronicDisease=\"true\" "
       "isAuctioned=\"TRUE\" validFrom=\"2020-01-01\" validTo=\"2030-12-31\"/>",
       "VALUES ('C''1','Boala Crohn''s',1,1,convert (datetime,'2020-01-01',120), convert "
       "(datetime,'2030-12-31',120) )"},
      {CopaymentListTypeInsert, "<COPAYMENTLISTTYPE drugMaxNo=\"-1\" maxValue=\"x\"/>",
       "VALUES ('','',0,convert (datetime,'',120), null,0,null )"},
      {PrescriptionTypeInsert,
       "<PRESCRIPTIONTYPE code=\"P1\" description=\"Reteta 'verde'\" validFrom=\"2020-01-01\" "
       "validTo=\"2029-01-01\" forNarcotics=\"true\"/>",
       "VALUES ('P1','Reteta ''verde''',convert (datetime,'2020-01-01',120), convert "
       "(datetime,'2029-01-01',120), '1')"},
      {PrescriptionTypeInsert, "<PRESCRIPTIONTYPE forNarcotics=\"1\"/>",
       "VALUES ('','',convert (datetime,'',120), null, '0')"},
      {PrescriptionTypeInsert, "<PRESCRIPTIONTYPE forNarcotics=\"\"/>",
       "VALUES ('','',convert (datetime,'',120), null, null)"},
      {NhpDrugTypeInsert, "<NHP_DRUG_TYPE code=\"T1\" description=\"Cost-volum\" validFrom=\"x\"/>",
       "VALUES ('T1','Cost-volum' )"},
      {CopaymentListDrugInsert,
       "<COPAYMENTLISTDRUG copaymentListType=\"A\" drug=\"W1'2\" maxPrice=\"12.5\" "
       "maxPriceUT=\"0.1234567\" copaymentValue=\"1.5\" copaymentValue90=\"-2\" "
       "wholeSalePrice=\"10.006\" referencePrice=\"3e2\" specialLaw=\"True\" needApproval=\"DA\" "
       "overValue=\"0.125\" needSpecialty=\"2\" classifInsulin=\"7x\" hgDci=\"D\" hgAtc=\"A10\" "
       "diseaseCode=\"E11\" validFrom=\"2021-03-01\" validTo=\"2021-04-01 12:00:00\"/>",
       "VALUES ('A','W1''2',12.50,0.123457,1.500000,-2.000000,10.01,300.000000,1,'DA',0.12,2,7,"
       "'D','A10','E11',convert (datetime,'2021-03-01',120), convert (datetime,"
       "'2021-04-01 12:00:00',120) )"},
      {DrugInsert,
       "<DRUG code=\"W42\" name=\"NUROFEN'S\" presentationMode=\"cutie x 10\" isNarcotic=\"1\" "
       "isFractional=\"True\" isSpecial=\"no\" hasBioEchiv=\"TRUE\" qtyPerPackage=\"10\" "
       "pricePerPackage=\"12.75\" wholeSalePricePerPackage=\"9.99\" prescriptionMode=\"P-RF\" "
       "validFrom=\"2020-01-01\" validTo=\"2030-01-01\" activeSubstance=\"IBUPROFENUM\" "
       "concentration=\"200mg\" pharmaceuticalForm=\"COMPR.\" company=\"O'Brien\" "
       "country=\"MAREA BRITANIE\" atc=\"M01AE01\"/>",
       "VALUES ('W42','NUROFEN''S','cutie x 10',1,'1','0','1',10,12,9,'P-RF',convert (datetime,"
       "'2020-01-01',120), convert (datetime,'2030-01-01',120), 'IBUPROFENUM','200mg',"
       "'COMPR.','O''Brien','MAREA BRITANIE','M01AE01')"},
  };
  for (const ValuesCase& c : cases) EXPECT_EQ(ValuesOf(c.build, c.xml), c.values) << c.xml;
  EXPECT_NE(ValuesOf(DrugInsert, "<DRUG isNarcotic=\"TRUE\"/>").find("VALUES ('','','',0,''"),
            std::string::npos);
}

TEST(PharmaStatements, copaymentListDrugWithARealSqlServerCannotReadIsSkipped) {
  RecordStatement s = StatementOf(CopaymentListDrugInsert,
                                  "<COPAYMENTLISTDRUG maxPrice=\"1e300\" referencePrice=\"1e40\" "
                                  "overValue=\"99999999999999999999999999999999999.99\"/>");
  EXPECT_EQ(s.skipReason,
            "maxPrice is out of range: '1e300'; referencePrice is out of range: '1e40'");
  s = StatementOf(CopaymentListDrugInsert,
                  "<COPAYMENTLISTDRUG maxPriceUT=\"1e33\" maxPrice=\"inf\"/>");
  EXPECT_EQ(s.skipReason, "maxPriceUT is out of range: '1e33'");
  EXPECT_NE(s.sql.find("VALUES ('','',0.00,1e33,"), std::string::npos) << s.sql;
}

TEST(PharmaStatements, integersBeyondThirtyTwoBitsSkipTheRecord) {
  EXPECT_EQ(StatementOf(DrugInsert, "<DRUG qtyPerPackage=\"5000000000\"/>").skipReason,
            "qtyPerPackage is out of range: '5000000000'");
  // An optional integer: absent and -1 stay null, one beyond 32 bits is refused.
  RecordStatement s = StatementOf(CopaymentListTypeInsert,
                                  "<COPAYMENTLISTTYPE drugMaxNo=\"-1\" maxValue=\"2147483648\"/>");
  EXPECT_EQ(s.skipReason, "maxValue is out of range: '2147483648'");
  EXPECT_NE(s.sql.find("null,2147483648"), std::string::npos) << s.sql;
  EXPECT_EQ(StatementOf(NhpDrugInsert, "<NHPDRUG nhp=\"-99999999999\"/>").skipReason,
            "nhp is out of range: '-99999999999'");
}

// What may end a batch on the server goes alone: a date that style 120 cannot convert, a
// price with more whole digits than its decimal(18,2) or decimal(18,6) column holds.
TEST(PharmaStatements, batchedKindsMarkWhatWouldEndABatchToGoAlone) {
  EXPECT_FALSE(StatementOf(DrugInsert, "<DRUG validFrom=\"2020-01-31\"/>").sendAlone);
  EXPECT_TRUE(StatementOf(DrugInsert, "<DRUG validFrom=\"2020-01-32\"/>").sendAlone);
  EXPECT_TRUE(
      StatementOf(ConcentrationInsert, "<CONCENTRATION validTo=\"31.12.2020\"/>").sendAlone);
  EXPECT_TRUE(StatementOf(PackageModeInsert, "<PACKAGEMODE validFrom=\"ieri\"/>").sendAlone);
  EXPECT_FALSE(
      StatementOf(PackageModeInsert, "<PACKAGEMODE validFrom=\"2020-01-01 08:00\"/>").sendAlone);
  EXPECT_TRUE(StatementOf(CopaymentListDrugInsert, "<COPAYMENTLISTDRUG validTo=\"2020-02-30\"/>")
                  .sendAlone);
  EXPECT_FALSE(
      StatementOf(
          CopaymentListDrugInsert,
          "<COPAYMENTLISTDRUG maxPrice=\"1234567890123456.5\" maxPriceUT=\"999999999999.25\"/>")
          .sendAlone);
  EXPECT_TRUE(
      StatementOf(CopaymentListDrugInsert, "<COPAYMENTLISTDRUG maxPrice=\"1e16\"/>").sendAlone);
  EXPECT_TRUE(StatementOf(CopaymentListDrugInsert, "<COPAYMENTLISTDRUG referencePrice=\"-1e12\"/>")
                  .sendAlone);
  // A statement that is never batched is never marked.
  EXPECT_FALSE(StatementOf(GoodInsert, "<GOOD validFrom=\"ieri\"/>").sendAlone);
}

TEST(PharmaStatements, datesConvertAsTheServerWouldWithStyle120) {
  const auto converts = [](const std::string& xml) {
    const XmlElement element = RecordFromXml(xml);
    return DatesConvert(RecordReader(element));
  };
  EXPECT_TRUE(converts("<DRUG validFrom=\"2020-01-01\" validTo=\"2030-12-31 10:00:00\"/>"));
  EXPECT_TRUE(converts("<DRUG/>"));  // no validFrom: the server reads '' as 1900-01-01
  EXPECT_TRUE(converts("<DRUG validFrom=\"2020-01-01\" validTo=\"\"/>"));
  EXPECT_FALSE(converts("<DRUG validFrom=\"2020-02-30\"/>"));
  EXPECT_FALSE(converts("<DRUG validFrom=\"2020-01-01\" validTo=\"31/12/2030\"/>"));
  EXPECT_FALSE(converts("<DRUG validFrom=\"2020'01'01\"/>"));
}

}  // namespace
