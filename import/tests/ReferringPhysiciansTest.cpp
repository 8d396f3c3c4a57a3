// The referring physicians import against a recording engine: the value rules of its
// statements (absent attributes, the quoting of '), the required attributes, the name split, the
// statement sequence, the invalid-record prompt and the section rules. The statements' texts
// around the values are pinned whole by the golden trace of the shipped sample
// (samples/traces/medici_trimitatori.sql); \t is one tab.
#include <gtest/gtest.h>

#include <deque>

#include "import/ReferringPhysicianStatements.h"
#include "import/ReferringPhysicians.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace {

using namespace qiva::import;
using namespace qiva::import::physicians;
using qiva::import::test::RecordedImport;
using qiva::import::test::ValuesCase;
using qiva::import::test::ValuesOf;
using Strings = std::vector<std::string>;

const std::string kPhysicianInsert =
    "INSERT INTO QIVA_PHYSICIANS (PID,NAME,LASTNAME,FIRSTNAME,STENCIL,VALIDFROM,VALIDTO)"
    "\t\t\t\t\t\tVALUES (";
const std::string kSpecialityInsert =
    "INSERT INTO QIVA_PHYSICIAN_SPECIALITIES (STENCIL,CONTRACTNO,INSURANCEHOUSE,CONTRACTTYPE,"
    "PHYSICIANTYPE,SPECIALITYCODE,VALIDFROM,VALIDTO)\t\t\t\t\t\tVALUES (";

std::string missing(std::string (*check)(const RecordReader&), const std::string& xml) {
  const XmlElement element = qiva::import::test::RecordFromXml(xml);
  return check(RecordReader(element));
}

// Absent text is '' (validFrom too, which the server reads as 1900-01-01), an absent or empty
// validTo null; the single quotes of a name are doubled in the name and in both of its parts.
TEST(ReferringPhysicianStatements, absentValuesAndQuotesAreWrittenAsEachColumnWants) {
  const ValuesCase cases[] = {
      {PhysicianInsert, "<R/>", "VALUES ('','','','','',convert (datetime,'',120), null )"},
      {SpecialityInsert, "<R/>", "VALUES ('','','','','','',convert (datetime,'',120), null )"},
      {PhysicianInsert, "<R Name=\"IOANA O'BRIEN\" validTo=''/>",
       "VALUES ('','IOANA O''BRIEN','O''BRIEN','IOANA','',convert (datetime,'',120), null )"},
  };
  for (const ValuesCase& c : cases) EXPECT_EQ(ValuesOf(c.build, c.xml), c.values) << c.xml;
}

TEST(ReferringPhysicianStatements, requiredAttributesArePresentOnesEvenWhenEmpty) {
  EXPECT_EQ(missing(MissingPhysicianAttributes, "<R/>"), "Name, stencil, validFrom");
  EXPECT_EQ(missing(MissingPhysicianAttributes, "<R NAME='' STENCIL='x' validfrom=''/>"), "");
  EXPECT_EQ(missing(MissingSpecialityAttributes, "<R contractNo='1'/>"), "stencil");
  EXPECT_EQ(missing(MissingSpecialityAttributes, "<R stencil=''/>"), "");
}

TEST(ReferringPhysicianStatements, nameSplitsAtTheLastBlankWithPlainS) {
  struct Case {
    const char* name;
    const char* first;
    const char* last;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"\xC5\x9E"
            "TEFAN POPA",
            "STEFAN", "POPA"},
           {"ANA \xC5\x9E"
            "ERBAN \xC5\x9E"
            "TEF\xC4\x82NESCU",
            "ANA SERBAN", "STEF\xC4\x82NESCU"},
           {"POPESCU", "", "POPESCU"},  // no blank: all of it is the last name
           {"", "", ""},
           {"ANA ", "ANA", ""},
           {" POPA", "", "POPA"},
           {"\xC5\x9F"
            "tefan \xC8\x98"
            "erban",
            "\xC5\x9F"
            "tefan",
            "\xC8\x98"
            "erban"},
       }) {
    const NameParts parts = SplitName(c.name);
    EXPECT_EQ(parts.firstName, c.first) << c.name;
    EXPECT_EQ(parts.lastName, c.last) << c.name;
  }
}

constexpr const char* kFile =
    "<Catalogues><Physicians>"
    "<Physician Name='ANA POP' stencil='A1' validFrom='2015-01-01'/>"
    "<Medic Name='ION RUS' stencil='B2' validFrom='2016-01-01' validTo='2030-01-01'/>"
    "<Physician Name='DAN TOMA' stencil='C3' validFrom='2017-01-01'/></Physicians>"
    "<Other><Physician Name='X Y' stencil='Z' validFrom='2000-01-01'/></Other>"
    "<physicianSpecialities><S stencil='A1' specialityCode='M01' validFrom='2015-01-01'/>"
    "<S stencil='B2'/></physicianSpecialities></Catalogues>";

