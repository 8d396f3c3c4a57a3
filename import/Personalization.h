// Personalization.h: the provider personalisation import: the provider's identity, its
// contracts, its employees with their specialities and its contracted services.
#pragma once

#include <string>

#include "import/toolkit/ImportRoutine.h"

namespace qiva::import {

// Loads the personalisation file at `path` (root "Provider"): inserts or updates the provider
// row, empties and refills the contracts, employees and services tables, and replaces the
// specialities of each employee in the file. Leaves the last progress message in the status
// line. Returns 0 when the database failed, else 1.
int ImportPersonalization(ImportContext& ctx, const std::string& path);

}  // namespace qiva::import
