// The run's outcome as the import toolkit feeds it: rejected statements (a batch counts once),
// expected failures, skipped records and sections, files not read, and a database that failed.
#include <gtest/gtest.h>

#include "import/Nomenclatures.h"
#include "import/toolkit/FileKinds.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace {

using namespace qiva::import;
using qiva::import::test::RecordedImport;
using Strings = std::vector<std::string>;

constexpr const char* kTwoSections =
    "<Catalogues><PersonStates><PersonState code='1' description='A'/></PersonStates>"
    "<RecServices><RecService code='R1' name='x' tariff='5' serviceType='I'/>"
    "<RecService code='R2' name='y' tariff='5' serviceType='I'/></RecServices></Catalogues>";

TEST(ImportOutcome, sectionWhoseTableCannotBeEmptiedIsLeftAsItWasAndCounted) {
  RecordedImport run;
  run.shared->refused.insert("delete from QIVA_PERSON_STATES");
  EXPECT_EQ(ImportNomenclatures(run.context, run.writeFile("n.xml", kTwoSections)), 1);
  // No insert of the section's records, the next section in full.
  ASSERT_EQ(run.shared->executed.size(), 7u);
  EXPECT_EQ(run.shared->executed[0], "delete from QIVA_PERSON_STATES");
  EXPECT_EQ(run.shared->executed[1], "delete from QIVA_REC_SERVICES");
  const ImportOutcome outcome = run.context.Outcome();
  EXPECT_EQ(outcome.skippedSections, 1);
  EXPECT_EQ(outcome.rejectedStatements, 1);
  EXPECT_EQ(outcome.records, 2);
  EXPECT_NE(run.logText().find("Section skipped: PERSONSTATES: its table could not be emptied"),
            std::string::npos);
}

TEST(ImportOutcome, aFailedDatabaseEndsTheRoutineAtOnce) {
  RecordedImport run;
  run.shared->breaksAfter = "delete from QIVA_REC_SERVICES";
  EXPECT_EQ(ImportNomenclatures(run.context, run.writeFile("n.xml", kTwoSections)), 0);
  // The first insert after the break is refused; nothing is sent after it.
  EXPECT_EQ(run.shared->executed.back().rfind("insert into QIVA_REC_SERVICES", 0), 0u);
  EXPECT_EQ(run.shared->executed.size(), 4u);
  EXPECT_TRUE(run.context.Outcome().databaseFailed);
  EXPECT_NE(run.frontEnd.statuses().back(), "Procesat 3 inregistrari");
}

TEST(ImportOutcome, expectedFailuresAreNotRejectionsAndSkipsAreCounted) {
  RecordedImport run;
  run.shared->refused = {"drop table T", "insert 1"};
  EXPECT_FALSE(ExecuteExpectingFailure(run.context, "drop table T"));
  EXPECT_FALSE(run.database.Execute("insert 1"));
  ExecuteRecord(run.context, RecordStatement{"insert 2", "tariff is not a number"});
  SkipRecord(run.context, "code missing (record 3)");
  const ImportOutcome outcome = run.context.Outcome();
  EXPECT_EQ(outcome.rejectedStatements, 1);
  EXPECT_EQ(outcome.skippedRecords, 2);
  EXPECT_TRUE(outcome.hasLosses());
  EXPECT_EQ(run.shared->executed, (Strings{"drop table T", "insert 1"}));
}

TEST(ImportOutcome, fileCutShortOrOfAnotherRootIsNotRead) {
  RecordedImport run;
  const std::string cut =
      run.writeFile("cut.xml", "<Catalogues><PersonStates><PersonState code='1'");
  EXPECT_TRUE(OpenImportFile(run.context, cut, "Catalogues").isNull());
  EXPECT_FALSE(run.context.outcome.fileRead);
  EXPECT_TRUE(run.context.outcome.parse.cutShort);
  EXPECT_EQ(FileNotReadReason(run.context.outcome).rfind("fisierul se termina", 0), 0u);

  // A warning inside a closed document element leaves the file readable.
  const std::string warned = run.writeFile("w.xml", "<Catalogues><a><b></a></Catalogues>");
  EXPECT_FALSE(OpenImportFile(run.context, warned, "Catalogues").isNull());
  EXPECT_TRUE(run.context.outcome.fileRead);
  EXPECT_EQ(run.context.outcome.parse.code, kXmlWarningUnmatchedEndTag);

  const std::string other = run.writeFile("o.xml", "<Provider/>");
  EXPECT_TRUE(OpenImportFile(run.context, other, "Catalogues").isNull());
  EXPECT_EQ(OutcomeMessage(run.context.Outcome()),
            "Fisierul nu a putut fi citit (radacina fisierului este 'Provider', nu "
            "'Catalogues').\n"
            "Nu s-a importat nimic.");
}

// A file is of a kind when it holds one of the kind's sections, even an empty one. The
// personalisation file's root is a section of its own, but a day-hospital tariffs file has the
// same root: there the children decide.
TEST(ImportOutcome, fileOfAKindHoldsOneOfItsSections) {
  RecordedImport run;
  const auto root = [&run](const std::string& xml, const char* tag) {
    return OpenImportFile(run.context, run.writeFile("k.xml", xml), tag);
  };
  EXPECT_TRUE(HoldsSectionsOf(root("<Provider CODE='X'/>", "Provider"), "personalization"));
  const XmlElement tariffs = root("<provider><dailyCases/></provider>", "provider");
  EXPECT_FALSE(HoldsSectionsOf(tariffs, "personalization"));
  EXPECT_TRUE(HoldsSectionsOf(tariffs, "day-tariffs"));
  EXPECT_FALSE(HoldsSectionsOf(root("<Catalogues/>", "Catalogues"), "nomenclatures"));
  EXPECT_TRUE(
      HoldsSectionsOf(root("<Catalogues><icd10s/></Catalogues>", "Catalogues"), "nomenclatures"));

  // With the kind set, such a file is not read and the outcome names what it looks like.
  run.context.fileKind = "physicians";
  EXPECT_TRUE(root("<Catalogues><NHP_INDICATORS/></Catalogues>", "Catalogues").isNull());
  EXPECT_FALSE(run.context.outcome.fileRead);
  EXPECT_EQ(run.context.outcome.looksLike, "nhp");
  EXPECT_EQ(FileNotReadReason(run.context.outcome),
            "fisierul nu contine nicio sectiune de medici trimitatori; pare un fisier de "
            "programe nationale (NHP): nhp");
}

}  // namespace
