// DayHospitalTariffs.cpp: the day-hospital tariffs import: checks that the document element is
// PROVIDER, then walks its children for the DAILYCASES and DAILYSERVICES sections with the
// written-count record loop, one count for both.
#include "import/DayHospitalTariffs.h"

#include <string_view>
#include <vector>

#include "import/DayTariffStatements.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/SectionTable.h"
#include "import/toolkit/SqlText.h"

namespace qiva::import {
namespace {

namespace st = daytariffs;

using LocatedInsert = RecordStatement (*)(const RecordReader&, const st::Location&);

// Writes a section's records with the location; a skipped record's reason names its place
// among the section's records.
RecordWrite locatedWriter(std::string_view section, std::string_view recordName,
                          LocatedInsert insert, const st::Location& location) {
  return [section, recordName, insert, location, position = std::int64_t{0}](
             ImportContext& ctx, const XmlElement& record, std::int64_t) mutable {
    RecordStatement statement = insert(RecordReader(record), location);
    ++position;
    if (!statement.skipReason.empty()) {
      statement.skipReason = std::string(recordName) + " " + IntText(position) + " of " +
                             std::string(section) + ": " + statement.skipReason;
    }
    QueueRecord(ctx, statement);
    return Step::GoOn;
  };
}

std::vector<Section> sections(const st::Location& location) {
  std::vector<Section> table;
  table.push_back({.name = "DAILYCASES",
                   .record = "DAILYCASE",
                   .emptying = st::DailyCasesDelete(location),
                   .write = locatedWriter("DAILYCASES", "DAILYCASE", st::DailyCaseInsert, location),
                   .count = RecordCount::Written});
  table.push_back(
      {.name = "DAILYSERVICES",
       .record = "DAILYSERVICE",
       .emptying = st::DailyServicesDelete(location),
       .write = locatedWriter("DAILYSERVICES", "DAILYSERVICE", st::DailyServiceInsert, location),
       .count = RecordCount::Written});
  return table;
}

}  // namespace

int ImportDayHospitalTariffs(ImportContext& ctx, const std::string& path) {
  const XmlElement root = OpenImportFile(ctx, path, "provider");
  if (root.isNull()) return 1;  // nothing read: nothing sent, the status line stays
  const st::Location location =
      ctx.hasLocationColumn ? st::Location(ctx.locationId) : st::Location();
  std::int64_t counter = 0;
  const bool goOn = UpperName(root) != "PROVIDER" ||
                    ImportSections(ctx, root, WalkOrder::ChildrenOnly, sections(location), counter);
  if (!goOn) return 0;  // stopped, or the database failed: the run reports it
  ShowFinished(ctx, counter);
  return 1;
}

}  // namespace qiva::import
