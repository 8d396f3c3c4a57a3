// SqliteEngine.cpp: the embedded engine's calls (open, execute, query, observed runs, close) and
// its factories. Each call takes the engine's lock and hands the work to the files of its jobs
// (see SqliteEngineInternal.h).
#include "db/sqlite/SqliteEngine.h"

#include <cstdlib>
#include <filesystem>

#include "db/ConnectionString.h"
#include "db/sqlite/SqliteEngineInternal.h"

namespace qiva::db::embedded {

// The first engine of the process sets SQLite up and registers the exit handler that commits
// every open group.
SqliteEngine::SqliteEngine() {
  static std::once_flag once;
  std::call_once(once, [] {
    // No memory statistics: they cost a global mutex on every allocation. Refused (and
    // harmless) when SQLite was already initialised by someone else.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    std::atexit(FlushAllAtExit);
  });
}

// Opens (or creates, with the schema) the file the connection string names, ending whatever was
// open. A new connection starts with no lost group, the login's date order and
// the engine's own lock limit.
bool SqliteEngine::open(const std::string& connectionString) {
  StopFlusher();
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
  error_ = {};
  created_ = false;
  broken_ = false;
  lost_.reset();
  group_.Clear();
  lockWait_.SetTimeout(-1);
  lockTimeout_ = std::chrono::milliseconds(-1);
  std::string path;
  if (!ParseConnectionString(connectionString, path)) {
    AddError(4060, "The connection string names no database file (DATABASE=...).");
    return false;
  }
  std::error_code ec;
  path_ = std::filesystem::absolute(path, ec).string();
  if (path_.empty()) path_ = path;
  state_.databaseName = std::filesystem::path(path_).stem().string();
  state_.appName = ConnectionAttribute(connectionString, "APP");
  state_.collation = ConnectionAttribute(connectionString, "COLLATION");
  // Only files that this open creates may be removed when it fails: whatever was at their
  // paths before (a file, a folder, a link) stays as it was.
  const std::vector<std::string> created = MissingFiles();
  if (!OpenFile()) {
    CloseLocked();
    RemoveFiles(created);
    return false;
  }
  {
    std::lock_guard<std::mutex> reg(RegistryMutex());
    Registry().insert(this);
  }
  flusher_ = std::thread([this] { FlushIdleGroups(); });
  return true;
}

// Runs a text of statements; false when any of them failed (the others may have run).
bool SqliteEngine::execute(std::string_view sql) {
  std::lock_guard<std::mutex> lock(mutex_);
  error_ = {};
  if (!db_) return NotOpen();
  if (broken_) return Refuse();
  lastSqliteMessage_.clear();
  state_.hasScopeIdentity = false;  // each text is a batch: a scope of its own
  state_.variables.clear();
  const int changesBefore = sqlite3_total_changes(db_);
  const bool ok = ExecuteLocked(sql);
  // A text that failed in part may have written rows with its other statements: if its group
  // is lost, it is named among the lost too.
  EndOfCall(ok || sqlite3_total_changes(db_) != changesBefore, sql);
  return ok;
}

// Runs a text and returns the rows of its first select; the open group is committed before the
// text runs and after it.
bool SqliteEngine::query(std::string_view sql, ResultSet& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  error_ = {};
  out = ResultSet{};
  if (!db_) return NotOpen();
  Commit();
  if (broken_) return Refuse();
  FollowSchemaChanges();
  state_.hasScopeIdentity = false;  // each text is a batch: a scope of its own
  state_.variables.clear();
  Batch batch;
  SyntaxError se;
  if (!ParseBatch(sql, batch, se)) return AddError(se.number, se.message), false;
  bool any = false;
  const Outcome o = RunList(batch, batch.statements, &out, &any, 0);
  Commit();
  return o == Outcome::Ok;
}

// Runs a text statement by statement for `observer` (the TDS stand-in).
bool SqliteEngine::runObserved(std::string_view sql, StatementObserver& observer) {
  std::lock_guard<std::mutex> lock(mutex_);
  error_ = {};
  reportedErrors_ = 0;
  observerStopped_ = false;
  observer_ = &observer;
  const bool ok = RunObservedText(sql);
  ReportUnattributedErrors();
  observer_ = nullptr;
  return ok;
}

// Commits the open group and closes the file; false when that last group was lost.
bool SqliteEngine::close() {
  StopFlusher();
  std::lock_guard<std::mutex> lock(mutex_);
  error_ = {};
  const bool wasBroken = broken_;
  CloseLocked();
  // The last group was lost at close: Close is the call that says so.
  if (broken_ && !wasBroken) return Refuse();
  return true;
}

// The texts of the group lost since the last call, once.
std::optional<LostStatements> SqliteEngine::takeLostStatements() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::optional<LostStatements> out = std::move(lost_);
  lost_.reset();
  return out;
}

// Commits the open group; false when the connection is broken.
bool SqliteEngine::flush() {
  std::lock_guard<std::mutex> lock(mutex_);
  Commit();
  return !broken_;
}

// `notice` is called once a lock wait has gone on for a few seconds.
void SqliteEngine::setLockWaitNotice(std::function<void()> notice) {
  std::lock_guard<std::mutex> lock(mutex_);
  lockWait_.SetNotice(std::move(notice));
}

}  // namespace qiva::db::embedded

namespace qiva::db {

std::unique_ptr<DbEngine> CreateSqliteEngine() {
  return std::make_unique<embedded::SqliteEngine>();
}

std::unique_ptr<ObservableEngine> CreateObservableSqliteEngine() {
  return std::make_unique<embedded::SqliteEngine>();
}

}  // namespace qiva::db
