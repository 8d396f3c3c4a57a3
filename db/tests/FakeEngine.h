// FakeEngine.h: a scripted engine for the database layer's tests. It records every call into a
// shared journal and answers from a script, so tests see exactly what the layer asked for.
#pragma once

#include <map>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "db/CAdoDatabase.h"
#include "db/DbEngine.h"

namespace qiva::test {

// What the engines made by one factory do, and what they were asked.
struct EngineScript {
  bool openSucceeds = true;
  bool closeSucceeds = true;
  bool queryRunsOutOfMemory = false;             // query throws std::bad_alloc
  std::set<std::string> failingStatements;       // execute/query texts that fail
  std::map<std::string, db::ResultSet> results;  // query text -> rows
  db::EngineError error;                         // reported by every failure
  std::vector<std::string> journal;              // "open:...", "execute:...", ...
  int enginesMade = 0;
};

class FakeEngine final : public db::DbEngine {
 public:
  explicit FakeEngine(std::shared_ptr<EngineScript> script, int id)
      : script_(std::move(script)), id_(std::to_string(id)) {}
  bool open(const std::string& connectionString) override {
    note("open", connectionString);
    return script_->openSucceeds;
  }
  bool execute(std::string_view sql) override {
    note("execute", sql);
    return script_->failingStatements.count(std::string(sql)) == 0;
  }
  bool query(std::string_view sql, db::ResultSet& out) override {
    note("query", sql);
    out = {};
    if (script_->queryRunsOutOfMemory) throw std::bad_alloc();
    if (script_->failingStatements.count(std::string(sql))) return false;
    auto found = script_->results.find(std::string(sql));
    if (found != script_->results.end()) out = found->second;
    return true;
  }
  bool close() override {
    note("close", "");
    return script_->closeSucceeds;
  }
  const db::EngineError& lastError() const override { return script_->error; }

 private:
  void note(std::string_view what, std::string_view text) {
    script_->journal.push_back(id_ + ":" + std::string(what) + ":" + std::string(text));
  }
  std::shared_ptr<EngineScript> script_;
  std::string id_;
};

// Makes `db` build FakeEngines that follow `script`, numbered from 1.
inline void UseFakeEngines(CAdoDatabase& db, const std::shared_ptr<EngineScript>& script) {
  db.SetEngineFactory([script](const std::string&) -> std::unique_ptr<db::DbEngine> {
    return std::make_unique<FakeEngine>(script, ++script->enginesMade);
  });
}

}  // namespace qiva::test
