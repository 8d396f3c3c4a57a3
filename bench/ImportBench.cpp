// ImportBench: the general catalogues import end to end (parse included) into the embedded
// database, against the same rows loaded by bare SQLite prepared inserts in one transaction.
// Usage: import_bench [ICD10_COUNT [CLINICSERVICE_COUNT [ROUNDS]]]
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "bench/ImportBenchSupport.h"
#include "db/CAdoDatabase.h"
#include "samples/CatalogueGenerator.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using qiva::samples::CatalogueSize;

// Opens (and so creates, with the schema) a fresh embedded database file.
void createDatabase(const fs::path& file) {
  fs::remove(file);
  CAdoDatabase db;
  db.SetDriver("sqlite");
  db.Open("", "", "", file.string());
  db.Close();
}

void bindText(sqlite3_stmt* statement, int index, const std::string& value) {
  sqlite3_bind_text(statement, index, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
}

double bareSeconds(const CatalogueSize& size, const fs::path& dbFile) {
  createDatabase(dbFile);
  std::vector<qiva::samples::GeneratedIcd10> icd(size.icd10);
  for (std::size_t i = 0; i < icd.size(); ++i) icd[i] = qiva::samples::Icd10Record(i);
  std::vector<qiva::samples::GeneratedClinicService> services(size.clinicServices);
  for (std::size_t i = 0; i < services.size(); ++i)
    services[i] = qiva::samples::ClinicServiceRecord(i);

  sqlite3* raw = nullptr;
  sqlite3_open(dbFile.c_str(), &raw);
  const auto start = Clock::now();
  sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* insertIcd = nullptr;
  sqlite3_prepare_v2(
      raw,
      "insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) "
      "values (?,?,?,?,?)",
      -1, &insertIcd, nullptr);
  for (const auto& r : icd) {
    bindText(insertIcd, 1, r.code);
    bindText(insertIcd, 2, r.name);
    bindText(insertIcd, 3, r.validFrom);
    bindText(insertIcd, 4, r.validTo);
    bindText(insertIcd, 5, r.diseaseCategory);
    sqlite3_step(insertIcd);
    sqlite3_reset(insertIcd);
  }
  sqlite3_finalize(insertIcd);
  sqlite3_stmt* insertService = nullptr;
  sqlite3_prepare_v2(raw,
                     "insert into QIVA_CLINIC_SERVICES (code,name,serviceGroup,isExam,opRoom,"
                     "isConnectedService,validFrom,validTo) values (?,?,?,?,?,?,?,?)",
                     -1, &insertService, nullptr);
  for (const auto& s : services) {
    bindText(insertService, 1, s.code);
    bindText(insertService, 2, s.name);
    bindText(insertService, 3, s.serviceGroup);
    sqlite3_bind_int(insertService, 4, s.isExam);
    sqlite3_bind_int(insertService, 5, s.opRoom);
    sqlite3_bind_int(insertService, 6, s.isConnectedService);
    bindText(insertService, 7, s.validFrom);
    bindText(insertService, 8, s.validTo);
    sqlite3_step(insertService);
    sqlite3_reset(insertService);
  }
  sqlite3_finalize(insertService);
  sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(raw);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  CatalogueSize size;
  if (argc > 1) size.icd10 = std::strtoul(argv[1], nullptr, 10);
  if (argc > 2) size.clinicServices = std::strtoul(argv[2], nullptr, 10);
  const fs::path xml = qiva::bench::PrepareCatalogue(size.icd10, size.clinicServices);
  const double records = static_cast<double>(size.icd10 + size.clinicServices);

  // The disk makes single runs vary by a third; the best of a few rounds is what the code costs.
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  double bare = 1e9;
  double import = 1e9;
  qiva::bench::SilentFrontEnd frontEnd;
  for (int round = 0; round < rounds; ++round) {
    bare = std::min(bare, bareSeconds(size, xml.parent_path() / "bare.db"));
    import =
        std::min(import, qiva::bench::TimedImport(xml, xml.parent_path() / "import.db", frontEnd));
  }
  std::printf("import status: %s\n", frontEnd.last.c_str());
  std::printf("best of %d rounds\n", rounds);
  std::printf("bare prepared inserts: %8.2f s  %10.0f records/s\n", bare, records / bare);
  std::printf("import end to end:     %8.2f s  %10.0f records/s\n", import, records / import);
  std::printf("ratio import/bare (records per second): %.2f\n", bare / import);
  return 0;
}
