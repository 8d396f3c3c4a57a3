// UpdateChecker.cpp: the update check. The update log receives the same entries in the same
// order as the program has always written; a signature check stands between the installer's
// download and its start, and a download counts only when its response was whole with
// status 200 (an error page is never read as the manifest nor kept as the installer).
#include "update/UpdateChecker.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

#include "base/LaunchProgram.h"
#include "base/TraceLog.h"
#include "res/DialogLayout.h"
#include "update/UpdateSignature.h"
#include "xml/XmlParser.h"

namespace qiva::update {

const char* const kManifestFile = "qiva_import_version.xml";
const char* const kUpdateMessage =
    "Un nou update a fost publicat\nApasati OK pentru actualizarea aplicatiei !";
#ifdef _WIN32
const char* const kInstallerFile = "update_qiva_import.exe";
const char* const kInstallerCommand = "cmd /c ping localhost -n 2 > nul &update_qiva_import.exe";
#else
const char* const kInstallerFile = "update_qiva_import";
const char* const kInstallerCommand = "sleep 1; ./update_qiva_import";
#endif

namespace {

constexpr const char* kManifestPath = "/download/qiva_import/qiva_import_version.xml";

// The defaults of the hooks a caller left empty.
UpdateCheckHooks withDefaults(UpdateCheckHooks hooks) {
  if (!hooks.sleep)
    hooks.sleep = [](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); };
  if (!hooks.showMessage) hooks.showMessage = [](const std::string&) {};
  if (!hooks.launch) {
    hooks.launch = [](const std::string& command, const std::string& folder) {
      ChildProcess child;
      LaunchProgram(command, folder, child);
    };
  }
  if (!hooks.exitProgram) hooks.exitProgram = [] { std::exit(0); };
  return hooks;
}

// A download that the check may use: the whole response, status 200, within the size and
// time limits given, stored in place.
bool fetch(const std::string& url, const std::string& file, const UpdateCheckHooks& hooks,
           std::uint64_t maxBytes, std::chrono::milliseconds deadline) {
  HttpDownloadOptions options = hooks.download;
  options.limits.maxBodyBytes = maxBytes;
  options.limits.total = deadline;
  return HttpDownloadWith(url, file, options).stored;
}

// Where one check keeps its two files: named once, as absolute paths, so that neither the
// download nor the start depends on the process's current directory afterwards (the dialog's
// file chooser may change it meanwhile).
struct DownloadPlace {
  std::string folder;
  std::string manifest;
  std::string installer;
};

DownloadPlace placeFor(const std::string& downloadFolder) {
  std::error_code error;
  std::filesystem::path folder = downloadFolder.empty()
                                     ? std::filesystem::current_path(error)
                                     : std::filesystem::absolute(downloadFolder, error);
  if (error) folder = downloadFolder;
  return {folder.string(), (folder / kManifestFile).string(), (folder / kInstallerFile).string()};
}

// An installer that is not to be started does not stay in the folder, where it could later be
// mistaken for a good one.
void removeInstaller(const DownloadPlace& place) {
  std::error_code ignored;
  std::filesystem::remove(place.installer, ignored);
}

// The first text piece of the first child `name`; "" when the child or its text is missing.
std::string childText(const XmlElement& parent, const char* name) {
  const char* text = parent.findChild(name).textAt(0);
  return text == nullptr ? std::string() : std::string(text);
}

std::optional<std::string> readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

// The installer is run by the shell on POSIX systems: executable for its owner only.
bool makeExecutable(const std::string& path) {
#ifdef _WIN32
  (void)path;
  return true;
#else
  std::error_code error;
  std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::replace, error);
  return !error;
#endif
}

int failed() {
  UpdateLog("\nFailed to UPDATE");
  return 0;
}

// From the installer's download to the end of the program; the version is newer.
int installUpdate(const UpdateCheckSettings& settings, const UpdateCheckHooks& hooks,
                  const DownloadPlace& place, const std::string& version,
                  const std::string& installerUrl, const std::string& signature) {
  if (settings.publicKey.empty()) {
    UpdateLog("No update public key configured: installer " + LoggedUrl(installerUrl) +
              " not started");
    return failed();
  }
  if (!fetch(installerUrl, place.installer, hooks, hooks.installerMaxBytes,
             hooks.installerDeadline)) {
    UpdateLog("Failed to download " + LoggedUrl(installerUrl));
    return failed();
  }
  const std::optional<std::string> installer = readWholeFile(place.installer);
  if (!installer || !VerifyInstaller(settings.publicKey, signature, version, *installer)) {
    removeInstaller(place);
    UpdateLog("Failed to verify " + LoggedUrl(installerUrl));
    return failed();
  }
  if (!makeExecutable(place.installer)) {
    removeInstaller(place);
    UpdateLog(std::string("Failed to make ") + kInstallerFile + " executable");
    return failed();
  }
  hooks.showMessage(kUpdateMessage);
  // The command names the installer without a folder: it runs where it was saved.
  hooks.launch(kInstallerCommand, place.folder);
  hooks.sleep(hooks.exitDelay);
  hooks.exitProgram();
  return 0;
}

}  // namespace

UpdateCheckSettings BuiltInUpdateSettings() {
  return UpdateCheckSettings{QIVA_UPDATE_SERVER, QIVA_UPDATE_PUBLIC_KEY, qiva::res::kVersion, {}};
}

std::string LoggedUrl(std::string_view url) {
  std::string logged;
  logged.reserve(url.size());
  for (const char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
      logged += escaped;
    } else {
      logged += c;
    }
  }
  return logged;
}

std::string ManifestUrl(const std::string& server) { return "http://" + server + kManifestPath; }

int UpdateChecker(const UpdateCheckSettings& settings, const UpdateCheckHooks& given) {
  const UpdateCheckHooks hooks = withDefaults(given);
  const DownloadPlace place = placeFor(settings.downloadFolder);
  hooks.sleep(hooks.startDelay);
  UpdateLog("Check update");
  const std::string manifestUrl = ManifestUrl(settings.server);
  if (!fetch(manifestUrl, place.manifest, hooks, hooks.manifestMaxBytes, hooks.manifestDeadline)) {
    UpdateLog("Failed to download " + LoggedUrl(manifestUrl));
    return failed();
  }
  UpdateLog("After download");
  const XmlElement manifest = openFileHelper(place.manifest, "appinfo");
  if (manifest.isNull()) return failed();
  UpdateLog("Succes download " + LoggedUrl(manifestUrl) + "\n");
  const std::string version = childText(manifest, "version");
  const std::string installerUrl = childText(manifest, "installer");
  if (version.empty() || installerUrl.empty()) return failed();
  // Compared as text, byte by byte: ten-digit stamps compare as their numbers do.
  if (version.compare(settings.programVersion) <= 0) return 0;
  return installUpdate(settings, hooks, place, version, installerUrl,
                       childText(manifest, "signature"));
}

void StartUpdateChecker(UpdateCheckSettings settings, UpdateCheckHooks hooks) {
  if (settings.server.empty()) {
    UpdateLog("No update server configured: the update check does not run");
    return;
  }
  if (settings.downloadFolder.empty()) settings.downloadFolder = placeFor({}).folder;
  try {
    std::thread([settings = std::move(settings), hooks = std::move(hooks)] {
      UpdateChecker(settings, hooks);
    }).detach();
  } catch (const std::system_error&) {
    // A thread that cannot start is not reported; the program works without the check.
  }
}

}  // namespace qiva::update
