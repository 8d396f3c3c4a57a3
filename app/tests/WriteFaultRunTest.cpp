// WriteFaultRunTest.cpp: a general catalogues import into an embedded database whose disk
// fails under it (through the test file system): the run ends as a database failure, the user is
// told, and every statement the import sent is either in the database or logged as failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/ImportWorker.h"
#include "base/tests/TestSupport.h"
#include "db/CAdoRecordset.h"
#include "db/sqlite/tests/FaultVfs.h"
#include "import/toolkit/tests/EmbeddedImportTest.h"
#include "import/toolkit/tests/RecordingFrontEnd.h"

namespace {

using qiva::db::testing::FaultVfs;
using qiva::test::ReadFileBytes;
using qiva::test::RecordingFrontEnd;
using qiva::test::ScratchDir;
using qiva::test::WriteFileBytes;

constexpr const char* kCatalogues =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Catalogues>"
    "<PersonStates><PersonState code='1' description='a'/><PersonState code='2' description='b'/>"
    "<PersonState code='3' description='c'/></PersonStates>"
    "<PersonTypes><PersonType code='T1' isForeign='0'/><PersonType code='T2' "
    "isForeign='1'/></PersonTypes>"
    "</Catalogues>";

std::string PersonStateInsert(const std::string& code, const std::string& description) {
  return "insert into QIVA_PERSON_STATES (code,description) values ('" + code + "','" +
         description + "')";
}

// Turns the disk's reads into errors once the status line reaches `trigger`.
class FaultingFrontEnd : public RecordingFrontEnd {
 public:
  FaultingFrontEnd(FaultVfs& vfs, std::string trigger) : vfs_(vfs), trigger_(std::move(trigger)) {}
  void SetStatusText(const std::string& text) override {
    RecordingFrontEnd::SetStatusText(text);
    if (text == trigger_) vfs_.FailReads(true);
  }

 private:
  FaultVfs& vfs_;
  std::string trigger_;
};

// Fills the disk between two commits: at `fullAt` the group open so far is committed (the
// engine's idle flush) and the disk is then full; at `commitAt` the next group's commit fails.
class DiskFillingFrontEnd : public RecordingFrontEnd {
 public:
  DiskFillingFrontEnd(FaultVfs& vfs, std::string fullAt, std::string commitAt)
      : vfs_(vfs), fullAt_(std::move(fullAt)), commitAt_(std::move(commitAt)) {}
  void SetStatusText(const std::string& text) override {
    RecordingFrontEnd::SetStatusText(text);
    if (text != fullAt_ && text != commitAt_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    if (text == fullAt_) vfs_.FailWrites(true);
  }

 private:
  FaultVfs& vfs_;
  std::string fullAt_, commitAt_;
};

class WriteFaultRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());  // the run writes _database.log here
    WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                   "driver=sqlite\r\ndatabase=" + dir.file("q.db") + "\r\n");
    WriteFileBytes(dir.file("catalogues.xml"), kCatalogues);
    CAdoDatabase db;
    db.SetDriver("sqlite");
    ASSERT_TRUE(db.Open("", "", "", dir.file("q.db")));
    ASSERT_TRUE(db.Execute(PersonStateInsert("old", "x")));
    ASSERT_TRUE(db.Execute(
        "insert into QIVA_PERSON_TYPES (code,description,isForeign) values ('oldT','x',0)"));
    ASSERT_TRUE(db.Close());
  }
  void TearDown() override { std::filesystem::current_path(saved_); }

  RunOutcome Run(RecordingFrontEnd& ui) { return Run(ui, kCatalogues); }
  RunOutcome Run(RecordingFrontEnd& ui, const std::string& catalogues) {
    WriteFileBytes(dir.file("catalogues.xml"), catalogues);
    ImportSession session(dir.file("QIVA_IMPORT.INI"), ui);
    const RunOutcome outcome =
        ImportWorker(session, ImportRequest{ImportKind::Nomenclatures, dir.file("catalogues.xml")});
    outcome_ = session.lastOutcome();
    return outcome;  // the session's connection closes here, before the file system goes
  }

  std::vector<std::string> Codes(const std::string& table) {
    std::vector<std::string> codes;
    for (const auto& row :
         qiva::import::test::EmbeddedRows(dir.file("q.db"), "select code from " + table))
      codes.push_back(row.at(0));
    return codes;
  }
  static bool Has(const std::vector<std::string>& codes, const std::string& code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  }
  bool Logged(const std::string& statement) const {
    return ReadFileBytes(dir.file("_database.log")).find("->" + statement) != std::string::npos;
  }

  ScratchDir dir;
  FaultVfs vfs;  // after dir, before every connection: it outlives them all
  ImportOutcome outcome_;
  std::filesystem::path saved_;
};

