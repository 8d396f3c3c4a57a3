// ProgramPaths.cpp: configuration and update log paths beside the program.
#include "base/ProgramPaths.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "base/Platform.h"
#include "base/TextUtil.h"
#include "base/TraceLog.h"

namespace {

std::mutex programFolderMutex;
std::string programFolder;

// The upper-cased file name with every ".EXE" replaced by `suffix`, or `suffix` appended.
std::string BesideName(const std::string& fileName, const std::string& suffix) {
  std::string name = fileName;
  ToUpperAscii(name);
  if (name.find(".EXE") == std::string::npos) return name + suffix;
  ReplaceAll(name, ".EXE", suffix);
  return name;
}

}  // namespace

void SetProgramFolder(std::string folder) {
  std::lock_guard lock(programFolderMutex);
  programFolder = std::move(folder);
}

std::string ProgramFolder() {
  std::lock_guard lock(programFolderMutex);
  return programFolder;
}

PathRules NativePathRules() {
#ifdef _WIN32
  return PathRules::Windows;
#else
  return PathRules::Posix;
#endif
}

ProgramPaths ProgramPathsFor(const std::string& programPath, PathRules rules) {
  ProgramPaths paths;
  paths.programPath = programPath;
  if (rules == PathRules::Windows) {
    paths.configurationPath = programPath;
    ToUpperAscii(paths.configurationPath);
    paths.updateLogPath = paths.configurationPath;
    ReplaceAll(paths.configurationPath, ".EXE", ".INI");
    ReplaceAll(paths.updateLogPath, ".EXE", "_update.LOG");
    const std::size_t cut = programPath.rfind('\\');
    paths.programFolder = cut == std::string::npos ? programPath : programPath.substr(0, cut);
    return paths;
  }
  const std::size_t cut = programPath.rfind('/');
  const std::string folder = cut == std::string::npos ? "." : programPath.substr(0, cut);
  const std::string fileName = cut == std::string::npos ? programPath : programPath.substr(cut + 1);
  paths.programFolder = cut == 0 ? "/" : folder;
  const std::string prefix = cut == 0 ? "/" : folder + "/";
  paths.configurationPath = prefix + BesideName(fileName, ".INI");
  paths.updateLogPath = prefix + BesideName(fileName, "_update.LOG");
  return paths;
}

ProgramPaths CurrentProgramPaths() { return ProgramPathsFor(ModuleFilePath(), NativePathRules()); }

std::string RunFolder(const ProgramPaths& paths) {
  return paths.logFolder.empty() ? paths.programFolder : paths.logFolder;
}

bool EnterProgramFolder(const ProgramPaths& paths) {
  SetProgramFolder(paths.programFolder);
  SetUpdateLogPath(paths.updateLogPath);
  std::error_code error;
  std::filesystem::current_path(RunFolder(paths), error);
  return !error;
}

std::string ResolveAgainst(const std::string& base, const std::string& path) {
  if (path.empty() || base.empty()) return path;
  const std::filesystem::path p(path);
  if (p.is_absolute()) return path;
  return (std::filesystem::path(base) / p).lexically_normal().string();
}

std::string CommandLineFilePath(const std::string& commandLineTail) {
  std::string path = commandLineTail;
  while (!path.empty() && (path.back() == ' ' || path.back() == '\t')) path.pop_back();
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
    path = path.substr(1, path.size() - 2);
  }
  return path;
}
