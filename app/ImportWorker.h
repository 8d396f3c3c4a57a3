// ImportWorker.h: one import run, shared by the dialog and the command-line program: load the
// configuration, open the database, take the location where needed and call the routine.
// Only one run is active in the process at a time.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <thread>

#include "app/ImportKinds.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "import/toolkit/ImportFrontEnd.h"
#include "import/toolkit/ImportLockEvent.h"

// What one run imports, fixed when the run is started: a later button press cannot change it.
struct ImportRequest {
  ImportKind kind = ImportKind::ErrorFile;
  std::string path;
  bool oneByOne = false;  // one statement per round trip, whatever the configuration says
};

// How a run ended.
enum class RunOutcome {
  Busy,                       // another run was active; "In procesare..." was shown
  NoFile,                     // empty path (the file chooser was cancelled); nothing shown
  ConfigurationMissing,       // the configuration file could not be loaded
  LockNotCreated,             // the lock file beside the configuration could not be created
  DatabaseFolderNotWritable,  // the lock file beside the embedded database could not be created
  DatabaseBusy,         // another import held the server's application lock past the wait limit
  LockRefused,          // the server refused the application lock (an error, a deadlock)
  ConnectionFailed,     // the database could not be opened; the program is closed
  LocationCancelled,    // the location choice was cancelled
  Stopped,              // stopped early: a stop request, a No at the prompt, a failed header
  FileNotRead,          // the file gave no document element or was cut short; nothing sent
  DatabaseFailed,       // the connection lost statements during the import; the routine ended
  CompletedWithLosses,  // walked the whole file, but statements were rejected or records skipped
  Completed,            // the routine returned 1 (walked the whole file) and lost nothing
};

// The texts of the run.
inline constexpr const char* kBusyText = "In procesare...";
inline constexpr const char* kConfigurationMissingText =
    "Nu pot incarca fisierul QIVA_IMPORT.ini\nImportul nu se executa";
inline constexpr const char* kOpeningConnectionText = "Deschid conexiunea la baza de date";
inline constexpr const char* kReadingXmlText = "Citesc XML...";
inline constexpr const char* kLocationCheckQuery =
    " select column_name from information_schema.columns where table_name = "
    "'QIVA_DAILY_CASES_TARIFFS' and column_name='locationid'";

// What a program keeps from run to run: the configuration file's path, the front end, the one
// connection and recordset, the location fields and the routines to call. Owned by the dialog
// or the command-line program for its whole life; runs use it one at a time.
class ImportSession {
 public:
  ImportSession(std::string configurationPath, ImportFrontEnd& frontEnd);
  ImportSession(const ImportSession&) = delete;
  ImportSession& operator=(const ImportSession&) = delete;

  const std::string& configurationPath() const { return configurationPath_; }
  ImportFrontEnd& frontEnd() { return frontEnd_; }
  CAdoDatabase& database() { return database_; }
  CAdoRecordset& recordset() { return recordset_; }
  bool hasLocationColumn() const { return hasLocationColumn_; }
  // How the last run's lock failed (meaningful after LockNotCreated, DatabaseFolderNotWritable,
  // DatabaseBusy and LockRefused).
  const ImportLockEvent& lastLockFailure() const { return lastLockFailure_; }
  // What the last run's routine lost or could not read (empty before a routine has run).
  const ImportOutcome& lastOutcome() const { return lastOutcome_; }
  std::int32_t locationId() const { return locationId_; }

  // The routine called for `kind`: the ImportKinds table's unless replaced (tests, tools).
  ImportRoutine routine(ImportKind kind) const;
  void SetRoutine(ImportKind kind, ImportRoutine routine);

 private:
  friend RunOutcome ImportWorker(ImportSession& session, const ImportRequest& request);
  std::string configurationPath_;
  ImportFrontEnd& frontEnd_;
  CAdoDatabase database_;
  CAdoRecordset recordset_;
  bool hasLocationColumn_ = false;
  std::int32_t locationId_ = 0;
  ImportOutcome lastOutcome_;
  ImportLockEvent lastLockFailure_;
  std::array<ImportRoutine, kImportKindCount> routines_{};
};

// Performs one run of `request` on the calling thread and tells how it ended. Refuses with
// "In procesare..." while another run of the process is active (tested and set atomically).
RunOutcome ImportWorker(ImportSession& session, const ImportRequest& request);

class INILoader;
// The keys text and timeout of a loaded configuration: text=characters sends the characters the
// file's bytes encode; timeout=SECONDS limits every statement (0: none; absent or not a number:
// 30 seconds).
qiva::db::StatementOptions StatementOptionsFrom(const INILoader& configuration);
// The keys encrypt, trustservercertificate, port and trusted of a loaded configuration (absent
// keys stay empty: the driver's own defaults).
CAdoDatabase::ConnectionSettings ConnectionSettingsFrom(const INILoader& configuration);
// What a failed Open shows: the provider text (or the COM text when there is none), then, on
// a line of its own, the connection advice when there is one.
std::string ConnectionFailureText(const CAdoDatabase& db);

// True while a run is active anywhere in the process.
bool ImportRunning();

// Asks the active run to stop: the first request ends it after the section in progress, the
// second at the next record. Safe to call from a signal handler (one lock-free atomic add).
// Requests count for the rest of the process: a program asks only when it is about to end.
void RequestImportStop();
// Requests made so far; tests reset them.
int ImportStopRequests();
void ResetImportStopRequests();
