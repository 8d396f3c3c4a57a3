// TSqlQueryTest.cpp: expressions and queries on the embedded engine: conversions into typed
// columns, CONVERT and CAST, functions, text operators, and reuse of statements by shape.
#include <gtest/gtest.h>

#include "db/sqlite/SqliteEngine.h"
#include "db/sqlite/tests/EngineTestSupport.h"

namespace qiva::db::testing {
namespace {

class TSqlQueryTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    Exec(
        "CREATE TABLE V (ID int IDENTITY(1,1) NOT NULL, i int NULL, s smallint NULL, b bit NULL, "
        "m decimal(10,2) NULL, f float NULL, t varchar(8) NULL, d datetime NULL)");
  }
  void Refused(const std::string& sql, long number) {
    EXPECT_FALSE(engine_->execute(sql)) << sql;
    EXPECT_EQ(LastNumber(), number) << sql << "\n -> " << engine_->lastError().description;
  }
};

TEST_F(TSqlQueryTest, ValuesConvertToTheColumnTypeAsOnSqlServer) {
  Exec("insert into V (i, s, b, m, f, t) values ('12', ' 7 ', 'false', 2.345, '1.5', 42)");
  Exec("insert into V (i, b, m, t) values ('', -3, '10', 1.25)");
  Exec("insert into V (i, m) values (3.99, 1)");
  EXPECT_EQ(Column("select i from V order by ID"), (std::vector<std::string>{"12", "0", "3"}));
  EXPECT_EQ(Column("select b from V order by ID"), (std::vector<std::string>{"0", "1", "NULL"}));
  EXPECT_EQ(Column("select m from V order by ID"), (std::vector<std::string>{"2.35", "10", "1"}));
  EXPECT_EQ(Column("select t from V order by ID"),
            (std::vector<std::string>{"42", "1.25", "NULL"}));
  Refused("insert into V (i) values ('1.5')", 245);
  Refused("insert into V (i) values ('abc')", 245);
  Refused("insert into V (s) values (40000)", 8115);
  Refused("insert into V (m) values ('x')", 8114);
  Refused("update V set d = 'never'", 241);
  // The same shapes with other values go through the reused statements and still convert.
  Exec("insert into V (i, s, b, m, f, t) values ('13', '8', 'true', 1, '2', 43)");
  Refused("insert into V (i, s, b, m, f, t) values ('x', '8', 'true', 1, '2', 43)", 245);
  Refused("insert into V (i, s, b, m, f, t) values ('14', '8', 'true', 1, '2', 'too long!')", 2628);
  EXPECT_EQ(Value("select count(*) n from V"), "4");
}

TEST_F(TSqlQueryTest, ConvertCastAndStyles) {
  EXPECT_EQ(Value("select convert(varchar(10), convert(datetime, '25/12/2021', 103), 120) x"),
            "2021-12-25");
  EXPECT_EQ(Value("select convert(varchar, convert(datetime, '2021-12-25 14:05', 120), 121) x"),
            "2021-12-25 14:05:00.000");
  EXPECT_EQ(Value("select convert(varchar(3), 'abcdef') x"), "abc");
  EXPECT_EQ(Value("select cast('12' as int) + 1 x"), "13");
  EXPECT_EQ(Value("select convert(datetime, 0) x"), "1900-01-01 00:00:00.000");
  EXPECT_FALSE(engine_->query("select convert(datetime, '2021-01-01', 999) x",
                              *std::make_unique<ResultSet>()));
  EXPECT_EQ(LastNumber(), 281);
  EXPECT_FALSE(engine_->query("select cast('x' as int) x", *std::make_unique<ResultSet>()));
  EXPECT_EQ(LastNumber(), 245);
}

TEST_F(TSqlQueryTest, FunctionsOperatorsAndSystemViews) {
  Exec(
      "insert into V (i, t, d) values (1, 'Ab', '2021-01-02') insert into V (i, t, d) values (2, "
      "'cD ', '2021-03-04') "
      "insert into V (i, t, d) values (2, NULL, NULL)");
  EXPECT_EQ(Value("select 'x' + t + 'y' z from V where i = 1"), "xAby");
  EXPECT_EQ(Value("select isnull(t, 'none') z from V where ID = 3"), "none");
  EXPECT_EQ(Column("select i * 10 tens from V order by tens desc"),
            (std::vector<std::string>{"20", "20", "10"}));
  EXPECT_EQ(Value("select count(*) n from V where d = '01/02/2021' or d = '2021-03-04'"), "2");
  EXPECT_EQ(Value("select count(*) n from V where exists (select * from V w where w.i = V.i and "
                  "w.ID <> V.ID)"),
            "2");
  ResultSet rs;
  ASSERT_TRUE(engine_->query("select * from V where ID = 1", rs));
  EXPECT_EQ(rs.columns, (std::vector<std::string>{"ID", "i", "s", "b", "m", "f", "t", "d"}));
  EXPECT_EQ(Value("select name from dbo.sysobjects where id = object_id(N'[dbo].[V]') and "
                  "OBJECTPROPERTY(id, N'IsUserTable') = 1"),
            "V");
  EXPECT_EQ(Value("select count(*) n from sysobjects where id = object_id('NOSUCH')"), "0");
  EXPECT_EQ(Value("select DATA_TYPE from INFORMATION_SCHEMA.COLUMNS where TABLE_NAME = 'v' and "
                  "COLUMN_NAME = 'M'"),
            "decimal");
  EXPECT_FALSE(engine_->query("select nosuch(1) x", rs));
  EXPECT_EQ(LastNumber(), 195);
}

