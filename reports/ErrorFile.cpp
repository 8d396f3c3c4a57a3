// ErrorFile.cpp: the error file import: file name and export type from the path, the guarded
// table creation, the file row with its id read back in the same batch, then the document-first
// walk over the services, feedback and recovery sections, writing each error under the file row.
#include "reports/ErrorFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/TextUtil.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/RecordReader.h"
#include "import/toolkit/SqlText.h"
#include "reports/ErrorReportStatements.h"
#include "reports/ReportWalk.h"
#include "reports/RowIdReadBack.h"

namespace qiva::reports {
namespace {

using import::DatabaseFailed;
using import::HasName;
using import::IntText;
using import::RecordReader;
using import::RecordStatement;
using import::UpperName;

// Which insert an error is written with.
enum class ErrorForm {
  Record,    // services records and recovery services: with the node name
  Feedback,  // feedback records: with the validity and the node name
  Nested,    // a recovery service's services and daily cures: AppID and code only
};

// The record an error belongs to.
struct ErrorOwner {
  std::int32_t appId = 0;
  std::string nodeName = {};  // stored with the error (Record and Feedback forms)
  std::string place = {};     // where the error stands, for the log
  int isValid = 0;
  ErrorForm form = ErrorForm::Record;
};

// One import's state: the file row's id once known, or why there is none, and the number of
// errors handled so far.
struct ErrorRun {
  ImportContext& ctx;
  std::optional<std::int32_t> fileId = {};
  std::string noFileIdReason = {};
  std::int64_t counter = 0;
};

std::string describe(const ErrorOwner& owner, std::string_view code) {
  std::string text = owner.place + " AppID " + IntText(owner.appId);
  if (!code.empty()) text += ", code '" + std::string(code) + "'";
  return text;
}

std::string insertFor(const ErrorOwner& owner, std::int32_t fileId, std::string_view code) {
  switch (owner.form) {
    case ErrorForm::Feedback:
      return FeedbackErrorInsert(fileId, owner.appId, code, owner.isValid, owner.nodeName);
    case ErrorForm::Nested:
      return NestedErrorInsert(fileId, owner.appId, code);
    case ErrorForm::Record:
      break;
  }
  return RecordErrorInsert(fileId, owner.appId, code, owner.nodeName);
}

// Handles one error element: counts it, writes it under the file row (or skips it when it has
// no code or there is no file row to point to) and shows the progress text. False when the
// database failed.
bool writeError(ErrorRun& run, const ErrorOwner& owner, const XmlElement& error) {
  const RecordReader r(error);
  const std::string_view code = r.text("code");
  ++run.counter;
  RecordStatement statement;
  if (!run.fileId) {
    statement.skipReason = run.noFileIdReason + ": " + describe(owner, code);
  } else if (!r.has("code")) {
    statement.skipReason = "error without code: " + describe(owner, code);
  } else {
    statement.sql = insertFor(owner, *run.fileId, code);
  }
  qiva::import::QueueRecord(run.ctx, statement);
  ShowErrorProgress(run.ctx, run.counter);
  return !DatabaseFailed(run.ctx);
}

// Every child of `parent`'s ERRORS children is one error of `owner`.
bool writeErrorsElements(ErrorRun& run, const ErrorOwner& owner, const XmlElement& parent) {
  return ForEachChildNamed(parent, "ERRORS", [&](const XmlElement& errors) {
    return ForEachChild(errors, [&](const XmlElement& e) { return writeError(run, owner, e); });
  });
}

bool isServiceRecordName(std::string_view name) {
  return name == "SERVICE" || name == "CLINICSERVICE" || name == "LABORATORIESSERVICE";
}

// SERVICES, CLINICSERVICES and LABORATORIESSERVICES: records that have a state.
bool servicesSection(ErrorRun& run, const XmlElement& section) {
  return ForEachChild(section, [&](const XmlElement& record) {
    const std::string name = UpperName(record);
    const RecordReader r(record);
    if (!isServiceRecordName(name) || !r.has("state")) return true;
    const ErrorOwner owner{.appId = r.integer("AppID"), .nodeName = name, .place = name};
    return writeErrorsElements(run, owner, record);
  });
}

// REPORTFEEDBACK: PIDLIST, INTERNSHIP and SERVICE records with their validity; their errors
// are their direct ERROR children.
bool feedbackSection(ErrorRun& run, const XmlElement& section) {
  return ForEachChild(section, [&](const XmlElement& record) {
    const std::string name = UpperName(record);
    if (name != "PIDLIST" && name != "INTERNSHIP" && name != "SERVICE") return true;
    const RecordReader r(record);
    const ErrorOwner owner{.appId = r.integer("AppID"),
                           .nodeName = name,
                           .place = name,
                           .isValid = EqualsIgnoringAsciiCase(r.text("isValid"), "FALSE") ? 0 : 1,
                           .form = ErrorForm::Feedback};
    return ForEachChildNamed(record, "ERROR",
                             [&](const XmlElement& e) { return writeError(run, owner, e); });
  });
}

// A recovery service's SERVICE with state 2: its own errors and those of its daily cures,
// written under the recovery service's AppID.
bool recoveryServiceService(ErrorRun& run, std::int32_t appId, const XmlElement& service) {
  if (RecordReader(service).text("state") != "2") return true;
  const ErrorOwner own{
      .appId = appId, .place = "RECOVERYAMBSERVICE/SERVICE", .form = ErrorForm::Nested};
  const ErrorOwner cure{
      .appId = appId, .place = "RECOVERYAMBSERVICE/SERVICE/DAILYCURE", .form = ErrorForm::Nested};
  return ForEachChild(service, [&](const XmlElement& child) {
    if (HasName(child, "ERRORS")) {
      return ForEachChild(child, [&](const XmlElement& e) { return writeError(run, own, e); });
    }
    if (HasName(child, "DAILYCURE")) return writeErrorsElements(run, cure, child);
    return true;
  });
}

// RECOVERYAMBSERVICES: recovery services with state 2 or 3, their errors and their services'.
bool recoverySection(ErrorRun& run, const XmlElement& section) {
  return ForEachChildNamed(section, "RECOVERYAMBSERVICE", [&](const XmlElement& record) {
    const RecordReader r(record);
    const std::string_view state = r.text("state");
    if (state != "2" && state != "3") return true;
    const ErrorOwner owner{.appId = r.integer("AppID"),
                           .nodeName = "RECOVERYAMBSERVICE",
                           .place = "RECOVERYAMBSERVICE"};
    return ForEachChild(record, [&](const XmlElement& child) {
      if (HasName(child, "ERRORS")) {
        return ForEachChild(child, [&](const XmlElement& e) { return writeError(run, owner, e); });
      }
      if (HasName(child, "SERVICES")) {
        return ForEachChildNamed(child, "SERVICE", [&](const XmlElement& service) {
          return recoveryServiceService(run, owner.appId, service);
        });
      }
      return true;
    });
  });
}

// Inserts the file row and reads back its id in the same batch; when either fails, keeps why
// in the run.
void writeFileRow(ErrorRun& run, const std::string& fileName, const std::string& exportType) {
  std::int32_t id = 0;
  // The file row is none of the records the run counts (its errors are).
  switch (InsertParentRow(run.ctx, ErrorFileRowInsert(fileName, exportType), 0, id)) {
    case ParentRow::Written:
      run.fileId = id;
      return;
    case ParentRow::Refused:
      run.noFileIdReason = "the row of file '" + fileName +
                           "' could not be inserted, so its errors were not written";
      return;
    case ParentRow::NoIdRead:
      run.noFileIdReason = "the id of the row of file '" + fileName +
                           "' could not be read back, so its errors were not written";
      return;
  }
}

}  // namespace

std::string ErrorFileExportType(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::size_t cut = name.size();
  for (int found = 0; found < 4; ++found) {
    if (cut == 0) return {};
    cut = name.rfind('_', cut - 1);
    if (cut == std::string::npos) return {};
  }
  return name.substr(0, cut);
}

std::string ErrorFileRootTag(const std::string& path) {
  static const std::array<const char*, 5> kFeedbackTypes = {"SPT_DRG", "SPT_ACUT", "SPT_CHR",
                                                            "SPT_PAL", "SPT_SPZ"};
  const std::string type = ErrorFileExportType(path);
  const bool feedback = std::any_of(kFeedbackTypes.begin(), kFeedbackTypes.end(),
                                    [&type](const char* t) { return type == t; });
  return feedback ? "reportFeedback" : "report";
}

std::string ErrorFileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int ImportErrorFile(ImportContext& ctx, const std::string& path) {
  const XmlElement root = qiva::import::OpenImportFile(ctx, path, ErrorFileRootTag(path));
  if (root.isNull()) return 1;  // not read: no table, no file row that would claim no errors
  ctx.database.Execute(ErrorFileTablesStatement());
  if (DatabaseFailed(ctx)) return 0;
  ErrorRun run{ctx};
  writeFileRow(run, ErrorFileName(path), ErrorFileExportType(path));
  if (DatabaseFailed(ctx)) return 0;
  bool goOn = true;
  qiva::import::WalkSections(
      ctx, root, import::WalkOrder::DocumentFirst,
      [&](const XmlElement& element, const std::string& name) {
        if (name == "SERVICES" || name == "CLINICSERVICES" || name == "LABORATORIESSERVICES") {
          goOn = servicesSection(run, element);
        } else if (name == "REPORTFEEDBACK") {
          goOn = feedbackSection(run, element);
        } else if (name == "RECOVERYAMBSERVICES") {
          goOn = recoverySection(run, element);
        }
        return goOn;
      });
  qiva::import::KeepRecordTotal(ctx, run.counter);
  return goOn ? 1 : 0;
}

}  // namespace qiva::reports
