// CliProgram.cpp: the subcommands of qiva-import. Paths given on the command line resolve
// against the folder the program was started in; then, as in the dialog program, the program
// folder becomes the working folder for the logs and a relative database name.
#include "app/cli/CliProgram.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "app/FileLock.h"
#include "app/INILoader.h"
#include "app/ImportLock.h"
#include "app/ImportWorker.h"
#include "app/Places.h"
#include "app/cli/CliFrontEnd.h"
#include "app/cli/Doctor.h"
#include "app/cli/ImportReport.h"
#include "app/cli/StopSignals.h"
#include "base/BuildInfo.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "db/ConnectionString.h"
#include "db/sqlite/SchemaScripts.h"
#include "import/toolkit/FileKinds.h"
#include "import/toolkit/ImportConventions.h"
#include "xml/XmlParser.h"

namespace {

struct ResolvedPaths {
  std::string file;
  std::string configuration;
  std::vector<std::string> configurationsTried;  // without --config: every place looked at
  std::string traceSql;
  std::string report;
  std::string logFolder;  // empty: no folder for the logs can be written
  std::string logWarning;
};

bool IsEmbedded(const INILoader& configuration) {
  return qiva::db::IsEmbeddedDriver(configuration.GetValue("driver"));
}

// Loads the configuration as the import run does. When it cannot be loaded, prints the run's
// own two lines and a third naming the file tried and why, and returns false. A file whose
// lines end with LF only loads as one long line (lines end at CR): a hint says so.
bool LoadConfiguration(const ResolvedPaths& paths, INILoader& configuration, std::ostream& err) {
  const std::string& path = paths.configuration;
  if (!configuration.Load(path)) {
    err << kConfigurationMissingText << '\n' << ConfigurationNotLoadedReason(path, configuration);
    if (paths.configurationsTried.size() > 1) {
      err << " (nor at";
      for (std::size_t i = 1; i < paths.configurationsTried.size(); ++i) {
        err << (i > 1 ? ", " : " ") << paths.configurationsTried[i];
      }
      err << ')';
    }
    err << '\n';
    return false;
  }
  if (configuration.lineFeedsOnly()) {
    err << "hint: the lines of " << path
        << " end with LF only; the configuration's lines must end with CR LF (or CR), so the "
           "whole file reads as one line\n";
  }
  return true;
}

// Takes the lock file for `init-db`, waiting (and saying so, as an import does) while an
// import holds it. kExitOk, or the exit status of the failure after its message.
int TakeLock(ImportLock& lock, const LockFilePlace& place, CliFrontEnd& frontEnd) {
  const auto tell = [&frontEnd](const ImportLockEvent& event) { frontEnd.ReportLock(event); };
  if (lock.TakeFile(place, tell) == ImportLock::Result::Taken) return kExitOk;
  frontEnd.ReportLock(lock.failure());
  return lock.failure().kind == ImportLockEvent::Kind::FolderNotWritable ? kExitDatabase
                                                                         : kExitStopped;
}

// Opens the configured database as the import run does. kExitOk, or the exit status of the
// failure after its message.
int OpenConfiguredDatabase(const INILoader& configuration, const std::string& configurationPath,
                           CAdoDatabase& db, std::ostream& err) {
  db.SetLogFile("_database.log");
  db.SetDriver(configuration.GetValue("driver"));
  db.SetDsn(configuration.GetValue("dsn"));
  db.SetConnectionSettings(ConnectionSettingsFrom(configuration));
  if (!db.Open(configuration.GetValue("server"), configuration.GetValue("user"),
               configuration.GetValue("pass"),
               ConfiguredDatabase(configuration, configurationPath))) {
    err << ConnectionFailureText(db) << '\n';
    return kExitDatabase;
  }
  return kExitOk;
}

bool StartTrace(CAdoDatabase& db, const std::string& path, std::ostream& err) {
  if (path.empty() || db.SetTraceFile(path)) return true;
  err << "cannot write the SQL trace file " << path << '\n';
  return false;
}

// A trace that opened but could not be written to the end (a full disk) is said, as a report
// file that cannot be written is: it holds only the statements before the failed write.
void ReportTraceFailure(const CAdoDatabase& db, const std::string& path, std::ostream& err) {
  if (db.TraceWriteFailed()) {
    err << "cannot write the SQL trace file " << path
        << " (it ends before the statement whose write failed)\n"
        << std::flush;
  }
}

int ExitStatusOf(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Completed:
      return kExitOk;
    case RunOutcome::CompletedWithLosses:
      return kExitLosses;
    case RunOutcome::FileNotRead:
      return kExitNotRead;
    case RunOutcome::DatabaseFailed:
      return kExitDatabase;
    case RunOutcome::ConfigurationMissing:
      return kExitConfiguration;
    case RunOutcome::ConnectionFailed:
    case RunOutcome::DatabaseFolderNotWritable:
    case RunOutcome::DatabaseBusy:
    case RunOutcome::LockRefused:
      return kExitDatabase;
    case RunOutcome::LockNotCreated:
      return kExitStopped;
    case RunOutcome::NoFile:
      return kExitUsage;
    case RunOutcome::Busy:
    case RunOutcome::LocationCancelled:
    case RunOutcome::Stopped:
      return kExitStopped;
  }
  return kExitStopped;
}

