// CAdoRecordset.h: runs a short query on a CAdoDatabase's connection and reads its rows. The
// whole result is read at Open (like a client-side static cursor). Failures are kept as texts
// and logged through the database's LogError; none escapes as an exception.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/DbEngine.h"
#include "db/DbValue.h"

class CAdoDatabase;

class CAdoRecordset {
 public:
  CAdoRecordset();
  virtual ~CAdoRecordset();

  // Runs `sql` on `db` (or, when null, on the database given before) and reads all its rows.
  // Without any database: "Error: adoDbf not initializated" in m_szProviderError, nothing
  // logged, false. A recordset still open must be closed first: Open on it fails and logs.
  bool Open(std::string_view sql, CAdoDatabase* db = nullptr);
  // True when nothing is open (also after a failed Open) or there is no current row.
  bool IsEOF() const;
  // Reads the named field of the current row (name matched without regard to case) into `out`;
  // on failure logs "CAdoRecordset::GetFieldValue", leaves `out` as it was and returns false.
  bool GetFieldValue(std::string_view name, DbValue& out);
  // The same, returning an empty value on failure.
  DbValue GetFieldValue(std::string_view name);
  // Moves to the next row; true when there is a current row afterwards.
  bool MoveNext();
  // Closes the result; closing one that is not open logs "CAdoRecordset::Close".
  void Close();

  std::int32_t m_nRecordCount = -1;
  CAdoDatabase* m_pDb = nullptr;
  std::string m_szComError;
  std::string m_szProviderError;

 private:
  // Fills both texts for `error` (provider text from the connection's records, or the fixed
  // message when there is no database or connection) and logs them under `label`.
  void KeepFailure(std::string_view label, const qiva::db::EngineError& error);
  // The column of `name` (any case) in the result, or -1.
  long FindColumn(std::string_view name) const;
  // Checks that a current row can be read; on failure keeps and logs it under `label`.
  bool RequireCurrentRow(std::string_view label);

  qiva::db::ResultSet result_;
  std::size_t row_ = 0;
  bool open_ = false;
};
