// PharmaImportBench: the pharmaceutical catalogues import end to end (parse included) into a new
// embedded database, against the same drug and co-payment list rows loaded by bare SQLite
// prepared inserts in one transaction; then the drug inserts of the file sent one by one and in
// batches of 1001 through CAdoDatabase::Execute.
// Usage: pharma_import_bench [DRUG_COUNT [COPAYMENTLISTDRUG_COUNT [ROUNDS]]]
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ImportBenchSupport.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "import/PharmaNomenclatures.h"
#include "import/PharmaStatements.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/ImportRoutine.h"
#include "import/toolkit/StatementBatch.h"
#include "samples/PharmaGenerator.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using qiva::samples::PharmaSize;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Opens (and so creates, with the schema) a fresh embedded database file.
void openNew(CAdoDatabase& db, const fs::path& file) {
  fs::remove(file);
  db.SetDriver("sqlite");
  if (!db.Open("", "", "", file.string())) {
    std::fprintf(stderr, "cannot create %s: %s\n", file.c_str(), db.m_szComError.c_str());
    std::exit(1);
  }
}

double importSeconds(const fs::path& xml, const fs::path& dbFile,
                     qiva::bench::SilentFrontEnd& frontEnd, ImportOutcome& outcome) {
  CAdoDatabase db;
  CAdoRecordset rs;
  openNew(db, dbFile);
  ImportContext ctx{db, rs, frontEnd};
  const auto start = Clock::now();
  qiva::import::ImportPharmaNomenclatures(ctx, xml.string());
  db.Close();  // commits the last group
  const double seconds = secondsSince(start);
  outcome = ctx.Outcome();
  return seconds;
}

