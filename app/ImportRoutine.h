// ImportRoutine.h: the one signature every import routine has, and the context the run hands
// it. A routine plugs in by filling its entry of the ImportKinds table (ImportKinds.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "app/ImportFrontEnd.h"

class CAdoDatabase;
class CAdoRecordset;

// What a routine may use during one run: the open connection, the shared recordset for
// look-ups, the front end (status line, messages, Yes/No prompt) and, for the per-location
// imports, whether the database keeps locations and the chosen location's id.
struct ImportContext {
  CAdoDatabase& database;
  CAdoRecordset& recordset;
  ImportFrontEnd& frontEnd;
  bool hasLocationColumn = false;
  std::int32_t locationId = 0;

  // Replaces the status line's whole text.
  void SetStatusText(const std::string& text) { frontEnd.SetStatusText(text); }
};

// Imports the XML file at `path`. Returns 1 when it walked the whole document, 0 when it
// stopped early (the user's No at the invalid-record prompt, or a failure its import names).
using ImportRoutine = int (*)(ImportContext& context, const std::string& path);
