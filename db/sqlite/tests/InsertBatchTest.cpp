// InsertBatchTest.cpp: texts of many inserts (the pharmaceutical batches) run piece by piece
// through remembered plans, with SQL Server's batch rules: a syntax error anywhere runs none,
// a conversion error stops the rest, a constraint error fails only its own statement.
#include <gtest/gtest.h>

#include "db/sqlite/TSqlSplit.h"
#include "db/sqlite/tests/EngineTestSupport.h"

namespace qiva::db::testing {
namespace {

using tsql::RangeText;
using tsql::SplitBeforeInserts;
using tsql::Token;
using tsql::TokenRange;
using Strings = std::vector<std::string>;

// The pieces of `sql`, each as its text and its shape.
Strings pieces(const std::string& sql, Strings* shapes = nullptr) {
  std::vector<Token> tokens;
  size_t bad = 0;
  EXPECT_TRUE(tsql::Tokenize(sql, tokens, bad, false));
  std::vector<TokenRange> ranges;
  Strings keys(3, "left over from an earlier text");
  const size_t count = SplitBeforeInserts(tokens, ranges, keys);
  EXPECT_EQ(count, ranges.size());
  Strings out;
  for (const TokenRange& r : ranges) out.emplace_back(RangeText(sql, tokens, r));
  if (shapes) shapes->assign(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(count));
  return out;
}

TEST(SplitBeforeInserts, cutsBeforeEveryInsertOutsideParenthesesStringsAndBrackets) {
  Strings shapes;
  EXPECT_EQ(
      pieces(" SET NOCOUNT ON \n\nINSERT INTO T (a) VALUES ('insert x')\n"
             "insert into [INSERT] (b) VALUES ((1)) -- INSERT\nINSERT INTO T (a) VALUES ('y');",
             &shapes),
      (Strings{"SET NOCOUNT ON", "INSERT INTO T (a) VALUES ('insert x')",
               "insert into [INSERT] (b) VALUES ((1))", "INSERT INTO T (a) VALUES ('y');"}));
  EXPECT_EQ(shapes, (Strings{"SET NOCOUNT ON ", "INSERT INTO T ( a ) VALUES ( '?' ) ",
                             "insert into [INSERT] ( b ) VALUES ( ( ? ) ) ",
                             "INSERT INTO T ( a ) VALUES ( '?' ) ; "}));
  EXPECT_EQ(pieces("if not exists (select 1 from T) insert into T (a) values (1)"),
            (Strings{"if not exists (select 1 from T)", "insert into T (a) values (1)"}));
  EXPECT_EQ(pieces("INSERT INTO T (a) VALUES (1)", &shapes),
            Strings{"INSERT INTO T (a) VALUES (1)"});
  EXPECT_EQ(shapes, Strings{"INSERT INTO T ( a ) VALUES ( ? ) "});
  EXPECT_EQ(pieces("select (insert) from T"), Strings{"select (insert) from T"});
  EXPECT_TRUE(pieces(" -- nothing\n").empty());
}

class InsertBatchTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    Exec(
        "CREATE TABLE B (id int IDENTITY(1,1) NOT NULL, code varchar(5) NOT NULL, n int NULL, "
        "d datetime NULL)");
    Exec("CREATE TABLE O (id int IDENTITY(1,1) NOT NULL, t varchar(20) NULL, d datetime NULL)");
  }
  static std::string insert(const std::string& code, const std::string& n, const std::string& d,
                            int style = 120) {
    return "\nINSERT INTO B (code,n,d)\t\tVALUES ('" + code + "'," + n + ",convert (datetime,'" +
           d + "'," + std::to_string(style) + "))";
  }
  // "code|n|date" of every row of B in insertion order.
  Strings rows() {
    const Strings codes = Column("select code from B order by id");
    const Strings numbers = Column("select n from B order by id");
    const Strings dates = Column("select d from B order by id");
    Strings out;
    for (size_t i = 0; i < codes.size(); ++i)
      out.push_back(codes[i] + "|" + numbers[i] + "|" + dates[i].substr(0, 10));
    return out;
  }
  const std::string header = " SET NOCOUNT ON \n";
};

