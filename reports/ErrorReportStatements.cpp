// ErrorReportStatements.cpp: the exact statement texts of the two error report imports. Text
// values go through FillTemplate, which doubles their single quotes; numbers are rendered here.
#include "reports/ErrorReportStatements.h"

#include "import/toolkit/SqlText.h"

namespace qiva::reports {
namespace {

using import::FillTemplate;
using import::IntText;

// The clauses of the table creation, in the order they run; one tab stands between them.
constexpr std::string_view kTableClauses[] = {
    "if not exists (select * from dbo.sysobjects where id = "
    "object_id(N'[dbo].[E_QIVA_ERROR_FILES]') and OBJECTPROPERTY(id, N'IsUserTable') = 1)begin",
    "CREATE TABLE [dbo].[E_QIVA_ERROR_FILES] (",
    "[ID] [int] IDENTITY (1, 1) NOT NULL ,",
    "[FileName] [varchar] (100) COLLATE SQL_Latin1_General_CP1_CI_AS NULL ,",
    "[ExportType] [varchar] (20) COLLATE SQL_Latin1_General_CP1_CI_AS NULL ,",
    "[InsertedDate] [datetime] NOT NULL ",
    ") ON [PRIMARY]",
    "CREATE TABLE [dbo].[E_QIVA_ERROR_FILES_DETAILED] (",
    "[ID] [int] IDENTITY (1, 1) NOT NULL ,",
    "[ErrorFileID] [int] NOT NULL ,",
    "[NodeName] [varchar] (100) COLLATE SQL_Latin1_General_CP1_CI_AS NULL ,",
    "[AppID] [int] NOT NULL ,",
    "[IsValid] [bit] NOT NULL ,",
    "[ErrorCode] [varchar] (20) COLLATE SQL_Latin1_General_CP1_CI_AS NOT NULL ,",
    "[InsertedDate] [datetime] NOT NULL ",
    ") ON [PRIMARY]",
    "ALTER TABLE [dbo].[E_QIVA_ERROR_FILES] WITH NOCHECK ADD ",
    "CONSTRAINT [PK_E_QIVA_ERROR_FILES] PRIMARY KEY  CLUSTERED ",
    "(",
    "[ID]",
    ")  ON [PRIMARY] ",
    "ALTER TABLE [dbo].[E_QIVA_ERROR_FILES_DETAILED] WITH NOCHECK ADD ",
    "CONSTRAINT [PK_E_QIVA_ERROR_FILES_DETAILED] PRIMARY KEY  CLUSTERED ",
    "(",
    "[ID]",
    ")  ON [PRIMARY] ",
    "ALTER TABLE [dbo].[E_QIVA_ERROR_FILES] ADD ",
    "CONSTRAINT [DF_E_QIVA_ERROR_FILES_InsertedDate] DEFAULT (getdate()) FOR [InsertedDate]",
    "ALTER TABLE [dbo].[E_QIVA_ERROR_FILES_DETAILED] ADD ",
    "CONSTRAINT [DF_E_QIVA_ERROR_FILES_DETAILED_IsValid] DEFAULT (0) FOR [IsValid],",
    "CONSTRAINT [DF_E_QIVA_ERROR_FILES_DETAILED_InsertedDate] DEFAULT (getdate()) FOR "
    "[InsertedDate]",
    " CREATE  INDEX [IX_E_QIVA_ERROR_FILES_DETAILED] ON "
    "[dbo].[E_QIVA_ERROR_FILES_DETAILED]([ErrorFileID]) ON [PRIMARY]",
    "ALTER TABLE [dbo].[E_QIVA_ERROR_FILES_DETAILED] ADD ",
    "CONSTRAINT [FK_E_QIVA_ERROR_FILES_DETAILED_E_QIVA_ERROR_FILES] FOREIGN KEY ",
    "(",
    "[ErrorFileID]",
    ") REFERENCES [dbo].[E_QIVA_ERROR_FILES] (",
    "[ID]",
    ")",
    "end",
};

std::string joinClauses() {
  std::string text;
  for (std::string_view clause : kTableClauses) {
    if (!text.empty()) text += '\t';
    text.append(clause);
  }
  return text;
}

}  // namespace

const std::string& ErrorFileTablesStatement() {
  static const std::string kText = joinClauses();
  return kText;
}

std::string ErrorFileRowInsert(std::string_view fileName, std::string_view exportType) {
  return FillTemplate("INSERT INTO E_QIVA_ERROR_FILES (fileName,exportType) values ('%s','%s')",
                      {fileName, exportType});
}

std::string RecordErrorInsert(std::int32_t fileId, std::int32_t appId, std::string_view code,
                              std::string_view nodeName) {
  return FillTemplate(
      "INSERT INTO E_QIVA_ERROR_FILES_DETAILED (errorFileID,appID,ErrorCode,"
      "nodeName) values (%ld,%ld,'%s','%s')",
      {IntText(fileId), IntText(appId), code, nodeName});
}

std::string FeedbackErrorInsert(std::int32_t fileId, std::int32_t appId, std::string_view code,
                                int isValid, std::string_view nodeName) {
  return FillTemplate(
      "INSERT INTO E_QIVA_ERROR_FILES_DETAILED (errorFileID,appID,ErrorCode,"
      "isValid,nodeName) values (%ld,%ld,'%s',%d,'%s')",
      {IntText(fileId), IntText(appId), code, IntText(isValid), nodeName});
}

std::string NestedErrorInsert(std::int32_t fileId, std::int32_t appId, std::string_view code) {
  return FillTemplate(
      "INSERT INTO E_QIVA_ERROR_FILES_DETAILED (errorFileID,appID,ErrorCode) "
      "values (%ld,%ld,'%s')",
      {IntText(fileId), IntText(appId), code});
}

std::string StockErrorInsert(std::int32_t appId, std::string_view code, std::string_view comments) {
  return FillTemplate(
      "INSERT INTO QIVA_STOCKS_ERRORS_RETURNED (appID,ErrorCode,Comments) "
      "values (%ld,'%s','%s')",
      {IntText(appId), code, comments});
}

}  // namespace qiva::reports
