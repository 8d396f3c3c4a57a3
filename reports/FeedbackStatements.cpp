// FeedbackStatements.cpp: the exact statement texts of the hospital feedback import and the
// values that fill them. Quoted values have their single quotes doubled by FillTemplate; a
// value that stands unquoted must be a plain number or the null word, or the record carries a
// skip reason naming every value that is neither.
#include "reports/FeedbackStatements.h"

#include "base/TextUtil.h"
#include "import/toolkit/SqlText.h"

namespace qiva::reports::feedback {
namespace {

using import::FillTemplate;
using import::IntText;
using import::RecordStatement;
using import::RequirePlainNumber;

// Each element starts with its text fields empty and appID "0"; a present attribute (an empty
// one included) replaces the field.
std::string_view appId(const RecordReader& r) { return r.has("appID") ? r.text("appID") : "0"; }

// The attribute's value, or `whenEmpty` when it is absent or empty.
std::string_view orDefault(const RecordReader& r, std::string_view name,
                           std::string_view whenEmpty) {
  const std::string_view value = r.text(name);
  return value.empty() ? whenEmpty : value;
}

// tariffType: a value beginning with C is -1, one beginning with S is -2; any other stays.
std::string_view tariffType(const RecordReader& r) {
  const std::string_view value = r.text("tariffType");
  if (!value.empty() && value.front() == 'C') return "-1";
  if (!value.empty() && value.front() == 'S') return "-2";
  return value;
}

// Adds `name` to the skip reasons when `value` cannot stand unquoted in a statement: anything
// but a plain number or the word null, which the server would refuse or read as SQL.
void requireNumber(std::string_view name, std::string_view value, RecordStatement& statement) {
  if (!EqualsIgnoringAsciiCase(value, "null")) RequirePlainNumber(statement, name, value);
}

// Joins the column list, the values text and the location column: ", locationID " before the
// column list's ")" and ",<id>" before the closing ")". No blank stands before "VALUES".
std::string withLocation(std::string_view columns, const std::string& values,
                         const LocationColumn& location) {
  std::string sql(columns);
  if (location.present) sql += ", locationID ";
  sql += ')';
  sql += values;
  if (location.present) {
    sql += ',';
    sql += IntText(location.id);
  }
  sql += ')';
  return sql;
}

// An error row: three quoted values under the parent id.
RecordStatement errorInsert(std::string_view columns, const RecordReader& r,
                            std::int32_t parentId) {
  std::string sql(columns);
  sql += ')';
  sql += FillTemplate("VALUES (%ld,'%s','%s','%s' ",
                      {IntText(parentId), r.text("code"), r.text("Name"), r.text("errorType")});
  sql += ')';
  return {std::move(sql), {}};
}

}  // namespace

RecordStatement FeedbackInsert(const RecordReader& root, const LocationColumn& location) {
  std::string start(root.text("reportingStartDate"));
  std::string end(root.text("reportingEndDate"));
  ReplaceChar(start, start.size(), '+', ' ');
  ReplaceChar(end, end.size(), '+', ' ');
  const std::string_view reportType = root.text("reportType");
  RecordStatement statement;
  statement.sql =
      withLocation("insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType",
                   FillTemplate("VALUES (CONVERT(datetime,'%s',120),CONVERT(datetime,'%s',120),%s ",
                                {start, end, reportType}),
                   location);
  requireNumber("reportType", reportType, statement);
  return statement;
}

RecordStatement ContinuousCaseInsert(const RecordReader& r, std::int32_t feedbackId,
                                     const LocationColumn& location) {
  const std::string_view app = appId(r);
  const std::string_view drgRelativeValue = orDefault(r, "drgRelativeValue", "null");
  const std::string_view releasedCaseType = orDefault(r, "releasedCaseType", "null");
  const std::string_view stateCnas = orDefault(r, "stateCNAS", "null");
  const std::string_view stateSnspms = orDefault(r, "stateSNSPMS", "null");
  RecordStatement statement;
  statement.sql = withLocation(
      "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,CaseId,"
      "DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS",
      FillTemplate(
          "VALUES (%ld,%s,'%s','%s','%s',%s,%s,%s,%s ",
          {IntText(feedbackId), app, r.text("medicalSheetNo"), r.text("case_id"),
           r.text("drgGroupCode"), drgRelativeValue, releasedCaseType, stateCnas, stateSnspms}),
      location);
  requireNumber("appID", app, statement);
  requireNumber("drgRelativeValue", drgRelativeValue, statement);
  requireNumber("releasedCaseType", releasedCaseType, statement);
  requireNumber("stateCNAS", stateCnas, statement);
  requireNumber("stateSNSPMS", stateSnspms, statement);
  return statement;
}

RecordStatement ContinuousCaseErrorInsert(const RecordReader& r, std::int32_t caseId) {
  return errorInsert(
      "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS] "
      "(FeedbackHospitalContinueID,ErrorCode,ErrorName,ErrorType",
      r, caseId);
}

RecordStatement DayCaseInsert(const RecordReader& r, std::int32_t feedbackId,
                              const LocationColumn& location) {
  const std::string_view app = appId(r);
  const std::string_view stateSnspms = orDefault(r, "stateSNSPMS", "0");
  const std::string_view tariff = tariffType(r);
  RecordStatement statement;
  statement.sql = withLocation(
      "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, AppID,MedicalSheetNo,CaseId,"
      "StateCNAS,StateSNSPMS,TariffType",
      FillTemplate("VALUES (%ld,%s,'%s','%s','%s',%s,%s ",
                   {IntText(feedbackId), app, r.text("medicalSheetNo"), r.text("case_id"),
                    orDefault(r, "stateCNAS", "0"), stateSnspms, tariff}),
      location);
  requireNumber("appID", app, statement);
  requireNumber("stateSNSPMS", stateSnspms, statement);
  requireNumber("tariffType", tariff, statement);
  return statement;
}

RecordStatement DayServiceInsert(const RecordReader& r, std::int32_t dayCaseId,
                                 const LocationColumn& location) {
  const std::string_view app = appId(r);
  const std::string_view stateCnas = orDefault(r, "stateCNAS", "NULL");
  const std::string_view stateSnspms = orDefault(r, "stateSNSPMS", "NULL");
  RecordStatement statement;
  statement.sql = withLocation(
      "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID, AppID,VisitID,"
      "ServiceCode,StateCNAS,StateSNSPMS",
      FillTemplate("VALUES (%ld,%s,'%s','%s',%s,%s ",
                   {IntText(dayCaseId), app, r.text("visitID"), r.text("serviceCode"), stateCnas,
                    stateSnspms}),
      location);
  requireNumber("appID", app, statement);
  requireNumber("stateCNAS", stateCnas, statement);
  requireNumber("stateSNSPMS", stateSnspms, statement);
  return statement;
}

RecordStatement DayServiceErrorInsert(const RecordReader& r, std::int32_t serviceId) {
  return errorInsert(
      "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS] "
      "(feedbackDayServiceID,ErrorCode,ErrorName,ErrorType",
      r, serviceId);
}

RecordStatement DayCaseErrorInsert(const RecordReader& r, std::int32_t dayCaseId) {
  return errorInsert(
      "INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS] "
      "(FeedbackHospitalDayID,ErrorCode,ErrorName,ErrorType",
      r, dayCaseId);
}

}  // namespace qiva::reports::feedback
