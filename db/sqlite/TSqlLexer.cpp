// TSqlLexer.cpp: the tokenizer of the T-SQL compatibility layer.
#include "db/sqlite/TSqlLexer.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace qiva::db::tsql {
namespace {

// ASCII classes, independent of the C locale (texts are bytes of any code page).
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
bool IsWordStart(unsigned char c) {
  return IsAlpha(c) || c == '_' || c == '@' || c == '#' || c >= 0x80;
}
bool IsWordChar(unsigned char c) {
  return IsAlpha(c) || IsDigit(c) || c == '_' || c == '@' || c == '#' || c == '$' || c >= 0x80;
}

// Reads a quoted run closed by `close`, where a doubled `close` stands for one. Returns the
// position after the closing character, or npos when it is missing.
size_t ReadQuoted(std::string_view s, size_t pos, char close, std::string& value) {
  value.clear();
  for (;;) {
    const size_t q = s.find(close, pos);
    if (q == std::string_view::npos) return std::string_view::npos;
    value.append(s.data() + pos, q - pos);
    if (q + 1 < s.size() && s[q + 1] == close) {
      value += close;
      pos = q + 2;
    } else {
      return q + 1;
    }
  }
}

constexpr std::string_view kReserved[] = {
    "ADD",    "ALTER",     "AND",        "AS",         "ASC",    "BEGIN", "BETWEEN", "BY",
    "CASE",   "CHECK",     "COLLATE",    "CONSTRAINT", "CREATE", "CROSS", "DECLARE", "DEFAULT",
    "DELETE", "DESC",      "DISTINCT",   "DROP",       "ELSE",   "END",   "EXEC",    "EXECUTE",
    "EXISTS", "FOR",       "FOREIGN",    "FROM",       "GO",     "GROUP", "HAVING",  "IF",
    "IN",     "INNER",     "INSERT",     "INTO",       "IS",     "JOIN",  "KEY",     "LIKE",
    "NOT",    "NULL",      "ON",         "OR",         "ORDER",  "OUTER", "PRIMARY", "PRINT",
    "PROC",   "PROCEDURE", "REFERENCES", "RETURN",     "SELECT", "SET",   "TABLE",   "THEN",
    "TOP",    "UNION",     "UNIQUE",     "UPDATE",     "VALUES", "WHEN",  "WHERE",   "WITH"};

}  // namespace

bool IsReservedWord(std::string_view word) {
  if (word.size() < 2 || word.size() > 10) return false;
  char up[16];
  for (size_t i = 0; i < word.size(); ++i) up[i] = Upper(word[i]);
  const std::string_view w(up, word.size());
  for (std::string_view r : kReserved)
    if (r.size() == w.size() && r[0] == w[0] && r == w) return true;
  return false;
}

std::string ToUpper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = Upper(c);
  return r;
}

bool IsWord(const Token& t, std::string_view upperWord) {
  if (t.kind != TokenKind::Word || t.text.size() != upperWord.size()) return false;
  for (size_t i = 0; i < upperWord.size(); ++i)
    if (Upper(t.text[i]) != upperWord[i]) return false;
  return true;
}

bool IsNumberOutOfRange(const Token& t) {
  if (t.kind != TokenKind::Number) return false;
  // Only an exponent or some 300 digits can pass the double range; the rest need no conversion.
  if (t.text.size() < 300 && t.text.find_first_of("eE") == std::string::npos) return false;
  return !std::isfinite(std::strtod(t.text.c_str(), nullptr));
}

const Token* FirstNumberOutOfRange(const std::vector<Token>& tokens) {
  for (const Token& t : tokens) {
    if (t.kind == TokenKind::End) break;
    if (IsNumberOutOfRange(t)) return &t;
  }
  return nullptr;
}

bool Tokenize(std::string_view s, std::vector<Token>& out, size_t& errorOffset, bool markReserved) {
  // Tokens are written over the vector's earlier ones, so that their texts keep their storage
  // when the same vector tokenizes text after text.
  size_t count = 0;
  const auto next = [&out, &count]() -> Token& {
    if (count == out.size()) out.emplace_back();
    Token& t = out[count++];
    t.reserved = false;
    return t;
  };
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (IsSpace(c)) {
      ++i;
      continue;
    }
    if (c == '-' && i + 1 < n && s[i + 1] == '-') {
      while (i < n && s[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      const size_t e = s.find("*/", i + 2);
      if (e == std::string_view::npos) {
        errorOffset = i;
        return false;
      }
      i = e + 2;
      continue;
    }
    Token& t = next();
    t.offset = i;
    size_t end = i + 1;
    if ((c == 'N' || c == 'n') && i + 1 < n && s[i + 1] == '\'') {
      t.kind = TokenKind::String;
      end = ReadQuoted(s, i + 2, '\'', t.text);
    } else if (c == '\'') {
      t.kind = TokenKind::String;
      end = ReadQuoted(s, i + 1, '\'', t.text);
    } else if (c == '[') {
      t.kind = TokenKind::QuotedName;
      end = ReadQuoted(s, i + 1, ']', t.text);
    } else if (c == '"') {
      t.kind = TokenKind::QuotedName;
      end = ReadQuoted(s, i + 1, '"', t.text);
    } else if (IsDigit(c) ||
               (c == '.' && i + 1 < n && IsDigit(static_cast<unsigned char>(s[i + 1])))) {
      t.kind = TokenKind::Number;
      end = i;
      while (end < n && IsDigit(static_cast<unsigned char>(s[end]))) ++end;
      if (end < n && s[end] == '.') {
        ++end;
        while (end < n && IsDigit(static_cast<unsigned char>(s[end]))) ++end;
      }
      if (end < n && (s[end] == 'e' || s[end] == 'E')) {
        size_t e = end + 1;
        if (e < n && (s[e] == '+' || s[e] == '-')) ++e;
        if (e < n && IsDigit(static_cast<unsigned char>(s[e]))) {
          while (e < n && IsDigit(static_cast<unsigned char>(s[e]))) ++e;
          end = e;
        }
      }
      t.text.assign(s.substr(i, end - i));
    } else if (IsWordStart(c)) {
      t.kind = TokenKind::Word;
      end = i;
      while (end < n && IsWordChar(static_cast<unsigned char>(s[end]))) ++end;
      t.text.assign(s.substr(i, end - i));
      t.reserved = markReserved && IsReservedWord(t.text);
    } else {
      t.kind = TokenKind::Symbol;
      // Two-character operators: <> != <= >= !< !>
      if (i + 1 < n && (c == '<' || c == '>' || c == '!')) {
        const char d = s[i + 1];
        if ((c == '<' && (d == '>' || d == '=')) || (c == '>' && d == '=') ||
            (c == '!' && (d == '=' || d == '<' || d == '>')))
          end = i + 2;
      }
      t.text.assign(s.substr(i, end - i));
    }
    if (end == std::string_view::npos) {
      errorOffset = i;
      out.resize(count);
      return false;
    }
    t.length = end - i;
    i = end;
  }
  Token& e = next();
  e.kind = TokenKind::End;
  e.text.clear();
  e.offset = n;
  e.length = 0;
  out.resize(count);
  return true;
}

}  // namespace qiva::db::tsql
