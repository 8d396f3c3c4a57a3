// LockWait.cpp: the embedded engine's busy handler: short pauses at first, so that a lock held
// for a moment costs little, then a tenth of a second between tries until the limit.
#include "db/sqlite/LockWait.h"

#include <sqlite3.h>

#include <algorithm>
#include <thread>

namespace qiva::db {
namespace {

int BusyHandler(void* self, int attempt) {
  return static_cast<LockWait*>(self)->Retry(attempt) ? 1 : 0;
}

std::chrono::milliseconds PauseBefore(int attempt) {
  static constexpr int kRamp[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50};
  constexpr int kSteps = static_cast<int>(sizeof kRamp / sizeof kRamp[0]);
  return std::chrono::milliseconds(attempt < kSteps ? kRamp[attempt] : 100);
}

}  // namespace

void LockWait::Install(sqlite3* db) { sqlite3_busy_handler(db, &BusyHandler, this); }

void LockWait::SetTimeout(long long milliseconds) {
  limit_ = milliseconds < 0 ? kDefaultLimit : std::chrono::milliseconds(milliseconds);
}

bool LockWait::Retry(int attempt) {
  const auto now = std::chrono::steady_clock::now();
  if (attempt == 0) {
    started_ = now;
    told_ = false;
  }
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - started_);
  if (waited >= limit_) return false;
  if (!told_ && waited >= kNoticeAfter && notice_) {
    told_ = true;
    notice_();
  }
  std::this_thread::sleep_for(std::min(PauseBefore(attempt), limit_ - waited));
  return true;
}

}  // namespace qiva::db
