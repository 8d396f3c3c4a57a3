// SqlDateTime.h: SQL Server's datetime type: text to datetime as SQL Server converts it (date
// order, styles, 1753-9999, 1/300 s ticks), and the canonical text "YYYY-MM-DD hh:mm:ss.fff" in
// which the embedded engine stores datetimes. Outside db/sqlite/ so that every build has it: the
// imports check the dates they send with the same rules (no second date parser belongs here).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qiva::db {

// The order of day, month and year in a numeric date: a CONVERT style's, or the session's.
enum class DateOrder { MDY, DMY, YMD };

// The order a connection reads plain date literals in: that of a login whose language is
// us_english, the server default (nothing the system sends changes it).
inline constexpr DateOrder kSessionDateOrder = DateOrder::MDY;

// Outcome of a conversion: the SQL Server message it corresponds to.
enum class DateError { None = 0, Syntax = 241, OutOfRange = 242 };

struct SqlDateTime {
  std::int32_t days = 0;   // days since 1900-01-01
  std::int32_t ticks = 0;  // 1/300 s since midnight, 0 to 25,919,999
};

// Converts `text` as SQL Server converts a character string to datetime under `order`:
// empty text gives 1900-01-01; 'YYYYMMDD', separated dates, the ISO 'T' form, month names,
// times with AM/PM and '.fff' fractions. 4-digit-year-first dates read year-month-day (or
// year-day-month under a day-before-month order), like SQL Server's datetime.
DateError ParseDateTime(std::string_view text, DateOrder order, SqlDateTime& out);

// The date order that CONVERT's `style` implies for reading text; false for an unknown style.
bool DateOrderForStyle(int style, DateOrder sessionOrder, DateOrder& order);

// The canonical stored text: "YYYY-MM-DD hh:mm:ss.fff".
std::string FormatCanonical(const SqlDateTime& dt);
// The same, written into `out` (reusing its storage).
void FormatCanonical(const SqlDateTime& dt, std::string& out);

// Text of CONVERT(varchar, dt, style); false for a style SQL Server does not know.
bool FormatStyle(const SqlDateTime& dt, int style, std::string& out);

// A number of days since 1900-01-01 (the fraction is the time of day), as SQL Server casts
// numbers to datetime; false when out of range.
bool DateTimeFromDays(double days, SqlDateTime& out);

// The local time now, rounded to datetime's precision.
SqlDateTime LocalNow();

// True when CONVERT(datetime, text, style) succeeds for `text` on a connection whose date order
// is `sessionOrder` (which matters only for the styles that follow the session).
bool ConvertsToDateTime(std::string_view text, int style, DateOrder sessionOrder = DateOrder::MDY);

}  // namespace qiva::db
