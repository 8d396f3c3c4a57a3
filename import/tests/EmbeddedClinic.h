// EmbeddedClinic.h: a fixture for the end-to-end import tests: a new embedded database in a
// scratch folder, a run of a routine on XML text, and rows read back as text.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/ImportRoutine.h"
#include "app/tests/RecordingFrontEnd.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"

namespace qiva::import::test {

using Rows = std::vector<std::vector<std::string>>;

class EmbeddedClinicTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes `xml` to the scratch folder and runs `routine` on it with a fresh context; the
  // connection is opened again if the routine closed it. Returns the routine's result.
  int import(ImportRoutine routine, const std::string& xml);
  // Runs SQL on the database (setting up rows before an import).
  void execute(const std::string& sql);
  // The rows of `query`, each column as text (NULL for a null value).
  Rows rows(const std::string& query, const std::vector<std::string>& columns);
  std::string logText() const;

  std::filesystem::path folder;
  CAdoDatabase database;
  CAdoRecordset recordset;
  qiva::test::RecordingFrontEnd frontEnd;
  ImportOutcome outcome;        // of the last import
  bool openAfterImport = true;  // whether the routine left the connection open

 private:
  void open();
};

}  // namespace qiva::import::test
