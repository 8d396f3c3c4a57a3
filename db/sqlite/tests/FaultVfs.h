// FaultVfs.h: fault injection for tests of the embedded engine: a SQLite file system that
// passes every call to the real one until a test tells it to fail writes (a full disk) or
// reads (a failing disk). No real disk is filled.
#pragma once

namespace qiva::db::testing {

// While it lives it is SQLite's default file system, so every connection opened meanwhile uses
// it; connections must be closed before it goes. One at a time.
class FaultVfs {
 public:
  FaultVfs();
  ~FaultVfs();
  FaultVfs(const FaultVfs&) = delete;
  FaultVfs& operator=(const FaultVfs&) = delete;

  // Every write to any file of a database fails with SQLITE_FULL while on.
  void FailWrites(bool on);
  // Every read fails with SQLITE_IOERR_READ while on.
  void FailReads(bool on);
  // Calls failed so far.
  int failures() const;
};

}  // namespace qiva::db::testing
