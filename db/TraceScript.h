// TraceScript.h: how a statement is written into the SQL trace (--trace-sql), a script that
// sqlcmd or SSMS splits into batches at its GO lines. Only the text rules live here; the trace
// file itself belongs to CAdoDatabase.
#pragma once

#include <string>
#include <string_view>

namespace qiva::db {

// True when `line` (without its line end) reads as a batch separator to a script splitter:
// blanks, then GO in any letter case, then nothing, blanks, a repeat count or a comment.
bool IsBatchSeparatorLine(std::string_view line);

// The statement as the trace writes it, before its closing "\nGO\n". A statement none of whose
// lines is a batch separator is written as its exact bytes. Otherwise (a value or a file name
// holding a line "GO") every line break inside a string literal is written as a concatenation,
// 'a' + CHAR(13) + CHAR(10) + 'b' (NCHAR for an N'' literal), which means the same text, so no
// line of the statement splits it. Every literal our statements hold stands where an expression
// may stand, where the concatenation is equivalent.
std::string TraceStatementText(std::string_view sql);

}  // namespace qiva::db
