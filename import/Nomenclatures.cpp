// Nomenclatures.cpp: the general catalogues import: walks the file document first and runs the
// sixteen sections in their fixed order, each emptied and refilled, or written record by record
// after a look-up, then closed by its tidying statements.
#include "import/Nomenclatures.h"

#include <vector>

#include "import/NomenclatureStatements.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/SectionTable.h"

namespace qiva::import {
namespace {

namespace st = nomenclatures;

Step writeInsuranceHouse(ImportContext& ctx, const XmlElement& record, std::int64_t) {
  RecordReader r(record);
  if (!LookupRow(ctx, st::InsuranceHouseLookup(r))) QueueRecord(ctx, st::InsuranceHouseInsert(r));
  return Step::GoOn;
}

Step writeSpeciality(ImportContext& ctx, const XmlElement& record, std::int64_t) {
  RecordReader r(record);
  if (!LookupRow(ctx, st::SpecialityLookup(r))) QueueRecord(ctx, st::SpecialityInsert(r));
  return Step::GoOn;
}

Step writeChronicDisease(ImportContext& ctx, const XmlElement& record, std::int64_t) {
  RecordReader r(record);
  const std::string description = st::ChronicDiseaseDescription(r);
  std::int32_t id = 0;
  if (LookupRow(ctx, st::ChronicDiseaseLookup(r), &id)) {
    QueueRecord(ctx, st::ChronicDiseaseUpdate(r, description, id));
  } else {
    QueueRecord(ctx, st::ChronicDiseaseInsert(r, description));
  }
  return Step::GoOn;
}

const std::vector<Section>& sections() {
  static const std::vector<Section> kSections = {
      {.name = "LABORATORIESSERVICES",
       .record = "LABORATORIESSERVICE",
       .emptying = std::string(st::kEmptyLaboratoriesServices),
       .insert = st::LaboratoryServiceInsert,
       .closing = st::LaboratoriesServicesClosing()},
      {.name = "PERSONSTATES",
       .record = "PERSONSTATE",
       .emptying = std::string(st::kEmptyPersonStates),
       .insert = st::PersonStateInsert},
      {.name = "PERSONTYPES",
       .record = "PERSONTYPE",
       .emptying = std::string(st::kEmptyPersonTypes),
       .insert = st::PersonTypeInsert},
      {.name = "PERSONCATEGORIES",
       .record = "PERSONCATEGORY",
       .emptying = std::string(st::kEmptyPersonCategories),
       .insert = st::PersonCategoryInsert},
      {.name = "MEDSRVPACKS",
       .record = "MEDSRVPACK",
       .emptying = std::string(st::kEmptyMedSrvPacks),
       .insert = st::MedSrvPackInsert},
      {.name = "INSURANCEHOUSES", .record = "INSURANCEHOUSE", .write = writeInsuranceHouse},
      {.name = "SPECIALITIES", .record = "SPECIALITY", .write = writeSpeciality},
      {.name = "CLINICSERVICES",
       .record = "CLINICSERVICE",
       .emptying = std::string(st::kEmptyClinicServices),
       .insert = st::ClinicServiceInsert,
       .closing = st::ClinicServicesClosing()},
      {.name = "CLINSRVMEDPACKS",
       .record = "CLINSRVMEDPACK",
       .emptying = std::string(st::kEmptyClinSrvMedPacks),
       .insert = st::ClinSrvMedPackInsert,
       .closing = st::ClinSrvMedPacksClosing()},
      {.name = "CLINSRVGRPSPECIALTIES",
       .record = "CLINSRVGRPSPECIALTY",
       .emptying = std::string(st::kEmptyClinSrvGrpSpecialties),
       .insert = st::ClinSrvGrpSpecialtyInsert},
      {.name = "ERRORS",
       .record = "ERROR",
       .emptying = std::string(st::kEmptyErrors),
       .insert = st::ErrorInsert},
      {.name = "CHRONICDISEASES", .record = "CHRONICDISEASE", .write = writeChronicDisease},
      {.name = "RECSERVICES",
       .record = "RECSERVICE",
       .emptying = std::string(st::kEmptyRecServices),
       .insert = st::RecServiceInsert,
       .closing = st::RecServicesClosing()},
      {.name = "MEDICALFORMTYPES",
       .record = "MEDICALFORMTYPE",
       .emptying = std::string(st::kEmptyMedicalFormTypes),
       .insert = st::MedicalFormTypeInsert,
       .afterEveryChild = st::ClearPlaceholderValidTo("QIVA_MEDICAL_FORM_TYPES")},
      {.name = "THERAPEUTICALSCHEMAS",
       .record = "THERAPEUTICALSCHEMA",
       .emptying = std::string(st::kEmptyTherapeuticalSchemas),
       .insert = st::TherapeuticalSchemaInsert,
       .afterEveryChild = st::ClearPlaceholderValidTo("QIVA_THERAPEUTICAL_SCHEMAS")},
      {.name = "ICD10S",
       .record = "ICD10",
       .emptying = std::string(st::kEmptyIcd10),
       .insert = st::Icd10Insert,
       .closing = st::Icd10Closing()},
  };
  return kSections;
}

}  // namespace

int ImportNomenclatures(ImportContext& ctx, const std::string& path) {
  const XmlElement root = OpenImportFile(ctx, path, "Catalogues");
  std::int64_t counter = 0;
  if (!ImportSections(ctx, root, WalkOrder::DocumentFirst, sections(), counter)) {
    return 0;  // stopped, or the database failed: the run reports it
  }
  ShowProcessed(ctx, counter);
  return 1;
}

}  // namespace qiva::import
