// EmbeddedImportTest.cpp: the fresh embedded database of the import and report tests.
#include "import/toolkit/tests/EmbeddedImportTest.h"

#include "db/DbEngine.h"
#include "import/toolkit/tests/ImportTestSupport.h"

namespace qiva::import::test {

Rows RowsOf(CAdoDatabase& database, const std::string& query) {
  Rows out;
  qiva::db::ResultSet result;
  EXPECT_TRUE(database.m_pConnection && database.m_pConnection->query(query, result)) << query;
  for (const auto& row : result.rows) {
    std::vector<std::string> texts;
    for (const DbValue& field : row) texts.push_back(ValueText(field));
    out.push_back(texts);
  }
  return out;
}

Rows ColumnsOf(CAdoDatabase& database, CAdoRecordset& recordset, const std::string& query,
               const std::vector<std::string>& columns) {
  Rows out;
  EXPECT_TRUE(recordset.Open(query, &database)) << query;
  for (; !recordset.IsEOF(); recordset.MoveNext()) {
    std::vector<std::string> row;
    for (const std::string& column : columns)
      row.push_back(ValueText(recordset.GetFieldValue(column)));
    out.push_back(row);
  }
  recordset.Close();
  return out;
}

namespace {

std::string FirstField(const Rows& rows) {
  return rows.empty() || rows[0].empty() ? std::string("(no row)") : rows[0][0];
}

}  // namespace

Rows EmbeddedRows(const std::string& path, const std::string& query) {
  CAdoDatabase database;
  database.SetDriver("sqlite");
  if (!database.Open("", "", "", path)) {
    ADD_FAILURE() << "cannot open " << path << ": " << database.m_szComError;
    return {};
  }
  Rows found = RowsOf(database, query);
  database.Close();
  return found;
}

std::string EmbeddedValue(const std::string& path, const std::string& query) {
  return FirstField(EmbeddedRows(path, query));
}

void EmbeddedImportTest::SetUp() {
  savedFolder_ = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  database.SetLogFile((folder / "_database.log").string());
  database.SetDriver("sqlite");
  ASSERT_TRUE(database.Open("", "", "", databaseFile())) << database.m_szComError;
}

void EmbeddedImportTest::TearDown() {
  database.Close();
  std::filesystem::current_path(savedFolder_);
}

std::string EmbeddedImportTest::write(const std::string& name, const std::string& bytes) {
  const std::string path = (folder / name).string();
  qiva::test::WriteFileBytes(path, bytes);
  return path;
}

int EmbeddedImportTest::import(ImportRoutine routine, const std::string& xml,
                               const std::string& name) {
  const int result = routine(context, write(name, xml));
  reopenIfClosed();
  return result;
}

int EmbeddedImportTest::run(ImportRoutine routine, const std::string& path) {
  ImportContext own{database, recordset, frontEnd};
  const int result = routine(own, path);
  outcome = own.Outcome();
  reopenIfClosed();
  return result;
}

void EmbeddedImportTest::reopenIfClosed() {
  if (!database.m_bOpen) {
    EXPECT_TRUE(database.Open("", "", "", databaseFile())) << database.m_szComError;
  }
}

Rows EmbeddedImportTest::rows(const std::string& query) { return RowsOf(database, query); }

Rows EmbeddedImportTest::rows(const std::string& query, const std::vector<std::string>& columns) {
  return ColumnsOf(database, recordset, query, columns);
}

std::string EmbeddedImportTest::value(const std::string& query) { return FirstField(rows(query)); }

Rows EmbeddedImportTest::columnsOf(const std::string& table) {
  return rows(
      "select COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE from "
      "INFORMATION_SCHEMA.COLUMNS where TABLE_NAME='" +
          table + "' order by ORDINAL_POSITION",
      {"COLUMN_NAME", "DATA_TYPE", "CHARACTER_MAXIMUM_LENGTH", "IS_NULLABLE"});
}

std::string EmbeddedImportTest::logText() const {
  return qiva::test::ReadFileBytes((folder / "_database.log").string());
}

}  // namespace qiva::import::test
