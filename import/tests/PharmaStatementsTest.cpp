// Exact statement texts of the pharmaceutical catalogues import: for each record kind one record
// with every attribute and one with none, compared byte for byte (\t is one tab).
#include <gtest/gtest.h>

#include "import/PharmaStatements.h"

namespace {

using namespace qiva::import;
using namespace qiva::import::pharma;

XmlElement record(const std::string& xml) {
  XmlParseResult result;
  const std::string tag = xml.substr(1, xml.find_first_of(" /", 1) - 1);
  XmlElement element = parseXmlText(xml.c_str(), tag, result);
  EXPECT_EQ(result.code, 0) << xml;
  return element;
}

RecordStatement build(RecordStatement (*builder)(const RecordReader&), const std::string& xml) {
  XmlElement element = record(xml);
  return builder(RecordReader(element));
}

std::string sql(RecordStatement (*builder)(const RecordReader&), const std::string& xml) {
  RecordStatement statement = build(builder, xml);
  EXPECT_EQ(statement.skipReason, "") << xml;
  return statement.sql;
}

const std::string kTabs = "\t\t\t\t\t\t";

TEST(PharmaStatements, diseaseCategoriesDoubleEveryQuoteOnce) {
  EXPECT_EQ(
      sql(DiseaseCategoryInsert,
          "<DISEASECATEGORY code=\"C'1\" description=\"Boala Crohn's\" isChronicDisease=\"true\" "
          "isAuctioned=\"TRUE\" validFrom=\"2020-01-01\" validTo=\"2030-12-31\"/>"),
      "INSERT INTO QIVA_DISEASE_CATEGORIES (CODE,DESCRIPTION,isChronicDisease,isAuctioned,"
      "VALIDFROM,VALIDTO)" +
          kTabs +
          "VALUES ('C''1','Boala Crohn''s',1,1,"
          "convert (datetime,'2020-01-01',120), convert (datetime,'2030-12-31',120) )");
  EXPECT_EQ(sql(DiseaseCategoryInsert, "<DISEASECATEGORY/>"),
            "INSERT INTO QIVA_DISEASE_CATEGORIES (CODE,DESCRIPTION,isChronicDisease,isAuctioned,"
            "VALIDFROM,VALIDTO)" +
                kTabs + "VALUES ('','',0,0,convert (datetime,'',120), null )");
}

TEST(PharmaStatements, copaymentListTypesHoldAbsentLimitsAsNull) {
  EXPECT_EQ(sql(CopaymentListTypeInsert,
                "<COPAYMENTLISTTYPE code=\"A\" description=\"Lista A'\" percent=\"90\" "
                "validFrom=\"2021-02-01\" drugMaxNo=\"5\" maxValue=\"0\" validTo=\"2022-01-31\"/>"),
            "INSERT INTO QIVA_COPAYMENT_LIST_TYPES (CODE,DESCRIPTION,[percent],VALIDFROM,drugMaxNo,"
            "maxValue,VALIDTO)" +
                kTabs +
                "VALUES ('A','Lista A''',90,convert (datetime,'2021-02-01',"
                "120), 5,0,convert (datetime,'2022-01-31',120) )");
  EXPECT_EQ(sql(CopaymentListTypeInsert, "<COPAYMENTLISTTYPE/>"),
            "INSERT INTO QIVA_COPAYMENT_LIST_TYPES (CODE,DESCRIPTION,[percent],VALIDFROM,drugMaxNo,"
            "maxValue,VALIDTO)" +
                kTabs + "VALUES ('','',0,convert (datetime,'',120), null,null,null )");
  // -1 is how an absent limit is held, so a limit written as -1 is null too.
  EXPECT_NE(sql(CopaymentListTypeInsert, "<COPAYMENTLISTTYPE drugMaxNo=\"-1\" maxValue=\"x\"/>")
                .find(", null,0,null )"),
            std::string::npos);
}

TEST(PharmaStatements, copaymentListTypePersonStates) {
  EXPECT_EQ(sql(CopaymentListTypePersStateInsert,
                "<CPMETLSTTYPEPERSSTATE copaymentListType=\"B\" personState=\"P'S\" percent=\"50\" "
                "validFrom=\"2021-01-01\" validTo=\"2021-12-31\"/>"),
            "INSERT INTO QIVA_COPAYMENT_LIST_TYPE_PERS_STATE (copaymentListType,personState,"
            "[percent],VALIDFROM,VALIDTO)" +
                kTabs +
                "VALUES ('B','P''S',50,convert (datetime,"
                "'2021-01-01',120), convert (datetime,'2021-12-31',120) )");
  EXPECT_EQ(sql(CopaymentListTypePersStateInsert, "<CPMETLSTTYPEPERSSTATE validTo=\"\"/>"),
            "INSERT INTO QIVA_COPAYMENT_LIST_TYPE_PERS_STATE (copaymentListType,personState,"
            "[percent],VALIDFROM,VALIDTO)" +
                kTabs +
                "VALUES ('','',0,convert (datetime,'',120), "
                "null )");
}

const std::string kCopaymentDrugOpening =
    "INSERT INTO QIVA_COPAYMENT_LIST_DRUGS (copaymentListType,drug,maxPrice,maxPriceUT,"
    "copaymentValue,copaymentValue90,wholeSalePrice,referencePrice,specialLaw,needApproval,"
    "overValue,needSpecialty,classifInsulin,hgDci,hgAtc,diseaseCode,validFrom,validTo)" +
    kTabs + "VALUES (";

TEST(PharmaStatements, copaymentListDrugsRoundTheirPrices) {
  EXPECT_EQ(sql(CopaymentListDrugInsert,
                "<COPAYMENTLISTDRUG copaymentListType=\"A\" drug=\"W1'2\" maxPrice=\"12.5\" "
                "maxPriceUT=\"0.1234567\" copaymentValue=\"1.5\" copaymentValue90=\"-2\" "
                "wholeSalePrice=\"10.006\" referencePrice=\"3e2\" specialLaw=\"True\" "
                "needApproval=\"DA\" overValue=\"0.125\" needSpecialty=\"2\" classifInsulin=\"7x\" "
                "hgDci=\"D\" hgAtc=\"A10\" diseaseCode=\"E11\" validFrom=\"2021-03-01\" "
                "validTo=\"2021-04-01 12:00:00\"/>"),
            kCopaymentDrugOpening +
                "'A','W1''2',12.50,0.123457,1.500000,-2.000000,10.01,300.000000,1,'DA',0.12,2,7,"
                "'D','A10','E11',convert (datetime,'2021-03-01',120), convert (datetime,"
                "'2021-04-01 12:00:00',120) )");
  EXPECT_EQ(sql(CopaymentListDrugInsert, "<COPAYMENTLISTDRUG/>"),
            kCopaymentDrugOpening +
                "'','',0.00,0.000000,0.000000,0.000000,0.00,0.000000,0,'',0.00,0,0,'','','',"
                "convert (datetime,'',120), null )");
}

TEST(PharmaStatements, copaymentListDrugWithARealSqlServerCannotReadIsSkipped) {
  RecordStatement s = build(CopaymentListDrugInsert,
                            "<COPAYMENTLISTDRUG maxPrice=\"1e300\" referencePrice=\"1e40\" "
                            "overValue=\"99999999999999999999999999999999999.99\"/>");
  EXPECT_EQ(s.skipReason,
            "maxPrice is out of range: '1e300'; referencePrice is out of range: '1e40'");
  s = build(CopaymentListDrugInsert, "<COPAYMENTLISTDRUG maxPriceUT=\"1e33\" maxPrice=\"inf\"/>");
  EXPECT_EQ(s.skipReason, "maxPriceUT is out of range: '1e33'");
  EXPECT_NE(s.sql.find("VALUES ('','',0.00,1e33,"), std::string::npos) << s.sql;
}

TEST(PharmaStatements, integersBeyondThirtyTwoBitsSkipTheRecord) {
  EXPECT_EQ(build(DrugInsert, "<DRUG qtyPerPackage=\"5000000000\"/>").skipReason,
            "qtyPerPackage is out of range: '5000000000'");
  // An optional integer: absent and -1 stay null, one beyond 32 bits is refused.
  RecordStatement s = build(CopaymentListTypeInsert,
                            "<COPAYMENTLISTTYPE drugMaxNo=\"-1\" maxValue=\"2147483648\"/>");
  EXPECT_EQ(s.skipReason, "maxValue is out of range: '2147483648'");
  EXPECT_NE(s.sql.find("null,2147483648"), std::string::npos) << s.sql;
  EXPECT_EQ(build(NhpDrugInsert, "<NHPDRUG nhp=\"-99999999999\"/>").skipReason,
            "nhp is out of range: '-99999999999'");
}

TEST(PharmaStatements, formsConcentrationsSubstancesAndPackageModes) {
  const std::string from = "convert (datetime,'2020-05-05',120), ";
  EXPECT_EQ(sql(PharmaceuticalFormInsert,
                "<PHARMACEUTICALFORM code=\"COMPR. FILM'\" validFrom=\"2020-05-05\" "
                "validTo=\"2024-05-05\"/>"),
            "INSERT INTO QIVA_PHARMACEUTICAL_FORMS (code,VALID_FROM,VALID_TO)" + kTabs +
                "VALUES ('COMPR. FILM''',convert (datetime,'2020-05-05',120), convert (datetime,"
                "'2024-05-05',120) )");
  EXPECT_EQ(sql(PharmaceuticalFormInsert, "<PHARMACEUTICALFORM/>"),
            "INSERT INTO QIVA_PHARMACEUTICAL_FORMS (code,VALID_FROM,VALID_TO)" + kTabs +
                "VALUES ('',convert (datetime,'',120), null )");
  EXPECT_EQ(sql(ConcentrationInsert,
                "<CONCENTRATION concentration=\"5mg/ml\" validFrom=\"2020-05-05\"/>"),
            "INSERT INTO QIVA_CONCENTRATIONS (concentration,VALID_FROM,VALID_TO)" + kTabs +
                "VALUES ('5mg/ml'," + from + "null )");
  EXPECT_EQ(sql(ConcentrationInsert, "<CONCENTRATION/>"),
            "INSERT INTO QIVA_CONCENTRATIONS (concentration,VALID_FROM,VALID_TO)" + kTabs +
                "VALUES ('',convert (datetime,'',120), null )");
  EXPECT_EQ(sql(ActiveSubstanceInsert,
                "<ACTIVESUBSTANCE code=\"PARACETAMOLUM\" validFrom=\"2020-05-05\" "
                "validTo=\"2026-01-01\"/>"),
            "INSERT INTO QIVA_ACTIVE_SUBSTANCES (code,VALID_FROM,VALID_TO)" + kTabs +
                "VALUES ('PARACETAMOLUM'," + from + "convert (datetime,'2026-01-01',120) )");
  EXPECT_EQ(sql(ActiveSubstanceInsert, "<ACTIVESUBSTANCE/>"),
            "INSERT INTO QIVA_ACTIVE_SUBSTANCES (code,VALID_FROM,VALID_TO)" + kTabs +
                "VALUES ('',convert (datetime,'',120), null )");
  EXPECT_EQ(
      sql(PackageModeInsert,
          "<PACKAGEMODE code=\"cutie x 20\" validFrom=\"2020-05-05\" validTo=\"2026-01-01\"/>"),
      "INSERT INTO QIVA_PACKAGE_MODES (code,VALID_FROM,VALID_TO)" + kTabs +
          "VALUES ('cutie x 20'," + from + "convert (datetime,'2026-01-01',120) )");
  EXPECT_EQ(sql(PackageModeInsert, "<PACKAGEMODE/>"),
            "INSERT INTO QIVA_PACKAGE_MODES (code,VALID_FROM,VALID_TO)" + kTabs +
                "VALUES ('',convert (datetime,'',120), null )");
}

TEST(PharmaStatements, prescriptionTypesEndWithTheNarcoticsFlagOrNull) {
  const std::string opening =
      "INSERT INTO QIVA_PRESCRIPTION_TYPES (code,description,VALID_FROM,VALID_TO,For_Narcotics)" +
      kTabs + "VALUES (";
  EXPECT_EQ(
      sql(PrescriptionTypeInsert,
          "<PRESCRIPTIONTYPE code=\"P1\" description=\"Reteta 'verde'\" validFrom=\"2020-01-01\" "
          "validTo=\"2029-01-01\" forNarcotics=\"true\"/>"),
      opening +
          "'P1','Reteta ''verde''',convert (datetime,'2020-01-01',120), "
          "convert (datetime,'2029-01-01',120), '1')");
  EXPECT_EQ(sql(PrescriptionTypeInsert, "<PRESCRIPTIONTYPE forNarcotics=\"1\"/>"),
            opening + "'','',convert (datetime,'',120), null, '0')");
  EXPECT_EQ(sql(PrescriptionTypeInsert, "<PRESCRIPTIONTYPE forNarcotics=\"\"/>"),
            opening + "'','',convert (datetime,'',120), null, null)");
  EXPECT_EQ(sql(PrescriptionTypeInsert, "<PRESCRIPTIONTYPE/>"),
            opening + "'','',convert (datetime,'',120), null, null)");
}

TEST(PharmaStatements, nhpsAtcsGoodsAndNhpCategories) {
  EXPECT_EQ(sql(NhpInsert,
                "<NHP code=\"P3\" description=\"Oncologie\" validFrom=\"2020-01-01\" "
                "validTo=\"2030-01-01\" hasAmbulatoryBudget=\"1\" hasHospitalBudget=\"0\"/>"),
            "INSERT INTO QIVA_NHPS (code,description,VALID_FROM,VALID_TO,has_Ambulatory_Budget,"
            "has_Hospital_Budget)" +
                kTabs +
                "VALUES ('P3','Oncologie',convert (datetime,"
                "'2020-01-01',120), convert (datetime,'2030-01-01',120), 1,0 )");
  EXPECT_EQ(sql(NhpInsert, "<NHP/>"),
            "INSERT INTO QIVA_NHPS (code,description,VALID_FROM,VALID_TO,has_Ambulatory_Budget,"
            "has_Hospital_Budget)" +
                kTabs + "VALUES ('','',convert (datetime,'',120), null, 0,0 )");
  EXPECT_EQ(sql(AtcInsert,
                "<ATC code=\"A01AA\" description=\"Agenti 'anticarie'\" validFrom=\"2020-01-01\" "
                "validTo=\"2030-01-01\" parentATC=\"A01A\"/>"),
            "INSERT INTO QIVA_ATCS (code,description,VALID_FROM,VALID_TO,PARENT_ATC)" + kTabs +
                "VALUES ('A01AA','Agenti ''anticarie''',convert (datetime,'2020-01-01',120), "
                "convert (datetime,'2030-01-01',120), 'A01A' )");
  EXPECT_EQ(sql(AtcInsert, "<ATC/>"),
            "INSERT INTO QIVA_ATCS (code,description,VALID_FROM,VALID_TO,PARENT_ATC)" + kTabs +
                "VALUES ('','',convert (datetime,'',120), null, null )");
  EXPECT_EQ(
      sql(GoodInsert,
          "<GOOD code=\"G1\" name=\"Seringa\" validFrom=\"2020-01-01\" validTo=\"2030-01-01\"/>"),
      "INSERT INTO QIVA_GOODS(code,name,VALID_FROM,VALID_TO)" + kTabs +
          "VALUES ('G1','Seringa',convert (datetime,'2020-01-01',120), convert (datetime,"
          "'2030-01-01',120) )");
  EXPECT_EQ(sql(GoodInsert, "<GOOD/>"), "INSERT INTO QIVA_GOODS(code,name,VALID_FROM,VALID_TO)" +
                                            kTabs +
                                            "VALUES ('','',convert (datetime,'',120), null )");
  EXPECT_EQ(sql(NhpCategoryInsert,
                "<NHPCATEGORY code=\"C1\" name=\"Copii\" NHPCODE=\"P3\" validFrom=\"2020-01-01\" "
                "validTo=\"2030-01-01\"/>"),
            "INSERT INTO QIVA_NHP_CATEGORIES(code,name,NHPCode,VALID_FROM,VALID_TO)" + kTabs +
                "VALUES ('C1','Copii','P3',convert (datetime,'2020-01-01',120), convert (datetime,"
                "'2030-01-01',120) )");
  EXPECT_EQ(sql(NhpCategoryInsert, "<NHPCATEGORY/>"),
            "INSERT INTO QIVA_NHP_CATEGORIES(code,name,NHPCode,VALID_FROM,VALID_TO)" + kTabs +
                "VALUES ('','','',convert (datetime,'',120), null )");
}

TEST(PharmaStatements, nhpDrugTypesAndNhpDrugs) {
  EXPECT_EQ(
      sql(NhpDrugTypeInsert,
          "<NHP_DRUG_TYPE code=\"T1\" description=\"Cost-volum\" validFrom=\"x\"/>"),
      "INSERT INTO QIVA_NHP_DRUG_TYPES(code,description)" + kTabs + "VALUES ('T1','Cost-volum' )");
  EXPECT_EQ(sql(NhpDrugTypeInsert, "<NHP_DRUG_TYPE/>"),
            "INSERT INTO QIVA_NHP_DRUG_TYPES(code,description)" + kTabs + "VALUES ('','' )");
  EXPECT_EQ(sql(NhpDrugInsert,
                "<NHP_DRUG code=\"W1\" type=\"T1\" validFrom=\"2020-01-01\" validTo=\"2030-01-01\" "
                "nhp=\"3\"/>"),
            "INSERT INTO QIVA_NHP_DRUGS(code,type,VALID_FROM,VALID_TO,nhp)" + kTabs +
                "VALUES ('W1','T1',convert (datetime,'2020-01-01',120), convert (datetime,"
                "'2030-01-01',120), 3 )");
  EXPECT_EQ(sql(NhpDrugInsert, "<NHP_DRUG/>"),
            "INSERT INTO QIVA_NHP_DRUGS(code,type,VALID_FROM,VALID_TO,nhp)" + kTabs +
                "VALUES ('','',convert (datetime,'',120), null, 0 )");
}

const std::string kDrugOpening =
    "INSERT INTO QIVA_DRUGS(code,name,presentation_mode,is_narcotic,is_fractional,is_special,"
    "\t\t\t\t\t\t\thas_bio_echiv,qty_per_package,price_per_package,whole_sale_price_per_package,"
    "prescription_mode,\t\t\t\t\t\t\tVALID_FROM,VALID_TO,active_substance,concentration,"
    "pharmaceutical_form,company,country,atc)" +
    kTabs + "VALUES (";

TEST(PharmaStatements, drugsReadNarcoticAsANumberAndPricesAsWholeNumbers) {
  EXPECT_EQ(
      sql(DrugInsert,
          "<DRUG code=\"W42\" name=\"NUROFEN'S\" presentationMode=\"cutie x 10\" isNarcotic=\"1\" "
          "isFractional=\"True\" isSpecial=\"no\" hasBioEchiv=\"TRUE\" qtyPerPackage=\"10\" "
          "pricePerPackage=\"12.75\" wholeSalePricePerPackage=\"9.99\" prescriptionMode=\"P-RF\" "
          "validFrom=\"2020-01-01\" validTo=\"2030-01-01\" activeSubstance=\"IBUPROFENUM\" "
          "concentration=\"200mg\" pharmaceuticalForm=\"COMPR.\" company=\"O'Brien\" "
          "country=\"MAREA BRITANIE\" atc=\"M01AE01\"/>"),
      kDrugOpening +
          "'W42','NUROFEN''S','cutie x 10',1,'1','0','1',10,12,9,'P-RF',convert (datetime,"
          "'2020-01-01',120), convert (datetime,'2030-01-01',120), 'IBUPROFENUM','200mg',"
          "'COMPR.','O''Brien','MAREA BRITANIE','M01AE01')");
  EXPECT_EQ(sql(DrugInsert, "<DRUG/>"),
            kDrugOpening +
                "'','','',0,'','','',0,0,0,'',convert (datetime,'',120), null, '','','','','','')");
  EXPECT_NE(sql(DrugInsert, "<DRUG isNarcotic=\"TRUE\"/>").find("VALUES ('','','',0,''"),
            std::string::npos);
}

// What may end a batch on the server goes alone: a date that style 120 cannot convert, a
// price with more whole digits than its decimal(18,2) or decimal(18,6) column holds.
TEST(PharmaStatements, batchedKindsMarkWhatWouldEndABatchToGoAlone) {
  EXPECT_FALSE(build(DrugInsert, "<DRUG validFrom=\"2020-01-31\"/>").sendAlone);
  EXPECT_TRUE(build(DrugInsert, "<DRUG validFrom=\"2020-01-32\"/>").sendAlone);
  EXPECT_TRUE(build(ConcentrationInsert, "<CONCENTRATION validTo=\"31.12.2020\"/>").sendAlone);
  EXPECT_TRUE(build(PackageModeInsert, "<PACKAGEMODE validFrom=\"ieri\"/>").sendAlone);
  EXPECT_FALSE(build(PackageModeInsert, "<PACKAGEMODE validFrom=\"2020-01-01 08:00\"/>").sendAlone);
  EXPECT_TRUE(
      build(CopaymentListDrugInsert, "<COPAYMENTLISTDRUG validTo=\"2020-02-30\"/>").sendAlone);
  EXPECT_FALSE(
      build(CopaymentListDrugInsert,
            "<COPAYMENTLISTDRUG maxPrice=\"1234567890123456.5\" maxPriceUT=\"999999999999.25\"/>")
          .sendAlone);
  EXPECT_TRUE(build(CopaymentListDrugInsert, "<COPAYMENTLISTDRUG maxPrice=\"1e16\"/>").sendAlone);
  EXPECT_TRUE(
      build(CopaymentListDrugInsert, "<COPAYMENTLISTDRUG referencePrice=\"-1e12\"/>").sendAlone);
  // A statement that is never batched is never marked.
  EXPECT_FALSE(build(GoodInsert, "<GOOD validFrom=\"ieri\"/>").sendAlone);
}

TEST(PharmaStatements, datesConvertAsTheServerWouldWithStyle120) {
  const auto converts = [](const std::string& xml) {
    XmlElement element = record(xml);
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
