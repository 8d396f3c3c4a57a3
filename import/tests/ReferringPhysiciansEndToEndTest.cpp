// The referring physicians import into a new embedded database, checked by the rows it leaves
// in the two tables and in the record of activations.
#include <gtest/gtest.h>

#include "import/ReferringPhysicians.h"
#include "import/toolkit/tests/EmbeddedImportTest.h"

namespace {

using qiva::import::ImportReferringPhysicians;
using qiva::import::test::EmbeddedImportTest;
using qiva::import::test::Rows;
using Strings = std::vector<std::string>;

// Whether the last run ended with the connection closed, as the import does when it finishes.
bool closedByTheRoutine = false;

int ImportNotingTheClose(ImportContext& ctx, const std::string& path) {
  const int result = ImportReferringPhysicians(ctx, path);
  closedByTheRoutine = !ctx.database.m_bOpen;
  return result;
}

class ReferringPhysiciansEndToEnd : public EmbeddedImportTest {
 protected:
  int import(const std::string& body) {
    return EmbeddedImportTest::import(
        ImportNotingTheClose,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Catalogues>" + body + "</Catalogues>");
  }
  void execute(const std::string& sql) { EXPECT_TRUE(database.Execute(sql)) << sql; }
  Rows physicians() {
    return rows(
        "select NAME, FIRSTNAME, LASTNAME, STENCIL, VALIDFROM, VALIDTO, PID from "
        "QIVA_PHYSICIANS order by id",
        {"NAME", "FIRSTNAME", "LASTNAME", "STENCIL", "VALIDFROM", "VALIDTO", "PID"});
  }
  Rows specialities() {
    return rows(
        "select STENCIL, CONTRACTNO, INSURANCEHOUSE, CONTRACTTYPE, PHYSICIANTYPE, "
        "SPECIALITYCODE, VALIDFROM, VALIDTO from QIVA_PHYSICIAN_SPECIALITIES order by id",
        {"STENCIL", "CONTRACTNO", "INSURANCEHOUSE", "CONTRACTTYPE", "PHYSICIANTYPE",
         "SPECIALITYCODE", "VALIDFROM", "VALIDTO"});
  }
  Rows activations() {
    return rows(
        "select PhysicianCount, SpecialityCount from QIVA_PHYSICIANS_ACTIVATIONS "
        "order by id",
        {"PhysicianCount", "SpecialityCount"});
  }
};

constexpr const char* kDay = " 00:00:00.000";

TEST_F(ReferringPhysiciansEndToEnd, loadsBothSectionsInAnyCaseAndActivatesTheList) {
  EXPECT_EQ(import("<Physicians>"
                   "<Physician pid='1680923400125' Name='\xC5\x9E"
                   "TEFAN POPA' stencil='A1' "
                   "validFrom='2015-01-01'/>"
                   "<Physician Name=\"IOANA O'BRIEN\" stencil='B2' validFrom='2016-02-01' "
                   "validTo=''/>"
                   "<Medic Name='POPESCU' stencil='C3' validFrom='2017-03-01' "
                   "validTo='2021-12-31'/></Physicians>"
                   "<physicianSPECIALITIES><S stencil='A1' contractNo='12/2015' "
                   "insuranceHouse='CJ' contractType='MF' physicianType='TITULAR' "
                   "specialityCode='M01' validFrom='2015-03-01' validTo='2025-02-28'/>"
                   "<S stencil='B2'/></physicianSPECIALITIES>"),
            1);
  const std::string d = kDay;
  EXPECT_EQ(physicians(),
            (Rows{{"\xC5\x9E"
                   "TEFAN POPA",
                   "STEFAN", "POPA", "A1", "2015-01-01" + d, "NULL", ""},
                  {"IOANA O'BRIEN", "IOANA", "O'BRIEN", "B2", "2016-02-01" + d, "NULL", ""},
                  {"POPESCU", "", "POPESCU", "C3", "2017-03-01" + d, "2021-12-31" + d, ""}}));
  // The second speciality has no attribute of the first, its validFrom included.
  EXPECT_EQ(
      specialities(),
      (Rows{{"A1", "12/2015", "CJ", "MF", "TITULAR", "M01", "2015-03-01" + d, "2025-02-28" + d},
            {"B2", "", "", "", "", "", "1900-01-01" + d, "NULL"}}));
  EXPECT_EQ(activations(), (Rows{{"3", "2"}}));
  EXPECT_EQ(frontEnd.statuses(),
            (Strings{"Procesez medicul 1 ...", "Procesez medicul 2 ...", "Procesez medicul 3 ...",
                     "Procesez specialitatea 1 ...", "Procesez specialitatea 2 ...",
                     "Procesat 5 inregistrari"}));
  EXPECT_FALSE(context.Outcome().hasLosses());
  EXPECT_TRUE(closedByTheRoutine);
}

TEST_F(ReferringPhysiciansEndToEnd, refillsOnlyTheSectionsTheFileCarriesTheLastOneWinning) {
  execute("insert into QIVA_PHYSICIANS (PID,NAME,STENCIL) values ('','VECHI MEDIC','OLD')");
  import("<PhysicianSpecialities><S stencil='OLD' specialityCode='M02'/></PhysicianSpecialities>");
  EXPECT_EQ(rows("select STENCIL from QIVA_PHYSICIANS", {"STENCIL"}), (Rows{{"OLD"}}));
  EXPECT_EQ(activations(), (Rows{{"1", "1"}}));

  import(
      "<Physicians><P Name='ANA POP' stencil='A1' validFrom='2015-01-01'/></Physicians>"
      "<Physicians><P Name='DAN RUS' stencil='D4' validFrom='2015-01-01'/>"
      "<P Name='ION TOMA' stencil='E5' validFrom='2015-01-01'/></Physicians>");
  EXPECT_EQ(rows("select STENCIL from QIVA_PHYSICIANS order by id", {"STENCIL"}),
            (Rows{{"D4"}, {"E5"}}));
  EXPECT_EQ(specialities().size(), 1u);
  EXPECT_EQ(activations(), (Rows{{"1", "1"}, {"2", "1"}}));
  EXPECT_EQ(frontEnd.statuses().back(), "Procesat 3 inregistrari");
}

TEST_F(ReferringPhysiciansEndToEnd, noAtThePromptLeavesThePartlyRefilledTableAndActivatesNothing) {
  execute("insert into QIVA_PHYSICIAN_SPECIALITIES (STENCIL) values ('OLD')");
  frontEnd.yesAnswer = false;
  EXPECT_EQ(import("<Physicians><P Name='ANA POP' stencil='A1' validFrom='2015-01-01'/>"
                   "<P Name='ION RUS' validFrom='2015-01-01'/>"
                   "<P Name='DAN TOMA' stencil='C3' validFrom='2015-01-01'/></Physicians>"
                   "<PhysicianSpecialities><S stencil='A1'/></PhysicianSpecialities>"),
            0);
  EXPECT_EQ(rows("select STENCIL from QIVA_PHYSICIANS", {"STENCIL"}), (Rows{{"A1"}}));
  EXPECT_EQ(rows("select STENCIL from QIVA_PHYSICIAN_SPECIALITIES", {"STENCIL"}), (Rows{{"OLD"}}));
  EXPECT_TRUE(activations().empty());
  EXPECT_EQ(frontEnd.statuses().back(), "Procesez medicul 2 ...");
  EXPECT_FALSE(closedByTheRoutine);
}

}  // namespace
