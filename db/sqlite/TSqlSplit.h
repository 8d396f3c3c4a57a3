// TSqlSplit.h: finds the statements of a long text without parsing it whole. A text of inserts
// (the pharmaceutical batches: SET options, then up to 1001 INSERT statements) is cut before each
// INSERT that stands outside parentheses, so that each piece can run through the remembered
// plan of its shape. Whether a cut is right is for the caller to check (each piece must parse
// on its own into whole statements); nothing here runs anything.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite/TSqlLexer.h"

namespace qiva::db::tsql {

// Tokens [first, end) of a tokenized text.
struct TokenRange {
  std::size_t first = 0;
  std::size_t end = 0;
};

// Cuts `tokens` (as Tokenize leaves them, ending with the End token) before every INSERT word
// outside parentheses; what comes before the first INSERT is a piece of its own. Gives each
// piece its shape (as RangeShape writes it) in `shapes`, whose strings are reused from call to
// call. Returns the number of pieces: 1 for a text that holds no second statement to cut at,
// 0 for a text without tokens.
std::size_t SplitBeforeInserts(const std::vector<Token>& tokens, std::vector<TokenRange>& pieces,
                               std::vector<std::string>& shapes);

// The shape of tokens [first, end): strings written as '?', numbers as ?, bracketed names in
// brackets, everything else as written, each followed by a blank. Texts of one shape differ
// only in their literal values.
void RangeShape(const std::vector<Token>& tokens, std::size_t first, std::size_t end,
                std::string& key);

// The part of `source` (the text `tokens` were read from) that the tokens of `range` span.
std::string_view RangeText(std::string_view source, const std::vector<Token>& tokens,
                           const TokenRange& range);

}  // namespace qiva::db::tsql
