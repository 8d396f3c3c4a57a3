// FileLock.cpp: lock files through flock on POSIX and LockFileEx on Windows. Both locks end
// with the process, so a crashed import never leaves the database locked.
#include "app/FileLock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

FileLock::~FileLock() { Unlock(); }

bool FileLock::TryLock(const std::string& path) { return Acquire(path, false); }

bool FileLock::Lock(const std::string& path) { return Acquire(path, true); }

#ifdef _WIN32

bool FileLock::Acquire(const std::string& path, bool wait) {
  Unlock();
  failure_ = Failure::None;
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    failure_ = Failure::CannotCreate;
    return false;
  }
  OVERLAPPED whole{};
  DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
  if (!::LockFileEx(file, flags, 0, MAXDWORD, MAXDWORD, &whole)) {
    ::CloseHandle(file);
    failure_ = Failure::Held;
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

bool FileLock::HeldElsewhere(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED whole{};
  // A shared lock is refused only while someone holds the exclusive one.
  const bool held = !::LockFileEx(file, LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole);
  if (!held) ::UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
  ::CloseHandle(file);
  return held;
}

void FileLock::Unlock() {
  if (handle_ == kNone) return;
  HANDLE file = reinterpret_cast<HANDLE>(handle_);
  OVERLAPPED whole{};
  ::UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
  ::CloseHandle(file);
  handle_ = kNone;
}

#else

bool FileLock::Acquire(const std::string& path, bool wait) {
  Unlock();
  failure_ = Failure::None;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    failure_ = Failure::CannotCreate;
    return false;
  }
  int result;
  do {
    result = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    ::close(fd);
    failure_ = Failure::Held;
    return false;
  }
  handle_ = fd;
  return true;
}

bool FileLock::HeldElsewhere(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  int result;
  do {
    // A shared lock is refused only while someone holds the exclusive one.
    result = ::flock(fd, LOCK_SH | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  const bool held = result != 0 && errno == EWOULDBLOCK;
  ::close(fd);  // lets go of the shared lock, if taken
  return held;
}

void FileLock::Unlock() {
  if (handle_ == kNone) return;
  ::flock(static_cast<int>(handle_), LOCK_UN);
  ::close(static_cast<int>(handle_));
  handle_ = kNone;
}

#endif
