// The error file routine against a recording engine: the statements it sends and in which
// order, the root chosen from the file name, the progress texts, and what it does when the file
// is not read, the file row or its id cannot be had, a value is missing or the database fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "import/toolkit/tests/ImportTestSupport.h"
#include "reports/ErrorFile.h"
#include "reports/ErrorReportStatements.h"
#include "reports/RowIdReadBack.h"

namespace {

using qiva::import::test::RecordedImport;
using qiva::reports::ErrorFileName;
using qiva::reports::ErrorFileTablesStatement;
using qiva::reports::ImportErrorFile;
using qiva::reports::WithIdReadBack;
using Strings = std::vector<std::string>;

const std::string kReadBack(qiva::reports::kIdReadBack);

void answerFileId(RecordedImport& run, std::int32_t id) {
  run.shared->answers[kReadBack] = qiva::db::ResultSet{{"UID"}, {{DbValue(id)}}};
}

std::string fileRow(const std::string& name, const std::string& type) {
  return "INSERT INTO E_QIVA_ERROR_FILES (fileName,exportType) values ('" + name + "','" + type +
         "')";
}

TEST(ImportErrorFile, feedbackFileSendsTablesFileRowReadBackAndEachErrorInOrder) {
  RecordedImport run;
  answerFileId(run, 7);
  const std::string path = run.writeFile(
      "SPT_DRG_1_2_3_4.xml",
      "<reportFeedback><PIDLIST AppID='11' isValid='false'><ERROR code='P1'/></PIDLIST>"
      "<internship AppID='12'><Note/><Error code='I1'/><ERROR code='I2'/></internship>"
      "<SERVICE isValid='TRUE'><ERROR code='S1'/></SERVICE><OTHER><ERROR code='X'/></OTHER>"
      "</reportFeedback>");
  EXPECT_EQ(ImportErrorFile(run.context, path), 1);
  const std::string insert =
      "INSERT INTO E_QIVA_ERROR_FILES_DETAILED (errorFileID,appID,"
      "ErrorCode,isValid,nodeName) values ";
  EXPECT_EQ(run.shared->executed,
            (Strings{ErrorFileTablesStatement(), insert + "(7,11,'P1',0,'PIDLIST')",
                     insert + "(7,12,'I1',1,'INTERNSHIP')", insert + "(7,12,'I2',1,'INTERNSHIP')",
                     insert + "(7,0,'S1',1,'SERVICE')"}));
  // The file row and the read-back of its own id go as one batch.
  EXPECT_EQ(run.shared->queries,
            Strings{fileRow("SPT_DRG_1_2_3_4.xml", "SPT_DRG") + "\nselect scope_identity() UID"});
  EXPECT_EQ(run.frontEnd.statuses(),
            (Strings{"Procesez inregistrarea 1 ...", "Procesez inregistrarea 2 ...",
                     "Procesez inregistrarea 3 ...", "Procesez inregistrarea 4 ..."}));
  const ImportOutcome outcome = run.context.Outcome();
  EXPECT_EQ(outcome.records, 4);
  EXPECT_FALSE(outcome.hasLosses());
  EXPECT_EQ(outcome.rootTag, "reportFeedback");
}

// The file name is what follows the last separator of either kind; the export type and the
// root follow from it.
TEST(ImportErrorFile, takesNameTypeAndRootFromThePath) {
  EXPECT_EQ(ErrorFileName("C:\\in/sub\\SPT_ACUT_a_b_c_d.xml"), "SPT_ACUT_a_b_c_d.xml");
  EXPECT_EQ(ErrorFileName("/in\\x/ERR_1_2.xml"), "ERR_1_2.xml");
  EXPECT_EQ(ErrorFileName("ERR_1_2.xml"), "ERR_1_2.xml");

  RecordedImport run;
  answerFileId(run, 1);
  // Both separators in one path: on Windows a file in the folder "in", elsewhere a file whose
  // name holds a backslash.
  std::filesystem::create_directories(run.folder / "in");
  const std::string mixed = run.folder.string() + "/in\\SPT_ACUT_a_b_c_d.xml";
  std::ofstream(mixed, std::ios::binary) << "<reportFeedback/>";
  ImportErrorFile(run.context, mixed);
  ASSERT_EQ(run.shared->queries.size(), 1u);
  EXPECT_EQ(run.shared->queries[0], WithIdReadBack(fileRow("SPT_ACUT_a_b_c_d.xml", "SPT_ACUT")));

  RecordedImport plain;
  answerFileId(plain, 1);
  const std::string err = plain.writeFile("ERR_1_2.xml", "<report><services/></report>");
  ImportErrorFile(plain.context, err);
  EXPECT_EQ(plain.context.Outcome().rootTag, "report");
  ASSERT_EQ(plain.shared->queries.size(), 1u);
  EXPECT_EQ(plain.shared->queries[0], WithIdReadBack(fileRow("ERR_1_2.xml", "")));
}

// A file that is not read sends nothing: no table, and no file row that would read as a
// report without errors.
TEST(ImportErrorFile, fileNotReadSendsNothing) {
  for (const auto& [name, xml] : std::vector<std::pair<std::string, std::string>>{
           {"SPT_DRG_1_2_3_4.xml", "<report><services/></report>"},
           {"ERR_1_2.xml", "<report>\n<services>\n<service state='1'>\n<errors>\n<e code='A'/>"},
           {"ERR_1_3.xml", ""}}) {
    RecordedImport run;
    EXPECT_EQ(ImportErrorFile(run.context, run.writeFile(name, xml)), 1) << name;
    EXPECT_TRUE(run.shared->executed.empty()) << name;
    EXPECT_TRUE(run.shared->queries.empty()) << name;
    EXPECT_FALSE(run.context.Outcome().fileRead) << name;
  }
}

const char* kTwoErrors =
    "<report><services><service AppID='5' state='2'><errors><error code='A'/>"
    "<error code='B'/></errors></service></services></report>";

TEST(ImportErrorFile, refusedFileRowWritesNoErrorRowAndCountsEachAsSkipped) {
  RecordedImport run;
  answerFileId(run, 3);  // an earlier file's row: its id must not be used
  const std::string path = run.writeFile("ERR_1_2.xml", kTwoErrors);
  run.shared->refused.insert(fileRow("ERR_1_2.xml", ""));
  EXPECT_EQ(ImportErrorFile(run.context, path), 1);
  EXPECT_EQ(run.shared->executed.size(), 1u);  // the tables; the file row's batch was refused
  EXPECT_EQ(run.shared->queries.size(), 1u);
  const ImportOutcome outcome = run.context.Outcome();
  EXPECT_EQ(outcome.rejectedStatements, 1);
  EXPECT_EQ(outcome.skippedRecords, 2);
  EXPECT_EQ(outcome.records, 2);
  EXPECT_NE(run.logText().find("Record skipped: the row of file 'ERR_1_2.xml' could not be "
                               "inserted, so its errors were not written: SERVICE AppID 5, "
                               "code 'B'"),
            std::string::npos)
      << run.logText();
}

TEST(ImportErrorFile, noIdReadBackWritesNoErrorRow) {
  // A batch that gives no row, then one that gives a null id.
  for (int variant = 0; variant < 2; ++variant) {
    RecordedImport run;
    if (variant == 1) run.shared->answers[kReadBack] = qiva::db::ResultSet{{"UID"}, {{DbNull{}}}};
    EXPECT_EQ(ImportErrorFile(run.context, run.writeFile("ERR_1_2.xml", kTwoErrors)), 1);
    EXPECT_EQ(run.shared->executed.size(), 1u) << variant;
    EXPECT_EQ(run.context.Outcome().skippedRecords, 2) << variant;
    EXPECT_NE(run.logText().find("could not be read back, so its errors were not written"),
              std::string::npos)
        << variant;
  }
}

TEST(ImportErrorFile, errorWithoutCodeIsSkippedAndMissingAppIdIsZero) {
  RecordedImport run;
  answerFileId(run, 9);
  const std::string path =
      run.writeFile("ERR_1_2.xml",
                    "<report><laboratoriesServices><clinicService state=''><errors><error/>"
                    "<warning code='W1'/></errors></clinicService></laboratoriesServices>"
                    "<recoveryAmbServices><recoveryAmbService AppID='4' state='3'><services>"
                    "<service state='2'><dailyCure><errors><error/></errors></dailyCure></service>"
                    "</services></recoveryAmbService></recoveryAmbServices></report>");
  EXPECT_EQ(ImportErrorFile(run.context, path), 1);
  ASSERT_EQ(run.shared->executed.size(), 2u);
  EXPECT_EQ(run.shared->executed[1],
            "INSERT INTO E_QIVA_ERROR_FILES_DETAILED (errorFileID,appID,ErrorCode,nodeName) "
            "values (9,0,'W1','CLINICSERVICE')");
  EXPECT_EQ(run.context.Outcome().skippedRecords, 2);
  const std::string log = run.logText();
  EXPECT_NE(log.find("Record skipped: error without code: CLINICSERVICE AppID 0"),
            std::string::npos);
  EXPECT_NE(log.find("Record skipped: error without code: RECOVERYAMBSERVICE/SERVICE/DAILYCURE "
                     "AppID 4"),
            std::string::npos)
      << log;
  EXPECT_EQ(run.frontEnd.statuses().back(), "Procesez inregistrarea 3 ...");
}

TEST(ImportErrorFile, endsAtOnceWhenTheDatabaseFails) {
  RecordedImport run;
  answerFileId(run, 1);
  run.shared->breaksAfter =
      "INSERT INTO E_QIVA_ERROR_FILES_DETAILED (errorFileID,appID,ErrorCode,nodeName) values "
      "(1,5,'A','SERVICE')";
  EXPECT_EQ(ImportErrorFile(run.context, run.writeFile("ERR_1_2.xml", kTwoErrors)), 0);
  EXPECT_EQ(run.shared->executed.back(), run.shared->breaksAfter);
  EXPECT_TRUE(run.context.Outcome().databaseFailed);

  RecordedImport early;
  early.shared->breaksAfter = ErrorFileTablesStatement();
  EXPECT_EQ(ImportErrorFile(early.context, early.writeFile("ERR_1_2.xml", kTwoErrors)), 0);
  EXPECT_EQ(early.shared->executed.size(), 1u);
}

}  // namespace
