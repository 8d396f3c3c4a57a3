// ErrorReportStatements.h: the statement texts of the error file import (the guarded creation
// of its two tables, the file row, the three error inserts) and of the
// hospital pharmacy register error import. Quoted values have their single quotes doubled.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qiva::reports {

// Creates E_QIVA_ERROR_FILES and E_QIVA_ERROR_FILES_DETAILED with their keys, defaults, index
// and foreign key, in one text, when the file table does not exist; does nothing otherwise
// (whether or not the detailed table exists).
const std::string& ErrorFileTablesStatement();

// The row of the imported file.
std::string ErrorFileRowInsert(std::string_view fileName, std::string_view exportType);

// An error of a services record or of a recovery service, with the record's node name.
std::string RecordErrorInsert(std::int32_t fileId, std::int32_t appId, std::string_view code,
                              std::string_view nodeName);
// An error of a feedback record, with its validity (0 or 1).
std::string FeedbackErrorInsert(std::int32_t fileId, std::int32_t appId, std::string_view code,
                                int isValid, std::string_view nodeName);
// An error of a recovery service's service or daily cure: no node name, no validity.
std::string NestedErrorInsert(std::int32_t fileId, std::int32_t appId, std::string_view code);

// An error of the hospital pharmacy register report, under the register's AppID.
std::string StockErrorInsert(std::int32_t appId, std::string_view code, std::string_view comments);

}  // namespace qiva::reports
