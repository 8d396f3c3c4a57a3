// ImportLock.cpp: the lock file by resolved path and the application lock through statements
// that both SQL Server and the embedded engine run: the return status is read as a row
// ("exec @r = ...; select @r"), since the TDS stand-in takes SQL batches only.
#include "app/ImportLock.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <thread>

#include "app/INILoader.h"
#include "app/Places.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "db/ConnectionString.h"

namespace {

// Each try waits this long at most: a stop request is seen between tries, and a statement
// time-out of a second or more never cuts a try short.
constexpr std::chrono::milliseconds kTryWait{500};

std::string Quoted(const std::string& text) {
  std::string out = "N'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

// The first row's integer column `name`, or nothing.
std::optional<int> IntField(CAdoRecordset& rs, const char* name) {
  if (rs.IsEOF()) return std::nullopt;
  const DbValue value = rs.GetFieldValue(name);
  if (const auto* i = std::get_if<std::int32_t>(&value)) return *i;
  if (const auto* d = std::get_if<double>(&value)) return static_cast<int>(*d);
  return std::nullopt;
}

// Runs an application lock statement and reads its status; nothing when it failed (the
// recordset has logged why).
std::optional<int> LockStatus(CAdoDatabase& db, CAdoRecordset& rs, const std::string& sql) {
  if (!rs.Open(sql, &db)) return std::nullopt;
  const std::optional<int> status = IntField(rs, "lock_status");
  rs.Close();
  return status;
}

std::string StatusMeaning(int status) {
  switch (status) {
    case -2:
      return "sp_getapplock returned -2: the request was cancelled";
    case -3:
      return "sp_getapplock returned -3: the session was chosen as a deadlock victim";
    case -999:
      return "sp_getapplock returned -999: a parameter was refused";
    default:
      return "sp_getapplock returned " + std::to_string(status);
  }
}

// The name of the connection's database; the configured name when the server does not say.
std::string DatabaseName(CAdoDatabase& db, CAdoRecordset& rs) {
  std::string name;
  if (rs.Open(kDatabaseNameQuery, &db)) {
    if (!rs.IsEOF()) {
      const DbValue value = rs.GetFieldValue("database_name");
      if (const auto* s = std::get_if<std::string>(&value)) name = *s;
    }
    rs.Close();
  }
  return name.empty() ? db.m_szDatabase : name;
}

}  // namespace

std::string ResolvedFilePath(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path file = fs::absolute(path, error);
  if (error) return path;
  // A link whose target does not exist yet is followed by hand: the database is created at
  // the target, and a run that names the target must meet this one on the same lock.
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(file, error)); ++hops) {
    const fs::path target = fs::read_symlink(file, error);
    if (error) break;
    file = target.is_absolute() ? target : file.parent_path() / target;
  }
  const fs::path resolved = fs::canonical(file, error);
  if (!error) return resolved.string();
  const fs::path folder = fs::canonical(file.parent_path(), error);
  if (error) return file.lexically_normal().string();
  return (folder / file.filename()).string();
}

LockFilePlace LockFilePlaceFor(const INILoader& configuration,
                               const std::string& configurationPath) {
  if (qiva::db::IsEmbeddedDriver(configuration.GetValue("driver"))) {
    const std::string database = configuration.GetValue("database");
    const std::filesystem::path file =
        ResolvedFilePath(ConfiguredDatabase(configuration, configurationPath));
    std::error_code error;
    if (!database.empty() && std::filesystem::is_directory(file.parent_path(), error)) {
      return {file.string() + ".lock", file.parent_path().string()};
    }
  }
  return {configurationPath + ".lock", {}};
}

std::string AppLockResource(const std::string& name) { return "QIVA_IMPORT " + name; }

std::string AppLockStatement(const std::string& resource, std::chrono::milliseconds timeout) {
  return "declare @r int; exec @r = sp_getapplock @Resource = " + Quoted(resource) +
         ", @LockMode = 'Exclusive', @LockOwner = 'Session', @LockTimeout = " +
         std::to_string(timeout.count()) + "; select @r as lock_status";
}

