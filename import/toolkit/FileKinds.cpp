// FileKinds.cpp: the section names of every kind of import file and the test whether a parsed
// file holds any of them. The names are those the import routines match.
#include "import/toolkit/FileKinds.h"

#include "base/TextUtil.h"
#include "import/toolkit/ImportConventions.h"

namespace qiva::import {

const std::vector<FileKindSections>& FileKindTable() {
  static const std::vector<FileKindSections> kKinds = {
      {"personalization",
       "personalisation file",
       "personalizare",
       {"CONTRACTS", "EMPLOYEES", "SERVICES"},
       "PROVIDER",
       {"Provider"}},
      {"physicians",
       "referring physicians file",
       "medici trimitatori",
       {"PHYSICIANS", "PHYSICIANSPECIALITIES"},
       "",
       {"Catalogues"}},
      {"nomenclatures",
       "general catalogues file",
       "nomenclatoare generale",
       {"LABORATORIESSERVICES", "PERSONSTATES", "PERSONTYPES", "PERSONCATEGORIES", "MEDSRVPACKS",
        "INSURANCEHOUSES", "SPECIALITIES", "CLINICSERVICES", "CLINSRVMEDPACKS",
        "CLINSRVGRPSPECIALTIES", "ERRORS", "CHRONICDISEASES", "RECSERVICES", "MEDICALFORMTYPES",
        "THERAPEUTICALSCHEMAS", "ICD10S"},
       "",
       {"Catalogues"}},
      {"pharma",
       "pharmaceutical catalogues file",
       "nomenclator farmaceutic",
       {"DISEASECATEGORIES", "COPAYMENTLISTTYPES", "COPAYMENTLISTTYPEPERSSTATE",
        "COPAYMENTLISTDRUGS", "PHARMACEUTICALFORMS", "CONCENTRATIONS", "PRESCRIPTIONTYPES", "NHPS",
        "ACTIVESUBSTANCES", "ATCS", "GOODS", "PACKAGEMODES", "NHPCATEGORIES", "NHP_DRUG_TYPES",
        "NHP_DRUGS", "DRUGS"},
       "",
       {"Catalogues"}},
      {"nhp",
       "national health programme file",
       "programe nationale (NHP)",
       {"MEDICALSUPPLIES", "NHP_INDICATORS"},
       "",
       {"Catalogues"}},
      {"errors",
       "validation error file",
       "erori de validare",
       {"SERVICES", "CLINICSERVICES", "LABORATORIESSERVICES", "RECOVERYAMBSERVICES",
        "REPORTFEEDBACK"},
       "REPORTFEEDBACK",
       {"report", "reportFeedback"}},
      {"pharmacy-errors",
       "pharmacy register error file",
       "erori ale registrului farmaciei",
       {"HOSPITALREGISTER"},
       "",
       {"report"}},
      {"day-tariffs",
       "day-hospital tariffs file",
       "tarife spitalizare de zi",
       {"DAILYCASES", "DAILYSERVICES"},
       "",
       {"provider"}},
      {"feedback",
       "hospital feedback file",
       "feedback spitalizare",
       {"PIDLISTS", "FOREIGNPERSONS", "HOSPITALIZATIONS"},
       "",
       {"ns2:request", "request"}},
  };
  return kKinds;
}

const FileKindSections* FindFileKind(std::string_view kind) {
  for (const FileKindSections& entry : FileKindTable()) {
    if (entry.kind == kind) return &entry;
  }
  return nullptr;
}

namespace {

bool IsSectionOf(const FileKindSections& entry, const std::string& upperName) {
  for (std::string_view section : entry.sections) {
    if (section == upperName) return true;
  }
  return false;
}

// True when a child of `root` is a section of `entry`.
bool ChildIsSectionOf(const XmlElement& root, const FileKindSections& entry) {
  for (const XmlElement& child : root.children()) {
    if (IsSectionOf(entry, UpperName(child))) return true;
  }
  return false;
}

// True when a child of `root` is a section of a kind other than `entry`'s own.
bool ChildIsSectionOfAnother(const XmlElement& root, const FileKindSections& entry) {
  for (const FileKindSections& other : FileKindTable()) {
    if (&other == &entry) continue;
    for (const XmlElement& child : root.children()) {
      const std::string name = UpperName(child);
      if (IsSectionOf(other, name) && !IsSectionOf(entry, name)) return true;
    }
  }
  return false;
}

bool Holds(const XmlElement& root, const FileKindSections& entry) {
  if (root.isNull()) return false;
  if (ChildIsSectionOf(root, entry)) return true;
  return !entry.rootSection.empty() && UpperName(root) == entry.rootSection &&
         !ChildIsSectionOfAnother(root, entry);
}

}  // namespace

bool HoldsSectionsOf(const XmlElement& root, std::string_view kind) {
  const FileKindSections* entry = FindFileKind(kind);
  return entry == nullptr || Holds(root, *entry);
}

const FileKindSections* KindThatFits(const XmlElement& root, std::string_view notKind) {
  const char* tag = root.tagName();
  const std::string_view rootName = tag ? tag : "";
  const FileKindSections* fits = nullptr;
  for (const FileKindSections& entry : FileKindTable()) {
    if (entry.kind == notKind || !Holds(root, entry)) continue;
    for (std::string_view name : entry.roots) {
      if (EqualsIgnoringAsciiCase(name, rootName)) return &entry;
    }
    if (fits == nullptr) fits = &entry;
  }
  return fits;
}

}  // namespace qiva::import
