// CliOptions.h: the command line of qiva-import, parsed into one request; options may stand
// before or after the subcommand word. No file is touched here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ImportKinds.h"

enum class CliCommand { Import, Check, InitDb, Tables, Doctor, Help, Version };

// The answer to the invalid-record prompt.
enum class InvalidRecordAnswer { Ask, Skip, Stop };

struct CliOptions {
  CliCommand command = CliCommand::Help;
  ImportKind kind = ImportKind::ErrorFile;
  std::string file;
  std::string configPath;  // empty: QIVA_IMPORT.INI in the program folder
  std::optional<std::int32_t> location;
  std::optional<InvalidRecordAnswer> onInvalid;  // empty: ask on a terminal, else skip
  std::string traceSqlPath;
  std::string reportPath;  // --report: a JSON account of the import for scheduled jobs
  bool quiet = false;
  bool noGrouping = false;     // --no-grouping: one statement per round trip to SQL Server
  bool withLocations = false;  // init-db --locations
  std::string helpTopic;       // --help: the subcommand or KIND word given with it, "" for none
};

// Exit statuses of qiva-import.
inline constexpr int kExitOk = 0;
inline constexpr int kExitStopped = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitConfiguration = 3;
inline constexpr int kExitDatabase = 4;
inline constexpr int kExitLosses =
    5;  // walked the file, but statements rejected or records skipped
inline constexpr int kExitNotRead = 6;  // the file could not be read; nothing was imported

// The usage text printed by --help and after a usage error.
const char* CliUsage();

// The --help text of `topic`: a subcommand (check, init-db, tables, doctor) or a KIND word gets its
// own usage and options; "" or any other word the whole usage.
std::string CliHelp(const std::string& topic);

// Parses the arguments after the program name. On a usage error returns nothing and puts the
// reason in `error`.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error);
