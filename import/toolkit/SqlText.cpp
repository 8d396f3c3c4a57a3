// SqlText.cpp: statement templates and value rendering for the import routines.
#include "import/toolkit/SqlText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

namespace qiva::import {
namespace {

// Length of the printf conversion that starts at pattern[pos] (which is '%'), 0 if none.
std::size_t placeholderLength(std::string_view pattern, std::size_t pos) {
  std::size_t i = pos + 1;
  while (i < pattern.size() && (std::isdigit(static_cast<unsigned char>(pattern[i])) ||
                                pattern[i] == '.' || pattern[i] == 'l' || pattern[i] == '-')) {
    ++i;
  }
  if (i < pattern.size() && (pattern[i] == 's' || pattern[i] == 'd' || pattern[i] == 'f' ||
                             pattern[i] == 'i' || pattern[i] == 'u')) {
    return i + 1 - pos;
  }
  return 0;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipDigits(std::string_view text, std::size_t i) {
  while (i < text.size() && isDigit(text[i])) ++i;
  return i;
}

}  // namespace

void AppendEscaped(std::string& out, std::string_view value) {
  for (std::size_t quote = value.find('\''); quote != std::string_view::npos;
       quote = value.find('\'')) {
    out.append(value.substr(0, quote + 1));
    out += '\'';
    value.remove_prefix(quote + 1);
  }
  out.append(value);
}

std::string FillTemplate(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  std::size_t extra = 0;
  for (std::string_view a : args) extra += a.size();
  out.reserve(pattern.size() + extra + 8);
  auto next = args.begin();
  std::size_t i = 0;
  for (std::size_t percent = pattern.find('%'); percent != std::string_view::npos;
       percent = pattern.find('%', i)) {
    out.append(pattern.substr(i, percent - i));
    i = percent;
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    const std::size_t length = placeholderLength(pattern, i);
    if (length == 0) {
      out += pattern[i++];
      continue;
    }
    const bool quoted = i > 0 && pattern[i - 1] == '\'' && i + length < pattern.size() &&
                        pattern[i + length] == '\'';
    if (next != args.end()) {
      if (quoted) {
        AppendEscaped(out, *next);
      } else {
        out += *next;
      }
      ++next;
    }
    i += length;
  }
  out.append(pattern.substr(i));
  return out;
}

std::string QuotedOrNull(std::string_view value, std::string_view nullWord) {
  if (value.empty()) return std::string(nullWord);
  std::string out = "'";
  AppendEscaped(out, value);
  out += '\'';
  return out;
}

std::string ConvertedValidTo(std::string_view value, std::string_view after) {
  std::string out =
      value.empty() ? std::string("null") : FillTemplate("convert (datetime,'%s',120)", {value});
  out.append(after);
  return out;
}

std::string OptionalTail(std::string_view value) {
  return value.empty() ? std::string(",null") : "," + QuotedOrNull(value);
}

std::string IntText(std::int64_t value) {
  std::array<char, 24> buffer;
  auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

std::string FixedText(double value, int decimals) {
  std::array<char, 400> buffer;
  auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                              std::chars_format::fixed, decimals);
  return std::string(buffer.data(), result.ptr);
}

std::optional<std::string> SqlFixedText(double value, int decimals) {
  if (!std::isfinite(value)) return std::nullopt;
  std::string text = FixedText(value, decimals);
  const auto digits = std::count_if(text.begin(), text.end(), isDigit);
  if (digits > kMaxLiteralDigits) return std::nullopt;
  return text;
}

bool IsPlainNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t intStart = i;
  i = skipDigits(text, i);
  bool digits = i > intStart;
  if (i < text.size() && text[i] == '.') {
    const std::size_t fracStart = ++i;
    i = skipDigits(text, i);
    digits = digits || i > fracStart;
  }
  if (!digits) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t expStart = i;
    i = skipDigits(text, i);
    if (i == expStart) return false;
  }
  return i == text.size();
}

}  // namespace qiva::import
