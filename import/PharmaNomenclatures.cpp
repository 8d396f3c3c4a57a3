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
       .emptying = pharma::EmptyTable("QIVA_DISEASE_CATEGORIES"),
       .insert = pharma::DiseaseCategoryInsert},
      {.name = "COPAYMENTLISTTYPES",
       .record = "COPAYMENTLISTTYPE",
       .emptying = pharma::EmptyTable("QIVA_COPAYMENT_LIST_TYPES"),
       .insert = pharma::CopaymentListTypeInsert},
      {.name = "COPAYMENTLISTTYPEPERSSTATE",
       .record = "CPMETLSTTYPEPERSSTATE",
       .emptying = pharma::EmptyTable("QIVA_COPAYMENT_LIST_TYPE_PERS_STATE"),
       .insert = pharma::CopaymentListTypePersStateInsert},
      {.name = "COPAYMENTLISTDRUGS",
       .record = "COPAYMENTLISTDRUG",
       .emptying = pharma::EmptyTable("QIVA_COPAYMENT_LIST_DRUGS"),
       .insert = pharma::CopaymentListDrugInsert,
       .batched = true},
      {.name = "PHARMACEUTICALFORMS",
       .record = "PHARMACEUTICALFORM",
       .emptying = pharma::EmptyTable("QIVA_PHARMACEUTICAL_FORMS"),
       .insert = pharma::PharmaceuticalFormInsert},
      {.name = "CONCENTRATIONS",
       .record = "CONCENTRATION",
       .emptying = pharma::EmptyTable("QIVA_CONCENTRATIONS"),
       .insert = pharma::ConcentrationInsert,
       .batched = true},
      {.name = "PRESCRIPTIONTYPES",
       .record = "PRESCRIPTIONTYPE",
       .emptying = pharma::EmptyTable("QIVA_PRESCRIPTION_TYPES"),
       .insert = pharma::PrescriptionTypeInsert},
      {.name = "NHPS",
       .record = "NHP",
       .emptying = pharma::EmptyTable("QIVA_NHPS"),
       .insert = pharma::NhpInsert},
      {.name = "ACTIVESUBSTANCES",
       .record = "ACTIVESUBSTANCE",
       .emptying = pharma::EmptyTable("QIVA_ACTIVE_SUBSTANCES"),
       .insert = pharma::ActiveSubstanceInsert},
      {.name = "ATCS",
       .record = "ATC",
       .emptying = pharma::EmptyTable("QIVA_ATCS"),
       .insert = pharma::AtcInsert},
      {.name = "GOODS",
       .record = "GOOD",
       .emptying = pharma::EmptyTable("QIVA_GOODS"),
       .insert = pharma::GoodInsert},
      {.name = "PACKAGEMODES",
       .record = "PACKAGEMODE",
       .emptying = pharma::EmptyTable("QIVA_PACKAGE_MODES"),
       .insert = pharma::PackageModeInsert,
       .batched = true},
      {.name = "NHPCATEGORIES",
       .record = "NHPCATEGORY",
       .emptying = pharma::EmptyTable("QIVA_NHP_CATEGORIES"),
       .insert = pharma::NhpCategoryInsert},
      {.name = "NHP_DRUG_TYPES",
       .record = "NHP_DRUG_TYPE",
       .emptying = pharma::EmptyTable("QIVA_NHP_DRUG_TYPES"),
       .insert = pharma::NhpDrugTypeInsert},
      {.name = "NHP_DRUGS",
       .record = "NHP_DRUG",
       .emptying = pharma::EmptyTable("QIVA_NHP_DRUGS"),
       .insert = pharma::NhpDrugInsert},
      {.name = "DRUGS",
       .record = "DRUG",
       .emptying = pharma::EmptyTable("QIVA_DRUGS"),
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
