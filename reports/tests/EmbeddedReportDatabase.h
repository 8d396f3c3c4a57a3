// EmbeddedReportDatabase.h: a fresh embedded database in a scratch folder for the report
// imports' end-to-end tests: writes input files, runs a routine with a context of its own and
// reads rows back as text.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "import/toolkit/ImportRoutine.h"
#include "import/toolkit/tests/RecordingFrontEnd.h"

namespace qiva::reports::test {

using Rows = std::vector<std::vector<std::string>>;

class EmbeddedReportDatabase : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes `bytes` to the file `name` of the scratch folder; returns its path.
  std::string write(const std::string& name, const std::string& bytes);
  // Runs `routine` on `path` with a context of its own; returns the routine's result and keeps
  // the run's outcome in `outcome`.
  int run(ImportRoutine routine, const std::string& path);
  // The rows of `query`, each field as text ("NULL" for null).
  Rows rows(const std::string& query);
  // The first field of the first row of `query`.
  std::string value(const std::string& query);

  std::filesystem::path folder;
  CAdoDatabase database;
  CAdoRecordset recordset;
  qiva::test::RecordingFrontEnd frontEnd;
  ImportOutcome outcome;
};

}  // namespace qiva::reports::test
