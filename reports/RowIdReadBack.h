// RowIdReadBack.h: writes a parent row of the report imports and reads back its id in the same
// batch, through the shared recordset, so that its child rows can point to it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "import/toolkit/ImportRoutine.h"

namespace qiva::reports {

// What follows a parent row's insert in its batch, and the field it names.
inline constexpr std::string_view kIdReadBack = "select scope_identity() UID";
inline constexpr std::string_view kIdField = "UID";

// The batch of a parent row: its insert exactly as written, a line break, then kIdReadBack.
// SCOPE_IDENTITY() is the id of this batch's own insert: neither another program's rows (the
// table's largest id, or IDENT_CURRENT, may be theirs) nor a trigger's inserts (@@IDENTITY
// would see those) can change it.
std::string WithIdReadBack(std::string_view insert);

// How a parent row's batch ended.
enum class ParentRow {
  Written,   // inserted; the id was read back
  Refused,   // the batch failed: the insert was refused (logged and counted as such)
  NoIdRead,  // inserted, but the batch gave no 32-bit id
};

// Sends `insert` with the read-back of its id as one batch, as the run's recordset's query (the
// statements queued before it are sent first, so it runs after them); a row inserted counts as
// `records` of the run's records written. Written: `id` holds the
// new row's id. Refused: the recordset has logged the failure, the batch is logged after it and
// counted among the refused statements, as a failed Execute is. NoIdRead: `id` is unchanged.
// The caller must not write children under a row whose id it does not hold.
[[nodiscard]] ParentRow InsertParentRow(ImportContext& ctx, std::string_view insert,
                                        std::int64_t records, std::int32_t& id);

}  // namespace qiva::reports
