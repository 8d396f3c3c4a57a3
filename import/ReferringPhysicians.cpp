// ReferringPhysicians.cpp: walks the physicians file's sections (children only), numbers the
// records within each section, guards each record with the invalid-record prompt and ends with
// the activation procedure.
#include "import/ReferringPhysicians.h"

#include <string_view>
#include <vector>

#include "db/CAdoDatabase.h"
#include "import/ReferringPhysicianStatements.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/SectionTable.h"
#include "import/toolkit/SqlText.h"

namespace qiva::import {
namespace {

namespace st = physicians;

using MissingAttributes = std::string (*)(const RecordReader&);

// Writes a section's records, each guarded by the invalid-record prompt: a record that lacks a
// required attribute is put to the user, and skipped when they go on.
RecordWrite guardedWriter(std::string_view section, MissingAttributes missingOf,
                          StatementBuilder insert) {
  return [section, missingOf, insert](ImportContext& ctx, const XmlElement& record,
                                      std::int64_t number) {
    const RecordReader r(record);
    const std::string missing = missingOf(r);
    if (missing.empty()) {
      QueueRecord(ctx, insert(r));
      return Step::GoOn;
    }
    if (!AskContinueAfterInvalidRecord(ctx, "skipped at the prompt: no " + missing)) {
      return Step::Stop;
    }
    ctx.database.Log("Record skipped at the prompt: " + std::string(section) + " record " +
                     IntText(number) + " has no " + missing);
    return Step::GoOn;
  };
}

const std::vector<Section>& sections() {
  static const std::vector<Section> kSections = {
      {.name = "PHYSICIANS",
       .emptying = std::string(st::kEmptyPhysicians),
       .write = guardedWriter("PHYSICIANS", st::MissingPhysicianAttributes, st::PhysicianInsert),
       .count = RecordCount::EveryChild,
       .progress = "Procesez medicul %d ..."},
      {.name = "PHYSICIANSPECIALITIES",
       .emptying = std::string(st::kEmptySpecialities),
       .write = guardedWriter("PHYSICIANSPECIALITIES", st::MissingSpecialityAttributes,
                              st::SpecialityInsert),
       .count = RecordCount::EveryChild,
       .progress = "Procesez specialitatea %d ..."},
  };
  return kSections;
}

}  // namespace

int ImportReferringPhysicians(ImportContext& ctx, const std::string& path) {
  const XmlElement root = OpenImportFile(ctx, path, "Catalogues");
  std::int64_t counter = 0;
  if (ctx.outcome.fileRead) {
    if (!ImportSections(ctx, root, WalkOrder::ChildrenOnly, sections(), counter)) {
      // Stopped: the status line keeps the last progress message; the run still tells how
      // many records it went through.
      KeepRecordTotal(ctx, counter);
      return 0;
    }
    // The new list is activated whether or not the file carried a section.
    ctx.database.Execute(st::kActivate);
    if (DatabaseFailed(ctx)) return 0;
  }
  ShowProcessed(ctx, counter);
  ctx.database.Close();
  return 1;
}

}  // namespace qiva::import
