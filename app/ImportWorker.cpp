// ImportWorker.cpp: the import run. Each step's failure ends the run with its own outcome and,
// where the user must know, a message through the front end.
#include "app/ImportWorker.h"

#include <atomic>
#include <filesystem>
#include <system_error>
#include <utility>

#include "app/INILoader.h"
#include "app/ImportLock.h"
#include "app/Places.h"
#include "base/TextUtil.h"
#include "db/ConnectionString.h"
#include "import/toolkit/ImportConventions.h"

namespace {

std::atomic<int> importRunning{0};
std::atomic<int> stopRequests{0};
static_assert(std::atomic<int>::is_always_lock_free, "stop requests come from signal handlers");

// Clears the busy flag however the run ends.
class RunningFlag {
 public:
  RunningFlag() = default;
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;
  ~RunningFlag() { importRunning.store(0); }
};

std::size_t IndexOf(ImportKind kind) { return static_cast<std::size_t>(kind); }

// True when the tariffs table has a locationid column, the mark of a database that keeps
// data per location. A check that cannot run counts as no column.
bool DatabaseHasLocationColumn(CAdoDatabase& db, CAdoRecordset& rs) {
  if (!rs.Open(kLocationCheckQuery, &db)) return false;
  const bool found = !rs.IsEOF();
  rs.Close();
  return found;
}

}  // namespace

// The "text" and "timeout" keys: text=characters sends the characters the file's bytes encode;
// timeout=SECONDS limits every statement (0: no limit; absent or not a number: 30 seconds).
qiva::db::StatementOptions StatementOptionsFrom(const INILoader& configuration) {
  qiva::db::StatementOptions options;
  std::string text = configuration.GetValue("text");
  ToUpperAscii(text);
  options.textAsCharacters = text == "CHARACTERS";
  const std::string timeout = configuration.GetValue("timeout");
  if (!timeout.empty() && timeout.size() <= 6 &&
      timeout.find_first_not_of("0123456789") == std::string::npos)
    options.timeoutSeconds = std::stoi(timeout);
  return options;
}

CAdoDatabase::ConnectionSettings ConnectionSettingsFrom(const INILoader& configuration) {
  CAdoDatabase::ConnectionSettings settings;
  settings.encrypt = configuration.GetValue("encrypt");
  settings.trustServerCertificate = configuration.GetValue("trustservercertificate");
  settings.port = configuration.GetValue("port");
  settings.trusted = configuration.GetValue("trusted");
  return settings;
}

std::string ConnectionFailureText(const CAdoDatabase& db) {
  std::string text = !db.m_szProviderError.empty() ? db.m_szProviderError : db.m_szComError;
  if (db.m_szConnectionAdvice.empty()) return text;
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text + db.m_szConnectionAdvice;
}

namespace {

RunOutcome Classify(int routineResult, const ImportOutcome& outcome) {
  if (outcome.databaseFailed) return RunOutcome::DatabaseFailed;
  if (!outcome.fileRead) return RunOutcome::FileNotRead;
  if (routineResult == 0 || outcome.stopped != StopCause::None) return RunOutcome::Stopped;
  return outcome.hasLosses() ? RunOutcome::CompletedWithLosses : RunOutcome::Completed;
}

}  // namespace

ImportSession::ImportSession(std::string configurationPath, ImportFrontEnd& frontEnd)
    : configurationPath_(std::move(configurationPath)), frontEnd_(frontEnd) {
  for (const auto& info : ImportKinds()) routines_[IndexOf(info.kind)] = info.routine;
}

ImportRoutine ImportSession::routine(ImportKind kind) const { return routines_[IndexOf(kind)]; }

void ImportSession::SetRoutine(ImportKind kind, ImportRoutine routine) {
  routines_[IndexOf(kind)] = routine;
}

bool ImportRunning() { return importRunning.load() != 0; }

void RequestImportStop() { stopRequests.fetch_add(1); }

int ImportStopRequests() { return stopRequests.load(); }

void ResetImportStopRequests() { stopRequests.store(0); }

namespace {

std::string FullPath(const std::string& name) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(name, error);
  return error ? name : path.string();
}

}  // namespace

namespace {

RunOutcome LockFailed(ImportFrontEnd& ui, const ImportLockEvent& failure) {
  ui.ReportLock(failure);
  using K = ImportLockEvent::Kind;
  switch (failure.kind) {
    case K::FolderNotWritable:
      return RunOutcome::DatabaseFolderNotWritable;
    case K::Busy:
      return RunOutcome::DatabaseBusy;
    case K::Refused:
      return RunOutcome::LockRefused;
    default:
      return RunOutcome::LockNotCreated;
  }
}

}  // namespace

