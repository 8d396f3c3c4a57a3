// Another program inserting into the report imports' parent tables as fast as it can, on a
// connection of its own, while error files and a feedback file are imported: every child row
// must be under its own parent. On the embedded engine, and through unixODBC and FreeTDS to the
// stand-in (which runs each connection on an engine connection of its own against one file).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "base/tests/TestSupport.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "db/tds/tests/StandIn.h"
#include "import/toolkit/ImportRoutine.h"
#include "import/toolkit/tests/RecordingFrontEnd.h"
#include "reports/ErrorFile.h"
#include "reports/ErrorReportStatements.h"
#include "reports/Feedback.h"

namespace {

using qiva::test::ScratchDir;
using qiva::test::WriteFileBytes;

constexpr int kErrorFiles = 30;
constexpr int kErrorsPerFile = 3;
constexpr int kCases = 150;  // continuous cases, and as many day cases

// One row in each parent table per text, marked 'writer' (report type 9), as fast as it goes.
constexpr const char* kWriterText =
    "INSERT INTO E_QIVA_ERROR_FILES (fileName,exportType) values ('writer','W') "
    "insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType) values (getdate(),getdate(),9) "
    "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID,MedicalSheetNo) values (0,'writer') "
    "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID,MedicalSheetNo) values (0,'writer') "
    "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID,VisitID) "
    "values (0,'writer')";

// Each child's code repeats its parent's key, so a child is under its own parent exactly when
// the join on its parent id finds that key.
std::string ErrorFileXml(int file) {
  std::string errors;
  for (int e = 0; e < kErrorsPerFile; ++e) errors += "<E code='X" + std::to_string(file) + "'/>";
  return "<report><SERVICES><SERVICE state='1' AppID='1'><ERRORS>" + errors +
         "</ERRORS></SERVICE></SERVICES></report>";
}

std::string FeedbackXml() {
  std::string pidLists, days;
  for (int i = 0; i < kCases; ++i) {
    const std::string n = std::to_string(i);
    pidLists +=
        "<PIDLIST appID='1' medicalSheetNo='M" + n + "'><ERROR code='M" + n + "'/></PIDLIST>";
    days += "<HOSPITALIZATION appID='1' medicalSheetNo='D" + n +
            "' tariffType='1'>"
            "<SERVICES appID='1' visitID='D" +
            n + "'><ERROR code='D" + n +
            "'/></SERVICES>"
            "<ERRORS code='D" +
            n + "'/></HOSPITALIZATION>";
  }
  return "<request reportingStartDate='2021-03-01' reportingEndDate='2021-03-31' reportType='1'>"
         "<PIDLISTS>" +
         pidLists + "</PIDLISTS><HOSPITALIZATIONS>" + days + "</HOSPITALIZATIONS></request>";
}

class ParentIdRaceTest : public ::testing::Test {
 protected:
  // Imports the error files and the feedback file on one connection while a second one writes
  // parent rows, then checks every child against its parent.
  // `file` is the database file that `open` reaches; `settle` makes every row of it durable.
  void ImportWhileAnotherProgramWrites(const std::function<bool(CAdoDatabase&)>& open,
                                       const std::string& file,
                                       const std::function<void()>& settle = {}) {
    CAdoDatabase setup;
    ASSERT_TRUE(open(setup));
    ASSERT_TRUE(setup.Execute(qiva::reports::ErrorFileTablesStatement()));
    ASSERT_TRUE(setup.Close());

    std::atomic<bool> stop{false};
    std::atomic<int> written{0};
    std::thread writer([&] {
      CAdoDatabase db;
      if (!open(db)) return void(stop = true);
      while (!stop) {
        if (db.Execute(kWriterText)) ++written;
        db.Flush();  // the embedded engine's group goes at once, releasing the file
      }
      db.Close();
    });

    while (written == 0 && !stop) std::this_thread::yield();  // the writer is under way

    CAdoDatabase db;
    CAdoRecordset rs;
    qiva::test::RecordingFrontEnd ui;
    ASSERT_TRUE(open(db));
    db.SetLogFile(dir.file("_database.log"));
    const int writtenBefore = written.load();
    for (int file = 0; file < kErrorFiles; ++file) {
      const std::string path = dir.file("X" + std::to_string(file) + "_1_2_3_4.xml");
      WriteFileBytes(path, ErrorFileXml(file));
      ImportContext ctx{db, rs, ui};
      EXPECT_EQ(qiva::reports::ImportErrorFile(ctx, path), 1);
      EXPECT_FALSE(ctx.Outcome().hasLosses());
    }
    WriteFileBytes(dir.file("feedback.xml"), FeedbackXml());
    ImportContext ctx{db, rs, ui};
    EXPECT_EQ(qiva::reports::ImportFeedback(ctx, dir.file("feedback.xml")), 1);
    EXPECT_FALSE(ctx.Outcome().hasLosses());
    // A file row the server refuses (its name is longer than the column): the batch fails, so
    // its errors are skipped, the refusal counted, and nothing goes under another file.
    const std::string longName = dir.file(std::string(120, 'L') + "_1_2_3_4.xml");
    WriteFileBytes(longName, ErrorFileXml(0));
    ImportContext refused{db, rs, ui};
    EXPECT_EQ(qiva::reports::ImportErrorFile(refused, longName), 1);
    EXPECT_EQ(refused.Outcome().rejectedStatements, 1);
    EXPECT_EQ(refused.Outcome().skippedRecords, kErrorsPerFile);
    EXPECT_TRUE(db.Flush());
    stop = true;
    writer.join();
    // The writer did write while the imports ran (how much depends on the machine's load).
    EXPECT_GT(written.load(), writtenBefore);
    // A batch is a scope of its own: one without an insert has no identity.
    ASSERT_TRUE(rs.Open("select scope_identity() UID", &db));
    EXPECT_TRUE(std::holds_alternative<DbNull>(rs.GetFieldValue("UID")));
    rs.Close();

    db.Close();
    if (settle) settle();
    // Read from the file itself: the checks join tables, which the T-SQL layer does not.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    auto count = [&](const std::string& query) {
      sqlite3_stmt* q = nullptr;
      int n = -1;
      if (sqlite3_prepare_v2(raw, query.c_str(), -1, &q, nullptr) == SQLITE_OK &&
          sqlite3_step(q) == SQLITE_ROW)
        n = sqlite3_column_int(q, 0);
      EXPECT_NE(n, -1) << query << ": " << sqlite3_errmsg(raw);
      sqlite3_finalize(q);
      return n;
    };
    EXPECT_EQ(count("select count(*) n from E_QIVA_ERROR_FILES_DETAILED d, E_QIVA_ERROR_FILES "
                    "f where f.ID = d.ErrorFileID and d.ErrorCode = f.ExportType"),
              kErrorFiles * kErrorsPerFile);
    EXPECT_EQ(count("select count(*) n from QIVA_FEEDBACK_HOSPITAL_CONTINUE c, QIVA_FEEDBACK "
                    "f where f.id = c.FeedbackID and f.ReportType = 1"),
              kCases);
    EXPECT_EQ(count("select count(*) n from QIVA_FEEDBACK_HOSPITAL_DAY d join QIVA_FEEDBACK f on "
                    "f.id = d.FeedbackID and f.ReportType = 1"),
              kCases);
    EXPECT_EQ(count("select count(*) n from QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS e join "
                    "QIVA_FEEDBACK_HOSPITAL_CONTINUE c on c.id = e.FeedbackHospitalContinueID and "
                    "e.ErrorCode = c.MedicalSheetNo"),
              kCases);
    EXPECT_EQ(count("select count(*) n from QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES s join "
                    "QIVA_FEEDBACK_HOSPITAL_DAY d on d.id = s.FeedbackHospitalDayID and "
                    "s.VisitID = d.MedicalSheetNo"),
              kCases);
    EXPECT_EQ(count("select count(*) n from QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS e join "
                    "QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES s on s.id = e.feedbackDayServiceID and "
                    "e.ErrorCode = s.VisitID"),
              kCases);
    EXPECT_EQ(count("select count(*) n from QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS e join "
                    "QIVA_FEEDBACK_HOSPITAL_DAY d on d.id = e.FeedbackHospitalDayID and "
                    "e.ErrorCode = d.MedicalSheetNo"),
              kCases);
    sqlite3_close(raw);
  }

  ScratchDir dir;
};

TEST_F(ParentIdRaceTest, everyChildIsUnderItsOwnParentOnTheEmbeddedEngine) {
  const std::string file = dir.file("clinic.db");
  ImportWhileAnotherProgramWrites(
      [&](CAdoDatabase& db) {
        db.SetDriver("sqlite");
        return db.Open("", "", "", file);
      },
      file);
}

TEST_F(ParentIdRaceTest, everyChildIsUnderItsOwnParentThroughTheDriver) {
  if (!qiva::test::RegisterFreeTds(dir.path().string())) GTEST_SKIP() << "no FreeTDS ODBC driver";
  // A round trip of a few milliseconds, as on a network: the gap between a statement and the
  // next, where another connection's rows can come in.
  qiva::test::StandIn server(dir.file("served.db"), {"--latency-ms", "2"});
  ASSERT_TRUE(server.Started());
  ImportWhileAnotherProgramWrites(
      [&](CAdoDatabase& db) { return db.Open(server.ConnectionText()); }, dir.file("served.db"),
      [&] { server.Stop(); });
}

}  // namespace
