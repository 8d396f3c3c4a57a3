// Every shipped sample imported in the main job's order (samples/main-job.list) into a new embedded
// database, with its
// --trace-sql output compared byte for byte with the trace checked in beside the samples
// (samples/traces/). The traces pin every statement the imports send; after a change that is
// meant to alter them, scripts/golden-traces.sh --update writes them anew for review.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/tests/TestSupport.h"

namespace {

using qiva::test::ReadFileBytes;
using qiva::test::ScratchDir;
using qiva::test::WriteFileBytes;

std::string TraceName(const std::string& sampleFile) {
  return std::filesystem::path(sampleFile).stem().string() + ".sql";
}

TEST(GoldenTraceTest, everySampleSendsExactlyItsCheckedInStatements) {
  ScratchDir dir;
  WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                 "driver=sqlite\r\ndatabase=" + dir.file("clinic.db") + "\r\n");
  const auto samples = qiva::test::MainJobSamples(QIVA_SOURCE_DIR "/samples");
  ASSERT_FALSE(samples.empty());
  for (const auto& [kind, file] : samples) {
    SCOPED_TRACE(file);
    const std::string trace = dir.file(TraceName(file));
    const std::string command = "'" QIVA_IMPORT_EXE "' --config '" + dir.file("QIVA_IMPORT.INI") +
                                "' --trace-sql '" + trace + "' " + kind + " '" +
                                QIVA_SOURCE_DIR "/samples/" + file + "' > /dev/null 2>&1";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    // 5: the general catalogues sample keeps a recommended service without a tariff on purpose.
    EXPECT_TRUE(WEXITSTATUS(raw) == 0 || WEXITSTATUS(raw) == 5) << WEXITSTATUS(raw);
    const std::string golden = ReadFileBytes(QIVA_SOURCE_DIR "/samples/traces/" + TraceName(file));
    ASSERT_FALSE(golden.empty()) << "no checked-in trace: run scripts/golden-traces.sh --update";
    EXPECT_TRUE(ReadFileBytes(trace) == golden)
        << "the trace differs from samples/traces/" << TraceName(file)
        << "; see the difference with scripts/golden-traces.sh";
  }
}

}  // namespace
