// ImportConventions.h: the toolkit every import routine is built from: the two tree walks, the
// two record loops with their progress texts, statement execution with the skip rule for
// values that cannot be written safely, the existence look-up and the invalid-record prompt.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/ImportRoutine.h"
#include "xml/XmlParser.h"

namespace qiva::import {

inline constexpr std::string_view kInvalidRecordPrompt = "Inregistrare invalida\nContinui ?";

// Upper-cased (a to z only) copy of an element's name; "" for the empty element.
std::string UpperName(const XmlElement& element);

enum class WalkOrder {
  DocumentFirst,  // the document element itself, then its children
  ChildrenOnly,   // only the document element's children
};

// Calls `visit` with each element of the walk and its upper-cased name, stopping at the first
// empty child. `visit` returns false to end the walk early.
void WalkSections(const XmlElement& root, WalkOrder order,
                  const std::function<bool(const XmlElement&, const std::string&)>& visit);

// Appends the "Procesez inregistrarea %d ..." progress text to `out`.
void AppendProgressText(std::string& out, std::int64_t number);

// True when the element's name, upper-cased over a to z, equals `upperName`.
bool HasName(const XmlElement& element, std::string_view upperName);
// The closing texts "Procesat %d inregistrari" and "Finalizat de procesat %d inregistrari".
std::string ProcessedText(std::int64_t total);
std::string FinishedText(std::int64_t total);

// Visited-count loop: every non-empty child adds one to `counter` and shows its progress text;
// children named `recordName` (upper case) are passed to `write`; `afterChild` (if set) runs
// after every child. `write` returns false to stop the routine; the loop then returns false.
bool VisitedCountLoop(ImportContext& ctx, const XmlElement& section, std::string_view recordName,
                      std::int64_t& counter, const std::function<bool(const XmlElement&)>& write,
                      const std::function<void()>& afterChild = {});

// Written-count loop: for each child named `recordName`, `write` runs, then the progress text
// shows the number written before it, and `counter` grows by one.
bool WrittenCountLoop(ImportContext& ctx, const XmlElement& section, std::string_view recordName,
                      std::int64_t& counter, const std::function<bool(const XmlElement&)>& write);

// A record's statement, or the reason it must not be sent (a value that cannot stand in it).
struct RecordStatement {
  std::string sql;
  std::string skipReason;
};

// Executes the statement, or, when it carries a skip reason, logs "Record skipped: <reason>"
// and the statement as it would have been to the database log and sends nothing.
// Returns the result of the execution (false for a skipped record).
bool ExecuteRecord(ImportContext& ctx, const RecordStatement& statement);

// Opens the look-up recordset on `query`; true when it opened with a current row, in which case
// `id` (if given) receives the field ID as a 32-bit integer. The recordset is closed again.
bool LookupRow(ImportContext& ctx, const std::string& query, std::int32_t* id = nullptr);

// Shows the invalid-record prompt; true when the user chose to go on (Yes).
bool AskContinueAfterInvalidRecord(ImportContext& ctx);

}  // namespace qiva::import
