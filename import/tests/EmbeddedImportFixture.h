// EmbeddedImportFixture.h: a test fixture that runs an import routine against a new embedded
// database in a scratch folder and reads rows and column definitions back as text.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "import/toolkit/ImportRoutine.h"
#include "import/toolkit/tests/RecordingFrontEnd.h"

namespace qiva::import::test {

using Rows = std::vector<std::vector<std::string>>;

class EmbeddedImportTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes `xml` to a file of the scratch folder and runs `routine` on it with the context;
  // a connection the routine closed is opened again.
  int import(ImportRoutine routine, const std::string& xml);
  // The rows of `query`, each column as text (NULL for a null value).
  Rows rows(const std::string& query, const std::vector<std::string>& columns);
  // Name, type, length and nullability of each column of `table`, in column order.
  Rows columnsOf(const std::string& table);
  std::string logText() const;

  std::filesystem::path folder;
  CAdoDatabase database;
  CAdoRecordset recordset;
  qiva::test::RecordingFrontEnd frontEnd;
  ImportContext context{database, recordset, frontEnd};
};

}  // namespace qiva::import::test
