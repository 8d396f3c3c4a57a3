// RowIdReadBack.cpp: the parent rows of the report imports, each inserted in one batch with the
// read-back of its own id.
#include "reports/RowIdReadBack.h"

#include <cmath>
#include <limits>
#include <variant>

#include "db/CAdoRecordset.h"
#include "import/toolkit/ImportConventions.h"

namespace qiva::reports {
namespace {

// The value as a 32-bit id; false for null, text and numbers that are not whole 32-bit ones.
// SCOPE_IDENTITY() is a numeric: it arrives as an integer or as a real.
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

std::string WithIdReadBack(std::string_view insert) {
  std::string batch(insert);
  batch += '\n';
  batch.append(kIdReadBack);
  return batch;
}

ParentRow InsertParentRow(ImportContext& ctx, std::string_view insert, std::int64_t records,
                          std::int32_t& id) {
  const std::string batch = WithIdReadBack(insert);
  CAdoRecordset& recordset = ctx.recordset;
  if (!recordset.Open(batch, &ctx.database)) {  // a failed Open is not closed
    ctx.database.CountFailedStatement(batch, recordset.m_szComError, recordset.m_szProviderError);
    qiva::import::NoteRejections(ctx);
    return ParentRow::Refused;
  }
  ++ctx.position.rowsWritten;
  ctx.database.CountWrittenRecords(records);
  DbValue value;
  const bool read =
      !recordset.IsEOF() && recordset.GetFieldValue(kIdField, value) && asId(value, id);
  recordset.Close();
  return read ? ParentRow::Written : ParentRow::NoIdRead;
}

}  // namespace qiva::reports
