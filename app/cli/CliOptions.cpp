// CliOptions.cpp: parsing of the qiva-import command line.
#include "app/cli/CliOptions.h"

#include <charconv>
#include <string>

namespace {

// The places looked for QIVA_IMPORT.INI without --config, as the usage text names them.
#ifdef _WIN32
#define QIVA_CONFIGURATION_PLACES \
  "                         program folder, %APPDATA%\\QIVA_IMPORT)\n"
#else
#define QIVA_CONFIGURATION_PLACES \
  "                         program folder, ~/.config/qiva-import/, /etc/qiva-import/)\n"
#endif

bool ParseLocation(const std::string& text, std::int32_t& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end && !text.empty();
}

// Splits "--name=value" into its two parts; a plain "--name" keeps an empty value.
void SplitOption(const std::string& arg, std::string& name, std::optional<std::string>& value) {
  const std::size_t eq = arg.find('=');
  if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
    name = arg.substr(0, eq);
    value = arg.substr(eq + 1);
  } else {
    name = arg;
    value.reset();
  }
}

}  // namespace

const char* CliUsage() {
  return "usage:\n"
         "  qiva-import [options] KIND FILE             import FILE\n"
         "  qiva-import [options] check KIND FILE       parse FILE with KIND's root tag; write "
         "nothing\n"
         "  qiva-import [options] init-db [--locations] create the embedded database named by "
         "the configuration\n"
         "  qiva-import [options] tables                print each table of the configured "
         "database with its row count\n"
         "  qiva-import [options] doctor                check the configuration, the connection "
         "and the database\n"
         "                                              step by step; write nothing\n"
         "KIND: personalization | physicians | nomenclatures | pharma | nhp | errors |\n"
         "      pharmacy-errors | day-tariffs | feedback\n"
         "options:\n"
         "  --config FILE          configuration file (default: the first of QIVA_IMPORT.INI in "
         "the\n" QIVA_CONFIGURATION_PLACES
         "  --location ID          location for day-tariffs and feedback when the database "
         "keeps locations\n"
         "  --on-invalid skip|stop answer to the invalid-record prompt when there is no "
         "terminal\n"
         "                         (default skip; on a terminal, ask)\n"
         "  --trace-sql FILE       write every statement sent to the database\n"
         "  --no-grouping          send SQL Server one statement per round trip (diagnosis)\n"
         "  --report FILE          write a JSON account of the import (counts, parse outcome,\n"
         "                         exit status) to FILE\n"
         "  --quiet                no progress output (the last status text is still printed;\n"
         "                         the summary only when something went wrong)\n"
         "  --help                 print this text (after a subcommand or KIND: its own)\n"
         "  --version              print the version and the build's commit\n"
         "  --                     end of the options: the words after it are never options\n"
         "exit status: 0 imported, nothing lost; 1 stopped early;\n"
         "             2 usage error; 3 configuration file not loaded;\n"
         "             4 database not opened or failed during the import;\n"
         "             5 imported, but statements were rejected or records skipped;\n"
         "             6 the file could not be read, nothing imported\n";
}

