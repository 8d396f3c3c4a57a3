// The day-hospital tariffs import into a new embedded database, with and without the
// per-location columns, checked by the rows it leaves.
#include <gtest/gtest.h>

#include "db/sqlite/SchemaScripts.h"
#include "import/DayHospitalTariffs.h"
#include "import/toolkit/tests/EmbeddedImportTest.h"

namespace {

using qiva::import::ImportDayHospitalTariffs;
using qiva::import::test::EmbeddedImportTest;
using qiva::import::test::Rows;
using Strings = std::vector<std::string>;

std::string provider(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><provider code='B01'>" + body + "</provider>";
}

const std::string kCases =
    "<DailyCases>"
    "<DailyCase code='C1' name='Chimioterapie' dept_code='ONC' tariff='845.30' "
    "noContractedDailyServices='1200' validFrom='2021-01-01' validTo='2021-12-31'/>"
    "<Note text='not a case'/>"
    "<DailyCase code='C2' name='Piciorul diabetic (O&apos;Brien)' dept_code='DIAB' tariff='276' "
    "noContractedDailyServices='90' validFrom='2021-04-01'/>"
    "<DailyCase code='C3' tariff='10' noContractedDailyServices='1' validFrom='2021-04-01' "
    "validTo=''/>"
    "</DailyCases>";

class DayTariffsEndToEnd : public EmbeddedImportTest {
 protected:
  Rows cases(const std::string& extraColumn = "") {
    std::vector<std::string> columns = {
        "SERVICE_CODE", "NAME", "DEPARTMENT_CODE", "TARIFF", "NO_CONTRACTED_DAILY_CASES",
        "VALID_TO"};
    if (!extraColumn.empty()) columns.push_back(extraColumn);
    std::string list;
    for (const std::string& c : columns) list += (list.empty() ? "" : ", ") + c;
    return rows("select " + list + " from QIVA_DAILY_CASES_TARIFFS order by " +
                    (extraColumn.empty() ? "" : extraColumn + ", ") + "SERVICE_CODE",
                columns);
  }
  void addLocationColumns() {
    for (const std::string& batch :
         qiva::db::SplitScriptBatches(qiva::db::LocationsSchemaScript())) {
      ASSERT_TRUE(database.Execute(batch)) << batch;
    }
  }
};

TEST_F(DayTariffsEndToEnd, replacesTheWholeTableWithoutTheLocationColumn) {
  ASSERT_TRUE(
      database.Execute("insert into QIVA_DAILY_CASES_TARIFFS (SERVICE_CODE) values ('OLD')"));
  EXPECT_EQ(import(ImportDayHospitalTariffs, provider(kCases)), 1);
  EXPECT_EQ(cases(),
            (Rows{{"C1", "Chimioterapie", "ONC", "845.3", "1200", "2021-12-31 00:00:00.000"},
                  {"C2", "Piciorul diabetic (O'Brien)", "DIAB", "276", "90", "NULL"},
                  {"C3", "", "", "10", "1", "NULL"}}));
  EXPECT_EQ(frontEnd.statuses(),
            (Strings{"Procesez inregistrarea 0 ...", "Procesez inregistrarea 1 ...",
                     "Procesez inregistrarea 2 ...", "Finalizat de procesat 3 inregistrari"}));
  EXPECT_FALSE(context.Outcome().hasLosses());
}

TEST_F(DayTariffsEndToEnd, replacesOnlyTheChosenLocationsRows) {
  addLocationColumns();
  for (const char* row : {"('OLD3', 3)", "('OLD7', 7)"}) {
    ASSERT_TRUE(database.Execute(
        std::string("insert into QIVA_DAILY_CASES_TARIFFS (SERVICE_CODE, locationid) values ") +
        row));
    ASSERT_TRUE(database.Execute(
        std::string("insert into QIVA_DAILY_SERVICES_TARIFFS (CODE, locationid) values ") + row));
  }
  context.hasLocationColumn = true;
  context.locationId = 7;
  import(ImportDayHospitalTariffs,
         provider(kCases + "<DailyServices><DailyService code='S1' tariff='96.20' "
                           "noContractedDailyServices='4000' validFrom='2021-01-01'/>"
                           "</DailyServices>"));
  EXPECT_EQ(rows("select SERVICE_CODE, locationid from QIVA_DAILY_CASES_TARIFFS order by "
                 "SERVICE_CODE",
                 {"SERVICE_CODE", "locationid"}),
            (Rows{{"C1", "7"}, {"C2", "7"}, {"C3", "7"}, {"OLD3", "3"}}));
  EXPECT_EQ(rows("select CODE, TARIFF, NOCONTRACTEDDAILYSERVICES, locationid from "
                 "QIVA_DAILY_SERVICES_TARIFFS order by CODE",
                 {"CODE", "TARIFF", "NOCONTRACTEDDAILYSERVICES", "locationid"}),
            (Rows{{"OLD3", "NULL", "NULL", "3"}, {"S1", "96.2", "4000", "7"}}));
  EXPECT_EQ(frontEnd.statuses().back(), "Finalizat de procesat 4 inregistrari");
}

TEST_F(DayTariffsEndToEnd, skipsAndLogsRecordsThatCannotBeSentAndWritesTheRest) {
  import(ImportDayHospitalTariffs,
         provider("<DailyCases>"
                  "<DailyCase code='C1' tariff='12,50' noContractedDailyServices='1' "
                  "validFrom='2021-01-01'/>"
                  "<DailyCase code='C2' tariff='1' noContractedDailyServices='1'/>"
                  "<DailyCase code='C3' tariff='3' noContractedDailyServices='3' "
                  "validFrom='2021-01-01'/>"
                  "</DailyCases>"));
  EXPECT_EQ(rows("select SERVICE_CODE from QIVA_DAILY_CASES_TARIFFS", {"SERVICE_CODE"}),
            (Rows{{"C3"}}));
  const std::string log = logText();
  EXPECT_NE(log.find("Record skipped: DAILYCASE 1 of DAILYCASES: tariff is not a number: "
                     "'12,50'\r\nINSERT INTO QIVA_DAILY_CASES_TARIFFS"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Record skipped: DAILYCASE 2 of DAILYCASES: validFrom is missing"),
            std::string::npos)
      << log;
  const auto outcome = context.Outcome();
  EXPECT_EQ(outcome.skippedRecords, 2);
  EXPECT_EQ(outcome.rejectedStatements, 0);
  EXPECT_EQ(frontEnd.statuses().back(), "Finalizat de procesat 3 inregistrari");
}

}  // namespace
