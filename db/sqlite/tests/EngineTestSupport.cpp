// EngineTestSupport.cpp: temporary databases and query helpers for the engine tests.
#include "db/sqlite/tests/EngineTestSupport.h"

#include <cstdio>

#include "db/sqlite/SqliteEngine.h"

namespace qiva::db::testing {

void EngineTest::SetUp() {
  engine_ = CreateSqliteEngine();
  ASSERT_TRUE(engine_->open(db_.connectionString())) << engine_->lastError().description;
}

void EngineTest::TearDown() { engine_->close(); }

void EngineTest::Exec(const std::string& sql) {
  EXPECT_TRUE(engine_->execute(sql)) << sql << "\n -> " << engine_->lastError().description;
}

std::string ValueText(const DbValue& v) {
  if (IsNullValue(v)) return "NULL";
  if (const auto* i = std::get_if<std::int32_t>(&v)) return std::to_string(*i);
  if (const auto* d = std::get_if<double>(&v)) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", *d);
    return buf;
  }
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  return "<empty>";
}

std::vector<std::string> EngineTest::Column(const std::string& sql) {
  ResultSet rs;
  EXPECT_TRUE(engine_->query(sql, rs)) << sql << "\n -> " << engine_->lastError().description;
  std::vector<std::string> out;
  for (const auto& row : rs.rows) out.push_back(row.empty() ? "<none>" : ValueText(row[0]));
  return out;
}

std::string EngineTest::Value(const std::string& sql) {
  const auto col = Column(sql);
  return col.empty() ? "<none>" : col[0];
}

long EngineTest::LastNumber() const {
  const auto& errs = engine_->lastError().providerErrors;
  return errs.empty() ? 0 : errs.back().number;
}

}  // namespace qiva::db::testing
