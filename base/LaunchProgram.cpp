// LaunchProgram.cpp: the program launcher used by the update check.
#include "base/LaunchProgram.h"

#include "base/ProgramPaths.h"
#include "base/TraceLog.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>

#include "base/TextUtil.h"

namespace {

// The program part is searched in its own folder, so that folder is the current directory
// while the process is created.
bool startIn(const std::string& commandText, const std::string& workingFolder,
             ChildProcess& child) {
  std::size_t pos = 0;
  std::string program;
  ReadToken(commandText, pos, program, 2048, ' ');
  std::string arguments = pos < commandText.size() ? commandText.substr(pos) : std::string();
  std::string folder = ".";
  std::string fileName = program;
  if (std::size_t slash = program.rfind('\\'); slash != std::string::npos) {
    folder = program.substr(0, slash);
    fileName = program.substr(slash + 1);
  }
  std::vector<char> saved(32768);
  DWORD savedLength = ::GetCurrentDirectoryA(static_cast<DWORD>(saved.size()), saved.data());
  ::SetCurrentDirectoryA(folder.c_str());
  bool started = StartChildProcess(fileName + " " + arguments, workingFolder, child);
  if (savedLength > 0) ::SetCurrentDirectoryA(saved.data());
  return started;
}

}  // namespace

void LaunchProgram(const std::string& commandText, const std::string& workingFolder,
                   ChildProcess& child) {
  TraceLog(startIn(commandText, workingFolder, child) ? "Succes create process"
                                                      : "Error creating Process");
}
#else

void LaunchProgram(const std::string& commandText, const std::string& workingFolder,
                   ChildProcess& child) {
  // The shell splits the command itself, and the child alone changes directory, so the
  // process-wide current directory of the other threads is never touched.
  TraceLog(StartChildProcess(commandText, workingFolder, child) ? "Succes create process"
                                                                : "Error creating Process");
}
#endif

void LaunchProgram(const std::string& commandText, ChildProcess& child) {
  LaunchProgram(commandText, ProgramFolder(), child);
}
