// SectionTable.h: the driver of the table-driven imports. A routine describes each section it
// knows (its element, its records, the statement that empties its table, how a record is
// written and counted, what closes it) and hands the table to ImportSections, which walks the
// file, runs the sections in the table's order and stops where a step says so.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/RecordLoops.h"

namespace qiva::import {

// How a section's records are walked and counted (see RecordLoops.h).
enum class RecordCount {
  Visited,     // every child counts and shows the running count
  Written,     // only the records count; the progress shows how many came before
  EveryChild,  // every child is a record, shown with its position in `Section::progress`
};

struct Section {
  std::string_view name;              // section element, upper case
  std::string_view record = {};       // record element, upper case (EveryChild: any)
  std::string emptying = {};          // empties the table before the records; "" keeps its rows
  StatementBuilder insert = nullptr;  // one statement per record, sent or skipped ...
  RecordWrite write = {};  // ... or a routine's own writer, copied for each section element
  RecordCount count = RecordCount::Visited;
  std::string_view progress = {};         // EveryChild: the progress text with a %d
  bool batched = false;                   // inserts go in batches of StatementBatch
  std::string afterEveryChild = {};       // after every child (Visited)
  std::vector<std::string> closing = {};  // once, after the records
};

// Runs one section on its element: empties its table (SectionSkipped when that failed), walks
// its records, flushes its batch (records read are sent even when a stop ends the section
// early) and queues its closing statements. Stop when the import must end.
Step ImportSection(ImportContext& ctx, const Section& section, const XmlElement& element,
                   std::int64_t& counter);

// Walks `root` in `order` and runs every section of `sections` whose element it meets, in the
// table's order. False when the import ended early: a section said Stop, or a stop was asked
// for after a section.
[[nodiscard]] bool ImportSections(ImportContext& ctx, const XmlElement& root, WalkOrder order,
                                  const std::vector<Section>& sections, std::int64_t& counter);

}  // namespace qiva::import
