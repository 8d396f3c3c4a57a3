// ReferringPhysicians.h: the referring physicians import: the physicians catalogue and the
// specialities under which each physician is contracted, then the activation of the new list.
#pragma once

#include <string>

#include "import/toolkit/ImportRoutine.h"

namespace qiva::import {

// Loads the physicians file at `path` (root "Catalogues"): empties and refills QIVA_PHYSICIANS
// and QIVA_PHYSICIAN_SPECIALITIES for each section the file carries, runs the activation
// procedure, shows "Procesat %d inregistrari" and closes the connection. A record without a
// required attribute asks whether to go on: No returns 0 at once, sending nothing more and
// leaving the connection open. Also returns 0 when the database failed; else 1.
int ImportReferringPhysicians(ImportContext& ctx, const std::string& path);

}  // namespace qiva::import
