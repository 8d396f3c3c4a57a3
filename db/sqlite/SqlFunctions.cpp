// SqlFunctions.cpp: SQL functions of the embedded engine (conversions with SQL Server's rules).
#include "db/sqlite/SqlFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "db/sqlite/SqlCatalog.h"
#include "db/sqlite/TSqlLexer.h"

namespace qiva::db::tsql {
namespace {

SessionState* State(sqlite3_context* ctx) {
  return static_cast<SessionState*>(sqlite3_user_data(ctx));
}

void Raise(sqlite3_context* ctx, int number, const std::string& message) {
  const std::string text = RaisedError(number, message);
  sqlite3_result_error(ctx, text.c_str(), static_cast<int>(text.size()));
}

std::string TextOf(sqlite3_value* v) {
  const unsigned char* p = sqlite3_value_text(v);
  return p ? std::string(reinterpret_cast<const char*>(p),
                         static_cast<size_t>(sqlite3_value_bytes(v)))
           : std::string();
}

std::string_view Trim(std::string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return s.substr(a, b - a);
}

const char* kConversionFailed =
    "Conversion failed when converting date and/or time from character string.";
const char* kOutOfRange =
    "The conversion of a varchar data type to a datetime data type resulted in an out-of-range "
    "value.";

// Converts a value to the canonical datetime text under `order`; false after raising.
bool ToDateTime(sqlite3_context* ctx, sqlite3_value* v, DateOrder order, std::string& out) {
  SqlDateTime dt;
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      if (!DateTimeFromDays(sqlite3_value_double(v), dt)) {
        Raise(ctx, 8115, "Arithmetic overflow error converting expression to data type datetime.");
        return false;
      }
      break;
    default: {
      const DateError e = ParseDateTime(TextOf(v), order, dt);
      if (e == DateError::Syntax) {
        Raise(ctx, 241, kConversionFailed);
        return false;
      }
      if (e == DateError::OutOfRange) {
        Raise(ctx, 242, kOutOfRange);
        return false;
      }
    }
  }
  out = FormatCanonical(dt);
  return true;
}

// qiva_getdate(): the running statement's time.
void GetDate(sqlite3_context* ctx, int, sqlite3_value**) {
  SessionState* state = State(ctx);
  if (!state->nowValid) {
    state->now = FormatCanonical(LocalNow());
    state->nowValid = true;
  }
  const std::string& now = state->now;
  sqlite3_result_text(ctx, now.c_str(), static_cast<int>(now.size()), SQLITE_TRANSIENT);
}

// qiva_scope_identity(): SCOPE_IDENTITY(), a numeric on SQL Server (read as a real), or null
// when the scope has inserted no identity row.
void ScopeIdentity(sqlite3_context* ctx, int, sqlite3_value**) {
  const SessionState* state = State(ctx);
  if (!state->hasScopeIdentity) return sqlite3_result_null(ctx);
  sqlite3_result_double(ctx, static_cast<double>(state->scopeIdentity));
}

// qiva_variable(name): the value of a variable of the running text; message 137 for a name
// that the text has not declared.
void Variable(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const SessionState* state = State(ctx);
  const std::string name = TextOf(argv[0]);
  const auto it = state->variables.find(name);
  if (it == state->variables.end())
    return Raise(ctx, 137, "Must declare the scalar variable \"" + name + "\".");
  if (const auto* i = std::get_if<long long>(&it->second)) return sqlite3_result_int64(ctx, *i);
  if (const auto* d = std::get_if<double>(&it->second)) return sqlite3_result_double(ctx, *d);
  if (const auto* t = std::get_if<std::string>(&it->second))
    return sqlite3_result_text(ctx, t->c_str(), static_cast<int>(t->size()), SQLITE_TRANSIENT);
  sqlite3_result_null(ctx);
}

// qiva_serverproperty(name): SERVERPROPERTY(name) for the names a diagnosis asks: the engine
// and SQLite version, the edition and the collation the connection named; null for any other
// name and for a collation not named (the engine stores text as its bytes).
void ServerProperty(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const SessionState* state = State(ctx);
  const unsigned char* raw = sqlite3_value_text(argv[0]);
  const std::string name = raw ? ToUpper(reinterpret_cast<const char*>(raw)) : std::string();
  std::string value;
  if (name == "PRODUCTVERSION") value = std::string("SQLite ") + sqlite3_libversion();
  if (name == "EDITION") value = "QIVA embedded SQL";
  if (name == "COLLATION") value = state->collation;
  if (value.empty()) return sqlite3_result_null(ctx);
  sqlite3_result_text(ctx, value.c_str(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

// qiva_app_name(): APP_NAME(), the program name the connection text gave.
void AppName(sqlite3_context* ctx, int, sqlite3_value**) {
  const std::string& name = State(ctx)->appName;
  sqlite3_result_text(ctx, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
}

// qiva_dt(x): x as a datetime under the session's date order (for comparisons).
void ToDt(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string out;
  if (ToDateTime(ctx, argv[0], kSessionDateOrder, out))
    sqlite3_result_text(ctx, out.c_str(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

// qiva_convert_dt(x, style): CONVERT(datetime, x, style); style -1 when none was given.
void ConvertDt(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  const int style = sqlite3_value_int(argv[1]);
  DateOrder order = kSessionDateOrder;
  if (style >= 0 && sqlite3_value_type(argv[0]) == SQLITE_TEXT &&
      !DateOrderForStyle(style, order, order))
    return Raise(
        ctx, 281,
        std::to_string(style) + " is not a valid style number when converting to datetime.");
  std::string out;
  if (ToDateTime(ctx, argv[0], order, out))
    sqlite3_result_text(ctx, out.c_str(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

// qiva_date_only(x): a canonical datetime with its time set to midnight.
void DateOnly(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string s = TextOf(argv[0]);
  if (s.size() >= 10) s = s.substr(0, 10) + " 00:00:00.000";
  sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// qiva_dt_text(x, style, length): CONVERT(varchar(length), datetime x, style).
void DtText(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  SqlDateTime dt;
  if (ParseDateTime(TextOf(argv[0]), DateOrder::YMD, dt) != DateError::None)
    return Raise(ctx, 241, kConversionFailed);
  const int style = sqlite3_value_int(argv[1]);
  std::string out;
  if (!FormatStyle(dt, style, out))
    return Raise(
        ctx, 281,
        std::to_string(style) +
            " is not a valid style number when converting from datetime to a character string.");
  const int len = sqlite3_value_int(argv[2]);
  if (len >= 0 && out.size() > static_cast<size_t>(len)) out.resize(static_cast<size_t>(len));
  sqlite3_result_text(ctx, out.c_str(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

// qiva_objname(text): the object name of "[dbo].[name]", "dbo.name" or "name".
void ObjName(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::vector<Token> toks;
  size_t bad = 0;
  std::string name;
  if (Tokenize(TextOf(argv[0]), toks, bad)) {
    for (const Token& t : toks)
      if (t.kind == TokenKind::Word || t.kind == TokenKind::QuotedName) name = t.text;
  }
  sqlite3_result_text(ctx, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
}

// Finds `f` in `s` from `pos` on, ASCII letters compared without regard to case, as under the
// default collation. `upperS` is filled on first need: a search text without ASCII letters (the
// Romanian letters of the name clean-ups) is matched byte for byte, with no copies.
size_t FindIgnoringAsciiCase(const std::string& s, const std::string& f, size_t pos,
                             std::string& upperS, const std::string& upperF) {
  const bool hasLetters = std::any_of(
      f.begin(), f.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
  if (!hasLetters) return s.find(f, pos);
  if (upperS.empty() && !s.empty()) upperS = ToUpper(s);
  return upperS.find(upperF, pos);
}

// qiva_replace(s, find, with): REPLACE under a case-insensitive collation (ASCII letters).
void Replace(sqlite3_context* ctx, int, sqlite3_value** argv) {
  for (int i = 0; i < 3; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  const std::string s = TextOf(argv[0]), f = TextOf(argv[1]), w = TextOf(argv[2]);
  if (f.empty())
    return sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  const std::string uf = ToUpper(f);
  std::string us;
  std::string out;
  size_t pos = 0;
  for (;;) {
    const size_t hit = FindIgnoringAsciiCase(s, f, pos, us, uf);
    if (hit == std::string::npos) break;
    out.append(s, pos, hit - pos);
    out += w;
    pos = hit + f.size();
  }
  out.append(s, pos, std::string::npos);
  sqlite3_result_text(ctx, out.c_str(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

// qiva_contains(s, find): 1 when REPLACE(s, find, ...) would change s, else 0; null for a null.
void Contains(sqlite3_context* ctx, int, sqlite3_value** argv) {
  for (int i = 0; i < 2; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  const std::string s = TextOf(argv[0]), f = TextOf(argv[1]);
  std::string upperS;
  const bool found =
      !f.empty() && FindIgnoringAsciiCase(s, f, 0, upperS, ToUpper(f)) != std::string::npos;
  sqlite3_result_int(ctx, found ? 1 : 0);
}

std::string TypeLabel(ColKind kind, int length) {
  switch (kind) {
    case ColKind::Int:
      return length == 8 ? "bigint" : length == 2 ? "smallint" : length == 1 ? "tinyint" : "int";
    case ColKind::Bit:
      return "bit";
    case ColKind::Decimal:
      return "numeric";
    case ColKind::Real:
      return "float";
    default:
      return "varchar";
  }
}

bool IntegerText(std::string_view s, long long& out) {
  if (s.empty()) return false;
  size_t i = 0;
  if (s[0] == '+' || s[0] == '-') i = 1;
  if (i == s.size()) return false;
  for (size_t k = i; k < s.size(); ++k)
    if (!std::isdigit(static_cast<unsigned char>(s[k]))) return false;
  if (s.size() - i > 18) return false;
  out = 0;
  for (size_t k = i; k < s.size(); ++k) out = out * 10 + (s[k] - '0');
  if (s[0] == '-') out = -out;
  return true;
}

bool RealText(std::string_view sv, double& out) {
  if (sv.empty()) return false;
  const std::string s(sv);
  char* end = nullptr;
  out = std::strtod(s.c_str(), &end);
  return end && *end == '\0' && std::isfinite(out);
}

// qiva_col(value, kind, length, scale, notNull, table, column, op): ConvertForColumn in SQL.
void Col(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_value* v = argv[0];
  ColumnTarget target;
  target.kind = static_cast<ColKind>(sqlite3_value_int(argv[1]));
  target.length = sqlite3_value_int(argv[2]);
  target.scale = sqlite3_value_int(argv[3]);
  target.notNull = sqlite3_value_int(argv[4]) != 0;
  target.table = TextOf(argv[5]);
  target.column = TextOf(argv[6]);
  target.op = sqlite3_value_int(argv[7]);
  SqlValue in;
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      in.type = SqlValue::Type::Null;
      break;
    case SQLITE_INTEGER:
      in.type = SqlValue::Type::Int;
      in.i = sqlite3_value_int64(v);
      break;
    case SQLITE_FLOAT:
      in.type = SqlValue::Type::Real;
      in.d = sqlite3_value_double(v);
      break;
    default: {
      const unsigned char* p = sqlite3_value_text(v);
      in.type = SqlValue::Type::Text;
      in.text = std::string_view(reinterpret_cast<const char*>(p),
                                 static_cast<size_t>(sqlite3_value_bytes(v)));
    }
  }
  SqlValue out;
  std::string buffer;
  int number = 0;
  std::string message;
  if (!ConvertForColumn(in, target, *State(ctx), out, buffer, number, message))
    return Raise(ctx, number, message);
  switch (out.type) {
    case SqlValue::Type::Null:
      return sqlite3_result_null(ctx);
    case SqlValue::Type::Int:
      return sqlite3_result_int64(ctx, out.i);
    case SqlValue::Type::Real:
      return sqlite3_result_double(ctx, out.d);
    case SqlValue::Type::Text:
      if (out.text.data() == in.text.data() && out.text.size() == in.text.size())
        return sqlite3_result_value(ctx, v);
      return sqlite3_result_text(ctx, out.text.data(), static_cast<int>(out.text.size()),
                                 SQLITE_TRANSIENT);
  }
}

}  // namespace

namespace {

// A conversion's failure: SQL Server's message number and text, handed to the caller.
struct Refusal {
  int& number;
  std::string& message;
  bool operator()(int n, std::string m) const {
    number = n;
    message = std::move(m);
    return false;
  }
};

// Into a character column: numbers as SQL Server writes them, text longer than the column
// refused (2628), or cut for a CAST.
bool ConvertToText(const SqlValue& in, const ColumnTarget& c, const SessionState& state,
                   SqlValue& out, std::string& buffer, const Refusal& fail) {
  std::string_view s = in.text;
  if (in.type == SqlValue::Type::Real) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", in.d);  // SQL Server writes a float with 6 digits
    buffer = buf;
    s = buffer;
  } else if (in.type == SqlValue::Type::Int) {
    buffer = std::to_string(in.i);
    s = buffer;
  }
  if (c.length >= 0 && s.size() > static_cast<size_t>(c.length)) {
    if (c.op != 3)
      return fail(2628, "String or binary data would be truncated in table '" + state.databaseName +
                            ".dbo." + c.table + "', column '" + c.column + "'. Truncated value: '" +
                            std::string(s.substr(0, static_cast<size_t>(c.length))) + "'.");
    s = s.substr(0, static_cast<size_t>(c.length));
  }
  out.type = SqlValue::Type::Text;
  out.text = s;
  return true;
}

// Into an integer or bit column: reals truncated toward zero, '' as 0, TRUE/FALSE for a bit,
// and a value outside the type's range refused (8115).
bool ConvertToInteger(const SqlValue& in, const ColumnTarget& c, SqlValue& out,
                      const Refusal& fail) {
  long long n = 0;
  if (in.type == SqlValue::Type::Int) {
    n = in.i;
  } else if (in.type == SqlValue::Type::Real) {
    out.type = SqlValue::Type::Int;
    if (c.kind == ColKind::Bit) {
      out.i = in.d != 0.0;
      return true;
    }
    if (!(std::fabs(in.d) < 9.2e18))
      return fail(8115, "Arithmetic overflow error converting float to data type " +
                            TypeLabel(c.kind, c.length) + ".");
    n = static_cast<long long>(in.d);  // SQL Server truncates toward zero
  } else {
    const std::string_view s = Trim(in.text);
    const std::string up = ToUpper(s);
    out.type = SqlValue::Type::Int;
    if (c.kind == ColKind::Bit && (up == "TRUE" || up == "FALSE")) {
      out.i = up == "TRUE";
      return true;
    }
    if (s.empty()) {
      n = 0;  // SQL Server converts '' to 0
    } else if (!IntegerText(s, n)) {
      double d;
      if (c.kind == ColKind::Bit && RealText(s, d)) {
        out.i = d != 0.0;
        return true;
      }
      return fail(245, "Conversion failed when converting the varchar value '" +
                           std::string(in.text) + "' to data type " + TypeLabel(c.kind, c.length) +
                           ".");
    }
  }
  out.type = SqlValue::Type::Int;
  if (c.kind == ColKind::Bit) {
    out.i = n != 0;
    return true;
  }
  long long lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
  if (c.length == 8) {
    lo = std::numeric_limits<long long>::min();
    hi = std::numeric_limits<long long>::max();
  }
  if (c.length == 2) {
    lo = -32768;
    hi = 32767;
  }
  if (c.length == 1) {
    lo = 0;
    hi = 255;
  }
  if (n < lo || n > hi)
    return fail(8115, "Arithmetic overflow error converting expression to data type " +
                          TypeLabel(c.kind, c.length) + ".");
  out.i = n;
  return true;
}

// Into a float or decimal column: a decimal rounded to its scale and refused (8115) when it has
// more integer digits than its precision leaves.
bool ConvertToNumber(const SqlValue& in, const ColumnTarget& c, SqlValue& out,
                     const Refusal& fail) {
  double d = 0;
  if (in.type == SqlValue::Type::Int) {
    d = static_cast<double>(in.i);
  } else if (in.type == SqlValue::Type::Real) {
    d = in.d;
  } else {
    const std::string_view s = Trim(in.text);
    if (!(s.empty() && c.kind == ColKind::Real) && !RealText(s, d))
      return fail(8114, std::string("Error converting data type varchar to ") +
                            (c.kind == ColKind::Real ? "float." : "numeric."));
  }
  if (c.kind == ColKind::Decimal) {
    const double f = std::pow(10.0, c.scale);
    d = std::round(d * f) / f;
    // decimal(p,s) holds p-s integer digits; SQL Server refuses a larger value (8115)
    // rather than store it.
    if (c.length > 0 && !(std::fabs(d) < std::pow(10.0, c.length - c.scale))) {
      const char* source = "varchar";
      if (in.type == SqlValue::Type::Int) {
        source = in.i >= std::numeric_limits<int>::min() && in.i <= std::numeric_limits<int>::max()
                     ? "int"
                     : "numeric";
      } else if (in.type == SqlValue::Type::Real) {
        source = !in.text.empty() && in.text.find_first_of("eE") == std::string_view::npos
                     ? "numeric"
                     : "float";
      }
      return fail(8115, std::string("Arithmetic overflow error converting ") + source +
                            " to data type numeric.");
    }
  }
  out.type = SqlValue::Type::Real;
  out.d = d;
  return true;
}

// Into a datetime column: text read in the session's date order, a number as days since
// 1900-01-01; stored as the canonical text.
bool ConvertToDateTime(const SqlValue& in, SqlValue& out, std::string& buffer,
                       const Refusal& fail) {
  SqlDateTime dt;
  if (in.type != SqlValue::Type::Text) {
    if (!DateTimeFromDays(in.type == SqlValue::Type::Int ? static_cast<double>(in.i) : in.d, dt))
      return fail(8115, "Arithmetic overflow error converting expression to data type datetime.");
  } else {
    const DateError e = ParseDateTime(in.text, kSessionDateOrder, dt);
    if (e == DateError::Syntax) return fail(241, kConversionFailed);
    if (e == DateError::OutOfRange) return fail(242, kOutOfRange);
  }
  FormatCanonical(dt, buffer);
  out.type = SqlValue::Type::Text;
  out.text = buffer;
  return true;
}

}  // namespace

bool ConvertForColumn(const SqlValue& in, const ColumnTarget& c, const SessionState& state,
                      SqlValue& out, std::string& buffer, int& number, std::string& message) {
  const Refusal fail{number, message};
  out = SqlValue{};
  if (in.type == SqlValue::Type::Null) {
    if (c.notNull && c.op != 3)
      return fail(515, "Cannot insert the value NULL into column '" + c.column + "', table '" +
                           state.databaseName + ".dbo." + c.table +
                           "'; column does not allow nulls. " + (c.op == 2 ? "UPDATE" : "INSERT") +
                           " fails.");
    return true;
  }
  switch (c.kind) {
    case ColKind::Text:
      return ConvertToText(in, c, state, out, buffer, fail);
    case ColKind::Int:
    case ColKind::Bit:
      return ConvertToInteger(in, c, out, fail);
    case ColKind::Real:
    case ColKind::Decimal:
      return ConvertToNumber(in, c, out, fail);
    case ColKind::DateTime:
      return ConvertToDateTime(in, out, buffer, fail);
    case ColKind::Other:
      out = in;
      return true;
  }
  return true;
}

std::string RaisedError(int number, const std::string& message) {
  return "qiva:" + std::to_string(number) + ":" + message;
}

bool ParseRaisedError(const std::string& text, int& number, std::string& message) {
  if (text.rfind("qiva:", 0) != 0) return false;
  const size_t colon = text.find(':', 5);
  if (colon == std::string::npos) return false;
  number = std::atoi(text.substr(5, colon - 5).c_str());
  message = text.substr(colon + 1);
  return true;
}

bool RegisterFunctions(sqlite3* db, SessionState* state) {
  struct Fn {
    const char* name;
    int args;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
    bool deterministic;
  };
  static const Fn kFns[] = {
      {"qiva_getdate", 0, GetDate, true},      {"qiva_dt", 1, ToDt, true},
      {"qiva_convert_dt", 2, ConvertDt, true}, {"qiva_date_only", 1, DateOnly, true},
      {"qiva_dt_text", 3, DtText, true},       {"qiva_objname", 1, ObjName, true},
      {"qiva_replace", 3, Replace, true},      {"qiva_col", 8, Col, false},
      {"qiva_contains", 2, Contains, true},    {"qiva_scope_identity", 0, ScopeIdentity, false},
      {"qiva_variable", 1, Variable, false},   {"qiva_serverproperty", 1, ServerProperty, false},
      {"qiva_app_name", 0, AppName, false},
  };
  for (const Fn& f : kFns) {
    const int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
    if (sqlite3_create_function_v2(db, f.name, f.args, flags, state, f.fn, nullptr, nullptr,
                                   nullptr) != SQLITE_OK)
      return false;
  }
  return true;
}

}  // namespace qiva::db::tsql
