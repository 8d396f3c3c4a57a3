// RowIdReadBack.h: reads back the id of a row just inserted through the shared recordset (the
// table's largest id, as the report imports take it), so its child rows can point to it.
#pragma once

#include <cstdint>
#include <string_view>

#include "import/toolkit/ImportRoutine.h"

namespace qiva::reports {

// Opens the run's recordset on `query` and takes the 32-bit integer of `field` in its first
// row as `id`, then closes the recordset. False, with `id` unchanged, when the query cannot be
// opened, gives no row, or the value is null or not a whole number: the caller then has no id
// for its child rows and must not write them under another one.
bool ReadBackRowId(ImportContext& ctx, std::string_view query, std::string_view field,
                   std::int32_t& id);

}  // namespace qiva::reports
