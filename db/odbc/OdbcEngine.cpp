// OdbcEngine.cpp: placeholder until the odbc engine is built; every call fails.
#include "db/odbc/OdbcEngine.h"

namespace qiva::db {
namespace {

class UnavailableEngine final : public DbEngine {
 public:
  UnavailableEngine() { error_.description = "the odbc engine is not built yet"; }
  bool open(const std::string&) override { return false; }
  bool execute(std::string_view) override { return false; }
  bool query(std::string_view, ResultSet&) override { return false; }
  bool close() override { return true; }
  const EngineError& lastError() const override { return error_; }

 private:
  EngineError error_;
};

}  // namespace

std::unique_ptr<DbEngine> CreateOdbcEngine() { return std::make_unique<UnavailableEngine>(); }

}  // namespace qiva::db
