// PharmaNomenclatures.cpp: the pharmaceutical catalogues import: walks the file document first,
// matches each element against the sixteen sections in their fixed order, empties the section's
// table and writes its records (visited count), one statement per record or in batches.
#include "import/PharmaNomenclatures.h"

#include <array>
#include <string_view>

#include "base/TraceLog.h"
#include "db/CAdoDatabase.h"
#include "import/PharmaStatements.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/StatementBatch.h"

namespace qiva::import {
namespace {

using StatementBuilder = RecordStatement (*)(const RecordReader&);

struct Section {
  std::string_view name;    // section element, upper case
  std::string_view record;  // record element, upper case
  std::string_view empty;   // the statement that empties the section's table
  StatementBuilder insert;
  bool batched;
};

// In the order in which an element's name is compared.
constexpr std::array<Section, 16> kSections = {{
    {"DISEASECATEGORIES", "DISEASECATEGORY", "delete from QIVA_DISEASE_CATEGORIES",
     pharma::DiseaseCategoryInsert, false},
    {"COPAYMENTLISTTYPES", "COPAYMENTLISTTYPE", "delete from QIVA_COPAYMENT_LIST_TYPES",
     pharma::CopaymentListTypeInsert, false},
    {"COPAYMENTLISTTYPEPERSSTATE", "CPMETLSTTYPEPERSSTATE",
     "delete from QIVA_COPAYMENT_LIST_TYPE_PERS_STATE", pharma::CopaymentListTypePersStateInsert,
     false},
    {"COPAYMENTLISTDRUGS", "COPAYMENTLISTDRUG", "delete from QIVA_COPAYMENT_LIST_DRUGS",
     pharma::CopaymentListDrugInsert, true},
    {"PHARMACEUTICALFORMS", "PHARMACEUTICALFORM", "delete from QIVA_PHARMACEUTICAL_FORMS",
     pharma::PharmaceuticalFormInsert, false},
    {"CONCENTRATIONS", "CONCENTRATION", "delete from QIVA_CONCENTRATIONS",
     pharma::ConcentrationInsert, true},
    {"PRESCRIPTIONTYPES", "PRESCRIPTIONTYPE", "delete from QIVA_PRESCRIPTION_TYPES",
     pharma::PrescriptionTypeInsert, false},
    {"NHPS", "NHP", "delete from QIVA_NHPS", pharma::NhpInsert, false},
    {"ACTIVESUBSTANCES", "ACTIVESUBSTANCE", "delete from QIVA_ACTIVE_SUBSTANCES",
     pharma::ActiveSubstanceInsert, false},
    {"ATCS", "ATC", "delete from QIVA_ATCS", pharma::AtcInsert, false},
    {"GOODS", "GOOD", "delete from QIVA_GOODS", pharma::GoodInsert, false},
    {"PACKAGEMODES", "PACKAGEMODE", "delete from QIVA_PACKAGE_MODES", pharma::PackageModeInsert,
     true},
    {"NHPCATEGORIES", "NHPCATEGORY", "delete from QIVA_NHP_CATEGORIES", pharma::NhpCategoryInsert,
     false},
    {"NHP_DRUG_TYPES", "NHP_DRUG_TYPE", "delete from QIVA_NHP_DRUG_TYPES",
     pharma::NhpDrugTypeInsert, false},
    {"NHP_DRUGS", "NHP_DRUG", "delete from QIVA_NHP_DRUGS", pharma::NhpDrugInsert, false},
    {"DRUGS", "DRUG", "delete from QIVA_DRUGS", pharma::DrugInsert, true},
}};

// Puts one record of a batched section into the batch. A record marked to go alone (a date the
// server could not convert, a price too large for its column) is sent on its own at once
// instead: in a batch its conversion error would end the batch and lose every record after it.
// It does not count toward the batch's size.
void addToBatch(ImportContext& ctx, StatementBatch& batch, const RecordStatement& statement) {
  if (statement.skipReason.empty() && !statement.sendAlone) {
    batch.Add(statement.sql);
  } else {
    ExecuteRecord(ctx, statement);  // sent alone, or skipped with its reason
  }
}

// Runs one section; false when the import must end (the database failed).
bool processSection(ImportContext& ctx, const Section& section, const XmlElement& element,
                    std::int64_t& counter) {
  if (!EmptySectionTable(ctx, section.empty, section.name)) return !DatabaseFailed(ctx);
  StatementBatch batch(ctx);
  auto write = [&](const XmlElement& record) {
    const RecordStatement statement = section.insert(RecordReader(record));
    if (section.batched) {
      addToBatch(ctx, batch, statement);
    } else {
      QueueRecord(ctx, statement);
    }
    return true;
  };
  const bool whole = VisitedCountLoop(ctx, element, section.record, counter, write);
  // Records already read are sent even when a stop ends the section early.
  if (!DatabaseFailed(ctx)) batch.Flush();
  return whole && !DatabaseFailed(ctx);
}

}  // namespace

int ImportPharmaNomenclatures(ImportContext& ctx, const std::string& path) {
  TraceLog("before openFileHelper");
  const XmlElement root = OpenImportFile(ctx, path, "Catalogues");
  TraceLog("after openFileHelper");
  std::int64_t counter = 0;
  const bool goOn = ForEachKnownSection(ctx, root, WalkOrder::DocumentFirst, kSections,
                                        [&](const Section& section, const XmlElement& element) {
                                          return processSection(ctx, section, element, counter);
                                        });
  if (!goOn) return 0;  // the database failed: the run reports it
  // No closing text: the status line keeps the last progress message.
  KeepRecordTotal(ctx, counter);
  return 1;
}

}  // namespace qiva::import
