// SqliteEngine.cpp: the embedded engine. Runs T-SQL texts on a SQLite file: parses each text,
// translates its statements (reusing prepared statements by the shape of their text, with the
// literals bound as parameters), and commits in groups so that an import is not held to one
// disk commit per statement. Each statement stays atomic; every group is committed before a
// query, when it has waited 100 ms for the next statement, at close and at process exit. A
// group that is lost (a failed commit, or SQLite rolling it back after a write error) breaks
// the connection: its statements are handed to the caller as lost and nothing more runs.
#include "db/sqlite/SqliteEngine.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <unordered_map>

#include "db/ConnectionString.h"
#include "db/sqlite/AppLocks.h"
#include "db/sqlite/GroupTexts.h"
#include "db/sqlite/LockWait.h"
#include "db/sqlite/ObservedRun.h"
#include "db/sqlite/SchemaScripts.h"
#include "db/sqlite/SqlCatalog.h"
#include "db/sqlite/SqlFunctions.h"
#include "db/sqlite/SqlServerMessages.h"
#include "db/sqlite/SystemProcedures.h"
#include "db/sqlite/TSqlDdl.h"
#include "db/sqlite/TSqlParser.h"
#include "db/sqlite/TSqlSplit.h"
#include "db/sqlite/TSqlTranslator.h"

namespace qiva::db {
namespace {

using namespace tsql;

constexpr int kCommitEvery = 20000;                     // statements per group
constexpr std::chrono::milliseconds kCommitAfter{100};  // age of a group
constexpr size_t kCacheLimit = 1000;                    // prepared statement shapes
constexpr size_t kPlanKeyLimit = 4096;                  // longest text shape remembered whole
constexpr int kMaxNesting = 32;

class SqliteEngine;

// Engines that are open, committed by the exit handler.
std::mutex& RegistryMutex() {
  static auto* m = new std::mutex;
  return *m;
}
std::set<SqliteEngine*>& Registry() {
  static auto* s = new std::set<SqliteEngine*>;
  return *s;
}
void FlushAllAtExit();

class SqliteEngine final : public ObservableEngine {
 public:
  SqliteEngine() {
    static std::once_flag once;
    std::call_once(once, [] {
      // No memory statistics: they cost a global mutex on every allocation. Refused (and
      // harmless) when SQLite was already initialised by someone else.
      sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
      std::atexit(FlushAllAtExit);
    });
  }
  ~SqliteEngine() override { close(); }

