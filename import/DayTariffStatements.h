// DayTariffStatements.h: the statement texts of the day-hospital tariffs import: the deletes
// that empty each section's table (or one location's rows of it) and the inserts of a day case
// and a day service, with the location id when the database keeps locations.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/RecordReader.h"

namespace qiva::import::daytariffs {

// The location whose rows a run replaces: empty when the database does not keep locations,
// in which case no location id is written anywhere.
using Location = std::optional<std::int32_t>;

// " delete from <table> ", followed by " where locationid=<id> " for a location.
std::string DailyCasesDelete(const Location& location);
std::string DailyServicesDelete(const Location& location);

// The inserts of one DAILYCASE and one DAILYSERVICE. The statement is always built; it carries
// a skip reason when the record must not be sent: code or validFrom absent, or a tariff or
// contracted count that is not a plain number (those two stand unquoted).
RecordStatement DailyCaseInsert(const RecordReader& r, const Location& location);
RecordStatement DailyServiceInsert(const RecordReader& r, const Location& location);

}  // namespace qiva::import::daytariffs