RunOutcome ImportWorker(ImportSession& session, const ImportRequest& request) {
  ImportFrontEnd& ui = session.frontEnd();
  int idle = 0;
  if (!importRunning.compare_exchange_strong(idle, 1)) {
    ui.ShowMessage(kBusyText);
    return RunOutcome::Busy;
  }
  RunningFlag running;
  session.lastOutcome_ = ImportOutcome{};
  if (request.path.empty()) return RunOutcome::NoFile;

  INILoader configuration;
  if (!configuration.Load(session.configurationPath())) {
    ui.ShowMessage(kConfigurationMissingText);
    return RunOutcome::ConfigurationMissing;
  }
  // The run, not the program that started it, holds the lock: the dialogs and the command line
  // all wait for each other. An embedded database is locked before it is opened (the open may
  // create it); a server database once connected, through the server's application lock.
  const bool embedded = qiva::db::IsEmbeddedDriver(configuration.GetValue("driver"));
  const auto tell = [&ui](const ImportLockEvent& event) { ui.ReportLock(event); };
  ImportLock lock;
  if (embedded && lock.TakeFile(LockFilePlaceFor(configuration, session.configurationPath()),
                                tell) != ImportLock::Result::Taken) {
    session.lastLockFailure_ = lock.failure();
    return LockFailed(ui, lock.failure());
  }
  ui.SetStatusText(kOpeningConnectionText);
  const std::string server = configuration.GetValue("server");
  // A relative embedded database file lives beside the configuration that names it.
  const std::string database = ConfiguredDatabase(configuration, session.configurationPath());
  const std::string password = configuration.GetValue("pass");
  const std::string user = configuration.GetValue("user");

  CAdoDatabase& db = session.database();
  db.SetLogFile("_database.log");
  db.SetDriver(configuration.GetValue("driver"));
  db.SetDsn(configuration.GetValue("dsn"));
  db.SetStatementOptions(StatementOptionsFrom(configuration));
  std::string grouping = configuration.GetValue("grouping");
  ToUpperAscii(grouping);
  db.SetGrouping(grouping != "OFF" && !request.oneByOne);
  db.SetConnectionSettings(ConnectionSettingsFrom(configuration));
  if (!db.Open(server, user, password, database)) {
    lock.Release();  // not held while the message waits for the user
    ui.ShowMessage(ConnectionFailureText(db));
    ui.CloseProgram();
    return RunOutcome::ConnectionFailed;
  }
  if (!embedded) {
    const ImportLock::Result taken = lock.TakeServer(
        db, session.recordset(), AppLockWaitLimit(configuration), tell, &stopRequests);
    if (taken == ImportLock::Result::Failed) {
      session.lastLockFailure_ = lock.failure();
      return LockFailed(ui, lock.failure());
    }
    // Stopped: told below, as a stop before the import began.
  }
  ui.SetStatusText(kReadingXmlText);

  const ImportKindInfo& info = ImportKindInfoFor(request.kind);
  const ImportRoutine routine = session.routine(request.kind);
  if (info.needsLocation) {
    session.hasLocationColumn_ = DatabaseHasLocationColumn(db, session.recordset());
    if (session.hasLocationColumn_) {
      const std::optional<std::int32_t> chosen = ui.ChooseLocation(db, session.recordset());
      if (!chosen) return RunOutcome::LocationCancelled;
      session.locationId_ = *chosen;
    }
  }
  if (stopRequests.load() > 0) {
    lock.Release();
    // Asked to stop before the routine began (while the lock or the connection was awaited).
    session.lastOutcome_.stopped = StopCause::Request;
    session.lastOutcome_.databaseLog = FullPath(db.m_szLogFile);
    db.Log("Import stopped: a stop was requested before the import began; nothing was sent");
    ui.ReportOutcome(session.lastOutcome_);
    return RunOutcome::Stopped;
  }
  ImportContext context{db, session.recordset(), ui, session.hasLocationColumn_,
                        session.locationId_};
  context.fileKind = info.commandName;
  context.stopRequests = &stopRequests;
  const int result = routine(context, request.path);
  // The embedded engine commits in groups: the routine's last statements are made durable, or
  // reported lost, before the outcome is judged.
  db.Flush();
  // The next run may start while this one's outcome is shown (a message box waits for the user).
  lock.Release();
  qiva::import::CloseAccount(context);
  if (!context.outcome.fileRead) {
    db.Log("File not read: " + request.path + ": " + FileNotReadReason(context.outcome));
  }
  context.outcome.databaseLog = FullPath(db.m_szLogFile);
  session.lastOutcome_ = context.Outcome();
  ui.ReportOutcome(session.lastOutcome_);
  return Classify(result, session.lastOutcome_);
}
