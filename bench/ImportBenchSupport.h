// ImportBenchSupport.h: what the import benchmarks share: a front end that shows nothing, a
// fresh embedded database, and one timed run of the general catalogues import.
#pragma once

#include <filesystem>
#include <string>

#include "import/toolkit/ImportFrontEnd.h"

namespace qiva::bench {

class SilentFrontEnd final : public ImportFrontEnd {
 public:
  void SetStatusText(const std::string& text) override { last = text; }
  void ShowMessage(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return true; }
  std::optional<std::int32_t> ChooseLocation(CAdoDatabase&, CAdoRecordset&) override { return {}; }
  void CloseProgram() override {}
  std::string last;
};

// The benchmark folder under the temporary folder, made the current directory (the logs land
// there), holding a generated catalogue of the given size; returns the catalogue's path.
std::filesystem::path PrepareCatalogue(std::size_t icd10, std::size_t clinicServices);

// Imports `xml` into a new embedded database at `dbFile` through `frontEnd`; returns seconds.
double TimedImport(const std::filesystem::path& xml, const std::filesystem::path& dbFile,
                   ImportFrontEnd& frontEnd);

}  // namespace qiva::bench
