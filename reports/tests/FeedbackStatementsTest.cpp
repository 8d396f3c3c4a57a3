// Exact statement texts of the hospital feedback import, byte for byte with their trailing
// blanks: each record kind with every attribute and with none, with and without the location
// column, and the values that must never be pasted unquoted into SQL.
#include <gtest/gtest.h>

#include "reports/FeedbackStatements.h"

namespace {

using namespace qiva::reports::feedback;

constexpr LocationColumn kNoLocation{};
constexpr LocationColumn kLocation3{true, 3};

// Parses one element written as XML text.
XmlElement element(const std::string& xml) {
  XmlParseResult result;
  const std::string tag = xml.substr(1, xml.find_first_of(" />", 1) - 1);
  XmlElement parsed = parseXmlText(xml.c_str(), tag, result);
  EXPECT_EQ(result.code, 0) << xml;
  return parsed;
}

// The statement of a record that must be sendable.
template <typename Build>
std::string sql(Build build, const std::string& xml) {
  const XmlElement e = element(xml);
  const RecordStatement statement = build(RecordReader(e));
  EXPECT_EQ(statement.skipReason, "") << xml;
  return statement.sql;
}

// The skip reason of a record that must not be sent.
template <typename Build>
std::string skipReason(Build build, const std::string& xml) {
  const XmlElement e = element(xml);
  return build(RecordReader(e)).skipReason;
}

auto header(const LocationColumn& location) {
  return [location](const RecordReader& r) { return FeedbackInsert(r, location); };
}
auto dayCase(std::int32_t feedbackId, const LocationColumn& location) {
  return [=](const RecordReader& r) { return DayCaseInsert(r, feedbackId, location); };
}
auto continuousCase(std::int32_t feedbackId, const LocationColumn& location) {
  return [=](const RecordReader& r) { return ContinuousCaseInsert(r, feedbackId, location); };
}
auto service(std::int32_t dayCaseId, const LocationColumn& location) {
  return [=](const RecordReader& r) { return DayServiceInsert(r, dayCaseId, location); };
}

TEST(FeedbackStatements, headerTurnsTimeZoneSuffixesIntoTimes) {
  const std::string root =
      "<request reportingStartDate='2021-03-01+02:00' reportingEndDate='2021-03-31+02:00' "
      "reportType='2'/>";
  EXPECT_EQ(
      sql(header(kNoLocation), root),
      "insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType)VALUES "
      "(CONVERT(datetime,'2021-03-01 02:00',120),CONVERT(datetime,'2021-03-31 02:00',120),2 )");
  // Dates are the server's to convert; only a quote is doubled so it cannot end the literal.
  EXPECT_EQ(sql(header(kNoLocation), "<request reportingStartDate=\"x'y\" reportType='-1'/>"),
            "insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType)VALUES "
            "(CONVERT(datetime,'x''y',120),CONVERT(datetime,'',120),-1 )");
}

TEST(FeedbackStatements, headerWithoutANumericReportTypeIsNeverSent) {
  EXPECT_EQ(skipReason(header(kNoLocation), "<request/>"), "reportType is not a number: ''");
  EXPECT_EQ(skipReason(header(kLocation3), "<request reportType='1);delete from x;--'/>"),
            "reportType is not a number: '1);delete from x;--'");
  EXPECT_EQ(skipReason(header(kNoLocation), "<request reportType=' 1'/>"),
            "reportType is not a number: ' 1'");
}

TEST(FeedbackStatements, dayCaseMapsTariffTypesAndDefaultsItsStatesToZero) {
  const std::string full =
      "<HOSPITALIZATION appID='77' medicalSheetNo='FO12' case_id='9' stateCNAS='1' "
      "stateSNSPMS='2' tariffType='C'/>";
  EXPECT_EQ(sql(dayCase(40, kLocation3), full),
            "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, AppID,MedicalSheetNo,CaseId,"
            "StateCNAS,StateSNSPMS,TariffType, locationID )VALUES (40,77,'FO12','9','1',2,-1 ,3)");
  EXPECT_EQ(sql(dayCase(40, kNoLocation), full),
            "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, AppID,MedicalSheetNo,CaseId,"
            "StateCNAS,StateSNSPMS,TariffType)VALUES (40,77,'FO12','9','1',2,-1 )");
  EXPECT_EQ(sql(dayCase(1, kNoLocation), "<HOSPITALIZATION tariffType='Spitalizare'/>"),
            "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, AppID,MedicalSheetNo,CaseId,"
            "StateCNAS,StateSNSPMS,TariffType)VALUES (1,0,'','','0',0,-2 )");
  EXPECT_EQ(sql(dayCase(1, kNoLocation), "<HOSPITALIZATION case_id=\"d'a\" tariffType='12'/>"),
            "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, AppID,MedicalSheetNo,CaseId,"
            "StateCNAS,StateSNSPMS,TariffType)VALUES (1,0,'','d''a','0',0,12 )");
  // An absent tariff type, or one that is no number and not C or S, cannot stand unquoted.
  EXPECT_EQ(skipReason(dayCase(1, kNoLocation), "<HOSPITALIZATION/>"),
            "tariffType is not a number: ''");
  EXPECT_EQ(skipReason(dayCase(1, kNoLocation), "<HOSPITALIZATION tariffType='c'/>"),
            "tariffType is not a number: 'c'");
}

TEST(FeedbackStatements, continuousCaseWritesNullForMissingNumbers) {
  EXPECT_EQ(sql(continuousCase(5, kNoLocation),
                "<PIDLIST appID='12' medicalSheetNo='FO 7' case_id='C1' drgGroupCode='G10' "
                "drgRelativeValue='1.2345' releasedCaseType='1' stateCNAS='3' stateSNSPMS='4'/>"),
            "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,"
            "CaseId,DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS)VALUES "
            "(5,12,'FO 7','C1','G10',1.2345,1,3,4 )");
  EXPECT_EQ(sql(continuousCase(5, kLocation3), "<FOREIGNPERSON/>"),
            "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,"
            "CaseId,DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS, "
            "locationID )VALUES (5,0,'','','',null,null,null,null ,3)");
}

TEST(FeedbackStatements, serviceWritesNullForMissingStates) {
  EXPECT_EQ(sql(service(8, kNoLocation),
                "<SERVICES appID='3' visitID='V1' serviceCode='S.01' stateCNAS='1' "
                "stateSNSPMS='0'/>"),
            "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID, AppID,"
            "VisitID,ServiceCode,StateCNAS,StateSNSPMS)VALUES (8,3,'V1','S.01',1,0 )");
  EXPECT_EQ(sql(service(8, kNoLocation), "<SERVICES/>"),
            "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID, AppID,"
            "VisitID,ServiceCode,StateCNAS,StateSNSPMS)VALUES (8,0,'','',NULL,NULL )");
}

TEST(FeedbackStatements, errorRowsNeverCarryTheLocationAndDoubleQuotesOnce) {
  const std::string error =
      "<ERROR code='E01' Name=\"Cod de diagnostic al lui O'Brien\" errorType='W'/>";
  EXPECT_EQ(
      sql([](const RecordReader& r) { return ContinuousCaseErrorInsert(r, 11); }, error),
      "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS] (FeedbackHospitalContinueID,"
      "ErrorCode,ErrorName,ErrorType)VALUES (11,'E01','Cod de diagnostic al lui O''Brien','W' )");
  EXPECT_EQ(sql([](const RecordReader& r) { return DayServiceErrorInsert(r, 12); }, "<ERRORS/>"),
            "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS] (feedbackDayServiceID,"
            "ErrorCode,ErrorName,ErrorType)VALUES (12,'','','' )");
  EXPECT_EQ(sql([](const RecordReader& r) { return DayCaseErrorInsert(r, 13); },
                "<ERRORS code='E2' name='n' ERRORTYPE='E'/>"),
            "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS] (FeedbackHospitalDayID,ErrorCode,"
            "ErrorName,ErrorType)VALUES (13,'E2','n','E' )");
}

// appID is "0" until an attribute replaces it, so a present but empty one is no number; the
// null word (in any case) is what an absent number is written as, and may be given as such.
TEST(FeedbackStatements, unquotedValuesMustBeNumbersAndEveryOffenderIsNamed) {
  EXPECT_EQ(skipReason(continuousCase(1, kNoLocation),
                       "<PIDLIST appID='' drgRelativeValue='1,5' releasedCaseType='NULL' "
                       "stateCNAS='2 or 1=1' stateSNSPMS='nan'/>"),
            "appID is not a number: ''; drgRelativeValue is not a number: '1,5'; stateCNAS is "
            "not a number: '2 or 1=1'; stateSNSPMS is not a number: 'nan'");
  EXPECT_EQ(skipReason(service(1, kNoLocation), "<SERVICES appID='x' stateCNAS='inf'/>"),
            "appID is not a number: 'x'; stateCNAS is not a number: 'inf'");
  EXPECT_EQ(skipReason(dayCase(1, kNoLocation),
                       "<HOSPITALIZATION stateCNAS='anything quoted' stateSNSPMS='1)' "
                       "tariffType='S'/>"),
            "stateSNSPMS is not a number: '1)'");
  EXPECT_EQ(skipReason(service(1, kNoLocation), "<SERVICES appID='-4' stateCNAS='null'/>"), "");
}

}  // namespace