  bool open(const std::string& connectionString) override {
    StopFlusher();
    std::lock_guard<std::mutex> lock(mutex_);
    CloseLocked();
    error_ = {};
    created_ = false;
    broken_ = false;
    lost_.reset();
    group_.Clear();
    state_.dateOrder = DateOrder::MDY;  // a new connection starts with the login's language
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

  bool execute(std::string_view sql) override {
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

  bool query(std::string_view sql, ResultSet& out) override {
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

  bool runObserved(std::string_view sql, StatementObserver& observer) override {
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

  bool close() override {
    StopFlusher();
    std::lock_guard<std::mutex> lock(mutex_);
    error_ = {};
    const bool wasBroken = broken_;
    CloseLocked();
    // The last group was lost at close: Close is the call that says so.
    if (broken_ && !wasBroken) return Refuse();
    return true;
  }

  const EngineError& lastError() const override { return error_; }

  bool broken() const override { return broken_; }

  std::optional<LostStatements> takeLostStatements() override {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<LostStatements> out = std::move(lost_);
    lost_.reset();
    return out;
  }

  bool flush() override {
    std::lock_guard<std::mutex> lock(mutex_);
    Commit();
    return !broken_;
  }

  void setLockWaitNotice(std::function<void()> notice) override {
    std::lock_guard<std::mutex> lock(mutex_);
    lockWait_.SetNotice(std::move(notice));
  }

  bool createdDatabase() const override { return created_; }
  std::string databaseFile() const override { return path_; }

  // Commits a group that has been open for kCommitAfter while no statement came, so that the
  // rows of an import that has ended (or waits for the user) reach the disk and the write lock
  // is released. Runs on its own thread while the database is open.
  void FlushIdleGroups() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopFlusher_) {
      flusherWake_.wait_for(lock, kCommitAfter / 2);
      if (!stopFlusher_ && inTxn_ && std::chrono::steady_clock::now() - groupStart_ >= kCommitAfter)
        Commit();
    }
  }

  void StopFlusher() {
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
  void FlushFromExit() {
    std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
    for (int i = 0; i < 100 && !lock.try_lock(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (lock.owns_lock()) Commit();
  }

 private:
  enum class Outcome { Ok, Failed, Abort };

  // A prepared statement for one statement shape, with the literals it stores into columns.
  struct Cached {
    sqlite3_stmt* stmt = nullptr;
    bool identityInsert = false;              // an INSERT into a table with an identity column
    std::vector<const ColumnTarget*> direct;  // by parameter number - 1; null when bound as it is
    std::vector<DirectParam> params;
  };

  static bool ParseConnectionString(const std::string& cs, std::string& path) {
    path = ConnectionAttribute(cs, "DATABASE");
    if (path.empty()) path = ConnectionAttribute(cs, "DATA SOURCE");
    return !path.empty();
  }

  bool OpenFile() {
    if (sqlite3_open_v2(path_.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      return OpenFailed(db_ ? sqlite3_errmsg(db_) : "out of memory");
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    lockWait_.Install(db_);
    // What the file holds is read before anything is written to it: a file of another program
    // must be left exactly as it was (even the WAL setting below changes its header).
    FileContents contents;
    std::string err;
    if (!ReadContents(contents, err)) return OpenFailed(err);
    if (contents == FileContents::Foreign) {
      return OpenFailed("not a QIVA_IMPORT database (it holds tables of another program)");
    }
    if (!RawExec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;",
                 err) ||
        !RegisterFunctions(db_, &state_)) {
      return OpenFailed(err);
    }
    if (contents == FileContents::Empty) return SetUpEmptyFile();
    if (!RawExec(CatalogSchemaSql(), err) || !catalog_.Load(db_, err)) return OpenFailed(err);
    schemaVersion_ = SchemaVersion();
    return true;
  }

  bool OpenFailed(const std::string& why) {
    AddError(4060, "Cannot open database \"" + path_ +
                       "\": " + (why.empty() && db_ ? sqlite3_errmsg(db_) : why));
    return false;
  }

  // Empty: no table, index or view at all (a new file, a file of zero bytes, a SQLite file with
  // nothing in it). Ours: the engine's catalogue is there. Foreign: anything else.
  enum class FileContents { Empty, Ours, Foreign };

  bool ReadContents(FileContents& contents, std::string& err) {
    sqlite3_stmt* q = nullptr;
    const char* sql =
        "SELECT count(*), count(CASE WHEN name = '__qiva_objects' AND type = 'table' THEN 1 END) "
        "FROM sqlite_master";
    int rc = sqlite3_prepare_v2(db_, sql, -1, &q, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(q);
    if (rc != SQLITE_ROW) {
      err = sqlite3_errmsg(db_);
      sqlite3_finalize(q);
      return false;
    }
    const long long objects = sqlite3_column_int64(q, 0);
    const bool catalogue = sqlite3_column_int64(q, 1) > 0;
    sqlite3_finalize(q);
    contents = objects == 0 ? FileContents::Empty
               : catalogue  ? FileContents::Ours
                            : FileContents::Foreign;
    return true;
  }

  // Gives an empty file the engine's catalogue and the target schema in one transaction, so
  // that a setup that fails leaves the file as empty as it was.
  bool SetUpEmptyFile() {
    std::string err;
    if (!RawExec("BEGIN IMMEDIATE", err)) return OpenFailed(err);
    inTxn_ = true;
    // Another program may have set the file up while this one waited for the write lock.
    FileContents contents = FileContents::Empty;
    bool ok = ReadContents(contents, err);
    if (ok && contents == FileContents::Foreign) {
      err = "not a QIVA_IMPORT database (it holds tables of another program)";
      ok = false;
    }
    const bool setUp = ok && contents == FileContents::Empty;
    ok = ok && RawExec(CatalogSchemaSql(), err) && catalog_.Load(db_, err);
    if (ok && setUp) {
      for (const std::string& batch : SplitScriptBatches(TargetSchemaScript())) {
        if (!ExecuteLocked(batch)) {
          ok = false;
          break;
        }
      }
    }
    if (ok) ok = RawExec("COMMIT", err);
    inTxn_ = false;
    if (!ok) {
      std::string ignored;
      if (!sqlite3_get_autocommit(db_)) RawExec("ROLLBACK", ignored);
      // A failing schema statement already left its own message; any other failure says why.
      return error_.providerErrors.empty() ? OpenFailed(err) : false;
    }
    created_ = setUp;
    schemaVersion_ = SchemaVersion();
    return true;
  }

  // The database file and SQLite's files beside it that do not exist yet. The side files go
  // only with the database file: without it they are not this open's to remove.
  std::vector<std::string> MissingFiles() const {
    std::vector<std::string> missing;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
      std::error_code ec;
      const std::string file = path_ + suffix;
      if (std::filesystem::symlink_status(file, ec).type() == std::filesystem::file_type::not_found)
        missing.push_back(file);
    }
    if (missing.empty() || missing.front() != path_) missing.clear();
    return missing;
  }

  static void RemoveFiles(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
      std::error_code ec;
      std::filesystem::remove(file, ec);
    }
  }

  bool CloseLocked() {
    if (!db_) return true;
    {
      std::lock_guard<std::mutex> reg(RegistryMutex());
      Registry().erase(this);
    }
    Commit();  // a group that cannot be committed even now breaks the connection
    AppLocks::Instance().ReleaseAll(this);  // a session's application locks end with it
    ClearCache();
    sqlite3_close_v2(db_);
    db_ = nullptr;
    return true;
  }

  // Refuses a call on a broken connection with the failure that broke it.
  bool Refuse() {
    error_ = brokenError_;
    return false;
  }

  bool NotOpen() {
    error_.code = 0x800A0E78UL;
    error_.meaning = "Unknown error 0x800A0E78";
    error_.source = "ADODB.Connection";
    error_.description = "Operation is not allowed when the object is closed.";
    return false;
  }

  bool RawExec(const char* sql, std::string& err) {
    char* msg = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &msg) == SQLITE_OK) return true;
    err = msg ? msg : sqlite3_errmsg(db_);
    sqlite3_free(msg);
    return false;
  }

  static void AddErrorTo(EngineError& error, int number, const std::string& message) {
    if (error.providerErrors.empty()) {
      error.code = OleDbCodeFor(number);
      error.meaning = CodeMeaning(error.code);
      error.source = kEmbeddedSource;
      error.description = message;
    }
    error.providerErrors.push_back({number, message});
  }

  void AddError(int number, const std::string& message) { AddErrorTo(error_, number, message); }

  // Maps a failed SQLite call to SQL Server's message.
  void AddSqliteError(int rc) {
    const std::string text = sqlite3_errmsg(db_);
    lastSqliteMessage_ = text;
    int number = 0;
    std::string message;
    if (ParseRaisedError(text, number, message)) return AddError(number, message);
    switch (rc) {
      case SQLITE_CONSTRAINT_UNIQUE:
      case SQLITE_CONSTRAINT_PRIMARYKEY:
        return AddError(
            2627,
            "Violation of PRIMARY KEY or UNIQUE KEY constraint. Cannot insert duplicate key (" +
                text + ").");
      case SQLITE_CONSTRAINT_NOTNULL:
        return AddError(
            515,
            "Cannot insert the value NULL into a column that does not allow nulls (" + text + ").");
      case SQLITE_CONSTRAINT_FOREIGNKEY:
        return AddError(547,
                        "The statement conflicted with a FOREIGN KEY constraint (" + text + ").");
      case SQLITE_BUSY:
      case SQLITE_BUSY_SNAPSHOT:
      case SQLITE_LOCKED:
        return AddError(1222, "Lock request time out period exceeded.");
      default:
        return AddError(50000, text);
    }
  }

  // ---- group commits ----
  // Opens a group unless one is open. False (with the error) when the write lock could not be
  // had: the statement must then not run, since it would wait for the same lock once more.
  bool BeginGroup() {
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
  void Break(const std::string& cause) {
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
  void FollowSchemaChanges() {
    const long long version = SchemaVersion();
    if (version == schemaVersion_) return;
    std::string err;
    catalog_.Load(db_, err);
    ClearCache();
    schemaVersion_ = version;
  }

  long long SchemaVersion() {
    sqlite3_stmt* q = nullptr;
    long long v = -1;
    if (sqlite3_prepare_v2(db_, "PRAGMA schema_version", -1, &q, nullptr) == SQLITE_OK &&
        sqlite3_step(q) == SQLITE_ROW)
      v = sqlite3_column_int64(q, 0);
    sqlite3_finalize(q);
    return v;
  }

  // Commits the open group. A commit that fails loses the group: it is rolled back (if SQLite
  // has not done so already), so that what is reported lost is indeed not in the file.
  void Commit() {
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
  void EndOfCall(bool wrote, std::string_view sql) {
    if (!inTxn_) return;
    if (wrote) group_.Add(sql);
    if (GroupRolledBack())
      return Break(lastSqliteMessage_.empty() ? sqlite3_errmsg(db_) : lastSqliteMessage_);
    if (++pending_ >= kCommitEvery ||
        std::chrono::steady_clock::now() - groupStart_ >= kCommitAfter)
      Commit();
  }

  // ---- running texts ----
  bool ExecuteLocked(std::string_view sql) {
    // The group begins first: it may find the schema changed and drop the remembered plans.
    if (!BeginGroup()) return false;
    size_t bad = 0;
    std::string key;
    // A number beyond the double range must fail the whole text as the parse reports it; the
    // remembered plans would bind it as an infinity.
    if (Tokenize(sql, scratchTokens_, bad, false) && !FirstNumberOutOfRange(scratchTokens_)) {
      bool ok = false;
      const size_t pieces = SplitBeforeInserts(scratchTokens_, pieces_, pieceKeys_);
      if (pieces >= 2) {
        if (RunPieces(sql, ok)) return ok;
      } else if (pieces == 1) {
        if (RunPlanned(scratchTokens_.data(), pieceKeys_[0], ok)) return ok;
        key = pieceKeys_[0];
      }
    }
    Batch batch;
    SyntaxError se;
    if (!ParseBatch(sql, batch, se)) {
      AddError(se.number, se.message);
      return false;
    }
    bool any = false;
    // Long texts (the pharmaceutical batches) are not remembered whole: their statements are.
    const bool plannable = Plannable(batch) && !key.empty() && key.size() <= kPlanKeyLimit;
    recording_ = plannable;
    recorded_.clear();
    const Outcome o = RunList(batch, batch.statements, nullptr, &any, 0);
    if (plannable && recording_) RememberPlan(std::move(key), batch);
    recording_ = false;
    return o == Outcome::Ok;
  }

  // Runs statements in order; a failure of one leaves the others running unless it aborts the
  // text. The result is Ok only when every statement succeeded.
  Outcome RunList(const Batch& batch, const std::vector<StmtPtr>& list, ResultSet* out,
                  bool* gotRows, int depth) {
    Outcome result = Outcome::Ok;
    for (const StmtPtr& st : list) {
      const Outcome o = RunStatement(batch, *st, out, gotRows, depth);
      if (o == Outcome::Abort || GroupRolledBack() || observerStopped_) return Outcome::Abort;
      if (o == Outcome::Failed) result = Outcome::Failed;
    }
    return result;
  }

  // SQLite rolled the open group back by itself: the rest of the text must not run, since it
  // would be committed on its own without the rows the group held.
  bool GroupRolledBack() const { return inTxn_ && sqlite3_get_autocommit(db_); }

  Outcome Failed(int number, const std::string& message) {
    AddError(number, message);
    return AbortsBatch(number) ? Outcome::Abort : Outcome::Failed;
  }

  // ---- observed runs ----
  // A text run for an observer: each statement is announced before it runs (the observer may
  // stop the text there) and reported when it ends, with its own errors, row count and rows.
  bool RunObservedText(std::string_view sql) {
    if (!db_) return NotOpen(), ReportUnattributedErrors(), false;
    if (broken_) return Refuse(), ReportUnattributedErrors(), false;
    lastSqliteMessage_.clear();
    state_.hasScopeIdentity = false;
    state_.variables.clear();
    const int changesBefore = sqlite3_total_changes(db_);
    if (!BeginGroup()) return false;
    Batch batch;
    SyntaxError se;
    if (!ParseBatch(sql, batch, se)) {
      AddError(se.number, se.message);
      ObservedStatement failed;
      failed.abortsText = true;
      TakeErrors(failed);
      observer_->parsed(0);
      observer_->finished(failed);
      EndOfCall(false, sql);
      return false;
    }
    observer_->parsed(batch.statements.size());
    bool any = false;
    const Outcome o = RunList(batch, batch.statements, nullptr, &any, 0);
    EndOfCall(o == Outcome::Ok || sqlite3_total_changes(db_) != changesBefore, sql);
    return o == Outcome::Ok;
  }

  static bool IsObservedKind(Statement::Kind kind) {
    // SQL Server answers a DECLARE with nothing of its own.
    return kind != Statement::Kind::If && kind != Statement::Kind::Block &&
           kind != Statement::Kind::Nothing && kind != Statement::Kind::Declare;
  }

  static ObservedStatement::Kind ObservedKindOf(Statement::Kind kind) {
    switch (kind) {
      case Statement::Kind::Select:
        return ObservedStatement::Kind::Select;
      case Statement::Kind::Insert:
        return ObservedStatement::Kind::Insert;
      case Statement::Kind::Update:
        return ObservedStatement::Kind::Update;
      case Statement::Kind::Delete:
        return ObservedStatement::Kind::Delete;
      case Statement::Kind::Exec:
        return ObservedStatement::Kind::Exec;
      case Statement::Kind::Set:
        return ObservedStatement::Kind::Set;
      case Statement::Kind::CreateTable:
      case Statement::Kind::AlterTable:
      case Statement::Kind::CreateIndex:
      case Statement::Kind::DropTable:
      case Statement::Kind::CreateProcedure:
        return ObservedStatement::Kind::Schema;
      default:
        return ObservedStatement::Kind::Other;
    }
  }

  static int LineOf(const Batch& batch, const Statement& st) {
    if (st.firstToken >= batch.tokens.size()) return 1;
    const size_t offset = std::min(batch.tokens[st.firstToken].offset, batch.source.size());
    return 1 + static_cast<int>(std::count(batch.source.begin(),
                                           batch.source.begin() + static_cast<long>(offset), '\n'));
  }

  // Moves the errors not yet reported to `statement`.
  void TakeErrors(ObservedStatement& statement) {
    const auto& all = error_.providerErrors;
    for (size_t i = reportedErrors_; i < all.size(); ++i) statement.errors.push_back(all[i]);
    reportedErrors_ = all.size();
  }

  // Errors that no statement owns (an IF condition that failed) are reported on their own.
  void ReportUnattributedErrors() {
    if (!observer_ || reportedErrors_ >= error_.providerErrors.size()) return;
    ObservedStatement other;
    TakeErrors(other);
    observer_->finished(other);
  }

  Outcome RunObservedStatement(const Batch& batch, const Statement& st, ResultSet* out,
                               bool* gotRows, int depth) {
    ObservedStatement report;
    report.kind = ObservedKindOf(st.kind);
    report.place = {depth, LineOf(batch, st),
                    procedures_.empty() ? std::string() : procedures_.back()};
    if (!observer_->starting(report.place)) {
      observerStopped_ = true;  // also ends the texts of the procedures that run this one
      return Outcome::Abort;
    }
    report.table = st.table.name;
    if (st.kind == Statement::Kind::Set) {
      report.setName = ToUpper(st.name);
      report.setValue = st.value;
    }
    const bool selectRows = st.kind == Statement::Kind::Select && depth == 0;
    capture_ = selectRows ? &report : nullptr;
    returnStatus_.reset();
    const Outcome o = RunStatementBody(batch, st, out, gotRows, depth);
    capture_ = nullptr;
    if (st.kind == Statement::Kind::Exec) report.returnStatus = returnStatus_;
    TakeErrors(report);
    report.abortsText = o == Outcome::Abort;
    if (o == Outcome::Ok) {
      if (selectRows) {
        report.rowCount = static_cast<long long>(report.rows.size());
      } else if (st.kind == Statement::Kind::Insert || st.kind == Statement::Kind::Update ||
                 st.kind == Statement::Kind::Delete) {
        report.rowCount = sqlite3_changes(db_);
      }
    }
    if (!selectRows || o != Outcome::Ok) report.rows.clear();
    observer_->finished(report);
    return o;
  }

  // Reads the rows of a select into the observed statement, typing each column as the
  // catalogue declares it, or by its values when it is no table column.
  Outcome CaptureRows(sqlite3_stmt* q) {
    ObservedStatement& report = *capture_;
    capture_ = nullptr;  // only the statement's own rows, not those of what it calls
    const int n = sqlite3_column_count(q);
    std::vector<bool> typed(static_cast<size_t>(n), false);
    for (int c = 0; c < n; ++c) {
      report.columns.push_back(DeclaredColumn(q, c));
      typed[static_cast<size_t>(c)] = !report.columns.back().typeName.empty();
    }
    int rc;
    while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
      std::vector<ObservedValue> row;
      row.reserve(static_cast<size_t>(n));
      for (int c = 0; c < n; ++c) row.push_back(ObservedValueOf(q, c));
      report.rows.push_back(std::move(row));
    }
    for (int c = 0; c < n; ++c)
      if (!typed[static_cast<size_t>(c)]) TypeByValues(report, static_cast<size_t>(c));
    if (rc == SQLITE_DONE) return Outcome::Ok;
    AddSqliteError(sqlite3_extended_errcode(db_));
    return AbortsBatch(error_.providerErrors.back().number) ? Outcome::Abort : Outcome::Failed;
  }

  ObservedColumn DeclaredColumn(sqlite3_stmt* q, int c) const {
    ObservedColumn col;
    col.name = sqlite3_column_name(q, c);
    const char* table = sqlite3_column_table_name(q, c);
    const char* origin = sqlite3_column_origin_name(q, c);
    if (!table || !origin) return col;
    const TableInfo* info = catalog_.Find(table);
    const int index = info ? info->Find(origin) : -1;
    if (index < 0) return col;
    const ColumnInfo& declared = info->columns[static_cast<size_t>(index)];
    col.typeName = declared.typeName;
    col.length = declared.length;
    col.precision = declared.precision;
    col.scale = declared.scale;
    return col;
  }

  // A computed column (count(*), max(id), a literal) gets the narrowest of int, bigint, float
  // and varchar that holds all its values.
  static void TypeByValues(ObservedStatement& report, size_t c) {
    bool real = false, text = false, big = false;
    size_t longest = 1;
    for (const auto& row : report.rows) {
      const ObservedValue& v = row[c];
      if (const auto* i = std::get_if<std::int64_t>(&v))
        big = big || *i < INT32_MIN || *i > INT32_MAX;
      real = real || std::holds_alternative<double>(v);
      if (const auto* s = std::get_if<std::string>(&v)) {
        text = true;
        longest = std::max(longest, s->size());
      }
    }
    ObservedColumn& col = report.columns[c];
    if (text) {
      col.typeName = "VARCHAR";
      col.length = longest > 8000 ? -1 : 8000;
    } else {
      col.typeName = real ? "FLOAT" : big ? "BIGINT" : "INT";
    }
  }

  static ObservedValue ObservedValueOf(sqlite3_stmt* q, int c) {
    switch (sqlite3_column_type(q, c)) {
      case SQLITE_NULL:
        return std::monostate{};
      case SQLITE_INTEGER:
        return static_cast<std::int64_t>(sqlite3_column_int64(q, c));
      case SQLITE_FLOAT:
        return sqlite3_column_double(q, c);
      default: {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(q, c));
        return std::string(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(q, c)));
      }
    }
  }

  Outcome RunStatement(const Batch& batch, const Statement& st, ResultSet* out, bool* gotRows,
                       int depth) {
    if (observer_ && IsObservedKind(st.kind))
      return RunObservedStatement(batch, st, out, gotRows, depth);
    return RunStatementBody(batch, st, out, gotRows, depth);
  }

  Outcome RunStatementBody(const Batch& batch, const Statement& st, ResultSet* out, bool* gotRows,
                           int depth) {
    state_.nowValid = false;  // getdate() is read afresh, once, for each statement
    switch (st.kind) {
      case Statement::Kind::Select:
      case Statement::Kind::Insert:
      case Statement::Kind::Update:
      case Statement::Kind::Delete:
        return RunDml(batch, st, st.kind == Statement::Kind::Select && !*gotRows ? out : nullptr,
                      gotRows);
      case Statement::Kind::CreateTable:
      case Statement::Kind::AlterTable:
      case Statement::Kind::CreateIndex:
      case Statement::Kind::DropTable:
      case Statement::Kind::CreateProcedure:
        return RunSchema(st);
      case Statement::Kind::Set:
        return RunSet(st);
      case Statement::Kind::Exec:
        return RunProcedure(batch, st, depth);
      case Statement::Kind::Declare:
        return RunDeclare(batch, st);
      case Statement::Kind::If: {
        std::string sql;
        TranslateError te;
        Translator tr(catalog_, batch, 0, true, state_.databaseName);
        if (!tr.Condition(*st.condition, sql, te)) return Failed(te.number, te.message);
        sqlite3_stmt* q = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &q, nullptr) != SQLITE_OK) {
          AddSqliteError(sqlite3_errcode(db_));
          return Outcome::Abort;
        }
        int rc = sqlite3_step(q);
        const bool holds = rc == SQLITE_ROW && sqlite3_column_int(q, 0) != 0;
        if (rc != SQLITE_ROW) AddSqliteError(sqlite3_extended_errcode(db_));
        sqlite3_finalize(q);
        if (rc != SQLITE_ROW) return Outcome::Abort;
        if (holds) return RunStatement(batch, *st.body[0], out, gotRows, depth);
        if (st.body.size() > 1) return RunStatement(batch, *st.body[1], out, gotRows, depth);
        return Outcome::Ok;
      }
      case Statement::Kind::Block:
        return RunList(batch, st.body, out, gotRows, depth);
      case Statement::Kind::Nothing:
        return Outcome::Ok;
    }
    return Outcome::Ok;
  }

  Outcome RunSet(const Statement& st) {
    if (st.name == "DATEFORMAT") {
      DateOrder order;
      if (!ParseDateOrder(st.value, order))
        return Failed(2741, "SET DATEFORMAT date order '" + st.value + "' is invalid.");
      state_.dateOrder = order;
    } else if (st.name == "LOCK_TIMEOUT") {
      // Milliseconds to wait for a lock; -1 (SQL Server's wait without limit) waits up to the
      // engine's limit.
      char* end = nullptr;
      const long long ms = std::strtoll(st.value.c_str(), &end, 10);
      if (end == st.value.c_str() || *end != '\0' || ms < -1)
        return Failed(50000, "SET LOCK_TIMEOUT " + st.value +
                                 ": the value must be -1 or a number of milliseconds.");
      lockWait_.SetTimeout(ms);
      lockTimeout_ = std::chrono::milliseconds(ms);
    } else if (st.name == "LANGUAGE") {
      const std::string lang = ToUpper(st.value);
      state_.dateOrder =
          lang == "US_ENGLISH" || lang == "ENGLISH" ? DateOrder::MDY : DateOrder::DMY;
    }
    return Outcome::Ok;  // NOCOUNT, ANSI_NULLS, QUOTED_IDENTIFIER and the like change nothing here
  }

  // DECLARE: each variable starts NULL or with its value, converted to its type.
  Outcome RunDeclare(const Batch& batch, const Statement& st) {
    for (const VariableDef& v : st.variables) {
      if (state_.variables.count(v.name))
        return Failed(134, "The variable name '" + v.name +
                               "' has already been declared. Variable names must be unique within "
                               "a query batch or stored procedure.");
      SqlVariable value;
      if (v.init) {
        const Outcome o = Evaluate(batch, *v.init, value);
        if (o != Outcome::Ok) return o;
        value = AsDeclared(value, v.type);
      }
      state_.variables[v.name] = std::move(value);
    }
    return Outcome::Ok;
  }

  // The value of an expression computed on its own (no table).
  Outcome Evaluate(const Batch& batch, const Expr& expr, SqlVariable& value) {
    std::string sql;
    TranslateError te;
    Translator tr(catalog_, batch, 0, true, state_.databaseName);
    if (!tr.Value(expr, sql, te)) return Failed(te.number, te.message);
    sqlite3_stmt* q = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &q, nullptr) != SQLITE_OK) {
      AddSqliteError(sqlite3_errcode(db_));
      return Outcome::Abort;
    }
    const int rc = sqlite3_step(q);
    if (rc == SQLITE_ROW) {
      switch (sqlite3_column_type(q, 0)) {
        case SQLITE_NULL:
          value = std::monostate{};
          break;
        case SQLITE_INTEGER:
          value = static_cast<long long>(sqlite3_column_int64(q, 0));
          break;
        case SQLITE_FLOAT:
          value = sqlite3_column_double(q, 0);
          break;
        default: {
          const auto* p = static_cast<const char*>(sqlite3_column_blob(q, 0));
          value = std::string(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(q, 0)));
        }
      }
    } else {
      AddSqliteError(sqlite3_extended_errcode(db_));
    }
    sqlite3_finalize(q);
    return rc == SQLITE_ROW ? Outcome::Ok : Outcome::Failed;
  }

