// RowIdRuleTest.cpp: the one rule every id read back from the database follows, for the look-ups
// and for the parent rows of the reports alike.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "import/toolkit/ImportConventions.h"

namespace qiva::import {
namespace {

TEST(RowIdRule, takesWholeThirtyTwoBitNumbersAndRefusesEverythingElse) {
  EXPECT_EQ(RowIdOf(DbValue{std::int32_t{42}}), 42);
  EXPECT_EQ(RowIdOf(DbValue{-7.0}), -7);  // a numeric read as a real
  EXPECT_EQ(RowIdOf(DbValue{2147483647.0}), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(RowIdOf(DbValue{-2147483648.0}), std::numeric_limits<std::int32_t>::min());
  for (const DbValue& refused :
       {DbValue{2147483648.0}, DbValue{-2147483649.0}, DbValue{3.5}, DbValue{std::nan("")},
        DbValue{std::numeric_limits<double>::infinity()}, DbValue{DbNull{}},
        DbValue{std::string("12")}, DbValue{}}) {
    EXPECT_FALSE(RowIdOf(refused).has_value()) << refused.index();
  }
}

}  // namespace
}  // namespace qiva::import
