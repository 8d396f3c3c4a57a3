// SqlServerMessages.cpp: OLE DB codes and batch-abort classes of SQL Server messages.
#include "db/sqlite/SqlServerMessages.h"

#include <cstdio>

namespace qiva::db {

unsigned long OleDbCodeFor(int number) {
  switch (number) {
    case 241:
    case 242:
    case 245:
    case 8114:
    case 8115:
    case 220:
      return 0x80040E07UL;  // DB_E_CANTCONVERTVALUE
    case 515:
    case 547:
    case 2627:
    case 2601:
      return 0x80040E2FUL;  // DB_E_INTEGRITYVIOLATION
    case 2628:
    case 8152:
      return 0x80040E57UL;  // DB_E_DATAOVERFLOW
    case 4060:
      return 0x80004005UL;  // E_FAIL
    default:
      return 0x80040E14UL;  // DB_E_ERRORSINCOMMAND
  }
}

std::string CodeMeaning(unsigned long code) {
  if (code > 0x80040200UL && code <= 0x8004FFFFUL)
    return "IDispatch error #" + std::to_string(code - 0x80040200UL);
  if (code == 0x80004005UL) return "Unspecified error";
  char buf[32];
  std::snprintf(buf, sizeof buf, "Unknown error 0x%0lX", code);
  return buf;
}

bool AbortsBatch(int number) {
  switch (number) {
    case 241:
    case 242:
    case 245:
    case 8114:
    case 8115:  // conversions
    case 207:
    case 208:
    case 4104:
    case 195:
    case 174:  // names resolved when the statement runs
    case 109:
    case 110:
    case 264:
    case 217:
      return true;
    default:
      return false;
  }
}

}  // namespace qiva::db
