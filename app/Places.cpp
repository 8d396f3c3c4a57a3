// Places.cpp: the lookup orders of the configuration file and the log folder.
#include "app/Places.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/INILoader.h"
#include "base/Platform.h"
#include "db/ConnectionString.h"

namespace {

constexpr const char* kConfigurationName = "QIVA_IMPORT.INI";

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// `folder` and `name` joined with the separator of the system the places are for.
std::string Join(const PlaceEnvironment& env, const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char separator = env.windows ? '\\' : '/';
  if (folder.back() == '/' || (env.windows && folder.back() == '\\')) return folder + name;
  return folder + separator + name;
}

bool IsAbsolute(const std::string& path, bool windows) {
  if (windows) {
    return (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
           path.rfind("\\\\", 0) == 0;
  }
  return !path.empty() && path.front() == '/';
}

// The XDG base folder from `value`, or HOME/`fallback`; empty when neither is usable. The
// XDG rules ignore a relative value.
std::string XdgFolder(const std::string& value, const std::string& home,
                      const std::string& fallback) {
  if (IsAbsolute(value, false)) return value;
  if (home.empty()) return {};
  return home + "/" + fallback;
}

std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) return {};
  return cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

// The system's programs live under /usr (and /bin, /sbin); their folder is the package
// manager's, shared read-only by the standard, even when root could write it.
bool IsSystemProgramFolder(const std::string& folder) {
  return folder == "/usr" || folder.rfind("/usr/", 0) == 0 || folder == "/bin" || folder == "/sbin";
}

std::string StateFolder(const PlaceEnvironment& env) {
  if (env.windows) {
    return env.localAppData.empty() ? std::string() : Join(env, env.localAppData, "QIVA_IMPORT");
  }
  const std::string base = XdgFolder(env.xdgStateHome, env.home, ".local/state");
  return base.empty() ? std::string() : base + "/qiva-import";
}

}  // namespace

bool MakeWritableFolder(const std::string& folder, std::string& why) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    why = error.message();
    return false;
  }
  if (!std::filesystem::is_directory(folder, error)) {
    why = "not a folder";
    return false;
  }
  // Permission bits do not tell (root writes anyway, a read-only mount refuses everyone): only
  // a file actually created answers.
  const std::filesystem::path probe = std::filesystem::path(folder) / ".qiva-import-write-test";
  {
    std::ofstream file(probe, std::ios::binary | std::ios::app);
    if (!file) {
      why = "a file cannot be created there";
      return false;
    }
  }
  std::filesystem::remove(probe, error);
  return true;
}

PlaceEnvironment CurrentPlaceEnvironment() {
  PlaceEnvironment env;
#ifdef _WIN32
  env.windows = true;
  env.home = Variable("USERPROFILE");
  env.appData = Variable("APPDATA");
  env.localAppData = Variable("LOCALAPPDATA");
  env.systemConfigFolder.clear();
#else
  env.home = Variable("HOME");
  env.xdgConfigHome = Variable("XDG_CONFIG_HOME");
  env.xdgStateHome = Variable("XDG_STATE_HOME");
#endif
  return env;
}

std::vector<ConfigurationCandidate> ConfigurationCandidates(const std::string& besideProgram,
                                                            const PlaceEnvironment& env) {
  std::vector<ConfigurationCandidate> candidates{{besideProgram, "beside the program"}};
  if (env.windows) {
    if (!env.appData.empty()) {
      candidates.push_back(
          {Join(env, Join(env, env.appData, "QIVA_IMPORT"), kConfigurationName), "user"});
    }
    return candidates;
  }
  const std::string user = XdgFolder(env.xdgConfigHome, env.home, ".config");
  if (!user.empty()) candidates.push_back({user + "/qiva-import/" + kConfigurationName, "user"});
  if (!env.systemConfigFolder.empty()) {
    candidates.push_back({Join(env, env.systemConfigFolder, kConfigurationName), "system"});
  }
  return candidates;
}

