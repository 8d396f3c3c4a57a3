// Nomenclatures.cpp: the general catalogues import: walks the file document first, matches
// each element against the sixteen sections in their fixed order, and runs each section's
// preparation, record loop (visited count) and closing statements.
#include "import/Nomenclatures.h"

#include <string_view>
#include <vector>

#include "db/CAdoDatabase.h"
#include "import/NomenclatureStatements.h"
#include "import/toolkit/ImportConventions.h"

namespace qiva::import {
namespace {

namespace st = nomenclatures;

using StatementBuilder = RecordStatement (*)(const RecordReader&);
using RecordWriter = void (*)(ImportContext&, const XmlElement&);

struct Section {
  std::string_view name;
  std::string_view record;
  std::string_view preparation = {};      // "" when the table keeps its rows
  StatementBuilder insert = nullptr;      // empty-and-refill sections
  RecordWriter writer = nullptr;          // sections that look each record up
  std::vector<std::string> closing = {};  // once, after the record loop
  std::string_view afterEveryChild = {};  // after every non-empty child
};

void writeInsuranceHouse(ImportContext& ctx, const XmlElement& record) {
  RecordReader r(record);
  if (!LookupRow(ctx, st::InsuranceHouseLookup(r))) QueueRecord(ctx, st::InsuranceHouseInsert(r));
}

void writeSpeciality(ImportContext& ctx, const XmlElement& record) {
  RecordReader r(record);
  if (!LookupRow(ctx, st::SpecialityLookup(r))) QueueRecord(ctx, st::SpecialityInsert(r));
}

void writeChronicDisease(ImportContext& ctx, const XmlElement& record) {
  RecordReader r(record);
  const std::string description = st::ChronicDiseaseDescription(r);
  std::int32_t id = 0;
  if (LookupRow(ctx, st::ChronicDiseaseLookup(r), &id)) {
    QueueRecord(ctx, st::ChronicDiseaseUpdate(r, description, id));
  } else {
    QueueRecord(ctx, st::ChronicDiseaseInsert(r, description));
  }
}

const std::vector<Section>& sections() {
  static const std::vector<Section> kSections = {
      {.name = "LABORATORIESSERVICES",
       .record = "LABORATORIESSERVICE",
       .preparation = "delete from QIVA_LABORATORIES_SERVICES",
       .insert = st::LaboratoryServiceInsert,
       .closing = {"update qiva_laboratories_services set validto=null where "
                   "validto='1900-01-01 00:00:00.000'",
                   "delete from qiva_laboratories_services where getdate() not between "
                   "validfrom and isnull(validto,getdate())",
                   st::NameCleanupChain("qiva_laboratories_services", "\n\t\t\t\t", false)}},
      {.name = "PERSONSTATES",
       .record = "PERSONSTATE",
       .preparation = "delete from QIVA_PERSON_STATES",
       .insert = st::PersonStateInsert},
      {.name = "PERSONTYPES",
       .record = "PERSONTYPE",
       .preparation = "delete from QIVA_PERSON_TYPES",
       .insert = st::PersonTypeInsert},
      {.name = "PERSONCATEGORIES",
       .record = "PERSONCATEGORY",
       .preparation = "delete from QIVA_PERSON_CATEGORY",
       .insert = st::PersonCategoryInsert},
      {.name = "MEDSRVPACKS",
       .record = "MEDSRVPACK",
       .preparation = "delete from QIVA_MED_SRV_PACKS",
       .insert = st::MedSrvPackInsert},
      {.name = "INSURANCEHOUSES", .record = "INSURANCEHOUSE", .writer = writeInsuranceHouse},
      {.name = "SPECIALITIES", .record = "SPECIALITY", .writer = writeSpeciality},
      {.name = "CLINICSERVICES",
       .record = "CLINICSERVICE",
       .preparation = "delete from QIVA_CLINIC_SERVICES",
       .insert = st::ClinicServiceInsert,
       .closing = {" update QIVA_CLINIC_SERVICES set validTo=NULL where validto='19000101 00:00'",
                   " delete from QIVA_CLINIC_SERVICES where getdate() not between validFrom and "
                   "ISNULL(validto,getdate())",
                   st::NameCleanupChain("QIVA_CLINIC_SERVICES", "\t\t\t\t", false)}},
      {.name = "CLINSRVMEDPACKS",
       .record = "CLINSRVMEDPACK",
       .preparation = "delete from QIVA_CLIN_SRV_MED_PACK",
       .insert = st::ClinSrvMedPackInsert,
       .closing = {" update QIVA_CLIN_SRV_MED_PACK set validTo=NULL where "
                   "validto='19000101 00:00'"}},
      {.name = "CLINSRVGRPSPECIALTIES",
       .record = "CLINSRVGRPSPECIALTY",
       .preparation = "delete from QIVA_CLIN_SRV_GRP_SPECIALITIES ",
       .insert = st::ClinSrvGrpSpecialtyInsert},
      {.name = "ERRORS",
       .record = "ERROR",
       .preparation = "delete from QIVA_ERRORS ",
       .insert = st::ErrorInsert},
      {.name = "CHRONICDISEASES", .record = "CHRONICDISEASE", .writer = writeChronicDisease},
      {.name = "RECSERVICES",
       .record = "RECSERVICE",
       .preparation = "delete from QIVA_REC_SERVICES",
       .insert = st::RecServiceInsert,
       .closing = {" update QIVA_REC_SERVICES set validTo=NULL where validto='19000101 00:00'",
                   "delete from QIVA_REC_SERVICES where getdate() not between validfrom and "
                   "isnull(validto,getdate())",
                   st::NameCleanupChain("QIVA_REC_SERVICES", "\t\t\t\t", true)}},
      {.name = "MEDICALFORMTYPES",
       .record = "MEDICALFORMTYPE",
       .preparation = "delete from QIVA_MEDICAL_FORM_TYPES ",
       .insert = st::MedicalFormTypeInsert,
       .afterEveryChild = " update QIVA_MEDICAL_FORM_TYPES set validTo=NULL where "
                          "validto='19000101 00:00'"},
      {.name = "THERAPEUTICALSCHEMAS",
       .record = "THERAPEUTICALSCHEMA",
       .preparation = "delete from QIVA_THERAPEUTICAL_SCHEMAS ",
       .insert = st::TherapeuticalSchemaInsert,
       .afterEveryChild = " update QIVA_THERAPEUTICAL_SCHEMAS set validTo=NULL where "
                          "validto='19000101 00:00'"},
      {.name = "ICD10S",
       .record = "ICD10",
       .preparation = "delete from QIVA_ICD10",
       .insert = st::Icd10Insert,
       .closing = {" update QIVA_ICD10 set valid_To=NULL where valid_to='19000101 00:00'",
                   " delete from QIVA_ICD10 where convert(datetime,convert(varchar(10),"
                   "getdate(),103),103) not between valid_from and "
                   "ISNULL(valid_to,getdate()) "}},
  };
  return kSections;
}

// Runs one section; false when the import must end (the database failed).
bool processSection(ImportContext& ctx, const Section& section, const XmlElement& element,
                    std::int64_t& counter) {
  if (!section.preparation.empty() && !EmptySectionTable(ctx, section.preparation, section.name)) {
    return !DatabaseFailed(ctx);
  }
  auto write = [&](const XmlElement& record) {
    if (section.insert) {
      QueueRecord(ctx, section.insert(RecordReader(record)));
    } else {
      section.writer(ctx, record);
    }
    return true;
  };
  std::function<void()> afterChild;
  if (!section.afterEveryChild.empty()) {
    afterChild = [&] { ctx.database.Queue(section.afterEveryChild); };
  }
  if (!VisitedCountLoop(ctx, element, section.record, counter, write, afterChild)) return false;
  for (const std::string& statement : section.closing) ctx.database.Queue(statement);
  return !DatabaseFailed(ctx);
}

}  // namespace

int ImportNomenclatures(ImportContext& ctx, const std::string& path) {
  const XmlElement root = OpenImportFile(ctx, path, "Catalogues");
  std::int64_t counter = 0;
  const bool goOn = ForEachKnownSection(ctx, root, WalkOrder::DocumentFirst, sections(),
                                        [&](const Section& section, const XmlElement& element) {
                                          return processSection(ctx, section, element, counter);
                                        });
  if (!goOn) return 0;  // the database failed: the run reports it
  ShowProcessed(ctx, counter);
  return 1;
}

}  // namespace qiva::import