TEST_F(WriteFaultRunTest, aCommitThatFailsEndsTheImportAsFailedWithItsStatementsLogged) {
  RecordingFrontEnd ui;
  vfs.FailWrites(true);  // the disk is full before the first group is written
  EXPECT_EQ(Run(ui), RunOutcome::DatabaseFailed);
  vfs.FailWrites(false);
  EXPECT_TRUE(outcome_.databaseFailed);
  EXPECT_GT(outcome_.rejectedStatements, 0);
  ASSERT_FALSE(ui.messages().empty());
  EXPECT_EQ(ui.messages().back(), OutcomeMessage(outcome_));
  // Nothing reached the file: both tables hold their old rows only, and what the import sent
  // is in the log as failed.
  EXPECT_EQ(Codes("QIVA_PERSON_STATES"), std::vector<std::string>{"old"});
  EXPECT_EQ(Codes("QIVA_PERSON_TYPES"), std::vector<std::string>{"oldT"});
  EXPECT_TRUE(Logged("delete from QIVA_PERSON_STATES"));
  EXPECT_TRUE(Logged(PersonStateInsert("1", "a")));
}

TEST_F(WriteFaultRunTest, aGroupRolledBackInTheMiddleEndsTheImportAsFailedWithItsStatementsLogged) {
  // The third record is written from cached pages; the next section's delete must read its
  // table from the disk, fails, and SQLite rolls back the whole open group.
  FaultingFrontEnd ui(vfs, "Procesez inregistrarea 3 ...");
  EXPECT_EQ(Run(ui), RunOutcome::DatabaseFailed);
  vfs.FailReads(false);
  EXPECT_TRUE(outcome_.databaseFailed);
  EXPECT_EQ(ui.messages().back(), OutcomeMessage(outcome_));

  // Every statement sent took effect or is logged as failed, exactly one of the two (the old
  // row stays only when the delete is logged); the second section's rows were never sent.
  const std::vector<std::string> states = Codes("QIVA_PERSON_STATES");
  EXPECT_EQ(Has(states, "old"), Logged("delete from QIVA_PERSON_STATES"));
  EXPECT_NE(Has(states, "1"), Logged(PersonStateInsert("1", "a")));
  EXPECT_NE(Has(states, "2"), Logged(PersonStateInsert("2", "b")));
  EXPECT_NE(Has(states, "3"), Logged(PersonStateInsert("3", "c")));
  EXPECT_EQ(Codes("QIVA_PERSON_TYPES"), std::vector<std::string>{"oldT"});
  EXPECT_FALSE(Logged("insert into QIVA_PERSON_TYPES"));
}

// The disk fills after the person states were committed: the import ends as a database failure
// and still counts the three records that were written, not 0.
TEST_F(WriteFaultRunTest, aFailureAfterACommitCountsTheRecordsThatWereWritten) {
  DiskFillingFrontEnd ui(vfs, "Procesez inregistrarea 4 ...", "Procesez inregistrarea 6 ...");
  const std::string catalogues =
      std::string(kCatalogues, std::string_view(kCatalogues).find("</Catalogues>")) +
      "<PersonCategories><PersonCategory code='C1' description='x'/>"
      "<PersonCategory code='C2' description='y'/></PersonCategories></Catalogues>";
  EXPECT_EQ(Run(ui, catalogues), RunOutcome::DatabaseFailed);
  vfs.FailWrites(false);
  EXPECT_TRUE(outcome_.databaseFailed);
  EXPECT_EQ(Codes("QIVA_PERSON_STATES"), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_TRUE(Codes("QIVA_PERSON_TYPES").empty());
  EXPECT_EQ(outcome_.records, 3);
  EXPECT_EQ(ui.messages().back(), OutcomeMessage(outcome_));
}

}  // namespace
