// ImportLockEvent.h: what the import run tells its front end about the lock that keeps two
// imports into one database apart: that it waits for another run, or why it cannot go on.
#pragma once

#include <string>

// What a run tells its front end about the lock: that it waits, or why it cannot go on.
struct ImportLockEvent {
  enum class Kind {
    WaitingForFile,     // another run holds the lock file; waiting without a limit
    WaitingForServer,   // another session holds the application lock; waiting up to the limit
    FolderNotWritable,  // the lock file cannot be created beside the embedded database
    FileNotCreated,     // the lock file cannot be created beside the configuration
    Busy,               // the application lock was not granted within the limit
    Refused,            // the server did not grant the application lock (an error, a deadlock)
  };
  Kind kind = Kind::WaitingForFile;
  std::string lockFile;  // the lock file (file kinds)
  std::string folder;    // FolderNotWritable: the database's folder
  std::string database;  // server kinds: the database's name as the server gives it
  std::string resource;  // server kinds: the application lock's resource
  int waitSeconds = 0;   // WaitingForServer, Busy: the wait limit
  std::string why;       // Refused: the return status's meaning or the provider's text
};

// The dialogs' text of `event` (Romanian, like every text they show): a status line while
// waiting, a message otherwise.
std::string ImportLockText(const ImportLockEvent& event);
