// RecordReader.h: reads a record element's attributes with the import rules: optional text,
// the "TRUE" flag rule, numeric flags, integers and reals read like the C library's atoi and
// atof in the "C" locale, whatever the process locale is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xml/XmlParser.h"

namespace qiva::import {

// Reads a leading decimal integer: white space skipped, an optional sign, then digits up to the
// first other character; no digits give 0. Values beyond 32 bits saturate.
std::int32_t ParseLeadingInt(std::string_view text);

// The same reading, or nullopt when the value lies beyond 32 bits (where ParseLeadingInt
// saturates).
std::optional<std::int32_t> ParseLeadingIntInRange(std::string_view text);

// Reads a leading decimal number: white space skipped, an optional sign, digits with an optional
// dot and fraction, an optional exponent; no number gives 0 (so do "nan", "inf" and the like).
// A magnitude beyond the double range gives an infinity, one too small for it 0.
double ParseLeadingReal(std::string_view text);

class RecordReader {
 public:
  explicit RecordReader(const XmlElement& record) : record_(record) {}

  // The attribute's value, or "" when it is absent or written without a value. The view points
  // into the parsed document and stays valid while the record's tree lives.
  std::string_view text(std::string_view name) const;
  // True when the attribute is present with a value (possibly empty).
  bool has(std::string_view name) const;
  // 1 when the value upper-cased equals TRUE, else 0 (absent: 0).
  int flag(std::string_view name) const;
  // 1 when the value read as an integer is not 0, else 0.
  int numericFlag(std::string_view name) const;
  std::int32_t integer(std::string_view name) const;
  // The integer, or nullopt when it lies beyond 32 bits (absent: 0).
  std::optional<std::int32_t> integerInRange(std::string_view name) const;
  // A real held in single precision, as the general catalogues keep their points and values;
  // nullopt when the number lies beyond the single-precision range.
  std::optional<float> realSingle(std::string_view name) const;
  // A real in double precision; infinite when the number lies beyond the double range.
  double realDouble(std::string_view name) const;

 private:
  const XmlElement& record_;
};

}  // namespace qiva::import
