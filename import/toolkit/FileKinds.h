// FileKinds.h: what tells the kinds of import file apart once parsed: the sections each kind
// holds. Several kinds share a root tag (four have "Catalogues"), so a file is checked against
// its kind's sections before anything is sent. Section handling stays in each import's file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "xml/XmlParser.h"

namespace qiva::import {

struct FileKindSections {
  std::string_view kind;                   // the kind's command-line word
  std::string_view description;            // "general catalogues file", for messages in English
  std::string_view descriptionRo;          // the same in the dialog's Romanian
  std::vector<std::string_view> sections;  // upper-case names of its sections under the root
  // The root's own name when the import treats the root as a section ("" when it does not).
  // It counts only when no child is a section of another kind: a day-hospital tariffs file has
  // the personalisation file's root ("provider") but its own sections.
  std::string_view rootSection = {};
  // The root tags its files have, for telling which kind a file looks like.
  std::vector<std::string_view> roots = {};
};

// Every kind, in the dialog's button order.
const std::vector<FileKindSections>& FileKindTable();

// The entry for the kind word `kind`, or null.
const FileKindSections* FindFileKind(std::string_view kind);

// True when `root` holds at least one of the sections of `kind` (by name, any letter case),
// even an empty one. A kind without an entry accepts every file.
bool HoldsSectionsOf(const XmlElement& root, std::string_view kind);

// The other kind whose sections `root` holds, or null: what the file looks like. A kind whose
// files have the same root as this file comes first (an error report's SERVICES are not a
// personalisation file's).
const FileKindSections* KindThatFits(const XmlElement& root, std::string_view notKind);

}  // namespace qiva::import
