// NomenclatureStatements.h: the statement texts of the general catalogues import, one builder
// per record kind and the closing statements of the sections that tidy their tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/RecordReader.h"

namespace qiva::import::nomenclatures {

// The text an absent end of validity is written as in the sections that turn it into NULL
// after loading.
inline constexpr std::string_view kPlaceholderDate = "19000101 00:00";

RecordStatement LaboratoryServiceInsert(const RecordReader& r);
RecordStatement PersonStateInsert(const RecordReader& r);
RecordStatement PersonTypeInsert(const RecordReader& r);
RecordStatement PersonCategoryInsert(const RecordReader& r);
RecordStatement MedSrvPackInsert(const RecordReader& r);
RecordStatement ClinicServiceInsert(const RecordReader& r);
RecordStatement ClinSrvMedPackInsert(const RecordReader& r);
RecordStatement ClinSrvGrpSpecialtyInsert(const RecordReader& r);
RecordStatement ErrorInsert(const RecordReader& r);
RecordStatement RecServiceInsert(const RecordReader& r);
RecordStatement MedicalFormTypeInsert(const RecordReader& r);
RecordStatement TherapeuticalSchemaInsert(const RecordReader& r);
RecordStatement Icd10Insert(const RecordReader& r);

// Insert-if-missing sections: the look-up and the insert.
std::string InsuranceHouseLookup(const RecordReader& r);
RecordStatement InsuranceHouseInsert(const RecordReader& r);
std::string SpecialityLookup(const RecordReader& r);
RecordStatement SpecialityInsert(const RecordReader& r);

// Chronic diseases, updated in place by code: the description with ţ and ă made plain, the
// look-up, the update of the row found and the insert of a new code.
std::string ChronicDiseaseDescription(const RecordReader& r);
std::string ChronicDiseaseLookup(const RecordReader& r);
RecordStatement ChronicDiseaseUpdate(const RecordReader& r, const std::string& description,
                                     std::int32_t id);
RecordStatement ChronicDiseaseInsert(const RecordReader& r, const std::string& description);

// The replace chain that turns the listed Romanian letters (and the text "&lt;") of a table's
// names into plain ASCII; `separator` stands between the updates.
std::string NameCleanupChain(std::string_view table, std::string_view separator, bool withEnDash);

// The statements that empty the refilled sections' tables before their records.
inline constexpr std::string_view kEmptyLaboratoriesServices =
    "delete from QIVA_LABORATORIES_SERVICES";
inline constexpr std::string_view kEmptyPersonStates = "delete from QIVA_PERSON_STATES";
inline constexpr std::string_view kEmptyPersonTypes = "delete from QIVA_PERSON_TYPES";
inline constexpr std::string_view kEmptyPersonCategories = "delete from QIVA_PERSON_CATEGORY";
inline constexpr std::string_view kEmptyMedSrvPacks = "delete from QIVA_MED_SRV_PACKS";
inline constexpr std::string_view kEmptyClinicServices = "delete from QIVA_CLINIC_SERVICES";
inline constexpr std::string_view kEmptyClinSrvMedPacks = "delete from QIVA_CLIN_SRV_MED_PACK";
inline constexpr std::string_view kEmptyClinSrvGrpSpecialties =
    "delete from QIVA_CLIN_SRV_GRP_SPECIALITIES ";
inline constexpr std::string_view kEmptyErrors = "delete from QIVA_ERRORS ";
inline constexpr std::string_view kEmptyRecServices = "delete from QIVA_REC_SERVICES";
inline constexpr std::string_view kEmptyMedicalFormTypes = "delete from QIVA_MEDICAL_FORM_TYPES ";
inline constexpr std::string_view kEmptyTherapeuticalSchemas =
    "delete from QIVA_THERAPEUTICAL_SCHEMAS ";
inline constexpr std::string_view kEmptyIcd10 = "delete from QIVA_ICD10";

// The end of validity written as kPlaceholderDate turned back into NULL in `table`, sent after
// the section's records (or after each of them).
std::string ClearPlaceholderValidTo(std::string_view table);

// What closes the sections that tidy their tables once their records are in: the end of
// validity cleared, the rows no longer valid today deleted, the names made plain.
std::vector<std::string> LaboratoriesServicesClosing();
std::vector<std::string> ClinicServicesClosing();
std::vector<std::string> ClinSrvMedPacksClosing();
std::vector<std::string> RecServicesClosing();
std::vector<std::string> Icd10Closing();

}  // namespace qiva::import::nomenclatures
