// FileLock.h: an exclusive lock on a lock file, held for the life of the object, so that two
// command-line imports into the same database never run at the same time.
#pragma once

#include <cstdint>
#include <string>

class FileLock {
 public:
  FileLock() = default;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

  // Creates `path` when missing and takes the lock without waiting. False when another process
  // (or another FileLock) holds it, or the file cannot be created.
  bool TryLock(const std::string& path);
  // The same, waiting until the holder lets go. False only when the file cannot be created.
  bool Lock(const std::string& path);
  // True when another holder (another process, or another FileLock) holds the lock on `path`
  // at this moment. Creates nothing: a missing lock file means nobody holds it.
  static bool HeldElsewhere(const std::string& path);
  // Lets go of the lock (the file stays, empty, for the next run).
  void Unlock();
  bool locked() const { return handle_ != kNone; }

  // Why the last TryLock or Lock failed: the lock is held elsewhere, or the lock file cannot
  // be created or opened (a folder that cannot be written, a missing folder).
  enum class Failure { None, Held, CannotCreate };
  Failure lastFailure() const { return failure_; }

 private:
  bool Acquire(const std::string& path, bool wait);
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;
  Failure failure_ = Failure::None;
};
