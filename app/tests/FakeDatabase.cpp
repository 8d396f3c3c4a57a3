// FakeDatabase.cpp: the scripted engine behind FakeEngineFactory.
#include "app/tests/FakeDatabase.h"

namespace qiva::test {
namespace {

class FakeEngine : public db::DbEngine {
 public:
  explicit FakeEngine(std::shared_ptr<FakeDatabaseScript> script) : script_(std::move(script)) {}

  bool open(const std::string& connectionString) override {
    script_->Record("open:" + connectionString);
    if (script_->openSucceeds) return true;
    error_ = script_->openError;
    return false;
  }
  bool execute(std::string_view sql) override {
    script_->Record("execute:" + std::string(sql));
    return true;
  }
  bool query(std::string_view sql, db::ResultSet& out) override {
    script_->Record("query:" + std::string(sql));
    std::lock_guard lock(script_->mutex);
    auto it = script_->queries.find(std::string(sql));
    if (it == script_->queries.end() && AnswersLockQuery(sql, out)) return true;
    if (it == script_->queries.end()) {
      error_ = db::EngineError{0x80040E14,
                               "",
                               "fake",
                               "no such query",
                               {{static_cast<long>(0x80040E14), "no such query"}}};
      return false;
    }
    out = it->second;
    return true;
  }
  bool close() override { return true; }

  bool AnswersLockQuery(std::string_view sql, db::ResultSet& out) const {
    const auto status = [&](int value) {
      out = db::ResultSet{{"lock_status"}, {{DbValue(std::int32_t{value})}}};
      return true;
    };
    if (sql.find("sp_getapplock") != std::string_view::npos) return status(script_->appLockStatus);
    if (sql.find("sp_releaseapplock") != std::string_view::npos)
      return status(script_->appLockReleaseStatus);
    if (sql == "select db_name() as database_name") {
      out = db::ResultSet{{"database_name"}, {{DbValue(script_->databaseName)}}};
      return true;
    }
    return false;
  }
  const db::EngineError& lastError() const override { return error_; }

 private:
  std::shared_ptr<FakeDatabaseScript> script_;
  db::EngineError error_;
};

}  // namespace

CAdoDatabase::EngineFactory FakeEngineFactory(std::shared_ptr<FakeDatabaseScript> script) {
  return [script](const std::string&) { return std::make_unique<FakeEngine>(script); };
}

db::ResultSet LocationRows(const std::vector<std::pair<int, std::string>>& rows) {
  db::ResultSet result;
  result.columns = {"id", "locationName"};
  for (const auto& [id, name] : rows)
    result.rows.push_back({DbValue(std::int32_t{id}), DbValue(name)});
  return result;
}

}  // namespace qiva::test
