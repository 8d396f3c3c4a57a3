// Nhp.h: the national health programme import: medical supplies and programme indicators, with
// the preparation of their two tables.
#pragma once

#include <string>

#include "import/toolkit/ImportRoutine.h"

namespace qiva::import {

// Loads the national health programme file at `path` (root "Catalogues"). A file that is read
// first has its tables prepared: the indicators table dropped and created anew, the supplies
// table created when missing or its code column widened. A file that is not read changes
// nothing in the database. Shows "Finalizat de procesat %d inregistrari" with the records
// written. Returns 1, or 0 when the database failed.
int ImportNhp(ImportContext& ctx, const std::string& path);

}  // namespace qiva::import
