// The general catalogues routine against a recording engine: which statements run, in which
// order, with which progress texts.
#include <gtest/gtest.h>

#include "import/Nomenclatures.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace {

using qiva::import::ImportNomenclatures;
using qiva::import::test::RecordedImport;
using Strings = std::vector<std::string>;

TEST(ImportNomenclatures, numbersRecordsAcrossSectionsAndClosesWithTheTotal) {
  RecordedImport run;
  const std::string path =
      run.writeFile("n.xml",
                    "<Catalogues><personStates><PersonState code='1' description='A'/>"
                    "<personstate code='2' description='B'/></personStates>"
                    "<ICD10S><ICD10 code='A00' name='Holera'/><Other/><ICD10 code='B01'/></ICD10S>"
                    "<Unknown><ICD10 code='X'/></Unknown></Catalogues>");
  EXPECT_EQ(ImportNomenclatures(run.context, path), 1);
  EXPECT_EQ(run.frontEnd.statuses(),
            (Strings{"Procesez inregistrarea 1 ...", "Procesez inregistrarea 2 ...",
                     "Procesez inregistrarea 3 ...", "Procesez inregistrarea 4 ...",
                     "Procesez inregistrarea 5 ...", "Procesat 5 inregistrari"}));
  EXPECT_EQ(
      run.shared->executed,
      (Strings{"delete from QIVA_PERSON_STATES",
               "insert into QIVA_PERSON_STATES (code,description) values ('1','A')",
               "insert into QIVA_PERSON_STATES (code,description) values ('2','B')",
               "delete from QIVA_ICD10",
               "insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) "
               "values ('A00','Holera','','19000101 00:00',null)",
               "insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) "
               "values ('B01','','','19000101 00:00',null)",
               " update QIVA_ICD10 set valid_To=NULL where valid_to='19000101 00:00'",
               " delete from QIVA_ICD10 where convert(datetime,convert(varchar(10),getdate(),"
               "103),103) not between valid_from and ISNULL(valid_to,getdate()) "}));
}

TEST(ImportNomenclatures, runsTheFormTypeUpdateAfterEveryChildAndNeverReusesACode) {
  RecordedImport run;
  const std::string path =
      run.writeFile("n.xml",
                    "<Catalogues><MedicalFormTypes><MedicalFormType code='BT' name='Bilet'/><Note/>"
                    "<MedicalFormType name='Fara cod'/></MedicalFormTypes></Catalogues>");
  ImportNomenclatures(run.context, path);
  const std::string update =
      " update QIVA_MEDICAL_FORM_TYPES set validTo=NULL where validto='19000101 00:00'";
  EXPECT_EQ(run.shared->executed,
            (Strings{"delete from QIVA_MEDICAL_FORM_TYPES ",
                     "insert into QIVA_MEDICAL_FORM_TYPES (code,name,VALIDFROM,validTo) values "
                     "('BT','Bilet','','19000101 00:00')",
                     update, update,
                     "insert into QIVA_MEDICAL_FORM_TYPES (code,name,VALIDFROM,validTo) values "
                     "('','Fara cod','','19000101 00:00')",
                     update}));
}

TEST(ImportNomenclatures, leavesEveryTableAloneWhenTheRootIsNotCatalogues) {
  RecordedImport run;
  const std::string path = run.writeFile("n.xml", "<ICD10S><ICD10 code='A'/></ICD10S>");
  ImportNomenclatures(run.context, path);
  EXPECT_TRUE(run.shared->executed.empty());
  EXPECT_EQ(run.frontEnd.statuses(), Strings{"Procesat 0 inregistrari"});
}

TEST(ImportNomenclatures, insertsOnlyMissingInsuranceHousesAndSpecialities) {
  RecordedImport run;
  run.answerId("select id from QIVA_INSURANCE_HOUSE where code='CJ'", 4);
  const std::string path = run.writeFile(
      "n.xml",
      "<Catalogues><InsuranceHouses><InsuranceHouse code='CJ' name='Alt nume'/>"
      "<InsuranceHouse code='B' name='Bucuresti' type='J' "
      "validFrom='2002-01-01'/></InsuranceHouses>"
      "<Specialities><Speciality code='M1' name='Interne'/></Specialities></Catalogues>");
  ImportNomenclatures(run.context, path);
  EXPECT_EQ(run.shared->queries, (Strings{"select id from QIVA_INSURANCE_HOUSE where code='CJ'",
                                          "select id from QIVA_INSURANCE_HOUSE where code='B'",
                                          "select id from QIVA_SPECIALITIES where code='M1'"}));
  EXPECT_EQ(
      run.shared->executed,
      (Strings{"insert into QIVA_INSURANCE_HOUSE (code,name,type,validFrom) values "
               "('B','Bucuresti','J','2002-01-01')",
               "insert into QIVA_SPECIALITIES (code,name,validFrom) values ('M1','Interne','')"}));
}

