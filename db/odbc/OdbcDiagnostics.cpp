// OdbcDiagnostics.cpp: reading ODBC diagnostic records and laying them into the fields of the
// engine's error, so that the database layer's COM-style texts carry the driver's story.
#include "db/odbc/OdbcDiagnostics.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace qiva::db::odbc {
namespace {

struct StateMeaning {
  const char* state;
  const char* meaning;
};

// The states that drivers commonly report for connections, statements and data.
constexpr StateMeaning kStateMeanings[] = {
    {"01000", "General warning"},
    {"01004", "String data, right truncated"},
    {"01S00", "Invalid connection string attribute"},
    {"07006", "Restricted data type attribute violation"},
    {"08001", "Client unable to establish connection"},
    {"08002", "Connection name in use"},
    {"08003", "Connection not open"},
    {"08004", "Server rejected the connection"},
    {"08S01", "Communication link failure"},
    {"21S01", "Insert value list does not match column list"},
    {"22001", "String data, right truncated"},
    {"22003", "Numeric value out of range"},
    {"22007", "Invalid datetime format"},
    {"22008", "Datetime field overflow"},
    {"22012", "Division by zero"},
    {"22018", "Invalid character value for cast"},
    {"23000", "Integrity constraint violation"},
    {"24000", "Invalid cursor state"},
    {"28000", "Invalid authorization (login failed)"},
    {"40001", "Serialization failure"},
    {"42000", "Syntax error or access violation"},
    {"42S01", "Base table or view already exists"},
    {"42S02", "Base table or view not found"},
    {"42S21", "Column already exists"},
    {"42S22", "Column not found"},
    {"HY000", "General error"},
    {"HY001", "Memory allocation error"},
    {"HY008", "Operation canceled"},
    {"HY010", "Function sequence error"},
    {"HYT00", "Timeout expired"},
    {"HYT01", "Connection timeout expired"},
    {"IM002", "Data source name not found and no default driver specified"},
    {"IM003", "Specified driver could not be loaded"},
};

std::string TrimLineEnds(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// Splits "[unixODBC][FreeTDS][SQL Server]text" into its bracketed prefix and the text.
std::pair<std::string, std::string> SplitVendorPrefix(const std::string& message) {
  std::size_t end = 0;
  while (end < message.size() && message[end] == '[') {
    const std::size_t close = message.find(']', end);
    if (close == std::string::npos) break;
    end = close + 1;
  }
  return {message.substr(0, end), TrimLineEnds(message.substr(end))};
}

}  // namespace

std::string SqlStateMeaning(const std::string& sqlState) {
  for (const StateMeaning& entry : kStateMeanings) {
    if (sqlState == entry.state) return entry.meaning;
  }
  return {};
}

std::vector<DiagnosticRecord> ReadDiagnostics(short handleType, void* handle) {
  std::vector<DiagnosticRecord> records;
  if (!handle) return records;
  for (SQLSMALLINT number = 1;; ++number) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    std::string message(512, '\0');
    SQLRETURN rc = SQLGetDiagRec(handleType, handle, number, state, &native,
                                 reinterpret_cast<SQLCHAR*>(message.data()),
                                 static_cast<SQLSMALLINT>(message.size()), &length);
    if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc)) break;
    if (length >= static_cast<SQLSMALLINT>(message.size())) {
      // The message was cut: ask again with room for all of it.
      message.assign(static_cast<std::size_t>(length) + 1, '\0');
      rc = SQLGetDiagRec(handleType, handle, number, state, &native,
                         reinterpret_cast<SQLCHAR*>(message.data()),
                         static_cast<SQLSMALLINT>(message.size()), &length);
      if (!SQL_SUCCEEDED(rc)) break;
    }
    message.resize(std::min<std::size_t>(static_cast<std::size_t>(length), message.size()));
    records.push_back(
        {reinterpret_cast<const char*>(state), static_cast<long>(native), std::move(message)});
  }
  return records;
}

std::vector<std::string> InstalledDrivers() {
  std::vector<std::string> names;
  SQLHENV environment = SQL_NULL_HANDLE;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment))) return names;
  SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION,
                reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(SQL_OV_ODBC3)), 0);
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    SQLCHAR name[256];
    SQLCHAR attributes[1024];
    SQLSMALLINT nameLength = 0, attributesLength = 0;
    const SQLRETURN rc = SQLDrivers(environment, direction, name, sizeof name, &nameLength,
                                    attributes, sizeof attributes, &attributesLength);
    if (!SQL_SUCCEEDED(rc)) break;
    names.emplace_back(reinterpret_cast<const char*>(name));
    direction = SQL_FETCH_NEXT;
  }
  SQLFreeHandle(SQL_HANDLE_ENV, environment);
  return names;
}

EngineError MapDiagnostics(const std::vector<DiagnosticRecord>& records,
                           const std::string& fallbackDescription) {
  EngineError error;
  if (records.empty()) {
    error.meaning = "SQLSTATE HY000: General error";
    error.description = fallbackDescription;
    return error;
  }
  // Warnings (class 01) that come before the error do not describe the failure.
  const DiagnosticRecord* chosen = &records.front();
  for (const DiagnosticRecord& record : records) {
    if (record.sqlState.rfind("01", 0) != 0) {
      chosen = &record;
      break;
    }
  }
  const DiagnosticRecord& first = *chosen;
  error.code = static_cast<std::uint32_t>(first.nativeError);
  const std::string meaning = SqlStateMeaning(first.sqlState);
  error.meaning = "SQLSTATE " + first.sqlState + (meaning.empty() ? "" : ": " + meaning);
  auto [source, description] = SplitVendorPrefix(first.message);
  error.source = std::move(source);
  error.description = std::move(description);
  for (const DiagnosticRecord& record : records) {
    error.providerErrors.push_back({record.nativeError, SplitVendorPrefix(record.message).second});
  }
  return error;
}

}  // namespace qiva::db::odbc