TEST(ImportReferringPhysicians, numbersRecordsPerSectionActivatesAndCloses) {
  RecordedImport run;
  EXPECT_EQ(ImportReferringPhysicians(run.context, run.writeFile("p.xml", kFile)), 1);
  EXPECT_EQ(run.shared->executed,
            (Strings{"delete from QIVA_PHYSICIANS",
                     kPhysicianInsert + "'','ANA POP','POP','ANA','A1',"
                                        "convert (datetime,'2015-01-01',120), null )",
                     kPhysicianInsert + "'','ION RUS','RUS','ION','B2',"
                                        "convert (datetime,'2016-01-01',120), "
                                        "convert (datetime,'2030-01-01',120) )",
                     kPhysicianInsert + "'','DAN TOMA','TOMA','DAN','C3',"
                                        "convert (datetime,'2017-01-01',120), null )",
                     "delete from QIVA_PHYSICIAN_SPECIALITIES",
                     kSpecialityInsert + "'A1','','','','','M01',"
                                         "convert (datetime,'2015-01-01',120), null )",
                     // never the validFrom of the record before
                     kSpecialityInsert + "'B2','','','','','',convert (datetime,'',120), null )",
                     "exec QIVA_PHYSICIANS_ACTIVATE"}));
  EXPECT_FALSE(run.database.m_bOpen);
  EXPECT_FALSE(run.context.Outcome().hasLosses());
}

// Answers the invalid-record prompt from a script.
class ScriptedAnswers : public qiva::test::RecordingFrontEnd {
 public:
  bool AskYesNo(const std::string& text) override {
    asked.push_back(text);
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  std::deque<bool> answers;
  Strings asked;
};

TEST(ImportReferringPhysicians, yesSkipsAnInvalidRecordAndNoEndsTheRoutineAtOnce) {
  RecordedImport run;
  ScriptedAnswers answers;
  answers.answers = {true, false};
  ImportContext ctx{run.database, run.recordset, answers};
  const std::string path = run.writeFile(
      "p.xml",
      "<Catalogues><Physicians><P stencil='A1' validFrom='2015-01-01'/>"
      "<P Name='ANA POP' stencil='B2' validFrom='2015-01-01'/></Physicians>"
      "<PhysicianSpecialities><S contractNo='7'/><S stencil='B2'/></PhysicianSpecialities>"
      "</Catalogues>");
  EXPECT_EQ(ImportReferringPhysicians(ctx, path), 0);
  EXPECT_EQ(answers.asked,
            (Strings{"Inregistrare invalida\nContinui ?", "Inregistrare invalida\nContinui ?"}));
  // Nothing after the No: no further insert, no activation, no closing text, still open.
  ASSERT_EQ(run.shared->executed.size(), 3u);
  EXPECT_EQ(run.shared->executed[1].find("'ANA POP'"), kPhysicianInsert.size() + 3);
  EXPECT_EQ(run.shared->executed[2], "delete from QIVA_PHYSICIAN_SPECIALITIES");
  EXPECT_EQ(answers.statuses().back(), "Procesez specialitatea 1 ...");
  EXPECT_TRUE(run.database.m_bOpen);
  EXPECT_EQ(ctx.Outcome().skippedAtPrompt, 1);
  EXPECT_NE(run.logText().find("Record skipped at the prompt: PHYSICIANS record 1 has no Name"),
            std::string::npos);
}

TEST(ImportReferringPhysicians, aSectionWhoseTableCannotBeEmptiedIsLeftAlone) {
  RecordedImport run;
  run.shared->refused.insert("delete from QIVA_PHYSICIANS");
  EXPECT_EQ(ImportReferringPhysicians(run.context, run.writeFile("p.xml", kFile)), 1);
  ASSERT_EQ(run.shared->executed.size(), 5u);
  EXPECT_EQ(run.shared->executed[1], "delete from QIVA_PHYSICIAN_SPECIALITIES");
  EXPECT_EQ(run.shared->executed[4], "exec QIVA_PHYSICIANS_ACTIVATE");
  EXPECT_EQ(run.context.Outcome().skippedSections, 1);
  EXPECT_EQ(run.frontEnd.statuses().back(), "Procesat 2 inregistrari");
}

TEST(ImportReferringPhysicians, aFileNotReadSendsNothingNotEvenTheActivation) {
  RecordedImport run;
  EXPECT_EQ(ImportReferringPhysicians(run.context, run.writeFile("p.xml", "<Provider/>")), 1);
  EXPECT_TRUE(run.shared->executed.empty());
  EXPECT_EQ(run.frontEnd.statuses(), Strings{"Procesat 0 inregistrari"});

  RecordedImport none;  // read, but without a known section: the activation runs
  ImportReferringPhysicians(none.context, none.writeFile("n.xml", "<Catalogues><X/></Catalogues>"));
  EXPECT_EQ(none.shared->executed, Strings{"exec QIVA_PHYSICIANS_ACTIVATE"});
}

TEST(ImportReferringPhysicians, aFailedDatabaseEndsTheRoutineAtOnce) {
  RecordedImport run;
  run.shared->breaksAfter = kPhysicianInsert +
                            "'','ANA POP','POP','ANA','A1',"
                            "convert (datetime,'2015-01-01',120), null )";
  EXPECT_EQ(ImportReferringPhysicians(run.context, run.writeFile("p.xml", kFile)), 0);
  EXPECT_EQ(run.shared->executed.size(), 2u);  // nothing after the statement that broke it
  EXPECT_TRUE(run.context.Outcome().databaseFailed);
}

}  // namespace