// A mistyped database name would otherwise pass unnoticed as a new, empty database.
void NoticeNewDatabase(const CAdoDatabase& db, CliEnvironment& env) {
  if (db.CreatedNewDatabase()) {
    env.err << "notice: created a new embedded database with the target schema: "
            << db.EmbeddedDatabasePath() << '\n';
  }
}

// The database the configuration names, for the report: its kind ("sqlite", "odbc", or ""
// when the configuration cannot be loaded) and what it is: the embedded file's path, the data
// source, or the server and database names.
void DescribeDatabase(const std::string& configurationPath, ImportReport& report) {
  INILoader configuration;
  if (!configuration.Load(configurationPath)) return;
  report.databaseKind = IsEmbedded(configuration) ? "sqlite" : "odbc";
  if (IsEmbedded(configuration)) {
    report.databaseName = ConfiguredDatabase(configuration, configurationPath);
  } else if (const std::string dsn = configuration.GetValue("dsn"); !dsn.empty()) {
    report.databaseName = "DSN " + dsn + ", database " + configuration.GetValue("database");
  } else {
    report.databaseName = "server " + configuration.GetValue("server") + ", database " +
                          configuration.GetValue("database");
  }
}

std::string DatabaseLogPath() {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute("_database.log", error);
  return error ? std::string("_database.log") : path.string();
}

// The log's size now (0 when it does not exist): a run wrote to it when the size grew.
std::uintmax_t DatabaseLogSize() {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size("_database.log", error);
  return error ? 0 : size;
}

// True when a file can be written at `path` (it is made if missing, its content kept): a report
// or trace that cannot be written must be found out before anything is sent.
bool CanWriteFileAt(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  const bool existed = std::filesystem::exists(path, error);
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) return false;
  std::fclose(file);
  if (!existed) std::filesystem::remove(path, error);
  return true;
}

// Prints the summary (with --quiet only when something went wrong) and writes the report.
int FinishImport(const CliOptions& options, const ResolvedPaths& paths, ImportReport& report,
                 std::chrono::steady_clock::time_point started, CliEnvironment& env) {
  report.ended = std::chrono::system_clock::now();
  report.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  DescribeDatabase(paths.configuration, report);
  report.databaseLog = paths.logFolder.empty() ? std::string() : DatabaseLogPath();
  report.databaseLogWritten =
      !report.databaseLog.empty() && DatabaseLogSize() != report.databaseLogSizeAtStart;
  report.configuration = paths.configuration;
  report.logFolder = paths.logFolder;
  report.logWarning = paths.logWarning;
  if (!options.quiet || report.exitStatus != kExitOk) {
    env.err << SummaryLine(report) << '\n' << PlacesLine(report) << '\n' << std::flush;
  }
  if (!paths.report.empty() && !WriteReportFile(paths.report, report)) {
    env.err << "cannot write the report file " << paths.report << '\n' << std::flush;
  }
  return report.exitStatus;
}

