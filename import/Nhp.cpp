// Nhp.cpp: the national health programme import: prepares its two tables, then walks the
// file's children for the MEDICALSUPPLIES and NHP_INDICATORS sections with the written-count
// record loop, one count for both.
#include "import/Nhp.h"

#include <vector>

#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "import/NhpStatements.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/SectionTable.h"

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

const std::vector<Section>& sections() {
  static const std::vector<Section> kSections = {
      {.name = "MEDICALSUPPLIES",
       .record = "MEDICALSUPPLY",
       .emptying = std::string(st::kDeleteSupplies),
       .insert = st::MedicalSupplyInsert,
       .count = RecordCount::Written},
      {.name = "NHP_INDICATORS",
       .record = "NHP_INDICATOR",
       .emptying = std::string(st::kDeleteIndicators),
       .insert = st::IndicatorInsert,
       .count = RecordCount::Written},
  };
  return kSections;
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
  if (!ImportSections(ctx, root, WalkOrder::ChildrenOnly, sections(), counter)) {
    return 0;  // stopped, or the database failed: the run reports it
  }
  ShowFinished(ctx, counter);
  return 1;
}

}  // namespace qiva::import
