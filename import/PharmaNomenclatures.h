// PharmaNomenclatures.h: the pharmaceutical catalogues import (drugs, active substances, ATC
// codes, co-payment lists, health programme drugs and the small tables around them).
#pragma once

#include <string>

#include "import/toolkit/ImportRoutine.h"

namespace qiva::import {

// Loads the pharmaceutical catalogues file at `path` (root "Catalogues") into its sixteen tables;
// the four large sections go in batches of 1001 inserts. The status line keeps the last progress
// message. Returns 1, or 0 when the database failed and the import was ended.
int ImportPharmaNomenclatures(ImportContext& ctx, const std::string& path);

}  // namespace qiva::import
