// PharmacyErrorFile.h: the hospital pharmacy register error report import: one row per
// reported error in QIVA_STOCKS_ERRORS_RETURNED, under the register's AppID.
#pragma once

#include <string>

#include "import/toolkit/ImportRoutine.h"

namespace qiva::reports {

// Records the errors of the report at `path` (root "report"): those of every register with
// state 2, then those of every register's details with state 2, each under the register's
// AppID, with its code and comments ('' when it has none). Rows are only added; an error
// without code is logged and counted as skipped. Returns 1 when the whole file was walked, 0
// when the database failed.
int ImportPharmacyErrorFile(ImportContext& ctx, const std::string& path);

}  // namespace qiva::reports
