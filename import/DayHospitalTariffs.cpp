// DayHospitalTariffs.cpp: the day-hospital tariffs import: checks that the document element is
// PROVIDER, then walks its children for the DAILYCASES and DAILYSERVICES sections with the
// written-count record loop, one count for both.
#include "import/DayHospitalTariffs.h"

#include "import/DayTariffStatements.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/SqlText.h"

namespace qiva::import {
namespace {

namespace st = daytariffs;

struct Section {
  std::string_view name;
  std::string_view record;
  std::string (*emptying)(const st::Location&);
  RecordStatement (*insert)(const RecordReader&, const st::Location&);
};

constexpr Section kSections[] = {
    {"DAILYCASES", "DAILYCASE", st::DailyCasesDelete, st::DailyCaseInsert},
    {"DAILYSERVICES", "DAILYSERVICE", st::DailyServicesDelete, st::DailyServiceInsert},
};

// Runs one section; false when the import must end (the database failed).
bool processSection(ImportContext& ctx, const Section& section, const XmlElement& element,
                    const st::Location& location, std::int64_t& counter) {
  if (!EmptySectionTable(ctx, section.emptying(location), section.name)) {
    return !DatabaseFailed(ctx);
  }
  std::int64_t position = 0;  // of the record among the section's records, for the log
  return WrittenCountLoop(ctx, element, section.record, counter, [&](const XmlElement& record) {
    RecordStatement statement = section.insert(RecordReader(record), location);
    ++position;
    if (!statement.skipReason.empty()) {
      statement.skipReason = std::string(section.record) + " " + IntText(position) + " of " +
                             std::string(section.name) + ": " + statement.skipReason;
    }
    QueueRecord(ctx, statement);
    return true;
  });
}

}  // namespace

int ImportDayHospitalTariffs(ImportContext& ctx, const std::string& path) {
  const XmlElement root = OpenImportFile(ctx, path, "provider");
  if (root.isNull()) return 1;  // nothing read: nothing sent, the status line stays
  const st::Location location =
      ctx.hasLocationColumn ? st::Location(ctx.locationId) : st::Location();
  std::int64_t counter = 0;
  const bool goOn =
      UpperName(root) != "PROVIDER" ||
      ForEachKnownSection(ctx, root, WalkOrder::ChildrenOnly, kSections,
                          [&](const Section& section, const XmlElement& element) {
                            return processSection(ctx, section, element, location, counter);
                          });
  if (!goOn) return 0;  // the database failed: the run reports it
  ShowFinished(ctx, counter);
  return 1;
}

}  // namespace qiva::import
