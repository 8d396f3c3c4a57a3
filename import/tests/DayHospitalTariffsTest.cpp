// The day-hospital tariffs routine against a recording engine: the order of its statements, its
// progress texts, a section that cannot be emptied, and what a file not read leaves.
#include <gtest/gtest.h>

#include "import/DayHospitalTariffs.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace {

using qiva::import::ImportDayHospitalTariffs;
using qiva::import::test::RecordedImport;
using Strings = std::vector<std::string>;

constexpr const char* kFile =
    "<Provider code='B01'><DailyCases>"
    "<DailyCase code='C1' tariff='10' noContractedDailyServices='1' validFrom='2021-01-01'/>"
    "<Comment/>"
    "<dailycase code='C2' tariff='20' noContractedDailyServices='2' validFrom='2021-01-01' "
    "validTo='2021-12-31'/>"
    "<DAILYCASE code='C3' tariff='30' noContractedDailyServices='3' validFrom='2021-01-01'/>"
    "</DailyCases><Other/><DailyServices>"
    "<DailyService code='S1' tariff='5.5' noContractedDailyServices='9' validFrom='2021-01-01'/>"
    "</DailyServices></Provider>";

std::string dailyCase(const std::string& values) {
  return "INSERT INTO QIVA_DAILY_CASES_TARIFFS (SERVICE_CODE,NAME,DEPARTMENT_CODE,TARIFF,"
         "NO_CONTRACTED_DAILY_CASES,VALID_FROM,VALID_TO)VALUES (" +
         values + ")";
}

std::string dailyService(const std::string& values) {
  return "INSERT INTO QIVA_DAILY_SERVICES_TARIFFS (CODE,TARIFF,NOCONTRACTEDDAILYSERVICES,"
         "VALID_FROM,VALID_TO)VALUES (" +
         values + ")";
}

const std::string kFrom = "convert (datetime,'2021-01-01',120), ";

TEST(ImportDayHospitalTariffs, replacesWholeTablesWithoutTheLocationFlag) {
  RecordedImport run;
  run.context.locationId = 7;  // left from an earlier run: never written without the flag
  EXPECT_EQ(ImportDayHospitalTariffs(run.context, run.writeFile("t.xml", kFile)), 1);
  EXPECT_EQ(run.shared->executed,
            (Strings{" delete from QIVA_DAILY_CASES_TARIFFS ",
                     dailyCase("'C1','','',10,1," + kFrom + "null "),
                     dailyCase("'C2','','',20,2," + kFrom + "convert (datetime,'2021-12-31',120) "),
                     dailyCase("'C3','','',30,3," + kFrom + "null "),
                     " delete from QIVA_DAILY_SERVICES_TARIFFS ",
                     dailyService("'S1',5.5,9," + kFrom + "null ")}));
  EXPECT_EQ(run.frontEnd.statuses(),
            (Strings{"Procesez inregistrarea 0 ...", "Procesez inregistrarea 1 ...",
                     "Procesez inregistrarea 2 ...", "Procesez inregistrarea 3 ...",
                     "Finalizat de procesat 4 inregistrari"}));
  EXPECT_FALSE(run.context.Outcome().hasLosses());
}

TEST(ImportDayHospitalTariffs, aFileNotReadSendsNothingAndLeavesTheStatusLine) {
  for (const std::string& xml :
       {std::string("<provider><DailyCases><DailyCase code='C1'"),
        std::string("<Catalogues><DailyCases/></Catalogues>"), std::string("<provider")}) {
    RecordedImport run;
    EXPECT_EQ(ImportDayHospitalTariffs(run.context, run.writeFile("t.xml", xml)), 1) << xml;
    EXPECT_EQ(run.shared->executed, Strings{}) << xml;
    EXPECT_EQ(run.frontEnd.statuses(), Strings{}) << xml;
    EXPECT_FALSE(run.context.Outcome().fileRead) << xml;
  }
}

TEST(ImportDayHospitalTariffs, aSectionThatCannotBeEmptiedKeepsItsRowsAndTheNextOneRuns) {
  RecordedImport run;
  run.shared->refused.insert(" delete from QIVA_DAILY_CASES_TARIFFS ");
  ImportDayHospitalTariffs(run.context, run.writeFile("t.xml", kFile));
  EXPECT_EQ(run.shared->executed, (Strings{" delete from QIVA_DAILY_CASES_TARIFFS ",
                                           " delete from QIVA_DAILY_SERVICES_TARIFFS ",
                                           dailyService("'S1',5.5,9," + kFrom + "null ")}));
  EXPECT_EQ(run.context.Outcome().skippedSections, 1);

  RecordedImport broken;
  broken.shared->breaksAfter = " delete from QIVA_DAILY_CASES_TARIFFS ";
  EXPECT_EQ(ImportDayHospitalTariffs(broken.context, broken.writeFile("t.xml", kFile)), 0);
  EXPECT_EQ(broken.shared->executed.size(), 2u);
  EXPECT_EQ(broken.frontEnd.statuses(), Strings{});
}

}  // namespace
