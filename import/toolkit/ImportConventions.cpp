// ImportConventions.cpp: tree walks, record loops, progress texts, statement execution and
// look-ups shared by the import routines.
#include "import/toolkit/ImportConventions.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <system_error>

#include "base/TextUtil.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "import/toolkit/FileKinds.h"
#include "import/toolkit/SqlText.h"

namespace qiva::import {

namespace {

bool IsNameByte(unsigned char c) {
  return c > ' ' && c != '>' && c != '/' && c != '=' && c != '<' && c != '"' && c != '\'';
}

// Says why a file that was not parsed is no XML of the expected kind, in the outcome: it is
// empty, holds no element at all, or has another root.
void TellWhyNotRead(ImportOutcome& outcome, const std::string& path) {
  if (outcome.parse.code == kXmlErrorFileNotFound) return;  // the parser's reason says it
  std::error_code error;
  if (std::filesystem::file_size(path, error) == 0 && !error) {
    outcome.fileEmpty = true;
    return;
  }
  if (outcome.parse.cutShort) return;
  const std::string first = FirstElementName(path);
  if (first.empty()) {
    outcome.notXml = true;
  } else if (outcome.parse.code == kXmlErrorFirstTagNotFound) {
    outcome.rootFound = first;
  }
}

}  // namespace

std::string FirstElementName(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return {};
  unsigned char bytes[4096];
  const std::size_t count = std::fread(bytes, 1, sizeof bytes, file);
  std::fclose(file);
  std::string text(reinterpret_cast<const char*>(bytes), count);
  // 16-bit text: its ASCII letters are enough to find a name.
  const bool wide =
      count >= 2 && (text[0] == '\0' || text[1] == '\0' || (bytes[0] == 0xFF && bytes[1] == 0xFE) ||
                     (bytes[0] == 0xFE && bytes[1] == 0xFF));
  if (wide) {
    std::string narrow;
    for (std::size_t i = 2; i < text.size(); ++i) {
      if (text[i] != '\0') narrow += text[i];
    }
    text = std::move(narrow);
  } else if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
    text.erase(0, 3);
  }
  std::size_t at = 0;
  for (;;) {
    while (at < text.size() && static_cast<unsigned char>(text[at]) <= ' ') ++at;
    if (at >= text.size() || text[at] != '<') return {};
    std::string_view rest = std::string_view(text).substr(at);
    std::size_t end = std::string_view::npos;
    if (rest.rfind("<?", 0) == 0) {
      end = rest.find("?>");
    } else if (rest.rfind("<!--", 0) == 0) {
      end = rest.find("-->");
    } else if (rest.rfind("<!", 0) == 0) {
      end = rest.find('>');
    } else {
      std::size_t n = 1;
      while (n < rest.size() && IsNameByte(static_cast<unsigned char>(rest[n]))) ++n;
      return std::string(rest.substr(1, n - 1));
    }
    if (end == std::string_view::npos) return {};
    at += end + 1;
  }
}

XmlElement OpenImportFile(ImportContext& ctx, const std::string& path, std::string_view tag) {
  return OpenImportFile(ctx, path, std::vector<std::string>{std::string(tag)});
}

XmlElement OpenImportFile(ImportContext& ctx, const std::string& path,
                          const std::vector<std::string>& tags) {
  ImportOutcome& outcome = ctx.outcome;
  outcome.fileEmpty = outcome.notXml = false;
  outcome.rootFound.clear();
  outcome.notOfKind.clear();
  outcome.looksLike.clear();
  XmlElement root;
  std::string tag;
  for (const std::string& candidate : tags) {
    tag = candidate;
    root = openFileQuietly(path, tag, outcome.parse);
    if (!root.isNull() || outcome.parse.cutShort) break;
  }
  if (outcome.parse.code != kXmlNoError) {
    const std::string message = parseErrorMessage(path, tag, outcome.parse);
    std::fwrite(message.data(), 1, message.size(), stdout);
    std::fflush(stdout);
  }
  outcome.fileParsed = true;
  outcome.rootTag = tag;
  outcome.fileRead = !root.isNull() && !outcome.parse.cutShort;
  if (!outcome.fileRead) {
    TellWhyNotRead(outcome, path);
    return XmlElement();
  }
  if (!ctx.fileKind.empty() && !HoldsSectionsOf(root, ctx.fileKind)) {
    outcome.fileRead = false;
    outcome.notOfKind = std::string(ctx.fileKind);
    if (const FileKindSections* fits = KindThatFits(root, ctx.fileKind)) {
      outcome.looksLike = std::string(fits->kind);
    }
    return XmlElement();
  }
  // A stop asked for while the file was parsed ends the import before its first statement.
  if (StopAfterSection(ctx)) {
    outcome.stopped = StopCause::Request;
    return XmlElement();
  }
  return root;
}

bool DatabaseFailed(const ImportContext& ctx) { return ctx.database.IsBroken(); }

