// PharmaNomenclatures.cpp: the pharmaceutical catalogues import: walks the file document first,
// matches each element against the sixteen sections in their fixed order, empties the section's
// table and writes its records (visited count), one statement per record or in batches.
#include "import/PharmaNomenclatures.h"

#include <vector>

#include "base/TraceLog.h"
#include "import/PharmaStatements.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/SectionTable.h"

namespace qiva::import {
namespace {

// Sections with many records (marked batched) send their inserts in batches; the others one by
// one. In the order in which an element's name is compared.
const std::vector<Section>& sections() {
  static const std::vector<Section> kSections = {
      {.name = "DISEASECATEGORIES",
       .record = "DISEASECATEGORY",
       .emptying = "delete from QIVA_DISEASE_CATEGORIES",
       .insert = pharma::DiseaseCategoryInsert},
      {.name = "COPAYMENTLISTTYPES",
       .record = "COPAYMENTLISTTYPE",
       .emptying = "delete from QIVA_COPAYMENT_LIST_TYPES",
       .insert = pharma::CopaymentListTypeInsert},
      {.name = "COPAYMENTLISTTYPEPERSSTATE",
       .record = "CPMETLSTTYPEPERSSTATE",
       .emptying = "delete from QIVA_COPAYMENT_LIST_TYPE_PERS_STATE",
       .insert = pharma::CopaymentListTypePersStateInsert},
      {.name = "COPAYMENTLISTDRUGS",
       .record = "COPAYMENTLISTDRUG",
       .emptying = "delete from QIVA_COPAYMENT_LIST_DRUGS",
       .insert = pharma::CopaymentListDrugInsert,
       .batched = true},
      {.name = "PHARMACEUTICALFORMS",
       .record = "PHARMACEUTICALFORM",
       .emptying = "delete from QIVA_PHARMACEUTICAL_FORMS",
       .insert = pharma::PharmaceuticalFormInsert},
      {.name = "CONCENTRATIONS",
       .record = "CONCENTRATION",
       .emptying = "delete from QIVA_CONCENTRATIONS",
       .insert = pharma::ConcentrationInsert,
       .batched = true},
      {.name = "PRESCRIPTIONTYPES",
       .record = "PRESCRIPTIONTYPE",
       .emptying = "delete from QIVA_PRESCRIPTION_TYPES",
       .insert = pharma::PrescriptionTypeInsert},
      {.name = "NHPS",
       .record = "NHP",
       .emptying = "delete from QIVA_NHPS",
       .insert = pharma::NhpInsert},
      {.name = "ACTIVESUBSTANCES",
       .record = "ACTIVESUBSTANCE",
       .emptying = "delete from QIVA_ACTIVE_SUBSTANCES",
       .insert = pharma::ActiveSubstanceInsert},
      {.name = "ATCS",
       .record = "ATC",
       .emptying = "delete from QIVA_ATCS",
       .insert = pharma::AtcInsert},
      {.name = "GOODS",
       .record = "GOOD",
       .emptying = "delete from QIVA_GOODS",
       .insert = pharma::GoodInsert},
      {.name = "PACKAGEMODES",
       .record = "PACKAGEMODE",
       .emptying = "delete from QIVA_PACKAGE_MODES",
       .insert = pharma::PackageModeInsert,
       .batched = true},
      {.name = "NHPCATEGORIES",
       .record = "NHPCATEGORY",
       .emptying = "delete from QIVA_NHP_CATEGORIES",
       .insert = pharma::NhpCategoryInsert},
      {.name = "NHP_DRUG_TYPES",
       .record = "NHP_DRUG_TYPE",
       .emptying = "delete from QIVA_NHP_DRUG_TYPES",
       .insert = pharma::NhpDrugTypeInsert},
      {.name = "NHP_DRUGS",
       .record = "NHP_DRUG",
       .emptying = "delete from QIVA_NHP_DRUGS",
       .insert = pharma::NhpDrugInsert},
      {.name = "DRUGS",
       .record = "DRUG",
       .emptying = "delete from QIVA_DRUGS",
       .insert = pharma::DrugInsert,
       .batched = true},
  };
  return kSections;
}

}  // namespace

int ImportPharmaNomenclatures(ImportContext& ctx, const std::string& path) {
  TraceLog("before openFileHelper");
  const XmlElement root = OpenImportFile(ctx, path, "Catalogues");
  TraceLog("after openFileHelper");
  std::int64_t counter = 0;
  if (!ImportSections(ctx, root, WalkOrder::DocumentFirst, sections(), counter)) {
    return 0;  // stopped, or the database failed: the run reports it
  }
  // No closing text: the status line keeps the last progress message.
  KeepRecordTotal(ctx, counter);
  return 1;
}

}  // namespace qiva::import
