// UpdateSignTool.cpp: the commands of qiva-update-sign. Key files hold the base64 secret key
// on one line; the manifest is the one the update check reads, with its signature element.
#include "update/tools/UpdateSignTool.h"

#include <fcntl.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>

#include "base/BuildInfo.h"
#include "update/UpdateSignature.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace qiva::update {
namespace {

constexpr const char* kUsage =
    "usage: qiva-update-sign keygen SECRET_FILE\n"
    "       qiva-update-sign public SECRET_FILE\n"
    "       qiva-update-sign sign SECRET_FILE VERSION INSTALLER\n"
    "       qiva-update-sign manifest SECRET_FILE VERSION INSTALLER_URL INSTALLER\n";

// The --help text: the usage and what each command does.
constexpr const char* kHelp =
    "Signs the installers that the dialog program's update check downloads, and writes the\n"
    "update manifest that names them.\n"
    "commands:\n"
    "  keygen SECRET_FILE     make a new key pair: the secret key into SECRET_FILE (a new\n"
    "                         file for the owner alone), the public key on standard output\n"
    "  public SECRET_FILE     print the public key of a secret key file\n"
    "  sign SECRET_FILE VERSION INSTALLER\n"
    "                         print the signature of INSTALLER for VERSION\n"
    "  manifest SECRET_FILE VERSION INSTALLER_URL INSTALLER\n"
    "                         print the whole manifest, qiva_import_version.xml\n"
    "  --help                 print this text\n"
    "  --version              print the version and the build's commit\n"
    "exit status: 0 done; 1 failed; 2 usage error\n";

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

// Creates `path` for the owner alone, refusing an existing file, and writes `text` into it.
bool writeNewPrivateFile(const std::string& path, const std::string& text) {
#ifdef _WIN32
  const int fd = ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, 0600);
  const long long written =
      fd < 0 ? -1 : ::_write(fd, text.data(), static_cast<unsigned>(text.size()));
  const bool closed = fd >= 0 && ::_close(fd) == 0;
#else
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  const long long written = fd < 0 ? -1 : ::write(fd, text.data(), text.size());
  const bool closed = fd >= 0 && ::close(fd) == 0;
#endif
  return closed && written == static_cast<long long>(text.size());
}

// Escapes the characters that XML text cannot hold as they are.
std::string xmlText(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '&')
      escaped += "&amp;";
    else if (c == '<')
      escaped += "&lt;";
    else if (c == '>')
      escaped += "&gt;";
    else
      escaped += c;
  }
  return escaped;
}

int fail(std::ostream& err, const std::string& message) {
  err << "qiva-update-sign: " << message << "\n";
  return 1;
}

// The secret key held in a key file (surrounding blanks and line breaks are ignored).
std::optional<std::string> readSecretKey(const std::string& path, std::ostream& err) {
  std::optional<std::string> text = readFile(path);
  if (!text) {
    fail(err, "cannot read " + path);
    return std::nullopt;
  }
  if (!PublicKeyOf(*text)) {
    fail(err, path + " holds no secret key");
    return std::nullopt;
  }
  return text;
}

int keygen(const std::string& path, std::ostream& out, std::ostream& err) {
  const std::optional<SigningKeys> keys = GenerateSigningKeys();
  if (!keys) return fail(err, "the signing library cannot start");
  if (!writeNewPrivateFile(path, keys->secretKey + "\n")) {
    return fail(err, "cannot create " + path + " (an existing file is never replaced)");
  }
  out << keys->publicKey << "\n";
  return 0;
}

int printPublic(const std::string& path, std::ostream& out, std::ostream& err) {
  const std::optional<std::string> secret = readSecretKey(path, err);
  if (!secret) return 1;
  out << *PublicKeyOf(*secret) << "\n";
  return 0;
}

// The signature of `installerPath` for `version`, or nullopt after a message on `err`.
std::optional<std::string> signFile(const std::string& keyPath, const std::string& version,
                                    const std::string& installerPath, std::ostream& err) {
  const std::optional<std::string> secret = readSecretKey(keyPath, err);
  if (!secret) return std::nullopt;
  const std::optional<std::string> installer = readFile(installerPath);
  if (!installer) {
    fail(err, "cannot read " + installerPath);
    return std::nullopt;
  }
  return SignInstaller(*secret, version, *installer);
}

}  // namespace

int RunUpdateSignTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const std::string command = args.empty() ? std::string() : args[0];
  if (command == "--help" || command == "-h") {
    out << kUsage << kHelp;
    return 0;
  }
  if (command == "--version") {
    out << VersionText("qiva-update-sign");
    return 0;
  }
  if (command == "keygen" && args.size() == 2) return keygen(args[1], out, err);
  if (command == "public" && args.size() == 2) return printPublic(args[1], out, err);
  if (command == "sign" && args.size() == 4) {
    const std::optional<std::string> signature = signFile(args[1], args[2], args[3], err);
    if (!signature) return 1;
    out << *signature << "\n";
    return 0;
  }
  if (command == "manifest" && args.size() == 5) {
    const std::optional<std::string> signature = signFile(args[1], args[2], args[4], err);
    if (!signature) return 1;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<appinfo>\n"
        << "  <version>" << xmlText(args[2]) << "</version>\n"
        << "  <installer>" << xmlText(args[3]) << "</installer>\n"
        << "  <signature>" << *signature << "</signature>\n"
        << "</appinfo>\n";
    return 0;
  }
  err << kUsage;
  return 2;
}

}  // namespace qiva::update
