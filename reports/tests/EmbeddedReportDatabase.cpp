// EmbeddedReportDatabase.cpp: the scratch embedded database of the report import tests.
#include "reports/tests/EmbeddedReportDatabase.h"

#include <fstream>

#include "db/DbEngine.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace qiva::reports::test {
namespace {}  // namespace

void EmbeddedReportDatabase::SetUp() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  folder = std::filesystem::temp_directory_path() /
           ("qiva-reports-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + test->test_suite_name() + "-" + test->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  database.SetLogFile((folder / "_database.log").string());
  database.SetDriver("sqlite");
  ASSERT_TRUE(database.Open("", "", "", (folder / "clinic.db").string())) << database.m_szComError;
}

void EmbeddedReportDatabase::TearDown() {
  database.Close();
  std::filesystem::remove_all(folder);
}

std::string EmbeddedReportDatabase::write(const std::string& name, const std::string& bytes) {
  const std::string path = (folder / name).string();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

int EmbeddedReportDatabase::run(ImportRoutine routine, const std::string& path) {
  ImportContext context{database, recordset, frontEnd};
  const int result = routine(context, path);
  outcome = context.Outcome();
  return result;
}

Rows EmbeddedReportDatabase::rows(const std::string& query) {
  Rows out;
  qiva::db::ResultSet result;
  EXPECT_TRUE(database.m_pConnection && database.m_pConnection->query(query, result)) << query;
  for (const auto& row : result.rows) {
    std::vector<std::string> texts;
    for (const DbValue& field : row) texts.push_back(qiva::import::test::ValueText(field));
    out.push_back(texts);
  }
  return out;
}

std::string EmbeddedReportDatabase::value(const std::string& query) {
  const Rows found = rows(query);
  return found.empty() || found[0].empty() ? std::string("(no row)") : found[0][0];
}

}  // namespace qiva::reports::test
