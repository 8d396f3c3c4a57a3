// main.cpp: qiva-import, the command-line front end for scheduled and scripted imports.
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "app/cli/CliOptions.h"
#include "app/cli/CliProgram.h"
#include "base/Platform.h"
#include "base/ProgramPaths.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const std::optional<CliOptions> options = ParseCliOptions(args, error);
  if (!options) {
    std::cerr << "qiva-import: " << error << '\n' << CliUsage();
    return kExitUsage;
  }
  std::error_code ignored;
  CliEnvironment env{std::filesystem::current_path(ignored).string(),
                     CurrentProgramPaths(),
                     IsTerminal(0),
                     IsTerminal(2),
                     std::cout,
                     std::cerr,
                     std::cin};
  return RunQivaImport(*options, env);
}
