// ImportBenchSupport.cpp: catalogue preparation and one timed import for the benchmarks.
#include "bench/ImportBenchSupport.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "import/Nomenclatures.h"
#include "import/toolkit/ImportRoutine.h"
#include "samples/CatalogueGenerator.h"

namespace qiva::bench {

namespace fs = std::filesystem;

fs::path PrepareCatalogue(std::size_t icd10, std::size_t clinicServices) {
  const fs::path folder = fs::temp_directory_path() / "qiva-import-bench";
  fs::create_directories(folder);
  fs::current_path(folder);
  const fs::path xml = folder / "catalogue.xml";
  if (!qiva::samples::WriteLargeCatalogue(xml.string(), {icd10, clinicServices})) {
    std::fprintf(stderr, "cannot write %s\n", xml.c_str());
    std::exit(1);
  }
  std::printf("file: %s (%.1f MB, %zu records)\n", xml.c_str(),
              static_cast<double>(fs::file_size(xml)) / 1e6, icd10 + clinicServices);
  return xml;
}

double TimedImport(const fs::path& xml, const fs::path& dbFile, ImportFrontEnd& frontEnd) {
  fs::remove(dbFile);
  CAdoDatabase db;
  CAdoRecordset rs;
  db.SetDriver("sqlite");
  if (!db.Open("", "", "", dbFile.string())) {
    std::fprintf(stderr, "cannot create %s: %s\n", dbFile.c_str(), db.m_szComError.c_str());
    std::exit(1);
  }
  ImportContext ctx{db, rs, frontEnd};
  const auto start = std::chrono::steady_clock::now();
  qiva::import::ImportNomenclatures(ctx, xml.string());
  db.Close();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace qiva::bench
