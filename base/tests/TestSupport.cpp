// TestSupport.cpp: scratch folders and raw file access for the shell's tests.
#include "base/tests/TestSupport.h"

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace qiva::test {

ScratchDir::ScratchDir() {
  std::random_device seed;
  path_ = std::filesystem::temp_directory_path() /
          ("qiva-test-" + std::to_string(seed()) + std::to_string(seed()));
  std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::vector<std::pair<std::string, std::string>> MainJobSamples(const std::string& samplesDir) {
  std::vector<std::pair<std::string, std::string>> samples;
  std::ifstream list(samplesDir + "/main-job.list");
  std::string kind;
  std::string file;
  for (std::string line; std::getline(list, line);) {
    if (line.empty() || line.front() == '#') continue;
    std::istringstream words(line);
    if (words >> kind >> file) samples.emplace_back(kind, file);
  }
  return samples;
}

}  // namespace qiva::test
