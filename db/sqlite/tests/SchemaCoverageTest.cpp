// SchemaCoverageTest.cpp: every table and column that the imports write exists in a new
// embedded database: one statement of each shape the imports send, with sample values, runs.
#include <gtest/gtest.h>

#include "db/sqlite/SqliteEngine.h"
#include "db/sqlite/tests/EngineTestSupport.h"

namespace qiva::db::testing {
namespace {

const char* const kImportStatements[] = {
    // General catalogues
    "insert into QIVA_LABORATORIES_SERVICES "
    "(code,name,highLevel,recByPC,Formula,InClinic,ValidFrom,validTo,ServiceType)"
    "\t\t\t\t\t\tvalues ('L1','n',1,0,1,0,'2020-01-01','',2)",
    "insert into QIVA_PERSON_STATES (code,description) values ('1','d')",
    "insert into QIVA_PERSON_TYPES (code,description,isForeign) values ('1','d',1)",
    "insert into QIVA_PERSON_CATEGORY "
    "(code,description,restrictedMinAge,supportsOverlapping,definedByAge,maxDuration,"
    "maxDurationRoundType,personState,priority,isOptional,canBeReported,validFrom)"
    "\t\t\t\t\t\t\t\tvalues ('1','d',18,1,0,30,'DAY','S',2,1,1,'2020-01-01')",
    "insert into QIVA_MED_SRV_PACKS (code,name) values ('P','n')",
    "select id from QIVA_INSURANCE_HOUSE where code='CAS'",
    "insert into QIVA_INSURANCE_HOUSE (code,name,type,validFrom) values "
    "('CAS','n','T','2020-01-01')",
    "select id from QIVA_SPECIALITIES where code='S'",
    "insert into QIVA_SPECIALITIES (code,name,validFrom) values ('S','n','2020-01-01')",
    "insert into QIVA_CLINIC_SERVICES "
    "(code,name,serviceGroup,isExam,opRoom,isConnectedService,validFrom,validTo) values "
    "('C','n','G',1,0,0,'2020-01-01','')",
    "insert into QIVA_CLIN_SRV_MED_PACK "
    "(service,medSrvPack,validFrom,points,pointsCtrl,validTo,valueLei,pointsSrg) values "
    "('C','P','2020-01-01',1.12,0.00,'',0.00,0.00)",
    "insert into QIVA_CLIN_SRV_GRP_SPECIALITIES (SERVICEGROUP,SPECIALITY,validFrom,validTo) values "
    "('G','S','2020-01-01',NULL)",
    "insert into QIVA_ERRORS (code,text,validFrom,validTo) values "
    "('E','t','2020-01-01','2030-01-01')",
    "select id from QIVA_CHRONIC_DISEASES where code='CD'",
    "insert into QIVA_CHRONIC_DISEASES (code,Description,displayOrder,validFrom,validTo) values "
    "('CD','d',1,'2020-01-01',NULL)",
    "update QIVA_CHRONIC_DISEASES set "
    "Description='d',displayOrder=2,validFrom='2020-01-01',validTo='2030-01-01' where id=1",
    "insert into QIVA_REC_SERVICES (code,name,tariff,serviceType,validFrom,validTo) values "
    "('R','n',10.5,'T','2020-01-01','19000101 00:00')",
    "insert into QIVA_MEDICAL_FORM_TYPES (code,name,VALIDFROM,validTo) values "
    "('F','n','2020-01-01','19000101 00:00')",
    "insert into QIVA_THERAPEUTICAL_SCHEMAS "
    "(code,VALIDFROM,validTo,description,diseaseCategory,nhpCode,formType) \t\t\t\t\t\t\t\tvalues "
    "('T','2020-01-01','19000101 00:00','d','1',null,'F')",
    "insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) values "
    "('A00','d','2020-01-01','19000101 00:00',null)",
    // Referring physicians
    "INSERT INTO QIVA_PHYSICIANS "
    "(PID,NAME,LASTNAME,FIRSTNAME,STENCIL,VALIDFROM,VALIDTO)\t\t\t\t\t\tVALUES ('','POP "
    "ION','POP','ION','123',convert (datetime,'2020-01-01',120), null )",
    "INSERT INTO QIVA_PHYSICIAN_SPECIALITIES "
    "(STENCIL,CONTRACTNO,INSURANCEHOUSE,CONTRACTTYPE,PHYSICIANTYPE,SPECIALITYCODE,VALIDFROM,"
    "VALIDTO)\t\t\t\t\t\tVALUES ('123','C','CAS','T','P','S',convert (datetime,'2020-01-01',120), "
    "convert (datetime,'2021-12-31',120) )",
    "exec QIVA_PHYSICIANS_ACTIVATE",
    // Personalisation
    "select max(id) id from qiva_p_provider",
    " insert into QIVA_P_PROVIDER (CODE,NAME,UIC) values ('C','N','U')",
    " update QIVA_P_PROVIDER set CODE='C', NAME='N', UIC='U' where id=1",
    " insert into QIVA_P_CONTRACTS "
    "(contractNo,contractDate,validFrom,validTo,orgUnitCode,categoryCode)\t\t\t\t\t\tvalues "
    "('1','2020-01-01','2020-01-01','','O','C')",
    "insert into QIVA_P_EMPLOYEES (pid,firstName,lastName,stencilNo) values ('1','A','B','S')",
    "delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid='1'",
    "insert into QIVA_P_EMPLOYEES_SPECIALITIES (employeePid,code,increasePercentProfDegree) values "
    "('1','C',10)",
    "insert into QIVA_P_SERVICES (code,tariff,quantity,validfrom,validTo) values "
    "('S',12.50,3,'2020-01-01','')",
    // Pharmaceutical catalogues
    "INSERT INTO QIVA_DISEASE_CATEGORIES "
    "(CODE,DESCRIPTION,isChronicDisease,isAuctioned,VALIDFROM,VALIDTO)\t\t\t\t\t\tVALUES "
    "('1','d',1,0,convert (datetime,'2020-01-01',120), null )",
    "INSERT INTO QIVA_COPAYMENT_LIST_TYPES "
    "(CODE,DESCRIPTION,[percent],VALIDFROM,drugMaxNo,maxValue,VALIDTO)\t\t\t\t\t\tVALUES "
    "('A','d',90,convert (datetime,'2020-01-01',120), 5,0,null )",
    "INSERT INTO QIVA_COPAYMENT_LIST_TYPE_PERS_STATE "
    "(copaymentListType,personState,[percent],VALIDFROM,VALIDTO)\t\t\t\t\t\tVALUES "
    "('A','S',50,convert (datetime,'2020-01-01',120), null )",
    " SET NOCOUNT ON \n\nINSERT INTO QIVA_COPAYMENT_LIST_DRUGS "
    "(copaymentListType,drug,maxPrice,maxPriceUT,copaymentValue,copaymentValue90,wholeSalePrice,"
    "referencePrice,specialLaw,needApproval,overValue,needSpecialty,classifInsulin,hgDci,hgAtc,"
    "diseaseCode,validFrom,validTo)\t\t\t\t\t\tVALUES "
    "('A','W1',1.00,0.500000,0.100000,0.200000,2.00,0.300000,1,'N',0.00,0,0,'h','a','d',convert "
    "(datetime,'2020-01-01',120), null )",
    "INSERT INTO QIVA_PHARMACEUTICAL_FORMS (code,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES "
    "('F',convert (datetime,'2020-01-01',120), null )",
    " SET NOCOUNT ON \n\nINSERT INTO QIVA_CONCENTRATIONS "
    "(concentration,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES ('5 mg',convert "
    "(datetime,'2020-01-01',120), null )",
    "INSERT INTO QIVA_PRESCRIPTION_TYPES "
    "(code,description,VALID_FROM,VALID_TO,For_Narcotics)\t\t\t\t\t\tVALUES ('P','d',convert "
    "(datetime,'2020-01-01',120), null, '1')",
    "INSERT INTO QIVA_NHPS "
    "(code,description,VALID_FROM,VALID_TO,has_Ambulatory_Budget,has_Hospital_Budget)"
    "\t\t\t\t\t\tVALUES ('N','d',convert (datetime,'2020-01-01',120), null, 1,0 )",
    "INSERT INTO QIVA_ACTIVE_SUBSTANCES (code,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES ('S',convert "
    "(datetime,'2020-01-01',120), null )",
    "INSERT INTO QIVA_ATCS (code,description,VALID_FROM,VALID_TO,PARENT_ATC)\t\t\t\t\t\tVALUES "
    "('A','d',convert (datetime,'2020-01-01',120), null, null )",
    "INSERT INTO QIVA_GOODS(code,name,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES ('G','n',convert "
    "(datetime,'2020-01-01',120), null )",
    " SET NOCOUNT ON \n\nINSERT INTO QIVA_PACKAGE_MODES "
    "(code,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES ('P',convert (datetime,'2020-01-01',120), null )",
    "INSERT INTO QIVA_NHP_CATEGORIES(code,name,NHPCode,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES "
    "('C','n','N',convert (datetime,'2020-01-01',120), null )",
    "INSERT INTO QIVA_NHP_DRUG_TYPES(code,description)\t\t\t\t\t\tVALUES ('T','d' )",
    "INSERT INTO QIVA_NHP_DRUGS(code,type,VALID_FROM,VALID_TO,nhp)\t\t\t\t\t\tVALUES "
    "('D','T',convert (datetime,'2020-01-01',120), null, 3 )",
    " SET NOCOUNT ON \n\nINSERT INTO "
    "QIVA_DRUGS(code,name,presentation_mode,is_narcotic,is_fractional,is_special,\t\t\t\t\t\t\thas_"
    "bio_echiv,qty_per_package,price_per_package,whole_sale_price_per_package,prescription_mode,"
    "\t\t\t\t\t\t\tVALID_FROM,VALID_TO,active_substance,concentration,pharmaceutical_form,company,"
    "country,atc)\t\t\t\t\t\tVALUES ('W1','n','p',0,'1','0','1',10,5,4,'P',convert "
    "(datetime,'2020-01-01',120), null, 's','c','f','co','RO','A01')",
    // Day-hospital tariffs (without the location column)
    " delete from QIVA_DAILY_CASES_TARIFFS ",
    "INSERT INTO QIVA_DAILY_CASES_TARIFFS "
    "(SERVICE_CODE,NAME,DEPARTMENT_CODE,TARIFF,NO_CONTRACTED_DAILY_CASES,VALID_FROM,VALID_TO)"
    "VALUES ('S','n','D',12.5,3,convert (datetime,'2020-01-01',120), null )",
    " delete from QIVA_DAILY_SERVICES_TARIFFS ",
    "INSERT INTO QIVA_DAILY_SERVICES_TARIFFS "
    "(CODE,TARIFF,NOCONTRACTEDDAILYSERVICES,VALID_FROM,VALID_TO)VALUES ('S',12.5,3,convert "
    "(datetime,'2020-01-01',120), convert (datetime,'2021-01-01',120) )",
    // Hospital pharmacy register errors
    "INSERT INTO QIVA_STOCKS_ERRORS_RETURNED (appID,ErrorCode,Comments) values (5,'E','c')",
    // Hospital feedback
    "insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType)VALUES (CONVERT(datetime,'2021-03-01 "
    "02:00',120),CONVERT(datetime,'2021-03-31',120),1 )\nselect scope_identity() UID",
    "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, "
    "AppID,MedicalSheetNo,CaseId,DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,"
    "StateSNSPMS)VALUES (1,77,'FO','9','G',null,null,null,null )",
    "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS] "
    "(FeedbackHospitalContinueID,ErrorCode,ErrorName,ErrorType)VALUES (1,'E','n','T' )",
    "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, "
    "AppID,MedicalSheetNo,CaseId,StateCNAS,StateSNSPMS,TariffType)VALUES "
    "(40,77,'FO12','9','1',2,-1 )",
    "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID, "
    "AppID,VisitID,ServiceCode,StateCNAS,StateSNSPMS)VALUES (1,0,'V','S',NULL,NULL )",
    "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS] "
    "(feedbackDayServiceID,ErrorCode,ErrorName,ErrorType)VALUES (1,'E','n','T' )",
    "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS] "
    "(FeedbackHospitalDayID,ErrorCode,ErrorName,ErrorType)VALUES (1,'E','n','T' )",
    // Locations
    "select id, locationName  from n_locations order by locationName desc ",
};

class SchemaCoverageTest : public EngineTest {};

TEST_F(SchemaCoverageTest, EveryImportStatementShapeRunsOnANewDatabase) {
  for (const char* sql : kImportStatements) Exec(sql);
}

TEST_F(SchemaCoverageTest, PerLocationStatementsRunAfterTheLocationsScript) {
  ASSERT_TRUE(engine_->execute("ALTER TABLE QIVA_DAILY_CASES_TARIFFS ADD locationid int NULL"));
  const char* const perLocation[] = {
      " delete from QIVA_DAILY_CASES_TARIFFS  where locationid=7 ",
      "INSERT INTO QIVA_DAILY_CASES_TARIFFS "
      "(SERVICE_CODE,NAME,DEPARTMENT_CODE,TARIFF,NO_CONTRACTED_DAILY_CASES,VALID_FROM,VALID_TO, "
      "locationID )VALUES ('S','n','D',12.5,3,convert (datetime,'2020-01-01',120), null ,7)",
  };
  for (const char* sql : perLocation) Exec(sql);
  EXPECT_EQ(Value("select count(*) n from QIVA_DAILY_CASES_TARIFFS where locationid = 7"), "1");
}

}  // namespace
}  // namespace qiva::db::testing