TEST_F(InsertBatchTest, everyPieceBindsItsOwnValuesAcrossShapesAndTexts) {
  for (int round = 0; round < 2; ++round) {
    const std::string r = std::to_string(round);
    Exec(header + insert("a" + r, "1", "2021-01-01") + "\nINSERT INTO O (t) VALUES ('o" + r + "')" +
         insert("b" + r, "-2", "2021-01-02") + insert("c" + r, "null", "2021-01-03") +
         insert("d" + r, "'7'", "2021-01-04"));
  }
  EXPECT_EQ(rows(), (Strings{"a0|1|2021-01-01", "b0|-2|2021-01-02", "c0|NULL|2021-01-03",
                             "d0|7|2021-01-04", "a1|1|2021-01-01", "b1|-2|2021-01-02",
                             "c1|NULL|2021-01-03", "d1|7|2021-01-04"}));
  EXPECT_EQ(Column("select t from O order by id"), (Strings{"o0", "o1"}));
}

// The style is part of the statement's syntax, not a value: a remembered plan for style 103
// must not read a text written for style 101.
TEST_F(InsertBatchTest, aNumberOfTheSyntaxKeepsItsOwnPlan) {
  Exec(header + insert("x", "1", "02/03/2021", 103) + insert("y", "1", "02/03/2021", 101));
  Exec(header + insert("z", "1", "02/03/2021", 101) + insert("w", "1", "02/03/2021", 103));
  EXPECT_EQ(rows(),
            (Strings{"x|1|2021-03-02", "y|1|2021-02-03", "z|1|2021-02-03", "w|1|2021-03-02"}));
}

TEST_F(InsertBatchTest, aSyntaxErrorAnywhereRunsNoneEvenWhenTheOtherPiecesArePlanned) {
  Exec(header + insert("a", "1", "2021-01-01") + insert("b", "2", "2021-01-02"));
  EXPECT_FALSE(engine_->execute(header + insert("c", "3", "2021-01-03") +
                                insert("d", "4", "2021-01-04") +
                                "\nINSERT INTO B (code,n,d)\t\tVALUES ('e',5,)"));
  EXPECT_EQ(LastNumber(), 102);
  EXPECT_FALSE(
      engine_->execute(header + insert("c", "3", "2021-01-03") + insert("d", "1e", "2021-01-04")));
  EXPECT_EQ(Value("select count(*) from B"), "2");
}

TEST_F(InsertBatchTest, aConversionErrorStopsTheRestAndAConstraintErrorOnlyItsStatement) {
  EXPECT_FALSE(
      engine_->execute(header + insert("a", "1", "2021-01-01") +
                       insert("long code", "2", "2021-01-02") + insert("b", "3", "2021-01-03") +
                       insert(std::string(), "4", "2021-02-30") + insert("c", "5", "2021-01-05")));
  EXPECT_EQ(engine_->lastError().providerErrors.size(), 2u);  // the truncation, then the date
  EXPECT_EQ(LastNumber(), 242);
  EXPECT_EQ(rows(), (Strings{"a|1|2021-01-01", "b|3|2021-01-03"}));
  // A conversion error in the very first statement of a new shape: nothing of the text runs,
  // and the next text of that shape runs whole.
  EXPECT_FALSE(engine_->execute(header + "\nINSERT INTO O (d) VALUES (convert(datetime,'x',120))" +
                                "\nINSERT INTO O (t) VALUES ('after')"));
  EXPECT_EQ(LastNumber(), 241);
  EXPECT_EQ(Value("select count(*) from O"), "0");
  Exec(header + "\nINSERT INTO O (d) VALUES (convert(datetime,'2021-05-05',120))" +
       "\nINSERT INTO O (t) VALUES ('after')");
  EXPECT_EQ(Column("select d from O order by id"), (Strings{"2021-05-05 00:00:00.000", "NULL"}));
  EXPECT_EQ(Column("select t from O order by id"), (Strings{"NULL", "after"}));
}

TEST_F(InsertBatchTest, aTextWhosePiecesAreNotWholeStatementsRunsAsBefore) {
  Exec(
      "if not exists (select * from B where code='g') insert into B (code,n) values ('g',1) "
      "else insert into B (code,n) values ('h',2) insert into B (code,n) values ('i',3)");
  Exec(
      "if not exists (select * from B where code='g') insert into B (code,n) values ('g',1) "
      "else insert into B (code,n) values ('h',2) insert into B (code,n) values ('i',3)");
  EXPECT_EQ(Column("select code from B order by id"), (Strings{"g", "i", "h", "i"}));
}

}  // namespace
}  // namespace qiva::db::testing
