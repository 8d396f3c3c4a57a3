// The national health programme routine against a recording engine: the preparation of its
// tables, the order of its statements, its progress texts, and what a file not read leaves.
#include <gtest/gtest.h>

#include "import/Nhp.h"
#include "import/NhpStatements.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace {

using namespace qiva::import::nhp;
using qiva::import::ImportNhp;
using qiva::import::test::RecordedImport;
using Strings = std::vector<std::string>;

constexpr const char* kFile =
    "<Catalogues><MedicalSupplies><MedicalSupply code='A'/><Note/><medicalsupply code='B' "
    "validTo='2030-01-01'/><MedicalSupply code='C'/></MedicalSupplies>"
    "<Other><NHP_Indicator code='X'/></Other>"
    "<nhp_indicators><NHP_Indicator code='I1' NHP='P6' hasBudget='1'/>"
    "<NHP_Indicator code='I2' hasBudget='true' allowCorrection='1'/></nhp_indicators></Catalogues>";

std::string supply(const std::string& code, const std::string& validTo = "null ") {
  return " insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) VALUES ('" +
         code + "','',convert (datetime,'',120), " + validTo + ")";
}

std::string indicator(const std::string& values) {
  return " insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,"
         "ALLOWCORRECTION,VALID_TO ) VALUES (" +
         values + ", null )";
}

void answerRow(RecordedImport& run, std::string_view query) {
  run.shared->answers[std::string(query)] =
      qiva::db::ResultSet{{"TABLE_NAME"}, {{DbValue(std::string("T"))}}};
}

TEST(ImportNhp, createsMissingTablesThenWritesBothSectionsWithOneCount) {
  RecordedImport run;
  EXPECT_EQ(ImportNhp(run.context, run.writeFile("nhp.xml", kFile)), 1);
  EXPECT_EQ(run.shared->executed,
            (Strings{std::string(kDropIndicators), std::string(kCreateIndicators),
                     std::string(kCreateSupplies), std::string(kDeleteSupplies), supply("A"),
                     supply("B", "convert (datetime,'2030-01-01',120) "), supply("C"),
                     std::string(kDeleteIndicators),
                     indicator("'I1','',convert (datetime,'',120),'P6',1,0"),
                     indicator("'I2','',convert (datetime,'',120),'',0,1")}));
  EXPECT_EQ(run.shared->queries,
            (Strings{std::string(kIndicatorsTableTest), std::string(kSuppliesTableTest)}));
  EXPECT_EQ(run.frontEnd.statuses(),
            (Strings{"Procesez inregistrarea 0 ...", "Procesez inregistrarea 1 ...",
                     "Procesez inregistrarea 2 ...", "Procesez inregistrarea 3 ...",
                     "Procesez inregistrarea 4 ...", "Finalizat de procesat 5 inregistrari"}));
  // The drop of a table that is not there yet is expected to fail and is no rejection.
  EXPECT_FALSE(run.context.Outcome().hasLosses());
}

TEST(ImportNhp, aTableTestThatCannotRunLeadsToNeitherCreateNorAlter) {
  RecordedImport run;
  answerRow(run, kIndicatorsTableTest);  // the drop failed: the table is still there
  run.shared->refused.insert(std::string(kSuppliesTableTest));
  ImportNhp(run.context, run.writeFile("nhp.xml", "<Catalogues/>"));
  EXPECT_EQ(run.shared->executed, (Strings{std::string(kDropIndicators)}));
  EXPECT_EQ(run.shared->queries,
            (Strings{std::string(kIndicatorsTableTest), std::string(kSuppliesTableTest)}));
}

// Dropping the indicators before reading the file would wipe them for a wrong or damaged file.
TEST(ImportNhp, aFileNotReadChangesNothing) {
  for (const std::string& xml :
       {std::string("<Catalogues><NHP_Indicators><NHP_Indicator code='I1'"),
        std::string("<Provider><NHP_Indicators/></Provider>"), std::string("")}) {
    RecordedImport run;
    EXPECT_EQ(ImportNhp(run.context, run.writeFile("nhp.xml", xml)), 1) << xml;
    EXPECT_EQ(run.shared->executed, Strings{}) << xml;
    EXPECT_EQ(run.shared->queries, Strings{}) << xml;
    EXPECT_EQ(run.frontEnd.statuses(), (Strings{"Finalizat de procesat 0 inregistrari"}));
    EXPECT_FALSE(run.context.Outcome().fileRead) << xml;
  }
  RecordedImport missing;
  ImportNhp(missing.context, (missing.folder / "none.xml").string());
  EXPECT_EQ(missing.shared->executed, Strings{});
}

TEST(ImportNhp, aSectionThatCannotBeEmptiedIsSkippedAndAFailedDatabaseEndsTheRun) {
  RecordedImport run;
  run.shared->refused.insert(std::string(kDeleteSupplies));
  EXPECT_EQ(ImportNhp(run.context, run.writeFile("nhp.xml", kFile)), 1);
  EXPECT_EQ(run.shared->executed.size(), 7u);  // drop, 2 creates, 2 deletes, 2 indicators
  EXPECT_EQ(run.context.Outcome().skippedSections, 1);
  EXPECT_EQ(run.frontEnd.statuses().back(), "Finalizat de procesat 2 inregistrari");

  RecordedImport broken;
  broken.shared->breaksAfter = std::string(kCreateSupplies);
  EXPECT_EQ(ImportNhp(broken.context, broken.writeFile("nhp.xml", kFile)), 0);
  EXPECT_EQ(broken.shared->executed.back(), std::string(kCreateSupplies));
  EXPECT_TRUE(broken.context.Outcome().databaseFailed);
  EXPECT_EQ(broken.frontEnd.statuses(), Strings{});
}

}  // namespace
