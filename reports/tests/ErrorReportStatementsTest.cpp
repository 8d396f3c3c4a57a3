// The exact statement texts of the two error report imports: the quoted clauses of the table
// creation in their order, and the inserts that the routine tests do not check whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/ErrorReportStatements.h"

namespace {

using namespace qiva::reports;

TEST(ErrorReportStatements, tableCreationIsOneGuardedTextWithItsClausesInOrder) {
  const std::string& text = ErrorFileTablesStatement();
  const std::string guard =
      "if not exists (select * from dbo.sysobjects where id = "
      "object_id(N'[dbo].[E_QIVA_ERROR_FILES]') and OBJECTPROPERTY(id, N'IsUserTable') = 1)begin";
  EXPECT_EQ(text.rfind(guard + "\tCREATE TABLE [dbo].[E_QIVA_ERROR_FILES] (\t", 0), 0u);
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text.substr(text.size() - 3), "end");
  EXPECT_EQ(text.find('\n'), std::string::npos);
  const std::vector<std::string> inOrder = {
      "CREATE TABLE [dbo].[E_QIVA_ERROR_FILES] (",
      "[ID] [int] IDENTITY (1, 1) NOT NULL ,",
      "[FileName] [varchar] (100) COLLATE SQL_Latin1_General_CP1_CI_AS NULL ,",
      "[ExportType] [varchar] (20) COLLATE SQL_Latin1_General_CP1_CI_AS NULL ,",
      "[InsertedDate] [datetime] NOT NULL ",
      ") ON [PRIMARY]",
      "CREATE TABLE [dbo].[E_QIVA_ERROR_FILES_DETAILED] (",
      "[ErrorFileID] [int] NOT NULL ,",
      "[NodeName] [varchar] (100) COLLATE SQL_Latin1_General_CP1_CI_AS NULL ,",
      "[AppID] [int] NOT NULL ,",
      "[IsValid] [bit] NOT NULL ,",
      "[ErrorCode] [varchar] (20) COLLATE SQL_Latin1_General_CP1_CI_AS NOT NULL ,",
      ") ON [PRIMARY]",
      "ALTER TABLE [dbo].[E_QIVA_ERROR_FILES] WITH NOCHECK ADD ",
      "CLUSTERED",
      "ON [PRIMARY]",
      "ALTER TABLE [dbo].[E_QIVA_ERROR_FILES_DETAILED] WITH NOCHECK ADD ",
      "CLUSTERED",
      "ON [PRIMARY]",
      "[DF_E_QIVA_ERROR_FILES_InsertedDate] DEFAULT (getdate()) FOR [InsertedDate]",
      "ALTER TABLE [dbo].[E_QIVA_ERROR_FILES_DETAILED] ADD ",
      "[DF_E_QIVA_ERROR_FILES_DETAILED_IsValid] DEFAULT (0) FOR [IsValid],",
      "[DF_E_QIVA_ERROR_FILES_DETAILED_InsertedDate] DEFAULT (getdate()) FOR [InsertedDate]",
      " CREATE  INDEX [IX_E_QIVA_ERROR_FILES_DETAILED] ON "
      "[dbo].[E_QIVA_ERROR_FILES_DETAILED]([ErrorFileID]) ON [PRIMARY]",
      "[FK_E_QIVA_ERROR_FILES_DETAILED_E_QIVA_ERROR_FILES] FOREIGN KEY",
      "REFERENCES [dbo].[E_QIVA_ERROR_FILES]",
  };
  std::size_t at = guard.size();
  for (const std::string& clause : inOrder) {
    const std::size_t found = text.find(clause, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << clause;
    at = found + clause.size();
  }
  // Each table's primary key is its own clustered key on ID.
  EXPECT_NE(text.find("[PK_E_QIVA_ERROR_FILES] PRIMARY KEY  CLUSTERED \t(\t[ID]\t)"),
            std::string::npos);
  EXPECT_NE(text.find("[PK_E_QIVA_ERROR_FILES_DETAILED] PRIMARY KEY  CLUSTERED \t(\t[ID]\t)"),
            std::string::npos);
}

// The routine tests check the other inserts whole; these two are the forms they do not reach.
TEST(ErrorReportStatements, nestedErrorsHaveNoNodeNameAndQuotesAreDoubledOnce) {
  EXPECT_EQ(NestedErrorInsert(2147483647, -5, "E'1"),
            "INSERT INTO E_QIVA_ERROR_FILES_DETAILED (errorFileID,appID,ErrorCode) values "
            "(2147483647,-5,'E''1')");
  EXPECT_EQ(ErrorFileRowInsert("O'Hara_a_b_c_d.xml", "O'Hara"),
            "INSERT INTO E_QIVA_ERROR_FILES (fileName,exportType) values "
            "('O''Hara_a_b_c_d.xml','O''Hara')");
}

}  // namespace
