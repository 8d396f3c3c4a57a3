// ImportKinds.h: the nine kinds of import, one per button of the main dialog, with their
// captions, command-line names, expected root tags and import routines.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "import/toolkit/ImportRoutine.h"

enum class ImportKind {
  Personalization,
  ReferringPhysicians,
  Nomenclatures,
  PharmaNomenclatures,
  Nhp,
  ErrorFile,
  PharmacyErrorFile,
  DayHospitalTariffs,
  Feedback,
};

inline constexpr std::size_t kImportKindCount = 9;

struct ImportKindInfo {
  ImportKind kind;
  const char* commandName;  // the KIND word of qiva-import
  const char* caption;      // the button's caption
  int buttonId;             // the button's control id
  bool needsLocation;       // the run asks for a location before the routine
  const char* rootTag;      // root tag the routine's file has ("" when chosen per file)
  ImportRoutine routine;    // the import routine
};

// The nine kinds in the dialog's top-to-bottom button order.
const std::array<ImportKindInfo, kImportKindCount>& ImportKinds();

// The entry of `kind`.
const ImportKindInfo& ImportKindInfoFor(ImportKind kind);

// The entry whose command-line name is `name` (exact), or null.
const ImportKindInfo* FindImportKind(std::string_view name);

// The root tags a file of `kind` at `path` is parsed with, in the order tried: the error file
// takes "reportFeedback" or "report" from the export type in its file name, the feedback file
// "ns2:request" then "request", every other kind its one tag.
std::vector<std::string> RootTagsFor(ImportKind kind, const std::string& path);