void bindText(sqlite3_stmt* statement, int index, const std::string& value) {
  sqlite3_bind_text(statement, index, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "prepare failed: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
  return statement;
}

void step(sqlite3* db, sqlite3_stmt* statement) {
  if (sqlite3_step(statement) != SQLITE_DONE) {
    std::fprintf(stderr, "bare insert failed: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
  sqlite3_reset(statement);
}

// The drug and co-payment list rows of the file through bare prepared inserts, values bound
// as they come (records built before the clock starts), one transaction.
double bareSeconds(const PharmaSize& size, const fs::path& dbFile) {
  {
    CAdoDatabase schema;
    openNew(schema, dbFile);
  }
  std::vector<qiva::samples::GeneratedDrug> drugs(size.drugs);
  for (std::size_t i = 0; i < drugs.size(); ++i) drugs[i] = qiva::samples::DrugRecord(i);
  std::vector<qiva::samples::GeneratedCopaymentListDrug> entries(size.copaymentListDrugs);
  for (std::size_t i = 0; i < entries.size(); ++i)
    entries[i] = qiva::samples::CopaymentListDrugRecord(i);

  sqlite3* raw = nullptr;
  sqlite3_open(dbFile.c_str(), &raw);
  sqlite3_exec(raw, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr,
               nullptr);
  const auto start = Clock::now();
  sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* entry = prepare(
      raw,
      "INSERT INTO QIVA_COPAYMENT_LIST_DRUGS (copaymentListType,drug,maxPrice,maxPriceUT,"
      "copaymentValue,copaymentValue90,wholeSalePrice,referencePrice,specialLaw,needApproval,"
      "overValue,needSpecialty,classifInsulin,hgDci,hgAtc,diseaseCode,validFrom,validTo) "
      "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
  for (const auto& e : entries) {
    bindText(entry, 1, e.copaymentListType);
    bindText(entry, 2, e.drug);
    sqlite3_bind_double(entry, 3, std::atof(e.maxPrice.c_str()));
    sqlite3_bind_double(entry, 4, std::atof(e.maxPriceUT.c_str()));
    sqlite3_bind_double(entry, 5, std::atof(e.copaymentValue.c_str()));
    sqlite3_bind_double(entry, 6, std::atof(e.copaymentValue90.c_str()));
    sqlite3_bind_double(entry, 7, std::atof(e.wholeSalePrice.c_str()));
    sqlite3_bind_double(entry, 8, std::atof(e.referencePrice.c_str()));
    sqlite3_bind_int(entry, 9, e.specialLaw == "true");
    bindText(entry, 10, e.needApproval);
    sqlite3_bind_double(entry, 11, std::atof(e.overValue.c_str()));
    sqlite3_bind_int(entry, 12, std::atoi(e.needSpecialty.c_str()));
    sqlite3_bind_int(entry, 13, std::atoi(e.classifInsulin.c_str()));
    bindText(entry, 14, e.hgDci);
    bindText(entry, 15, e.hgAtc);
    bindText(entry, 16, e.diseaseCode);
    bindText(entry, 17, e.validFrom);
    if (e.validTo.empty())
      sqlite3_bind_null(entry, 18);
    else
      bindText(entry, 18, e.validTo);
    step(raw, entry);
  }
  sqlite3_finalize(entry);
  sqlite3_stmt* drug = prepare(
      raw,
      "INSERT INTO QIVA_DRUGS(code,name,presentation_mode,is_narcotic,is_fractional,is_special,"
      "has_bio_echiv,qty_per_package,price_per_package,whole_sale_price_per_package,"
      "prescription_mode,VALID_FROM,VALID_TO,active_substance,concentration,pharmaceutical_form,"
      "company,country,atc) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
  for (const auto& d : drugs) {
    bindText(drug, 1, d.code);
    bindText(drug, 2, d.name);
    bindText(drug, 3, d.presentationMode);
    sqlite3_bind_int(drug, 4, std::atoi(d.isNarcotic.c_str()));
    sqlite3_bind_int(drug, 5, d.isFractional == "true");
    sqlite3_bind_int(drug, 6, d.isSpecial == "TRUE");
    sqlite3_bind_int(drug, 7, d.hasBioEchiv == "true");
    sqlite3_bind_int(drug, 8, std::atoi(d.qtyPerPackage.c_str()));
    sqlite3_bind_int(drug, 9, std::atoi(d.pricePerPackage.c_str()));
    sqlite3_bind_int(drug, 10, std::atoi(d.wholeSalePricePerPackage.c_str()));
    bindText(drug, 11, d.prescriptionMode);
    bindText(drug, 12, d.validFrom);
    if (d.validTo.empty())
      sqlite3_bind_null(drug, 13);
    else
      bindText(drug, 13, d.validTo);
    bindText(drug, 14, d.activeSubstance);
    bindText(drug, 15, d.concentration);
    bindText(drug, 16, d.pharmaceuticalForm);
    bindText(drug, 17, d.company);
    bindText(drug, 18, d.country);
    bindText(drug, 19, d.atc);
    step(raw, drug);
  }
  sqlite3_finalize(drug);
  sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
  const double seconds = secondsSince(start);
  sqlite3_close(raw);
  return seconds;
}

// The drug inserts exactly as the import builds them from the file.
std::vector<std::string> drugStatements(const fs::path& xml) {
  XmlParseResult result;
  const XmlElement root = openFileHelper(xml.string(), "Catalogues", result);
  std::vector<std::string> statements;
  for (int s = 0;; ++s) {
    const XmlElement section = root.childAt(s);
    if (section.isNull()) break;
    if (qiva::import::UpperName(section) != "DRUGS") continue;
    for (int r = 0;; ++r) {
      const XmlElement record = section.childAt(r);
      if (record.isNull()) break;
      statements.push_back(
          qiva::import::pharma::DrugInsert(qiva::import::RecordReader(record)).sql);
    }
  }
  return statements;
}

// Seconds to parse the file, and to parse it and build every statement of its two large
// sections without sending any: where the import's time goes before the database.
double parseSeconds(const fs::path& xml) {
  const auto start = Clock::now();
  XmlParseResult result;
  const XmlElement root = openFileHelper(xml.string(), "Catalogues", result);
  return root.isNull() ? 0.0 : secondsSince(start);
}

double buildSeconds(const fs::path& xml) {
  const auto start = Clock::now();
  XmlParseResult result;
  const XmlElement root = openFileHelper(xml.string(), "Catalogues", result);
  std::size_t bytes = 0;
  for (int s = 0;; ++s) {
    const XmlElement section = root.childAt(s);
    if (section.isNull()) break;
    const std::string name = qiva::import::UpperName(section);
    const auto build = name == "DRUGS" ? qiva::import::pharma::DrugInsert
                       : name == "COPAYMENTLISTDRUGS"
                           ? qiva::import::pharma::CopaymentListDrugInsert
                           : nullptr;
    if (!build) continue;
    for (int r = 0;; ++r) {
      const XmlElement record = section.childAt(r);
      if (record.isNull()) break;
      bytes += build(qiva::import::RecordReader(record)).sql.size();
    }
  }
  return bytes > 0 ? secondsSince(start) : 0.0;
}

struct Rate {
  double wall = 0;  // rows per second
  double cpu = 0;   // rows per second of processor time (less sensitive to other processes)
};

// Rows per second of the statements sent through Execute, one by one or in batches of 1001.
Rate executeRate(const std::vector<std::string>& statements, const fs::path& dbFile, bool batched,
                 qiva::bench::SilentFrontEnd& frontEnd) {
  CAdoDatabase db;
  CAdoRecordset rs;
  openNew(db, dbFile);
  ImportContext ctx{db, rs, frontEnd};
  const std::clock_t cpuStart = std::clock();
  const auto start = Clock::now();
  if (batched) {
    qiva::import::StatementBatch batch(ctx);
    for (const std::string& statement : statements) batch.Add(statement);
    batch.Flush();
  } else {
    for (const std::string& statement : statements) db.Execute(statement);
  }
  db.Close();
  const double seconds = secondsSince(start);
  const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  if (ctx.Outcome().rejectedStatements != 0) {
    std::fprintf(stderr, "statements were rejected; see _database.log\n");
    std::exit(1);
  }
  const double rows = static_cast<double>(statements.size());
  return {rows / seconds, rows / cpuSeconds};
}

}  // namespace

int main(int argc, char** argv) {
  PharmaSize size;
  if (argc > 1) size.drugs = std::strtoul(argv[1], nullptr, 10);
  if (argc > 2) size.copaymentListDrugs = std::strtoul(argv[2], nullptr, 10);
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;

  const fs::path folder = fs::temp_directory_path() / "qiva-pharma-bench";
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::current_path(folder);  // the logs land here
  const fs::path xml = folder / "nomenclator_farmaceutic.xml";
  if (!qiva::samples::WritePharmaCatalogue(xml.string(), size)) {
    std::fprintf(stderr, "cannot write %s\n", xml.c_str());
    return 1;
  }
  const double records = static_cast<double>(qiva::samples::PharmaRecordCount(size));
  const double bareRecords = static_cast<double>(size.drugs + size.copaymentListDrugs);
  std::printf("file: %s (%.1f MB, %.0f records)\n", xml.c_str(),
              static_cast<double>(fs::file_size(xml)) / 1e6, records);

  // Best of a few alternating rounds, so that load from other processes weighs on both alike.
  qiva::bench::SilentFrontEnd frontEnd;
  ImportOutcome outcome;
  double bare = 1e9, import = 1e9;
  for (int round = 0; round < rounds; ++round) {
    bare = std::min(bare, bareSeconds(size, folder / "bare.db"));
    import = std::min(import, importSeconds(xml, folder / "import.db", frontEnd, outcome));
  }
  double parse = 1e9, build = 1e9;
  for (int round = 0; round < rounds; ++round) {
    parse = std::min(parse, parseSeconds(xml));
    build = std::min(build, buildSeconds(xml));
  }
  const std::vector<std::string> statements = drugStatements(xml);
  Rate single, batched;
  for (int round = 0; round < rounds; ++round) {
    const Rate s = executeRate(statements, folder / "single.db", false, frontEnd);
    const Rate b = executeRate(statements, folder / "batched.db", true, frontEnd);
    single = {std::max(single.wall, s.wall), std::max(single.cpu, s.cpu)};
    batched = {std::max(batched.wall, b.wall), std::max(batched.cpu, b.cpu)};
  }

  std::printf("import status: %s; %lld rejected, %lld skipped\n", frontEnd.last.c_str(),
              static_cast<long long>(outcome.rejectedStatements),
              static_cast<long long>(outcome.skippedTotal()));
  std::printf("best of %d rounds\n", rounds);
  std::printf("bare prepared inserts: %8.2f s  %10.0f records/s\n", bare, bareRecords / bare);
  std::printf("import end to end:     %8.2f s  %10.0f records/s\n", import, records / import);
  std::printf("ratio import/bare (records per second): %.2f\n",
              (records / import) / (bareRecords / bare));
  std::printf(
      "of which: parsing the file %.2f s, building the statements %.2f s, the database "
      "%.2f s\n",
      parse, build - parse, import - build);
  std::printf("drug inserts one by one:         %10.0f rows/s  %10.0f rows per CPU second\n",
              single.wall, single.cpu);
  std::printf("drug inserts in batches of 1001: %10.0f rows/s  %10.0f rows per CPU second\n",
              batched.wall, batched.cpu);
  std::printf("ratio batch/single: %.2f (per CPU second: %.2f)\n", batched.wall / single.wall,
              batched.cpu / single.cpu);
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(folder);
  return 0;
}
