// OdbcDiagnostics.h: turns the diagnostic records of an ODBC handle into the engine's error.
// Only the reading and the mapping live here; the handles belong to the ODBC engine.
#pragma once

#include <string>
#include <vector>

#include "db/DbEngine.h"

namespace qiva::db::odbc {

// One ODBC diagnostic record as the driver manager hands it out.
struct DiagnosticRecord {
  std::string sqlState;  // five characters, e.g. "08001"
  long nativeError = 0;  // the driver's or server's own error number
  std::string message;   // e.g. "[unixODBC][FreeTDS][SQL Server]Login failed for user 'sa'."
};

// Reads every diagnostic record of the handle (`handleType` is an SQL_HANDLE_* value and
// `handle` an SQLHANDLE); none when the handle has none or is null.
std::vector<DiagnosticRecord> ReadDiagnostics(short handleType, void* handle);

// Maps the records of one failure (in the driver's order, most important first). The first
// record that is not a warning (SQLSTATE class 01), or the first of all, gives:
//   Code         <- its native error (a server error number, e.g. 18456);
//   Code meaning <- "SQLSTATE xxxxx: <meaning of the state>";
//   Source       <- the bracketed vendor prefix of its message, "[unixODBC][FreeTDS][SQL Server]";
//   Description  <- the rest of its message;
// and every record gives one provider record: native error and message without the prefix.
// Line ends closing a message are dropped.
// No record at all (a driver that failed without saying why) gives `fallbackDescription`
// with SQLSTATE HY000.
EngineError MapDiagnostics(const std::vector<DiagnosticRecord>& records,
                           const std::string& fallbackDescription);

// The names of the drivers the driver manager knows (unixODBC's odbcinst.ini, the Windows
// registry), in its order; none when it cannot be asked.
std::vector<std::string> InstalledDrivers();

// The short meaning ODBC gives a SQLSTATE ("Client unable to establish connection" for 08001),
// or "" for one it does not list among the common ones.
std::string SqlStateMeaning(const std::string& sqlState);

}  // namespace qiva::db::odbc
