// The value rules of the general catalogues import's statements: what an absent attribute is
// written as, how flags, numbers and dates are read, the quoting of ' and the records that are
// skipped. The statements' texts around the values (column lists, tabs, the clean-up chains) are
// pinned whole by the golden trace of the shipped sample (samples/traces/); the forms no sample
// reaches are compared whole here.
#include <gtest/gtest.h>

#include "import/NomenclatureStatements.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace {

using namespace qiva::import;
using namespace qiva::import::nomenclatures;
using qiva::import::test::RecordFromXml;
using qiva::import::test::StatementOf;
using qiva::import::test::ValuesCase;
using qiva::import::test::ValuesOf;

// Absent attributes: '' for text and dates, 0 for flags and numbers, NULL (or null) where the
// table takes it, '19000101 00:00' for the ends that the clean-up turns into NULL afterwards.
TEST(NomenclatureStatements, absentAttributesAreWrittenAsEachColumnWants) {
  const ValuesCase cases[] = {
      {LaboratoryServiceInsert, "<LABORATORIESSERVICE/>", "values ('','',0,0,0,0,'','',0)"},
      {PersonStateInsert, "<PERSONSTATE/>", "values ('','')"},
      {PersonTypeInsert, "<PERSONTYPE/>", "values ('','',0)"},
      {PersonCategoryInsert, "<PERSONCATEGORY/>", "values ('','',0,0,0,0,'','',0,0,0,'')"},
      {MedSrvPackInsert, "<MEDSRVPACK/>", "values ('','')"},
      {InsuranceHouseInsert, "<INSURANCEHOUSE/>", "values ('','','','')"},
      {SpecialityInsert, "<SPECIALITY/>", "values ('','','')"},
      {ClinicServiceInsert, "<CLINICSERVICE/>", "values ('','','',0,0,0,'','')"},
      {ClinSrvMedPackInsert, "<CLINSRVMEDPACK/>", "values ('','','',0.00,0.00,'',0.00,0.00)"},
      {ClinSrvGrpSpecialtyInsert, "<CLINSRVGRPSPECIALTY/>", "values ('','','',NULL)"},
      {ErrorInsert, "<ERROR/>", "values ('','','',NULL)"},
      {MedicalFormTypeInsert, "<MEDICALFORMTYPE/>", "values ('','','','19000101 00:00')"},
      {TherapeuticalSchemaInsert, "<THERAPEUTICALSCHEMA/>",
       "values ('','','19000101 00:00','',null,null,null)"},
      {Icd10Insert, "<ICD10/>", "values ('','','','19000101 00:00',null)"},
  };
  for (const ValuesCase& c : cases) EXPECT_EQ(ValuesOf(c.build, c.xml), c.values) << c.xml;
  const XmlElement bare = RecordFromXml("<CHRONICDISEASE/>");
  EXPECT_EQ(ChronicDiseaseInsert(RecordReader(bare), "").sql,
            "insert into QIVA_CHRONIC_DISEASES (code,Description,displayOrder,validFrom,validTo) "
            "values ('','',0,'',NULL)");
}

// Flags: "true" in any case is 1 and everything else 0; the flags written as numbers
// (isForeign, isOptional) are 1 for any number but 0; the integers are kept as read.
TEST(NomenclatureStatements, flagsAndNumbersAreReadAsEachColumnWants) {
  const ValuesCase cases[] = {
      {LaboratoryServiceInsert,
       "<LABORATORIESSERVICE code=\"L1\" name=\"Hemoleucogram\xC4\x83\" validFrom=\"2020-01-01\" "
       "validTo=\"2030-12-31\" highLevel=\"true\" recByPC=\"TRUE\" formula=\"FALSE\" "
       "inClinic=\"yes\" serviceType=\"3\"/>",
       "values ('L1','Hemoleucogram\xC4\x83',1,1,0,0,'2020-01-01','2030-12-31',3)"},
      {PersonTypeInsert, "<PERSONTYPE code=\"T\" description=\"Strain\" isForeign=\"2\"/>",
       "values ('T','Strain',1)"},
      {PersonTypeInsert, "<PERSONTYPE isForeign=\"abc\"/>", "values ('','',0)"},
      {PersonCategoryInsert,
       "<PERSONCATEGORY code=\"C\" description=\"Copil\" restrictedMinAge=\"1\" "
       "supportsOverlapping=\"TRUE\" definedByAge=\"false\" maxDuration=\"18\" "
       "maxDurationRoundType=\"Y\" personState=\"1\" priority=\"5\" isOptional=\"1\" "
       "canBeReported=\"-1\" validFrom=\"2019-05-01\"/>",
       "values ('C','Copil',1,1,0,18,'Y','1',5,1,-1,'2019-05-01')"},
      {ClinicServiceInsert,
       "<CLINICSERVICE code=\"S1\" name=\"Consult\" serviceGroup=\"G\" isExam=\"True\" "
       "opRoom=\"false\" isConnectedService=\"TRUE\" validFrom=\"2020-01-01\" "
       "validTo=\"2020-12-31\"/>",
       "values ('S1','Consult','G',1,0,1,'2020-01-01','2020-12-31')"},
      // Pack points are rounded to two decimals, half away from zero; a blank before the
      // number is read past.
      {ClinSrvMedPackInsert,
       "<CLINSRVMEDPACK service=\"S1\" medSrvPack=\"P\" validFrom=\"2020-01-01\" "
       "validTo=\"2021-01-01\" points=\"1.115\" pointsCtrl=\" 2\" valueLei=\"10.005\" "
       "pointsSrg=\"-0.5\"/>",
       "values ('S1','P','2020-01-01',1.12,2.00,'2021-01-01',10.01,-0.50)"},
      // "nan" or "infinity" is text that is no number: written as 0.00, and the record is kept.
      {ClinSrvMedPackInsert,
       "<CLINSRVMEDPACK service=\"S\" points=\"nan\" pointsCtrl=\"-INF\" valueLei=\"infinity\" "
       "pointsSrg=\" NaN(1)\"/>",
       "values ('S','','',0.00,0.00,'',0.00,0.00)"},
  };
  for (const ValuesCase& c : cases) EXPECT_EQ(ValuesOf(c.build, c.xml), c.values) << c.xml;
}

