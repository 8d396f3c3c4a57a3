// RecordReader.cpp: attribute reads and locale-independent number reading.
#include "import/toolkit/RecordReader.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "base/TextUtil.h"

namespace qiva::import {
namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Position after white space and an optional sign; `negative` tells the sign.
std::size_t skipSpaceAndSign(std::string_view text, bool& negative) {
  std::size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  return i;
}

}  // namespace

std::int32_t ParseLeadingInt(std::string_view text) {
  if (const std::optional<std::int32_t> value = ParseLeadingIntInRange(text)) return *value;
  bool negative = false;
  skipSpaceAndSign(text, negative);
  return negative ? std::numeric_limits<std::int32_t>::min()
                  : std::numeric_limits<std::int32_t>::max();
}

std::optional<std::int32_t> ParseLeadingIntInRange(std::string_view text) {
  bool negative = false;
  std::size_t i = skipSpaceAndSign(text, negative);
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) return std::nullopt;
  }
  if (negative) return static_cast<std::int32_t>(-value);
  if (value == kLimit) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

double ParseLeadingReal(std::string_view text) {
  bool negative = false;
  std::size_t start = skipSpaceAndSign(text, negative);
  // A number starts with a digit or a dot. from_chars would also take "nan", "inf" and
  // "infinity" in any case, and a second sign.
  if (start == text.size() || !(isDigit(text[start]) || text[start] == '.')) return 0.0;
  double value = 0.0;
  auto result = std::from_chars(text.data() + start, text.data() + text.size(), value,
                                std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return 0.0;
  if (result.ec == std::errc::result_out_of_range) {
    // Like strtod: a magnitude too large is infinite, one too small is zero.
    std::string_view number(text.data() + start,
                            static_cast<std::size_t>(result.ptr - (text.data() + start)));
    std::size_t e = number.find_first_of("eE");
    bool tiny = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return negative ? -value : value;
}

std::string_view RecordReader::text(std::string_view name) const {
  const char* value = record_.attributeValue(name);
  return value ? std::string_view(value) : std::string_view();
}

bool RecordReader::has(std::string_view name) const {
  return record_.attributeValue(name) != nullptr;
}

int RecordReader::flag(std::string_view name) const {
  return EqualsIgnoringAsciiCase(text(name), "TRUE") ? 1 : 0;
}

int RecordReader::numericFlag(std::string_view name) const {
  return ParseLeadingInt(text(name)) != 0 ? 1 : 0;
}

std::int32_t RecordReader::integer(std::string_view name) const {
  return ParseLeadingInt(text(name));
}

std::optional<std::int32_t> RecordReader::integerInRange(std::string_view name) const {
  return ParseLeadingIntInRange(text(name));
}

std::optional<float> RecordReader::realSingle(std::string_view name) const {
  const double value = ParseLeadingReal(text(name));
  // Converting a double beyond float's range is undefined behaviour: such a value is refused.
  if (!(std::fabs(value) <= std::numeric_limits<float>::max())) return std::nullopt;
  return static_cast<float>(value);
}

double RecordReader::realDouble(std::string_view name) const {
  return ParseLeadingReal(text(name));
}

}  // namespace qiva::import
