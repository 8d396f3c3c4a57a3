// The quoting and number rules of the two error report imports' statements. The table creation
// and the statements' texts around the values are pinned whole by the golden traces of the
// shipped samples (samples/traces/CLINIC_*.sql, SPT_DRG_*.sql).
#include <gtest/gtest.h>

#include <string>

#include "reports/ErrorReportStatements.h"

namespace {

using namespace qiva::reports;

std::string values(const std::string& sql) { return sql.substr(sql.find("values (")); }

TEST(ErrorReportStatements, numbersGoAsGivenAndQuotesAreDoubledOnce) {
  EXPECT_EQ(values(NestedErrorInsert(2147483647, -5, "E'1")), "values (2147483647,-5,'E''1')");
  EXPECT_EQ(values(ErrorFileRowInsert("O'Hara_a_b_c_d.xml", "O'Hara")),
            "values ('O''Hara_a_b_c_d.xml','O''Hara')");
}

}  // namespace
