// TestSupport.h: helpers the shell's tests share: a scratch folder and whole-file reads.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace qiva::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::string ReadFileBytes(const std::string& path);

// The shipped samples in the main job's order, as KIND and file name pairs, read from
// `samplesDir`/main-job.list (its comment lines and blank lines left out).
std::vector<std::pair<std::string, std::string>> MainJobSamples(const std::string& samplesDir);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace qiva::test
