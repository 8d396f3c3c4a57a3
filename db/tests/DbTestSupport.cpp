// DbTestSupport.cpp: log reading and scratch-folder fixture for the database layer's tests.
#include "db/tests/DbTestSupport.h"

#include <regex>

namespace qiva::test {

std::vector<std::string> ReadLogRecords(const std::string& path) {
  const std::string bytes = ReadFileBytes(path);
  static const std::regex stamp(R"(\r\n\[\d+\.\d+\.\d+ \d+\.\d+\.\d+\]->)");
  std::vector<std::string> records;
  std::sregex_iterator it(bytes.begin(), bytes.end(), stamp), end;
  for (; it != end; ++it) {
    const auto start = it->position() + it->length();
    auto next = std::next(it);
    const auto stop = next == end ? static_cast<std::ptrdiff_t>(bytes.size()) : next->position();
    std::string record = bytes.substr(start, stop - start);
    std::string plain;
    for (std::size_t i = 0; i < record.size(); ++i) {
      if (record[i] == '\r' && i + 1 < record.size() && record[i + 1] == '\n') continue;
      plain += record[i];
    }
    records.push_back(plain);
  }
  return records;
}

void InScratchFolder::SetUp() {
  saved = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
}

void InScratchFolder::TearDown() { std::filesystem::current_path(saved); }

}  // namespace qiva::test