TEST(NomenclatureStatements, doublesApostrophesInEveryQuotedValue) {
  EXPECT_EQ(
      ValuesOf(Icd10Insert, "<ICD10 code=\"B'1\" name=\"Boala lui D'Or\" diseaseCategory=\"x'\"/>"),
      "values ('B''1','Boala lui D''Or','','19000101 00:00','x''')");
  const XmlElement house = RecordFromXml("<INSURANCEHOUSE code=\"a'b\"/>");
  EXPECT_EQ(InsuranceHouseLookup(RecordReader(house)),
            "select id from QIVA_INSURANCE_HOUSE where code='a''b'");
}

// A chronic disease's description loses its diacritics; a disease already stored is updated by
// its id (no shipped sample reaches the update: the statement is compared whole).
TEST(NomenclatureStatements, chronicDiseaseDescriptionLosesDiacriticsAndUpdatesByItsId) {
  const XmlElement disease = RecordFromXml(
      "<CHRONICDISEASE code=\"D1\" description=\"Afec\xC5\xA3iune cronic\xC4\x83\" "
      "orderNo=\"4\" validFrom=\"2020-01-01\" validTo=\"2030-01-01\"/>");
  const RecordReader r(disease);
  const std::string description = ChronicDiseaseDescription(r);
  EXPECT_EQ(description, "Afectiune cronica");
  EXPECT_EQ(ChronicDiseaseUpdate(r, description, 17).sql,
            "update QIVA_CHRONIC_DISEASES set Description='Afectiune cronica',displayOrder=4,"
            "validFrom='2020-01-01',validTo='2030-01-01' where id=17");
}

TEST(NomenclatureStatements, skipsARecServiceWhoseTariffIsNotANumber) {
  for (const char* tariff : {"", "abc", "1;delete from QIVA_ICD10", "12,5"}) {
    const RecordStatement statement = StatementOf(
        RecServiceInsert, std::string("<RECSERVICE code=\"R\" tariff=\"") + tariff + "\"/>");
    EXPECT_NE(statement.skipReason, "") << tariff;
    EXPECT_NE(statement.sql.find(std::string(",'',") + tariff + ",''"), std::string::npos);
  }
  EXPECT_NE(StatementOf(RecServiceInsert, "<RECSERVICE code=\"R\"/>").skipReason, "");
}

// A number beyond single precision, or one whose two-decimal text would pass 38 digits, cannot
// be written; the reason names every such value of the record, not only the last.
TEST(NomenclatureStatements, skipsPackPointsOutOfRangeNamingEveryOne) {
  const RecordStatement statement =
      StatementOf(ClinSrvMedPackInsert,
                  "<CLINSRVMEDPACK service=\"S\" points=\"3.5e38\" pointsCtrl=\"1e37\" "
                  "valueLei=\"1e999\" pointsSrg=\"1e35\"/>");
  EXPECT_EQ(statement.skipReason,
            "points is out of range: '3.5e38'; pointsCtrl is out of range: '1e37'; "
            "valueLei is out of range: '1e999'");
  EXPECT_NE(statement.sql.find("values ('S','','',3.5e38,1e37,'',1e999,"
                               "100000004091847875962975319375216640.00)"),
            std::string::npos)
      << statement.sql;
}

// An integer beyond 32 bits would be stored clamped: the record is skipped, naming every such
// value, and the logged statement shows the text as read.
TEST(NomenclatureStatements, skipsIntegersBeyondThirtyTwoBitsNamingEveryOne) {
  const RecordStatement statement =
      StatementOf(PersonCategoryInsert,
                  "<PERSONCATEGORY code=\"C\" restrictedMinAge=\"99999999999\" "
                  "maxDuration=\"2147483647\" priority=\"-2147483649\"/>");
  EXPECT_EQ(statement.skipReason,
            "restrictedMinAge is out of range: '99999999999'; priority is out of range: "
            "'-2147483649'");
  EXPECT_NE(statement.sql.find("values ('C','',99999999999,0,0,2147483647,'','',-2147483649,"),
            std::string::npos)
      << statement.sql;
  EXPECT_EQ(
      StatementOf(LaboratoryServiceInsert, "<LABORATORIESSERVICE serviceType=\"4294967296\"/>")
          .skipReason,
      "serviceType is out of range: '4294967296'");
  const XmlElement disease = RecordFromXml("<CHRONICDISEASE code=\"D\" orderNo=\"3000000000\"/>");
  EXPECT_EQ(ChronicDiseaseInsert(RecordReader(disease), "").skipReason,
            "orderNo is out of range: '3000000000'");
  EXPECT_EQ(ChronicDiseaseUpdate(RecordReader(disease), "", 1).skipReason,
            "orderNo is out of range: '3000000000'");
}

}  // namespace
