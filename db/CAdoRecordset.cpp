// CAdoRecordset.cpp: the reusable query cursor. Open reads the whole result through the
// database's engine; the row and field operations then work on that copy.
#include "db/CAdoRecordset.h"

#include <new>

#include "base/TextUtil.h"
#include "db/AdoErrors.h"
#include "db/CAdoDatabase.h"

namespace {

using qiva::db::EngineError;
namespace detail = qiva::db::detail;

constexpr const char* kNoDatabaseGiven = "Error: adoDbf not initializated";
constexpr const char* kDatabaseIsNull = "Error: database object is NULL";
constexpr const char* kConnectionIsNull = "Error:pConnection is NULL";
constexpr const char* kCannotCreate = "Error:Can't create Recordset instance";
constexpr const char* kSource = "CAdoRecordset";

}  // namespace

CAdoRecordset::CAdoRecordset() = default;

CAdoRecordset::~CAdoRecordset() = default;

void CAdoRecordset::KeepFailure(std::string_view label, const EngineError& error) {
  m_szComError = FormatComError(error);
  m_szProviderError.clear();
  if (!m_pDb) {
    m_szProviderError = kDatabaseIsNull;
    return;  // no database, no log
  }
  if (!m_pDb->m_pConnection) {
    m_szProviderError = kConnectionIsNull;
  } else {
    m_szProviderError = FormatProviderErrors(error);
  }
  m_pDb->LogError(label, m_szComError, m_szProviderError);
}

bool CAdoRecordset::Open(std::string_view sql, CAdoDatabase* db) {
  m_nRecordCount = -1;
  if (db) m_pDb = db;
  if (!m_pDb) {
    m_szProviderError = kNoDatabaseGiven;
    return false;
  }
  if (open_) {
    // Like the cursor it stands for, an open recordset must be closed before it is reused.
    KeepFailure("CAdoRecordset::Open", detail::LayerError(detail::kAdoErrObjectOpen, kSource));
    return false;
  }
  if (!m_pDb->m_pConnection) {
    KeepFailure("CAdoRecordset::Open", detail::LayerError(detail::kAdoErrObjectClosed, kSource));
    return false;
  }
  m_pDb->SendPending();  // the statements queued before the query run before it
  m_pDb->Trace(sql);
  bool ran = false;
  try {
    ran = m_pDb->m_pConnection->query(sql, result_);
    m_pDb->ReportLostStatements();  // the query commits the open group first
  } catch (const std::bad_alloc&) {
    // The result did not fit in memory: nothing of it is kept.
    result_ = {};
    m_szComError = kCannotCreate;
    m_szProviderError.clear();
    m_pDb->LogError("CAdoRecordset::Open", m_szComError, m_szProviderError);
    return false;
  }
  if (!ran) {
    result_ = {};
    KeepFailure("CAdoRecordset::Open", m_pDb->m_pConnection->lastError());
    return false;
  }
  open_ = true;
  row_ = 0;
  m_nRecordCount = static_cast<std::int32_t>(result_.rows.size());
  return true;
}

bool CAdoRecordset::IsEOF() const { return !open_ || row_ >= result_.rows.size(); }

long CAdoRecordset::FindColumn(std::string_view name) const {
  for (std::size_t i = 0; i < result_.columns.size(); ++i) {
    if (EqualsIgnoringAsciiCase(result_.columns[i], name)) return static_cast<long>(i);
  }
  return -1;
}

bool CAdoRecordset::RequireCurrentRow(std::string_view label) {
  if (!open_) {
    KeepFailure(label, detail::LayerError(detail::kAdoErrObjectClosed, kSource));
    return false;
  }
  if (row_ >= result_.rows.size()) {
    KeepFailure(label, detail::LayerError(detail::kAdoErrNoCurrentRecord, kSource));
    return false;
  }
  return true;
}

bool CAdoRecordset::GetFieldValue(std::string_view name, DbValue& out) {
  constexpr std::string_view kLabel = "CAdoRecordset::GetFieldValue";
  if (!RequireCurrentRow(kLabel)) return false;
  const long column = FindColumn(name);
  if (column < 0) {
    KeepFailure(kLabel, detail::LayerError(detail::kAdoErrItemNotFound, kSource));
    return false;
  }
  const std::vector<DbValue>& row = result_.rows[row_];
  // An engine row shorter than its header reads as null rather than past its end.
  out = static_cast<std::size_t>(column) < row.size() ? row[column] : DbValue(DbNull{});
  return true;
}

DbValue CAdoRecordset::GetFieldValue(std::string_view name) {
  DbValue value;
  if (!GetFieldValue(name, value)) return DbValue{};
  return value;
}

bool CAdoRecordset::MoveNext() {
  if (!RequireCurrentRow("CAdoRecordset::MoveNext")) return false;
  ++row_;
  return row_ < result_.rows.size();
}

void CAdoRecordset::Close() {
  if (!open_) {
    KeepFailure("CAdoRecordset::Close", detail::LayerError(detail::kAdoErrObjectClosed, kSource));
    return;
  }
  open_ = false;
  row_ = 0;
  result_ = {};
}
