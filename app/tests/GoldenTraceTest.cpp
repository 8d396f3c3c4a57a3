// Every shipped sample imported in the main job's order into a new embedded database, with its
// --trace-sql output compared byte for byte with the trace checked in beside the samples
// (samples/traces/). The traces pin every statement the imports send; after a change that is
// meant to alter them, scripts/golden-traces.sh --update writes them anew for review.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/tests/TestSupport.h"

namespace {

using qiva::test::ReadFileBytes;
using qiva::test::ScratchDir;
using qiva::test::WriteFileBytes;

struct Sample {
  const char* kind;
  const char* file;  // in samples/
};

// The main job's order: the report imports find the catalogues' rows the earlier ones wrote.
const std::vector<Sample> kSamples = {
    {"nomenclatures", "nomenclatoare_generale.xml"},
    {"nhp", "programe_nationale.xml"},
    {"day-tariffs", "tarife_spitalizare_zi.xml"},
    {"feedback", "feedback_spitalizare.xml"},
    {"feedback", "feedback_spitalizare_zi.xml"},
    {"physicians", "medici_trimitatori.xml"},
    {"personalization", "personalizare_furnizor.xml"},
    {"errors", "CLINIC_4412345_202103_20210412_153012.xml"},
    {"errors", "SPT_DRG_4412345_202103_20210412_153540.xml"},
    {"pharmacy-errors", "SPT_FARM_4412345_202103_20210412_160112.xml"},
    {"pharma", "nomenclator_farmaceutic.xml"},
};

std::string TraceName(const Sample& sample) {
  return std::filesystem::path(sample.file).stem().string() + ".sql";
}

TEST(GoldenTraceTest, everySampleSendsExactlyItsCheckedInStatements) {
  ScratchDir dir;
  WriteFileBytes(dir.file("QIVA_IMPORT.INI"),
                 "driver=sqlite\r\ndatabase=" + dir.file("clinic.db") + "\r\n");
  for (const Sample& sample : kSamples) {
    SCOPED_TRACE(sample.file);
    const std::string trace = dir.file(TraceName(sample));
    const std::string command = "'" QIVA_IMPORT_EXE "' --config '" + dir.file("QIVA_IMPORT.INI") +
                                "' --trace-sql '" + trace + "' " + sample.kind + " '" +
                                QIVA_SOURCE_DIR "/samples/" + sample.file + "' > /dev/null 2>&1";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    // 5: the general catalogues sample keeps a recommended service without a tariff on purpose.
    EXPECT_TRUE(WEXITSTATUS(raw) == 0 || WEXITSTATUS(raw) == 5) << WEXITSTATUS(raw);
    const std::string golden =
        ReadFileBytes(QIVA_SOURCE_DIR "/samples/traces/" + TraceName(sample));
    ASSERT_FALSE(golden.empty()) << "no checked-in trace: run scripts/golden-traces.sh --update";
    EXPECT_TRUE(ReadFileBytes(trace) == golden)
        << "the trace differs from samples/traces/" << TraceName(sample)
        << "; see the difference with scripts/golden-traces.sh";
  }
}

}  // namespace
