// UpdateSignature.cpp: signing and checking installers with libsodium's Ed25519; base64
// through libsodium as well. No cryptography of our own here.
#include "update/UpdateSignature.h"

#include <sodium.h>

#include <vector>

namespace qiva::update {
namespace {

constexpr int kBase64 = sodium_base64_VARIANT_ORIGINAL;

bool libraryReady() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

std::string toBase64(const unsigned char* bytes, std::size_t length) {
  std::string text(sodium_base64_ENCODED_LEN(length, kBase64), '\0');
  sodium_bin2base64(text.data(), text.size(), bytes, length, kBase64);
  text.resize(std::char_traits<char>::length(text.c_str()));
  return text;
}

// Decodes base64 text into exactly `expected` bytes; blanks and line breaks are skipped.
std::optional<std::vector<unsigned char>> fromBase64(std::string_view text, std::size_t expected) {
  constexpr std::string_view kSpace = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(kSpace) + 1 - first);
  std::vector<unsigned char> bytes(expected + 3);
  std::size_t length = 0;
  const char* end = nullptr;
  if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), kSpace.data(),
                        &length, &end, kBase64) != 0 ||
      end != text.data() + text.size() || length != expected) {
    return std::nullopt;
  }
  bytes.resize(length);
  return bytes;
}

}  // namespace

std::string SignedMessage(std::string_view version, std::string_view installer) {
  std::string message;
  message.reserve(version.size() + 1 + installer.size());
  message.append(version).append(1, '\n').append(installer);
  return message;
}

std::optional<SigningKeys> GenerateSigningKeys() {
  if (!libraryReady()) return std::nullopt;
  unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
  unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
  crypto_sign_keypair(publicKey, secretKey);
  SigningKeys keys{toBase64(publicKey, sizeof publicKey), toBase64(secretKey, sizeof secretKey)};
  sodium_memzero(secretKey, sizeof secretKey);
  return keys;
}

std::optional<std::string> PublicKeyOf(std::string_view secretKey) {
  if (!libraryReady()) return std::nullopt;
  auto secret = fromBase64(secretKey, crypto_sign_SECRETKEYBYTES);
  if (!secret) return std::nullopt;
  unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
  crypto_sign_ed25519_sk_to_pk(publicKey, secret->data());
  sodium_memzero(secret->data(), secret->size());
  return toBase64(publicKey, sizeof publicKey);
}

std::optional<std::string> SignInstaller(std::string_view secretKey, std::string_view version,
                                         std::string_view installer) {
  if (!libraryReady()) return std::nullopt;
  auto secret = fromBase64(secretKey, crypto_sign_SECRETKEYBYTES);
  if (!secret) return std::nullopt;
  const std::string message = SignedMessage(version, installer);
  unsigned char signature[crypto_sign_BYTES];
  crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                       message.size(), secret->data());
  sodium_memzero(secret->data(), secret->size());
  return toBase64(signature, sizeof signature);
}

bool VerifyInstaller(std::string_view publicKey, std::string_view signature,
                     std::string_view version, std::string_view installer) {
  if (!libraryReady()) return false;
  const auto key = fromBase64(publicKey, crypto_sign_PUBLICKEYBYTES);
  const auto sig = fromBase64(signature, crypto_sign_BYTES);
  if (!key || !sig) return false;
  const std::string message = SignedMessage(version, installer);
  return crypto_sign_verify_detached(sig->data(),
                                     reinterpret_cast<const unsigned char*>(message.data()),
                                     message.size(), key->data()) == 0;
}

}  // namespace qiva::update
