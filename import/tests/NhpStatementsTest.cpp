// The value rules of the national health programme import's statements: what an absent
// attribute is written as and how the flags are read. The table preparation and the statements'
// texts around the values are pinned whole by the golden trace of the shipped sample
// (samples/traces/programe_nationale.sql); the widening of an old supplies table, which no
// sample reaches, is compared whole here.
#include <gtest/gtest.h>

#include "import/NhpStatements.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace {

using namespace qiva::import;
using namespace qiva::import::nhp;
using qiva::import::test::ValuesOf;

TEST(NhpStatements, oldSuppliesTableIsWidened) {
  EXPECT_EQ(kWidenSuppliesCode, "alter table QIVA_MEDICAL_SUPPLIES alter column code varchar(100)");
}

// Attribute names in any case; a time after the date goes to the server as written.
TEST(NhpStatements, medicalSupplyWithEveryAttributeAndWithNone) {
  EXPECT_EQ(ValuesOf(MedicalSupplyInsert,
                     "<MEDICALSUPPLY code=\"MS1\" description=\"Ace 4 mm pentru stilou O'Neill\" "
                     "validfrom=\"2019-01-01\" VALIDTO=\"2030-12-31 23:59:59\"/>"),
            "VALUES ('MS1','Ace 4 mm pentru stilou O''Neill',convert (datetime,'2019-01-01',120), "
            "convert (datetime,'2030-12-31 23:59:59',120) )");
  EXPECT_EQ(ValuesOf(MedicalSupplyInsert, "<MEDICALSUPPLY/>"),
            "VALUES ('','',convert (datetime,'',120), null )");
}

TEST(NhpStatements, indicatorReadsItsFlagsAsIntegers) {
  EXPECT_EQ(ValuesOf(IndicatorInsert, "<NHP_INDICATOR/>"),
            "VALUES ('','',convert (datetime,'',120),'',0,0, null )");
  // true is not a number; leading digits are read up to the first other character.
  EXPECT_EQ(ValuesOf(IndicatorInsert,
                     "<NHP_INDICATOR code=\"X\" NHP=\"P'1\" hasBudget=\"true\" "
                     "allowCorrection=\" 7x\"/>"),
            "VALUES ('X','',convert (datetime,'',120),'P''1',0,7, null )");
}

}  // namespace
