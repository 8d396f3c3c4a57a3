// BuildInfo.cpp: the version and the build's commit, from the dialog's constants and the
// header that the build writes.
#include "base/BuildInfo.h"

#include "qiva_build_commit.h"
#include "res/DialogLayout.h"

const char* ProgramVersion() { return qiva::res::kVersion; }

const char* BuildCommit() { return QIVA_BUILD_COMMIT; }

std::string VersionText(const std::string& programName) {
  std::string text = programName + " " + ProgramVersion();
  if (*BuildCommit() != '\0') text += std::string(" (commit ") + BuildCommit() + ")";
  return text + "\n";
}
