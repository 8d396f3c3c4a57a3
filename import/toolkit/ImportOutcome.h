// ImportOutcome.h: what one import run lost or could not read, counted by the shared import
// code (never by a routine for itself) and reported by the front ends when the routine ends,
// so that a run that lost rows never looks like a clean one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "xml/XmlParser.h"

// One record the account names: a record skipped (with its reason) or one whose statement the
// database refused (with the database's error).
struct RecordNote {
  std::string section;      // the section's name as the file writes it; "" outside sections
  std::int64_t record = 0;  // the record's position among its section's children, from 1; 0: none
  std::string key;          // its key attribute as "name=value", "" when it has none
  std::string reason;       // why it was skipped, or the database's error
};

// The account's lists keep this many entries each; the rest are only counted.
inline constexpr std::size_t kRecordNoteLimit = 1000;

// A section that a stopped import left incomplete.
struct IncompleteSection {
  std::string name;              // the section's name as the file writes it
  std::string table;             // the table it fills, "" when the import names none
  std::int64_t fileRecords = 0;  // the section's records in the file
  std::int64_t rowsHeld = -1;    // rows its table holds now; -1 when they cannot be counted
  std::int64_t rowsWritten = 0;  // statements of its records sent, less those refused at once
};

// Why an import ended before the end of its file, by the user's wish.
enum class StopCause {
  None,
  Request,  // a stop signal, or the dialog's close confirmed during the import
  Prompt,   // the No at the invalid-record prompt
};

struct ImportOutcome {
  // The number the routine's closing status text shows ("Procesat %d inregistrari"); after a
  // database failure, the records whose rows the database kept.
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

  // Why the file was not read, beyond the parse: the file is empty, holds no XML, its root is
  // another one (`rootFound`), or it holds none of the kind's sections (`notOfKind` names the
  // kind asked for, `looksLike` the kind whose sections it holds, "" when none).
  bool fileEmpty = false;
  bool notXml = false;
  std::string rootFound;
  std::string notOfKind;
  std::string looksLike;

  // The connection lost statements it had already reported as done; the routine was ended.
  bool databaseFailed = false;

  // A stop: why, the sections written whole before it and the one it left incomplete.
  StopCause stopped = StopCause::None;
  std::vector<std::string> sectionsWhole;
  std::optional<IncompleteSection> incomplete;

  // The first kRecordNoteLimit records skipped and statements refused; the totals are
  // skippedTotal() and rejectedStatements.
  std::vector<RecordNote> skippedList;
  std::vector<RecordNote> rejectedList;

  // The database log's full path, as the messages name it ("" before the run has set it).
  std::string databaseLog;

  std::int64_t skippedTotal() const { return skippedRecords + skippedAtPrompt; }
  // True when rows may be missing although the routine walked its file.
  bool hasLosses() const {
    return rejectedStatements > 0 || skippedTotal() > 0 || skippedSections > 0;
  }
};

// The parser's reason for a file not read, in the dialog's language: the error text and line,
// or that the file ends before its document element does.
std::string FileNotReadReason(const ImportOutcome& outcome);

// The same in English for the command line, where it says more than the parser's reason: the
// file is empty, holds no XML, has another root, or is not of the kind asked for (naming the
// kind it looks like); "" when the parser's reason says all.
std::string FileNotReadExplanation(const ImportOutcome& outcome);

// The message box text for the outcome of a routine that ended: "" for a clean run. Only the
// counts that are not zero are named, with the first few records skipped or refused and the
// database log's full path.
std::string OutcomeMessage(const ImportOutcome& outcome);

// The stop in words, for the log's "Import stopped: ..." line and the messages: why, the
// sections written whole, the incomplete one with its rows and the file's count; "" when the
// import was not stopped.
std::string StopAccount(const ImportOutcome& outcome);
