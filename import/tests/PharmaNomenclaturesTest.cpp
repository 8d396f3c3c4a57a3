// The pharmaceutical catalogues routine against a recording engine: which statements and
// batches run, in which order, with which progress texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "import/PharmaNomenclatures.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace {

using qiva::import::ImportPharmaNomenclatures;
using qiva::import::test::RecordedImport;
using Strings = std::vector<std::string>;

const std::string kTabs = "\t\t\t\t\t\t";
const std::string kHeader = " SET NOCOUNT ON \n";

std::string drugInsert(const std::string& code, const std::string& from = "2020-01-01") {
  return "INSERT INTO QIVA_DRUGS(code,name,presentation_mode,is_narcotic,is_fractional,is_special,"
         "\t\t\t\t\t\t\thas_bio_echiv,qty_per_package,price_per_package,"
         "whole_sale_price_per_package,prescription_mode,\t\t\t\t\t\t\tVALID_FROM,VALID_TO,"
         "active_substance,concentration,pharmaceutical_form,company,country,atc)" +
         kTabs + "VALUES ('" + code + "','','',0,'','','',0,0,0,'',convert (datetime,'" + from +
         "',120), null, '','','','','','')";
}

std::string drugs(std::size_t count) {
  std::string xml = "<Catalogues><Drugs>";
  for (std::size_t i = 0; i < count; ++i) {
    xml += "<Drug code='W" + std::to_string(i) + "' validFrom='2020-01-01'/>";
  }
  return xml + "</Drugs></Catalogues>";
}

std::size_t statementsIn(const std::string& batch) {
  return static_cast<std::size_t>(std::count(batch.begin(), batch.end(), '\n')) - 1;
}

TEST(ImportPharmaNomenclatures, numbersEveryChildAndKeepsTheLastProgressMessage) {
  RecordedImport run;
  const std::string path =
      run.writeFile("p.xml",
                    "<Catalogues><nhps><nhp code='P1' description='Diabet'/><Note/></nhps>"
                    "<Unknown><NHP code='X'/></Unknown>"
                    "<drugs><drug code='W1' validFrom='2020-01-01'/><Comment/><DRUG code='W2' "
                    "validFrom='2020-01-01'/></drugs></Catalogues>");
  const std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(run.folder);  // the trace log lands in the current folder
  EXPECT_EQ(ImportPharmaNomenclatures(run.context, path), 1);
  std::filesystem::current_path(saved);
  EXPECT_EQ(run.frontEnd.statuses(),
            (Strings{"Procesez inregistrarea 1 ...", "Procesez inregistrarea 2 ...",
                     "Procesez inregistrarea 3 ...", "Procesez inregistrarea 4 ...",
                     "Procesez inregistrarea 5 ..."}));
  EXPECT_EQ(run.context.Outcome().records, 5);
  EXPECT_EQ(run.shared->executed,
            (Strings{"delete from QIVA_NHPS",
                     "INSERT INTO QIVA_NHPS (code,description,VALID_FROM,VALID_TO,"
                     "has_Ambulatory_Budget,has_Hospital_Budget)" +
                         kTabs + "VALUES ('P1','Diabet',convert (datetime,'',120), null, 0,0 )",
                     "delete from QIVA_DRUGS",
                     kHeader + "\n" + drugInsert("W1") + "\n" + drugInsert("W2")}));
  std::ifstream trace(run.folder / "_TRACE.LOG", std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(trace)), std::istreambuf_iterator<char>());
  const std::size_t before = log.find("]->before openFileHelper");
  ASSERT_NE(before, std::string::npos) << log;
  EXPECT_NE(log.find("]->after openFileHelper", before), std::string::npos) << log;
}

TEST(ImportPharmaNomenclatures, oneDrugIsOneBatchOfOneStatement) {
  RecordedImport run;
  ImportPharmaNomenclatures(run.context, run.writeFile("p.xml", drugs(1)));
  EXPECT_EQ(run.shared->executed,
            (Strings{"delete from QIVA_DRUGS", kHeader + "\n" + drugInsert("W0")}));
}

TEST(ImportPharmaNomenclatures, sendsBatchesOf1001StatementsAndTheRemainderAtTheEnd) {
  RecordedImport run;
  ImportPharmaNomenclatures(run.context, run.writeFile("p.xml", drugs(2500)));
  const Strings& executed = run.shared->executed;
  ASSERT_EQ(executed.size(), 4u);
  EXPECT_EQ(statementsIn(executed[1]), 1001u);
  EXPECT_EQ(statementsIn(executed[2]), 1001u);
  EXPECT_EQ(statementsIn(executed[3]), 498u);
  EXPECT_EQ(
      executed[1].rfind(kHeader + "\n" + drugInsert("W0") + "\n" + drugInsert("W1") + "\n", 0), 0u);
  EXPECT_NE(executed[1].find("\n" + drugInsert("W999") + "\n" + drugInsert("W1000")),
            std::string::npos);
  EXPECT_TRUE(executed[1].ends_with("\n" + drugInsert("W1000")));
  EXPECT_EQ(executed[2].rfind(kHeader + "\n" + drugInsert("W1001") + "\n", 0), 0u);
  EXPECT_EQ(executed[3].rfind(kHeader + "\n" + drugInsert("W2002") + "\n", 0), 0u);
  EXPECT_TRUE(executed[3].ends_with("\n" + drugInsert("W2499")));
  // 1,001 long drug statements hold far more than the million bytes a fixed buffer would.
  std::string longDrugs = "<Catalogues><Drugs>";
  for (int i = 0; i < 1001; ++i)
    longDrugs += "<Drug code='L' name='" + std::string(1500, 'n') + "'/>";
  ImportPharmaNomenclatures(run.context,
                            run.writeFile("long.xml", longDrugs + "</Drugs></Catalogues>"));
  ASSERT_EQ(executed.size(), 6u);
  EXPECT_GT(executed[5].size(), 1500000u);
  EXPECT_EQ(statementsIn(executed[5]), 1001u);
  EXPECT_TRUE(executed[5].ends_with("'','','','','','')"));
}

