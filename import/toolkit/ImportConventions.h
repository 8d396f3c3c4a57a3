// ImportConventions.h: the toolkit every import routine is built from: the two tree walks, the
// two record loops with their progress texts, statement execution with the skip rule for
// values that cannot be written safely, the existence look-up and the invalid-record prompt.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/DbValue.h"
#include "import/toolkit/ImportRoutine.h"
#include "import/toolkit/RecordReader.h"
#include "xml/XmlParser.h"

namespace qiva::import {

// What a step of an import (emptying a section's table, a record, a record loop, a section)
// leaves the routine to do next. The record loops and the section driver are the places that
// act on it: a record only tells them, and they also stop for a failed database.
enum class [[nodiscard]] Step{
    GoOn,            // the next step follows
    SectionSkipped,  // the section's table could not be emptied: its records are not written
    Stop,            // the import ends: the database failed, a stop was asked for, or a No
};

// Stop when the database has failed, else GoOn.
Step StepAfterSend(const ImportContext& ctx);

inline constexpr std::string_view kInvalidRecordPrompt = "Inregistrare invalida\nContinui ?";

// Parses the import file with `tag` as openFileHelper does and records the parse in the run's
// outcome. Returns the document element, or the empty element when the file was not read: a
// fatal code, data that ended inside the document element (a file cut short, which would
// otherwise replace whole tables with a fraction of them), or, when the context names its
// kind, a file that holds none of that kind's sections (the outcome then names the kind the
// file looks like). A routine given the empty element sends no statement. A file that is empty
// or holds no XML, or whose root is another one, is told so in the outcome. A stop requested
// by the time the file is parsed gives the empty element too, the file counting as read.
XmlElement OpenImportFile(ImportContext& ctx, const std::string& path, std::string_view tag);

// The same with root tags tried in turn: a tag that is not found passes quietly to the next,
// and only the last one's parser message is printed.
XmlElement OpenImportFile(ImportContext& ctx, const std::string& path,
                          const std::vector<std::string>& tags);

// The name of the first element of the file at `path` (after its declarations, comments and
// document type), read from its first bytes; "" when none is found there.
std::string FirstElementName(const std::string& path);

// True when the routine must end at once: the connection lost statements it had already
// reported as done and refuses every further one.
bool DatabaseFailed(const ImportContext& ctx);

// Upper-cased (a to z only) copy of an element's name; "" for the empty element.
std::string UpperName(const XmlElement& element);

enum class WalkOrder {
  DocumentFirst,  // the document element itself, then its children
  ChildrenOnly,   // only the document element's children
};

// Calls `visit` with each element of the walk and its upper-cased name, stopping at the first
// empty child. `visit` returns false to end the walk early. An element that is a section of
// the context's kind is the position's section while `visit` runs and, when `visit` returns
// true, counts as written whole. After each element a stop request ends the walk (the outcome
// then says so). Returns true when the walk reached its end.
bool WalkSections(ImportContext& ctx, const XmlElement& root, WalkOrder order,
                  const std::function<bool(const XmlElement&, const std::string&)>& visit);

// Walks `root` in `order` and hands every element whose upper-cased name is a section's
// `name` to `process(section, element)`, each matching section in the table's order. Stops at
// the first `process` that returns false (the routine must end), or at a stop request after a
// section, and then returns false.
template <typename Sections, typename Process>
bool ForEachKnownSection(ImportContext& ctx, const XmlElement& root, WalkOrder order,
                         const Sections& sections, Process&& process) {
  bool goOn = true;
  const bool whole =
      WalkSections(ctx, root, order, [&](const XmlElement& element, const std::string& name) {
        for (const auto& section : sections) {
          if (goOn && name == section.name) goOn = process(section, element);
        }
        return goOn;
      });
  return goOn && whole;
}

// Makes `record` (the `number`th child of its section) the position's record in hand for the
// scope of a loop's step, so that a skip or a refusal is noted under it; puts back the enclosing
// one (an employee around its specialities) afterwards. The record must outlive the object.
class RecordInHand {
 public:
  RecordInHand(ImportContext& ctx, const XmlElement& record, std::int64_t number)
      : position_(ctx.position), record_(position_.record), number_(position_.recordNumber) {
    position_.record = &record;
    position_.recordNumber = number;
  }
  RecordInHand(const RecordInHand&) = delete;
  RecordInHand& operator=(const RecordInHand&) = delete;
  ~RecordInHand() {
    position_.record = record_;
    position_.recordNumber = number_;
  }

