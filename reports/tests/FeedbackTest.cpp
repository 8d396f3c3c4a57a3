// The hospital feedback routine against a recording engine: the order of inserts and id
// read-backs, the progress texts, and what happens to the children of a row that was not
// written, to a failed header and to a file that was not read.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "import/toolkit/tests/ImportTestSupport.h"
#include "reports/Feedback.h"

namespace {

using qiva::import::test::RecordedImport;
using qiva::reports::ImportFeedback;
using Strings = std::vector<std::string>;

// Each parent row's insert, named by its start, goes in one batch with the read-back of its id.
constexpr const char* kFeedbackId = "insert into QIVA_FEEDBACK (";
constexpr const char* kContinuousId = "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (";
constexpr const char* kDayId = "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (";
constexpr const char* kServiceId = "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (";
const std::string kReadBack = "\nselect scope_identity() UID";

class FeedbackRoutine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(run.database.SetTraceFile((run.folder / "trace.sql").string()));
  }
  // The parent rows' batches answer these ids unless a test changes them.
  void answerIds(std::int32_t feedback, std::int32_t continuous, std::int32_t day,
                 std::int32_t service) {
    answerUid(kFeedbackId, feedback);
    answerUid(kContinuousId, continuous);
    answerUid(kDayId, day);
    answerUid(kServiceId, service);
  }
  void answerUid(const std::string& query, std::int32_t id) {
    run.shared->answersByStart[query] = qiva::db::ResultSet{{"UID"}, {{DbValue(id)}}};
  }
  int import(const std::string& xml) {
    return ImportFeedback(run.context, run.writeFile("feedback.xml", xml));
  }
  // Statements and queries in the order they were sent.
  Strings sent() const {
    std::ifstream in(run.folder / "trace.sql", std::ios::binary);
    const std::string trace((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Strings out;
    for (std::size_t at = 0, end; (end = trace.find("\nGO\n", at)) != std::string::npos;
         at = end + 4) {
      out.push_back(trace.substr(at, end - at));
    }
    return out;
  }
  Strings progress(int rows) const {
    Strings out;
    for (int i = 0; i < rows; ++i)
      out.push_back("Procesez inregistrarea " + std::to_string(i) + " ...");
    out.push_back("Finalizat de procesat " + std::to_string(rows) + " inregistrari");
    return out;
  }

  RecordedImport run;
};

TEST_F(FeedbackRoutine, writesEachRowUnderItsParentReadingEveryIdBackRightAfterItsInsert) {
  answerIds(40, 7, 9, 11);
  run.context.hasLocationColumn = true;
  run.context.locationId = 3;
  EXPECT_EQ(
      import("<ns2:request xmlns:ns2='urn:x' reportingStartDate='2021-03-01+02:00' "
             "reportingEndDate='2021-03-31' reportType='1'>"
             "<pidLists><pidList appID='101' medicalSheetNo='FO1' case_id='C1' drgGroupCode='G1' "
             "drgRelativeValue='0.8'><error code='E1' Name='n1' errorType='W'/><note code='X'/>"
             "<errors code='E9'/>"
             "</pidList></pidLists>"
             "<foreignPersons><foreignPerson appID='102'><error code='E2'/></foreignPerson>"
             "</foreignPersons>"
             "<hospitalizations><hospitalization appID='201' medicalSheetNo='FZ1' case_id='D1' "
             "tariffType='S'>"
             "<services appID='301' visitID='V1' serviceCode='S1'><error code='E3'/><errors "
             "code='E4'/>"
             "<note/></services><services appID='302'/>"
             "<errors code='E5' Name='n5' errorType='E'/><error code='E6'/>"
             "<other><errors code='E7'/><services appID='9'/></other></hospitalization>"
             "</hospitalizations>"
             "<summary><pidLists><pidList appID='9'/></pidLists></summary></ns2:request>"),
      1);
  EXPECT_EQ(
      sent(),
      (Strings{
          "insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType, locationID )VALUES "
          "(CONVERT(datetime,'2021-03-01 02:00',120),CONVERT(datetime,'2021-03-31',120),1 ,3)" +
              kReadBack,
          "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,"
          "CaseId,DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS, "
          "locationID )VALUES (40,101,'FO1','C1','G1',0.8,null,null,null ,3)" +
              kReadBack,
          "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS] (FeedbackHospitalContinueID,"
          "ErrorCode,ErrorName,ErrorType)VALUES (7,'E1','n1','W' )",
          "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,"
          "CaseId,DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS, "
          "locationID )VALUES (40,102,'','','',null,null,null,null ,3)" +
              kReadBack,
          "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS] (FeedbackHospitalContinueID,"
          "ErrorCode,ErrorName,ErrorType)VALUES (7,'E2','','' )",
          "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, AppID,MedicalSheetNo,CaseId,"
          "StateCNAS,StateSNSPMS,TariffType, locationID )VALUES (40,201,'FZ1','D1','0',0,-2 ,3)" +
              kReadBack,
          "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID, AppID,"
          "VisitID,ServiceCode,StateCNAS,StateSNSPMS, locationID )VALUES "
          "(9,301,'V1','S1',NULL,NULL ,3)" +
              kReadBack,
          "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS] (feedbackDayServiceID,"
          "ErrorCode,ErrorName,ErrorType)VALUES (11,'E3','','' )",
          "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS] (feedbackDayServiceID,"
          "ErrorCode,ErrorName,ErrorType)VALUES (11,'E4','','' )",
          "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID, AppID,"
          "VisitID,ServiceCode,StateCNAS,StateSNSPMS, locationID )VALUES "
          "(9,302,'','',NULL,NULL ,3)" +
              kReadBack,
          "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS] (FeedbackHospitalDayID,ErrorCode,"
          "ErrorName,ErrorType)VALUES (9,'E5','n5','E' )",
      }));
  EXPECT_EQ(run.frontEnd.statuses(), progress(10));
  EXPECT_TRUE(run.frontEnd.messages().empty());
  EXPECT_FALSE(run.context.Outcome().hasLosses());
}

// The read-back gives the greatest id of the table: after an insert that was refused or not
// sent, that is an older row's id, so the children of such a row are skipped, each logged.
TEST_F(FeedbackRoutine, childrenOfARowNotWrittenAreSkippedAndNeverAttachedToAnOlderRow) {
  answerIds(40, 7, 9, 11);
  const std::string refusedCase =
      "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,CaseId,"
      "DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS)VALUES "
      "(40,2,'','B','',null,null,null,null )";
  const std::string refusedDayCase =
      "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, AppID,MedicalSheetNo,CaseId,"
      "StateCNAS,StateSNSPMS,TariffType)VALUES (40,3,'','D','0',0,-1 )";
  const std::string refusedService =
      "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID, AppID,VisitID,"
      "ServiceCode,StateCNAS,StateSNSPMS)VALUES (9,41,'','',NULL,NULL )";
  run.shared->refused = {refusedCase, refusedDayCase, refusedService};
  EXPECT_EQ(import("<request reportType='1'><PIDLISTS>"
                   "<PIDLIST appID='1' case_id='A'><ERROR code='EA'/></PIDLIST>"
                   "<PIDLIST appID='2' case_id='B'><ERROR code='EB'/></PIDLIST>"
                   "<PIDLIST appID='x' case_id='C'><ERROR code='EC'/></PIDLIST></PIDLISTS>"
                   "<HOSPITALIZATIONS>"
                   "<HOSPITALIZATION appID='3' case_id='D' tariffType='C'>"
                   "<SERVICES appID='31'><ERROR code='ED1'/></SERVICES><ERRORS code='ED2'/>"
                   "</HOSPITALIZATION>"
                   "<HOSPITALIZATION appID='4' case_id='E' tariffType='1'>"
                   "<SERVICES appID='41'><ERRORS code='EE1'/></SERVICES>"
                   "<SERVICES appID='42'><ERRORS code='EE2'/></SERVICES></HOSPITALIZATION>"
                   "</HOSPITALIZATIONS></request>"),
            1);
  Strings errorRows;
  for (const std::string& sql : run.shared->executed) {
    if (sql.find("_ERRORS]") != std::string::npos) errorRows.push_back(sql);
  }
  EXPECT_EQ(errorRows, (Strings{"INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS] "
                                "(FeedbackHospitalContinueID,ErrorCode,ErrorName,ErrorType)VALUES "
                                "(7,'EA','','' )",
                                "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS] "
                                "(feedbackDayServiceID,ErrorCode,ErrorName,ErrorType)VALUES "
                                "(11,'EE2','','' )"}));
  // Every parent row went with its read-back, refused ones included; the skipped case not.
  Strings parents;
  for (const std::string& sql : run.shared->queries)
    parents.push_back(sql.substr(0, sql.find(" (") + 2));
  EXPECT_EQ(parents, (Strings{kFeedbackId, kContinuousId, kContinuousId, kDayId, kDayId, kServiceId,
                              kServiceId}));
  EXPECT_EQ(run.shared->executed.size(), 2u);

  std::string log = run.logText();
  log.erase(std::remove(log.begin(), log.end(), '\r'), log.end());
  for (const char* skipped :
       {"Record skipped: its parent <PIDLIST appID='2' case_id='B'> was rejected by the database: "
        "<ERROR code='EB'>",
        "Record skipped: appID is not a number: 'x'\nINSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE]",
        "Record skipped: its parent <PIDLIST appID='x' case_id='C'> was skipped (appID is not a "
        "number: 'x'): <ERROR code='EC'>",
        "Record skipped: its parent <HOSPITALIZATION appID='3' case_id='D' tariffType='C'> was "
        "rejected by the database: <SERVICES appID='31'>",
        "Record skipped: its parent <SERVICES appID='31'> was not written: <ERROR code='ED1'>",
        "Record skipped: its parent <HOSPITALIZATION appID='3' case_id='D' tariffType='C'> was "
        "rejected by the database: <ERRORS code='ED2'>",
        "Record skipped: its parent <SERVICES appID='41'> was rejected by the database: "
        "<ERRORS code='EE1'>"}) {
    EXPECT_NE(log.find(skipped), std::string::npos) << skipped << "\n" << log;
  }
  const ImportOutcome outcome = run.context.Outcome();
  EXPECT_EQ(outcome.skippedRecords, 7);
  EXPECT_EQ(outcome.rejectedStatements, 3);
  // Every element still has its progress number, written or not.
  EXPECT_EQ(run.frontEnd.statuses(), progress(15));
}

TEST_F(FeedbackRoutine, childrenOfARowWhoseIdCannotBeReadBackAreSkipped) {
  answerUid(kFeedbackId, 40);
  run.shared->answersByStart[kDayId] = qiva::db::ResultSet{{"UID"}, {{DbNull{}}}};
  // kContinuousId is unanswered: the batch gives no row.
  EXPECT_EQ(
      import("<request reportType='1'><PidLists><PidList appID='1'><Error code='E1'/>"
             "</PidList></PidLists><Hospitalizations><Hospitalization appID='2' tariffType='3'>"
             "<Services appID='5'/><Errors code='E2'/></Hospitalization></Hospitalizations>"
             "</request>"),
      1);
  for (const std::string& sql : run.shared->executed) {
    EXPECT_EQ(sql.find("_ERRORS]"), std::string::npos) << sql;
    EXPECT_EQ(sql.find("SERVICES]"), std::string::npos) << sql;
  }
  const std::string log = run.logText();
  EXPECT_NE(log.find("Record skipped: its parent <PidList appID='1'> was written, but its id was "
                     "not read back: <Error code='E1'>"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Record skipped: its parent <Hospitalization appID='2' tariffType='3'> was "
                     "written, but its id was not read back: <Services appID='5'>"),
            std::string::npos);
  EXPECT_NE(log.find("No row id read back by\r\nINSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] ("),
            std::string::npos);
  EXPECT_EQ(run.context.Outcome().skippedRecords, 3);
  EXPECT_EQ(run.frontEnd.statuses().back(), "Finalizat de procesat 5 inregistrari");
}

// Every case would otherwise carry a feedback id that is not this file's.
TEST_F(FeedbackRoutine, failedHeaderShowsTheMessageAndWritesNothingElse) {
  const std::string file =
      "<request reportType='1'><PIDLISTS><PIDLIST appID='1'/></PIDLISTS></request>";
  const std::string header =
      "insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType)VALUES "
      "(CONVERT(datetime,'',120),CONVERT(datetime,'',120),1 )";
  answerIds(40, 7, 9, 11);
  run.shared->refused = {header};
  EXPECT_EQ(import(file), 0);
  EXPECT_TRUE(run.shared->executed.empty());
  EXPECT_EQ(run.shared->queries, Strings{header + kReadBack});
  EXPECT_EQ(run.context.Outcome().rejectedStatements, 1);

  run.shared->refused.clear();
  run.shared->answersByStart.erase(kFeedbackId);  // inserted, but no id comes back
  EXPECT_EQ(import(file), 0);
  EXPECT_EQ(run.shared->queries, (Strings{header + kReadBack, header + kReadBack}));

  EXPECT_EQ(import("<request reportType='1 '><PIDLISTS><PIDLIST appID='1'/></PIDLISTS></request>"),
            0);
  EXPECT_EQ(run.shared->queries.size(), 2u);  // a report type that is no number is not sent
  EXPECT_TRUE(run.shared->executed.empty());
  EXPECT_NE(run.logText().find("Record skipped: reportType is not a number: '1 '"),
            std::string::npos);

  EXPECT_EQ(run.frontEnd.messages(), Strings(3, "EROARE LA ADAUGARE IN TABELA QIVA_FEEDBACK"));
  EXPECT_TRUE(run.frontEnd.statuses().empty());
}

TEST_F(FeedbackRoutine, fileNotReadSendsNothingAndNamesTheRightReason) {
  EXPECT_EQ(import("<report reportType='1'><PIDLISTS><PIDLIST/></PIDLISTS></report>"), 0);
  EXPECT_FALSE(run.context.outcome.fileRead);
  EXPECT_EQ(run.context.outcome.rootTag, "request");  // both roots were tried

  // Cut short under the first root: not parsed again, so the reason stays the cut.
  EXPECT_EQ(import("<ns2:request reportType='1'><PIDLISTS><PIDLIST appID='1'/>"), 0);
  EXPECT_FALSE(run.context.outcome.fileRead);
  EXPECT_TRUE(run.context.outcome.parse.cutShort);
  EXPECT_EQ(run.context.outcome.rootTag, "ns2:request");

  EXPECT_TRUE(run.shared->executed.empty());
  EXPECT_TRUE(run.shared->queries.empty());
  EXPECT_TRUE(run.frontEnd.messages().empty());
  EXPECT_TRUE(run.frontEnd.statuses().empty());
}

TEST_F(FeedbackRoutine, databaseThatLostStatementsEndsTheImportAtOnce) {
  answerIds(40, 7, 9, 11);
  run.shared->breaksAfter =
      "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,CaseId,"
      "DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS)VALUES "
      "(40,1,'','','',null,null,null,null )";
  EXPECT_EQ(import("<request reportType='1'><PIDLISTS><PIDLIST appID='1'><ERROR/></PIDLIST>"
                   "<PIDLIST appID='2'/></PIDLISTS></request>"),
            0);
  ASSERT_EQ(run.shared->queries.size(), 2u);
  EXPECT_EQ(run.shared->queries.back(), run.shared->breaksAfter + kReadBack);
  EXPECT_TRUE(run.shared->executed.empty());
  EXPECT_TRUE(run.context.Outcome().databaseFailed);
  EXPECT_EQ(run.frontEnd.statuses(), Strings{"Procesez inregistrarea 0 ..."});
}

}  // namespace
