// HttpUrl.cpp: URL splitting and the request text of the download client.
#include "update/HttpUrl.h"

namespace qiva::update {
namespace {

constexpr std::string_view kScheme = "http://";

// "8080" -> 8080; nullopt for anything but 1 to 5 decimal digits naming 1..65535.
std::optional<std::uint16_t> parsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value == 0 || value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<HttpTarget> ParseHttpUrl(const std::string& url) {
  std::string_view rest = url;
  if (std::size_t scheme = rest.find(kScheme); scheme != std::string_view::npos) {
    rest.remove_prefix(scheme + kScheme.size());
  }
  const std::size_t slash = rest.find('/');
  const std::string_view authority = rest.substr(0, slash);
  HttpTarget target;
  target.path = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
  target.hostHeader = std::string(authority);
  target.host = target.hostHeader;
  if (std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
    std::optional<std::uint16_t> port = parsePort(authority.substr(colon + 1));
    if (!port) return std::nullopt;
    target.port = *port;
    target.host = std::string(authority.substr(0, colon));
  }
  if (target.host.empty()) return std::nullopt;
  return target;
}

std::string HttpRequestText(const HttpTarget& target) {
  return "GET " + target.path + " HTTP/1.0\r\n" + "Host: " + target.hostHeader + "\r\n" + "\r\n";
}

}  // namespace qiva::update
