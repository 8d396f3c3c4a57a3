// EngineTestSupport.h: helpers for the embedded engine's tests: a temporary database file that
// is removed afterwards, and short ways to read one value or a column of a query. They work on
// the engine itself, below CAdoDatabase and the import contract, so the import tests' embedded
// database fixture (import/toolkit/tests/EmbeddedImportTest.h) is not for them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/tests/TestSupport.h"
#include "db/DbEngine.h"

namespace qiva::db::testing {

// A database path in a fresh scratch folder; the folder goes when the object does.
class TempDatabase {
 public:
  const std::string& path() const { return path_; }
  std::string connectionString() const { return "DRIVER={sqlite};DATABASE=" + path_; }

 private:
  qiva::test::ScratchDir dir_;
  std::string path_ = dir_.file("QIVA_TEST.db");
};

// A fixture with an open embedded engine on a new database (which has the schema).
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Runs `sql` and fails the test when it is refused.
  void Exec(const std::string& sql);
  // The first column of every row of a query, as text ("NULL" for a null).
  std::vector<std::string> Column(const std::string& sql);
  // The single value of a query, as text ("NULL" for a null, "<none>" for no row).
  std::string Value(const std::string& sql);
  // The SQL Server message number of the last failure (0 when none).
  long LastNumber() const;

  TempDatabase db_;
  std::unique_ptr<DbEngine> engine_;
};

// A value as text: null gives "NULL", numbers their decimal form.
std::string ValueText(const DbValue& v);

}  // namespace qiva::db::testing
