// HttpUrl.h: the URL forms the download client accepts and the one request text it sends.
// Parsing and formatting only; the connection and the response live elsewhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qiva::update {

// Where one download goes: the host to resolve, the port to connect to, the text of the Host
// header and the request path.
struct HttpTarget {
  std::string host;  // without the port
  std::uint16_t port = 80;
  std::string hostHeader;  // host and port as the URL writes them (the host alone without a port)
  std::string path;        // from the first "/" after the host, query included; "/" when none
};

// Splits a URL of the form [anything "http://"] host [":" port] ["/" path]. Everything up to
// and including the first "http://" is dropped; the host runs to the first "/". A port must be
// 1 to 65535 in decimal. nullopt for an empty host or a malformed port.
std::optional<HttpTarget> ParseHttpUrl(const std::string& url);

// The whole request, byte for byte: "GET " path " HTTP/1.0" CR LF "Host: " host CR LF CR LF.
std::string HttpRequestText(const HttpTarget& target);

}  // namespace qiva::update