int RunImportSteps(const CliOptions& options, const ResolvedPaths& paths, CliEnvironment& env,
                   ImportReport& report) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(paths.file, error)) {
    env.err << "no such file: " << paths.file << '\n';
    return kExitUsage;
  }
  // The configuration is loaded (and its failure explained) before the run takes the lock: a
  // missing one must leave no lock file behind, and the lock's place depends on it.
  INILoader configuration;
  if (!LoadConfiguration(paths, configuration, env.err)) return kExitConfiguration;

  CliFrontEnd::Settings settings;
  settings.progress = env.errorIsTerminal && !options.quiet;
  settings.onInvalid = options.onInvalid.value_or(env.inputIsTerminal ? InvalidRecordAnswer::Ask
                                                                      : InvalidRecordAnswer::Skip);
  settings.location = options.location;
  CliFrontEnd frontEnd(settings, env.out, env.err, env.in);
  ImportSession session(paths.configuration, frontEnd);
  if (!StartTrace(session.database(), paths.traceSql, env.err)) return kExitUsage;
  session.database().SetLockWaitNotice(
      [&frontEnd] { frontEnd.ShowMessage("waiting for the database, locked by another program"); });

  const RunOutcome outcome =
      ImportWorker(session, ImportRequest{options.kind, paths.file, options.noGrouping});
  frontEnd.Finish();
  NoticeNewDatabase(session.database(), env);
  ReportTraceFailure(session.database(), paths.traceSql, env.err);
  report.routineRan = outcome == RunOutcome::Completed ||
                      outcome == RunOutcome::CompletedWithLosses ||
                      outcome == RunOutcome::FileNotRead || outcome == RunOutcome::Stopped ||
                      outcome == RunOutcome::DatabaseFailed;
  report.outcome = session.lastOutcome();
  if (outcome == RunOutcome::ConnectionFailed) {
    report.connectionAdvice = session.database().m_szConnectionAdvice;
  }
  if (outcome == RunOutcome::DatabaseFailed) {
    env.err << OutcomeMessage(report.outcome) << '\n';
  }
  if (outcome == RunOutcome::FileNotRead) {
    if (const std::string why = FileNotReadExplanation(report.outcome); !why.empty()) {
      env.err << why << '\n';
    }
  }
  return ExitStatusOf(outcome);
}

int RunImport(const CliOptions& options, const ResolvedPaths& paths, CliEnvironment& env) {
  // The account must be writable, and the trace too, before anything is sent: an import whose
  // report cannot be written would pass unnoticed by the job that reads it.
  if (!paths.report.empty() && !CanWriteFileAt(paths.report)) {
    env.err << "cannot write the report file " << paths.report << '\n';
    return kExitUsage;
  }
  if (!paths.traceSql.empty() && !CanWriteFileAt(paths.traceSql)) {
    env.err << "cannot write the SQL trace file " << paths.traceSql << '\n';
    return kExitUsage;
  }
  // A stop signal ends the import at a safe point; the summary and report below still follow.
  const StopSignals signals;
  const auto started = std::chrono::steady_clock::now();
  ImportReport report;
  report.kind = ImportKindInfoFor(options.kind).commandName;
  report.file = paths.file;
  report.started = std::chrono::system_clock::now();
  report.databaseLogSizeAtStart = DatabaseLogSize();
  report.exitStatus = RunImportSteps(options, paths, env, report);
  return FinishImport(options, paths, report, started, env);
}

// The tables of the open database, by name (the embedded engine answers the same catalogue).
std::vector<std::string> ListTables(CAdoDatabase& db, CAdoRecordset& rs) {
  std::vector<std::string> names;
  if (!rs.Open("select table_name from information_schema.tables where table_type = 'BASE TABLE' "
               "order by table_name",
               &db)) {
    return names;
  }
  while (!rs.IsEOF()) {
    const DbValue value = rs.GetFieldValue("table_name");
    if (const auto* name = std::get_if<std::string>(&value)) names.push_back(*name);
    if (!rs.MoveNext()) break;
  }
  rs.Close();
  return names;
}

std::string Bracketed(const std::string& name) {
  std::string quoted = "[";
  for (char c : name) {
    quoted += c;
    if (c == ']') quoted += ']';
  }
  return quoted + "]";
}

