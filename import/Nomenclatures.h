// Nomenclatures.h: the general catalogues import (laboratory and clinic services, person
// states, types and categories, insurance houses, specialities, errors, chronic diseases,
// recommended services, medical form types, therapeutic schemas, ICD-10).
#pragma once

#include <string>

#include "import/toolkit/ImportRoutine.h"

namespace qiva::import {

// Loads the general catalogues file at `path` (root "Catalogues") into its sixteen tables and
// shows "Procesat %d inregistrari" at the end. Returns 1: the routine never stops early.
int ImportNomenclatures(ImportContext& ctx, const std::string& path);

}  // namespace qiva::import
