// The day-hospital tariffs import's statements for one location, which no shipped sample
// reaches (compared whole), and the value rules: numbers as written, the skip reasons. The
// statements without a location are pinned whole by the golden trace of the shipped sample
// (samples/traces/tarife_spitalizare_zi.sql).
#include <gtest/gtest.h>

#include "import/DayTariffStatements.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace {

using namespace qiva::import;
using namespace qiva::import::daytariffs;

RecordStatement build(RecordStatement (*insert)(const RecordReader&, const Location&),
                      const std::string& xml, const Location& location) {
  const XmlElement element = qiva::import::test::RecordFromXml(xml);
  return insert(RecordReader(element), location);
}

const char* const kFullCase =
    "<DAILYCASE code=\"C1\" name=\"Piciorul diabetic (O'Brien)\" dept_code=\"DIAB\" "
    "tariff=\"276.40\" noContractedDailyServices=\"90\" validFrom=\"2021-04-01\" "
    "validTo=\"2021-12-31\"/>";
const char* const kFullService =
    "<DAILYSERVICE code=\"S1\" tariff=\"-96.2e1\" noContractedDailyServices=\"+4000\" "
    "validFrom=\"2021-01-01\" validTo=\"2021-06-30\"/>";

TEST(DayTariffStatements, deletesOneLocation) {
  EXPECT_EQ(DailyCasesDelete(7), " delete from QIVA_DAILY_CASES_TARIFFS  where locationid=7 ");
  EXPECT_EQ(DailyServicesDelete(-3),
            " delete from QIVA_DAILY_SERVICES_TARIFFS  where locationid=-3 ");
}

TEST(DayTariffStatements, dailyCaseForOneLocation) {
  RecordStatement s = build(DailyCaseInsert, kFullCase, 7);
  EXPECT_EQ(s.skipReason, "");
  EXPECT_EQ(s.sql,
            "INSERT INTO QIVA_DAILY_CASES_TARIFFS (SERVICE_CODE,NAME,DEPARTMENT_CODE,TARIFF,"
            "NO_CONTRACTED_DAILY_CASES,VALID_FROM,VALID_TO, locationID )VALUES ('C1','Piciorul "
            "diabetic (O''Brien)','DIAB',276.40,90,convert (datetime,'2021-04-01',120), convert "
            "(datetime,'2021-12-31',120) ,7)");
  // Without validTo the values end with "null " before the location.
  s = build(DailyCaseInsert,
            "<DAILYCASE code=\"C2\" tariff=\"1\" noContractedDailyServices=\"2\" "
            "validFrom=\"2021-01-01\" validTo=\"\"/>",
            7);
  EXPECT_EQ(s.skipReason, "");
  EXPECT_EQ(s.sql,
            "INSERT INTO QIVA_DAILY_CASES_TARIFFS (SERVICE_CODE,NAME,DEPARTMENT_CODE,TARIFF,"
            "NO_CONTRACTED_DAILY_CASES,VALID_FROM,VALID_TO, locationID )VALUES ('C2','','',1,2,"
            "convert (datetime,'2021-01-01',120), null ,7)");
}

TEST(DayTariffStatements, dailyCaseWithNothingIsBuiltButNotSent) {
  RecordStatement s = build(DailyCaseInsert, "<DAILYCASE/>", {});
  EXPECT_EQ(s.sql,
            "INSERT INTO QIVA_DAILY_CASES_TARIFFS (SERVICE_CODE,NAME,DEPARTMENT_CODE,TARIFF,"
            "NO_CONTRACTED_DAILY_CASES,VALID_FROM,VALID_TO)VALUES ('','','',,,convert "
            "(datetime,'',120), null )");
  EXPECT_EQ(s.skipReason,
            "code is missing; validFrom is missing; tariff is missing; "
            "noContractedDailyServices is missing");
  s = build(DailyCaseInsert, "<DAILYCASE/>", 7);
  EXPECT_EQ(s.sql,
            "INSERT INTO QIVA_DAILY_CASES_TARIFFS (SERVICE_CODE,NAME,DEPARTMENT_CODE,TARIFF,"
            "NO_CONTRACTED_DAILY_CASES,VALID_FROM,VALID_TO, locationID )VALUES ('','','',,,"
            "convert (datetime,'',120), null ,7)");
}

