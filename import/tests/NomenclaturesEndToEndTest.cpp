// The general catalogues import into a fresh embedded database, checked by the rows it leaves.
#include <gtest/gtest.h>

#include "import/Nomenclatures.h"
#include "import/toolkit/tests/EmbeddedImportTest.h"

namespace {

using qiva::import::ImportNomenclatures;
using qiva::import::test::EmbeddedImportTest;
using qiva::import::test::Rows;

class NomenclaturesEndToEnd : public EmbeddedImportTest {
 protected:
  void import(const std::string& body, const std::string& root = "Catalogues") {
    EmbeddedImportTest::import(
        ImportNomenclatures,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><" + root + ">" + body + "</" + root + ">",
        "catalogues.xml");
  }
};

TEST_F(NomenclaturesEndToEnd, refillsOnlyTheSectionsTheFileCarries) {
  database.Execute("insert into QIVA_PERSON_STATES (code,description) values ('9','Vechi')");
  database.Execute("insert into QIVA_MED_SRV_PACKS (code,name) values ('P','Pastrat')");
  import(
      "<PersonStates><PersonState code='1' description='Asigurat'/><PersonState code='2'/>"
      "<PersonState code='3' description='Asigurat pe baz\xC4\x83 de card'/></PersonStates>");
  EXPECT_EQ(rows("select code, description from QIVA_PERSON_STATES order by code",
                 {"code", "description"}),
            (Rows{{"1", "Asigurat"}, {"2", ""}, {"3", "Asigurat pe baz\xC4\x83 de card"}}));
  EXPECT_EQ(rows("select code from QIVA_MED_SRV_PACKS", {"code"}), (Rows{{"P"}}));
  EXPECT_EQ(frontEnd.statuses().back(), "Procesat 3 inregistrari");
}

TEST_F(NomenclaturesEndToEnd, leavesEveryTableAloneWhenTheRootIsWrong) {
  database.Execute("insert into QIVA_PERSON_STATES (code,description) values ('9','Vechi')");
  import("<PersonStates><PersonState code='1'/></PersonStates>", "Catalog");
  EXPECT_EQ(rows("select code from QIVA_PERSON_STATES", {"code"}), (Rows{{"9"}}));
  EXPECT_EQ(frontEnd.statuses(), (std::vector<std::string>{"Procesat 0 inregistrari"}));
}

TEST_F(NomenclaturesEndToEnd, writesFlagsNumericFlagsAndSinglePrecisionPoints) {
  import(
      "<LaboratoriesServices><LaboratoriesService code='L' name='n' validFrom='2000-01-01' "
      "highLevel='true' formula='FALSE'/></LaboratoriesServices>"
      "<PersonTypes><PersonType code='A' isForeign='2'/><PersonType code='B' isForeign='abc'/>"
      "</PersonTypes>"
      "<ClinSrvMedPacks><ClinSrvMedPack service='S' points='1.115'/></ClinSrvMedPacks>");
  EXPECT_EQ(rows("select highLevel, formula, inClinic from QIVA_LABORATORIES_SERVICES",
                 {"highLevel", "formula", "inClinic"}),
            (Rows{{"1", "0", "0"}}));
  EXPECT_EQ(
      rows("select code, isForeign from QIVA_PERSON_TYPES order by code", {"code", "isForeign"}),
      (Rows{{"A", "1"}, {"B", "0"}}));
  EXPECT_EQ(rows("select points, valueLei, validTo from QIVA_CLIN_SRV_MED_PACK",
                 {"points", "valueLei", "validTo"}),
            (Rows{{"1.12", "0", "NULL"}}));
}

TEST_F(NomenclaturesEndToEnd, keepsOnlyClinicServicesValidTodayWithNullForAnOpenEnd) {
  import(
      "<ClinicServices>"
      "<ClinicService code='OPEN' name='a' validFrom='2019-01-01'/>"
      "<ClinicService code='LATER' name='b' validFrom='2019-01-01' validTo='2099-12-31'/>"
      "<ClinicService code='PAST' name='c' validFrom='2015-01-01' validTo='2016-12-31'/>"
      "<ClinicService code='FUTURE' name='d' validFrom='2099-01-01'/>"
      "</ClinicServices>");
  EXPECT_EQ(
      rows("select code, validTo from QIVA_CLINIC_SERVICES order by code", {"code", "validTo"}),
      (Rows{{"LATER", "2099-12-31 00:00:00.000"}, {"OPEN", "NULL"}}));
}

TEST_F(NomenclaturesEndToEnd, writesErrorEndsAsNullOrAsGiven) {
  import(
      "<Errors><Error code='E1' text='t' validFrom='2015-01-01'/>"
      "<Error code='E2' text='u' validFrom='2015-01-01' validTo='2030-01-01'/></Errors>");
  EXPECT_EQ(rows("select code, validTo from QIVA_ERRORS order by code", {"code", "validTo"}),
            (Rows{{"E1", "NULL"}, {"E2", "2030-01-01 00:00:00.000"}}));
}

TEST_F(NomenclaturesEndToEnd, keepsAnExistingInsuranceHouseAndUpdatesChronicDiseasesInPlace) {
  database.Execute(
      "insert into QIVA_INSURANCE_HOUSE (code,name,type,validFrom) values "
      "('CJ','Nume vechi','J','2002-01-01')");
  database.Execute(
      "insert into QIVA_CHRONIC_DISEASES (code,Description,displayOrder,validFrom,"
      "validTo) values ('1','Veche',9,'2000-01-01',NULL)");
  database.Execute(
      "insert into QIVA_CHRONIC_DISEASES (code,Description,displayOrder,validFrom,"
      "validTo) values ('7','Neatinsa',7,'2000-01-01',NULL)");
  import(
      "<InsuranceHouses><InsuranceHouse code='CJ' name='Nume nou'/>"
      "<InsuranceHouse code='B' name='Bucure\xC8\x99ti'/></InsuranceHouses>"
      "<ChronicDiseases>"
      "<ChronicDisease code='1' description='Afec\xC5\xA3iune cronic\xC4\x83' orderNo='2' "
      "validFrom='2010-01-01' validTo='2030-01-01'/>"
      "<ChronicDisease code='2' description='Nou\xC4\x83'/></ChronicDiseases>");
  EXPECT_EQ(rows("select code, name from QIVA_INSURANCE_HOUSE order by code", {"code", "name"}),
            (Rows{{"B", "Bucure\xC8\x99ti"}, {"CJ", "Nume vechi"}}));
  EXPECT_EQ(rows("select code, Description, displayOrder, validTo from QIVA_CHRONIC_DISEASES "
                 "order by code",
                 {"code", "Description", "displayOrder", "validTo"}),
            (Rows{{"1", "Afectiune cronica", "2", "2030-01-01 00:00:00.000"},
                  {"2", "Noua", "0", "NULL"},
                  {"7", "Neatinsa", "7", "NULL"}}));
  EXPECT_EQ(rows("select count(*) n from QIVA_CHRONIC_DISEASES where code='1'", {"n"}),
            (Rows{{"1"}}));
}

TEST_F(NomenclaturesEndToEnd, turnsPlaceholdersIntoNullAndWritesMissingTailsAsNull) {
  import(
      "<TherapeuticalSchemas><TherapeuticalSchema code='T1' validFrom='2020-01-01' "
      "description='d' diseaseCategory='5'/></TherapeuticalSchemas>"
      "<MedicalFormTypes><MedicalFormType code='BT' name='Bilet'/>"
      "<MedicalFormType name='Fara cod'/></MedicalFormTypes>"
      "<ICD10s><ICD10 code='A00' name='Holer\xC4\x83' validFrom='2000-01-01'/>"
      "<ICD10 code='Z99' name='retras' validFrom='2000-01-01' validTo='2010-01-01'/></ICD10s>");
  EXPECT_EQ(rows("select code, validTo, diseaseCategory, nhpCode, formType from "
                 "QIVA_THERAPEUTICAL_SCHEMAS",
                 {"code", "validTo", "diseaseCategory", "nhpCode", "formType"}),
            (Rows{{"T1", "NULL", "5", "NULL", "NULL"}}));
  EXPECT_EQ(rows("select code, name, validTo from QIVA_MEDICAL_FORM_TYPES order by name",
                 {"code", "name", "validTo"}),
            (Rows{{"BT", "Bilet", "NULL"}, {"", "Fara cod", "NULL"}}));
  EXPECT_EQ(rows("select code, description, valid_To, diseasecategory from QIVA_ICD10",
                 {"code", "description", "valid_To", "diseasecategory"}),
            (Rows{{"A00", "Holer\xC4\x83", "NULL", "NULL"}}));
}

TEST_F(NomenclaturesEndToEnd, cleansNamesOfDiacriticsAndTheEscapedLessThan) {
  import(
      "<RecServices><RecService code='R' name='\xC4\x83\xC5\x9F\xC5\xA3\xC3\xAE\xC3\xA2 "
      "\xE2\x80\x93 "
      "&amp;lt; &lt; \xC4\x82\xC8\x99' tariff='1' validFrom='2019-01-01'/></RecServices>"
      "<ClinicServices><ClinicService code='C' name='O&apos;Brien \xC5\x9F\xE2\x80\x93' "
      "validFrom='2019-01-01'/></ClinicServices>");
  EXPECT_EQ(rows("select name from QIVA_REC_SERVICES", {"name"}),
            (Rows{{"astia - < < \xC4\x82\xC8\x99"}}));
  EXPECT_EQ(rows("select name from QIVA_CLINIC_SERVICES", {"name"}),
            (Rows{{"O'Brien s\xE2\x80\x93"}}));
}

TEST_F(NomenclaturesEndToEnd, loadsTheShippedSampleFile) {
  ImportNomenclatures(context, QIVA_SAMPLES_DIR "/nomenclatoare_generale.xml");
  EXPECT_EQ(frontEnd.statuses().back(), "Procesat 46 inregistrari");
  EXPECT_EQ(rows("select description from QIVA_ICD10 where code='J45'", {"description"}),
            (Rows{{"Astmul bron\xC5\x9F"
                   "ic al lui O'Brien"}}));
  EXPECT_EQ(rows("select count(*) n from QIVA_REC_SERVICES", {"n"}), (Rows{{"2"}}));
}

}  // namespace

namespace {

// A text of several statements that the database refuses as a whole is one rejection, however
// many statements it held.
TEST_F(NomenclaturesEndToEnd, aBatchRefusedAsAWholeCountsAsOneRejection) {
  EXPECT_FALSE(database.Execute(
      " SET NOCOUNT ON \ninsert into QIVA_ERRORS (code,text,validFrom) values "
      "('E1','a','2015-01-01')"
      "\ninsert into QIVA_ERRORS (code,text,validFrom) values ('E2','b','31.02.2015')"
      "\ninsert into QIVA_ERRORS (code,text,validFrom) values ('E3','c','2015-01-01')"));
  EXPECT_EQ(context.Outcome().rejectedStatements, 1);
}

}  // namespace
