// The hospital feedback import's statements with the location column, which no shipped sample
// reaches (compared whole, trailing blanks included), and the value rules: what an absent
// attribute is written as, the tariff types, the values that must never be pasted unquoted into
// SQL. The statements without a location are pinned whole by the golden traces of the shipped
// samples (samples/traces/feedback_spitalizare*.sql).
#include <gtest/gtest.h>

#include "import/toolkit/tests/ImportTestSupport.h"
#include "reports/FeedbackStatements.h"

namespace {

using namespace qiva::reports::feedback;

constexpr LocationColumn kNoLocation{};
constexpr LocationColumn kLocation3{true, 3};

using qiva::import::test::RecordFromXml;

// The statement of a record that must be sendable.
template <typename Build>
std::string sql(Build build, const std::string& xml) {
  const XmlElement e = RecordFromXml(xml);
  const RecordStatement statement = build(RecordReader(e));
  EXPECT_EQ(statement.skipReason, "") << xml;
  return statement.sql;
}

// The statement from its VALUES keyword on, of a record that must be sent.
template <typename Build>
std::string values(Build build, const std::string& xml) {
  const std::string text = sql(build, xml);
  return text.substr(text.find("VALUES ("));
}

// The skip reason of a record that must not be sent.
template <typename Build>
std::string skipReason(Build build, const std::string& xml) {
  const XmlElement e = RecordFromXml(xml);
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

// Dates are the server's to convert; only a quote is doubled so it cannot end the literal.
TEST(FeedbackStatements, headerDatesGoAsWrittenWithTheirQuotesDoubled) {
  EXPECT_EQ(values(header(kNoLocation), "<request reportingStartDate=\"x'y\" reportType='-1'/>"),
            "VALUES (CONVERT(datetime,'x''y',120),CONVERT(datetime,'',120),-1 )");
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
  EXPECT_EQ(values(dayCase(1, kNoLocation), "<HOSPITALIZATION tariffType='Spitalizare'/>"),
            "VALUES (1,0,'','','0',0,-2 )");
  EXPECT_EQ(values(dayCase(1, kNoLocation), "<HOSPITALIZATION case_id=\"d'a\" tariffType='12'/>"),
            "VALUES (1,0,'','d''a','0',0,12 )");
  // An absent tariff type, or one that is no number and not C or S, cannot stand unquoted.
  EXPECT_EQ(skipReason(dayCase(1, kNoLocation), "<HOSPITALIZATION/>"),
            "tariffType is not a number: ''");
  EXPECT_EQ(skipReason(dayCase(1, kNoLocation), "<HOSPITALIZATION tariffType='c'/>"),
            "tariffType is not a number: 'c'");
}

TEST(FeedbackStatements, continuousCaseWritesNullForMissingNumbers) {
  EXPECT_EQ(sql(continuousCase(5, kLocation3), "<FOREIGNPERSON/>"),
            "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,"
            "CaseId,DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS, "
            "locationID )VALUES (5,0,'','','',null,null,null,null ,3)");
}

TEST(FeedbackStatements, serviceWritesNullForMissingStates) {
  EXPECT_EQ(values(service(8, kNoLocation), "<SERVICES/>"), "VALUES (8,0,'','',NULL,NULL )");
}

// Error rows take no location column (their statements are the traces'); attribute names in
// any case, absent ones empty.
TEST(FeedbackStatements, errorRowsReadTheirAttributesInAnyCase) {
  EXPECT_EQ(values([](const RecordReader& r) { return DayServiceErrorInsert(r, 12); }, "<ERRORS/>"),
            "VALUES (12,'','','' )");
  EXPECT_EQ(values([](const RecordReader& r) { return DayCaseErrorInsert(r, 13); },
                   "<ERRORS code='E2' name='n' ERRORTYPE='E'/>"),
            "VALUES (13,'E2','n','E' )");
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
