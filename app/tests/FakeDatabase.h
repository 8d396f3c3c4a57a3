// FakeDatabase.h: a scripted database engine for the shell's tests, installed in a
// CAdoDatabase with SetEngineFactory: it answers known queries, fails the others and records
// every statement it is sent.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "db/CAdoDatabase.h"
#include "db/DbEngine.h"

namespace qiva::test {

struct FakeDatabaseScript {
  bool openSucceeds = true;
  db::EngineError openError;                     // reported by a failing open
  std::map<std::string, db::ResultSet> queries;  // exact query text -> rows; others fail
  // Unless `queries` holds them: the application lock's statements answer these statuses, and
  // db_name() this name.
  int appLockStatus = 0;
  int appLockReleaseStatus = 0;
  std::string databaseName = "CLINIC";
  mutable std::mutex mutex;
  std::vector<std::string> log;  // "open:", "query:" and "execute:" entries

  void Record(std::string entry) {
    std::lock_guard lock(mutex);
    log.push_back(std::move(entry));
  }
  std::vector<std::string> Log() const {
    std::lock_guard lock(mutex);
    return log;
  }
};

// An engine factory whose engines all follow `script`.
CAdoDatabase::EngineFactory FakeEngineFactory(std::shared_ptr<FakeDatabaseScript> script);

// A result with one column and the given rows of (int id, text name) pairs.
db::ResultSet LocationRows(const std::vector<std::pair<int, std::string>>& rows);

}  // namespace qiva::test
