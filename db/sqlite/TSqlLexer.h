// TSqlLexer.h: splits a T-SQL text into tokens for the embedded engine's compatibility layer.
// Handles [bracketed] and "quoted" names, 'strings' with doubled quotes, N'...' strings, numbers,
// operators, and comments; white space (tabs and line feeds included) only separates tokens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qiva::db::tsql {

enum class TokenKind { Word, QuotedName, String, Number, Symbol, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;       // word as written, name without brackets, string value unescaped, symbol
  size_t offset = 0;      // byte offset of the token in the source text
  size_t length = 0;      // bytes the token spans in the source text
  bool reserved = false;  // a word that T-SQL reserves (SELECT, FROM, WHERE, ...)
};

// Tokenizes `sql` into `out` (emptied first; always ends with an End token). Returns false and
// sets `errorOffset` when a string, a bracketed name or a comment is not closed. Words are
// marked reserved only when `markReserved` is set (the parser needs it; a shape does not).
bool Tokenize(std::string_view sql, std::vector<Token>& out, size_t& errorOffset,
              bool markReserved = true);

// True when the number token `t` names no double (1e400): SQL Server refuses such a literal
// when it compiles the batch (message 168) instead of storing an infinity.
bool IsNumberOutOfRange(const Token& t);

// The first number token of `tokens` (up to the End token) that IsNumberOutOfRange, or null.
const Token* FirstNumberOutOfRange(const std::vector<Token>& tokens);

// True when the word token `t` equals `upperWord` without regard to ASCII case.
bool IsWord(const Token& t, std::string_view upperWord);

// True when `word` is one of the reserved words that end an expression or a name list.
bool IsReservedWord(std::string_view word);

// ASCII upper-case copy of `s`.
std::string ToUpper(std::string_view s);

}  // namespace qiva::db::tsql
