// EmbeddedImportFixture.cpp: the scratch embedded database of the end-to-end import tests.
#include "import/tests/EmbeddedImportFixture.h"

#include <iterator>

#include "import/toolkit/tests/ImportTestSupport.h"

namespace qiva::import::test {
namespace {}  // namespace

void EmbeddedImportTest::SetUp() {
  const auto* test = ::testing::UnitTest::GetInstance();
  folder = std::filesystem::temp_directory_path() /
           ("qiva-e2e-" + std::to_string(test->random_seed()) + "-" +
            test->current_test_info()->test_suite_name() + "-" + test->current_test_info()->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  database.SetLogFile((folder / "_database.log").string());
  database.SetDriver("sqlite");
  ASSERT_TRUE(database.Open("", "", "", (folder / "clinic.db").string())) << database.m_szComError;
}

void EmbeddedImportTest::TearDown() {
  database.Close();
  std::filesystem::remove_all(folder);
}

int EmbeddedImportTest::import(ImportRoutine routine, const std::string& xml) {
  const std::string path = (folder / "import.xml").string();
  std::ofstream(path, std::ios::binary) << xml;
  const int result = routine(context, path);
  // A routine that ends by closing the connection (the referring physicians import) leaves it
  // closed: it is opened again so that the test can read the rows.
  if (!database.m_bOpen) {
    EXPECT_TRUE(database.Open("", "", "", (folder / "clinic.db").string()))
        << database.m_szComError;
  }
  return result;
}

Rows EmbeddedImportTest::rows(const std::string& query, const std::vector<std::string>& columns) {
  Rows out;
  EXPECT_TRUE(recordset.Open(query, &database)) << query;
  for (; !recordset.IsEOF(); recordset.MoveNext()) {
    std::vector<std::string> row;
    for (const std::string& column : columns)
      row.push_back(qiva::import::test::ValueText(recordset.GetFieldValue(column)));
    out.push_back(row);
  }
  recordset.Close();
  return out;
}

Rows EmbeddedImportTest::columnsOf(const std::string& table) {
  return rows(
      "select COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE from "
      "INFORMATION_SCHEMA.COLUMNS where TABLE_NAME='" +
          table + "' order by ORDINAL_POSITION",
      {"COLUMN_NAME", "DATA_TYPE", "CHARACTER_MAXIMUM_LENGTH", "IS_NULLABLE"});
}

std::string EmbeddedImportTest::logText() const {
  std::ifstream in(folder / "_database.log", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qiva::import::test
