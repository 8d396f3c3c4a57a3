// ImportLock.h: the lock that keeps two imports into one database apart, held by the import run
// whichever program started it. An embedded database is locked through a lock file named after
// its resolved path (links followed), which every run on the machine sees; a SQL Server database
// through SQL Server's application lock, which runs on other machines see too.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>

#include "app/FileLock.h"
#include "import/toolkit/ImportLockEvent.h"

class CAdoDatabase;
class CAdoRecordset;
class INILoader;

// `path` with every symbolic link followed, as an absolute path; for a file that does not exist
// yet, its folder resolved and its name kept. `path` itself when even its folder cannot be
// resolved.
std::string ResolvedFilePath(const std::string& path);

// Where an embedded database's lock file lives: "<resolved database file>.lock", with the
// database's folder; beside the configuration file (and no folder) for a server database or an
// embedded one whose folder does not exist (its open fails anyway).
struct LockFilePlace {
  std::string path;
  std::string databaseFolder;
};
LockFilePlace LockFilePlaceFor(const INILoader& configuration,
                               const std::string& configurationPath);

// The application lock's resource for database `name`: "QIVA_IMPORT <name>", the name as the
// server gives it (db_name()), so that configurations that write it differently, or reach the
// server through a data source, meet on one lock.
std::string AppLockResource(const std::string& name);
// The statement that takes it: "declare @r int; exec @r = sp_getapplock ...; select @r as
// lock_status", owned by the session and waiting up to `timeout`.
std::string AppLockStatement(const std::string& resource, std::chrono::milliseconds timeout);
// The statement that lets it go, reading sp_releaseapplock's status the same way.
std::string AppLockReleaseStatement(const std::string& resource);
// The query that names the connection's database.
inline constexpr const char* kDatabaseNameQuery = "select db_name() as database_name";

// The wait limit of the application lock: the configuration's "lockwait" in seconds (0: do not
// wait); absent or not a number: 600 (ten minutes).
std::chrono::seconds AppLockWaitLimit(const INILoader& configuration);

// One run's hold on the lock. Released by Release or at destruction; a program that dies lets
// go of both kinds (the file lock with the process, the application lock with the session).
class ImportLock {
 public:
  enum class Result { Taken, Failed, Stopped };
  using Tell = std::function<void(const ImportLockEvent&)>;

  ImportLock() = default;
  ImportLock(const ImportLock&) = delete;
  ImportLock& operator=(const ImportLock&) = delete;
  ~ImportLock() { Release(); }

  // Takes the lock file at `place`, telling WaitingForFile and waiting while another run holds
  // it. Failed (with the event in failure()) when the file cannot be created.
  [[nodiscard]] Result TakeFile(const LockFilePlace& place, const Tell& tell);
  // Takes the application lock on the database `db` is connected to: tries at once, then tells
  // WaitingForServer and tries again in short waits (so that a stop request ends the wait)
  // until `limit` has passed: Failed with Busy. Failed with Refused when the statement fails or
  // the server answers a status other than granted or timed out. Stopped when `stopRequests`
  // counts a request while waiting.
  [[nodiscard]] Result TakeServer(CAdoDatabase& db, CAdoRecordset& rs, std::chrono::seconds limit,
                                  const Tell& tell, const std::atomic<int>* stopRequests);
  // Lets go of whatever is held (the application lock's release failing is logged; the lock
  // then ends with the session).
  void Release();

  const ImportLockEvent& failure() const { return failure_; }

 private:
  FileLock file_;
  CAdoDatabase* db_ = nullptr;  // holding the application lock on this connection
  CAdoRecordset* rs_ = nullptr;
  std::string resource_;
  ImportLockEvent failure_;
};

// True when a run on another connection holds the application lock of the database `db` is
// connected to (a shared request that cannot be granted at once). False when it is free or
// cannot be asked.
bool ServerImportRunning(CAdoDatabase& db, CAdoRecordset& rs);