  // A value as a variable of `type` holds it: whole numbers for the integer types, text cut to
  // the declared length for the character types.
  static SqlVariable AsDeclared(SqlVariable value, const SqlTypeName& type) {
    const std::string& t = type.name;
    if (t == "INT" || t == "BIGINT" || t == "SMALLINT" || t == "TINYINT" || t == "BIT") {
      if (const auto* d = std::get_if<double>(&value)) return static_cast<long long>(*d);
      if (const auto* s = std::get_if<std::string>(&value))
        return std::strtoll(s->c_str(), nullptr, 10);
    } else if (t == "VARCHAR" || t == "NVARCHAR" || t == "CHAR" || t == "NCHAR") {
      if (const auto* i = std::get_if<long long>(&value)) value = std::to_string(*i);
      auto* s = std::get_if<std::string>(&value);
      const size_t length = type.length > 0    ? static_cast<size_t>(type.length)
                            : type.length == 0 ? 1
                                               : std::string::npos;
      if (s && s->size() > length) s->resize(length);
    }
    return value;
  }

  // The value of an EXEC argument: a literal (with its sign), NULL or a variable.
  Outcome ArgumentValue(const Batch& batch, const Expr& e, SqlVariable& value) {
    if (e.kind == Expr::Kind::Null) {
      value = std::monostate{};
      return Outcome::Ok;
    }
    if (e.kind == Expr::Kind::Variable) {
      const auto it = state_.variables.find(e.name);
      if (it == state_.variables.end())
        return Failed(137, "Must declare the scalar variable \"" + e.name + "\".");
      value = it->second;
      return Outcome::Ok;
    }
    const Expr& literal = e.kind == Expr::Kind::Unary ? *e.args[0] : e;
    const Token& tok = batch.tokens[batch.literals[static_cast<size_t>(literal.literal)]];
    const bool negative = e.kind == Expr::Kind::Unary && e.name == "-";
    if (tok.kind == TokenKind::String) {
      value = tok.text;
    } else if (tok.text.find_first_of(".eE") == std::string::npos) {
      const long long n = std::strtoll(tok.text.c_str(), nullptr, 10);
      value = negative ? -n : n;
    } else {
      const double d = std::strtod(tok.text.c_str(), nullptr);
      value = negative ? -d : d;
    }
    return Outcome::Ok;
  }

