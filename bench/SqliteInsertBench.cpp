// SqliteInsertBench.cpp: the embedded engine's insert rate against SQLite's own limit. Runs
// 300,000 single-row ICD-10 insert texts through CAdoDatabase::Execute on the embedded engine,
// then the same rows through a bare prepared SQLite insert in one transaction, and prints both
// rates and their ratio.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "db/CAdoDatabase.h"
#include "db/sqlite/SqliteEngine.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Row {
  std::string code, description, from, to, category;
};

std::vector<Row> MakeRows(int n) {
  std::vector<Row> rows;
  rows.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    Row r;
    char code[16];
    std::snprintf(code, sizeof code, "%c%02d.%d", 'A' + i % 26, i / 26 % 100, i % 10);
    r.code = code;
    r.description = "Boala infectioasa intestinala nr " + std::to_string(i) + ", neprecizata";
    r.from = "2020-01-01";
    r.to = i % 3 ? "19000101 00:00" : "2030-12-31";
    r.category = i % 4 ? std::to_string(i % 17) : "";
    rows.push_back(std::move(r));
  }
  return rows;
}

// The text of the ICD-10 insert, with null for an empty disease category.
std::string InsertText(const Row& r) {
  std::string s =
      "insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) values ('" +
      r.code + "','" + r.description + "','" + r.from + "','" + r.to + "',";
  s += r.category.empty() ? "null" : "'" + r.category + "'";
  s += ")";
  return s;
}

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// (a) through CAdoDatabase::Execute on the embedded engine, as an import sends them.
double EngineRate(const std::string& path, const std::vector<std::string>& texts) {
  CAdoDatabase db;
  db.SetDriver("sqlite");
  if (!db.Open("", "", "", path)) {
    std::fprintf(stderr, "open failed: %s\n", db.m_szComError.c_str());
    std::exit(1);
  }
  const auto start = Clock::now();
  for (const std::string& t : texts) {
    if (!db.Execute(t)) {
      std::fprintf(stderr, "insert failed: %s\n", db.m_szComError.c_str());
      std::exit(1);
    }
  }
  db.Close();  // commits the last group
  return static_cast<double>(texts.size()) / Seconds(start, Clock::now());
}

// (c) the same rows sent as the pharmaceutical import sends its batches: " SET NOCOUNT ON \n"
// and 1001 inserts per text.
double BatchRate(const std::string& path, const std::vector<std::string>& texts) {
  CAdoDatabase db;
  db.SetDriver("sqlite");
  if (!db.Open("", "", "", path)) std::exit(1);
  const auto start = Clock::now();
  std::string batch;
  size_t count = 0;
  for (const std::string& t : texts) {
    if (count == 0) batch = " SET NOCOUNT ON \n";
    batch += "\n" + t;
    if (++count == 1001) {
      if (!db.Execute(batch)) std::exit(1);
      count = 0;
    }
  }
  if (count && !db.Execute(batch)) std::exit(1);
  db.Close();
  return static_cast<double>(texts.size()) / Seconds(start, Clock::now());
}

// (b) the physical limit: one prepared insert, values bound, one transaction.
double BareRate(const std::string& path, const std::vector<Row>& rows) {
  {
    auto engine = qiva::db::CreateSqliteEngine();  // the same schema
    if (!engine->open("DRIVER={sqlite};DATABASE=" + path)) std::exit(1);
  }
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr,
               nullptr);
  const auto start = Clock::now();
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO QIVA_ICD10 "
                     "(code,description,VALID_FROM,valid_To,diseasecategory) VALUES (?,?,?,?,?)",
                     -1, &st, nullptr);
  for (const Row& r : rows) {
    sqlite3_bind_text(st, 1, r.code.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, r.description.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 3, "2020-01-01 00:00:00.000", -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 4,
                      r.to == "2030-12-31" ? "2030-12-31 00:00:00.000" : "1900-01-01 00:00:00.000",
                      -1, SQLITE_STATIC);
    if (r.category.empty())
      sqlite3_bind_null(st, 5);
    else
      sqlite3_bind_text(st, 5, r.category.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(st) != SQLITE_DONE) {
      std::fprintf(stderr, "bare insert failed: %s\n", sqlite3_errmsg(db));
      std::exit(1);
    }
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  const double rate = static_cast<double>(rows.size()) / Seconds(start, Clock::now());
  sqlite3_close(db);
  return rate;
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 300000;
  const auto dir = std::filesystem::temp_directory_path() / "qiva_sqlite_bench";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::vector<Row> rows = MakeRows(n);
  std::vector<std::string> texts;
  texts.reserve(rows.size());
  for (const Row& r : rows) texts.push_back(InsertText(r));

  // Best of three alternating rounds, so that load from other processes weighs on both alike.
  double engine = 0, bare = 0, batched = 0;
  for (int round = 0; round < 3; ++round) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    engine = std::max(engine, EngineRate((dir / "engine.db").string(), texts));
    bare = std::max(bare, BareRate((dir / "bare.db").string(), rows));
    batched = std::max(batched, BatchRate((dir / "batched.db").string(), texts));
  }
  std::printf("rows: %d (best of 3 rounds)\n", n);
  std::printf("(a) CAdoDatabase::Execute:   %10.0f rows/s\n", engine);
  std::printf("(b) bare prepared insert:    %10.0f rows/s\n", bare);
  std::printf("ratio (a)/(b):               %10.2f\n", engine / bare);
  std::printf("(c) batches of 1001 texts:   %10.0f rows/s\n", batched);
  std::filesystem::remove_all(dir);
  return 0;
}
