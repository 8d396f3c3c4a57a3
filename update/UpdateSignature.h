// UpdateSignature.h: Ed25519 signatures of published installers (libsodium). A signature
// covers the published version text, a line feed and the installer's bytes, so a validly
// signed old installer cannot be offered as a newer version. Keys and signatures travel as
// base64 text (standard alphabet, with padding).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qiva::update {

struct SigningKeys {
  std::string publicKey;  // base64 of the 32-byte public key
  std::string secretKey;  // base64 of the 64-byte secret key (it holds the public key too)
};

// The bytes a signature covers: version, "\n", installer.
std::string SignedMessage(std::string_view version, std::string_view installer);

// A fresh key pair; nullopt only when the library cannot start.
std::optional<SigningKeys> GenerateSigningKeys();

// The public key held in a base64 secret key; nullopt when the text is no such key.
std::optional<std::string> PublicKeyOf(std::string_view secretKey);

// The base64 signature of SignedMessage(version, installer); nullopt for a malformed key.
std::optional<std::string> SignInstaller(std::string_view secretKey, std::string_view version,
                                         std::string_view installer);

// True only when `signature` (base64; blanks and line breaks ignored) is a valid signature of
// SignedMessage(version, installer) by `publicKey`. Any malformed input gives false.
bool VerifyInstaller(std::string_view publicKey, std::string_view signature,
                     std::string_view version, std::string_view installer);

}  // namespace qiva::update
