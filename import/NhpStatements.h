// NhpStatements.h: the statement texts of the national health programme import: the table
// preparation (drop, existence tests, creates, the code column widening), the section deletes
// and one insert builder per record kind.
#pragma once

#include <string_view>

#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/RecordReader.h"

namespace qiva::import::nhp {

// Table preparation, run before the sections in this order: the drop, the indicators test
// (create when it finds no row), the supplies test (create when no row, widen when one).
extern const std::string_view kDropIndicators;
extern const std::string_view kIndicatorsTableTest;
extern const std::string_view kCreateIndicators;
extern const std::string_view kSuppliesTableTest;
extern const std::string_view kCreateSupplies;
extern const std::string_view kWidenSuppliesCode;

// The statements that empty each section's table before its records refill it.
extern const std::string_view kDeleteSupplies;
extern const std::string_view kDeleteIndicators;

// The inserts of one MEDICALSUPPLY and one NHP_INDICATOR; an absent or empty VALIDTO is
// written as null.
RecordStatement MedicalSupplyInsert(const RecordReader& r);
RecordStatement IndicatorInsert(const RecordReader& r);

}  // namespace qiva::import::nhp