Step StepAfterSend(const ImportContext& ctx) {
  return DatabaseFailed(ctx) ? Step::Stop : Step::GoOn;
}

std::string UpperName(const XmlElement& element) {
  const char* name = element.tagName();
  std::string upper = name ? name : "";
  ToUpperAscii(upper);
  return upper;
}

namespace {

bool IsSectionName(const FileKindSections* kind, const std::string& upperName) {
  if (kind == nullptr) return false;
  if (!kind->rootSection.empty() && upperName == kind->rootSection) return true;
  for (std::string_view name : kind->sections) {
    if (name == upperName) return true;
  }
  return false;
}

void BeginSection(ImportContext& ctx, const XmlElement& element) {
  ImportPosition& p = ctx.position;
  const char* name = element.tagName();
  p = ImportPosition{};
  p.inSection = true;
  p.section = name ? name : "";
  p.fileRecords = element.childCount();
}

// The table a "delete from TABLE ..." statement empties; "" for any other text.
std::string TableEmptiedBy(std::string_view sql) {
  std::string upper(sql);
  ToUpperAscii(upper);
  const std::size_t from = upper.find("FROM ");
  if (upper.find("DELETE") == std::string::npos || from == std::string::npos) return {};
  std::size_t begin = from + 5;
  while (begin < sql.size() && sql[begin] == ' ') ++begin;
  std::size_t end = begin;
  while (end < sql.size() && static_cast<unsigned char>(sql[end]) > ' ') ++end;
  return std::string(sql.substr(begin, end - begin));
}

// The record's key attribute as "name=value": the first of the names the files use for one.
std::string KeyOf(const XmlElement* record) {
  if (record == nullptr || record->isNull()) return {};
  static constexpr std::string_view kKeyNames[] = {"code",       "stencil", "stencilNo", "pid",
                                                   "contractNo", "cnp",     "AppID",     "id"};
  for (std::string_view name : kKeyNames) {
    if (const char* value = record->attributeValue(name)) {
      return std::string(name) + "=" + value;
    }
  }
  return {};
}

RecordNote NoteHere(const ImportContext& ctx, std::string reason) {
  const ImportPosition& p = ctx.position;
  RecordNote note;
  if (p.inSection) note.section = p.section;
  if (p.record != nullptr) note.record = p.recordNumber;
  note.key = KeyOf(p.record);
  note.reason = std::move(reason);
  return note;
}

void AddNote(std::vector<RecordNote>& list, RecordNote note) {
  if (list.size() < kRecordNoteLimit) list.push_back(std::move(note));
}

}  // namespace

bool StopAfterSection(const ImportContext& ctx) {
  return ctx.stopRequests != nullptr && ctx.stopRequests->load() >= 1;
}

bool StopAtRecord(ImportContext& ctx) {
  if (ctx.stopRequests == nullptr || ctx.stopRequests->load() < 2) return false;
  ctx.outcome.stopped = StopCause::Request;
  return true;
}

