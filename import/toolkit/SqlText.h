// SqlText.h: how record values are written into statement text: statement templates with
// printf-like placeholders, quoted text with its single quotes doubled, the NULL forms of an
// end-of-validity date, and locale-independent numbers. No database access here.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace qiva::import {

// Fills `pattern` left to right: each placeholder (%s, %d, %ld or %0.2f and the like) takes the
// next argument as already-rendered text. An argument whose placeholder stands between single
// quotes ('%s') is text: its single quotes are doubled, so no value can end the literal.
// "%%" writes one "%". Placeholders beyond the arguments stay empty.
std::string FillTemplate(std::string_view pattern, std::initializer_list<std::string_view> args);

// Appends `value` with each single quote doubled.
void AppendEscaped(std::string& out, std::string_view value);

// 'value' with its single quotes doubled, or the unquoted word NULL when the value is empty.
std::string QuotedOrNull(std::string_view value, std::string_view nullWord = "NULL");

// An end of validity as the catalogue inserts write it: "convert (datetime,'<value>',120)" (the
// value's quotes doubled), or the word null when the value is empty; `after` follows either.
std::string ConvertedValidTo(std::string_view value, std::string_view after);

// One optional trailing value of a piecewise statement: ",'value'" or ",null" when empty.
std::string OptionalTail(std::string_view value);

// Decimal text of an integer ("%d").
std::string IntText(std::int64_t value);

// A real written with a fixed number of decimals ("%0.2f" is FixedText(v, 2)), rounded from
// the exact binary value like printf, with "." whatever the process locale.
std::string FixedText(double value, int decimals);

// Most digits a numeric literal may have: SQL Server refuses a longer one.
inline constexpr int kMaxLiteralDigits = 38;

// FixedText of a value that is to stand in a statement, or nullopt when it cannot: not finite,
// or more than kMaxLiteralDigits digits.
std::optional<std::string> SqlFixedText(double value, int decimals);

// True for a plain SQL number: optional sign, digits with an optional dot and fraction (or a
// dot and digits), an optional exponent, nothing else (no blanks, no empty text).
bool IsPlainNumber(std::string_view text);

}  // namespace qiva::import
