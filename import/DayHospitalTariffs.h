// DayHospitalTariffs.h: the day-hospital tariffs import: the tariffs of day cases and day
// services, replaced as a whole or, when the database keeps locations, for one location.
#pragma once

#include <string>

#include "import/toolkit/ImportRoutine.h"

namespace qiva::import {

// Loads the tariffs file at `path` (root "provider"). With the context's location flag only the
// rows of `locationId` are replaced and every new row carries that id; without it each section's
// table is replaced whole. A file that is not read sends nothing and leaves the status line as
// it was; otherwise the run ends with "Finalizat de procesat %d inregistrari". A record without
// code or validFrom, or with a tariff or count that is not a number, is skipped and logged.
// Returns 1, or 0 when the database failed.
int ImportDayHospitalTariffs(ImportContext& ctx, const std::string& path);

}  // namespace qiva::import
