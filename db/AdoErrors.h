// AdoErrors.h: the failures that the database layer raises itself (no connection, recordset
// closed, unknown field ...), described with the codes and texts ADO gives them. Internal to db/.
#pragma once

#include <string>

#include "db/DbEngine.h"

namespace qiva::db::detail {

// ADO's own codes for the failures the layer detects without asking an engine.
inline constexpr unsigned long kAdoErrObjectClosed = 0x800A0E78;     // 3704
inline constexpr unsigned long kAdoErrObjectOpen = 0x800A0E79;       // 3705
inline constexpr unsigned long kAdoErrItemNotFound = 0x800A0CC1;     // 3265
inline constexpr unsigned long kAdoErrNoCurrentRecord = 0x800A0BCD;  // 3021
inline constexpr unsigned long kOutOfMemory = 0x8007000E;
// A connection setting that the driver to be used cannot be given (E_INVALIDARG).
inline constexpr unsigned long kInvalidConnectionValue = 0x80070057;

// The meaning of a COM code that has no system text: "IDispatch error #%d" above 0x80040200 up
// to 0x8004FFFF (numbered from there), "Unknown error 0x%0lX" for any other code.
std::string MeaningOfCode(unsigned long code);

// A failure raised by `source` with ADO's `code`; it carries no provider records.
EngineError LayerError(unsigned long code, const std::string& source);

}  // namespace qiva::db::detail
