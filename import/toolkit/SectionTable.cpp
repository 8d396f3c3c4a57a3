// SectionTable.cpp: runs the sections a routine describes: emptying, the record loop with its
// send-or-skip step, the batch and the closing statements.
#include "import/toolkit/SectionTable.h"

#include "db/CAdoDatabase.h"
#include "import/toolkit/StatementBatch.h"

namespace qiva::import {
namespace {

// Puts one record of a batched section into the batch. A record marked to go alone (a value the
// server might fail to convert) is sent on its own at once instead: in a batch its conversion
// error would end the batch and lose every record after it. It does not count toward the
// batch's size.
void addToBatch(ImportContext& ctx, StatementBatch& batch, const RecordStatement& statement) {
  if (statement.skipReason.empty() && !statement.sendAlone) {
    batch.Add(statement.sql);
  } else {
    ExecuteRecord(ctx, statement);  // sent alone, or skipped with its reason
  }
}

// The section's writer: a copy of its own, so that what the writer counts starts afresh with each
// section element, or its insert sent (or batched) or skipped.
RecordWrite writerOf(const Section& section, StatementBatch& batch) {
  if (section.write) return section.write;
  return [&section, &batch](ImportContext& ctx, const XmlElement& record, std::int64_t) {
    const RecordStatement statement = section.insert(RecordReader(record));
    if (section.batched) {
      addToBatch(ctx, batch, statement);
    } else {
      QueueRecord(ctx, statement);
    }
    return Step::GoOn;
  };
}

Step walkRecords(ImportContext& ctx, const Section& section, const XmlElement& element,
                 std::int64_t& counter, const RecordWrite& write) {
  switch (section.count) {
    case RecordCount::Written:
      return WrittenCountLoop(ctx, element, section.record, counter, write);
    case RecordCount::EveryChild:
      return EveryChildLoop(ctx, element, section.progress, counter, write);
    case RecordCount::Visited:
      break;
  }
  std::function<void()> afterChild;
  if (!section.afterEveryChild.empty()) {
    afterChild = [&] { ctx.database.Queue(section.afterEveryChild); };
  }
  return VisitedCountLoop(ctx, element, section.record, counter, write, afterChild);
}

}  // namespace

Step ImportSection(ImportContext& ctx, const Section& section, const XmlElement& element,
                   std::int64_t& counter) {
  if (!section.emptying.empty()) {
    const Step emptied = EmptySectionTable(ctx, section.emptying, section.name);
    if (emptied != Step::GoOn) return emptied;
  }
  StatementBatch batch(ctx);
  const Step records = walkRecords(ctx, section, element, counter, writerOf(section, batch));
  if (!DatabaseFailed(ctx)) batch.Flush();
  if (records == Step::Stop) return Step::Stop;
  for (const std::string& statement : section.closing) ctx.database.Queue(statement);
  return StepAfterSend(ctx);
}

bool ImportSections(ImportContext& ctx, const XmlElement& root, WalkOrder order,
                    const std::vector<Section>& sections, std::int64_t& counter) {
  return ForEachKnownSection(ctx, root, order, sections,
                             [&](const Section& section, const XmlElement& element) {
                               return ImportSection(ctx, section, element, counter) != Step::Stop;
                             });
}

}  // namespace qiva::import
