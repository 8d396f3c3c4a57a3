// HttpResponseReader.cpp: header/body split and the two header values the client uses.
#include "update/HttpResponseReader.h"

#include "base/TextUtil.h"

namespace qiva::update {
namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// "HTTP/1.0 404 Not Found" -> 404; 0 for any other first line.
int statusOf(std::string_view line) {
  if (line.substr(0, 5) != "HTTP/") return 0;
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos || line.size() < space + 4) return 0;
  int code = 0;
  for (std::size_t i = space + 1; i < space + 4; ++i) {
    if (line[i] < '0' || line[i] > '9') return 0;
    code = code * 10 + (line[i] - '0');
  }
  if (line.size() > space + 4 && line[space + 4] != ' ') return 0;
  return code;
}

// Decimal digits only, without overflow; nullopt otherwise.
std::optional<std::uint64_t> lengthOf(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

}  // namespace

bool HttpResponseReader::feed(std::string_view bytes) {
  if (refused_) return false;
  if (headerEnded_) {
    bodyBytes_ += bytes.size();
    if (!bytes.empty()) sink_(bytes);
    return true;
  }
  // The end marker may straddle two pieces: search again from just before the new bytes.
  const std::size_t searchFrom = header_.size() < 3 ? 0 : header_.size() - 3;
  header_.append(bytes);
  const std::size_t end = header_.find(kHeaderEnd, searchFrom);
  if (end == std::string::npos) {
    refused_ = header_.size() > kMaxHeaderBytes;
    return !refused_;
  }
  const std::size_t bodyStart = end + kHeaderEnd.size();
  std::string body = header_.substr(bodyStart);
  header_.resize(bodyStart);
  headerEnded_ = true;
  parseHeader();
  return feed(body);
}

void HttpResponseReader::parseHeader() {
  std::string_view rest = header_;
  bool firstLine = true;
  while (!rest.empty()) {
    const std::size_t eol = rest.find("\r\n");
    const std::string_view line = rest.substr(0, eol);
    rest.remove_prefix(eol == std::string_view::npos ? rest.size() : eol + 2);
    if (firstLine) {
      status_ = statusOf(line);
      firstLine = false;
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    if (EqualsIgnoringAsciiCase(trimBlanks(line.substr(0, colon)), "Content-Length") &&
        !contentLength_) {
      contentLength_ = lengthOf(trimBlanks(line.substr(colon + 1)));
    }
  }
}

bool HttpResponseReader::complete() const {
  return headerEnded_ && (!contentLength_ || bodyBytes_ >= *contentLength_);
}

}  // namespace qiva::update
