// ReferringPhysicians.cpp: walks the physicians file's sections (children only), numbers the
// records within each section, guards each record with the invalid-record prompt and ends with
// the activation procedure.
#include "import/ReferringPhysicians.h"

#include <string_view>

#include "db/CAdoDatabase.h"
#include "import/ReferringPhysicianStatements.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/SqlText.h"

namespace qiva::import {
namespace {

namespace st = physicians;

struct Section {
  std::string_view name;
  std::string_view emptyTable;
  std::string_view progress;  // with the record's position in the section
  std::string (*missing)(const RecordReader&);
  RecordStatement (*insert)(const RecordReader&);
};

constexpr Section kSections[] = {
    {"PHYSICIANS", st::kEmptyPhysicians, "Procesez medicul %d ...", st::MissingPhysicianAttributes,
     st::PhysicianInsert},
    {"PHYSICIANSPECIALITIES", st::kEmptySpecialities, "Procesez specialitatea %d ...",
     st::MissingSpecialityAttributes, st::SpecialityInsert},
};

// Every child of the section is a record, whatever its name. False when the routine must end:
// the user's No at the prompt, or a failed database.
bool writeRecords(ImportContext& ctx, const Section& section, const XmlElement& element,
                  std::int64_t& counter) {
  for (int i = 0;; ++i) {
    const XmlElement record = element.childAt(i);
    if (record.isNull()) return true;
    if (StopAtRecord(ctx)) return false;
    ++counter;
    const std::string position = IntText(i + 1);
    const RecordInHand inHand(ctx, record, i + 1);
    ctx.SetStatusText(FillTemplate(section.progress, {position}));
    const RecordReader r(record);
    const std::string missing = section.missing(r);
    if (!missing.empty()) {
      if (!AskContinueAfterInvalidRecord(ctx, "skipped at the prompt: no " + missing)) {
        return false;
      }
      ctx.database.Log("Record skipped at the prompt: " + std::string(section.name) + " record " +
                       position + " has no " + missing);
      continue;
    }
    QueueRecord(ctx, section.insert(r));
    if (DatabaseFailed(ctx)) return false;
  }
}

bool processSection(ImportContext& ctx, const Section& section, const XmlElement& element,
                    std::int64_t& counter) {
  if (!EmptySectionTable(ctx, section.emptyTable, section.name)) return !DatabaseFailed(ctx);
  // No record is put to the user once the database has failed.
  return !DatabaseFailed(ctx) && writeRecords(ctx, section, element, counter);
}

}  // namespace

int ImportReferringPhysicians(ImportContext& ctx, const std::string& path) {
  const XmlElement root = OpenImportFile(ctx, path, "Catalogues");
  std::int64_t counter = 0;
  if (ctx.outcome.fileRead) {
    const bool goOn = ForEachKnownSection(ctx, root, WalkOrder::ChildrenOnly, kSections,
                                          [&](const Section& section, const XmlElement& element) {
                                            return processSection(ctx, section, element, counter);
                                          });
    if (!goOn) {
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
