// RecordLoops.h: the three ways a section's records are walked, counted and shown, each the one
// place where a section's records stop: at a stop request, a record that says Stop, or a failed
// database.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "import/toolkit/ImportConventions.h"

namespace qiva::import {

// Writes one record, given with its position among the section's children (from 1). GoOn when
// the record was handled (written, queued or skipped); Stop ends the section and the import
// (a No at the prompt, a nested loop that stopped). A failed database need not be told: the
// loop looks itself after each record.
using RecordWrite =
    std::function<Step(ImportContext& ctx, const XmlElement& record, std::int64_t number)>;

// Visited-count loop: every child adds one to `counter` and shows its progress text; children
// named `recordName` (upper case) are passed to `write`; `afterChild` (if set) runs after every
// child. GoOn when every child was handled.
Step VisitedCountLoop(ImportContext& ctx, const XmlElement& section, std::string_view recordName,
                      std::int64_t& counter, const RecordWrite& write,
                      const std::function<void()>& afterChild = {});

// Written-count loop: for each child named `recordName`, `write` runs, then the progress text
// shows the number written before it, and `counter` grows by one.
Step WrittenCountLoop(ImportContext& ctx, const XmlElement& section, std::string_view recordName,
                      std::int64_t& counter, const RecordWrite& write);

// Every-child loop: each child is a record whatever its name; it adds one to `counter` and
// shows `progress` filled with its position in the section ("Procesez medicul %d ..."). It
// starts no record when the database has already failed (a record may be put to the user).
Step EveryChildLoop(ImportContext& ctx, const XmlElement& section, std::string_view progress,
                    std::int64_t& counter, const RecordWrite& write);

}  // namespace qiva::import