// A date the server cannot convert would end the batch and lose every record after it: the
// record goes alone, at once, and the batch goes on without counting it.
TEST(ImportPharmaNomenclatures, sendsARecordWithAnUnconvertibleDateOnItsOwn) {
  RecordedImport run;
  const std::string bad = drugInsert("BAD", "31/12/2020");
  run.shared->refused.insert(bad);
  ImportPharmaNomenclatures(
      run.context,
      run.writeFile(
          "p.xml",
          "<Catalogues><Drugs><Drug code='A' validFrom='2020-01-01'/>"
          "<Drug code='BAD' validFrom='31/12/2020'/><Drug code='B' validFrom='2020-01-01'/>"
          "</Drugs></Catalogues>"));
  EXPECT_EQ(run.shared->executed,
            (Strings{"delete from QIVA_DRUGS", bad,
                     kHeader + "\n" + drugInsert("A") + "\n" + drugInsert("B")}));
  EXPECT_EQ(run.context.Outcome().rejectedStatements, 1);
}

TEST(ImportPharmaNomenclatures, sendsACopaymentDrugWithAPriceTooLargeForItsColumnOnItsOwn) {
  RecordedImport run;
  ImportPharmaNomenclatures(
      run.context,
      run.writeFile("p.xml",
                    "<Catalogues><CopaymentListDrugs><CopaymentListDrug drug='A'/>"
                    "<CopaymentListDrug drug='HUGE' maxPrice='1e17'/><CopaymentListDrug drug='B'/>"
                    "</CopaymentListDrugs></Catalogues>"));
  const Strings& executed = run.shared->executed;
  ASSERT_EQ(executed.size(), 3u);
  EXPECT_NE(executed[1].find("VALUES ('','HUGE',100000000000000000.00,"), std::string::npos);
  EXPECT_EQ(executed[1].find(kHeader), std::string::npos);
  EXPECT_EQ(statementsIn(executed[2]), 2u);
}

TEST(ImportPharmaNomenclatures, skipsACopaymentDrugWithAPriceSqlServerCannotRead) {
  RecordedImport run;
  ImportPharmaNomenclatures(
      run.context,
      run.writeFile(
          "p.xml",
          "<Catalogues><CopaymentListDrugs><CopaymentListDrug drug='A' maxPrice='1e300'/>"
          "<CopaymentListDrug drug='B' maxPrice='2'/></CopaymentListDrugs></Catalogues>"));
  ASSERT_EQ(run.shared->executed.size(), 2u);
  EXPECT_EQ(statementsIn(run.shared->executed[1]), 1u);
  EXPECT_NE(run.shared->executed[1].find("VALUES ('','B',2.00,"), std::string::npos);
  EXPECT_EQ(run.context.Outcome().skippedRecords, 1);
  EXPECT_NE(run.logText().find("Record skipped: maxPrice is out of range: '1e300'\r\n"
                               "INSERT INTO QIVA_COPAYMENT_LIST_DRUGS"),
            std::string::npos);
}

TEST(ImportPharmaNomenclatures, leavesASectionAloneWhenItsTableCannotBeEmptied) {
  RecordedImport run;
  run.shared->refused.insert("delete from QIVA_DRUGS");
  ImportPharmaNomenclatures(run.context,
                            run.writeFile("p.xml",
                                          "<Catalogues><Drugs><Drug code='A'/></Drugs><Goods><Good "
                                          "code='G'/></Goods></Catalogues>"));
  EXPECT_EQ(run.shared->executed,
            (Strings{"delete from QIVA_DRUGS", "delete from QIVA_GOODS",
                     "INSERT INTO QIVA_GOODS(code,name,VALID_FROM,VALID_TO)" + kTabs +
                         "VALUES ('G','',convert (datetime,'',120), null )"}));
  EXPECT_EQ(run.context.Outcome().skippedSections, 1);
}

TEST(ImportPharmaNomenclatures, endsAtOnceWhenTheDatabaseFails) {
  RecordedImport run;
  run.shared->breaksAfter = "delete from QIVA_DRUGS";
  EXPECT_EQ(ImportPharmaNomenclatures(run.context, run.writeFile("p.xml", drugs(3))), 0);
  EXPECT_EQ(run.shared->executed, Strings{"delete from QIVA_DRUGS"});
  EXPECT_TRUE(run.context.Outcome().databaseFailed);
}

TEST(ImportPharmaNomenclatures, touchesNothingWhenTheRootIsNotCatalogues) {
  RecordedImport run;
  EXPECT_EQ(ImportPharmaNomenclatures(run.context,
                                      run.writeFile("p.xml", "<Drugs><Drug code='A'/></Drugs>")),
            1);
  EXPECT_TRUE(run.shared->executed.empty());
  EXPECT_TRUE(run.frontEnd.statuses().empty());
  EXPECT_FALSE(run.context.Outcome().fileRead);
}

}  // namespace
