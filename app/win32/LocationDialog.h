// LocationDialog.h: the native location dialog (template 129): the provider's locations in a
// drop-down list; OK needs a chosen location.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

class CAdoDatabase;
class CAdoRecordset;

// Shows the dialog modally over `owner` with the locations read through `db` and `rs`. The
// chosen location's id, or nothing when the dialog was cancelled.
std::optional<std::int32_t> RunLocationDialog(HWND owner, CAdoDatabase& db, CAdoRecordset& rs);
