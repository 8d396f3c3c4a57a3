// SqlDateTime.cpp: SQL Server datetime conversions, shared by the embedded engine and the imports.
#include "db/SqlDateTime.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "base/Platform.h"

namespace qiva::db {
namespace {

// ASCII upper-case copy (month names and AM/PM are compared in capitals, whatever the locale).
std::string ToUpper(std::string_view s) {
  std::string r(s);
  for (char& c : r) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return r;
}

constexpr std::int32_t kTicksPerDay = 300 * 86400;
constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// Days from 1970-01-01 of a civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const std::int64_t kDays1900 = DaysFromCivil(1900, 1, 1);
const std::int64_t kMinDays = DaysFromCivil(1753, 1, 1) - kDays1900;
const std::int64_t kMaxDays = DaysFromCivil(9999, 12, 31) - kDays1900;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

int TwoDigitYear(int y) { return y < 50 ? 2000 + y : 1900 + y; }

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

int ToInt(std::string_view s) {
  int v = 0;
  for (char c : s) v = v * 10 + (c - '0');
  return v;
}

// A month written as its English name or its three-letter abbreviation (us_english); 0 else.
int MonthFromName(std::string_view word) {
  static const char* const kNames[] = {"JANUARY",   "FEBRUARY", "MARCH",    "APRIL",
                                       "MAY",       "JUNE",     "JULY",     "AUGUST",
                                       "SEPTEMBER", "OCTOBER",  "NOVEMBER", "DECEMBER"};
  const std::string up = ToUpper(word);
  for (int i = 0; i < 12; ++i)
    if (up == kMonths[i] || up == kNames[i]) return i + 1;
  return 0;
}

// Sets the civil date, checking SQL Server's range; OutOfRange when the date does not exist.
DateError SetDate(int y, int m, int d, SqlDateTime& out) {
  if (y < 1753 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
    return DateError::OutOfRange;
  out.days = static_cast<std::int32_t>(
      DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kDays1900);
  return DateError::None;
}

// A numeric date: digits only (YYYYMMDD, YYMMDD, YYYY) or three parts split by - / or .
DateError ParseNumericDate(std::string_view s, DateOrder order, SqlDateTime& out) {
  if (AllDigits(s)) {
    if (s.size() == 8)
      return SetDate(ToInt(s.substr(0, 4)), ToInt(s.substr(4, 2)), ToInt(s.substr(6, 2)), out);
    if (s.size() == 6)
      return SetDate(TwoDigitYear(ToInt(s.substr(0, 2))), ToInt(s.substr(2, 2)),
                     ToInt(s.substr(4, 2)), out);
    if (s.size() == 4) return SetDate(ToInt(s), 1, 1, out);
    return DateError::Syntax;
  }
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == '-' || s[i] == '/' || s[i] == '.') {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  if (parts.size() != 3) return DateError::Syntax;
  for (auto p : parts)
    if (!AllDigits(p) || p.size() > 4) return DateError::Syntax;
  int y = 0, m = 0, d = 0;
  const auto year = [](std::string_view p) {
    return p.size() <= 2 ? TwoDigitYear(ToInt(p)) : ToInt(p);
  };
  if (parts[0].size() == 4) {
    const bool dayFirst = order == DateOrder::DMY;
    y = ToInt(parts[0]);
    m = ToInt(dayFirst ? parts[2] : parts[1]);
    d = ToInt(dayFirst ? parts[1] : parts[2]);
  } else {
    switch (order) {
      case DateOrder::MDY:
        m = ToInt(parts[0]);
        d = ToInt(parts[1]);
        y = year(parts[2]);
        break;
      case DateOrder::DMY:
        d = ToInt(parts[0]);
        m = ToInt(parts[1]);
        y = year(parts[2]);
        break;
      case DateOrder::YMD:
        y = year(parts[0]);
        m = ToInt(parts[1]);
        d = ToInt(parts[2]);
        break;
    }
  }
  return SetDate(y, m, d, out);
}

// hh:mm[:ss[.fff|:fff]] with an optional AM/PM already split off into `ampm` (0, 'A' or 'P').
DateError ParseTime(std::string_view s, char ampm, SqlDateTime& out) {
  std::vector<std::string_view> parts;
  std::string_view fraction;
  bool fractionIsMs = false;
  size_t start = 0;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == ':' || s[i] == '.') {
      if (parts.size() == 3) {
        fraction = s.substr(start, i - start);
        if (i != s.size()) return DateError::Syntax;
        break;
      }
      parts.push_back(s.substr(start, i - start));
      if (i < s.size() && parts.size() == 3) fractionIsMs = s[i] == ':';
      if (i < s.size() && s[i] == '.' && parts.size() != 3) return DateError::Syntax;
      start = i + 1;
    }
  }
  if (parts.empty() || parts.size() > 3) return DateError::Syntax;
  if (parts.size() == 1 && !ampm) return DateError::Syntax;
  for (auto p : parts)
    if (!AllDigits(p) || p.size() > 2) return DateError::Syntax;
  if (!fraction.empty() && (!AllDigits(fraction) || fraction.size() > (fractionIsMs ? 3u : 3u)))
    return DateError::Syntax;
  int h = ToInt(parts[0]);
  const int mi = parts.size() > 1 ? ToInt(parts[1]) : 0;
  const int sec = parts.size() > 2 ? ToInt(parts[2]) : 0;
  if (ampm) {
    if (h > 12) return DateError::Syntax;
    if (h == 12) h = 0;
    if (ampm == 'P') h += 12;
  }
  if (h > 23 || mi > 59 || sec > 59) return DateError::Syntax;
  int ms = 0;
  if (!fraction.empty()) {
    if (fractionIsMs) {
      ms = ToInt(fraction);
    } else {
      std::string f(fraction);
      f.resize(3, '0');
      ms = ToInt(f);
    }
  }
  const std::int64_t totalMs = ((static_cast<std::int64_t>(h) * 60 + mi) * 60 + sec) * 1000 + ms;
  std::int64_t ticks = (totalMs * 3 + 5) / 10;  // rounded to 1/300 s
  if (ticks >= kTicksPerDay) {
    ticks -= kTicksPerDay;
    ++out.days;
  }
  out.ticks = static_cast<std::int32_t>(ticks);
  return DateError::None;
}

// Dates written with a month name: "Jan 5 2020", "5 January 2020", "2020 Jan 5".
DateError ParseAlphaDate(const std::vector<std::string_view>& pieces, SqlDateTime& out) {
  int month = 0;
  std::vector<std::string_view> numbers;
  for (auto p : pieces) {
    std::string_view q = p;
    while (!q.empty() && (q.back() == ',')) q.remove_suffix(1);
    if (AllDigits(q)) {
      numbers.push_back(q);
    } else if (!month && (month = MonthFromName(q)) != 0) {
    } else {
      return DateError::Syntax;
    }
  }
  if (!month || numbers.empty() || numbers.size() > 2) return DateError::Syntax;
  int day = 1, year = 0;
  if (numbers.size() == 1) {
    if (numbers[0].size() != 4) return DateError::Syntax;
    year = ToInt(numbers[0]);
  } else if (numbers[0].size() == 4) {
    year = ToInt(numbers[0]);
    day = ToInt(numbers[1]);
  } else {
    day = ToInt(numbers[0]);
    year = numbers[1].size() <= 2 ? TwoDigitYear(ToInt(numbers[1])) : ToInt(numbers[1]);
  }
  return SetDate(year, month, day, out);
}

bool DigitsAt(std::string_view s, size_t pos, size_t n, int& value) {
  value = 0;
  for (size_t i = pos; i < pos + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

// The forms that the imports and the engine itself write most: 'YYYY-MM-DD', 'YYYYMMDD hh:mm',
// 'YYYY-MM-DD hh:mm:ss' and 'YYYY-MM-DD hh:mm:ss.fff'. False when `s` is none of them (the
// general parser then decides).
bool ParseCommonForm(std::string_view s, DateOrder order, SqlDateTime& out, DateError& result) {
  int y, m, d, h = 0, mi = 0, sec = 0, ms = 0;
  const bool dayFirst = order == DateOrder::DMY;
  if (s.size() == 14 && s[8] == ' ' && s[11] == ':') {
    if (!DigitsAt(s, 0, 4, y) || !DigitsAt(s, 4, 2, m) || !DigitsAt(s, 6, 2, d) ||
        !DigitsAt(s, 9, 2, h) || !DigitsAt(s, 12, 2, mi))
      return false;
  } else if ((s.size() == 10 || s.size() == 19 || s.size() == 23) && s[4] == '-' && s[7] == '-' &&
             !dayFirst) {
    if (!DigitsAt(s, 0, 4, y) || !DigitsAt(s, 5, 2, m) || !DigitsAt(s, 8, 2, d)) return false;
    if (s.size() > 10) {
      if (s[10] != ' ' || s[13] != ':' || s[16] != ':' || !DigitsAt(s, 11, 2, h) ||
          !DigitsAt(s, 14, 2, mi) || !DigitsAt(s, 17, 2, sec))
        return false;
      if (s.size() == 23 && (s[19] != '.' || !DigitsAt(s, 20, 3, ms))) return false;
    }
  } else {
    return false;
  }
  if (h > 23 || mi > 59 || sec > 59) return false;  // let the general parser report it
  result = SetDate(y, m, d, out);
  if (result != DateError::None) return true;
  const std::int64_t totalMs = ((static_cast<std::int64_t>(h) * 60 + mi) * 60 + sec) * 1000 + ms;
  std::int64_t ticks = (totalMs * 3 + 5) / 10;
  if (ticks >= kTicksPerDay) {
    ticks -= kTicksPerDay;
    ++out.days;
  }
  out.ticks = static_cast<std::int32_t>(ticks);
  if (out.days > kMaxDays) result = DateError::OutOfRange;
  return true;
}

}  // namespace

DateError ParseDateTime(std::string_view text, DateOrder order, SqlDateTime& out) {
  out = SqlDateTime{};
  DateError quick = DateError::None;
  if (ParseCommonForm(text, order, out, quick)) return quick;
  out = SqlDateTime{};
  std::string s(text);
  // The ISO 8601 form: a 'T' between a yyyy-mm-dd date and the time.
  if (s.size() > 10 && (s[10] == 'T' || s[10] == 't') && s[4] == '-' && s[7] == '-') s[10] = ' ';
  std::vector<std::string_view> pieces;
  std::string_view sv(s);
  size_t i = 0;
  while (i < sv.size()) {
    while (i < sv.size() && std::isspace(static_cast<unsigned char>(sv[i]))) ++i;
    const size_t b = i;
    while (i < sv.size() && !std::isspace(static_cast<unsigned char>(sv[i]))) ++i;
    if (i > b) pieces.push_back(sv.substr(b, i - b));
  }
  if (pieces.empty()) return DateError::None;  // empty text: 1900-01-01 00:00
  // Split off the time (a piece with ':' or ending in AM/PM) and a separate AM/PM word.
  std::string_view timePiece;
  char ampm = 0;
  std::vector<std::string_view> datePieces;
  for (auto p : pieces) {
    const std::string up = ToUpper(p);
    if (up == "AM" || up == "PM") {
      if (ampm) return DateError::Syntax;
      ampm = up[0];
    } else if (p.find(':') != std::string_view::npos ||
               (up.size() > 2 && (up.ends_with("AM") || up.ends_with("PM")) &&
                AllDigits(p.substr(0, p.size() - 2)))) {
      if (!timePiece.empty()) return DateError::Syntax;
      timePiece = p;
      if (up.ends_with("AM") || up.ends_with("PM")) {
        if (ampm) return DateError::Syntax;
        ampm = up[up.size() - 2];
        timePiece.remove_suffix(2);
      }
    } else {
      datePieces.push_back(p);
    }
  }
  if (ampm && timePiece.empty()) return DateError::Syntax;
  DateError e = DateError::None;
  if (datePieces.size() == 1 && MonthFromName(datePieces[0]) == 0) {
    e = ParseNumericDate(datePieces[0], order, out);
  } else if (!datePieces.empty()) {
    e = ParseAlphaDate(datePieces, out);
  }
  if (e != DateError::None) return e;
  if (!timePiece.empty()) {
    e = ParseTime(timePiece, ampm, out);
    if (e == DateError::None && out.days > kMaxDays) return DateError::OutOfRange;
  }
  return e;
}

bool DateOrderForStyle(int style, DateOrder sessionOrder, DateOrder& order) {
  switch (style) {
    case 0:
    case 100:
    case 9:
    case 109:
    case 13:
    case 113:
    case 20:
    case 120:
    case 21:
    case 121:
    case 23:
    case 126:
    case 127:
    case 12:
    case 112:
      order =
          style == 0 || style == 100 || style == 9 || style == 109 ? sessionOrder : DateOrder::YMD;
      return true;
    case 1:
    case 101:
    case 10:
    case 110:
    case 7:
    case 107:
      order = DateOrder::MDY;
      return true;
    case 3:
    case 103:
    case 4:
    case 104:
    case 5:
    case 105:
    case 6:
    case 106:
      order = DateOrder::DMY;
      return true;
    case 2:
    case 102:
    case 11:
    case 111:
      order = DateOrder::YMD;
      return true;
    default:
      return false;
  }
}

std::string FormatCanonical(const SqlDateTime& dt) {
  std::string out;
  FormatCanonical(dt, out);
  return out;
}

void FormatCanonical(const SqlDateTime& dt, std::string& out) {
  int y, m, d;
  CivilFromDays(kDays1900 + dt.days, y, m, d);
  const std::int64_t ms = (static_cast<std::int64_t>(dt.ticks) * 10 + 1) / 3;
  out.assign("0000-00-00 00:00:00.000");
  const auto put = [&out](size_t pos, int value, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10)
      out[pos + static_cast<size_t>(i)] = static_cast<char>('0' + value % 10);
  };
  put(0, y, 4);
  put(5, m, 2);
  put(8, d, 2);
  put(11, static_cast<int>(ms / 3600000), 2);
  put(14, static_cast<int>(ms / 60000 % 60), 2);
  put(17, static_cast<int>(ms / 1000 % 60), 2);
  put(20, static_cast<int>(ms % 1000), 3);
}

bool FormatStyle(const SqlDateTime& dt, int style, std::string& out) {
  int y, m, d;
  CivilFromDays(kDays1900 + dt.days, y, m, d);
  const std::int64_t ms = (static_cast<std::int64_t>(dt.ticks) * 10 + 1) / 3;
  const int h = static_cast<int>(ms / 3600000), mi = static_cast<int>(ms / 60000 % 60),
            s = static_cast<int>(ms / 1000 % 60), f = static_cast<int>(ms % 1000);
  char buf[64];
  switch (style) {
    case 0:
    case 100: {
      const char* mon[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
      const int h12 = h % 12 == 0 ? 12 : h % 12;
      std::snprintf(buf, sizeof buf, "%s %2d %4d %2d:%02d%s", mon[m - 1], d, y, h12, mi,
                    h < 12 ? "AM" : "PM");
      break;
    }
    case 101:
      std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", m, d, y);
      break;
    case 102:
      std::snprintf(buf, sizeof buf, "%04d.%02d.%02d", y, m, d);
      break;
    case 103:
      std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d, m, y);
      break;
    case 104:
      std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d, m, y);
      break;
    case 105:
      std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", d, m, y);
      break;
    case 108:
      std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, mi, s);
      break;
    case 110:
      std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", m, d, y);
      break;
    case 111:
      std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", y, m, d);
      break;
    case 112:
      std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
      break;
    case 23:
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
      break;
    case 20:
    case 120:
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, mi, s);
      break;
    case 21:
    case 121:
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", y, m, d, h, mi, s, f);
      break;
    case 126:
      if (f)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", y, m, d, h, mi, s, f);
      else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", y, m, d, h, mi, s);
      break;
    default:
      return false;
  }
  out = buf;
  return true;
}

