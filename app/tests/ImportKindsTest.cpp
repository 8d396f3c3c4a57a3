// Tests of the import kinds table and of the paths the programs derive from their own path.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/ImportKinds.h"
#include "base/ProgramPaths.h"
#include "reports/ErrorFile.h"

namespace {

using qiva::reports::ErrorFileExportType;

TEST(ImportKinds, followTheDialogsButtonOrderWithTheirCaptions) {
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"personalization", "Import personalizare"},
      {"physicians", "Import medici trimitatori"},
      {"nomenclatures", "Import nomenclatoare"},
      {"pharma", "Import nom. farm (medicamente)"},
      {"nhp", "Import NHP"},
      {"errors", "Import fisier erori"},
      {"pharmacy-errors", "SPT: Import fisier erori farm"},
      {"day-tariffs", "SPT: Import Serv Spit ZI"},
      {"feedback", "SPT: Import Feedback"},
  };
  ASSERT_EQ(ImportKinds().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(ImportKinds()[i].commandName, expected[i].first);
    EXPECT_EQ(ImportKinds()[i].caption, expected[i].second);
    EXPECT_EQ(&ImportKindInfoFor(ImportKinds()[i].kind), &ImportKinds()[i]);
    EXPECT_EQ(FindImportKind(expected[i].first), &ImportKinds()[i]);
  }
  EXPECT_EQ(FindImportKind("Errors"), nullptr);
  EXPECT_TRUE(ImportKindInfoFor(ImportKind::DayHospitalTariffs).needsLocation);
  EXPECT_TRUE(ImportKindInfoFor(ImportKind::Feedback).needsLocation);
  EXPECT_FALSE(ImportKindInfoFor(ImportKind::ErrorFile).needsLocation);
}

TEST(ImportKinds, errorFileRootComesFromTheExportTypeInItsName) {
  EXPECT_EQ(ErrorFileExportType("C:\\in\\SPT_ACUT_a_b_c_d.xml"), "SPT_ACUT");
  EXPECT_EQ(ErrorFileExportType("/in/CLINIC_2021_03_x_y.xml"), "CLINIC");
  EXPECT_EQ(ErrorFileExportType("a_b_c_d.xml"), "");
  EXPECT_EQ(ErrorFileExportType("_a_b_c_d.xml"), "");
  EXPECT_EQ(RootTagsFor(ImportKind::ErrorFile, "/in/SPT_DRG_1_2_3_4.xml"),
            std::vector<std::string>{"reportFeedback"});
  EXPECT_EQ(RootTagsFor(ImportKind::ErrorFile, "/in/SPT_DRGX_1_2_3_4.xml"),
            std::vector<std::string>{"report"});
  EXPECT_EQ(RootTagsFor(ImportKind::Feedback, "f.xml"),
            (std::vector<std::string>{"ns2:request", "request"}));
  EXPECT_EQ(RootTagsFor(ImportKind::Personalization, "p.xml"),
            std::vector<std::string>{"Provider"});
  EXPECT_EQ(RootTagsFor(ImportKind::DayHospitalTariffs, "p.xml"),
            std::vector<std::string>{"provider"});
}

TEST(ProgramPaths, windowsRulesUpperCaseTheWholePath) {
  const ProgramPaths paths = ProgramPathsFor("C:\\Apps\\qiva_import.exe", PathRules::Windows);
  EXPECT_EQ(paths.configurationPath, "C:\\APPS\\QIVA_IMPORT.INI");
  EXPECT_EQ(paths.updateLogPath, "C:\\APPS\\QIVA_IMPORT_update.LOG");
  EXPECT_EQ(paths.programFolder, "C:\\Apps");
  // A folder whose name holds ".EXE" is changed too, as every occurrence is replaced.
  EXPECT_EQ(ProgramPathsFor("C:\\Tools.exe\\QIVA_IMPORT.EXE", PathRules::Windows).configurationPath,
            "C:\\TOOLS.INI\\QIVA_IMPORT.INI");
  EXPECT_EQ(ProgramPathsFor("QIVA_IMPORT.EXE", PathRules::Windows).programFolder,
            "QIVA_IMPORT.EXE");
}

TEST(ProgramPaths, posixRulesKeepTheFolderAsItIs) {
  const ProgramPaths paths = ProgramPathsFor("/opt/Qiva/bin/qiva_import", PathRules::Posix);
  EXPECT_EQ(paths.programFolder, "/opt/Qiva/bin");
  EXPECT_EQ(paths.configurationPath, "/opt/Qiva/bin/QIVA_IMPORT.INI");
  EXPECT_EQ(paths.updateLogPath, "/opt/Qiva/bin/QIVA_IMPORT_update.LOG");
  EXPECT_EQ(ProgramPathsFor("/opt/x.exe/qiva_import.exe", PathRules::Posix).configurationPath,
            "/opt/x.exe/QIVA_IMPORT.INI");
  EXPECT_EQ(ProgramPathsFor("/qiva_import", PathRules::Posix).configurationPath,
            "/QIVA_IMPORT.INI");
}

TEST(ProgramPaths, commandLineFileLosesOnePairOfEnclosingQuotes) {
  EXPECT_EQ(CommandLineFilePath("\"C:\\My Files\\x.xml\""), "C:\\My Files\\x.xml");
  EXPECT_EQ(CommandLineFilePath("C:\\x.xml"), "C:\\x.xml");
  EXPECT_EQ(CommandLineFilePath("\"C:\\x.xml\" "), "C:\\x.xml");
  EXPECT_EQ(CommandLineFilePath("\""), "\"");  // a lone quote is no pair
  EXPECT_EQ(CommandLineFilePath(""), "");
}

TEST(ProgramPaths, resolvesRelativePathsAgainstTheStartFolder) {
  auto generic = [](const std::string& path) {
    return std::filesystem::path(path).generic_string();
  };
  EXPECT_EQ(generic(ResolveAgainst("/home/u", "in/a.xml")), "/home/u/in/a.xml");
  EXPECT_EQ(generic(ResolveAgainst("/home/u", "/abs/a.xml")), "/abs/a.xml");
  EXPECT_EQ(ResolveAgainst("/home/u", ""), "");
}

}  // namespace