  // EXEC of a system procedure: its arguments evaluated, its outcome kept as the statement's
  // return status. A lock wait first commits the open group, so that the holder of the lock is
  // not kept from writing while this connection waits for it.
  Outcome RunSystemProcedureOf(const Batch& batch, const Statement& st) {
    std::vector<ProcedureArgument> arguments;
    for (const ExecArg& arg : st.execArgs) {
      ProcedureArgument a;
      a.name = arg.name;
      if (arg.value) {
        SqlVariable v;
        const Outcome o = ArgumentValue(batch, *arg.value, v);
        if (o != Outcome::Ok) return o;
        a.value = std::move(v);
      }
      arguments.push_back(std::move(a));
    }
    ProcedureSession session;
    session.database = path_;
    session.session = this;
    session.lockTimeout = lockTimeout_;
    session.beforeWait = [this] { Commit(); };
    const ProcedureOutcome outcome = RunSystemProcedure(st.name, arguments, session);
    if (outcome.errorNumber != 0) AddError(outcome.errorNumber, outcome.errorMessage);
    if (!outcome.status) return Outcome::Failed;
    return SetReturnStatus(st, *outcome.status) && outcome.errorNumber == 0 ? Outcome::Ok
                                                                            : Outcome::Failed;
  }

  // Keeps a procedure's return status, and stores it into the variable of EXEC @v = name.
  bool SetReturnStatus(const Statement& st, int status) {
    returnStatus_ = status;
    if (st.returnVariable.empty()) return true;
    const auto it = state_.variables.find(st.returnVariable);
    if (it == state_.variables.end()) {
      AddError(137, "Must declare the scalar variable \"" + st.returnVariable + "\".");
      return false;
    }
    it->second = static_cast<long long>(status);
    return true;
  }

