// ReportWalk.h: how the report imports walk the nested elements of a record (children in document
// order, every child passed) and number the errors they handle.
// Statement texts and the section logic of each import live in their own files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/ImportRoutine.h"
#include "xml/XmlParser.h"

namespace qiva::reports {

// Calls `visit(child)` for each child element of `parent` in document order. `visit` returns
// false to stop; the walk then returns false, otherwise true. The empty element has no children.
template <typename Visit>
bool ForEachChild(const XmlElement& parent, Visit&& visit) {
  for (const XmlElement& child : parent.children()) {
    if (!visit(child)) return false;
  }
  return true;
}

// The same for the children whose name, upper-cased, is `upperName`; the others are passed.
template <typename Visit>
bool ForEachChildNamed(const XmlElement& parent, std::string_view upperName, Visit&& visit) {
  return ForEachChild(parent, [&](const XmlElement& child) {
    return !import::HasName(child, upperName) || visit(child);
  });
}

// Shows "Procesez inregistrarea %d ..." with the number of the error just handled.
inline void ShowErrorProgress(ImportContext& ctx, std::int64_t number) {
  std::string progress;
  qiva::import::AppendProgressText(progress, number);
  ctx.frontEnd.SetStatusText(progress);
}

}  // namespace qiva::reports
