// Personalization.cpp: walks the personalisation file document first (the document element is
// the provider record), then the CONTRACTS, EMPLOYEES and SERVICES sections with one running
// record number for the whole file.
#include "import/Personalization.h"

#include "db/CAdoDatabase.h"
#include "import/PersonalizationStatements.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/RecordLoops.h"
#include "import/toolkit/SectionTable.h"

namespace qiva::import {
namespace {

namespace st = personalization;

// The provider table keeps one row: the row with the largest id is updated, and a table with
// no row (or whose look-up fails) gets an insert. The provider takes a number silently.
Step writeProvider(ImportContext& ctx, const XmlElement& element, std::int64_t& counter) {
  const RecordReader r(element);
  const std::optional<std::int32_t> id = LookupId(ctx, std::string(st::kProviderLookup));
  QueueRecord(ctx, id ? st::ProviderUpdate(r, *id) : st::ProviderInsert(r));
  ++counter;
  return StepAfterSend(ctx);
}

// Empties the section's table, then writes each record named `recordName` with `insert`.
Step refillSection(ImportContext& ctx, const XmlElement& section, std::string_view name,
                   std::string_view emptyTable, std::string_view recordName,
                   StatementBuilder insert, std::int64_t& counter) {
  const Step emptied = EmptySectionTable(ctx, emptyTable, name);
  if (emptied != Step::GoOn) return emptied;
  return VisitedCountLoop(ctx, section, recordName, counter,
                          [insert](ImportContext& c, const XmlElement& record, std::int64_t) {
                            QueueRecord(c, insert(RecordReader(record)));
                            return Step::GoOn;
                          });
}

// The employee's row, then its specialities replaced: those stored for its pid are deleted,
// and those listed in a SPECIALITIES element that is its first child are written. When the
// delete fails the listed ones are not written, as they would join the ones that stayed.
Step writeEmployee(ImportContext& ctx, const XmlElement& employee, std::int64_t& counter) {
  const RecordReader r(employee);
  const std::string pid(r.text("pid"));
  QueueRecord(ctx, st::EmployeeInsert(r));
  if (DatabaseFailed(ctx)) return Step::Stop;
  const Step emptied = EmptySectionTable(ctx, st::EmployeeSpecialitiesDelete(pid),
                                         "SPECIALITIES of the employee with pid '" + pid + "'");
  if (emptied == Step::Stop) return Step::Stop;
  const XmlElement first = employee.childAt(0);
  if (emptied == Step::SectionSkipped || first.isNull() || !HasName(first, "SPECIALITIES")) {
    return Step::GoOn;
  }
  return VisitedCountLoop(ctx, first, "SPECIALITY", counter,
                          [&pid](ImportContext& c, const XmlElement& speciality, std::int64_t) {
                            QueueRecord(
                                c, st::EmployeeSpecialityInsert(RecordReader(speciality), pid));
                            return Step::GoOn;
                          });
}

Step processEmployees(ImportContext& ctx, const XmlElement& section, std::int64_t& counter) {
  const Step emptied = EmptySectionTable(ctx, st::kEmptyEmployees, "EMPLOYEES");
  if (emptied != Step::GoOn) return emptied;
  return VisitedCountLoop(ctx, section, "EMPLOYEE", counter,
                          [&counter](ImportContext& c, const XmlElement& employee, std::int64_t) {
                            return writeEmployee(c, employee, counter);
                          });
}

}  // namespace

int ImportPersonalization(ImportContext& ctx, const std::string& path) {
  const XmlElement root = OpenImportFile(ctx, path, "Provider");
  std::int64_t counter = 0;
  Step step = Step::GoOn;
  WalkSections(ctx, root, WalkOrder::DocumentFirst,
               [&](const XmlElement& element, const std::string& name) {
                 if (name == "PROVIDER") {
                   step = writeProvider(ctx, element, counter);
                 } else if (name == "CONTRACTS") {
                   step = refillSection(ctx, element, name, st::kEmptyContracts, "CONTRACT",
                                        st::ContractInsert, counter);
                 } else if (name == "EMPLOYEES") {
                   step = processEmployees(ctx, element, counter);
                 } else if (name == "SERVICES") {
                   step = refillSection(ctx, element, name, st::kEmptyServices, "SERVICE",
                                        st::ServiceInsert, counter);
                 }
                 return step != Step::Stop;
               });
  KeepRecordTotal(ctx, counter);
  return step == Step::Stop ? 0 : 1;
}

}  // namespace qiva::import
