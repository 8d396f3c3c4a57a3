// TdsRows.cpp: typing result columns and writing their values (INTN, BITN, FLTN, NUMERICN,
// DATETIMN, BIGVARCHR and NVARCHAR, the MAX types as PLP chunks).
#include "db/tds/TdsRows.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/CodePage1250.h"
#include "db/SqlDateTime.h"

namespace qiva::tds {
namespace {

enum : std::uint8_t {
  kIntN = 0x26,
  kBitN = 0x68,
  kNumericN = 0x6C,
  kFltN = 0x6D,
  kDateTimeN = 0x6F,
  kBigVarChar = 0xA7,
  kNVarChar = 0xE7,
};

constexpr std::uint16_t kMaxLength = 0xFFFF;  // a MAX type, sent in PLP chunks
constexpr std::uint16_t kNullLength = 0xFFFF;
constexpr size_t kPlpChunk = 8000;

enum class Wire { Int, Bit, Float, Numeric, DateTime, VarChar, NVarChar };

struct WireType {
  Wire wire = Wire::Int;
  int size = 4;  // bytes of a fixed type; characters of a text type (-1: MAX)
};

int NumericSize(int precision) {
  return precision <= 9 ? 5 : precision <= 19 ? 9 : precision <= 28 ? 13 : 17;
}

WireType WireTypeOf(const db::ObservedColumn& c) {
  const std::string& t = c.typeName;
  if (t == "BIGINT") return {Wire::Int, 8};
  if (t == "SMALLINT") return {Wire::Int, 2};
  if (t == "TINYINT") return {Wire::Int, 1};
  if (t == "BIT") return {Wire::Bit, 1};
  if (t == "FLOAT") return {Wire::Float, 8};
  if (t == "REAL") return {Wire::Float, 4};
  if (t == "DECIMAL" || t == "NUMERIC" || t == "MONEY") return {Wire::Numeric, 0};
  if (t == "DATETIME" || t == "SMALLDATETIME" || t == "DATE" || t == "DATETIME2")
    return {Wire::DateTime, 8};
  if (t == "NVARCHAR" || t == "NCHAR" || t == "NTEXT")
    return {Wire::NVarChar, t == "NTEXT" ? -1 : c.length};
  if (t == "VARCHAR" || t == "CHAR" || t == "TEXT")
    return {Wire::VarChar, t == "TEXT" ? -1 : c.length};
  return {Wire::Int, 4};
}

int PrecisionOf(const db::ObservedColumn& c) { return c.precision > 0 ? c.precision : 18; }

std::int64_t AsInteger(const db::ObservedValue& v) {
  if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
  if (const auto* d = std::get_if<double>(&v)) return std::llround(*d);
  if (const auto* s = std::get_if<std::string>(&v)) return std::strtoll(s->c_str(), nullptr, 10);
  return 0;
}

double AsReal(const db::ObservedValue& v) {
  if (const auto* i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
  if (const auto* d = std::get_if<double>(&v)) return *d;
  if (const auto* s = std::get_if<std::string>(&v)) return std::strtod(s->c_str(), nullptr);
  return 0;
}

std::string AsText(const db::ObservedValue& v) {
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  if (const auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
  if (const auto* d = std::get_if<double>(&v)) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", *d);
    return buffer;
  }
  return {};
}

void WritePlp(ByteWriter& out, std::string_view bytes) {
  out.u64(bytes.size());
  while (!bytes.empty()) {
    const std::string_view chunk = bytes.substr(0, kPlpChunk);
    out.u32(static_cast<std::uint32_t>(chunk.size()));
    out.raw(chunk);
    bytes.remove_prefix(chunk.size());
  }
  out.u32(0);
}

void WriteText(ByteWriter& out, const WireType& type, std::string_view bytes) {
  if (type.size < 0) return WritePlp(out, bytes);
  const size_t limit = type.wire == Wire::NVarChar ? 8000 : 8000;
  bytes = bytes.substr(0, limit);
  out.u16(static_cast<std::uint16_t>(bytes.size()));
  out.raw(bytes);
}

void WriteNull(ByteWriter& out, const WireType& type) {
  switch (type.wire) {
    case Wire::VarChar:
    case Wire::NVarChar:
      if (type.size < 0) return out.u64(~0ULL);
      return out.u16(kNullLength);
    default:
      return out.u8(0);
  }
}

void WriteNumeric(ByteWriter& out, const db::ObservedColumn& c, const db::ObservedValue& v) {
  const int size = NumericSize(PrecisionOf(c));
  const long double scaled =
      std::round(static_cast<long double>(AsReal(v)) * std::pow(10.0L, c.scale));
  const bool negative = scaled < 0;
  const unsigned long long magnitude = static_cast<unsigned long long>(negative ? -scaled : scaled);
  out.u8(static_cast<std::uint8_t>(size));
  out.u8(negative ? 0 : 1);
  out.u64(magnitude);
  for (int i = 9; i < size; ++i) out.u8(0);
  if (size == 5) out.bytes().resize(out.size() - 4);  // four bytes of magnitude only
}

void WriteDateTime(ByteWriter& out, const db::ObservedValue& v) {
  db::SqlDateTime dt;
  bool ok = false;
  if (const auto* s = std::get_if<std::string>(&v)) {
    ok = db::ParseDateTime(*s, db::DateOrder::YMD, dt) == db::DateError::None;
  } else {
    ok = db::DateTimeFromDays(AsReal(v), dt);
  }
  if (!ok) return out.u8(0);
  out.u8(8);
  out.u32(static_cast<std::uint32_t>(dt.days));
  out.u32(static_cast<std::uint32_t>(dt.ticks));
}

std::string Utf16Bytes(std::u16string_view text) {
  ByteWriter w;
  w.utf16(text);
  return std::move(w.bytes());
}

}  // namespace

std::u16string StoredTextToUtf16(std::string_view bytes) {
  return ::IsValidUtf8(bytes) ? ::Utf8ToUtf16(bytes) : ::Cp1250ToUtf16(bytes);
}

void WriteColumnMetadata(ByteWriter& out, const std::vector<db::ObservedColumn>& columns,
                         bool utf8) {
  out.u8(kTokenColMetadata);
  out.u16(static_cast<std::uint16_t>(columns.size()));
  for (const db::ObservedColumn& c : columns) {
    const WireType type = WireTypeOf(c);
    out.u32(0);       // user type
    out.u16(0x0001);  // nullable
    switch (type.wire) {
      case Wire::Int:
        out.u8(kIntN);
        out.u8(static_cast<std::uint8_t>(type.size));
        break;
      case Wire::Bit:
        out.u8(kBitN);
        out.u8(1);
        break;
      case Wire::Float:
        out.u8(kFltN);
        out.u8(static_cast<std::uint8_t>(type.size));
        break;
      case Wire::DateTime:
        out.u8(kDateTimeN);
        out.u8(8);
        break;
      case Wire::Numeric:
        out.u8(kNumericN);
        out.u8(static_cast<std::uint8_t>(NumericSize(PrecisionOf(c))));
        out.u8(static_cast<std::uint8_t>(PrecisionOf(c)));
        out.u8(static_cast<std::uint8_t>(c.scale));
        break;
      case Wire::VarChar:
      case Wire::NVarChar: {
        const bool wide = type.wire == Wire::NVarChar;
        out.u8(wide ? kNVarChar : kBigVarChar);
        const int chars = type.size == 0 ? (wide ? 4000 : 8000) : type.size;
        out.u16(type.size < 0 ? kMaxLength : static_cast<std::uint16_t>(wide ? 2 * chars : chars));
        out.raw(CollationBytes(utf8));
        break;
      }
    }
    out.bVarchar(::Utf8ToUtf16(c.name));
  }
}

void WriteRow(ByteWriter& out, const std::vector<db::ObservedColumn>& columns,
              const std::vector<db::ObservedValue>& row, bool utf8) {
  (void)utf8;  // varchar values leave as the stored bytes, whatever the collation
  out.u8(kTokenRow);
  for (size_t i = 0; i < columns.size(); ++i) {
    const db::ObservedColumn& c = columns[i];
    const WireType type = WireTypeOf(c);
    const db::ObservedValue& v = i < row.size() ? row[i] : db::ObservedValue{};
    if (std::holds_alternative<std::monostate>(v)) {
      WriteNull(out, type);
      continue;
    }
    switch (type.wire) {
      case Wire::Int: {
        out.u8(static_cast<std::uint8_t>(type.size));
        const auto n = static_cast<std::uint64_t>(AsInteger(v));
        for (int b = 0; b < type.size; ++b) out.u8(static_cast<std::uint8_t>(n >> (8 * b)));
        break;
      }
      case Wire::Bit:
        out.u8(1);
        out.u8(AsInteger(v) != 0);
        break;
      case Wire::Float: {
        out.u8(static_cast<std::uint8_t>(type.size));
        if (type.size == 4) {
          const float f = static_cast<float>(AsReal(v));
          std::uint32_t bits;
          std::memcpy(&bits, &f, 4);
          out.u32(bits);
        } else {
          const double d = AsReal(v);
          std::uint64_t bits;
          std::memcpy(&bits, &d, 8);
          out.u64(bits);
        }
        break;
      }
      case Wire::Numeric:
        WriteNumeric(out, c, v);
        break;
      case Wire::DateTime:
        WriteDateTime(out, v);
        break;
      case Wire::VarChar:
        WriteText(out, type, AsText(v));
        break;
      case Wire::NVarChar:
        WriteText(out, type, Utf16Bytes(StoredTextToUtf16(AsText(v))));
        break;
    }
  }
}

}  // namespace qiva::tds
