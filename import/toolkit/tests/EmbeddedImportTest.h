// EmbeddedImportTest.h: the one fixture of the import and report tests that run a routine on a
// fresh embedded database: a scratch folder (also the current folder, where the trace log lands)
// holding the database file and the input files, and reads of rows back as text.
// Tests that only record statements use RecordedImport (ImportTestSupport.h) instead.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/tests/TestSupport.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "import/toolkit/ImportRoutine.h"
#include "import/toolkit/tests/RecordingFrontEnd.h"

namespace qiva::import::test {

using Rows = std::vector<std::vector<std::string>>;

// Every row of `query` on the open `database`, each field as ValueText writes it; a refused
// query fails the test and gives no row.
Rows RowsOf(CAdoDatabase& database, const std::string& query);

// The named `columns` of every row of `query`, read through `recordset` as the routines read.
Rows ColumnsOf(CAdoDatabase& database, CAdoRecordset& recordset, const std::string& query,
               const std::vector<std::string>& columns);

// Every row of `query` on the embedded database file at `path`, through a connection of its own
// that is closed again; a file that cannot be opened fails the test and gives no row.
Rows EmbeddedRows(const std::string& path, const std::string& query);
// The first field of the first row of `query` on the file at `path`, "(no row)" when none.
std::string EmbeddedValue(const std::string& path, const std::string& query);

// A new embedded database `clinic.db` in a scratch folder, open before each test.
class EmbeddedImportTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes `bytes` to the file `name` of the scratch folder; returns its path.
  std::string write(const std::string& name, const std::string& bytes);
  // Writes `xml` to `name` and runs `routine` on it with `context`: the test may set the
  // context's location beforehand, and its Outcome() adds up over the test's imports.
  int import(ImportRoutine routine, const std::string& xml, const std::string& name = "import.xml");
  // Runs `routine` on `path` with a context of its own and keeps that run's outcome in
  // `outcome`.
  int run(ImportRoutine routine, const std::string& path);
  // Every row of `query`, each field as text ("NULL" for null).
  Rows rows(const std::string& query);
  // The named columns of every row of `query`, read through the recordset.
  Rows rows(const std::string& query, const std::vector<std::string>& columns);
  // The first field of the first row of `query`, "(no row)" when there is none.
  std::string value(const std::string& query);
  // Name, type, length and nullability of each column of `table`, in column order.
  Rows columnsOf(const std::string& table);
  // The database log of the test's connection.
  std::string logText() const;
  std::string databaseFile() const { return (folder / "clinic.db").string(); }

  qiva::test::ScratchDir scratch;
  const std::filesystem::path folder = scratch.path();
  CAdoDatabase database;
  CAdoRecordset recordset;
  qiva::test::RecordingFrontEnd frontEnd;
  ImportContext context{database, recordset, frontEnd};
  ImportOutcome outcome;

 private:
  // A routine that ends by closing the connection (the referring physicians import) leaves it
  // closed: it is opened again so that the test can read the rows.
  void reopenIfClosed();
  std::filesystem::path savedFolder_;
};

}  // namespace qiva::import::test
