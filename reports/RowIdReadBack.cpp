// RowIdReadBack.cpp: the parent rows of the report imports, each inserted in one batch with the
// read-back of its own id.
#include "reports/RowIdReadBack.h"

#include <optional>

#include "db/CAdoRecordset.h"
#include "import/toolkit/ImportConventions.h"

namespace qiva::reports {

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
  // SCOPE_IDENTITY() is a numeric: it arrives as an integer or as a whole real.
  DbValue value;
  std::optional<std::int32_t> read;
  if (!recordset.IsEOF() && recordset.GetFieldValue(kIdField, value)) {
    read = qiva::import::RowIdOf(value);
  }
  recordset.Close();
  if (!read) return ParentRow::NoIdRead;
  id = *read;
  return ParentRow::Written;
}

}  // namespace qiva::reports
