// RowIdReadBack.cpp: the id read-back of the report imports.
#include "reports/RowIdReadBack.h"

#include <cmath>
#include <limits>
#include <variant>

#include "db/CAdoRecordset.h"

namespace qiva::reports {
namespace {

// The value as a 32-bit id; false for null, text and numbers that are not whole 32-bit ones.
bool asId(const DbValue& value, std::int32_t& id) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) {
    id = *number;
    return true;
  }
  if (const auto* real = std::get_if<double>(&value)) {
    if (std::trunc(*real) != *real || *real < std::numeric_limits<std::int32_t>::min() ||
        *real > std::numeric_limits<std::int32_t>::max()) {
      return false;
    }
    id = static_cast<std::int32_t>(*real);
    return true;
  }
  return false;
}

}  // namespace

bool ReadBackRowId(ImportContext& ctx, std::string_view query, std::string_view field,
                   std::int32_t& id) {
  CAdoRecordset& recordset = ctx.recordset;
  if (!recordset.Open(query, &ctx.database)) return false;  // a failed Open is not closed
  DbValue value;
  const bool read = !recordset.IsEOF() && recordset.GetFieldValue(field, value) && asId(value, id);
  recordset.Close();
  return read;
}

}  // namespace qiva::reports
