// RecordLoops.cpp: the record loops with their progress texts and the stop rules between
// records.
#include "import/toolkit/RecordLoops.h"

#include <string>

#include "import/toolkit/SqlText.h"

namespace qiva::import {

Step VisitedCountLoop(ImportContext& ctx, const XmlElement& section, std::string_view recordName,
                      std::int64_t& counter, const RecordWrite& write,
                      const std::function<void()>& afterChild) {
  std::string progress;  // one buffer for every record's progress text
  std::int64_t number = 0;
  for (const XmlElement& child : section.children()) {
    if (StopAtRecord(ctx)) return Step::Stop;
    progress.clear();
    AppendProgressText(progress, ++counter);
    ctx.frontEnd.SetStatusText(progress);
    {
      const RecordInHand inHand(ctx, child, ++number);
      if (HasName(child, recordName) && write(ctx, child, number) == Step::Stop) return Step::Stop;
      NoteRejections(ctx);
    }
    if (afterChild) afterChild();
    if (DatabaseFailed(ctx)) return Step::Stop;
  }
  return Step::GoOn;
}

Step WrittenCountLoop(ImportContext& ctx, const XmlElement& section, std::string_view recordName,
                      std::int64_t& counter, const RecordWrite& write) {
  std::string progress;
  std::int64_t number = 0;
  for (const XmlElement& child : section.children()) {
    ++number;
    if (!HasName(child, recordName)) continue;
    if (StopAtRecord(ctx)) return Step::Stop;
    {
      const RecordInHand inHand(ctx, child, number);
      if (write(ctx, child, number) == Step::Stop) return Step::Stop;
      NoteRejections(ctx);
    }
    if (DatabaseFailed(ctx)) return Step::Stop;
    progress.clear();
    AppendProgressText(progress, counter);
    ctx.frontEnd.SetStatusText(progress);
    ++counter;
  }
  return Step::GoOn;
}

Step EveryChildLoop(ImportContext& ctx, const XmlElement& section, std::string_view progress,
                    std::int64_t& counter, const RecordWrite& write) {
  // Its records may be put to the user, which must not happen once the database has failed.
  if (DatabaseFailed(ctx)) return Step::Stop;
  std::int64_t number = 0;
  for (const XmlElement& record : section.children()) {
    if (StopAtRecord(ctx)) return Step::Stop;
    ++counter;
    const RecordInHand inHand(ctx, record, ++number);
    ctx.SetStatusText(FillTemplate(progress, {IntText(number)}));
    if (write(ctx, record, number) == Step::Stop || DatabaseFailed(ctx)) return Step::Stop;
  }
  return Step::GoOn;
}

}  // namespace qiva::import
