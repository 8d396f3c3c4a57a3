// TraceLog.cpp: _TRACE.LOG and the update log, both written through the shared log writer.
#include "base/TraceLog.h"

#include <mutex>

#include "base/LogWriter.h"

namespace {

std::mutex updateLogPathMutex;
std::string updateLogPath;

}  // namespace

void TraceLog(std::string_view message) { qiva::AppendLogEntry("_TRACE.LOG", message); }

void UpdateLog(std::string_view message) {
  const std::string path = UpdateLogPath();
  if (!path.empty()) qiva::AppendLogEntry(path, message);
}

void SetUpdateLogPath(std::string path) {
  std::lock_guard lock(updateLogPathMutex);
  updateLogPath = std::move(path);
}

std::string UpdateLogPath() {
  std::lock_guard lock(updateLogPathMutex);
  return updateLogPath;
}
