// ImportRoutine.h: the one signature every import routine has, and the context the run hands
// it. A routine plugs in by filling its entry of the ImportKinds table (ImportKinds.cpp).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "db/CAdoDatabase.h"
#include "import/toolkit/ImportFrontEnd.h"
#include "import/toolkit/ImportOutcome.h"

class CAdoRecordset;
class XmlElement;

// Where the import stands, kept by the import toolkit for the account of a skipped or refused
// record and of a stop.
struct ImportPosition {
  bool inSection = false;              // a section has begun and not yet ended
  std::string section;                 // its name as the file writes it
  std::string table;                   // the table its emptying statement names, "" when none
  std::int64_t fileRecords = 0;        // its records in the file
  std::int64_t rowsWritten = 0;        // its records' statements sent, less those refused at once
  std::int64_t recordNumber = 0;       // the record in hand: its position in the section, from 1
  const XmlElement* record = nullptr;  // the record in hand, null between records
};

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
  // Records written before the routine began (CAdoDatabase::RecordsWritten).
  std::int64_t recordsWrittenAtStart = database.RecordsWritten();
  std::int64_t expectedFailures = 0;
  // The kind's command-line word: the file must hold one of its sections (import/FileKinds.h).
  // "" takes every file, for callers that run a routine on its own.
  std::string_view fileKind = {};
  // Stop requests made during the run (null: none can be made). One ends the import after the
  // section in progress, two at the next record.
  const std::atomic<int>* stopRequests = nullptr;
  ImportPosition position = {};
  // Failed executes already noted in the outcome's list of refused statements.
  std::int64_t failedExecutesNoted = failedExecutesAtStart;

  // Replaces the status line's whole text.
  void SetStatusText(const std::string& text) { frontEnd.SetStatusText(text); }

  // The outcome so far, with the statements the database rejected since the routine began.
  ImportOutcome Outcome() const {
    ImportOutcome result = outcome;
    result.rejectedStatements =
        database.FailedExecuteCount() - failedExecutesAtStart - expectedFailures;
    result.databaseFailed = result.databaseFailed || database.IsBroken();
    // A failed database ended the routine before its closing count, or lost rows it had
    // counted: the count is then what the database kept.
    if (result.databaseFailed) result.records = database.RecordsWritten() - recordsWrittenAtStart;
    return result;
  }
};

// Imports the XML file at `path`. Returns 1 when it walked the whole document, 0 when it
// stopped early (the user's No at the invalid-record prompt, or a failure its import names).
using ImportRoutine = int (*)(ImportContext& context, const std::string& path);
