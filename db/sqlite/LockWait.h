// LockWait.h: how the embedded engine waits for a lock held by another program: like SQL
// Server, which waits without a limit by default, it waits long (up to 10 minutes), telling a
// registered listener once a wait has gone on for a few seconds.
#pragma once

#include <chrono>
#include <functional>

struct sqlite3;

namespace qiva::db {

class LockWait {
 public:
  // The longest wait when the session sets no LOCK_TIMEOUT (or sets -1).
  static constexpr std::chrono::milliseconds kDefaultLimit{10 * 60 * 1000};
  // How long a wait goes on before the listener is told.
  static constexpr std::chrono::milliseconds kNoticeAfter{3000};

  // Makes `db` wait through this object; the object must outlive the connection.
  void Install(sqlite3* db);
  // SET LOCK_TIMEOUT: the longest wait in milliseconds; negative for the default limit.
  void SetTimeout(long long milliseconds);
  // Called once per wait that goes on for kNoticeAfter; empty: nobody is told.
  void SetNotice(std::function<void()> notice) { notice_ = std::move(notice); }

  // SQLite's busy handler: `attempt` counts the tries of one lock request from 0. Returns true
  // to try again after a pause, false to give up (the statement then fails as busy).
  bool Retry(int attempt);

 private:
  std::chrono::milliseconds limit_ = kDefaultLimit;
  std::function<void()> notice_;
  std::chrono::steady_clock::time_point started_;
  bool told_ = false;
};

}  // namespace qiva::db
