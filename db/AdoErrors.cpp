// AdoErrors.cpp: codes, meanings and descriptions of the failures the database layer raises
// itself. Engine failures are described by the engines.
#include "db/AdoErrors.h"

#include <cstdio>

namespace qiva::db::detail {
namespace {

const char* DescriptionOf(unsigned long code) {
  switch (code) {
    case kAdoErrObjectClosed:
      return "Operation is not allowed when the object is closed.";
    case kAdoErrObjectOpen:
      return "Operation is not allowed when the object is open.";
    case kAdoErrItemNotFound:
      return "Item cannot be found in the collection corresponding to the requested name or "
             "ordinal.";
    case kAdoErrNoCurrentRecord:
      return "Either BOF or EOF is True, or the current record has been deleted. Requested "
             "operation requires a current record.";
    case kOutOfMemory:
      return "Not enough memory resources are available to complete this operation.";
    case kInvalidConnectionValue:
      return "The parameter is incorrect.";
    default:
      return "(null)";
  }
}

}  // namespace

std::string MeaningOfCode(unsigned long code) {
  char text[64];
  if (code > 0x80040200UL && code <= 0x8004FFFFUL) {
    std::snprintf(text, sizeof text, "IDispatch error #%d", static_cast<int>(code - 0x80040200UL));
  } else {
    std::snprintf(text, sizeof text, "Unknown error 0x%0lX", code);
  }
  return text;
}

EngineError LayerError(unsigned long code, const std::string& source) {
  EngineError error;
  error.code = code;
  error.meaning = MeaningOfCode(code);
  error.source = source;
  error.description = DescriptionOf(code);
  return error;
}

}  // namespace qiva::db::detail
