// TraceScript.cpp: the trace's batch separator rule and the rewriting of line breaks inside
// string literals.
#include "db/TraceScript.h"

namespace qiva::db {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '@' || c == '#' || c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

// True when some line of `sql` is a batch separator. Lines end at LF; a CR before it, and a
// lone CR, end a line too, since some splitters take either.
bool HasSeparatorLine(std::string_view sql) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= sql.size(); ++i) {
    if (i == sql.size() || sql[i] == '\n' || sql[i] == '\r') {
      if (IsBatchSeparatorLine(sql.substr(start, i - start))) return true;
      start = i + 1;
    }
  }
  return false;
}

}  // namespace

bool IsBatchSeparatorLine(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (line.size() - i < 2) return false;
  if ((line[i] != 'g' && line[i] != 'G') || (line[i + 1] != 'o' && line[i + 1] != 'O')) {
    return false;
  }
  i += 2;
  // "GO", "GO 5", "GO -- comment", "GO;": anything but a word that merely starts with GO
  // (GOTO, GOODS) counts, erring toward rewriting a statement that needs none.
  return i == line.size() || !IsWordChar(line[i]);
}

std::string TraceStatementText(std::string_view sql) {
  if (!HasSeparatorLine(sql)) return std::string(sql);
  std::string out;
  out.reserve(sql.size() + 64);
  enum class State { Code, Literal, LineComment, BlockComment };
  State state = State::Code;
  bool national = false;    // the open literal is N'...'
  bool afterBreak = false;  // the last byte of the literal was a line break
  for (std::size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    const bool wasAfterBreak = afterBreak;
    afterBreak = false;
    switch (state) {
      case State::Code:
        if (c == '\'') {
          national = i > 0 && (sql[i - 1] == 'N' || sql[i - 1] == 'n') &&
                     (i < 2 || !IsWordChar(sql[i - 2]));
          state = State::Literal;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
          state = State::LineComment;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
          out += "/*";
          ++i;
          state = State::BlockComment;
          continue;
        }
        out += c;
        break;
      case State::Literal:
        if (c == '\'') {
          // A doubled quote stays inside the literal.
          if (i + 1 < sql.size() && sql[i + 1] == '\'') {
            out += "''";
            ++i;
          } else {
            out += c;
            state = State::Code;
          }
        } else if (c == '\r' || c == '\n') {
          // Breaks in a row join one concatenation: 'a'+CHAR(13)+CHAR(10)+'b'.
          if (wasAfterBreak) {
            out.resize(out.size() - (national ? 2 : 1));
          } else {
            out += "'+";
          }
          out += national ? "NCHAR(" : "CHAR(";
          out += c == '\r' ? "13" : "10";
          out += national ? ")+N'" : ")+'";
          afterBreak = true;
          continue;
        } else {
          out += c;
        }
        break;
      case State::LineComment:
        if (c == '\n' || c == '\r') state = State::Code;
        out += c;
        break;
      case State::BlockComment:
        if (c == '*' && i + 1 < sql.size() && sql[i + 1] == '/') {
          out += "*/";
          ++i;
          state = State::Code;
          continue;
        }
        out += c;
        break;
    }
  }
  return out;
}

}  // namespace qiva::db
