// Personalization.cpp: walks the personalisation file document first (the document element is
// the provider record), then the CONTRACTS, EMPLOYEES and SERVICES sections with one running
// record number for the whole file.
#include "import/Personalization.h"

#include "db/CAdoDatabase.h"
#include "import/PersonalizationStatements.h"
#include "import/toolkit/ImportConventions.h"

namespace qiva::import {
namespace {

namespace st = personalization;

// The provider table keeps one row: the row with the largest id is updated, and a table with
// no row (or whose look-up fails) gets an insert. The provider takes a number silently.
bool writeProvider(ImportContext& ctx, const XmlElement& element, std::int64_t& counter) {
  const RecordReader r(element);
  const std::optional<std::int32_t> id = LookupId(ctx, std::string(st::kProviderLookup));
  QueueRecord(ctx, id ? st::ProviderUpdate(r, *id) : st::ProviderInsert(r));
  ++counter;
  return !DatabaseFailed(ctx);
}

// Empties the section's table, then writes each record named `recordName` with `insert`.
// False when the database failed.
bool refillSection(ImportContext& ctx, const XmlElement& section, std::string_view name,
                   std::string_view emptyTable, std::string_view recordName,
                   RecordStatement (*insert)(const RecordReader&), std::int64_t& counter) {
  if (!EmptySectionTable(ctx, emptyTable, name)) return !DatabaseFailed(ctx);
  return VisitedCountLoop(ctx, section, recordName, counter, [&](const XmlElement& record) {
    QueueRecord(ctx, insert(RecordReader(record)));
    return true;
  });
}

// The employee's row, then its specialities replaced: those stored for its pid are deleted,
// and those listed in a SPECIALITIES element that is its first child are written. When the
// delete fails the listed ones are not written, as they would join the ones that stayed.
bool writeEmployee(ImportContext& ctx, const XmlElement& employee, std::int64_t& counter) {
  const RecordReader r(employee);
  const std::string pid(r.text("pid"));
  QueueRecord(ctx, st::EmployeeInsert(r));
  if (DatabaseFailed(ctx)) return false;
  if (!EmptySectionTable(ctx, st::EmployeeSpecialitiesDelete(pid),
                         "SPECIALITIES of the employee with pid '" + pid + "'")) {
    return !DatabaseFailed(ctx);
  }
  const XmlElement first = employee.childAt(0);
  if (first.isNull() || !HasName(first, "SPECIALITIES")) return true;
  return VisitedCountLoop(ctx, first, "SPECIALITY", counter, [&](const XmlElement& speciality) {
    QueueRecord(ctx, st::EmployeeSpecialityInsert(RecordReader(speciality), pid));
    return true;
  });
}

bool processEmployees(ImportContext& ctx, const XmlElement& section, std::int64_t& counter) {
  if (!EmptySectionTable(ctx, st::kEmptyEmployees, "EMPLOYEES")) return !DatabaseFailed(ctx);
  return VisitedCountLoop(ctx, section, "EMPLOYEE", counter, [&](const XmlElement& employee) {
    return writeEmployee(ctx, employee, counter);
  });
}

}  // namespace

int ImportPersonalization(ImportContext& ctx, const std::string& path) {
  const XmlElement root = OpenImportFile(ctx, path, "Provider");
  std::int64_t counter = 0;
  bool goOn = true;
  WalkSections(ctx, root, WalkOrder::DocumentFirst,
               [&](const XmlElement& element, const std::string& name) {
                 if (name == "PROVIDER") {
                   goOn = writeProvider(ctx, element, counter);
                 } else if (name == "CONTRACTS") {
                   goOn = refillSection(ctx, element, name, st::kEmptyContracts, "CONTRACT",
                                        st::ContractInsert, counter);
                 } else if (name == "EMPLOYEES") {
                   goOn = processEmployees(ctx, element, counter);
                 } else if (name == "SERVICES") {
                   goOn = refillSection(ctx, element, name, st::kEmptyServices, "SERVICE",
                                        st::ServiceInsert, counter);
                 }
                 return goOn;
               });
  KeepRecordTotal(ctx, counter);
  return goOn ? 1 : 0;
}

}  // namespace qiva::import
