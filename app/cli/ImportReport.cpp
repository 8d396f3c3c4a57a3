// ImportReport.cpp: summary line and JSON report of a command-line import.
#include "app/cli/ImportReport.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/cli/CliOptions.h"

namespace {

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", seconds);
  return text;
}

// Local time as "YYYY-MM-DDThh:mm:ss+hhmm".
std::string LocalTimeText(std::chrono::system_clock::time_point when) {
  const std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  char text[40];
  const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  return std::string(text, n);
}

std::string Counts(const ImportOutcome& o) {
  std::string text = std::to_string(o.records) +
                     (o.databaseFailed ? " records written, " : " records, ") +
                     std::to_string(o.rejectedStatements) + " statements rejected, " +
                     std::to_string(o.skippedTotal()) + " records skipped";
  if (o.skippedSections > 0) {
    text += ", " + std::to_string(o.skippedSections) + " sections left unchanged";
  }
  return text;
}

std::string OutcomeWord(int exitStatus) {
  switch (exitStatus) {
    case kExitOk:
      return "imported";
    case kExitStopped:
      return "stopped";
    case kExitUsage:
      return "usage error";
    case kExitConfiguration:
      return "configuration not loaded";
    case kExitDatabase:
      return "database failed";
    case kExitLosses:
      return "imported with losses";
    case kExitNotRead:
      return "file not read";
    default:
      return "unknown";
  }
}

nlohmann::json NullIfEmpty(const std::string& text) {
  return text.empty() ? nlohmann::json(nullptr) : nlohmann::json(text);
}

// The first kRecordNoteLimit records of a list; the rest are only counted beside it.
nlohmann::json NoteList(const std::vector<RecordNote>& notes, const char* reasonName) {
  nlohmann::json list = nlohmann::json::array();
  for (const RecordNote& note : notes) {
    list.push_back({{"section", NullIfEmpty(note.section)},
                    {"record", note.record > 0 ? nlohmann::json(note.record) : nullptr},
                    {"key", NullIfEmpty(note.key)},
                    {reasonName, note.reason}});
  }
  return list;
}

std::int64_t NotListed(std::int64_t total, std::size_t listed) {
  const auto n = static_cast<std::int64_t>(listed);
  return total > n ? total - n : 0;
}

const char* StopCauseWord(StopCause cause) {
  switch (cause) {
    case StopCause::Request:
      return "request";
    case StopCause::Prompt:
      return "prompt";
    case StopCause::None:
      break;
  }
  return nullptr;
}

}  // namespace

std::string SummaryLine(const ImportReport& report) {
  const ImportOutcome& o = report.outcome;
  std::string line = "summary: ";
  if (!report.routineRan) {
    line += OutcomeWord(report.exitStatus) + ", nothing imported, " + Seconds(report.seconds);
  } else if (o.databaseFailed) {
    line += "the database failed during the import (" + Counts(o) + "), " + Seconds(report.seconds);
  } else if (!o.fileRead) {
    line += "file not read (" + FileNotReadReason(o) + "), nothing imported, " +
            Seconds(report.seconds);
  } else if (o.stopped != StopCause::None) {
    line += "stopped: " + StopAccount(o) + "; " + Counts(o) + ", " + Seconds(report.seconds);
  } else {
    line += Counts(o) + ", " + Seconds(report.seconds);
  }
  if (report.exitStatus != kExitOk && report.databaseLogWritten && !report.databaseLog.empty()) {
    line += "; details in " + report.databaseLog;
  }
  return line;
}

std::string PlacesLine(const ImportReport& report) {
  std::string line = "places: configuration " + report.configuration;
  if (!report.databaseName.empty()) line += "; database " + report.databaseName;
  line += report.logFolder.empty() ? "; logs: no folder can be written, the logs are lost"
                                   : "; logs in " + report.logFolder;
  return line;
}

std::string ReportJson(const ImportReport& report) {
  const ImportOutcome& o = report.outcome;
  nlohmann::json parse = nullptr;
  if (report.routineRan && o.fileParsed) {
    parse = {{"code", o.parse.code},         {"message", errorText(o.parse.code)},
             {"line", o.parse.line},         {"column", o.parse.column},
             {"cutShort", o.parse.cutShort}, {"rootTag", o.rootTag}};
  }
  nlohmann::json incomplete = nlohmann::json::array();
  if (o.incomplete) {
    const IncompleteSection& s = *o.incomplete;
    incomplete.push_back({{"section", s.name},
                          {"table", NullIfEmpty(s.table)},
                          {"rows", s.rowsHeld >= 0 ? nlohmann::json(s.rowsHeld) : nullptr},
                          {"rowsWritten", s.rowsWritten},
                          {"fileRecords", s.fileRecords}});
  }
  nlohmann::json json = {
      {"kind", report.kind},
      {"file", report.file},
      {"started", LocalTimeText(report.started)},
      {"ended", LocalTimeText(report.ended)},
      {"seconds", report.seconds},
      {"records", o.records},
      {"rejected", o.rejectedStatements},
      {"skipped", o.skippedTotal()},
      {"skippedAtPrompt", o.skippedAtPrompt},
      {"sectionsLeftUnchanged", o.skippedSections},
      {"fileRead", report.routineRan && o.fileRead},
      {"parse", parse},
      {"databaseFailed", o.databaseFailed},
      {"database",
       report.databaseKind.empty() ? nlohmann::json(nullptr) : nlohmann::json(report.databaseKind)},
      {"databaseName",
       report.databaseName.empty() ? nlohmann::json(nullptr) : nlohmann::json(report.databaseName)},
      {"databaseLog",
       report.databaseLog.empty() ? nlohmann::json(nullptr) : nlohmann::json(report.databaseLog)},
      {"configuration", report.configuration},
      {"logFolder",
       report.logFolder.empty() ? nlohmann::json(nullptr) : nlohmann::json(report.logFolder)},
      {"logWarning",
       report.logWarning.empty() ? nlohmann::json(nullptr) : nlohmann::json(report.logWarning)},
      {"stopped", o.stopped != StopCause::None},
      {"stopCause", o.stopped == StopCause::None ? nlohmann::json(nullptr)
                                                 : nlohmann::json(StopCauseWord(o.stopped))},
      {"sectionsWritten", o.sectionsWhole},
      {"incompleteSections", incomplete},
      {"skippedRecords", NoteList(o.skippedList, "reason")},
      {"skippedRecordsNotListed", NotListed(o.skippedTotal(), o.skippedList.size())},
      {"rejectedStatements", NoteList(o.rejectedList, "error")},
      {"rejectedStatementsNotListed", NotListed(o.rejectedStatements, o.rejectedList.size())},
      {"outcome", OutcomeWord(report.exitStatus)},
      {"exitStatus", report.exitStatus},
  };
  // Present only after a failed connection, so that a job can show it as it is.
  if (!report.connectionAdvice.empty()) json["advice"] = report.connectionAdvice;
  // Texts are the file's bytes; a name that is not UTF-8 must not make the report unwritable.
  return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool WriteReportFile(const std::string& path, const ImportReport& report) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << ReportJson(report);
  return static_cast<bool>(out.flush());
}