int RunTables(const ResolvedPaths& paths, CliEnvironment& env) {
  CAdoDatabase db;
  CAdoRecordset rs;
  if (!StartTrace(db, paths.traceSql, env.err)) return kExitUsage;
  INILoader configuration;
  if (!LoadConfiguration(paths, configuration, env.err)) return kExitConfiguration;
  if (const int status = OpenConfiguredDatabase(configuration, paths.configuration, db, env.err);
      status != 0) {
    return status;
  }
  NoticeNewDatabase(db, env);
  // Readers see a catalogue that an import is replacing half replaced, as on SQL Server.
  const bool importRunning =
      IsEmbedded(configuration)
          ? FileLock::HeldElsewhere(LockFilePlaceFor(configuration, paths.configuration).path)
          : ServerImportRunning(db, rs);
  if (importRunning) {
    env.err << "an import into this database is running: its row counts are still changing, "
               "and a catalogue it is replacing may show only part of its rows\n"
            << std::flush;
  }
  for (const std::string& name : ListTables(db, rs)) {
    std::string count = "?";
    if (rs.Open("select count(*) as row_count from " + Bracketed(name), &db)) {
      const DbValue value = rs.GetFieldValue("row_count");
      if (const auto* n = std::get_if<std::int32_t>(&value)) count = std::to_string(*n);
      if (const auto* r = std::get_if<double>(&value))
        count = std::to_string(static_cast<long long>(*r));
      rs.Close();
    }
    env.out << name << '\t' << count << '\n';
  }
  env.out << std::flush;
  ReportTraceFailure(db, paths.traceSql, env.err);
  return kExitOk;
}

// init-db: creates the embedded database file that the configuration names (opening a missing
// file gives it the target schema), then, with --locations, adds the per-location columns.
int RunInitDb(const CliOptions& options, const ResolvedPaths& paths, CliEnvironment& env) {
  INILoader configuration;
  if (!LoadConfiguration(paths, configuration, env.err)) return kExitConfiguration;
  const std::string database = configuration.GetValue("database");
  if (!IsEmbedded(configuration) || database.empty()) {
    env.err << "init-db creates the embedded database only: the configuration needs "
               "driver=sqlite and database=FILE\n";
    return kExitStopped;
  }
  const std::string file = ConfiguredDatabase(configuration, paths.configuration);
  ImportLock lock;
  CliFrontEnd frontEnd(CliFrontEnd::Settings{}, env.out, env.err, env.in);
  if (const int status =
          TakeLock(lock, LockFilePlaceFor(configuration, paths.configuration), frontEnd);
      status != kExitOk) {
    return status;
  }
  std::error_code error;
  if (std::filesystem::exists(file, error)) {
    env.err << "the database file already exists, nothing done: " << file << '\n';
    return kExitStopped;
  }
  CAdoDatabase db;
  if (!StartTrace(db, paths.traceSql, env.err)) return kExitUsage;
  if (const int status = OpenConfiguredDatabase(configuration, paths.configuration, db, env.err);
      status != 0) {
    return status;
  }
  if (options.withLocations) {
    for (const std::string& batch :
         qiva::db::SplitScriptBatches(qiva::db::LocationsSchemaScript())) {
      if (!db.Execute(batch)) {
        env.err << "cannot add the per-location columns (see _database.log)\n";
        return kExitStopped;
      }
    }
  }
  env.out << "created " << file
          << (options.withLocations ? " with the per-location columns\n" : "\n") << std::flush;
  ReportTraceFailure(db, paths.traceSql, env.err);
  return kExitOk;
}

// Parses `path` with `tag` as the imports do (the encoding guessed from the first bytes).
XmlElement ParseLikeTheImports(const std::string& path, const std::string& tag,
                               XmlParseResult& result) {
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    unsigned char sample[200];
    const std::size_t count = std::fread(sample, 1, sizeof sample, file);
    std::fclose(file);
    setParserOptions(detectEncoding(sample, count, true), 1, 1);
  }
  return loadXmlFile(path, tag, result);
}

