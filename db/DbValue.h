// DbValue.h: one field value read from a query: empty (nothing was read), null, a 32-bit
// integer, a floating-point number or UTF-8 text.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

struct DbNull {
  bool operator==(const DbNull&) const = default;
};

// std::monostate is the empty value a failed read hands out.
using DbValue = std::variant<std::monostate, DbNull, std::int32_t, double, std::string>;

inline bool IsEmptyValue(const DbValue& v) { return std::holds_alternative<std::monostate>(v); }
inline bool IsNullValue(const DbValue& v) { return std::holds_alternative<DbNull>(v); }
