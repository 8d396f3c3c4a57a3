// Exact statement texts of the general catalogues import: for each record kind one record with
// every attribute and one with none, compared byte for byte (\t is one tab).
#include <gtest/gtest.h>

#include "import/NomenclatureStatements.h"

namespace {

using namespace qiva::import;
using namespace qiva::import::nomenclatures;

// Parses one record element written as XML text.
XmlElement record(const std::string& xml) {
  XmlParseResult result;
  const std::string tag = xml.substr(1, xml.find_first_of(" /", 1) - 1);
  XmlElement element = parseXmlText(xml.c_str(), tag, result);
  EXPECT_EQ(result.code, 0) << xml;
  return element;
}

std::string sql(RecordStatement (*build)(const RecordReader&), const std::string& xml) {
  XmlElement element = record(xml);
  RecordStatement statement = build(RecordReader(element));
  EXPECT_EQ(statement.skipReason, "") << xml;
  return statement.sql;
}

TEST(NomenclatureStatements, laboratoryService) {
  EXPECT_EQ(
      sql(LaboratoryServiceInsert,
          "<LABORATORIESSERVICE code=\"L1\" name=\"Hemoleucogram\xC4\x83\" "
          "validFrom=\"2020-01-01\" validTo=\"2030-12-31\" highLevel=\"true\" "
          "recByPC=\"TRUE\" formula=\"FALSE\" inClinic=\"yes\" serviceType=\"3\"/>"),
      "insert into QIVA_LABORATORIES_SERVICES (code,name,highLevel,recByPC,Formula,"
      "InClinic,ValidFrom,validTo,ServiceType)\t\t\t\t\t\tvalues ('L1','Hemoleucogram\xC4\x83',"
      "1,1,0,0,'2020-01-01','2030-12-31',3)");
  EXPECT_EQ(sql(LaboratoryServiceInsert, "<LABORATORIESSERVICE/>"),
            "insert into QIVA_LABORATORIES_SERVICES (code,name,highLevel,recByPC,Formula,"
            "InClinic,ValidFrom,validTo,ServiceType)\t\t\t\t\t\tvalues ('','',0,0,0,0,'','',0)");
}

TEST(NomenclatureStatements, personStatesTypesCategoriesAndPacks) {
  EXPECT_EQ(sql(PersonStateInsert, "<PERSONSTATE code=\"1\" description=\"Asigurat\"/>"),
            "insert into QIVA_PERSON_STATES (code,description) values ('1','Asigurat')");
  EXPECT_EQ(sql(PersonStateInsert, "<PERSONSTATE/>"),
            "insert into QIVA_PERSON_STATES (code,description) values ('','')");
  EXPECT_EQ(
      sql(PersonTypeInsert, "<PERSONTYPE code=\"T\" description=\"Strain\" isForeign=\"2\"/>"),
      "insert into QIVA_PERSON_TYPES (code,description,isForeign) values ('T','Strain',1)");
  EXPECT_EQ(sql(PersonTypeInsert, "<PERSONTYPE isForeign=\"abc\"/>"),
            "insert into QIVA_PERSON_TYPES (code,description,isForeign) values ('','',0)");
  EXPECT_EQ(sql(PersonCategoryInsert,
                "<PERSONCATEGORY code=\"C\" description=\"Copil\" restrictedMinAge=\"1\" "
                "supportsOverlapping=\"TRUE\" definedByAge=\"false\" maxDuration=\"18\" "
                "maxDurationRoundType=\"Y\" personState=\"1\" priority=\"5\" isOptional=\"1\" "
                "canBeReported=\"-1\" validFrom=\"2019-05-01\"/>"),
            "insert into QIVA_PERSON_CATEGORY (code,description,restrictedMinAge,"
            "supportsOverlapping,definedByAge,maxDuration,maxDurationRoundType,personState,"
            "priority,isOptional,canBeReported,validFrom)\t\t\t\t\t\t\t\tvalues "
            "('C','Copil',1,1,0,18,'Y','1',5,1,-1,'2019-05-01')");
  EXPECT_EQ(sql(PersonCategoryInsert, "<PERSONCATEGORY/>"),
            "insert into QIVA_PERSON_CATEGORY (code,description,restrictedMinAge,"
            "supportsOverlapping,definedByAge,maxDuration,maxDurationRoundType,personState,"
            "priority,isOptional,canBeReported,validFrom)\t\t\t\t\t\t\t\tvalues "
            "('','',0,0,0,0,'','',0,0,0,'')");
  EXPECT_EQ(sql(MedSrvPackInsert, "<MEDSRVPACK code=\"P\" name=\"Pachet\"/>"),
            "insert into QIVA_MED_SRV_PACKS (code,name) values ('P','Pachet')");
  EXPECT_EQ(sql(MedSrvPackInsert, "<MEDSRVPACK/>"),
            "insert into QIVA_MED_SRV_PACKS (code,name) values ('','')");
}

TEST(NomenclatureStatements, insuranceHousesAndSpecialities) {
  XmlElement house =
      record("<INSURANCEHOUSE code=\"CJ\" name=\"CAS Cluj\" type=\"J\" validFrom=\"2001-01-01\"/>");
  EXPECT_EQ(InsuranceHouseLookup(RecordReader(house)),
            "select id from QIVA_INSURANCE_HOUSE where code='CJ'");
  EXPECT_EQ(InsuranceHouseInsert(RecordReader(house)).sql,
            "insert into QIVA_INSURANCE_HOUSE (code,name,type,validFrom) values "
            "('CJ','CAS Cluj','J','2001-01-01')");
  XmlElement empty = record("<INSURANCEHOUSE/>");
  EXPECT_EQ(InsuranceHouseInsert(RecordReader(empty)).sql,
            "insert into QIVA_INSURANCE_HOUSE (code,name,type,validFrom) values ('','','','')");
  XmlElement speciality = record(
      "<SPECIALITY code=\"M1\" name=\"Medicin\xC4\x83 intern\xC4\x83\" validFrom=\"2010-01-01\"/>");
  EXPECT_EQ(SpecialityLookup(RecordReader(speciality)),
            "select id from QIVA_SPECIALITIES where code='M1'");
  EXPECT_EQ(SpecialityInsert(RecordReader(speciality)).sql,
            "insert into QIVA_SPECIALITIES (code,name,validFrom) values "
            "('M1','Medicin\xC4\x83 intern\xC4\x83','2010-01-01')");
  XmlElement none = record("<SPECIALITY/>");
  EXPECT_EQ(SpecialityInsert(RecordReader(none)).sql,
            "insert into QIVA_SPECIALITIES (code,name,validFrom) values ('','','')");
}

TEST(NomenclatureStatements, clinicServicesAndPackPoints) {
  EXPECT_EQ(sql(ClinicServiceInsert,
                "<CLINICSERVICE code=\"S1\" name=\"Consult\" serviceGroup=\"G\" isExam=\"True\" "
                "opRoom=\"false\" isConnectedService=\"TRUE\" validFrom=\"2020-01-01\" "
                "validTo=\"2020-12-31\"/>"),
            "insert into QIVA_CLINIC_SERVICES (code,name,serviceGroup,isExam,opRoom,"
            "isConnectedService,validFrom,validTo) values "
            "('S1','Consult','G',1,0,1,'2020-01-01','2020-12-31')");
  EXPECT_EQ(sql(ClinicServiceInsert, "<CLINICSERVICE/>"),
            "insert into QIVA_CLINIC_SERVICES (code,name,serviceGroup,isExam,opRoom,"
            "isConnectedService,validFrom,validTo) values ('','','',0,0,0,'','')");
  EXPECT_EQ(sql(ClinSrvMedPackInsert,
                "<CLINSRVMEDPACK service=\"S1\" medSrvPack=\"P\" validFrom=\"2020-01-01\" "
                "validTo=\"2021-01-01\" points=\"1.115\" pointsCtrl=\" 2\" valueLei=\"10.005\" "
                "pointsSrg=\"-0.5\"/>"),
            "insert into QIVA_CLIN_SRV_MED_PACK (service,medSrvPack,validFrom,points,pointsCtrl,"
            "validTo,valueLei,pointsSrg) values ('S1','P','2020-01-01',1.12,2.00,'2021-01-01',"
            "10.01,-0.50)");
  EXPECT_EQ(sql(ClinSrvMedPackInsert, "<CLINSRVMEDPACK/>"),
            "insert into QIVA_CLIN_SRV_MED_PACK (service,medSrvPack,validFrom,points,pointsCtrl,"
            "validTo,valueLei,pointsSrg) values ('','','',0.00,0.00,'',0.00,0.00)");
}

TEST(NomenclatureStatements, specialityGroupsErrorsAndChronicDiseasesUseTheNullWord) {
  EXPECT_EQ(sql(ClinSrvGrpSpecialtyInsert,
                "<CLINSRVGRPSPECIALTY serviceGroup=\"G\" specialty=\"M1\" validFrom=\"2020-01-01\" "
                "validTo=\"2030-01-01\"/>"),
            "insert into QIVA_CLIN_SRV_GRP_SPECIALITIES (SERVICEGROUP,SPECIALITY,validFrom,"
            "validTo) values ('G','M1','2020-01-01','2030-01-01')");
  EXPECT_EQ(sql(ClinSrvGrpSpecialtyInsert, "<CLINSRVGRPSPECIALTY/>"),
            "insert into QIVA_CLIN_SRV_GRP_SPECIALITIES (SERVICEGROUP,SPECIALITY,validFrom,"
            "validTo) values ('','','',NULL)");
  EXPECT_EQ(sql(ErrorInsert,
                "<ERROR code=\"E1\" text=\"Cod invalid\" validFrom=\"2020-01-01\" "
                "validTo=\"2030-01-01\"/>"),
            "insert into QIVA_ERRORS (code,text,validFrom,validTo) values "
            "('E1','Cod invalid','2020-01-01','2030-01-01')");
  EXPECT_EQ(sql(ErrorInsert, "<ERROR/>"),
            "insert into QIVA_ERRORS (code,text,validFrom,validTo) values ('','','',NULL)");

  XmlElement disease = record(
      "<CHRONICDISEASE code=\"D1\" description=\"Afec\xC5\xA3iune cronic\xC4\x83\" "
      "orderNo=\"4\" validFrom=\"2020-01-01\" validTo=\"2030-01-01\"/>");
  RecordReader r(disease);
  const std::string description = ChronicDiseaseDescription(r);
  EXPECT_EQ(description, "Afectiune cronica");
  EXPECT_EQ(ChronicDiseaseLookup(r), "select id from QIVA_CHRONIC_DISEASES where code='D1'");
  EXPECT_EQ(ChronicDiseaseUpdate(r, description, 17).sql,
            "update QIVA_CHRONIC_DISEASES set Description='Afectiune cronica',displayOrder=4,"
            "validFrom='2020-01-01',validTo='2030-01-01' where id=17");
  EXPECT_EQ(ChronicDiseaseInsert(r, description).sql,
            "insert into QIVA_CHRONIC_DISEASES (code,Description,displayOrder,validFrom,validTo) "
            "values ('D1','Afectiune cronica',4,'2020-01-01','2030-01-01')");
  XmlElement bare = record("<CHRONICDISEASE/>");
  RecordReader none(bare);
  EXPECT_EQ(ChronicDiseaseInsert(none, "").sql,
            "insert into QIVA_CHRONIC_DISEASES (code,Description,displayOrder,validFrom,validTo) "
            "values ('','',0,'',NULL)");
}

TEST(NomenclatureStatements, placeholderSectionsAndPiecewiseTails) {
  EXPECT_EQ(
      sql(RecServiceInsert,
          "<RECSERVICE code=\"R1\" name=\"Ecografie\" tariff=\"12.5\" validFrom=\"2020-01-01\" "
          "validTo=\"2030-01-01\" serviceType=\"A\"/>"),
      "insert into QIVA_REC_SERVICES (code,name,tariff,serviceType,validFrom,validTo) values "
      "('R1','Ecografie',12.5,'A','2020-01-01','2030-01-01')");
  EXPECT_EQ(sql(MedicalFormTypeInsert,
                "<MEDICALFORMTYPE code=\"F\" name=\"Bilet\" validFrom=\"2020-01-01\" "
                "validTo=\"2030-01-01\"/>"),
            "insert into QIVA_MEDICAL_FORM_TYPES (code,name,VALIDFROM,validTo) values "
            "('F','Bilet','2020-01-01','2030-01-01')");
  EXPECT_EQ(sql(MedicalFormTypeInsert, "<MEDICALFORMTYPE/>"),
            "insert into QIVA_MEDICAL_FORM_TYPES (code,name,VALIDFROM,validTo) values "
            "('','','','19000101 00:00')");
  EXPECT_EQ(sql(TherapeuticalSchemaInsert,
                "<THERAPEUTICALSCHEMA code=\"TS\" validFrom=\"2020-01-01\" validTo=\"2030-01-01\" "
                "description=\"Schema\" diseaseCategory=\"DC\" nhpCode=\"N\" formType=\"FT\"/>"),
            "insert into QIVA_THERAPEUTICAL_SCHEMAS (code,VALIDFROM,validTo,description,"
            "diseaseCategory,nhpCode,formType) \t\t\t\t\t\t\t\tvalues "
            "('TS','2020-01-01','2030-01-01','Schema','DC','N','FT')");
  EXPECT_EQ(sql(TherapeuticalSchemaInsert, "<THERAPEUTICALSCHEMA/>"),
            "insert into QIVA_THERAPEUTICAL_SCHEMAS (code,VALIDFROM,validTo,description,"
            "diseaseCategory,nhpCode,formType) \t\t\t\t\t\t\t\tvalues "
            "('','','19000101 00:00','',null,null,null)");
  EXPECT_EQ(sql(Icd10Insert,
                "<ICD10 code=\"A00\" name=\"Holera\" diseaseCategory=\"1\" "
                "validFrom=\"2020-01-01\" validTo=\"2030-01-01\"/>"),
            "insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) values "
            "('A00','Holera','2020-01-01','2030-01-01','1')");
  EXPECT_EQ(sql(Icd10Insert, "<ICD10/>"),
            "insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) values "
            "('','','','19000101 00:00',null)");
}

TEST(NomenclatureStatements, doublesApostrophesInEveryQuotedValue) {
  EXPECT_EQ(
      sql(Icd10Insert, "<ICD10 code=\"B'1\" name=\"Boala lui D'Or\" diseaseCategory=\"x'\"/>"),
      "insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) values "
      "('B''1','Boala lui D''Or','','19000101 00:00','x''')");
  XmlElement house = record("<INSURANCEHOUSE code=\"a'b\"/>");
  EXPECT_EQ(InsuranceHouseLookup(RecordReader(house)),
            "select id from QIVA_INSURANCE_HOUSE where code='a''b'");
}

TEST(NomenclatureStatements, skipsARecServiceWhoseTariffIsNotANumber) {
  for (const char* tariff : {"", "abc", "1;delete from QIVA_ICD10", "12,5"}) {
    XmlElement element = record(std::string("<RECSERVICE code=\"R\" tariff=\"") + tariff + "\"/>");
    RecordStatement statement = RecServiceInsert(RecordReader(element));
    EXPECT_NE(statement.skipReason, "") << tariff;
    EXPECT_NE(statement.sql.find(std::string(",'',") + tariff + ",''"), std::string::npos);
  }
  XmlElement absent = record("<RECSERVICE code=\"R\"/>");
  EXPECT_NE(RecServiceInsert(RecordReader(absent)).skipReason, "");
}

// "nan" or "infinity" is text that is no number: written as 0.00, and the record is stored.
TEST(NomenclatureStatements, packPointsThatAreNoNumberAreWrittenAsZero) {
  EXPECT_EQ(sql(ClinSrvMedPackInsert,
                "<CLINSRVMEDPACK service=\"S\" points=\"nan\" pointsCtrl=\"-INF\" "
                "valueLei=\"infinity\" pointsSrg=\" NaN(1)\"/>"),
            "insert into QIVA_CLIN_SRV_MED_PACK (service,medSrvPack,validFrom,points,pointsCtrl,"
            "validTo,valueLei,pointsSrg) values ('S','','',0.00,0.00,'',0.00,0.00)");
}

// A number beyond single precision, or one whose two-decimal text would pass 38 digits, cannot
// be written; the reason names every such value of the record, not only the last.
TEST(NomenclatureStatements, skipsPackPointsOutOfRangeNamingEveryOne) {
  XmlElement element = record(
      "<CLINSRVMEDPACK service=\"S\" points=\"3.5e38\" pointsCtrl=\"1e37\" valueLei=\"1e999\" "
      "pointsSrg=\"1e35\"/>");
  RecordStatement statement = ClinSrvMedPackInsert(RecordReader(element));
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
  XmlElement category = record(
      "<PERSONCATEGORY code=\"C\" restrictedMinAge=\"99999999999\" maxDuration=\"2147483647\" "
      "priority=\"-2147483649\"/>");
  RecordStatement statement = PersonCategoryInsert(RecordReader(category));
  EXPECT_EQ(statement.skipReason,
            "restrictedMinAge is out of range: '99999999999'; priority is out of range: "
            "'-2147483649'");
  EXPECT_NE(statement.sql.find("values ('C','',99999999999,0,0,2147483647,'','',-2147483649,"),
            std::string::npos)
      << statement.sql;
  XmlElement service = record("<LABORATORIESSERVICE serviceType=\"4294967296\"/>");
  EXPECT_EQ(LaboratoryServiceInsert(RecordReader(service)).skipReason,
            "serviceType is out of range: '4294967296'");
  XmlElement disease = record("<CHRONICDISEASE code=\"D\" orderNo=\"3000000000\"/>");
  EXPECT_EQ(ChronicDiseaseInsert(RecordReader(disease), "").skipReason,
            "orderNo is out of range: '3000000000'");
  EXPECT_EQ(ChronicDiseaseUpdate(RecordReader(disease), "", 1).skipReason,
            "orderNo is out of range: '3000000000'");
}

TEST(NomenclatureStatements, cleanupChainsListTheirPairsWithTheirSeparators) {
  EXPECT_EQ(NameCleanupChain("qiva_laboratories_services", "\n\t\t\t\t", false),
            " update qiva_laboratories_services set name=replace(name,'\xC4\x83','a')\n\t\t\t\t"
            "update qiva_laboratories_services set name=replace(name,'\xC5\x9F','s')\n\t\t\t\t"
            "update qiva_laboratories_services set name=replace(name,'\xC5\xA3','t')\n\t\t\t\t"
            "update qiva_laboratories_services set name=replace(name,'&lt;','<')\n\t\t\t\t"
            "update qiva_laboratories_services set name=replace(name,'\xC3\xAE','i')\n\t\t\t\t"
            "update qiva_laboratories_services set name=replace(name,'\xC3\xA2','a')");
  EXPECT_EQ(NameCleanupChain("QIVA_REC_SERVICES", "\t\t\t\t", true),
            " update QIVA_REC_SERVICES set name=replace(name,'\xC4\x83','a')\t\t\t\t"
            "update QIVA_REC_SERVICES set name=replace(name,'\xC5\x9F','s')\t\t\t\t"
            "update QIVA_REC_SERVICES set name=replace(name,'\xC5\xA3','t')\t\t\t\t"
            "update QIVA_REC_SERVICES set name=replace(name,'&lt;','<')\t\t\t\t"
            "update QIVA_REC_SERVICES set name=replace(name,'\xC3\xAE','i')\t\t\t\t"
            "update QIVA_REC_SERVICES set name=replace(name,'\xC3\xA2','a')\t\t\t\t"
            "update QIVA_REC_SERVICES set name=replace(name,'\xE2\x80\x93','-')");
}

}  // namespace
