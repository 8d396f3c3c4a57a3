// ConnectionString.cpp: brace quoting and attribute look-up in connection texts. Values in
// braces run to the first single '}' ("}}" stands for one '}'), as ODBC reads them.
#include "db/ConnectionString.h"

#include <algorithm>
#include <cctype>

#include "base/TextUtil.h"

namespace qiva::db {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Reads one value starting at `pos` (just after '='); leaves `pos` on the ';' ending it or at
// the end of the text.
std::string ReadValue(std::string_view text, std::size_t& pos) {
  std::string value;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  if (pos < text.size() && text[pos] == '{') {
    for (++pos; pos < text.size(); ++pos) {
      if (text[pos] == '}') {
        if (pos + 1 < text.size() && text[pos + 1] == '}') {
          value += '}';
          ++pos;
          continue;
        }
        ++pos;
        break;
      }
      value += text[pos];
    }
    while (pos < text.size() && text[pos] != ';') ++pos;
    return value;
  }
  const std::size_t end = std::min(text.find(';', pos), text.size());
  value = std::string(text.substr(pos, end - pos));
  pos = end;
  return value;
}

}  // namespace

bool NeedsBraces(std::string_view value) {
  if (value.empty()) return false;
  return value.find(';') != std::string_view::npos || value.front() == '{' ||
         IsBlank(value.front()) || IsBlank(value.back());
}

std::string QuoteConnectionValue(std::string_view value) {
  return NeedsBraces(value) ? BraceConnectionValue(value) : std::string(value);
}

std::string BraceConnectionValue(std::string_view value) {
  std::string quoted = "{";
  for (char c : value) {
    quoted += c;
    if (c == '}') quoted += '}';
  }
  quoted += '}';
  return quoted;
}

bool IsFreeTdsDriver(std::string_view driver) {
  return ContainsIgnoringAsciiCase(driver, "freetds") ||
         ContainsIgnoringAsciiCase(driver, "tdsodbc");
}

bool NeedsDoubledBrace(std::string_view value) {
  return NeedsBraces(value) && value.find('}') != std::string_view::npos;
}

bool IsEmbeddedDriver(std::string_view driver) { return EqualsIgnoringAsciiCase(driver, "sqlite"); }

std::string ConnectionAttribute(std::string_view connectionString, std::string_view key) {
  std::size_t pos = 0;
  while (pos < connectionString.size()) {
    const std::size_t equals = connectionString.find('=', pos);
    const std::size_t semicolon = connectionString.find(';', pos);
    if (equals == std::string_view::npos) break;
    if (semicolon < equals) {  // an attribute without '=': skip it
      pos = semicolon + 1;
      continue;
    }
    const std::string_view name = TrimBlanks(connectionString.substr(pos, equals - pos));
    pos = equals + 1;
    std::string value = ReadValue(connectionString, pos);
    if (EqualsIgnoringAsciiCase(name, key)) return value;
    ++pos;  // past the ';'
  }
  return {};
}

}  // namespace qiva::db