ConfigurationChoice ChooseConfiguration(const std::string& explicitPath,
                                        const std::string& besideProgram,
                                        const PlaceEnvironment& env) {
  ConfigurationChoice choice;
  std::error_code error;
  if (!explicitPath.empty()) {
    choice.chosen = {explicitPath, "--config"};
    choice.tried.push_back(explicitPath);
    choice.found = std::filesystem::is_regular_file(explicitPath, error);
    return choice;
  }
  const std::vector<ConfigurationCandidate> candidates =
      ConfigurationCandidates(besideProgram, env);
  for (const ConfigurationCandidate& candidate : candidates) {
    choice.tried.push_back(candidate.path);
    if (std::filesystem::is_regular_file(candidate.path, error)) {
      choice.chosen = candidate;
      choice.found = true;
      return choice;
    }
  }
  choice.chosen = candidates.front();
  return choice;
}

LogFolderChoice ChooseLogFolder(const std::string& logsKey, const std::string& configurationPath,
                                const std::string& programFolder, const PlaceEnvironment& env) {
  struct Candidate {
    std::string folder;
    const char* source;
  };
  std::vector<Candidate> candidates;
  if (!logsKey.empty()) {
    const std::string folder = IsAbsolute(logsKey, env.windows)
                                   ? logsKey
                                   : Join(env, FolderOf(configurationPath), logsKey);
    candidates.push_back({folder, "logs="});
  } else {
    candidates.push_back({programFolder, "program folder"});
  }
  if (const std::string state = StateFolder(env); !state.empty()) {
    candidates.push_back({state, "state folder"});
  }
  const auto& makeWritable = env.makeWritable ? env.makeWritable : MakeWritableFolder;
  LogFolderChoice choice;
  if (!logsKey.empty()) choice.requested = candidates.front().folder;
  for (const Candidate& candidate : candidates) {
    std::string why;
    if (!env.windows && candidate.source == std::string("program folder") &&
        IsSystemProgramFolder(candidate.folder)) {
      why = "a system folder, kept for the package manager";
    } else if (makeWritable(candidate.folder, why)) {
      choice.folder = candidate.folder;
      choice.source = candidate.source;
      return choice;
    }
    choice.refused.push_back(candidate.folder + ": " + why);
  }
  return choice;
}

std::string ConfiguredDatabase(const INILoader& configuration,
                               const std::string& configurationPath) {
  const std::string database = configuration.GetValue("database");
  if (!qiva::db::IsEmbeddedDriver(configuration.GetValue("driver"))) return database;
  return ResolveAgainst(FolderOf(configurationPath), database);
}

Places SettlePlaces(ProgramPaths& paths, const std::string& explicitConfiguration,
                    const PlaceEnvironment& env) {
  Places places;
  places.configuration = ChooseConfiguration(explicitConfiguration, paths.configurationPath, env);
  paths.configurationPath = places.configuration.chosen.path;
  INILoader configuration;
  places.configurationLoaded =
      places.configuration.found && configuration.Load(paths.configurationPath);
  const std::string logsKey = places.configurationLoaded ? configuration.GetValue("logs") : "";
  places.logs = ChooseLogFolder(logsKey, paths.configurationPath, paths.programFolder, env);
  paths.logFolder = places.logs.folder;
  if (!paths.logFolder.empty() && paths.logFolder != paths.programFolder) {
    const std::size_t cut = paths.updateLogPath.find_last_of("/\\");
    paths.updateLogPath =
        Join(env, paths.logFolder,
             cut == std::string::npos ? paths.updateLogPath : paths.updateLogPath.substr(cut + 1));
  }
  return places;
}

std::string LogFolderWarnings(const LogFolderChoice& logs) {
  if (!logs.folder.empty() && (logs.requested.empty() || logs.source == "logs=")) return {};
  std::string text;
  if (logs.folder.empty()) {
    text =
        "warning: no folder for the logs can be written, _TRACE.LOG and _database.log are "
        "lost:\n";
  } else {
    text = "notice: the logs go to " + logs.folder + ", not to the logs= folder:\n";
  }
  for (const std::string& refused : logs.refused) text += "  " + refused + "\n";
  return text;
}

std::string LogFolderNotice(const LogFolderChoice& logs) {
  if (logs.folder.empty())
    return "Atentie: jurnalele nu pot fi scrise in niciun folder si se pierd";
  if (logs.source == "logs=" || logs.source == "program folder") return {};
  if (!logs.requested.empty()) {
    return "Atentie: folderul din logs= nu poate fi scris; jurnalele sunt in " + logs.folder;
  }
  return "Jurnalele sunt in " + logs.folder + ", nu in folderul programului";
}
