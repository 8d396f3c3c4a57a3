// TSqlParserTest.cpp: statement boundaries in texts without separators, and statement shapes.
#include <gtest/gtest.h>

#include "db/sqlite/TSqlParser.h"

namespace qiva::db::tsql {
namespace {

std::vector<Statement::Kind> Kinds(const std::string& sql) {
  Batch b;
  SyntaxError e;
  EXPECT_TRUE(ParseBatch(sql, b, e)) << e.message;
  std::vector<Statement::Kind> k;
  for (const auto& s : b.statements) k.push_back(s->kind);
  return k;
}

TEST(TSqlParser, SplitsStatementsWrittenWithoutSeparators) {
  using K = Statement::Kind;
  EXPECT_EQ(Kinds(" update T set name=replace(name,'a','b')\t\t\t\tupdate T set "
                  "name=replace(name,'c','d')"),
            (std::vector<K>{K::Update, K::Update}));
  EXPECT_EQ(
      Kinds(" SET NOCOUNT ON \n\nINSERT INTO T(a)VALUES ('x' )\nINSERT INTO T(a)VALUES ('y' )"),
      (std::vector<K>{K::Set, K::Insert, K::Insert}));
  EXPECT_EQ(Kinds("delete from T where a=1 select max(id) UID from T"),
            (std::vector<K>{K::Delete, K::Select}));
  EXPECT_EQ(Kinds("alter table T alter column code varchar(100)"), (std::vector<K>{K::AlterTable}));
  EXPECT_EQ(
      Kinds("if not exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[T]') and "
            "OBJECTPROPERTY(id, N'IsUserTable') = 1)begin\tCREATE TABLE [dbo].[T] ([ID] [int] "
            "IDENTITY (1, 1) NOT NULL ) ON [PRIMARY]\tend"),
      (std::vector<K>{K::If}));
}

TEST(TSqlParser, TokenizesCommentsNamesAndNumbers) {
  std::vector<Token> t;
  size_t bad = 0;
  ASSERT_TRUE(Tokenize(
      "select -- a comment\n [my col],/* block\n */\"q\"\"x\" from t where a<>1.5e3 and b!<2", t,
      bad));
  std::vector<std::string> texts;
  for (const Token& tok : t) texts.push_back(tok.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"select", "my col", ",", "q\"x", "from", "t", "where",
                                             "a", "<>", "1.5e3", "and", "b", "!<", "2", ""}));
  EXPECT_EQ(t[1].kind, TokenKind::QuotedName);
  EXPECT_EQ(t[9].kind, TokenKind::Number);
  EXPECT_FALSE(Tokenize("select [open", t, bad));
  EXPECT_EQ(bad, 7u);
  EXPECT_FALSE(Tokenize("select 1 /* open", t, bad));
}

TEST(TSqlParser, ParsesTheSchemaClausesOfScriptsFromSqlServerTools) {
  using K = Statement::Kind;
  EXPECT_EQ(Kinds("CREATE TABLE [dbo].[T] ([a] [decimal](10, 2) NULL, [b] [varchar](max) COLLATE "
                  "Latin1_General_CI_AS NULL,"
                  " [c] int NOT NULL CONSTRAINT DF_c DEFAULT ((0)), CONSTRAINT [FK] FOREIGN KEY "
                  "([c]) REFERENCES [dbo].[P] ([ID])"
                  " ON DELETE CASCADE, CHECK (c > 0)) ON [PRIMARY] TEXTIMAGE_ON [PRIMARY]"),
            (std::vector<K>{K::CreateTable}));
  EXPECT_EQ(Kinds("ALTER TABLE T ADD CONSTRAINT PK PRIMARY KEY NONCLUSTERED (a DESC) WITH "
                  "FILLFACTOR = 90 ON [PRIMARY] PRINT 'x'"),
            (std::vector<K>{K::AlterTable, K::Nothing}));
  EXPECT_EQ(Kinds("select a from t where a not between 1 and 2 and not exists (select c from u) "
                  "and d is not null "
                  "order by a + 1 desc; select 1"),
            (std::vector<K>{K::Select, K::Select}));
  Batch b;
  SyntaxError e;
  ASSERT_TRUE(
      ParseBatch("CREATE TABLE T (a int NOT NULL DEFAULT (getdate()), b int IDENTITY(5,1))", b, e));
  const Statement& st = *b.statements[0];
  ASSERT_EQ(st.columnDefs.size(), 2u);
  EXPECT_EQ(st.columnDefs[0].defaultSql, "(getdate())");
  EXPECT_TRUE(st.columnDefs[0].notNull);
  EXPECT_EQ(st.columnDefs[1].seed, 5);
  EXPECT_TRUE(b.literals.empty()) << "a default is kept as text, not as a literal";
}

TEST(TSqlParser, ReportsSyntaxErrorsLikeSqlServer) {
  Batch b;
  SyntaxError e;
  EXPECT_FALSE(ParseBatch("insert into T (a,b,c) values ('x',,'z')", b, e));
  EXPECT_EQ(e.number, 102);
  EXPECT_EQ(e.message, "Incorrect syntax near ','.");
  EXPECT_FALSE(ParseBatch("insert into T (a) values ('it's')", b, e));
  EXPECT_FALSE(ParseBatch("select 'open", b, e));
  EXPECT_EQ(e.number, 105);
}

TEST(TSqlParser, ShapeIgnoresLiteralValuesButNotStructure) {
  Batch a, b, c;
  SyntaxError e;
  ASSERT_TRUE(ParseBatch("insert into T (a,b) values ('x', 1)", a, e));
  ASSERT_TRUE(ParseBatch("insert into T (a,b) values ('it''s', 22)", b, e));
  ASSERT_TRUE(ParseBatch("insert into T (a,b) values (null, 22)", c, e));
  EXPECT_EQ(StatementShape(a, *a.statements[0]), StatementShape(b, *b.statements[0]));
  EXPECT_NE(StatementShape(a, *a.statements[0]), StatementShape(c, *c.statements[0]));
  Batch d, f;
  ASSERT_TRUE(ParseBatch("select convert(varchar(10),getdate(),103)", d, e));
  ASSERT_TRUE(ParseBatch("select convert(varchar(10),getdate(),120)", f, e));
  EXPECT_NE(StatementShape(d, *d.statements[0]), StatementShape(f, *f.statements[0]));
}

}  // namespace
}  // namespace qiva::db::tsql
