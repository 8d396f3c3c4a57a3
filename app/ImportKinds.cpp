// ImportKinds.cpp: the table of the nine import kinds. An import routine becomes available by
// putting its function in the last column of its row.
#include "app/ImportKinds.h"

#include <algorithm>

#include "import/DayHospitalTariffs.h"
#include "import/Nhp.h"
#include "import/Nomenclatures.h"
#include "import/Personalization.h"
#include "import/PharmaNomenclatures.h"
#include "import/ReferringPhysicians.h"
#include "reports/ErrorFile.h"
#include "reports/Feedback.h"
#include "reports/PharmacyErrorFile.h"

namespace {

// Button order of the main dialog, top to bottom.
const std::array<ImportKindInfo, kImportKindCount> kKinds = {{
    {ImportKind::Personalization, "personalization", "Import personalizare", 1002, false,
     "Provider", qiva::import::ImportPersonalization},
    {ImportKind::ReferringPhysicians, "physicians", "Import medici trimitatori", 1000, false,
     "Catalogues", qiva::import::ImportReferringPhysicians},
    {ImportKind::Nomenclatures, "nomenclatures", "Import nomenclatoare", 1003, false, "Catalogues",
     qiva::import::ImportNomenclatures},
    {ImportKind::PharmaNomenclatures, "pharma", "Import nom. farm (medicamente)", 1005, false,
     "Catalogues", qiva::import::ImportPharmaNomenclatures},
    {ImportKind::Nhp, "nhp", "Import NHP", 1009, false, "Catalogues", qiva::import::ImportNhp},
    {ImportKind::ErrorFile, "errors", "Import fisier erori", 1004, false, "",
     qiva::reports::ImportErrorFile},
    {ImportKind::PharmacyErrorFile, "pharmacy-errors", "SPT: Import fisier erori farm", 1006, false,
     "report", qiva::reports::ImportPharmacyErrorFile},
    {ImportKind::DayHospitalTariffs, "day-tariffs", "SPT: Import Serv Spit ZI", 1007, true,
     "provider", qiva::import::ImportDayHospitalTariffs},
    {ImportKind::Feedback, "feedback", "SPT: Import Feedback", 1008, true, "ns2:request",
     qiva::reports::ImportFeedback},
}};

}  // namespace

const std::array<ImportKindInfo, kImportKindCount>& ImportKinds() { return kKinds; }

const ImportKindInfo& ImportKindInfoFor(ImportKind kind) {
  for (const auto& info : kKinds) {
    if (info.kind == kind) return info;
  }
  return kKinds.front();  // unreachable: every enumerator has a row
}

const ImportKindInfo* FindImportKind(std::string_view name) {
  auto it = std::find_if(kKinds.begin(), kKinds.end(),
                         [name](const ImportKindInfo& info) { return name == info.commandName; });
  return it == kKinds.end() ? nullptr : &*it;
}

std::vector<std::string> RootTagsFor(ImportKind kind, const std::string& path) {
  switch (kind) {
    case ImportKind::ErrorFile:
      return {qiva::reports::ErrorFileRootTag(path)};
    case ImportKind::Feedback:
      return {"ns2:request", "request"};
    default:
      return {ImportKindInfoFor(kind).rootTag};
  }
}