bool DateTimeFromDays(double days, SqlDateTime& out) {
  const double whole = std::floor(days);
  if (whole < static_cast<double>(kMinDays) || whole > static_cast<double>(kMaxDays)) return false;
  out.days = static_cast<std::int32_t>(whole);
  out.ticks = static_cast<std::int32_t>(std::llround((days - whole) * kTicksPerDay));
  if (out.ticks >= kTicksPerDay) {
    out.ticks -= kTicksPerDay;
    ++out.days;
  }
  return true;
}

SqlDateTime LocalNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  const std::tm tm = LocalTime(t);
  const int ms =
      static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  SqlDateTime dt;
  SetDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, dt);
  const std::int64_t totalMs =
      ((static_cast<std::int64_t>(tm.tm_hour) * 60 + tm.tm_min) * 60 + tm.tm_sec) * 1000 + ms;
  std::int64_t ticks = (totalMs * 3 + 5) / 10;
  if (ticks >= kTicksPerDay) {
    ticks -= kTicksPerDay;
    ++dt.days;
  }
  dt.ticks = static_cast<std::int32_t>(ticks);
  return dt;
}

bool ConvertsToDateTime(std::string_view text, int style, DateOrder sessionOrder) {
  DateOrder order = sessionOrder;
  if (!DateOrderForStyle(style, sessionOrder, order)) return false;
  SqlDateTime ignored;
  return ParseDateTime(text, order, ignored) == DateError::None;
}

}  // namespace qiva::db
