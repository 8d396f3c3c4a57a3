// MutatedTextTest.cpp: texts broken at random (tokens dropped, doubled or swapped) never crash
// the embedded engine: each is either run or refused with a message, and the engine goes on.
#include <gtest/gtest.h>

#include <random>

#include "db/sqlite/TSqlLexer.h"
#include "db/sqlite/tests/EngineTestSupport.h"

namespace qiva::db::testing {
namespace {

const char* const kSeeds[] = {
    "insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) values "
    "('A','d','2020-01-01','19000101 00:00',null)",
    " delete from QIVA_ICD10 where convert(datetime,convert(varchar(10),getdate(),103),103) not "
    "between valid_from and ISNULL(valid_to,getdate()) ",
    "if not exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[X]') and "
    "OBJECTPROPERTY(id, N'IsUserTable') = 1)begin "
    "CREATE TABLE [dbo].[X] ([ID] [int] IDENTITY (1, 1) NOT NULL , [c] [varchar] (10) NULL ) ON "
    "[PRIMARY] "
    "ALTER TABLE [dbo].[X] ADD CONSTRAINT [DF_X_c] DEFAULT ('a') FOR [c] end",
    "select count(*) n from QIVA_ICD10 where code = 'A' or code between 'B' and 'C'",
    " update QIVA_CLINIC_SERVICES set name=replace(name,'a','b')\t\t\t\tupdate "
    "QIVA_CLINIC_SERVICES set validTo=NULL where validto='19000101 00:00'",
};

std::string Mutate(const std::string& text, std::mt19937& rng) {
  std::vector<tsql::Token> tokens;
  size_t bad = 0;
  if (!tsql::Tokenize(text, tokens, bad)) return text;
  std::vector<std::string> parts;
  for (const tsql::Token& t : tokens)
    if (t.kind != tsql::TokenKind::End) parts.push_back(text.substr(t.offset, t.length));
  const int edits = 1 + static_cast<int>(rng() % 3);
  for (int e = 0; e < edits && !parts.empty(); ++e) {
    const size_t i = rng() % parts.size();
    switch (rng() % 3) {
      case 0:
        parts.erase(parts.begin() + static_cast<long>(i));
        break;
      case 1:
        parts.insert(parts.begin() + static_cast<long>(i), parts[i]);
        break;
      default:
        std::swap(parts[i], parts[rng() % parts.size()]);
        break;
    }
  }
  std::string out;
  for (const std::string& p : parts) out += p + " ";
  return out;
}

class MutatedTextTest : public EngineTest {};

TEST_F(MutatedTextTest, BrokenTextsAreRunOrRefusedWithAMessage) {
  std::mt19937 rng(20201108);
  for (int round = 0; round < 3000; ++round) {
    const std::string sql = Mutate(kSeeds[round % (sizeof kSeeds / sizeof kSeeds[0])], rng);
    ResultSet rs;
    const bool ok = round % 2 ? engine_->execute(sql) : engine_->query(sql, rs);
    if (!ok) {
      EXPECT_FALSE(engine_->lastError().description.empty()) << sql;
      EXPECT_FALSE(engine_->lastError().providerErrors.empty()) << sql;
    }
  }
  // The engine still works after all of them.
  Exec("insert into QIVA_PERSON_STATES (code,description) values ('ok','ok')");
  EXPECT_EQ(Value("select count(*) n from QIVA_PERSON_STATES where code = 'ok'"), "1");
}

}  // namespace
}  // namespace qiva::db::testing
