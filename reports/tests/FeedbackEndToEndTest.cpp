// The hospital feedback import into a fresh embedded database, checked by the rows it leaves
// and by the parent ids that link them.
#include <gtest/gtest.h>

#include "db/sqlite/SchemaScripts.h"
#include "import/toolkit/tests/EmbeddedImportTest.h"
#include "reports/Feedback.h"

namespace {

using qiva::import::test::EmbeddedImportTest;
using qiva::import::test::Rows;
using qiva::reports::ImportFeedback;
using Strings = std::vector<std::string>;

class FeedbackEndToEnd : public EmbeddedImportTest {
 protected:
  int import(const std::string& xml) {
    return EmbeddedImportTest::import(
        ImportFeedback, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + xml, "feedback.xml");
  }
  std::string count(const std::string& table) {
    return rows("select count(*) n from " + table, {"n"}).at(0).at(0);
  }
};

TEST_F(FeedbackEndToEnd, storesBothRootFormsWithServerConvertedDatesAndEachFileOnItsOwn) {
  const std::string body = "<PIDLISTS><PIDLIST appID='1' case_id='A'/></PIDLISTS>";
  ASSERT_EQ(import("<ns2:request xmlns:ns2='http://www.cnas.ro/siui/2.0' "
                   "reportingStartDate='2021-03-01+02:00' reportingEndDate='2021-03-31+02:00' "
                   "reportType='1'>" +
                   body + "</ns2:request>"),
            1);
  ASSERT_EQ(
      import("<request reportingStartDate='2021-04-01' reportType='2'>" + body + "</request>"), 1);
  ASSERT_EQ(
      import("<request reportingStartDate='2021-04-01' reportType='2'>" + body + "</request>"), 1);
  EXPECT_EQ(rows("select id, StartDate, EndDate, ReportType from QIVA_FEEDBACK order by id",
                 {"id", "StartDate", "EndDate", "ReportType"}),
            (Rows{{"1", "2021-03-01 02:00:00.000", "2021-03-31 02:00:00.000", "1"},
                  {"2", "2021-04-01 00:00:00.000", "1900-01-01 00:00:00.000", "2"},
                  {"3", "2021-04-01 00:00:00.000", "1900-01-01 00:00:00.000", "2"}}));
  EXPECT_EQ(rows("select FeedbackID, CaseId from QIVA_FEEDBACK_HOSPITAL_CONTINUE order by id",
                 {"FeedbackID", "CaseId"}),
            (Rows{{"1", "A"}, {"2", "A"}, {"3", "A"}}));
}

TEST_F(FeedbackEndToEnd, writesNullsZerosAndTariffTypesForWhatTheFileLeavesOut) {
  ASSERT_EQ(import("<request reportType='1'>"
                   "<PIDLISTS><PIDLIST medicalSheetNo='FO1' case_id=\"O'Brien\"/></PIDLISTS>"
                   "<FOREIGNPERSONS><FOREIGNPERSON appID='5' drgRelativeValue='1.25' "
                   "releasedCaseType='2' stateCNAS='1' stateSNSPMS='0'/></FOREIGNPERSONS>"
                   "<HOSPITALIZATIONS>"
                   "<HOSPITALIZATION appID='1' tariffType='C'><SERVICES/></HOSPITALIZATION>"
                   "<HOSPITALIZATION appID='2' tariffType='S' stateCNAS='V' stateSNSPMS='3'/>"
                   "<HOSPITALIZATION appID='3' tariffType='7'><SERVICES stateCNAS='1' "
                   "stateSNSPMS='2'/></HOSPITALIZATION>"
                   "</HOSPITALIZATIONS></request>"),
            1);
  EXPECT_EQ(
      rows("select AppID, CaseId, DrgRelativeValue, ReleasedCaseType, StateCNAS, "
           "StateSNSPMS from QIVA_FEEDBACK_HOSPITAL_CONTINUE order by id",
           {"AppID", "CaseId", "DrgRelativeValue", "ReleasedCaseType", "StateCNAS", "StateSNSPMS"}),
      (Rows{{"0", "O'Brien", "NULL", "NULL", "NULL", "NULL"}, {"5", "", "1.25", "2", "1", "0"}}));
  EXPECT_EQ(rows("select AppID, StateCNAS, StateSNSPMS, TariffType from "
                 "QIVA_FEEDBACK_HOSPITAL_DAY order by id",
                 {"AppID", "StateCNAS", "StateSNSPMS", "TariffType"}),
            (Rows{{"1", "0", "0", "-1"}, {"2", "V", "3", "-2"}, {"3", "0", "0", "7"}}));
  EXPECT_EQ(rows("select AppID, StateCNAS, StateSNSPMS from QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES "
                 "order by id",
                 {"AppID", "StateCNAS", "StateSNSPMS"}),
            (Rows{{"0", "NULL", "NULL"}, {"0", "1", "2"}}));
  EXPECT_FALSE(context.Outcome().hasLosses());
}

TEST_F(FeedbackEndToEnd, hospitalizationWithTwoServicesLinksEveryRowToItsOwnParent) {
  // An older case in the database: nothing of the file may land under it.
  ASSERT_EQ(import("<request reportType='1'><HOSPITALIZATIONS><HOSPITALIZATION appID='9' "
                   "tariffType='1'><SERVICES appID='90'/></HOSPITALIZATION></HOSPITALIZATIONS>"
                   "</request>"),
            1);
  ASSERT_EQ(import("<request reportType='1'><HOSPITALIZATIONS>"
                   "<HOSPITALIZATION appID='1' case_id='Z1' tariffType='C'>"
                   "<SERVICES appID='11' serviceCode='S1'><ERROR code='E1' Name='n' "
                   "errorType='W'/></SERVICES>"
                   "<SERVICES appID='12' serviceCode='S2'/>"
                   "<ERRORS code='E2' Name='Zi' errorType='E'/>"
                   "</HOSPITALIZATION></HOSPITALIZATIONS></request>"),
            1);
  EXPECT_EQ(rows("select d.id, d.FeedbackID, d.CaseId from QIVA_FEEDBACK_HOSPITAL_DAY d "
                 "where d.FeedbackID = 2",
                 {"id", "FeedbackID", "CaseId"}),
            (Rows{{"2", "2", "Z1"}}));
  EXPECT_EQ(rows("select id, FeedbackHospitalDayID, ServiceCode from "
                 "QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES where FeedbackHospitalDayID = 2 order by id",
                 {"id", "FeedbackHospitalDayID", "ServiceCode"}),
            (Rows{{"2", "2", "S1"}, {"3", "2", "S2"}}));
  EXPECT_EQ(rows("select feedbackDayServiceID, ErrorCode, ErrorName, ErrorType from "
                 "QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS",
                 {"feedbackDayServiceID", "ErrorCode", "ErrorName", "ErrorType"}),
            (Rows{{"2", "E1", "n", "W"}}));
  EXPECT_EQ(rows("select FeedbackHospitalDayID, ErrorCode from QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS",
                 {"FeedbackHospitalDayID", "ErrorCode"}),
            (Rows{{"2", "E2"}}));
  const Strings statuses = frontEnd.statuses();
  EXPECT_EQ(Strings(statuses.end() - 6, statuses.end()),
            (Strings{"Procesez inregistrarea 0 ...", "Procesez inregistrarea 1 ...",
                     "Procesez inregistrarea 2 ...", "Procesez inregistrarea 3 ...",
                     "Procesez inregistrarea 4 ...", "Finalizat de procesat 5 inregistrari"}));
}

TEST_F(FeedbackEndToEnd, locationGoesOnHeaderCaseAndServiceRowsButNotOnErrorRows) {
  ASSERT_TRUE(qiva::db::RunLocationsScript(*database.m_pConnection));
  context.hasLocationColumn = true;
  context.locationId = 4;
  ASSERT_EQ(import("<request reportType='1'><PIDLISTS><PIDLIST appID='1'><ERROR code='E'/>"
                   "</PIDLIST></PIDLISTS><HOSPITALIZATIONS><HOSPITALIZATION appID='2' "
                   "tariffType='S'><SERVICES appID='3'><ERRORS code='F'/></SERVICES>"
                   "<ERRORS code='G'/></HOSPITALIZATION></HOSPITALIZATIONS></request>"),
            1);
  for (const char* table : {"QIVA_FEEDBACK", "QIVA_FEEDBACK_HOSPITAL_CONTINUE",
                            "QIVA_FEEDBACK_HOSPITAL_DAY", "QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES"}) {
    EXPECT_EQ(rows(std::string("select locationid from ") + table, {"locationid"}), (Rows{{"4"}}))
        << table;
  }
  for (const char* table :
       {"QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS", "QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS",
        "QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS"}) {
    EXPECT_EQ(count(table), "1") << table;
  }
  EXPECT_FALSE(context.Outcome().hasLosses());
}

TEST_F(FeedbackEndToEnd, emptyRootWritesOnlyTheHeader) {
  ASSERT_EQ(import("<ns2:request reportType='3'/>"), 1);
  EXPECT_EQ(count("QIVA_FEEDBACK"), "1");
  EXPECT_EQ(frontEnd.statuses(), Strings{"Finalizat de procesat 0 inregistrari"});
}

TEST_F(FeedbackEndToEnd, headerThatCannotBeWrittenShowsTheMessageAndWritesNothing) {
  const std::string body = "<PIDLISTS><PIDLIST appID='1'><ERROR code='E'/></PIDLIST></PIDLISTS>";
  EXPECT_EQ(import("<request reportType='Anual'>" + body + "</request>"), 0);
  EXPECT_EQ(
      import("<request reportType='1' reportingStartDate='2021-02-30'>" + body + "</request>"), 0);
  ASSERT_TRUE(database.Execute("drop table QIVA_FEEDBACK"));
  EXPECT_EQ(import("<request reportType='1'>" + body + "</request>"), 0);
  EXPECT_EQ(frontEnd.messages(), Strings(3, "EROARE LA ADAUGARE IN TABELA QIVA_FEEDBACK"));
  EXPECT_EQ(count("QIVA_FEEDBACK_HOSPITAL_CONTINUE"), "0");
  EXPECT_EQ(count("QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS"), "0");
}

TEST_F(FeedbackEndToEnd, errorsOfACaseTheDatabaseRefusedStayOffThePreviousCase) {
  // appID 99999999999 does not fit the int column: the server refuses that case.
  ASSERT_EQ(import("<request reportType='1'><PIDLISTS>"
                   "<PIDLIST appID='1' case_id='A'><ERROR code='EA'/></PIDLIST>"
                   "<PIDLIST appID='99999999999' case_id='B'><ERROR code='EB1'/>"
                   "<ERROR code='EB2'/></PIDLIST>"
                   "<PIDLIST appID='3' case_id='C'><ERROR code='EC'/></PIDLIST>"
                   "</PIDLISTS></request>"),
            1);
  EXPECT_EQ(rows("select (select c.CaseId from QIVA_FEEDBACK_HOSPITAL_CONTINUE c where c.id = "
                 "e.FeedbackHospitalContinueID) CaseId, e.ErrorCode from "
                 "QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS e order by e.id",
                 {"CaseId", "ErrorCode"}),
            (Rows{{"A", "EA"}, {"C", "EC"}}));
  const ImportOutcome outcome = context.Outcome();
  EXPECT_EQ(outcome.rejectedStatements, 1);
  EXPECT_EQ(outcome.skippedRecords, 2);
  EXPECT_EQ(frontEnd.statuses().back(), "Finalizat de procesat 7 inregistrari");
}

TEST_F(FeedbackEndToEnd, loadsTheShippedSamples) {
  ASSERT_EQ(ImportFeedback(context, QIVA_SAMPLES_DIR "/feedback_spitalizare.xml"), 1);
  ASSERT_EQ(ImportFeedback(context, QIVA_SAMPLES_DIR "/feedback_spitalizare_zi.xml"), 1);
  EXPECT_FALSE(context.Outcome().hasLosses()) << context.Outcome().skippedRecords;
  EXPECT_EQ(count("QIVA_FEEDBACK"), "2");
  EXPECT_EQ(count("QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS"), "4");
  // Every child row has its parent.
  for (const char* orphans :
       {"QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS e where not exists (select 1 from "
        "QIVA_FEEDBACK_HOSPITAL_CONTINUE p where p.id = e.FeedbackHospitalContinueID)",
        "QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES e where not exists (select 1 from "
        "QIVA_FEEDBACK_HOSPITAL_DAY p where p.id = e.FeedbackHospitalDayID)",
        "QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS e where not exists (select 1 from "
        "QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES p where p.id = e.feedbackDayServiceID)",
        "QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS e where not exists (select 1 from "
        "QIVA_FEEDBACK_HOSPITAL_DAY p where p.id = e.FeedbackHospitalDayID)"}) {
    EXPECT_EQ(count(orphans), "0") << orphans;
  }
}

}  // namespace
