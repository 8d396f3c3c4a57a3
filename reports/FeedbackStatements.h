// FeedbackStatements.h: the statement texts of the hospital feedback import: the seven inserts
// (header, continuous hospitalisation, day-hospital case, service and their three error kinds)
// with the optional location column, and the four id read-backs. No database access here.
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

// The id read-backs, run right after an insert into their table.
inline constexpr std::string_view kFeedbackIdQuery = " select max(id) UID from QIVA_FEEDBACK ";
inline constexpr std::string_view kContinuousCaseIdQuery =
    " select max(id) UID from QIVA_FEEDBACK_HOSPITAL_CONTINUE ";
inline constexpr std::string_view kDayCaseIdQuery =
    " select max(id) UID from QIVA_FEEDBACK_HOSPITAL_DAY ";
inline constexpr std::string_view kServiceIdQuery =
    " select max(id) UID from QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES ";
// The field the read-backs name.
inline constexpr std::string_view kIdField = "UID";

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