  Outcome RunProcedure(const Batch& batch, const Statement& st, int depth) {
    if (depth >= kMaxNesting)
      return Failed(217,
                    "Maximum stored procedure, function, trigger, or view nesting level exceeded "
                    "(limit 32).");
    if (IsSystemProcedure(st.name)) return RunSystemProcedureOf(batch, st);
    sqlite3_stmt* q = nullptr;
    std::string body;
    bool found = false;
    if (sqlite3_prepare_v2(db_,
                           "SELECT body FROM \"__qiva_objects\" WHERE type = 'P' AND name = ?1", -1,
                           &q, nullptr) == SQLITE_OK) {
      sqlite3_bind_text(q, 1, st.name.c_str(), static_cast<int>(st.name.size()), SQLITE_TRANSIENT);
      if (sqlite3_step(q) == SQLITE_ROW) {
        found = true;
        const unsigned char* p = sqlite3_column_text(q, 0);
        body = p ? reinterpret_cast<const char*>(p) : "";
      }
    }
    sqlite3_finalize(q);
    if (!found) return Failed(2812, "Could not find stored procedure '" + st.name + "'.");
    // The catalogue's procedures take no parameters.
    if (!st.execArgs.empty())
      return Failed(8146,
                    "Procedure " + st.name + " has no parameters and arguments were supplied.");
    Batch inner;
    SyntaxError se;
    if (!ParseBatch(body, inner, se)) return Failed(se.number, se.message);
    bool rows = true;  // a procedure's rows are not returned
    // A procedure's body is a scope of its own: its inserts do not change SCOPE_IDENTITY() of
    // the caller, nor does it see the caller's.
    const bool hadIdentity = state_.hasScopeIdentity;
    const long long identity = state_.scopeIdentity;
    state_.hasScopeIdentity = false;
    auto variables = std::move(state_.variables);  // nor the caller's variables
    state_.variables.clear();
    procedures_.push_back(st.name);
    const Outcome o = RunList(inner, inner.statements, nullptr, &rows, depth + 1);
    procedures_.pop_back();
    state_.hasScopeIdentity = hadIdentity;
    state_.scopeIdentity = identity;
    state_.variables = std::move(variables);
    if (!SetReturnStatus(st, o == Outcome::Ok ? 0 : -6)) return Outcome::Failed;
    return o == Outcome::Abort ? Outcome::Failed : o;
  }

