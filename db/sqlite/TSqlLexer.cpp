// TSqlLexer.cpp: the tokenizer of the T-SQL compatibility layer.
#include "db/sqlite/TSqlLexer.h"

#include <cctype>

namespace qiva::db::tsql {
namespace {

bool IsWordStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == '@' || c == '#' || c >= 0x80; }
bool IsWordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '@' || c == '#' || c == '$' || c >= 0x80; }

// Reads a quoted run closed by `close`, where a doubled `close` stands for one. Returns the
// position after the closing character, or npos when it is missing.
size_t ReadQuoted(std::string_view s, size_t pos, char close, std::string& value) {
  value.clear();
  for (size_t i = pos; i < s.size(); ++i) {
    if (s[i] != close) {
      value += s[i];
    } else if (i + 1 < s.size() && s[i + 1] == close) {
      value += close;
      ++i;
    } else {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

}  // namespace

std::string ToUpper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

bool IsWord(const Token& t, std::string_view upperWord) {
  if (t.kind != TokenKind::Word || t.text.size() != upperWord.size()) return false;
  for (size_t i = 0; i < upperWord.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(t.text[i])) != upperWord[i]) return false;
  return true;
}

bool Tokenize(std::string_view s, std::vector<Token>& out, size_t& errorOffset) {
  out.clear();
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (std::isspace(c)) { ++i; continue; }
    if (c == '-' && i + 1 < n && s[i + 1] == '-') {
      while (i < n && s[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      const size_t e = s.find("*/", i + 2);
      if (e == std::string_view::npos) { errorOffset = i; return false; }
      i = e + 2;
      continue;
    }
    Token t;
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
    } else if (std::isdigit(c) || (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      t.kind = TokenKind::Number;
      end = i;
      while (end < n && std::isdigit(static_cast<unsigned char>(s[end]))) ++end;
      if (end < n && s[end] == '.') {
        ++end;
        while (end < n && std::isdigit(static_cast<unsigned char>(s[end]))) ++end;
      }
      if (end < n && (s[end] == 'e' || s[end] == 'E')) {
        size_t e = end + 1;
        if (e < n && (s[e] == '+' || s[e] == '-')) ++e;
        if (e < n && std::isdigit(static_cast<unsigned char>(s[e]))) {
          while (e < n && std::isdigit(static_cast<unsigned char>(s[e]))) ++e;
          end = e;
        }
      }
      t.text.assign(s.substr(i, end - i));
    } else if (IsWordStart(c)) {
      t.kind = TokenKind::Word;
      end = i;
      while (end < n && IsWordChar(static_cast<unsigned char>(s[end]))) ++end;
      t.text.assign(s.substr(i, end - i));
    } else {
      t.kind = TokenKind::Symbol;
      static const char* const kTwo[] = {"<>", "!=", "<=", ">=", "!<", "!>"};
      for (const char* two : kTwo)
        if (s.substr(i, 2) == two) end = i + 2;
      t.text.assign(s.substr(i, end - i));
    }
    if (end == std::string_view::npos) { errorOffset = i; return false; }
    t.length = end - i;
    i = end;
    out.push_back(std::move(t));
  }
  Token e;
  e.offset = n;
  out.push_back(std::move(e));
  return true;
}

}  // namespace qiva::db::tsql
