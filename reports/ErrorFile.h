// ErrorFile.h: the validation error file import: one row per file in E_QIVA_ERROR_FILES (its
// name and export type) and one row per reported error in E_QIVA_ERROR_FILES_DETAILED.
#pragma once

#include <string>

#include "import/toolkit/ImportRoutine.h"

namespace qiva::reports {

// The file name of an error file: the text after the last "\" or "/" of `path` (the whole path
// when it has neither), extension included.
std::string ErrorFileName(const std::string& path);

// The export type of an error file: its file name (after the last slash or backslash) cut at
// the fourth underscore counted from its end; "" when the name has fewer than four.
std::string ErrorFileExportType(const std::string& path);

// The root tag of the error file at `path`: "reportFeedback" for the SPT_ export types (acute,
// chronic, palliative, day-case and DRG hospital reports), "report" for every other.
std::string ErrorFileRootTag(const std::string& path);

// Records the error file at `path`: creates the two tables when the file table is missing,
// inserts the file row, reads back its id and writes every error of the file under it. The
// root is "reportFeedback" for the SPT_ export types and "report" otherwise. Rows are only
// added. A file that is not read sends nothing. When the file row cannot be written or its id
// not read back, no error row is written: each error is logged and counted as skipped.
// Returns 1 when the whole file was walked, 0 when the database failed.
int ImportErrorFile(ImportContext& ctx, const std::string& path);

}  // namespace qiva::reports
