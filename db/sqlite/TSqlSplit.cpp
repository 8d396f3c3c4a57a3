// TSqlSplit.cpp: cutting a text of inserts into statement pieces, and the shape of a piece.
#include "db/sqlite/TSqlSplit.h"

namespace qiva::db::tsql {

namespace {

void appendShape(const Token& t, std::string& key) {
  switch (t.kind) {
    case TokenKind::String:
      key += "'?' ";
      break;
    case TokenKind::Number:
      key += "? ";
      break;
    case TokenKind::QuotedName:
      key += '[';
      key += t.text;
      key += "] ";
      break;
    default:
      key += t.text;
      key += ' ';
  }
}

}  // namespace

std::size_t SplitBeforeInserts(const std::vector<Token>& tokens, std::vector<TokenRange>& pieces,
                               std::vector<std::string>& shapes) {
  // One pass: a batch's tokens are read once here, not once to cut and again to shape.
  pieces.clear();
  const std::size_t end = tokens.empty() ? 0 : tokens.size() - 1;  // the End token stays out
  if (end == 0) return 0;
  std::size_t start = 0;
  int depth = 0;
  const auto newShape = [&shapes, &pieces]() -> std::string& {
    if (shapes.size() <= pieces.size()) shapes.resize(pieces.size() + 1);
    std::string& key = shapes[pieces.size()];
    key.clear();
    return key;
  };
  std::string* key = &newShape();
  for (std::size_t i = 0; i < end; ++i) {
    const Token& t = tokens[i];
    if (t.kind == TokenKind::Symbol) {
      if (t.text == "(") ++depth;
      if (t.text == ")" && depth > 0) --depth;
    } else if (depth == 0 && i > start && IsWord(t, "INSERT")) {
      pieces.push_back({start, i});
      start = i;
      key = &newShape();
    }
    appendShape(t, *key);
  }
  pieces.push_back({start, end});
  return pieces.size();
}

void RangeShape(const std::vector<Token>& tokens, std::size_t first, std::size_t end,
                std::string& key) {
  key.clear();
  for (std::size_t i = first; i < end; ++i) appendShape(tokens[i], key);
}

std::string_view RangeText(std::string_view source, const std::vector<Token>& tokens,
                           const TokenRange& range) {
  if (range.first >= range.end) return {};
  const Token& last = tokens[range.end - 1];
  const std::size_t from = tokens[range.first].offset;
  return source.substr(from, last.offset + last.length - from);
}

}  // namespace qiva::db::tsql
