// ImportReport.h: the account of one command-line import: the one-line summary printed after
// the last status text, and the JSON report that scheduled jobs and monitoring read.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "import/toolkit/ImportOutcome.h"

struct ImportReport {
  std::string kind;  // the KIND word
  std::string file;  // the file's full path
  std::chrono::system_clock::time_point started;
  std::chrono::system_clock::time_point ended;
  double seconds = 0;
  bool routineRan = false;    // false when the run ended before the routine (no file, no database)
  ImportOutcome outcome;      // meaningful when routineRan
  std::string databaseKind;   // "sqlite", "odbc", or "" when the configuration was not loaded
  std::string databaseName;   // the embedded file's path, or the server (or DSN) and database
  std::string databaseLog;    // full path of _database.log; empty when no log can be written
  std::string configuration;  // the configuration file used (or looked for, when not loaded)
  std::string logFolder;      // where the logs went; empty when no folder could be written
  std::string logWarning;     // what was said on standard error about the log folder, or ""
  std::uintmax_t databaseLogSizeAtStart = 0;  // its size when the run began
  bool databaseLogWritten = false;            // this run added to it
  std::string connectionAdvice;               // after a failed connection: the advice line, else ""
  int exitStatus = 0;
};

// "summary: ..." on one line: records, statements rejected, records skipped and the elapsed
// time; the file-not-read reason, the stop or the database failure first when there is one;
// the database log's path when something went wrong and this run wrote to the log.
std::string SummaryLine(const ImportReport& report);

// "places: ..." on one line: the configuration file, the database and the log folder used,
// or that the logs could not be written anywhere.
std::string PlacesLine(const ImportReport& report);

// The report as a JSON object (see the README for its fields).
std::string ReportJson(const ImportReport& report);

// Writes ReportJson to `path` (replacing the file); false when it cannot be written.
bool WriteReportFile(const std::string& path, const ImportReport& report);