 private:
  ImportPosition& position_;
  const XmlElement* record_;
  std::int64_t number_;
};

// True when the import must end after the section in progress (one stop request or more).
bool StopAfterSection(const ImportContext& ctx);
// True when the import must end before the next record (two stop requests or more); the
// outcome then says it was stopped. Every record loop asks it before each record.
bool StopAtRecord(ImportContext& ctx);

// Notes in the outcome's list the statements the database refused since the last note, under
// the position's section and record.
void NoteRejections(ImportContext& ctx);

// Ends the account of a routine that has returned: notes the last refused statements and, for a
// stopped import, the incomplete section with the rows its table now holds, and logs
// "Import stopped: ..." to the database log.
void CloseAccount(ImportContext& ctx);

// Appends the "Procesez inregistrarea %d ..." progress text to `out`.
void AppendProgressText(std::string& out, std::int64_t number);

// True when the element's name, upper-cased over a to z, equals `upperName`.
bool HasName(const XmlElement& element, std::string_view upperName);
// The closing texts "Procesat %d inregistrari" and "Finalizat de procesat %d inregistrari".
std::string ProcessedText(std::int64_t total);
std::string FinishedText(std::int64_t total);
// Show those texts as the status line and keep `total` as the run's record count.
void ShowProcessed(ImportContext& ctx, std::int64_t total);
void ShowFinished(ImportContext& ctx, std::int64_t total);
// Keeps `total` as the run's record count and leaves the status line as it is, for routines
// without a closing text (the last progress message stays).
void KeepRecordTotal(ImportContext& ctx, std::int64_t total);

// A record's statement, or the reason it must not be sent (the values that cannot stand in it).
// `sendAlone` marks a statement that must not join a batch of statements: a value in it may
// fail a conversion on the server, which would end the whole rest of the batch.
struct RecordStatement {
  std::string sql;
  std::string skipReason;
  bool sendAlone = false;

  // Adds one more reason, after "; " when there is one already, so that the log names every
  // value of the record that cannot be written.
  void addSkipReason(std::string_view reason);
};

// Builds a record's statement from its attributes.
using StatementBuilder = RecordStatement (*)(const RecordReader&);

// Adds "<name> is not a number: '<value>'" to the statement's skip reasons when `value`, which
// the statement writes unquoted, is not a plain number (anything else could be read as SQL).
void RequirePlainNumber(RecordStatement& statement, std::string_view name, std::string_view value);

// How an import holds a real before writing it.
enum class RealPrecision { Single, Double };

// The real attribute `name` as a statement writes it with `decimals` decimals ("%0.2f" is 2),
// held first in `precision`. A value that cannot be written (beyond the precision's range, or
// more digits than a numeric literal may have) adds a reason naming the attribute and its text
// to `statement`, which is then skipped, and the text as read stands in the logged statement.
// Text that is no number is 0 and is written.
std::string RealForStatement(const RecordReader& r, std::string_view name, RealPrecision precision,
                             int decimals, RecordStatement& statement);

// The integer attribute `name` as a statement writes it ("%d"). A value beyond 32 bits (which
// the column could not hold, and which would otherwise be stored clamped) adds a reason naming
// the attribute and its text to `statement`, which is then skipped, and the text as read stands
// in the logged statement. Text that is no number is 0 and is written.
std::string IntegerForStatement(const RecordReader& r, std::string_view name,
                                RecordStatement& statement);

// The send-or-skip step of one record: executes the statement, or, when it carries a skip
// reason, skips the record (SkipRecord). A failed database is the record loop's to act on.
void ExecuteRecord(ImportContext& ctx, const RecordStatement& statement);
// The same for a record whose outcome decides nothing that follows: its statement may wait to be
// sent with others (CAdoDatabase::Queue); a skipped one is logged in its place among them.
void QueueRecord(ImportContext& ctx, const RecordStatement& statement);

// Sends nothing for a record that must not be written: logs "Record skipped: <reason>" and the
// statement as it would have been (when there is one) to the database log, and counts it.
void SkipRecord(ImportContext& ctx, std::string_view reason, std::string_view sql = {});

// Runs a statement whose failure the import expects (dropping a table that may not exist): a
// failure is logged like any other but not counted as a rejected statement.
bool ExecuteExpectingFailure(ImportContext& ctx, std::string_view sql);

// Runs the statement that empties a section's table before the section's records refill it.
// When it fails, the records must not be written (they would join the rows that stayed), nor
// the section's closing statements: logs "Section skipped: <section>: ..." and counts the
// section, then gives SectionSkipped so the routine leaves the section as it was and goes on
// (Stop when the failure broke the database).
Step EmptySectionTable(ImportContext& ctx, std::string_view sql, std::string_view section);

// The one rule for a row id read back from the database: a 32-bit integer, or a real that is a
// whole number within 32 bits (a numeric such as SCOPE_IDENTITY() may arrive as one). Nothing
// for NULL, text, a fraction, NaN or a number beyond 32 bits.
std::optional<std::int32_t> RowIdOf(const DbValue& value);

// Opens the look-up recordset on `query`; true when it opened with a current row, in which case
// `id` (if given) receives the field ID (RowIdOf). An ID that is no 32-bit id makes the look-up
// fail (false, logged), as does a recordset that cannot be opened. The recordset is closed
// again.
bool LookupRow(ImportContext& ctx, const std::string& query, std::int32_t* id = nullptr);

// Opens the look-up recordset on `query` and reads the field ID of its current row (RowIdOf).
// Nothing when the recordset did not open, has no row, or ID is no 32-bit id (NULL, as
// "select max(id) ..." gives for an empty table). The recordset is closed again.
std::optional<std::int32_t> LookupId(ImportContext& ctx, const std::string& query);

// Shows the invalid-record prompt; true when the user chose to go on (Yes), in which case the
// record counts as skipped at the prompt with `reason`. A No marks the import as stopped.
bool AskContinueAfterInvalidRecord(ImportContext& ctx, std::string_view reason = {});

}  // namespace qiva::import
