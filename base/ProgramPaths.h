// ProgramPaths.h: the files the programs find beside themselves (the configuration file and
// the update log), derived from the program's own path, and entering the program folder.
#pragma once

#include <string>

struct ProgramPaths {
  std::string programPath;        // full path of the program file
  std::string programFolder;      // the program path cut at its last separator
  std::string configurationPath;  // QIVA_IMPORT.INI beside the program
  std::string updateLogPath;      // QIVA_IMPORT_update.LOG beside the program (or the logs)
  std::string logFolder;          // where the logs go (Places.h); empty: the program folder
};

// The folder of the running program, fixed once at start-up; the child processes of
// LaunchProgram start there. Empty until set.
void SetProgramFolder(std::string folder);
std::string ProgramFolder();

enum class PathRules {
  // The whole path upper-cased, every ".EXE" replaced by ".INI" (or "_update.LOG"), the folder
  // cut at the last backslash (the whole path when there is none).
  Windows,
  // The folder kept as it is; only the file name upper-cased, with ".EXE" replaced (or ".INI",
  // "_update.LOG" appended when there is none), so case-sensitive folders still resolve.
  Posix,
};

// The rules of the system the program runs on.
PathRules NativePathRules();

// The paths derived from `programPath` under `rules`.
ProgramPaths ProgramPathsFor(const std::string& programPath, PathRules rules);

// The paths of the running program (ModuleFilePath under the native rules).
ProgramPaths CurrentProgramPaths();

// The folder the logs and the update check's downloads go to: the log folder, the program
// folder when none is set.
std::string RunFolder(const ProgramPaths& paths);

// Records the program folder (SetProgramFolder), names the update log and makes RunFolder the
// current directory, so the logs land there. False when the folder cannot be entered (the rest
// is done all the same).
bool EnterProgramFolder(const ProgramPaths& paths);

// Resolves `path` against `base` unless it is absolute or empty.
std::string ResolveAgainst(const std::string& base, const std::string& path);

// The file path of the dialog program's command line: the text after the program name with
// one pair of enclosing double quotes removed ("C:\My Files\x.xml" as Explorer passes it; a
// Windows file name cannot hold a double quote).
std::string CommandLineFilePath(const std::string& commandLineTail);
