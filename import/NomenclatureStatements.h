// NomenclatureStatements.h: the statement texts of the general catalogues import, one builder
// per record kind and the closing statements of the sections that tidy their tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

}  // namespace qiva::import::nomenclatures
