// The hospital pharmacy register error import: its statements and progress texts against a
// recording engine, and the rows it leaves in a fresh embedded database.
#include <gtest/gtest.h>

#include "import/toolkit/tests/EmbeddedImportTest.h"
#include "import/toolkit/tests/ImportTestSupport.h"
#include "reports/PharmacyErrorFile.h"

namespace {

using qiva::import::test::EmbeddedImportTest;
using qiva::import::test::RecordedImport;
using qiva::import::test::Rows;
using qiva::reports::ImportPharmacyErrorFile;
using Strings = std::vector<std::string>;

std::string stockError(const std::string& values) {
  return "INSERT INTO QIVA_STOCKS_ERRORS_RETURNED (appID,ErrorCode,Comments) values (" + values +
         ")";
}

TEST(ImportPharmacyErrorFile, writesEveryChildOfARegistersErrorsWithItsAppId) {
  RecordedImport run;
  const std::string path = run.writeFile(
      "f.xml",
      "<report><HospitalRegister AppID='31' state='2'><ERRORS><ERROR code='A' comments='x'/>"
      "<Problem code='B'/><ERROR code='C' comments=\"it's\"/></ERRORS></HospitalRegister>"
      "</report>");
  EXPECT_EQ(ImportPharmacyErrorFile(run.context, path), 1);
  EXPECT_EQ(run.shared->executed, (Strings{stockError("31,'A','x'"), stockError("31,'B',''"),
                                           stockError("31,'C','it''s'")}));
  EXPECT_EQ(run.frontEnd.statuses(),
            (Strings{"Procesez inregistrarea 1 ...", "Procesez inregistrarea 2 ...",
                     "Procesez inregistrarea 3 ..."}));
  EXPECT_EQ(run.context.Outcome().records, 3);
}

TEST(ImportPharmacyErrorFile, errorWithoutCodeIsSkippedAndTheRestWritten) {
  RecordedImport run;
  const std::string path =
      run.writeFile("f.xml",
                    "<report><HospitalRegister state='2'><Errors><Error comments='fara cod'/>"
                    "<Error code='B'/></Errors></HospitalRegister></report>");
  EXPECT_EQ(ImportPharmacyErrorFile(run.context, path), 1);
  EXPECT_EQ(run.shared->executed, Strings{stockError("0,'B',''")});
  EXPECT_EQ(run.context.Outcome().skippedRecords, 1);
  EXPECT_NE(run.logText().find("Record skipped: error without code: HOSPITALREGISTER AppID 0"),
            std::string::npos);
}

TEST(ImportPharmacyErrorFile, fileNotReadWritesNothingAndAFailedDatabaseEndsTheImport) {
  RecordedImport other;
  ImportPharmacyErrorFile(other.context, other.writeFile("f.xml", "<Catalogues/>"));
  EXPECT_TRUE(other.shared->executed.empty());
  EXPECT_FALSE(other.context.Outcome().fileRead);

  RecordedImport broken;
  broken.shared->breaksAfter = stockError("1,'A',''");
  EXPECT_EQ(
      ImportPharmacyErrorFile(
          broken.context,
          broken.writeFile("f.xml",
                           "<report><HospitalRegister AppID='1' state='2'><Errors><E code='A'/>"
                           "<E code='B'/></Errors></HospitalRegister></report>")),
      0);
  EXPECT_EQ(broken.shared->executed.size(), 1u);
}

class PharmacyErrorFileEndToEnd : public EmbeddedImportTest {
 protected:
  void import(const std::string& body) { run(ImportPharmacyErrorFile, write("f.xml", body)); }
  Rows stored() {
    return rows("select appID, ErrorCode, Comments from QIVA_STOCKS_ERRORS_RETURNED order by id");
  }
};

TEST_F(PharmacyErrorFileEndToEnd, detailsWriteUnderTheRegistersAppIdWhateverItsState) {
  import(
      "<report>"
      "<HospitalRegister AppID='70' state='1'><Errors><E code='NO'/></Errors>"
      "<HospitalRegisterDetails><HospitalRegisterDetail AppID='5' state='2'><Errors>"
      "<E code='D70'/></Errors></HospitalRegisterDetail></HospitalRegisterDetails>"
      "</HospitalRegister>"
      "<HospitalRegister AppID='71'><Errors><E code='NO'/></Errors>"
      "<HospitalRegisterDetails><HospitalRegisterDetail state='3'><Errors><E code='NO'/>"
      "</Errors></HospitalRegisterDetail><HospitalRegisterDetail><Errors><E code='NO'/>"
      "</Errors></HospitalRegisterDetail><Other state='2'><Errors><E code='NO'/></Errors>"
      "</Other><HospitalRegisterDetail state='2'><Errors><E code='D71'/></Errors>"
      "</HospitalRegisterDetail></HospitalRegisterDetails></HospitalRegister>"
      "<HospitalRegister AppID='77' state='2'>"
      "<HospitalRegisterDetails><HospitalRegisterDetail AppID='1234' state='2'><Errors>"
      "<E code='D77' comments='detaliu'/></Errors></HospitalRegisterDetail>"
      "</HospitalRegisterDetails><Errors><E code='R77'/></Errors></HospitalRegister>"
      "</report>");
  // A register's own errors come before its details', wherever they stand in the file.
  EXPECT_EQ(
      stored(),
      (Rows{{"70", "D70", ""}, {"71", "D71", ""}, {"77", "R77", ""}, {"77", "D77", "detaliu"}}));
  EXPECT_EQ(frontEnd.statuses().back(), "Procesez inregistrarea 4 ...");
}

// Each error stores its own comments: one without them never takes those of the error before.
TEST_F(PharmacyErrorFileEndToEnd, errorWithoutCommentsAfterOneWithCommentsStoresNone) {
  import(
      "<report><HospitalRegister AppID='1' state='2'><Errors>"
      "<E code='A' comments=\"stocul 'initial'\"/><E code='B'/></Errors>"
      "<HospitalRegisterDetails><HospitalRegisterDetail state='2'><Errors>"
      "<E code='C' comments='c'/><E code='D'/></Errors></HospitalRegisterDetail>"
      "</HospitalRegisterDetails></HospitalRegister></report>");
  EXPECT_EQ(
      stored(),
      (Rows{{"1", "A", "stocul 'initial'"}, {"1", "B", ""}, {"1", "C", "c"}, {"1", "D", ""}}));
  EXPECT_FALSE(outcome.hasLosses());
}

TEST_F(PharmacyErrorFileEndToEnd, loadsTheShippedSampleAndAddsRowsOnEveryImport) {
  const std::string sample = QIVA_SAMPLES_DIR "/SPT_FARM_4412345_202103_20210412_160112.xml";
  EXPECT_EQ(run(ImportPharmacyErrorFile, sample), 1);
  EXPECT_FALSE(outcome.hasLosses());
  EXPECT_EQ(rows("select appID, ErrorCode from QIVA_STOCKS_ERRORS_RETURNED order by id"),
            (Rows{{"7701", "FARM-031"},
                  {"7701", "FARM-044"},
                  {"7701", "FARM-102"},
                  {"7702", "FARM-117"},
                  {"7702", "FARM-120"}}));
  EXPECT_EQ(value("select Comments from QIVA_STOCKS_ERRORS_RETURNED where ErrorCode='FARM-102'"),
            "Stocul final nu corespunde cu stocul initial al lunii urmatoare pentru "
            "'Paracetamol 500 mg'");
  run(ImportPharmacyErrorFile, sample);
  EXPECT_EQ(value("select count(*) from QIVA_STOCKS_ERRORS_RETURNED"), "10");
}

}  // namespace
