// Tests of how statements are written into the SQL trace: which lines read as batch
// separators, and the rewriting that keeps such lines out of a statement without changing what
// it means.
#include <gtest/gtest.h>

#include "db/TraceScript.h"

namespace {

using qiva::db::IsBatchSeparatorLine;
using qiva::db::TraceStatementText;

TEST(TraceScript, separatorLinesAreGoWithBlanksACountOrAComment) {
  for (const char* line : {"GO", "go", " \tGo", "GO 2", "GO\t", "GO -- next", "GO;"}) {
    EXPECT_TRUE(IsBatchSeparatorLine(line)) << line;
  }
  for (const char* line : {"", "G", "GOTO x", "GOODS", "xGO", "'GO'", "-- GO", "G O"}) {
    EXPECT_FALSE(IsBatchSeparatorLine(line)) << line;
  }
}

// The bytes of every statement without such a line stay exactly as sent, line breaks included.
TEST(TraceScript, statementsWithoutASeparatorLineAreWrittenAsSent) {
  for (const char* sql : {"insert into T (a) values ('x\ny')", "select 1\r\nfrom T",
                          "insert into T (a) values ('GOODS\nGOTO')", ""}) {
    EXPECT_EQ(TraceStatementText(sql), sql);
  }
}

TEST(TraceScript, lineBreaksInsideLiteralsBecomeCharConcatenations) {
  EXPECT_EQ(
      TraceStatementText("insert into T (a,b) values ('x\r\nGO\r\ndelete from T\nGO','it''s\n')"),
      "insert into T (a,b) values ('x'+CHAR(13)+CHAR(10)+'GO'+CHAR(13)+CHAR(10)+"
      "'delete from T'+CHAR(10)+'GO','it''s'+CHAR(10)+'')");
  EXPECT_EQ(TraceStatementText("select N'a\ngo' x, n'\r' y"),
            "select N'a'+NCHAR(10)+N'go' x, n''+NCHAR(13)+N'' y");
  // A word ending in N before a quote is no N'' literal.
  EXPECT_EQ(TraceStatementText("select 1 WHEN'a\nGO'"), "select 1 WHEN'a'+CHAR(10)+'GO'");
}

// Comments and line breaks between tokens are left alone; a quote inside a comment opens no
// literal.
TEST(TraceScript, commentsAndCodeOutsideLiteralsKeepTheirBytes) {
  EXPECT_EQ(TraceStatementText("-- it's\nselect 'a\nGO' x /* it's */\nfrom T"),
            "-- it's\nselect 'a'+CHAR(10)+'GO' x /* it's */\nfrom T");
  // A literal left open at the text's end is rewritten up to there.
  EXPECT_EQ(TraceStatementText("select 'a\nGO"), "select 'a'+CHAR(10)+'GO");
}

}  // namespace