std::string CliHelp(const std::string& topic) {
  constexpr const char* kConfigOption =
      "  --config FILE          configuration file (default: the first of QIVA_IMPORT.INI in "
      "the\n" QIVA_CONFIGURATION_PLACES
      "  --trace-sql FILE       write every statement sent to the database\n";
  if (topic == "check") {
    return "usage: qiva-import check KIND FILE\n"
           "Parses FILE with the root tag of KIND, as the import would, and prints the parser's\n"
           "outcome and the numbers of sections and records. Loads no configuration, opens no\n"
           "database, writes nothing.\n"
           "exit status: 0 the file parses whole; 1 it cannot be read or is cut short;\n"
           "             2 usage error\n";
  }
  if (topic == "init-db") {
    return std::string(
               "usage: qiva-import [options] init-db [--locations]\n"
               "Creates the embedded database file that the configuration names (driver=sqlite,\n"
               "database=FILE, a relative FILE beside the configuration) with the target schema;\n"
               "refuses an existing file.\n"
               "options:\n"
               "  --locations            add the per-location columns\n") +
           kConfigOption +
           "exit status: 0 created; 1 not created (the file exists, another driver);\n"
           "             3 configuration file not loaded; 4 database not opened\n";
  }
  if (topic == "tables") {
    return std::string(
               "usage: qiva-import [options] tables\n"
               "Prints each table of the configured database with its row count.\n"
               "options:\n") +
           kConfigOption +
           "exit status: 0 listed; 3 configuration file not loaded; 4 database not opened\n";
  }
  if (topic == "doctor") {
    return std::string(
               "usage: qiva-import [options] doctor\n"
               "Checks, step by step, what an import needs and prints one line per check, OK or\n"
               "FAILED with the next step: the configuration file (its path, unknown keys); the\n"
               "driver; the server (host and port, or the named instance's lookup); the login;\n"
               "the database; the server version and the collation against the text mode; the\n"
               "tables, columns and procedure of the reference schema (missing or narrower ones\n"
               "named); the locations; the time of one round trip. With driver=sqlite: the\n"
               "file, its catalogue and schema. Writes nothing (no log record, no row, no file).\n"
               "options:\n") +
           kConfigOption +
           "exit status: 0 everything the imports need is there; 4 a check failed;\n"
           "             2 usage error\n";
  }
  if (const ImportKindInfo* info = FindImportKind(topic)) {
    std::string text = std::string("usage: qiva-import [options] ") + info->commandName +
                       " FILE\n" + "Imports FILE as the dialog's \"" + info->caption +
                       "\" button does";
    if (*info->rootTag != '\0') text += std::string(" (root element ") + info->rootTag + ")";
    text += ".\noptions:\n";
    text += kConfigOption;
    if (info->needsLocation) {
      text += "  --location ID          the location, when the database keeps locations\n";
    }
    text +=
        "  --no-grouping          send SQL Server one statement per round trip (diagnosis)\n"
        "  --on-invalid skip|stop answer to the invalid-record prompt without a terminal\n"
        "  --report FILE          write a JSON account of the import to FILE\n"
        "  --quiet                no progress output\n"
        "exit status: 0 imported, nothing lost; 5 imported with losses; 6 file not read;\n"
        "             1 stopped early; 2 usage error; 3 configuration not loaded;\n"
        "             4 database failed\n";
    return text;
  }
  return CliUsage();
}

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args,
                                          std::string& error) {
  CliOptions options;
  std::vector<std::string> words;
  bool help = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") {
      // Everything after "--" is a word, so a file whose name starts with "-" can be given.
      words.insert(words.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    }
    std::string name;
    std::optional<std::string> value;
    SplitOption(args[i], name, value);
    auto takeValue = [&]() -> std::optional<std::string> {
      if (value) return value;
      if (i + 1 < args.size()) return args[++i];
      error = "option " + name + " needs a value";
      return std::nullopt;
    };
    if (name == "--help" || name == "-h") {
      help = true;
    } else if (name == "--version") {
      options.command = CliCommand::Version;
      return options;
    } else if (name == "--quiet" || name == "-q") {
      options.quiet = true;
    } else if (name == "--no-grouping") {
      options.noGrouping = true;
    } else if (name == "--locations") {
      options.withLocations = true;
    } else if (name == "--config" || name == "--trace-sql" || name == "--location" ||
               name == "--on-invalid" || name == "--report") {
      const std::optional<std::string> v = takeValue();
      if (!v) return std::nullopt;
      if (name == "--config") {
        options.configPath = *v;
      } else if (name == "--trace-sql") {
        options.traceSqlPath = *v;
      } else if (name == "--report") {
        options.reportPath = *v;
      } else if (name == "--location") {
        std::int32_t id = 0;
        if (!ParseLocation(*v, id)) {
          error = "--location needs a whole number, not '" + *v + "'";
          return std::nullopt;
        }
        options.location = id;
      } else if (*v == "skip") {
        options.onInvalid = InvalidRecordAnswer::Skip;
      } else if (*v == "stop") {
        options.onInvalid = InvalidRecordAnswer::Stop;
      } else {
        error = "--on-invalid takes skip or stop, not '" + *v + "'";
        return std::nullopt;
      }
    } else if (name.size() > 1 && name[0] == '-') {
      error = "unknown option " + name;
      return std::nullopt;
    } else {
      words.push_back(args[i]);
    }
  }
  if (help) {
    options.command = CliCommand::Help;
    if (!words.empty()) options.helpTopic = words[0];
    return options;
  }
  if (words.empty()) {
    error = "nothing to do";
    return std::nullopt;
  }
  auto kindAt = [&](std::size_t index) -> bool {
    const ImportKindInfo* info = FindImportKind(words[index]);
    if (info == nullptr) {
      error = "unknown KIND '" + words[index] + "'";
      return false;
    }
    options.kind = info->kind;
    return true;
  };
  const std::string& verb = words[0];
  std::size_t expected = 0;
  if (verb == "check") {
    options.command = CliCommand::Check;
    expected = 3;
  } else if (verb == "init-db") {
    options.command = CliCommand::InitDb;
    expected = 1;
  } else if (verb == "tables") {
    options.command = CliCommand::Tables;
    expected = 1;
  } else if (verb == "doctor") {
    options.command = CliCommand::Doctor;
    expected = 1;
  } else {
    options.command = CliCommand::Import;
    expected = 2;
  }
  if (words.size() != expected) {
    error = words.size() < expected ? "missing arguments for '" + verb + "'"
                                    : "unexpected argument '" + words[expected] + "'";
    return std::nullopt;
  }
  if (options.withLocations && options.command != CliCommand::InitDb) {
    error = "--locations belongs to init-db";
    return std::nullopt;
  }
  if (options.command == CliCommand::Check) {
    if (!kindAt(1)) return std::nullopt;
    options.file = words[2];
  } else if (options.command == CliCommand::Import) {
    if (!kindAt(0)) return std::nullopt;
    options.file = words[1];
  }
  return options;
}