TEST(ImportNomenclatures, updatesAKnownChronicDiseaseByIdAndInsertsANewOne) {
  RecordedImport run;
  run.answerId("select id from QIVA_CHRONIC_DISEASES where code='1'", 17);
  const std::string path = run.writeFile(
      "n.xml",
      "<Catalogues><ChronicDiseases>"
      "<ChronicDisease code='1' description='Afec\xC5\xA3iune' orderNo='3' validFrom='2010-01-01'/>"
      "<ChronicDisease code='2' description='Boal\xC4\x83' validTo='2030-01-01'/>"
      "</ChronicDiseases></Catalogues>");
  ImportNomenclatures(run.context, path);
  EXPECT_EQ(run.shared->executed,
            (Strings{"update QIVA_CHRONIC_DISEASES set Description='Afectiune',displayOrder=3,"
                     "validFrom='2010-01-01',validTo=NULL where id=17",
                     "insert into QIVA_CHRONIC_DISEASES (code,Description,displayOrder,validFrom,"
                     "validTo) values ('2','Boala',0,'','2030-01-01')"}));
}

// An id read back as a real beyond 32 bits cannot be converted: the look-up fails, so the
// record is inserted; a real id in range is used as before.
TEST(ImportNomenclatures, chronicDiseaseIdBeyondThirtyTwoBitsIsAFailedLookUp) {
  RecordedImport run;
  const std::string wide = "select id from QIVA_CHRONIC_DISEASES where code='1'";
  run.shared->answers[wide] = qiva::db::ResultSet{{"id"}, {{DbValue(4294967296.0)}}};
  run.shared->answers["select id from QIVA_CHRONIC_DISEASES where code='2'"] =
      qiva::db::ResultSet{{"id"}, {{DbValue(17.0)}}};
  const std::string path = run.writeFile(
      "n.xml",
      "<Catalogues><ChronicDiseases><ChronicDisease code='1'/><ChronicDisease code='2'/>"
      "</ChronicDiseases></Catalogues>");
  ImportNomenclatures(run.context, path);
  EXPECT_EQ(run.shared->executed,
            (Strings{"insert into QIVA_CHRONIC_DISEASES (code,Description,displayOrder,validFrom,"
                     "validTo) values ('1','',0,'',NULL)",
                     "update QIVA_CHRONIC_DISEASES set Description='',displayOrder=0,"
                     "validFrom='',validTo=NULL where id=17"}));
  EXPECT_NE(run.logText().find("Look-up failed: the id does not fit 32 bits\r\n" + wide),
            std::string::npos);
}

TEST(ImportNomenclatures, logsAndSkipsARecServiceWithoutANumericTariff) {
  RecordedImport run;
  const std::string path =
      run.writeFile("n.xml",
                    "<Catalogues><RecServices><RecService code='R1' tariff='abc'/>"
                    "<RecService code='R2' tariff='10'/></RecServices></Catalogues>");
  ImportNomenclatures(run.context, path);
  ASSERT_EQ(run.shared->executed.size(), 5u);
  EXPECT_EQ(run.shared->executed[1],
            "insert into QIVA_REC_SERVICES (code,name,tariff,serviceType,validFrom,validTo) "
            "values ('R2','',10,'','','19000101 00:00')");
  const std::string log = run.logText();
  EXPECT_NE(
      log.find("Record skipped: tariff is not a number: 'abc'\r\ninsert into QIVA_REC_SERVICES "
               "(code,name,tariff,serviceType,validFrom,validTo) values ('R1','',abc,"),
      std::string::npos)
      << log;
  EXPECT_EQ(run.frontEnd.statuses().back(), "Procesat 2 inregistrari");
}

}  // namespace