// check: parses the file with the kind's root tag (the feedback file with its second tag when
// the first finds nothing) and counts the root's child elements (sections) and theirs
// (records). Loads no configuration and opens no database.
int RunCheck(const CliOptions& options, const ResolvedPaths& paths, CliEnvironment& env) {
  XmlParseResult result;
  XmlElement root;
  std::string tag;
  for (const std::string& candidate : RootTagsFor(options.kind, paths.file)) {
    tag = candidate;
    result = XmlParseResult{};
    root = ParseLikeTheImports(paths.file, tag, result);
    if (!root.isNull()) break;
  }
  if (result.code != kXmlNoError) env.out << parseErrorMessage(paths.file, tag, result);
  env.out << "file: " << paths.file << '\n'
          << "root tag: " << tag << '\n'
          << "outcome: " << result.code << ' ' << errorText(result.code) << '\n';
  if (root.isNull()) {
    // Said in plain words where the parser's code says little: an empty or non-XML file, or
    // XML with another root.
    ImportOutcome outcome;
    outcome.parse = result;
    outcome.rootTag = tag;
    std::error_code error;
    if (result.code == kXmlErrorNoData) {
      outcome.fileEmpty = true;
    } else if (result.code != kXmlErrorFileNotFound) {
      const std::string first = qiva::import::FirstElementName(paths.file);
      outcome.notXml = first.empty();
      if (!first.empty() && result.code == kXmlErrorFirstTagNotFound) outcome.rootFound = first;
    }
    if (const std::string why = FileNotReadExplanation(outcome); !why.empty()) {
      env.out << why << '\n';
    }
    env.out << std::flush;
    return kExitStopped;
  }
  if (result.cutShort) {
    env.out << "the file is cut short: it ends inside its document element (line " << result.line
            << ")\n"
            << std::flush;
    return kExitStopped;
  }
  const char* kind = ImportKindInfoFor(options.kind).commandName;
  if (!qiva::import::HoldsSectionsOf(root, kind)) {
    ImportOutcome outcome;
    outcome.notOfKind = kind;
    if (const auto* fits = qiva::import::KindThatFits(root, kind)) outcome.looksLike = fits->kind;
    env.out << FileNotReadExplanation(outcome) << '\n' << std::flush;
    return kExitNotRead;
  }
  long long sections = 0;
  long long records = 0;
  for (const XmlElement& section : root.children()) {
    ++sections;
    records += section.childCount();
  }
  env.out << "sections: " << sections << '\n' << "records: " << records << '\n' << std::flush;
  return kExitOk;
}

}  // namespace

std::string ConfigurationNotLoadedReason(const std::string& path, const INILoader& configuration) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    return "the configuration path is a folder, not a file: " + path;
  }
  if (!std::filesystem::exists(path, error)) return "no configuration file at " + path;
  if (configuration.heldZeroByte()) {
    // A value cut at the zero byte would reach the database changed.
    return "the configuration file holds a zero byte (NUL), which no value may hold: " + path;
  }
  return "cannot read the configuration file " + path;
}

std::string DefaultConfigurationPath(const ProgramPaths& paths) {
  return ResolveAgainst(paths.programFolder, "QIVA_IMPORT.INI");
}

int RunQivaImport(const CliOptions& options, CliEnvironment& env) {
  if (options.command == CliCommand::Help) {
    env.out << CliHelp(options.helpTopic);
    return kExitOk;
  }
  if (options.command == CliCommand::Version) {
    env.out << VersionText("qiva-import");
    return kExitOk;
  }
  ResolvedPaths paths;
  paths.file = ResolveAgainst(env.startDirectory, options.file);
  paths.traceSql = ResolveAgainst(env.startDirectory, options.traceSqlPath);
  paths.report = ResolveAgainst(env.startDirectory, options.reportPath);
  ProgramPaths programPaths = env.paths;
  programPaths.configurationPath = DefaultConfigurationPath(env.paths);
  if (options.command == CliCommand::Check) {
    // check reads no configuration and writes no log.
    EnterProgramFolder(programPaths);
  } else if (options.command == CliCommand::Doctor) {
    // doctor chooses the configuration as every run does, but settles no log folder: choosing
    // one may create it, and the doctor writes nothing.
    const ConfigurationChoice choice =
        ChooseConfiguration(ResolveAgainst(env.startDirectory, options.configPath),
                            programPaths.configurationPath, env.placeEnvironment);
    paths.configuration = choice.chosen.path;
    if (options.configPath.empty()) paths.configurationsTried = choice.tried;
    EnterProgramFolder(programPaths);
  } else {
    const Places places = SettlePlaces(
        programPaths, ResolveAgainst(env.startDirectory, options.configPath), env.placeEnvironment);
    paths.configuration = programPaths.configurationPath;
    if (options.configPath.empty()) paths.configurationsTried = places.configuration.tried;
    paths.logFolder = places.logs.folder;
    paths.logWarning = LogFolderWarnings(places.logs);
    env.err << paths.logWarning << std::flush;
    EnterProgramFolder(programPaths);
  }

  switch (options.command) {
    case CliCommand::Import:
      return RunImport(options, paths, env);
    case CliCommand::Check:
      return RunCheck(options, paths, env);
    case CliCommand::InitDb:
      return RunInitDb(options, paths, env);
    case CliCommand::Tables:
      return RunTables(paths, env);
    case CliCommand::Doctor:
      return RunDoctor({paths.configuration, paths.configurationsTried, paths.traceSql}, env.out);
    case CliCommand::Help:
    case CliCommand::Version:
      break;
  }
  return kExitOk;
}
