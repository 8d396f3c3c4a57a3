// Feedback.cpp: the hospital feedback import: writes the header row, then walks the sections
// and their records three levels deep, reading back each parent row's id in its insert's
// batch. A parent row that was not written, or whose id could not be read back, has its
// children skipped and logged, never attached to an older row.
#include "reports/Feedback.h"

#include <optional>

#include "db/CAdoDatabase.h"
#include "import/toolkit/ImportConventions.h"
#include "reports/FeedbackStatements.h"
#include "reports/RowIdReadBack.h"

namespace qiva::reports {
namespace {

namespace fb = feedback;
using import::RecordReader;
using import::RecordStatement;
using ChildStatement = RecordStatement (*)(const RecordReader&, std::int32_t);

// The element as written, for the log: "<TAG name='value' ...>".
std::string Describe(const XmlElement& element) {
  const char* tag = element.tagName();
  std::string text = "<";
  text += tag ? tag : "";
  for (int i = 0; i < element.attributeCount(); ++i) {
    const char* name = element.attributeNameAt(i);
    const char* value = element.attributeValueAt(i);
    text += ' ';
    text += name ? name : "";
    if (value) {
      text += "='";
      text += value;
      text += '\'';
    }
  }
  text += '>';
  return text;
}

// A parent row as its children see it: its id, or why they cannot be attached to it.
struct Parent {
  std::optional<std::int32_t> id;
  std::string missing;  // "<TAG ...> was rejected by the database" and the like
};

class FeedbackWalk {
 public:
  explicit FeedbackWalk(ImportContext& ctx)
      : ctx_(ctx), location_{ctx.hasLocationColumn, ctx.locationId} {}

  // Writes the header row and reads its id back. False when either fails (the message has
  // been shown) or the database failed.
  bool header(const XmlElement& root);
  // Walks the document element's children; false when the database failed.
  bool sections(const XmlElement& root);
  std::int64_t rows() const { return rows_; }

 private:
  // One child of the document element: the sections PIDLISTS, FOREIGNPERSONS and
  // HOSPITALIZATIONS; any other is passed over with everything below it.
  bool section(const XmlElement& section, const std::string& name);
  bool continuousCase(const XmlElement& element);
  bool dayCase(const XmlElement& element);
  bool service(const XmlElement& element, const Parent& dayCase);
  bool writeParent(const XmlElement& element, const RecordStatement& statement, Parent& parent);
  // `records`: 1 for a case or a service, 0 for the header, which the row count leaves out.
  void insertParent(const XmlElement& element, const RecordStatement& statement,
                    std::int64_t records, Parent& parent);
  bool writeChild(const XmlElement& element, const Parent& parent, ChildStatement build);
  void skipChild(const XmlElement& element, const Parent& parent);
  bool progress();

