// AppLocks.cpp: the table of application locks and SQL Server's compatibility of their modes.
#include "db/sqlite/AppLocks.h"

#include <algorithm>
#include <set>

#include "db/sqlite/TSqlLexer.h"

namespace qiva::db {
namespace {

// Whether a lock in `held` lets another session take it in `wanted` (SQL Server's table).
bool Compatible(AppLockMode held, AppLockMode wanted) {
  using M = AppLockMode;
  switch (held) {
    case M::Shared:
      return wanted == M::Shared || wanted == M::Update || wanted == M::IntentShared;
    case M::Update:
      return wanted == M::Shared || wanted == M::IntentShared;
    case M::IntentShared:
      return wanted != M::Exclusive;
    case M::IntentExclusive:
      return wanted == M::IntentShared || wanted == M::IntentExclusive;
    case M::Exclusive:
      return false;
  }
  return false;
}

}  // namespace

std::optional<AppLockMode> AppLockModeNamed(std::string_view name) {
  const std::string upper = tsql::ToUpper(name);
  if (upper == "SHARED") return AppLockMode::Shared;
  if (upper == "UPDATE") return AppLockMode::Update;
  if (upper == "INTENTSHARED") return AppLockMode::IntentShared;
  if (upper == "INTENTEXCLUSIVE") return AppLockMode::IntentExclusive;
  if (upper == "EXCLUSIVE") return AppLockMode::Exclusive;
  return std::nullopt;
}

AppLocks& AppLocks::Instance() {
  static auto* locks = new AppLocks;  // never destroyed: connections may close at exit
  return *locks;
}

bool AppLocks::Grantable(const Key& key, AppLockMode mode, const void* session) const {
  const auto it = held_.find(key);
  if (it == held_.end()) return true;
  return std::all_of(it->second.begin(), it->second.end(), [&](const Holder& h) {
    return h.session == session || Compatible(h.mode, mode);
  });
}

// True when `waiter`'s wait would end only after `holder` lets go: `holder` holds what
// `waiter` waits for, or holds what a session waits for that `waiter` waits for in turn.
bool AppLocks::WaitsFor(const void* waiter, const void* holder) const {
  std::set<const void*> seen;
  std::vector<const void*> next{waiter};
  while (!next.empty()) {
    const void* s = next.back();
    next.pop_back();
    if (!seen.insert(s).second) continue;
    const auto w = waiting_.find(s);
    if (w == waiting_.end()) continue;
    const auto h = held_.find(w->second.first);
    if (h == held_.end()) continue;
    for (const Holder& other : h->second) {
      if (other.session == s || Compatible(other.mode, w->second.second)) continue;
      if (other.session == holder) return true;
      next.push_back(other.session);
    }
  }
  return false;
}

int AppLocks::Acquire(const std::string& database, const std::string& resource, AppLockMode mode,
                      const void* session, std::chrono::milliseconds timeout,
                      const std::function<void()>& beforeWait) {
  const Key key{database, resource};
  std::unique_lock<std::mutex> lock(mutex_);
  bool waited = false;
  if (!Grantable(key, mode, session)) {
    if (timeout.count() == 0) return kAppLockTimedOut;
    waiting_[session] = {key, mode};
    if (WaitsFor(session, session)) {
      waiting_.erase(session);
      return kAppLockDeadlock;
    }
    if (beforeWait) {
      lock.unlock();  // the caller's work (a commit) must not hold up the other sessions
      beforeWait();
      lock.lock();
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto ready = [&] { return Grantable(key, mode, session); };
    const bool granted = timeout.count() < 0 ? (released_.wait(lock, ready), true)
                                             : released_.wait_until(lock, deadline, ready);
    waiting_.erase(session);
    if (!granted) return kAppLockTimedOut;
    waited = true;
  }
  std::vector<Holder>& holders = held_[key];
  const auto mine = std::find_if(holders.begin(), holders.end(),
                                 [&](const Holder& h) { return h.session == session; });
  if (mine != holders.end()) {
    ++mine->count;
  } else {
    holders.push_back({session, mode, 1});
  }
  return waited ? kAppLockGrantedAfterWait : kAppLockGranted;
}

bool AppLocks::Release(const std::string& database, const std::string& resource,
                       const void* session) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = held_.find({database, resource});
  if (it == held_.end()) return false;
  auto& holders = it->second;
  const auto mine = std::find_if(holders.begin(), holders.end(),
                                 [&](const Holder& h) { return h.session == session; });
  if (mine == holders.end()) return false;
  if (--mine->count == 0) holders.erase(mine);
  if (holders.empty()) held_.erase(it);
  released_.notify_all();
  return true;
}

void AppLocks::ReleaseAll(const void* session) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = held_.begin(); it != held_.end();) {
    auto& holders = it->second;
    holders.erase(std::remove_if(holders.begin(), holders.end(),
                                 [&](const Holder& h) { return h.session == session; }),
                  holders.end());
    it = holders.empty() ? held_.erase(it) : std::next(it);
  }
  released_.notify_all();
}

}  // namespace qiva::db
