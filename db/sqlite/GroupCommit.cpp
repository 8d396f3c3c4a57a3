// GroupCommit.cpp: statements committed in groups: a group is opened before a statement, kept
// open for up to kCommitEvery statements or kCommitAfter, and committed before a query, when
// idle, at close and at process exit. A lost group breaks the connection.
#include "db/sqlite/SqliteEngineInternal.h"

namespace qiva::db::embedded {

// Commits a group that has been open for kCommitAfter while no statement came, so that the
// rows of an import that has ended (or waits for the user) reach the disk and the write lock
// is released. Runs on its own thread while the database is open.
void SqliteEngine::FlushIdleGroups() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopFlusher_) {
    flusherWake_.wait_for(lock, kCommitAfter / 2);
    if (!stopFlusher_ && inTxn_ && std::chrono::steady_clock::now() - groupStart_ >= kCommitAfter)
      Commit();
  }
}

void SqliteEngine::StopFlusher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopFlusher_ = true;
  }
  flusherWake_.notify_all();
  if (flusher_.joinable()) flusher_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  stopFlusher_ = false;
}

// Commits the open group; used at process exit.
void SqliteEngine::FlushFromExit() {
  std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
  for (int i = 0; i < 100 && !lock.try_lock(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (lock.owns_lock()) Commit();
}

// Opens a group unless one is open. False (with the error) when the write lock could not be
// had: the statement must then not run, since it would wait for the same lock once more.
bool SqliteEngine::BeginGroup() {
  if (inTxn_) return true;
  // IMMEDIATE: the group takes the write lock at once (waiting out another writer), so that
  // its first write cannot fail on a snapshot that another connection made stale.
  if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    AddSqliteError(sqlite3_extended_errcode(db_));
    return false;
  }
  inTxn_ = true;
  pending_ = 0;
  group_.Clear();
  groupStart_ = std::chrono::steady_clock::now();
  FollowSchemaChanges();
  return true;
}

// The open group is lost: SQLite rolled it back after a write error, or it could not be
// committed. Its statements are kept for the caller as lost, and the connection refuses every
// further statement with the same error (a later statement would run without the rows that
// the lost ones wrote, or, the emptying of a table lost, add rows to those that stayed).
void SqliteEngine::Break(const std::string& cause) {
  inTxn_ = false;
  brokenError_ = {};
  AddErrorTo(brokenError_, 50000,
             "The database could not write the statements sent since its last commit, and they "
             "were rolled back: " +
                 cause + ". No further statement runs on this connection.");
  LostStatements lost;
  lost.error = brokenError_;
  lost.texts = group_.Take();
  lost_ = std::move(lost);
  broken_ = true;
}

// Another connection may have changed the schema since this one last looked (between groups
// nobody else can while a group is open): then the catalogue and the translations are stale.
void SqliteEngine::FollowSchemaChanges() {
  const long long version = SchemaVersion();
  if (version == schemaVersion_) return;
  std::string err;
  catalog_.Load(db_, err);
  ClearCache();
  schemaVersion_ = version;
}

// Commits the open group. A commit that fails loses the group: it is rolled back (if SQLite
// has not done so already), so that what is reported lost is indeed not in the file.
void SqliteEngine::Commit() {
  if (!inTxn_ || !db_) return;
  std::string err;
  if (RawExec("COMMIT", err)) {
    inTxn_ = false;
    group_.Clear();
    return;
  }
  if (!sqlite3_get_autocommit(db_)) {
    std::string ignored;
    RawExec("ROLLBACK", ignored);
  }
  Break(err);
}

// After each execute: keeps the text of a statement that wrote to the group, notices a group
// that SQLite rolled back by itself (disk full, I/O error, out of memory) and commits a full
// or old group.
void SqliteEngine::EndOfCall(bool wrote, std::string_view sql) {
  if (!inTxn_) return;
  if (wrote) group_.Add(sql);
  if (GroupRolledBack())
    return Break(lastSqliteMessage_.empty() ? sqlite3_errmsg(db_) : lastSqliteMessage_);
  if (++pending_ >= kCommitEvery || std::chrono::steady_clock::now() - groupStart_ >= kCommitAfter)
    Commit();
}

std::mutex& RegistryMutex() {
  static auto* m = new std::mutex;
  return *m;
}
std::set<SqliteEngine*>& Registry() {
  static auto* s = new std::set<SqliteEngine*>;
  return *s;
}

void FlushAllAtExit() {
  std::lock_guard<std::mutex> reg(RegistryMutex());
  for (SqliteEngine* e : Registry()) e->FlushFromExit();
}

}  // namespace qiva::db::embedded
