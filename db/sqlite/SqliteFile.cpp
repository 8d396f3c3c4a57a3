// SqliteFile.cpp: the engine's database file: opening it with the engine's pragmas and
// functions, telling an empty, own or foreign file apart, giving an empty file the schema, and
// closing it. Running statements belongs to StatementRuns.cpp.
#include <filesystem>

#include "db/ConnectionString.h"
#include "db/sqlite/AppLocks.h"
#include "db/sqlite/SchemaScripts.h"
#include "db/sqlite/SqliteEngineInternal.h"

namespace qiva::db::embedded {

// The file of DATABASE= (or DATA SOURCE=); false when the text names none.
bool SqliteEngine::ParseConnectionString(const std::string& cs, std::string& path) {
  path = ConnectionAttribute(cs, "DATABASE");
  if (path.empty()) path = ConnectionAttribute(cs, "DATA SOURCE");
  return !path.empty();
}

// Opens path_ with the engine's settings (WAL, foreign keys, its functions) and reads or
// gives the file its catalogue. False, with message 4060, when the file cannot be used.
bool SqliteEngine::OpenFile() {
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

bool SqliteEngine::OpenFailed(const std::string& why) {
  AddError(4060, "Cannot open database \"" + path_ +
                     "\": " + (why.empty() && db_ ? sqlite3_errmsg(db_) : why));
  return false;
}

bool SqliteEngine::ReadContents(FileContents& contents, std::string& err) {
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
bool SqliteEngine::SetUpEmptyFile() {
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
std::vector<std::string> SqliteEngine::MissingFiles() const {
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

void SqliteEngine::RemoveFiles(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
  }
}

// Commits, drops the session's application locks and the prepared statements, and closes
// the file. The caller holds mutex_.
bool SqliteEngine::CloseLocked() {
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

// Runs SQLite's own SQL (no T-SQL layer); false with SQLite's text in `err`.
bool SqliteEngine::RawExec(const char* sql, std::string& err) {
  char* msg = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &msg) == SQLITE_OK) return true;
  err = msg ? msg : sqlite3_errmsg(db_);
  sqlite3_free(msg);
  return false;
}

// SQLite's schema counter: it changes with every schema change of any connection.
long long SqliteEngine::SchemaVersion() {
  sqlite3_stmt* q = nullptr;
  long long v = -1;
  if (sqlite3_prepare_v2(db_, "PRAGMA schema_version", -1, &q, nullptr) == SQLITE_OK &&
      sqlite3_step(q) == SQLITE_ROW)
    v = sqlite3_column_int64(q, 0);
  sqlite3_finalize(q);
  return v;
}

}  // namespace qiva::db::embedded
