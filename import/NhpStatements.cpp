// NhpStatements.cpp: the exact statement texts of the national health programme import. Every
// value between quotes has its single quotes doubled by FillTemplate; the two flags stand
// unquoted and are integers rendered here, so no value can stand there as text.
#include "import/NhpStatements.h"

#include <string>

#include "import/toolkit/SqlText.h"

namespace qiva::import::nhp {
namespace {

// The end of validity, last value of both inserts: converted with style 120 when the file gives
// one, the word null when it is absent or empty. Both forms end with a blank.
std::string validToPiece(const RecordReader& r) { return ConvertedValidTo(r.text("VALIDTO"), " "); }

}  // namespace

const std::string_view kDropIndicators = "drop table QIVA_NHP_INDICATORS ";

const std::string_view kIndicatorsTableTest =
    "SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_TYPE='BASE TABLE' and "
    "TABLE_NAME='QIVA_NHP_INDICATORS' ";

const std::string_view kCreateIndicators =
    "CREATE TABLE [dbo].[QIVA_NHP_INDICATORS]("
    "\t\t\t\t\t\t[ID] [int] IDENTITY(1,1) NOT NULL,"
    "\t\t\t\t\t\t[CODE] [varchar](20) NOT NULL,"
    "\t\t\t\t\t\t[DESCRIPTION] [varchar](255) NOT NULL,"
    "\t\t\t\t\t\t[VALID_FROM] [datetime] NOT NULL,"
    "\t\t\t\t\t\t[VALID_TO] [datetime] NULL,"
    "\t\t\t\t\t\t[NHPCode] [varchar](30) NOT NULL,"
    "\t\t\t\t\t\t[HAS_BUDGET] [bit] NOT NULL,"
    "\t\t\t\t\t\t[allowCorrection] bit NOT NULL default 0"
    "\t\t\t\t\t CONSTRAINT [PK_QIVA_NHP_INDICATORS] PRIMARY KEY CLUSTERED "
    "\t\t\t\t\t("
    "\t\t\t\t\t\t[ID] ASC"
    "\t\t\t\t\t)WITH (PAD_INDEX  = OFF, STATISTICS_NORECOMPUTE  = OFF, IGNORE_DUP_KEY = OFF, "
    "ALLOW_ROW_LOCKS  = ON, ALLOW_PAGE_LOCKS  = ON) ON [PRIMARY]"
    "\t\t\t\t\t) ON [PRIMARY] ";

const std::string_view kSuppliesTableTest =
    "SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_TYPE='BASE TABLE' and "
    "TABLE_NAME='QIVA_MEDICAL_SUPPLIES' ";

const std::string_view kCreateSupplies =
    "CREATE TABLE [dbo].[QIVA_MEDICAL_SUPPLIES]( "
    "\t\t\t\t\t\t[ID] [int] IDENTITY(1,1) NOT NULL,"
    "\t\t\t\t\t\t[Code] [varchar](100) NOT NULL,"
    "\t\t\t\t\t\t[Description] [varchar](500) NULL,"
    "\t\t\t\t\t\t[ValidFrom] [datetime] NOT NULL,"
    "\t\t\t\t\t\t[ValidTo] [datetime] NULL,"
    "\t\t\t\t\t CONSTRAINT [PK_QIVA_MEDICAL_SUPPLIES] PRIMARY KEY CLUSTERED "
    "\t\t\t\t\t("
    "\t\t\t\t\t\t[ID] ASC"
    "\t\t\t\t\t)WITH (PAD_INDEX  = OFF, STATISTICS_NORECOMPUTE  = OFF, IGNORE_DUP_KEY = OFF, "
    "ALLOW_ROW_LOCKS  = ON, ALLOW_PAGE_LOCKS  = ON) ON [PRIMARY]"
    "\t\t\t\t\t) ON [PRIMARY] ";

const std::string_view kWidenSuppliesCode =
    "alter table QIVA_MEDICAL_SUPPLIES alter column code varchar(100)";

const std::string_view kDeleteSupplies = "delete from QIVA_MEDICAL_SUPPLIES ";
const std::string_view kDeleteIndicators = "delete from QIVA_NHP_INDICATORS ";

RecordStatement MedicalSupplyInsert(const RecordReader& r) {
  std::string sql = " insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) ";
  sql += FillTemplate("VALUES ('%s','%s',convert (datetime,'%s',120), ",
                      {r.text("CODE"), r.text("DESCRIPTION"), r.text("VALIDFROM")});
  sql += validToPiece(r);
  sql += ")";
  return {std::move(sql), {}};
}

RecordStatement IndicatorInsert(const RecordReader& r) {
  std::string sql =
      " insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,"
      "ALLOWCORRECTION,VALID_TO ) ";
  RecordStatement statement;
  sql += FillTemplate("VALUES ('%s','%s',convert (datetime,'%s',120),'%s',%d,%d, ",
                      {r.text("CODE"), r.text("DESCRIPTION"), r.text("VALIDFROM"), r.text("NHP"),
                       IntegerForStatement(r, "HASBUDGET", statement),
                       IntegerForStatement(r, "ALLOWCORRECTION", statement)});
  sql += validToPiece(r);
  sql += ")";
  statement.sql = std::move(sql);
  return statement;
}

}  // namespace qiva::import::nhp
