// DbTestSupport.h: helpers for the database layer's tests: reading the database log back as
// records, and running a test inside a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/tests/TestSupport.h"

namespace qiva::test {

// The records of a database log with their stamps removed and CR LF turned back into LF.
std::vector<std::string> ReadLogRecords(const std::string& path);

// Runs each test with the current directory in a fresh scratch folder.
class InScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string file(const std::string& name) const { return dir.file(name); }
  ScratchDir dir;
  std::filesystem::path saved;
};

}  // namespace qiva::test
