// ImportConventions.cpp: tree walks, record loops, progress texts, statement execution and
// look-ups shared by the import routines.
#include "import/ImportConventions.h"

#include <limits>
#include <optional>

#include "app/TextUtil.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "import/SqlText.h"

namespace qiva::import {

XmlElement OpenImportFile(ImportContext& ctx, const std::string& path, std::string_view tag) {
  ImportOutcome& outcome = ctx.outcome;
  XmlElement root = openFileHelper(path, tag, outcome.parse);
  outcome.fileParsed = true;
  outcome.rootTag = std::string(tag);
  outcome.fileRead = !root.isNull() && !outcome.parse.cutShort;
  return outcome.fileRead ? root : XmlElement();
}

bool DatabaseFailed(const ImportContext& ctx) { return ctx.database.IsBroken(); }

std::string UpperName(const XmlElement& element) {
  const char* name = element.tagName();
  std::string upper = name ? name : "";
  ToUpperAscii(upper);
  return upper;
}

void WalkSections(const XmlElement& root, WalkOrder order,
                  const std::function<bool(const XmlElement&, const std::string&)>& visit) {
  if (root.isNull()) return;
  if (order == WalkOrder::DocumentFirst && !visit(root, UpperName(root))) return;
  for (int i = 0;; ++i) {
    XmlElement section = root.childAt(i);
    if (section.isNull() || !visit(section, UpperName(section))) return;
  }
}

void AppendProgressText(std::string& out, std::int64_t number) {
  out.append("Procesez inregistrarea ");
  out.append(IntText(number));
  out.append(" ...");
}

bool HasName(const XmlElement& element, std::string_view upperName) {
  const char* name = element.tagName();
  return EqualsIgnoringAsciiCase(name ? name : "", upperName);
}

std::string ProcessedText(std::int64_t total) {
  return "Procesat " + IntText(total) + " inregistrari";
}

std::string FinishedText(std::int64_t total) {
  return "Finalizat de procesat " + IntText(total) + " inregistrari";
}

void ShowProcessed(ImportContext& ctx, std::int64_t total) {
  ctx.outcome.records = total;
  ctx.frontEnd.SetStatusText(ProcessedText(total));
}

void ShowFinished(ImportContext& ctx, std::int64_t total) {
  ctx.outcome.records = total;
  ctx.frontEnd.SetStatusText(FinishedText(total));
}

void KeepRecordTotal(ImportContext& ctx, std::int64_t total) { ctx.outcome.records = total; }

bool VisitedCountLoop(ImportContext& ctx, const XmlElement& section, std::string_view recordName,
                      std::int64_t& counter, const std::function<bool(const XmlElement&)>& write,
                      const std::function<void()>& afterChild) {
  std::string progress;  // one buffer for every record's progress text
  for (int i = 0;; ++i) {
    XmlElement child = section.childAt(i);
    if (child.isNull()) return true;
    progress.clear();
    AppendProgressText(progress, ++counter);
    ctx.frontEnd.SetStatusText(progress);
    if (HasName(child, recordName) && !write(child)) return false;
    if (afterChild) afterChild();
    if (DatabaseFailed(ctx)) return false;
  }
}

bool WrittenCountLoop(ImportContext& ctx, const XmlElement& section, std::string_view recordName,
                      std::int64_t& counter, const std::function<bool(const XmlElement&)>& write) {
  std::string progress;
  for (int i = 0;; ++i) {
    XmlElement child = section.childAt(i);
    if (child.isNull()) return true;
    if (!HasName(child, recordName)) continue;
    if (!write(child) || DatabaseFailed(ctx)) return false;
    progress.clear();
    AppendProgressText(progress, counter);
    ctx.frontEnd.SetStatusText(progress);
    ++counter;
  }
}

void RecordStatement::addSkipReason(std::string_view reason) {
  if (!skipReason.empty()) skipReason.append("; ");
  skipReason.append(reason);
}

std::string RealForStatement(const RecordReader& r, std::string_view name, RealPrecision precision,
                             int decimals, RecordStatement& statement) {
  std::optional<std::string> text;
  if (precision == RealPrecision::Single) {
    if (const std::optional<float> value = r.realSingle(name)) {
      text = SqlFixedText(static_cast<double>(*value), decimals);
    }
  } else {
    text = SqlFixedText(r.realDouble(name), decimals);
  }
  if (text) return std::move(*text);
  const std::string_view read = r.text(name);
  std::string reason(name);
  reason.append(" is out of range: '").append(read).append("'");
  statement.addSkipReason(reason);
  return std::string(read);
}

std::string IntegerForStatement(const RecordReader& r, std::string_view name,
                                RecordStatement& statement) {
  if (const std::optional<std::int32_t> value = r.integerInRange(name)) return IntText(*value);
  const std::string_view read = r.text(name);
  std::string reason(name);
  reason.append(" is out of range: '").append(read).append("'");
  statement.addSkipReason(reason);
  return std::string(read);
}

bool ExecuteRecord(ImportContext& ctx, const RecordStatement& statement) {
  if (statement.skipReason.empty()) return ctx.database.Execute(statement.sql);
  SkipRecord(ctx, statement.skipReason, statement.sql);
  return false;
}

void QueueRecord(ImportContext& ctx, const RecordStatement& statement) {
  if (statement.skipReason.empty()) return ctx.database.Queue(statement.sql);
  SkipRecord(ctx, statement.skipReason, statement.sql);
}

void SkipRecord(ImportContext& ctx, std::string_view reason, std::string_view sql) {
  std::string record = "Record skipped: ";
  record.append(reason);
  if (!sql.empty()) {
    record += '\n';
    record.append(sql);
  }
  ctx.database.LogInOrder(record);
  ++ctx.outcome.skippedRecords;
}

bool ExecuteExpectingFailure(ImportContext& ctx, std::string_view sql) {
  if (ctx.database.Execute(sql)) return true;
  ++ctx.expectedFailures;
  return false;
}

bool EmptySectionTable(ImportContext& ctx, std::string_view sql, std::string_view section) {
  if (ctx.database.Execute(sql)) return true;
  std::string record = "Section skipped: ";
  record.append(section);
  record.append(": its table could not be emptied, so its records were not written and the "
                "table was left as it was");
  ctx.database.Log(record);
  ++ctx.outcome.skippedSections;
  return false;
}

namespace {

// The ID field as a 32-bit integer; false when it holds a real beyond 32 bits or NaN
// (converting those would be undefined behaviour). A real id in range drops its fraction, as a
// conversion to integer does. Other kinds (text, NULL) leave `id` as it was, as they always did.
bool readLookupId(const DbValue& value, std::int32_t& id) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) {
    id = *number;
  } else if (const auto* real = std::get_if<double>(&value)) {
    // The bounds are exact in double; NaN fails both tests.
    constexpr double kBelow = static_cast<double>(std::numeric_limits<std::int32_t>::min()) - 1;
    constexpr double kAbove = static_cast<double>(std::numeric_limits<std::int32_t>::max()) + 1;
    if (!(*real > kBelow && *real < kAbove)) return false;
    id = static_cast<std::int32_t>(*real);
  }
  return true;
}

}  // namespace

