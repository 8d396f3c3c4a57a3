// Nhp.cpp: the national health programme import: prepares its two tables, then walks the
// file's children for the MEDICALSUPPLIES and NHP_INDICATORS sections with the written-count
// record loop, one count for both.
#include "import/Nhp.h"

#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "import/NhpStatements.h"
#include "import/toolkit/ImportConventions.h"

namespace qiva::import {
namespace {

namespace st = nhp;

// Runs a table test: when it cannot be opened nothing follows (and there is nothing to close);
// otherwise `whenMissing` runs when it found no row, `whenPresent` (if any) when it found one.
void testTable(ImportContext& ctx, std::string_view test, std::string_view whenMissing,
               std::string_view whenPresent) {
  if (!ctx.recordset.Open(test, &ctx.database)) return;
  if (ctx.recordset.IsEOF()) {
    ctx.database.Execute(whenMissing);
  } else if (!whenPresent.empty()) {
    ctx.database.Execute(whenPresent);
  }
  ctx.recordset.Close();
}

// The indicators table is dropped and created anew on every run, so it holds exactly the file's
// indicators; the supplies table keeps its rows and only has its code column widened. The drop
// fails on a database that has no indicators table yet, which is expected.
void prepareTables(ImportContext& ctx) {
  ExecuteExpectingFailure(ctx, st::kDropIndicators);
  testTable(ctx, st::kIndicatorsTableTest, st::kCreateIndicators, {});
  testTable(ctx, st::kSuppliesTableTest, st::kCreateSupplies, st::kWidenSuppliesCode);
}

struct Section {
  std::string_view name;
  std::string_view record;
  std::string_view emptying;
  RecordStatement (*insert)(const RecordReader&);
};

const Section kSections[] = {
    {"MEDICALSUPPLIES", "MEDICALSUPPLY", st::kDeleteSupplies, st::MedicalSupplyInsert},
    {"NHP_INDICATORS", "NHP_INDICATOR", st::kDeleteIndicators, st::IndicatorInsert},
};

// Runs one section; false when the import must end (the database failed).
bool processSection(ImportContext& ctx, const Section& section, const XmlElement& element,
                    std::int64_t& counter) {
  if (!EmptySectionTable(ctx, section.emptying, section.name)) return !DatabaseFailed(ctx);
  return WrittenCountLoop(ctx, element, section.record, counter, [&](const XmlElement& record) {
    QueueRecord(ctx, section.insert(RecordReader(record)));
    return true;
  });
}

}  // namespace

int ImportNhp(ImportContext& ctx, const std::string& path) {
  // The file is read before the tables are touched: a wrong or damaged file must not cost the
  // indicators that the last good run loaded.
  const XmlElement root = OpenImportFile(ctx, path, "Catalogues");
  if (root.isNull()) {
    ShowFinished(ctx, 0);
    return 1;
  }
  prepareTables(ctx);
  if (DatabaseFailed(ctx)) return 0;
  std::int64_t counter = 0;
  const bool goOn = ForEachKnownSection(ctx, root, WalkOrder::ChildrenOnly, kSections,
                                        [&](const Section& section, const XmlElement& element) {
                                          return processSection(ctx, section, element, counter);
                                        });
  if (!goOn) return 0;  // the database failed: the run reports it
  ShowFinished(ctx, counter);
  return 1;
}

}  // namespace qiva::import
