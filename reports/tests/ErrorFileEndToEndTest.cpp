// The error file import into a fresh embedded database, checked by the tables it creates and
// the rows it leaves.
#include <gtest/gtest.h>

#include "import/toolkit/tests/EmbeddedImportTest.h"
#include "reports/ErrorFile.h"

namespace {

using qiva::import::test::EmbeddedImportTest;
using qiva::import::test::Rows;
using qiva::reports::ImportErrorFile;

class ErrorFileEndToEnd : public EmbeddedImportTest {
 protected:
  int import(const std::string& name, const std::string& xml) {
    return run(ImportErrorFile, write(name, "<?xml version=\"1.0\"?>\n" + xml));
  }
  Rows errors(const std::string& columns = "AppID, ErrorCode, NodeName") {
    return rows("select " + columns + " from E_QIVA_ERROR_FILES_DETAILED order by ID");
  }
  std::string tableCount() {
    return value(
        "select count(*) from INFORMATION_SCHEMA.TABLES where TABLE_NAME = 'E_QIVA_ERROR_FILES' "
        "or TABLE_NAME = 'E_QIVA_ERROR_FILES_DETAILED'");
  }
};

TEST_F(ErrorFileEndToEnd, firstImportCreatesBothTablesWithKeysDefaultsIndexAndForeignKey) {
  ASSERT_EQ(tableCount(), "0");
  EXPECT_EQ(import("ERR_1_2.xml",
                   "<report><services><service AppID='3' state='2'><errors>"
                   "<error code='E1'/></errors></service></services></report>"),
            1);
  EXPECT_EQ(outcome.rejectedStatements, 0);
  EXPECT_EQ(tableCount(), "2");
  EXPECT_EQ(rows("select COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE, "
                 "COLUMN_DEFAULT from INFORMATION_SCHEMA.COLUMNS where TABLE_NAME = "
                 "'E_QIVA_ERROR_FILES_DETAILED' order by ORDINAL_POSITION"),
            (Rows{{"ID", "int", "NULL", "NO", "NULL"},
                  {"ErrorFileID", "int", "NULL", "NO", "NULL"},
                  {"NodeName", "varchar", "100", "YES", "NULL"},
                  {"AppID", "int", "NULL", "NO", "NULL"},
                  {"IsValid", "bit", "NULL", "NO", "(0)"},
                  {"ErrorCode", "varchar", "20", "NO", "NULL"},
                  {"InsertedDate", "datetime", "NULL", "NO", "(getdate())"}}));
  EXPECT_EQ(rows("select COLUMN_NAME, CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE, COLUMN_DEFAULT "
                 "from INFORMATION_SCHEMA.COLUMNS where TABLE_NAME = 'E_QIVA_ERROR_FILES' "
                 "order by ORDINAL_POSITION"),
            (Rows{{"ID", "NULL", "NO", "NULL"},
                  {"FileName", "100", "YES", "NULL"},
                  {"ExportType", "20", "YES", "NULL"},
                  {"InsertedDate", "NULL", "NO", "(getdate())"}}));
  // The detailed row took the defaults: no validity, and the server's time.
  EXPECT_EQ(errors("AppID, ErrorCode, IsValid, ErrorFileID"), (Rows{{"3", "E1", "0", "1"}}));
  const std::string today = value("select convert(varchar(10), getdate(), 120)");
  EXPECT_EQ(value("select InsertedDate from E_QIVA_ERROR_FILES_DETAILED").substr(0, 10), today);
  EXPECT_EQ(value("select InsertedDate from E_QIVA_ERROR_FILES").substr(0, 10), today);
  // The foreign key refuses an error of no file and the removal of a file with errors.
  EXPECT_FALSE(
      database.Execute("INSERT INTO E_QIVA_ERROR_FILES_DETAILED (errorFileID,appID,"
                       "ErrorCode) values (99,1,'X')"));
  EXPECT_FALSE(database.Execute("delete from E_QIVA_ERROR_FILES"));
  // The index exists under its name.
  EXPECT_FALSE(
      database.Execute("CREATE INDEX [IX_E_QIVA_ERROR_FILES_DETAILED] ON "
                       "E_QIVA_ERROR_FILES_DETAILED (AppID)"));
  EXPECT_NE(database.m_szProviderError.find("already exists"), std::string::npos)
      << database.m_szProviderError;

  // The second import finds the file table and creates nothing: nothing is refused.
  EXPECT_EQ(import("ERR_1_3.xml", "<report/>"), 1);
  EXPECT_EQ(outcome.rejectedStatements, 0);
  EXPECT_EQ(tableCount(), "2");
}

TEST_F(ErrorFileEndToEnd, servicesRecordsWriteOnlyWithAState) {
  import("ERR_1_2.xml",
         "<report><Services>"
         "<Service AppID='1'><Errors><Error code='NO'/></Errors></Service>"
         "<Service AppID='2' state='9'><Errors><Error code='A'/><Warning code='B'/></Errors>"
         "<Other><Error code='NO'/></Other><Errors><X code='C'/></Errors></Service>"
         "<LaboratoriesService AppID='3' state='0'><Errors><E code='D'/></Errors>"
         "</LaboratoriesService><Unknown state='1'><Errors><E code='NO'/></Errors></Unknown>"
         "</Services><ClinicServices><Service AppID='4' state='1'><Errors><E code='E'/></Errors>"
         "</Service></ClinicServices></report>");
  EXPECT_EQ(errors(), (Rows{{"2", "A", "SERVICE"},
                            {"2", "B", "SERVICE"},
                            {"2", "C", "SERVICE"},
                            {"3", "D", "LABORATORIESSERVICE"},
                            {"4", "E", "SERVICE"}}));
  EXPECT_EQ(frontEnd.statuses().back(), "Procesez inregistrarea 5 ...");
  EXPECT_EQ(outcome.records, 5);
}

TEST_F(ErrorFileEndToEnd, feedbackRecordsCarryTheirValidity) {
  import("SPT_PAL_1_2_3_4.xml",
         "<reportFeedback><PIDLIST AppID='1' isValid='false'><ERROR code='F'/></PIDLIST>"
         "<INTERNSHIP AppID='2' isValid='FaLsE'><ERROR code='G'/></INTERNSHIP>"
         "<SERVICE AppID='3' isValid='true'><ERROR code='T'/></SERVICE>"
         "<SERVICE AppID='4'><ERROR code='N'/></SERVICE>"
         "<PIDLIST AppID='5' isValid='0'><DETAIL code='NO'/><ERROR code='H'/><ERROR code='I'/>"
         "</PIDLIST></reportFeedback>");
  EXPECT_EQ(errors("AppID, ErrorCode, IsValid, NodeName"), (Rows{{"1", "F", "0", "PIDLIST"},
                                                                 {"2", "G", "0", "INTERNSHIP"},
                                                                 {"3", "T", "1", "SERVICE"},
                                                                 {"4", "N", "1", "SERVICE"},
                                                                 {"5", "H", "1", "PIDLIST"},
                                                                 {"5", "I", "1", "PIDLIST"}}));
  EXPECT_EQ(rows("select FileName, ExportType from E_QIVA_ERROR_FILES"),
            (Rows{{"SPT_PAL_1_2_3_4.xml", "SPT_PAL"}}));
}

TEST_F(ErrorFileEndToEnd, recoveryServicesWriteWithStateTwoOrThreeAndTheirServicesWithTwo) {
  import("ERR_1_2.xml",
         "<report><RecoveryAmbServices>"
         "<RecoveryAmbService AppID='10' state='1'><Errors><E code='NO'/></Errors>"
         "</RecoveryAmbService>"
         "<RecoveryAmbService AppID='11'><Errors><E code='NO'/></Errors></RecoveryAmbService>"
         "<RecoveryAmbService AppID='12' state='3'><Errors><E code='OWN'/></Errors>"
         "<Services><Service state='2'><Errors><E code='SRV'/></Errors>"
         "<DailyCure><Errors><E code='CURE1'/><E code='CURE2'/></Errors><Other code='NO'/>"
         "</DailyCure></Service>"
         "<Service state='1'><Errors><E code='NO'/></Errors></Service>"
         "<Other state='2'><Errors><E code='NO'/></Errors></Other></Services>"
         "<Errors><E code='OWN2'/></Errors></RecoveryAmbService>"
         "<RecoveryAmbService AppID='13' state='2'><Errors><E code='T2'/></Errors>"
         "</RecoveryAmbService></RecoveryAmbServices></report>");
  EXPECT_EQ(errors("AppID, ErrorCode, NodeName, IsValid"),
            (Rows{{"12", "OWN", "RECOVERYAMBSERVICE", "0"},
                  {"12", "SRV", "NULL", "0"},
                  {"12", "CURE1", "NULL", "0"},
                  {"12", "CURE2", "NULL", "0"},
                  {"12", "OWN2", "RECOVERYAMBSERVICE", "0"},
                  {"13", "T2", "RECOVERYAMBSERVICE", "0"}}));
}

TEST_F(ErrorFileEndToEnd, sameFileTwiceIsRecordedTwice) {
  const std::string xml =
      "<report><services><service AppID='1' state='2'><errors>"
      "<error code='A'/><error code='B'/></errors></service></services>"
      "</report>";
  import("ERR_1_2.xml", xml);
  import("ERR_1_2.xml", xml);
  EXPECT_EQ(rows("select ID, FileName from E_QIVA_ERROR_FILES order by ID"),
            (Rows{{"1", "ERR_1_2.xml"}, {"2", "ERR_1_2.xml"}}));
  EXPECT_EQ(errors("ErrorFileID, ErrorCode"),
            (Rows{{"1", "A"}, {"1", "B"}, {"2", "A"}, {"2", "B"}}));
}

// A file name longer than the column is refused: its errors must not land under the file
// imported before it, whose id the read-back would give.
TEST_F(ErrorFileEndToEnd, refusedFileRowLeavesEarlierFilesAlone) {
  import("ERR_1_2.xml",
         "<report><services><service AppID='1' state='2'><errors>"
         "<error code='A'/></errors></service></services></report>");
  const std::string longName = std::string(120, 'X') + "_1_2_3_4.xml";
  EXPECT_EQ(import(longName,
                   "<report><services><service AppID='2' state='2'><errors>"
                   "<error code='B'/><error code='C'/></errors></service></services>"
                   "</report>"),
            1);
  EXPECT_EQ(outcome.rejectedStatements, 1);
  EXPECT_EQ(outcome.skippedRecords, 2);
  EXPECT_EQ(errors("ErrorFileID, ErrorCode"), (Rows{{"1", "A"}}));
  EXPECT_EQ(value("select count(*) from E_QIVA_ERROR_FILES"), "1");
}

TEST_F(ErrorFileEndToEnd, damagedFileWritesNoFileRow) {
  import("ERR_1_2.xml", "<report/>");
  ASSERT_EQ(value("select count(*) from E_QIVA_ERROR_FILES"), "1");
  import("ERR_1_3.xml",
         "<report>\n<services>\n<service AppID='2' state='2'>\n<errors>\n"
         "<error code='B'/>\n");
  EXPECT_FALSE(outcome.fileRead);
  import("SPT_SPZ_1_2_3_4.xml", "<report><services/></report>");  // root must be reportFeedback
  EXPECT_FALSE(outcome.fileRead);
  EXPECT_EQ(value("select count(*) from E_QIVA_ERROR_FILES"), "1");
}

TEST_F(ErrorFileEndToEnd, codesAndNamesWithApostrophesAreStored) {
  import("D'ERR_1_2_3_4.xml",
         "<report><services><service AppID='1' state='2'><errors>"
         "<error code=\"E'1\"/></errors></service></services></report>");
  EXPECT_EQ(outcome.rejectedStatements, 0);
  EXPECT_EQ(rows("select FileName, ExportType from E_QIVA_ERROR_FILES"),
            (Rows{{"D'ERR_1_2_3_4.xml", "D'ERR"}}));
  EXPECT_EQ(errors("ErrorCode"), (Rows{{"E'1"}}));
}

TEST_F(ErrorFileEndToEnd, loadsTheShippedSamples) {
  EXPECT_EQ(run(ImportErrorFile, QIVA_SAMPLES_DIR "/CLINIC_4412345_202103_20210412_153012.xml"), 1);
  EXPECT_FALSE(outcome.hasLosses());
  EXPECT_EQ(outcome.records, 7);
  EXPECT_EQ(run(ImportErrorFile, QIVA_SAMPLES_DIR "/SPT_DRG_4412345_202103_20210412_153540.xml"),
            1);
  EXPECT_FALSE(outcome.hasLosses());
  EXPECT_EQ(outcome.records, 6);
  EXPECT_EQ(rows("select FileName, ExportType from E_QIVA_ERROR_FILES order by ID"),
            (Rows{{"CLINIC_4412345_202103_20210412_153012.xml", "CLINIC"},
                  {"SPT_DRG_4412345_202103_20210412_153540.xml", "SPT_DRG"}}));
  EXPECT_EQ(rows("select (select count(*) from E_QIVA_ERROR_FILES_DETAILED where ErrorFileID = 1), "
                 "(select count(*) from E_QIVA_ERROR_FILES_DETAILED where ErrorFileID = 2)"),
            (Rows{{"7", "6"}}));
  EXPECT_EQ(rows("select AppID, ErrorCode from E_QIVA_ERROR_FILES_DETAILED where IsValid = 1"),
            (Rows{{"5533", "INT-007"}}));
}

}  // namespace