  Outcome RunSchema(const Statement& st) {
    std::string err;
    RawExec("SAVEPOINT qiva_schema", err);
    DdlRunner ddl(db_, catalog_, state_.databaseName);
    TranslateError te;
    const bool ok = ddl.Run(st, te);
    if (ok) {
      RawExec("RELEASE qiva_schema", err);
    } else {
      RawExec("ROLLBACK TO qiva_schema", err);
      RawExec("RELEASE qiva_schema", err);
      catalog_.Load(db_, err);
    }
    ClearCache();
    schemaVersion_ = SchemaVersion();
    return ok ? Outcome::Ok : Failed(te.number, te.message);
  }

  const Cached* Prepared(const Batch& batch, const Statement& st, Outcome& failure) {
    std::string key = StatementShape(batch, st);
    const auto it = cache_.find(key);
    if (it != cache_.end()) return it->second.get();
    std::string sql;
    TranslateError te;
    Translator tr(catalog_, batch, st.firstLiteral, false, state_.databaseName);
    if (!tr.Statement(st, sql, te)) {
      failure = Failed(te.number, te.message);
      return nullptr;
    }
    sqlite3_stmt* q = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                           SQLITE_PREPARE_PERSISTENT, &q, nullptr) != SQLITE_OK) {
      AddSqliteError(sqlite3_extended_errcode(db_));
      failure = Outcome::Abort;
      return nullptr;
    }
    if (cache_.size() >= kCacheLimit) {
      ClearCache();
      recording_ = false;  // statements recorded so far are gone
    }
    auto entry = std::make_unique<Cached>();
    entry->stmt = q;
    if (st.kind == Statement::Kind::Insert) {
      if (const TableInfo* table = catalog_.Find(st.table.name)) {
        for (const ColumnInfo& c : table->columns)
          entry->identityInsert = entry->identityInsert || c.identity;
      }
    }
    entry->params = tr.DirectParams();
    for (const DirectParam& p : entry->params) {
      if (entry->direct.size() < static_cast<size_t>(p.param))
        entry->direct.resize(static_cast<size_t>(p.param), nullptr);
      entry->direct[static_cast<size_t>(p.param) - 1] = &p.target;
    }
    const Cached* result = entry.get();
    cache_.emplace(std::move(key), std::move(entry));
    return result;
  }

  Outcome RunDml(const Batch& batch, const Statement& st, ResultSet* out, bool* gotRows) {
    Outcome failure = Outcome::Failed;
    const Cached* q = Prepared(batch, st, failure);
    if (!q) {
      recording_ = false;
      return failure;
    }
    if (recording_) recorded_.push_back(q);
    return Step(batch.tokens.data(), batch.literals, st.firstLiteral, st.endLiteral, *q, out,
                gotRows);
  }

  // Binds the statement's literals (tokens[literals[first..end)]) and runs it to the end.
  Outcome Step(const Token* tokens, const std::vector<size_t>& literals, int first, int end,
               const Cached& cached, ResultSet* out, bool* gotRows) {
    sqlite3_stmt* q = cached.stmt;
    const int params = sqlite3_bind_parameter_count(q);
    for (int i = first; i < end; ++i) {
      const int index = i - first + 1;
      if (index > params) break;
      const Token& tok = tokens[literals[static_cast<size_t>(i)]];
      const ColumnTarget* target = static_cast<size_t>(index) <= cached.direct.size()
                                       ? cached.direct[static_cast<size_t>(index) - 1]
                                       : nullptr;
      if (target) {
        // A literal stored into a column: converted and checked here, as qiva_col would.
        SqlValue in;
        if (tok.kind == TokenKind::String) {
          in.type = SqlValue::Type::Text;
          in.text = tok.text;
        } else if (tok.text.find_first_of(".eE") == std::string::npos && tok.text.size() < 19) {
          in.type = SqlValue::Type::Int;
          in.i = std::strtoll(tok.text.c_str(), nullptr, 10);
        } else {
          in.type = SqlValue::Type::Real;
          in.d = std::strtod(tok.text.c_str(), nullptr);
          in.text = tok.text;
        }
        SqlValue v;
        int number = 0;
        std::string message;
        // One buffer per parameter, kept until the parameter is bound again.
        if (bindBuffers_.size() < static_cast<size_t>(index))
          bindBuffers_.resize(static_cast<size_t>(index));
        std::string& buffer = bindBuffers_[static_cast<size_t>(index) - 1];
        if (!ConvertForColumn(in, *target, state_, v, buffer, number, message)) {
          sqlite3_reset(q);
          return Failed(number, message);
        }
        switch (v.type) {
          case SqlValue::Type::Null:
            sqlite3_bind_null(q, index);
            break;
          case SqlValue::Type::Int:
            sqlite3_bind_int64(q, index, v.i);
            break;
          case SqlValue::Type::Real:
            sqlite3_bind_double(q, index, v.d);
            break;
          case SqlValue::Type::Text:
            sqlite3_bind_text(q, index, v.text.data(), static_cast<int>(v.text.size()),
                              SQLITE_STATIC);
            break;
        }
        continue;
      }
      if (tok.kind == TokenKind::String) {
        sqlite3_bind_text(q, index, tok.text.data(), static_cast<int>(tok.text.size()),
                          SQLITE_STATIC);
      } else if (tok.text.find_first_of(".eE") == std::string::npos && tok.text.size() < 19) {
        sqlite3_bind_int64(q, index, std::strtoll(tok.text.c_str(), nullptr, 10));
      } else {
        sqlite3_bind_double(q, index, std::strtod(tok.text.c_str(), nullptr));
      }
    }
    if (capture_) {
      const Outcome captured = CaptureRows(q);
      sqlite3_reset(q);
      return captured;
    }
    if (out) {
      *gotRows = true;
      const int n = sqlite3_column_count(q);
      for (int c = 0; c < n; ++c) out->columns.emplace_back(sqlite3_column_name(q, c));
    }
    int rc;
    while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
      if (!out) continue;
      std::vector<DbValue> row;
      const int n = sqlite3_column_count(q);
      row.reserve(static_cast<size_t>(n));
      for (int c = 0; c < n; ++c) row.push_back(ValueOf(q, c));
      out->rows.push_back(std::move(row));
    }
    Outcome result = Outcome::Ok;
    if (rc == SQLITE_DONE && cached.identityInsert && sqlite3_changes(db_) > 0) {
      // An identity column is the table's rowid: the row just inserted holds this value.
      state_.hasScopeIdentity = true;
      state_.scopeIdentity = sqlite3_last_insert_rowid(db_);
    }
    if (rc != SQLITE_DONE) {
      AddSqliteError(sqlite3_extended_errcode(db_));
      result = AbortsBatch(error_.providerErrors.back().number) ? Outcome::Abort : Outcome::Failed;
      if (out) out->rows.clear();
    }
    sqlite3_reset(q);
    return result;
  }

  static DbValue ValueOf(sqlite3_stmt* q, int c) {
    switch (sqlite3_column_type(q, c)) {
      case SQLITE_NULL:
        return DbNull{};
      case SQLITE_INTEGER: {
        const sqlite3_int64 v = sqlite3_column_int64(q, c);
        if (v >= INT32_MIN && v <= INT32_MAX) return static_cast<std::int32_t>(v);
        return static_cast<double>(v);
      }
      case SQLITE_FLOAT:
        return sqlite3_column_double(q, c);
      default: {
        const unsigned char* p = sqlite3_column_text(q, c);
        return std::string(reinterpret_cast<const char*>(p),
                           static_cast<size_t>(sqlite3_column_bytes(q, c)));
      }
    }
  }

  void ClearCache() {
    plans_.clear();
    ++plansCleared_;
    for (auto& [key, q] : cache_) sqlite3_finalize(q->stmt);
    cache_.clear();
  }

  // ---- texts seen before ----
  // A text made only of queries, data changes and SET options is remembered by its shape (its
  // tokens with every string and number replaced), with the prepared statement of each of its
  // statements, so that the next text of the same shape is only tokenized and bound.
  struct PlanStep {
    Statement::Kind kind;
    int firstLiteral, endLiteral;
    const Cached* stmt;  // owned by cache_
    std::string setName, setValue;
  };
  struct Plan {
    std::vector<size_t> literals;
    std::vector<std::pair<size_t, std::string>>
        fixedNumbers;  // numbers that are part of the syntax
    std::vector<PlanStep> steps;
  };

  static bool Plannable(const Batch& batch) {
    for (const StmtPtr& st : batch.statements) {
      switch (st->kind) {
        case Statement::Kind::Select:
        case Statement::Kind::Insert:
        case Statement::Kind::Update:
        case Statement::Kind::Delete:
        case Statement::Kind::Set:
          break;
        default:
          return false;
      }
    }
    return !batch.statements.empty();
  }

  void RememberPlan(std::string key, const Batch& batch) {
    size_t statements = 0;
    for (const StmtPtr& st : batch.statements) statements += st->kind != Statement::Kind::Set;
    if (statements != recorded_.size()) return;  // a statement did not run (the text stopped early)
    Plan plan;
    plan.literals = batch.literals;
    plan.fixedNumbers = FixedNumbers(batch);
    size_t next = 0;
    for (const StmtPtr& st : batch.statements) {
      PlanStep step{st->kind, st->firstLiteral, st->endLiteral, nullptr, st->name, st->value};
      if (st->kind != Statement::Kind::Set) step.stmt = recorded_[next++];
      plan.steps.push_back(std::move(step));
    }
    if (plans_.size() >= kCacheLimit) {
      plans_.clear();
      ++plansCleared_;
    }
    plans_[std::move(key)] = std::move(plan);
  }

  // The remembered plan for a text of shape `key` whose tokens start at `tokens`; null when there
  // is none, or when a number that is part of its syntax differs.
  const Plan* FindPlan(const Token* tokens, const std::string& key) const {
    const auto it = plans_.find(key);
    if (it == plans_.end() || !SameNumbers(tokens, it->second.fixedNumbers)) return nullptr;
    return &it->second;
  }

  Outcome RunPlan(const Plan& plan, const Token* tokens) {
    Outcome result = Outcome::Ok;
    bool rows = true;
    for (const PlanStep& step : plan.steps) {
      state_.nowValid = false;
      Outcome o;
      if (step.kind == Statement::Kind::Set) {
        Statement set;
        set.name = step.setName;
        set.value = step.setValue;
        o = RunSet(set);
      } else {
        o = Step(tokens, plan.literals, step.firstLiteral, step.endLiteral, *step.stmt, nullptr,
                 &rows);
      }
      if (o == Outcome::Failed) result = Outcome::Failed;
      if (o == Outcome::Abort || GroupRolledBack()) return Outcome::Abort;
    }
    return result;
  }

  // Runs a text through a remembered plan; false when there is none (the caller parses).
  bool RunPlanned(const Token* tokens, const std::string& key, bool& ok) {
    const Plan* plan = FindPlan(tokens, key);
    if (!plan) return false;
    ok = RunPlan(*plan, tokens) == Outcome::Ok;
    return true;
  }

  // ---- texts of many inserts ----
  // A text that SplitBeforeInserts cuts into pieces (the pharmaceutical batches) runs piece by
  // piece: a piece whose shape has a plan is only bound and run, a new shape is parsed once and
  // its plan remembered, so a batch costs no more per statement than the same statements sent
  // one by one. SQL Server's batch rules stay: every piece is checked before any runs (a syntax
  // error anywhere runs none), a conversion error stops the pieces after it, a constraint error
  // fails only its own statement. A text whose pieces do not each parse into whole queries, data
  // changes or SET options is left to the whole-text parse (RunPieces returns false).
  bool RunPieces(std::string_view sql, bool& ok) {
    if (!CheckPieces(sql)) return false;
    const unsigned long long checkedWith = plansCleared_;
    Outcome result = Outcome::Ok;
    for (size_t p = 0; p < pieces_.size(); ++p) {
      const Token* tokens = scratchTokens_.data() + pieces_[p].first;
      PrefetchPiece(p + 1);
      // The plan found by the check stands while no plan has been dropped since; a piece that
      // had none may have one now, made by an earlier piece of its shape.
      const Plan* plan = piecePlans_[p] && plansCleared_ == checkedWith
                             ? piecePlans_[p]
                             : FindPlan(tokens, pieceKeys_[p]);
      const Outcome o =
          plan ? RunPlan(*plan, tokens)
               : RunNewPiece(RangeText(sql, scratchTokens_, pieces_[p]), pieceKeys_[p]);
      if (o == Outcome::Abort || GroupRolledBack()) {
        result = Outcome::Abort;
        break;
      }
      if (o == Outcome::Failed) result = Outcome::Failed;
    }
    ok = result == Outcome::Ok;
    return true;
  }

  // A batch's tokens (some 3 MB for 1001 drug inserts) have left the cache by the time its
  // pieces run, after the check of the whole text: the next piece's tokens and the texts of its
  // values are fetched while the current piece runs.
  void PrefetchPiece(size_t p) const {
#if defined(__GNUC__)
    if (p >= pieces_.size()) return;
    for (size_t i = pieces_[p].first; i < pieces_[p].end; ++i) {
      const Token& t = scratchTokens_[i];
      __builtin_prefetch(&t);
      if (t.kind == TokenKind::String || t.kind == TokenKind::Number)
        __builtin_prefetch(t.text.data());
    }
#else
    (void)p;
#endif
  }

  // Checks that every piece (shaped by SplitBeforeInserts) would parse: its shape has a plan, or a
  // piece of the same shape (and the same syntax numbers) parsed earlier in this text, or it
  // parses now into plannable statements.
  bool CheckPieces(std::string_view sql) {
    piecePlans_.assign(pieces_.size(), nullptr);
    checkedShapes_.clear();
    for (size_t p = 0; p < pieces_.size(); ++p) {
      const Token* tokens = scratchTokens_.data() + pieces_[p].first;
      const std::string& key = pieceKeys_[p];
      if ((piecePlans_[p] = FindPlan(tokens, key)) != nullptr) continue;
      const auto seen = checkedShapes_.find(key);
      if (seen != checkedShapes_.end() && SameNumbers(tokens, seen->second)) continue;
      Batch batch;
      SyntaxError ignored;
      if (!ParseBatch(RangeText(sql, scratchTokens_, pieces_[p]), batch, ignored) ||
          !Plannable(batch))
        return false;
      checkedShapes_[key] = FixedNumbers(batch);
    }
    return true;
  }

  // Parses and runs a piece of a shape without a plan, and remembers the plan.
  Outcome RunNewPiece(std::string_view text, const std::string& key) {
    Batch batch;
    SyntaxError se;
    if (!ParseBatch(text, batch, se)) {  // cannot happen: CheckPieces parsed this shape
      AddError(se.number, se.message);
      return Outcome::Abort;
    }
    recording_ = key.size() <= kPlanKeyLimit;
    recorded_.clear();
    bool any = false;
    const Outcome o = RunList(batch, batch.statements, nullptr, &any, 0);
    if (recording_) RememberPlan(key, batch);
    recording_ = false;
    return o;
  }

  using NumberList = std::vector<std::pair<size_t, std::string>>;

  // The numbers of a parsed text that are part of its syntax (not bound as values).
  static NumberList FixedNumbers(const Batch& batch) {
    NumberList numbers;
    size_t lit = 0;
    for (size_t i = 0; i < batch.tokens.size(); ++i) {
      if (lit < batch.literals.size() && batch.literals[lit] == i) {
        ++lit;
        continue;
      }
      if (batch.tokens[i].kind == TokenKind::Number) numbers.emplace_back(i, batch.tokens[i].text);
    }
    return numbers;
  }

  static bool SameNumbers(const Token* tokens, const NumberList& numbers) {
    for (const auto& [index, text] : numbers)
      if (tokens[index].text != text) return false;
    return true;
  }

  StatementObserver* observer_ = nullptr;  // set during runObserved
  ObservedStatement* capture_ = nullptr;   // the select whose rows the next step reads
  bool observerStopped_ = false;           // the observer stopped the text
  size_t reportedErrors_ = 0;              // errors of error_ already handed to the observer
  std::vector<std::string> procedures_;    // the procedures running, innermost last
  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  std::string path_;
  bool created_ = false;
  Catalog catalog_;
  SessionState state_;
  EngineError error_;
  std::unordered_map<std::string, std::unique_ptr<Cached>> cache_;
  std::unordered_map<std::string, Plan> plans_;
  bool recording_ = false;
  std::vector<const Cached*> recorded_;
  std::vector<std::string> bindBuffers_;
  std::vector<Token> scratchTokens_;
  std::vector<TokenRange> pieces_;       // the pieces of the running text (RunPieces)
  std::vector<std::string> pieceKeys_;   // their shape keys
  std::vector<const Plan*> piecePlans_;  // their plans when checked (null: none then)
  unsigned long long plansCleared_ = 0;  // times the remembered plans were dropped
  std::unordered_map<std::string, NumberList> checkedShapes_;  // shapes parsed by CheckPieces
  bool inTxn_ = false;
  int pending_ = 0;
  std::chrono::steady_clock::time_point groupStart_;
  long long schemaVersion_ = -1;
  GroupTexts group_;                    // texts of the open group's statements that ran
  std::atomic<bool> broken_{false};     // the connection lost a group; it refuses everything
  EngineError brokenError_;             // the failure that broke it, given to every refusal
  std::optional<LostStatements> lost_;  // the lost group, until the caller takes it
  std::string lastSqliteMessage_;       // SQLite's text of the last failed statement
  LockWait lockWait_;
  std::chrono::milliseconds lockTimeout_{-1};  // SET LOCK_TIMEOUT, for sp_getapplock's default
  std::optional<int> returnStatus_;            // of the last EXEC
  std::thread flusher_;
  std::condition_variable flusherWake_;
  bool stopFlusher_ = false;
};

void FlushAllAtExit() {
  std::lock_guard<std::mutex> reg(RegistryMutex());
  for (SqliteEngine* e : Registry()) e->FlushFromExit();
}

}  // namespace

std::unique_ptr<DbEngine> CreateSqliteEngine() { return std::make_unique<SqliteEngine>(); }

std::unique_ptr<ObservableEngine> CreateObservableSqliteEngine() {
  return std::make_unique<SqliteEngine>();
}

}  // namespace qiva::db