  ImportContext& ctx_;
  const fb::LocationColumn location_;
  std::int32_t feedbackId_ = 0;
  std::int64_t rows_ = 0;
  std::string progressText_;
};

bool FeedbackWalk::header(const XmlElement& root) {
  Parent parent;
  insertParent(root, fb::FeedbackInsert(RecordReader(root), location_), 0, parent);
  if (import::DatabaseFailed(ctx_)) return false;
  if (parent.id) {
    feedbackId_ = *parent.id;
    return true;
  }
  // Every case would otherwise be written under a feedback that is not this file's.
  ctx_.frontEnd.ShowMessage(kFeedbackHeaderFailedText);
  return false;
}

bool FeedbackWalk::sections(const XmlElement& root) {
  return import::WalkSections(ctx_, root, import::WalkOrder::ChildrenOnly,
                              [&](const XmlElement& section, const std::string& name) {
                                return this->section(section, name);
                              });
}

bool FeedbackWalk::section(const XmlElement& section, const std::string& name) {
  const bool continuous = name == "PIDLISTS" || name == "FOREIGNPERSONS";
  if (!continuous && name != "HOSPITALIZATIONS") return true;
  for (const XmlElement& record : section.children()) {
    if (import::StopAtRecord(ctx_)) return false;
    if (continuous &&
        (import::HasName(record, "PIDLIST") || import::HasName(record, "FOREIGNPERSON"))) {
      if (!continuousCase(record)) return false;
    } else if (!continuous && import::HasName(record, "HOSPITALIZATION") && !dayCase(record)) {
      return false;
    }
  }
  return true;
}

bool FeedbackWalk::continuousCase(const XmlElement& element) {
  Parent parent;
  if (!writeParent(element, fb::ContinuousCaseInsert(RecordReader(element), feedbackId_, location_),
                   parent)) {
    return false;
  }
  for (const XmlElement& child : element.children()) {
    if (import::HasName(child, "ERROR") &&
        !writeChild(child, parent, fb::ContinuousCaseErrorInsert)) {
      return false;
    }
  }
  return true;
}

bool FeedbackWalk::dayCase(const XmlElement& element) {
  Parent parent;
  if (!writeParent(element, fb::DayCaseInsert(RecordReader(element), feedbackId_, location_),
                   parent)) {
    return false;
  }
  for (const XmlElement& child : element.children()) {
    if (import::HasName(child, "SERVICES") && !service(child, parent)) return false;
    if (import::HasName(child, "ERRORS") && !writeChild(child, parent, fb::DayCaseErrorInsert)) {
      return false;
    }
  }
  return true;
}

// One SERVICES element is one service; its ERRORS and ERROR children are its errors.
bool FeedbackWalk::service(const XmlElement& element, const Parent& dayCase) {
  Parent parent;
  if (dayCase.id) {
    if (!writeParent(element, fb::DayServiceInsert(RecordReader(element), *dayCase.id, location_),
                     parent)) {
      return false;
    }
  } else {
    skipChild(element, dayCase);
    parent.missing = Describe(element) + " was not written";
    if (!progress()) return false;
  }
  for (const XmlElement& child : element.children()) {
    if ((import::HasName(child, "ERRORS") || import::HasName(child, "ERROR")) &&
        !writeChild(child, parent, fb::DayServiceErrorInsert)) {
      return false;
    }
  }
  return true;
}

// Sends a parent row (or skips it when a value cannot stand in SQL) with the read-back of its
// id, then shows its progress. False when the database failed.
bool FeedbackWalk::writeParent(const XmlElement& element, const RecordStatement& statement,
                               Parent& parent) {
  insertParent(element, statement, 1, parent);
  return progress();
}

// The row's insert and its id in one batch: the id is this insert's own, whatever another
// program inserts into the table meanwhile. Leaves in `parent` its id, or why there is none.
void FeedbackWalk::insertParent(const XmlElement& element, const RecordStatement& statement,
                                std::int64_t records, Parent& parent) {
  if (!statement.skipReason.empty()) {
    qiva::import::SkipRecord(ctx_, statement.skipReason, statement.sql);
    parent.missing = Describe(element) + " was skipped (" + statement.skipReason + ")";
    return;
  }
  std::int32_t id = 0;
  switch (InsertParentRow(ctx_, statement.sql, records, id)) {
    case ParentRow::Written:
      parent.id = id;
      return;
    case ParentRow::Refused:
      parent.missing = Describe(element) + " was rejected by the database";
      return;
    case ParentRow::NoIdRead:
      ctx_.database.LogInOrder("No row id read back by\n" + WithIdReadBack(statement.sql));
      parent.missing = Describe(element) + " was written, but its id was not read back";
      return;
  }
}

bool FeedbackWalk::writeChild(const XmlElement& element, const Parent& parent,
                              ChildStatement build) {
  if (parent.id) {
    qiva::import::QueueRecord(ctx_, build(RecordReader(element), *parent.id));
  } else {
    skipChild(element, parent);
  }
  return progress();
}

void FeedbackWalk::skipChild(const XmlElement& element, const Parent& parent) {
  qiva::import::SkipRecord(ctx_, "its parent " + parent.missing + ": " + Describe(element));
}

// Shows the running row number, then adds one. False when the database failed.
bool FeedbackWalk::progress() {
  progressText_.clear();
  qiva::import::AppendProgressText(progressText_, rows_);
  ctx_.frontEnd.SetStatusText(progressText_);
  ++rows_;
  return !import::DatabaseFailed(ctx_);
}

// The file under its first root, else under its second; only the second's failure prints the
// parser's message. A file cut short under the first root is not parsed again: the second parse
// would hide why it was not read.
XmlElement OpenFeedbackFile(ImportContext& ctx, const std::string& path) {
  return import::OpenImportFile(ctx, path, std::vector<std::string>{"ns2:request", "request"});
}

}  // namespace

int ImportFeedback(ImportContext& ctx, const std::string& path) {
  const XmlElement root = OpenFeedbackFile(ctx, path);
  if (root.isNull()) return 0;  // not read: nothing sent, the run reports why
  FeedbackWalk walk(ctx);
  if (!walk.header(root) || !walk.sections(root)) return 0;
  qiva::import::ShowFinished(ctx, walk.rows());
  return 1;
}

}  // namespace qiva::reports