std::string AppLockReleaseStatement(const std::string& resource) {
  return "declare @r int; exec @r = sp_releaseapplock @Resource = " + Quoted(resource) +
         ", @LockOwner = 'Session'; select @r as lock_status";
}

std::chrono::seconds AppLockWaitLimit(const INILoader& configuration) {
  const std::string value = configuration.GetValue("lockwait");
  if (!value.empty() && value.size() <= 6 &&
      value.find_first_not_of("0123456789") == std::string::npos)
    return std::chrono::seconds(std::stoi(value));
  return std::chrono::seconds(600);
}

ImportLock::Result ImportLock::TakeFile(const LockFilePlace& place, const Tell& tell) {
  Release();
  if (file_.TryLock(place.path)) return Result::Taken;
  if (file_.lastFailure() == FileLock::Failure::Held) {
    ImportLockEvent waiting;
    waiting.kind = ImportLockEvent::Kind::WaitingForFile;
    waiting.lockFile = place.path;
    tell(waiting);
    if (file_.Lock(place.path)) return Result::Taken;
  }
  failure_ = {};
  failure_.kind = place.databaseFolder.empty() ? ImportLockEvent::Kind::FileNotCreated
                                               : ImportLockEvent::Kind::FolderNotWritable;
  failure_.lockFile = place.path;
  failure_.folder = place.databaseFolder;
  return Result::Failed;
}

ImportLock::Result ImportLock::TakeServer(CAdoDatabase& db, CAdoRecordset& rs,
                                          std::chrono::seconds limit, const Tell& tell,
                                          const std::atomic<int>* stopRequests) {
  Release();
  failure_ = {};
  failure_.database = DatabaseName(db, rs);
  failure_.resource = AppLockResource(failure_.database);
  failure_.waitSeconds = static_cast<int>(limit.count());
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::chrono::milliseconds wait{0};
  for (bool told = false;;) {
    const std::optional<int> status = LockStatus(db, rs, AppLockStatement(failure_.resource, wait));
    if (status && (*status == 0 || *status == 1)) {
      db_ = &db;
      rs_ = &rs;
      resource_ = failure_.resource;
      return Result::Taken;
    }
    if (!status || *status != -1) {
      failure_.kind = ImportLockEvent::Kind::Refused;
      failure_.why = status
                         ? StatusMeaning(*status)
                         : (!rs.m_szProviderError.empty() ? rs.m_szProviderError : rs.m_szComError);
      return Result::Failed;
    }
    if (stopRequests != nullptr && stopRequests->load() > 0) return Result::Stopped;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      failure_.kind = ImportLockEvent::Kind::Busy;
      return Result::Failed;
    }
    if (!told) {
      told = true;
      ImportLockEvent waiting = failure_;
      waiting.kind = ImportLockEvent::Kind::WaitingForServer;
      tell(waiting);
    }
    wait = std::min(left, kTryWait);
  }
}

void ImportLock::Release() {
  file_.Unlock();
  if (db_ == nullptr) return;
  // A routine that closed the connection (the referring physicians import does) ended the
  // session, and the lock with it.
  if (!db_->m_bOpen) {
    db_ = nullptr;
    rs_ = nullptr;
    return;
  }
  const std::optional<int> status = LockStatus(*db_, *rs_, AppLockReleaseStatement(resource_));
  if (status != 0) {
    db_->Log("Import lock: the application lock " + resource_ +
             " could not be released; it ends with the connection");
  }
  db_ = nullptr;
  rs_ = nullptr;
}

bool ServerImportRunning(CAdoDatabase& db, CAdoRecordset& rs) {
  const std::string resource = AppLockResource(DatabaseName(db, rs));
  std::string shared = AppLockStatement(resource, std::chrono::milliseconds(0));
  shared.replace(shared.find("'Exclusive'"), 11, "'Shared'");
  const std::optional<int> status = LockStatus(db, rs, shared);
  if (status == 0 || status == 1) (void)LockStatus(db, rs, AppLockReleaseStatement(resource));
  return status == -1;
}
