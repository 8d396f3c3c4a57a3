// FaultVfs.cpp: a shim over SQLite's default file system (the documented sqlite3_vfs and
// sqlite3_io_methods interfaces). Each file it opens wraps the real file, which lives in the
// same allocation right behind the wrapper.
#include "db/sqlite/tests/FaultVfs.h"

#include <sqlite3.h>

#include <atomic>
#include <cstring>

namespace qiva::db::testing {
namespace {

std::atomic<bool> failWrites{false};
std::atomic<bool> failReads{false};
std::atomic<int> failureCount{0};
sqlite3_vfs* realVfs = nullptr;
sqlite3_vfs faultVfs;

struct FaultFile {
  sqlite3_file base;
  sqlite3_file* real;
};

sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<FaultFile*>(f)->real; }

int Close(sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); }
int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
  if (failReads) {
    ++failureCount;
    return SQLITE_IOERR_READ;
  }
  return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
}
int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
  if (failWrites) {
    ++failureCount;
    return SQLITE_FULL;
  }
  return Real(f)->pMethods->xWrite(Real(f), buffer, amount, offset);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
  return Real(f)->pMethods->xTruncate(Real(f), size);
}
int Sync(sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); }
int FileSize(sqlite3_file* f, sqlite3_int64* size) {
  return Real(f)->pMethods->xFileSize(Real(f), size);
}
int Lock(sqlite3_file* f, int level) { return Real(f)->pMethods->xLock(Real(f), level); }
int Unlock(sqlite3_file* f, int level) { return Real(f)->pMethods->xUnlock(Real(f), level); }
int CheckReservedLock(sqlite3_file* f, int* out) {
  return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
  return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}
int SectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int DeviceCharacteristics(sqlite3_file* f) {
  return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
}
int ShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
  return Real(f)->pMethods->xShmMap(Real(f), region, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
  return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); }
int ShmUnmap(sqlite3_file* f, int deleteFlag) {
  return Real(f)->pMethods->xShmUnmap(Real(f), deleteFlag);
}
int Fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
  if (failReads) {  // no memory-mapped page either: the read must go through Read
    *out = nullptr;
    return SQLITE_OK;
  }
  return Real(f)->pMethods->xFetch(Real(f), offset, amount, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 offset, void* page) {
  return Real(f)->pMethods->xUnfetch(Real(f), offset, page);
}

const sqlite3_io_methods kMethods = {3,
                                     Close,
                                     Read,
                                     Write,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Unlock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     ShmMap,
                                     ShmLock,
                                     ShmBarrier,
                                     ShmUnmap,
                                     Fetch,
                                     Unfetch};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
  auto* wrapper = reinterpret_cast<FaultFile*>(file);
  wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
  wrapper->base.pMethods = nullptr;  // SQLite calls no method of a file that did not open
  const int rc = realVfs->xOpen(realVfs, name, wrapper->real, flags, outFlags);
  if (rc == SQLITE_OK && wrapper->real->pMethods) wrapper->base.pMethods = &kMethods;
  return rc;
}

}  // namespace

FaultVfs::FaultVfs() {
  sqlite3_initialize();
  realVfs = sqlite3_vfs_find(nullptr);
  // Everything but the file opening is the real file system's (its functions read their own
  // data through pAppData, which is copied with them).
  std::memcpy(&faultVfs, realVfs, sizeof faultVfs);
  faultVfs.zName = "qiva-fault";
  faultVfs.pNext = nullptr;
  faultVfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + realVfs->szOsFile;
  faultVfs.xOpen = Open;
  failWrites = false;
  failReads = false;
  failureCount = 0;
  sqlite3_vfs_register(&faultVfs, 1);
}

FaultVfs::~FaultVfs() {
  failWrites = false;
  failReads = false;
  sqlite3_vfs_unregister(&faultVfs);
}

void FaultVfs::FailWrites(bool on) { failWrites = on; }
void FaultVfs::FailReads(bool on) { failReads = on; }
int FaultVfs::failures() const { return failureCount; }

}  // namespace qiva::db::testing