// The two unquoted numbers go into the text as the file writes them, sign and exponent too.
TEST(DayTariffStatements, dailyServiceKeepsItsNumbersAsWrittenWithAndWithoutLocation) {
  RecordStatement s = build(DailyServiceInsert, kFullService, {});
  EXPECT_EQ(s.skipReason, "");
  EXPECT_EQ(s.sql.substr(s.sql.find("VALUES (")),
            "VALUES ('S1',-96.2e1,+4000,convert (datetime,'2021-01-01',120), "
            "convert (datetime,'2021-06-30',120) )");
  s = build(DailyServiceInsert, kFullService, 7);
  EXPECT_EQ(s.sql,
            "INSERT INTO QIVA_DAILY_SERVICES_TARIFFS (CODE,TARIFF,NOCONTRACTEDDAILYSERVICES,"
            "VALID_FROM,VALID_TO, locationID )VALUES ('S1',-96.2e1,+4000,convert "
            "(datetime,'2021-01-01',120), convert (datetime,'2021-06-30',120) ,7)");
  s = build(DailyServiceInsert, "<DAILYSERVICE/>", {});
  EXPECT_EQ(s.sql,
            "INSERT INTO QIVA_DAILY_SERVICES_TARIFFS (CODE,TARIFF,NOCONTRACTEDDAILYSERVICES,"
            "VALID_FROM,VALID_TO)VALUES ('',,,convert (datetime,'',120), null )");
  EXPECT_FALSE(s.skipReason.empty());
  s = build(DailyServiceInsert, "<DAILYSERVICE/>", 7);
  EXPECT_EQ(s.sql,
            "INSERT INTO QIVA_DAILY_SERVICES_TARIFFS (CODE,TARIFF,NOCONTRACTEDDAILYSERVICES,"
            "VALID_FROM,VALID_TO, locationID )VALUES ('',,,convert (datetime,'',120), null ,7)");
}

// The two unquoted values must be plain numbers: anything else would be pasted into the SQL
// text as it stands.
TEST(DayTariffStatements, unquotedValuesThatAreNotNumbersAreNamedInTheSkipReason) {
  const std::string head = "<DAILYSERVICE code=\"S\" validFrom=\"2021-01-01\" ";
  EXPECT_EQ(build(DailyServiceInsert, head + "tariff=\"\" noContractedDailyServices=\"1\"/>", {})
                .skipReason,
            "tariff is not a number: ''");
  EXPECT_EQ(build(DailyServiceInsert,
                  head + "tariff=\"1,5\" noContractedDailyServices=\"1);drop table x--\"/>", {})
                .skipReason,
            "tariff is not a number: '1,5'; noContractedDailyServices is not a number: "
            "'1);drop table x--'");
  for (const char* bad : {" 12", "12 ", "0x1A", "nan", "inf", "1e", "."}) {
    EXPECT_NE(
        build(DailyCaseInsert,
              "<DAILYCASE code=\"C\" validFrom=\"2021-01-01\" noContractedDailyServices=\"1\" "
              "tariff=\"" +
                  std::string(bad) + "\"/>",
              {})
            .skipReason,
        "")
        << bad;
  }
  // An empty code or validFrom is present: the server decides about it.
  EXPECT_EQ(
      build(DailyCaseInsert,
            "<DAILYCASE code=\"\" validFrom=\"\" tariff=\"1\" noContractedDailyServices=\"1\"/>",
            {})
          .skipReason,
      "");
}

}  // namespace
