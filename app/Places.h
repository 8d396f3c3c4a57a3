// Places.h: where the programs find their configuration file and where they write their logs:
// beside the program for a portable copy, in the user's and the system's folders for an
// installed one. Only the choice of places lives here; the files' formats do not.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/ProgramPaths.h"

class INILoader;

// What the choice of places depends on, taken from the environment once (CurrentPlaces) so
// that tests can give their own.
struct PlaceEnvironment {
  bool windows = false;
  std::string home;                                     // $HOME; empty when unset
  std::string xdgConfigHome;                            // $XDG_CONFIG_HOME; ignored unless absolute
  std::string xdgStateHome;                             // $XDG_STATE_HOME; ignored unless absolute
  std::string appData;                                  // %APPDATA% (Windows)
  std::string localAppData;                             // %LOCALAPPDATA% (Windows)
  std::string systemConfigFolder = "/etc/qiva-import";  // empty on Windows
  // Creates `folder` when it is missing and tells whether a file can be created in it; on
  // failure puts the reason in `why`. Null: MakeWritableFolder.
  std::function<bool(const std::string& folder, std::string& why)> makeWritable;
};

// The environment of the running program.
PlaceEnvironment CurrentPlaceEnvironment();

// Creates `folder` (with its parents) when missing, then creates and removes a probe file in
// it. False, with the system's reason in `why`, when either fails.
bool MakeWritableFolder(const std::string& folder, std::string& why);

// A configuration file the programs may read, and where it comes from.
struct ConfigurationCandidate {
  std::string path;
  std::string source;  // "--config", "beside the program", "user", "system"
};

// The configuration files looked for when no --config is given, in order: `besideProgram`,
// then $XDG_CONFIG_HOME/qiva-import/QIVA_IMPORT.INI (default ~/.config), then
// /etc/qiva-import/QIVA_IMPORT.INI; on Windows beside the program, then
// %APPDATA%\QIVA_IMPORT\QIVA_IMPORT.INI. A place whose variables are unset is left out.
std::vector<ConfigurationCandidate> ConfigurationCandidates(const std::string& besideProgram,
                                                            const PlaceEnvironment& env);

// The configuration to load: `explicitPath` when given (found or not), else the first
// candidate that is a file, else the one beside the program (whose absence the caller
// reports). `tried` lists every candidate looked at.
struct ConfigurationChoice {
  ConfigurationCandidate chosen;
  std::vector<std::string> tried;
  bool found = false;
};
ConfigurationChoice ChooseConfiguration(const std::string& explicitPath,
                                        const std::string& besideProgram,
                                        const PlaceEnvironment& env);

// The folder the logs go to, and the folders refused on the way with their reasons.
struct LogFolderChoice {
  std::string folder;     // empty: no folder can be written, the logs are lost
  std::string source;     // "logs=", "program folder", "state folder"; empty with no folder
  std::string requested;  // the folder the logs= key names, empty without the key
  std::vector<std::string> refused;  // "FOLDER: reason", in the order tried
};

// The log folder: the configuration's `logs=` value when given (relative to the
// configuration's folder), else the program folder; then, when that cannot be written, the
// state folder ($XDG_STATE_HOME/qiva-import, default ~/.local/state/qiva-import; on Windows
// %LOCALAPPDATA%\QIVA_IMPORT), created when missing. A program folder under /usr is never
// written: it belongs to the package manager.
LogFolderChoice ChooseLogFolder(const std::string& logsKey, const std::string& configurationPath,
                                const std::string& programFolder, const PlaceEnvironment& env);

// The configuration's `database` value as the embedded engine must open it: a relative name is
// taken relative to the configuration file's folder (the program folder when the
// configuration sits beside the program). Server databases' names are returned unchanged.
std::string ConfiguredDatabase(const INILoader& configuration,
                               const std::string& configurationPath);

// The places one run of a program settles on.
struct Places {
  ConfigurationChoice configuration;
  LogFolderChoice logs;
  bool configurationLoaded = false;
};

// Chooses the configuration (see ChooseConfiguration) and, from its `logs` key when it loads,
// the log folder; fills `paths.configurationPath`, `paths.logFolder` and `paths.updateLogPath`
// (the update log keeps its name and moves with the logs).
Places SettlePlaces(ProgramPaths& paths, const std::string& explicitConfiguration,
                    const PlaceEnvironment& env);

// The warnings a run prints on standard error about its logs: that none could be written and
// the logs are lost, or that the logs= folder was refused and where they go instead. Empty
// otherwise (a program folder that cannot be written falls back to the state folder quietly).
std::string LogFolderWarnings(const LogFolderChoice& logs);

// The one line the dialogs show in their status line at start-up when the logs are not where a
// portable copy keeps them: that they are lost, or the folder they go to instead of the
// program folder or the logs= folder. Empty when they go to the program folder or to the
// logs= folder, as asked.
std::string LogFolderNotice(const LogFolderChoice& logs);
