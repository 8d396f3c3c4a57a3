// ImportOutcome.h: what one import run lost or could not read, counted by the shared import
// code (never by a routine for itself) and reported by the front ends when the routine ends,
// so that a run that lost rows never looks like a clean one.
#pragma once

#include <cstdint>
#include <string>

#include "xml/XmlParser.h"

struct ImportOutcome {
  // The number the routine's closing status text shows ("Procesat %d inregistrari").
  std::int64_t records = 0;
  // Execute calls the database refused during the run (a batch counts once), without the
  // statements whose failure the import expects.
  std::int64_t rejectedStatements = 0;
  // Records not sent: a value that cannot stand in SQL, a required value missing, the children
  // of a row that could not be written.
  std::int64_t skippedRecords = 0;
  // Records the user chose to skip at the invalid-record prompt.
  std::int64_t skippedAtPrompt = 0;
  // Sections left as they were because their table could not be emptied.
  std::int64_t skippedSections = 0;

  // Whether the routine parsed its file, and how that ended. A file is read when the parse kept
  // a document element and the data did not end inside it.
  bool fileParsed = false;
  bool fileRead = true;
  XmlParseResult parse;
  std::string rootTag;

  // The connection lost statements it had already reported as done; the routine was ended.
  bool databaseFailed = false;

  std::int64_t skippedTotal() const { return skippedRecords + skippedAtPrompt; }
  // True when rows may be missing although the routine walked its file.
  bool hasLosses() const {
    return rejectedStatements > 0 || skippedTotal() > 0 || skippedSections > 0;
  }
};

// The parser's reason for a file not read, in the dialog's language: the error text and line,
// or that the file ends before its document element does.
std::string FileNotReadReason(const ImportOutcome& outcome);

// The message box text for the outcome of a routine that ended: "" for a clean run.
std::string OutcomeMessage(const ImportOutcome& outcome);
