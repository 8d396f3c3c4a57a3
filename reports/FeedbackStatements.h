// FeedbackStatements.h: the statement texts of the hospital feedback import: the seven inserts
// (header, continuous hospitalisation, day-hospital case, service and their three error kinds)
// with the optional location column. No database access here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/RecordReader.h"

namespace qiva::reports::feedback {

using import::RecordReader;
using import::RecordStatement;

// The location column that the header, case and service rows carry in a database that keeps
// data per location; error rows never carry it.
struct LocationColumn {
  bool present = false;
  std::int32_t id = 0;
};

// The header row, from the document element: both reporting dates with every "+" made a blank
// (a time-zone suffix becomes a time) and the report type, which must be a number.
RecordStatement FeedbackInsert(const RecordReader& root, const LocationColumn& location);

// A PIDLIST or FOREIGNPERSON element under the feedback `feedbackId`.
RecordStatement ContinuousCaseInsert(const RecordReader& r, std::int32_t feedbackId,
                                     const LocationColumn& location);
// An ERROR of the continuous hospitalisation `caseId`.
RecordStatement ContinuousCaseErrorInsert(const RecordReader& r, std::int32_t caseId);

// A HOSPITALIZATION element under the feedback `feedbackId`.
RecordStatement DayCaseInsert(const RecordReader& r, std::int32_t feedbackId,
                              const LocationColumn& location);
// A SERVICES element of the day-hospital case `dayCaseId`.
RecordStatement DayServiceInsert(const RecordReader& r, std::int32_t dayCaseId,
                                 const LocationColumn& location);
// An ERRORS or ERROR element of the service `serviceId`.
RecordStatement DayServiceErrorInsert(const RecordReader& r, std::int32_t serviceId);
// An ERRORS element of the day-hospital case `dayCaseId`.
RecordStatement DayCaseErrorInsert(const RecordReader& r, std::int32_t dayCaseId);

}  // namespace qiva::reports::feedback