bool WalkSections(ImportContext& ctx, const XmlElement& root, WalkOrder order,
                  const std::function<bool(const XmlElement&, const std::string&)>& visit) {
  if (ctx.outcome.stopped != StopCause::None) return false;
  if (root.isNull()) return true;
  const FileKindSections* kind = FindFileKind(ctx.fileKind);
  auto visitOne = [&](const XmlElement& element) {
    if (StopAfterSection(ctx)) {
      ctx.outcome.stopped = StopCause::Request;
      return false;
    }
    const std::string name = UpperName(element);
    const bool section = IsSectionName(kind, name);
    if (section) BeginSection(ctx, element);
    const bool goOn = visit(element, name);
    NoteRejections(ctx);
    if (section && goOn && ctx.position.inSection && ctx.outcome.stopped == StopCause::None) {
      ctx.outcome.sectionsWhole.push_back(ctx.position.section);
      ctx.position.inSection = false;
    }
    return goOn && ctx.outcome.stopped == StopCause::None;
  };
  if (order == WalkOrder::DocumentFirst && !visitOne(root)) return false;
  for (const XmlElement& section : root.children()) {
    if (!visitOne(section)) return false;
  }
  return true;
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

void RecordStatement::addSkipReason(std::string_view reason) {
  if (!skipReason.empty()) skipReason.append("; ");
  skipReason.append(reason);
}

void RequirePlainNumber(RecordStatement& statement, std::string_view name, std::string_view value) {
  if (IsPlainNumber(value)) return;
  std::string reason(name);
  reason.append(" is not a number: '").append(value).append("'");
  statement.addSkipReason(reason);
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

void ExecuteRecord(ImportContext& ctx, const RecordStatement& statement) {
  if (statement.skipReason.empty()) {
    if (ctx.database.Execute(statement.sql, 1)) ++ctx.position.rowsWritten;
    NoteRejections(ctx);
  } else {
    SkipRecord(ctx, statement.skipReason, statement.sql);
  }
}

void QueueRecord(ImportContext& ctx, const RecordStatement& statement) {
  if (statement.skipReason.empty()) {
    ctx.database.Queue(statement.sql, 1);
    ++ctx.position.rowsWritten;  // sent; a refusal in its group is noted when the group goes
  } else {
    SkipRecord(ctx, statement.skipReason, statement.sql);
  }
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
  AddNote(ctx.outcome.skippedList, NoteHere(ctx, std::string(reason)));
}

bool ExecuteExpectingFailure(ImportContext& ctx, std::string_view sql) {
  NoteRejections(ctx);
  if (ctx.database.Execute(sql)) return true;
  ++ctx.expectedFailures;
  ++ctx.failedExecutesNoted;
  return false;
}

Step EmptySectionTable(ImportContext& ctx, std::string_view sql, std::string_view section) {
  if (ctx.position.inSection && ctx.position.table.empty()) {
    ctx.position.table = TableEmptiedBy(sql);
  }
  if (ctx.database.Execute(sql)) return Step::GoOn;
  NoteRejections(ctx);
  // Left as it was: the section is neither written whole nor incomplete.
  if (ctx.position.table == TableEmptiedBy(sql)) ctx.position.inSection = false;
  std::string record = "Section skipped: ";
  record.append(section);
  record.append(
      ": its table could not be emptied, so its records were not written and the "
      "table was left as it was");
  ctx.database.Log(record);
  ++ctx.outcome.skippedSections;
  return DatabaseFailed(ctx) ? Step::Stop : Step::SectionSkipped;
}

std::optional<std::int32_t> RowIdOf(const DbValue& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
  const auto* real = std::get_if<double>(&value);
  // The bounds are exact in double; NaN fails them, and a whole number equals its truncation.
  constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
  if (real == nullptr || !(*real >= kLowest && *real <= kHighest) || std::trunc(*real) != *real) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(*real);
}

bool LookupRow(ImportContext& ctx, const std::string& query, std::int32_t* id) {
  bool found = ctx.recordset.Open(query, &ctx.database) && !ctx.recordset.IsEOF();
  if (found && id) {
    const DbValue value = ctx.recordset.GetFieldValue("ID");
    if (const std::optional<std::int32_t> read = RowIdOf(value)) {
      *id = *read;
    } else {
      ctx.database.Log((std::holds_alternative<double>(value)
                            ? "Look-up failed: the id does not fit 32 bits\n"
                            : "Look-up failed: the id is not a number\n") +
                       query);
      found = false;
    }
  }
  ctx.recordset.Close();
  return found;
}

std::optional<std::int32_t> LookupId(ImportContext& ctx, const std::string& query) {
  std::optional<std::int32_t> id;
  if (ctx.recordset.Open(query, &ctx.database) && !ctx.recordset.IsEOF()) {
    id = RowIdOf(ctx.recordset.GetFieldValue("ID"));
  }
  ctx.recordset.Close();
  return id;
}

bool AskContinueAfterInvalidRecord(ImportContext& ctx, std::string_view reason) {
  ctx.database.SendPending();  // what the user stops, or goes on after, has been sent whole
  const bool goOn = ctx.frontEnd.AskYesNo(std::string(kInvalidRecordPrompt));
  if (goOn) {
    ++ctx.outcome.skippedAtPrompt;
    AddNote(ctx.outcome.skippedList, NoteHere(ctx, std::string(reason)));
  } else {
    ctx.outcome.stopped = StopCause::Prompt;
  }
  return goOn;
}

void NoteRejections(ImportContext& ctx) {
  const std::int64_t failed = ctx.database.FailedExecuteCount();
  if (failed <= ctx.failedExecutesNoted) return;
  std::string error = !ctx.database.m_szProviderError.empty() ? ctx.database.m_szProviderError
                                                              : ctx.database.m_szComError;
  const std::size_t text = error.find_first_not_of(" \t\r\n");
  error.erase(0, text == std::string::npos ? error.size() : text);
  for (; ctx.failedExecutesNoted < failed; ++ctx.failedExecutesNoted) {
    AddNote(ctx.outcome.rejectedList, NoteHere(ctx, error));
  }
}

void CloseAccount(ImportContext& ctx) {
  NoteRejections(ctx);
  ImportOutcome& outcome = ctx.outcome;
  if (outcome.stopped == StopCause::None) return;
  const ImportPosition& p = ctx.position;
  if (p.inSection) {
    IncompleteSection section{.name = p.section,
                              .table = p.table,
                              .fileRecords = p.fileRecords,
                              .rowsWritten = p.rowsWritten};
    if (!p.table.empty() && !DatabaseFailed(ctx)) {
      if (const auto rows = LookupId(ctx, "select count(*) as ID from " + p.table)) {
        section.rowsHeld = *rows;
      }
    }
    outcome.incomplete = std::move(section);
  }
  ctx.database.Log("Import stopped: " + StopAccount(outcome));
}

}  // namespace qiva::import
