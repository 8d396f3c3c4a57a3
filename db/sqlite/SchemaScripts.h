// SchemaScripts.h: the T-SQL scripts of db/schema/, built into the program: the target schema
// that a new embedded database receives, and the script that adds the per-location columns.
// Scripts are split into batches at lines holding only GO, as SQL Server's tools do.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/DbEngine.h"

namespace qiva::db {

// The text of db/schema/qiva_schema.sql.
std::string_view TargetSchemaScript();
// The text of db/schema/qiva_locations.sql.
std::string_view LocationsSchemaScript();

// The batches of a script: the texts between lines that hold only GO (any case, blanks
// allowed); empty batches are left out.
std::vector<std::string> SplitScriptBatches(std::string_view script);

// Executes each batch of `script` on `engine` in order; stops at the first batch that fails
// and returns false (the engine's lastError tells why).
bool RunScript(DbEngine& engine, std::string_view script);

// Adds the per-location columns (the locations script) to the database open on `engine`.
bool RunLocationsScript(DbEngine& engine);

}  // namespace qiva::db
