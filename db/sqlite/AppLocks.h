// AppLocks.h: the application locks of sp_getapplock and sp_releaseapplock on the embedded
// engine: named locks that the connections of one process take on one database file, with
// SQL Server's lock modes, waits and return statuses. Parsing the procedures' arguments is the
// engine's business, not this file's.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qiva::db {

enum class AppLockMode { Shared, Update, IntentShared, IntentExclusive, Exclusive };

// The mode that sp_getapplock's @LockMode names (any case), or nothing for another word.
std::optional<AppLockMode> AppLockModeNamed(std::string_view name);

// The return statuses of sp_getapplock.
inline constexpr int kAppLockGranted = 0;
inline constexpr int kAppLockGrantedAfterWait = 1;
inline constexpr int kAppLockTimedOut = -1;
inline constexpr int kAppLockDeadlock = -3;
inline constexpr int kAppLockParameterError = -999;

// The process's application locks, by database file and resource name (compared as written).
// A session is whatever the caller names it by (a connection); its locks stay until it releases
// them or calls ReleaseAll (a connection that closes).
class AppLocks {
 public:
  static AppLocks& Instance();

  // Takes `resource` in `mode` for `session`: at once when no other session holds it in a mode
  // that conflicts (a session that holds it already takes it once more, to be released as many
  // times), else waits up to `timeout` (negative: without limit; zero: not at all), calling
  // `beforeWait` once before the first wait. Returns kAppLockGranted, kAppLockGrantedAfterWait,
  // kAppLockTimedOut, or kAppLockDeadlock when the holder waits, directly or through others, for
  // a lock that this session holds (the wait would never end).
  int Acquire(const std::string& database, const std::string& resource, AppLockMode mode,
              const void* session, std::chrono::milliseconds timeout,
              const std::function<void()>& beforeWait);
  // Lets go of one taking of `resource` by `session`; false when the session does not hold it.
  bool Release(const std::string& database, const std::string& resource, const void* session);
  // Lets go of everything `session` holds.
  void ReleaseAll(const void* session);

 private:
  using Key = std::pair<std::string, std::string>;
  struct Holder {
    const void* session;
    AppLockMode mode;
    int count;
  };
  bool Grantable(const Key& key, AppLockMode mode, const void* session) const;
  bool WaitsFor(const void* waiter, const void* holder) const;

  std::mutex mutex_;
  std::condition_variable released_;
  std::map<Key, std::vector<Holder>> held_;
  std::map<const void*, std::pair<Key, AppLockMode>> waiting_;
};

}  // namespace qiva::db
