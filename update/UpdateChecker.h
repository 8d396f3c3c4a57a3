// UpdateChecker.h: the update check run once per start of the dialog program: fetch the
// manifest, compare its version with the program's, fetch the installer, check its signature,
// tell the user, start the installer and end the program. The waits, the message, the start
// and the end are hooks, so the dialog can route them to its thread and tests can replace them.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "update/HttpDownload.h"

namespace qiva::update {

// What the build fixes: where the manifest is, which key signs installers, our own version;
// and where this run keeps the downloads.
struct UpdateCheckSettings {
  std::string server;     // "host" or "host:port"; empty: no update server, no check
  std::string publicKey;  // base64 Ed25519 key; empty: no installer is ever started
  std::string programVersion;
  // The folder the manifest and the installer are saved in and the installer is started in
  // (the program's log folder, which it can write); empty: the current directory when the
  // check is started.
  std::string downloadFolder;
};

struct UpdateCheckHooks {
  std::chrono::milliseconds startDelay{3000};  // before the check
  std::chrono::milliseconds exitDelay{7000};   // between the installer's start and the end
  // The resolver and the per-wait limits of both downloads; their size and time limits are
  // replaced by the two pairs below.
  HttpDownloadOptions download;
  // The manifest is a few hundred bytes; the installer's limit leaves room for any release.
  std::uint64_t manifestMaxBytes = 64 * 1024;
  std::chrono::milliseconds manifestDeadline{60000};
  std::uint64_t installerMaxBytes = 512ull * 1024 * 1024;
  std::chrono::milliseconds installerDeadline{600000};
  std::function<void(std::chrono::milliseconds)> sleep;  // default: this thread sleeps
  std::function<void(const std::string&)> showMessage;   // returns once the user closed it
  // Starts `command` with `folder` as its working directory. Default: LaunchProgram.
  std::function<void(const std::string& command, const std::string& folder)> launch;
  std::function<void()> exitProgram;  // default: std::exit(0)
};

// The settings this build was configured with (the CMake cache variables
// QIVA_UPDATE_SERVER and QIVA_UPDATE_PUBLIC_KEY) and the program's version.
UpdateCheckSettings BuiltInUpdateSettings();

// The manifest's URL on `server`.
std::string ManifestUrl(const std::string& server);

// The installer's local file name and the command that starts it, from the folder it was
// saved in, after a pause of about one second.
extern const char* const kInstallerFile;
extern const char* const kInstallerCommand;
extern const char* const kManifestFile;
extern const char* const kUpdateMessage;

// A URL as the update log writes it: control characters (a line break that would start a
// forged entry, a terminal escape) written as %XX, every other byte as it is.
std::string LoggedUrl(std::string_view url);

// The whole check on the calling thread; every step is noted in the update log. The downloads
// are saved in the settings' download folder and the installer is started there. An installer
// that was downloaded but is not started (its signature refused) is removed. Returns 0, also
// after exitProgram when that hook returns (as a test's does).
int UpdateChecker(const UpdateCheckSettings& settings, const UpdateCheckHooks& hooks);

// Starts the check on a detached thread of its own; an empty download folder is taken as the
// current directory now, on the calling thread. With no server configured, writes one line
// saying so to the update log and starts nothing. A thread that cannot start is not reported.
void StartUpdateChecker(UpdateCheckSettings settings, UpdateCheckHooks hooks);

}  // namespace qiva::update
