// ImportRoutine.h: the one signature every import routine has, and the context the run hands
// it. A routine plugs in by filling its entry of the ImportKinds table (ImportKinds.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "app/ImportFrontEnd.h"
#include "app/ImportOutcome.h"
#include "db/CAdoDatabase.h"

class CAdoRecordset;

// What a routine may use during one run: the open connection, the shared recordset for
// look-ups, the front end (status line, messages, Yes/No prompt) and, for the per-location
// imports, whether the database keeps locations and the chosen location's id. The outcome is
// fed by the import toolkit (import/ImportConventions.h), never by a routine's own counters.
struct ImportContext {
  CAdoDatabase& database;
  CAdoRecordset& recordset;
  ImportFrontEnd& frontEnd;
  bool hasLocationColumn = false;
  std::int32_t locationId = 0;
  ImportOutcome outcome = {};
  // Failed executes before the routine began, and those whose failure the routine expected.
  std::int64_t failedExecutesAtStart = database.FailedExecuteCount();
  std::int64_t expectedFailures = 0;

  // Replaces the status line's whole text.
  void SetStatusText(const std::string& text) { frontEnd.SetStatusText(text); }

  // The outcome so far, with the statements the database rejected since the routine began.
  ImportOutcome Outcome() const {
    ImportOutcome result = outcome;
    result.rejectedStatements =
        database.FailedExecuteCount() - failedExecutesAtStart - expectedFailures;
    result.databaseFailed = result.databaseFailed || database.IsBroken();
    return result;
  }
};

// Imports the XML file at `path`. Returns 1 when it walked the whole document, 0 when it
// stopped early (the user's No at the invalid-record prompt, or a failure its import names).
using ImportRoutine = int (*)(ImportContext& context, const std::string& path);
