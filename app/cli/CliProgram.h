// CliProgram.h: the subcommands of qiva-import (import, check, init-db, tables) over the shared
// import run, each returning the program's exit status.
#pragma once

#include <iosfwd>
#include <string>

#include "app/Places.h"
#include "app/cli/CliOptions.h"
#include "base/ProgramPaths.h"

struct CliEnvironment {
  std::string startDirectory;  // where the program was started: FILE and the options resolve here
  ProgramPaths paths;          // the program's own paths; its folder becomes the working folder
  bool inputIsTerminal = false;
  bool errorIsTerminal = false;
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  // Where the configuration and the logs are looked for (the real environment by default).
  PlaceEnvironment placeEnvironment = CurrentPlaceEnvironment();
};

// Runs `options` and returns the exit status (kExitOk ... kExitDatabase).
int RunQivaImport(const CliOptions& options, CliEnvironment& env);

class INILoader;
// Why `configuration` could not load the file at `path`, naming it: a folder, no file, a zero
// byte in it, or a file that cannot be read.
std::string ConfigurationNotLoadedReason(const std::string& path, const INILoader& configuration);

// The configuration file beside the program: QIVA_IMPORT.INI in the program folder, the file
// the dialog program reads too, and the first place looked at without --config.
std::string DefaultConfigurationPath(const ProgramPaths& paths);
