// PharmacyErrorFile.cpp: the hospital pharmacy register error import: walks the report
// document first and writes the errors of each HOSPITALREGISTER and of its details.
#include "reports/PharmacyErrorFile.h"

#include <cstdint>
#include <string_view>

#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/RecordReader.h"
#include "import/toolkit/SqlText.h"
#include "reports/ErrorReportStatements.h"
#include "reports/ReportWalk.h"

namespace qiva::reports {
namespace {

using import::DatabaseFailed;
using import::RecordReader;

// Handles one error: counts it, writes it with its own code and comments (each error's, never
// the one before it) or skips it when it has no code, and shows the progress text. False when
// the database failed.
bool writeStockError(ImportContext& ctx, std::int32_t appId, std::string_view place,
                     const XmlElement& error, std::int64_t& counter) {
  const RecordReader r(error);
  ++counter;
  qiva::import::RecordStatement statement;
  if (r.has("code")) {
    statement.sql = StockErrorInsert(appId, r.text("code"), r.text("comments"));
  } else {
    statement.skipReason =
        "error without code: " + std::string(place) + " AppID " + import::IntText(appId);
  }
  qiva::import::QueueRecord(ctx, statement);
  ShowErrorProgress(ctx, counter);
  return !DatabaseFailed(ctx);
}

// Every child of `parent`'s ERRORS children is one error under `appId`.
bool writeErrorsOf(ImportContext& ctx, std::int32_t appId, std::string_view place,
                   const XmlElement& parent, std::int64_t& counter) {
  return ForEachChildNamed(parent, "ERRORS", [&](const XmlElement& errors) {
    return ForEachChild(errors, [&](const XmlElement& error) {
      return writeStockError(ctx, appId, place, error, counter);
    });
  });
}

bool hasStateTwo(const XmlElement& element) { return RecordReader(element).text("state") == "2"; }

// One register: its own errors when its state is 2, then its details' errors whatever its
// state, all under the register's AppID.
bool writeRegister(ImportContext& ctx, const XmlElement& reg, std::int64_t& counter) {
  const std::int32_t appId = RecordReader(reg).integer("AppID");
  if (hasStateTwo(reg) && !writeErrorsOf(ctx, appId, "HOSPITALREGISTER", reg, counter)) {
    return false;
  }
  return ForEachChildNamed(reg, "HOSPITALREGISTERDETAILS", [&](const XmlElement& details) {
    return ForEachChildNamed(details, "HOSPITALREGISTERDETAIL", [&](const XmlElement& detail) {
      return !hasStateTwo(detail) ||
             writeErrorsOf(ctx, appId, "HOSPITALREGISTERDETAIL", detail, counter);
    });
  });
}

}  // namespace

int ImportPharmacyErrorFile(ImportContext& ctx, const std::string& path) {
  const XmlElement root = import::OpenImportFile(ctx, path, "report");
  std::int64_t counter = 0;
  bool goOn = true;
  qiva::import::WalkSections(ctx, root, import::WalkOrder::DocumentFirst,
                             [&](const XmlElement& element, const std::string& name) {
                               if (name == "HOSPITALREGISTER")
                                 goOn = writeRegister(ctx, element, counter);
                               return goOn;
                             });
  qiva::import::KeepRecordTotal(ctx, counter);
  return goOn ? 1 : 0;
}

}  // namespace qiva::reports
