// Feedback.h: the hospital feedback import: one header row per file, the continuous
// hospitalisations, day-hospital cases and services it judged, and the errors found in each,
// every child row linked to its parent by the parent's id.
#pragma once

#include <string>

#include "import/toolkit/ImportRoutine.h"

namespace qiva::reports {

// The message shown when the header row cannot be written (or its id cannot be read back);
// the routine then writes nothing else.
inline constexpr const char* kFeedbackHeaderFailedText =
    "EROARE LA ADAUGARE IN TABELA QIVA_FEEDBACK";

// Loads the feedback file at `path` (root "ns2:request", else "request"), appending rows only,
// and shows "Finalizat de procesat %d inregistrari" at the end. Returns 1 when the file was
// walked; 0 when it was not read (nothing sent), when the header failed (the message above,
// nothing else written), or when the database failed. A row that is not written never has
// children attached to another row: they are skipped and logged.
int ImportFeedback(ImportContext& ctx, const std::string& path);

}  // namespace qiva::reports
