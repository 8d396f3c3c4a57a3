// SqliteEngine.cpp: placeholder until the sqlite engine is built; every call fails.
#include "db/sqlite/SqliteEngine.h"

namespace qiva::db {
namespace {

class UnavailableEngine final : public DbEngine {
 public:
  UnavailableEngine() { error_.description = "the sqlite engine is not built yet"; }
  bool open(const std::string&) override { return false; }
  bool execute(std::string_view) override { return false; }
  bool query(std::string_view, ResultSet&) override { return false; }
  bool close() override { return true; }
  const EngineError& lastError() const override { return error_; }

 private:
  EngineError error_;
};

}  // namespace

std::unique_ptr<DbEngine> CreateSqliteEngine() { return std::make_unique<UnavailableEngine>(); }

}  // namespace qiva::db