bool LookupRow(ImportContext& ctx, const std::string& query, std::int32_t* id) {
  bool found = ctx.recordset.Open(query, &ctx.database) && !ctx.recordset.IsEOF();
  if (found && id && !readLookupId(ctx.recordset.GetFieldValue("ID"), *id)) {
    ctx.database.Log("Look-up failed: the id does not fit 32 bits\n" + query);
    found = false;
  }
  ctx.recordset.Close();
  return found;
}

std::optional<std::int32_t> LookupId(ImportContext& ctx, const std::string& query) {
  std::optional<std::int32_t> id;
  if (ctx.recordset.Open(query, &ctx.database) && !ctx.recordset.IsEOF()) {
    const DbValue value = ctx.recordset.GetFieldValue("ID");
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
      id = *number;
    } else if (const auto* real = std::get_if<double>(&value);
               real && *real >= INT32_MIN && *real <= INT32_MAX) {
      id = static_cast<std::int32_t>(*real);
    }
  }
  ctx.recordset.Close();
  return id;
}

bool AskContinueAfterInvalidRecord(ImportContext& ctx) {
  ctx.database.SendPending();  // what the user stops, or goes on after, has been sent whole
  const bool goOn = ctx.frontEnd.AskYesNo(std::string(kInvalidRecordPrompt));
  if (goOn) ++ctx.outcome.skippedAtPrompt;
  return goOn;
}

}  // namespace qiva::import
