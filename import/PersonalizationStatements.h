// PersonalizationStatements.h: the statement texts of the provider personalisation import: the
// provider's look-up, insert and update, the emptying of the three refilled tables and the
// inserts of contracts, employees, their specialities and services.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/RecordReader.h"

namespace qiva::import::personalization {

inline constexpr std::string_view kProviderLookup = "select max(id) id from qiva_p_provider";
inline constexpr std::string_view kEmptyContracts = "delete from QIVA_P_CONTRACTS";
inline constexpr std::string_view kEmptyEmployees = "delete from QIVA_P_EMPLOYEES";
inline constexpr std::string_view kEmptyServices = "delete from QIVA_P_SERVICES";

// The provider row: inserted while the table is empty, else the row `id` is updated.
RecordStatement ProviderInsert(const RecordReader& r);
RecordStatement ProviderUpdate(const RecordReader& r, std::int32_t id);

RecordStatement ContractInsert(const RecordReader& r);
RecordStatement EmployeeInsert(const RecordReader& r);
// Deletes the specialities of the employee with this pid (run even for an empty pid).
std::string EmployeeSpecialitiesDelete(std::string_view employeePid);
// increasePercentProfDegree stands unquoted: a value that is not a plain number gives a skip
// reason instead of a statement to send.
RecordStatement EmployeeSpecialityInsert(const RecordReader& r, std::string_view employeePid);
// tariff with two decimals and quantity as a 32-bit integer; a tariff that cannot be written as
// a SQL number gives a skip reason.
RecordStatement ServiceInsert(const RecordReader& r);

}  // namespace qiva::import::personalization
