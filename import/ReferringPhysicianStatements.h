// ReferringPhysicianStatements.h: the statement texts of the referring physicians import, the
// split of a physician's name into first and last name, and the attributes a record must have.
#pragma once

#include <string>
#include <string_view>

#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/RecordReader.h"

namespace qiva::import::physicians {

inline constexpr std::string_view kEmptyPhysicians = "delete from QIVA_PHYSICIANS";
inline constexpr std::string_view kEmptySpecialities = "delete from QIVA_PHYSICIAN_SPECIALITIES";
inline constexpr std::string_view kActivate = "exec QIVA_PHYSICIANS_ACTIVATE";

// A physician's name cut at its last blank: the words before it and the word after it.
struct NameParts {
  std::string firstName;
  std::string lastName;
};

// Splits `name` at its last blank; a name without one is all last name, with an empty first
// name. In both parts every capital S with cedilla (UTF-8 C5 9E) becomes a plain S.
NameParts SplitName(std::string_view name);

// The required attributes the record lacks, as "Name, stencil"; "" when it has them all.
std::string MissingPhysicianAttributes(const RecordReader& r);
std::string MissingSpecialityAttributes(const RecordReader& r);

// The inserts, each closed by the end of validity: the converted date, or null when validTo is
// absent or empty. PID is always written as the empty text.
RecordStatement PhysicianInsert(const RecordReader& r);
RecordStatement SpecialityInsert(const RecordReader& r);

}  // namespace qiva::import::physicians