// The trace writes a line break inside a literal as a CHAR() concatenation: it must read back
// as the same text.
TEST_F(TSqlQueryTest, CharCodesConcatenateIntoText) {
  EXPECT_EQ(Value("select 'a'+CHAR(13)+CHAR(10)+'b' v"), "a\r\nb");
  EXPECT_EQ(Value("select N'x'+NCHAR(10)+N'y' v"), "x\ny");
  EXPECT_EQ(Value("select CHAR(256) v"), "NULL");
  EXPECT_EQ(Value("select CHAR(-1) v"), "NULL");
  Exec("insert into V (t) values ('GO'+CHAR(10)+'x')");
  EXPECT_EQ(Value("select count(*) n from V where t = 'GO'+CHAR(10)+'x'"), "1");
  Refused("insert into V (t) values ('12345678'+CHAR(10))", 2628);
}

// What SQL Server refuses, the engine refuses with the same message, so a file tried on the
// embedded database predicts the server: a decimal with more integer digits than its column
// holds, and a float literal beyond the double range (refused when the text compiles, so none
// of it runs, through a remembered statement shape too).
TEST_F(TSqlQueryTest, DecimalOverflowAndFloatLiteralsBeyondRangeAreRefused) {
  Exec("insert into V (m) values (99999999.99)");
  Exec("insert into V (m) values (-99999999.994)");
  Refused("insert into V (m) values (1e20)", 8115);
  EXPECT_EQ(engine_->lastError().description,
            "Arithmetic overflow error converting float to data type numeric.");
  Refused("insert into V (m) values (100000000.00)", 8115);
  EXPECT_EQ(engine_->lastError().description,
            "Arithmetic overflow error converting numeric to data type numeric.");
  Refused("insert into V (m) values (123456789)", 8115);
  EXPECT_EQ(engine_->lastError().description,
            "Arithmetic overflow error converting int to data type numeric.");
  Refused("update V set m = '1000000000'", 8115);
  Refused("update V set m = m * 100", 8115);
  EXPECT_EQ(Value("select count(*) n from V where m = 99999999.99 or m = -99999999.99"), "2");
  EXPECT_EQ(Value("select count(*) n from V"), "2");

  Exec("insert into V (f) values (1.5)");
  Exec("insert into V (f) values (2.5)");
  Refused("insert into V (i) values (7) insert into V (f) values (1e400)", 168);
  EXPECT_EQ(
      engine_->lastError().description,
      "The floating point value '1e400' is out of the range of computer representation (8 bytes).");
  Refused("insert into V (f) values (1e400)", 168);
  ResultSet rs;
  EXPECT_FALSE(engine_->query("select -1E+309 x", rs));
  EXPECT_EQ(LastNumber(), 168);
  EXPECT_EQ(Value("select count(*) n from V where i = 7 or f > 1e300"), "0");
  Exec("insert into V (f) values (1e308)");
}

// SCOPE_IDENTITY() is the identity of this connection's last insert in the running text, as on
// SQL Server: another connection's inserts, a procedure's inserts and earlier texts do not
// change it, and a table without an identity column leaves it as it was.
TEST_F(TSqlQueryTest, ScopeIdentityIsThisTextsOwnLastIdentity) {
  Exec("CREATE TABLE N (x int NULL)");
  Exec("CREATE PROCEDURE ADD_V AS insert into V (i) values (99)");
  ResultSet rs;
  ASSERT_TRUE(engine_->query("insert into V (i) values (1) select scope_identity() UID", rs));
  ASSERT_EQ(rs.rows.size(), 1u);
  EXPECT_EQ(rs.columns, std::vector<std::string>{"UID"});
  ASSERT_TRUE(std::holds_alternative<double>(rs.rows[0][0]));  // numeric, as SQL Server's
  EXPECT_EQ(std::get<double>(rs.rows[0][0]), 1.0);

  auto other = CreateSqliteEngine();
  ASSERT_TRUE(other->open(db_.connectionString()));
  ASSERT_TRUE(other->execute("insert into V (i) values (2) insert into V (i) values (3)"));
  ASSERT_TRUE(other->flush());
  EXPECT_EQ(Value("insert into V (i) values (4) insert into N (x) values (5) exec ADD_V "
                  "select scope_identity() UID"),
            "4");
  EXPECT_EQ(Value("select max(ID) m from V"), "5");
  EXPECT_EQ(Value("select scope_identity() UID"), "NULL");
  Exec("insert into V (i) values (7)");
  EXPECT_EQ(Value("select scope_identity() UID"), "NULL");
  // A conversion error ends the text: its query gives no row.
  EXPECT_FALSE(engine_->query("insert into V (i) values ('x') select scope_identity() UID", rs));
  EXPECT_EQ(LastNumber(), 245);
  other->close();
}

TEST_F(TSqlQueryTest, ClosedEngineRefusesWork) {
  engine_->close();
  EXPECT_FALSE(engine_->execute("select 1"));
  EXPECT_EQ(engine_->lastError().description,
            "Operation is not allowed when the object is closed.");
  ResultSet rs;
  EXPECT_FALSE(engine_->query("select 1 x", rs));
  auto fresh = CreateSqliteEngine();
  EXPECT_FALSE(fresh->open("DRIVER={sqlite}"));
  EXPECT_FALSE(fresh->createdDatabase());
}

}  // namespace
}  // namespace qiva::db::testing
