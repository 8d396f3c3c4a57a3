// Exact statement texts of the national health programme import: the table preparation and,
// for each record kind, one record with every attribute and one with none (\t is one tab).
#include <gtest/gtest.h>

#include "import/NhpStatements.h"

namespace {

using namespace qiva::import;
using namespace qiva::import::nhp;

std::string sql(RecordStatement (*build)(const RecordReader&), const std::string& xml) {
  XmlParseResult result;
  const std::string tag = xml.substr(1, xml.find_first_of(" /", 1) - 1);
  XmlElement element = parseXmlText(xml.c_str(), tag, result);
  EXPECT_EQ(result.code, 0) << xml;
  RecordStatement statement = build(RecordReader(element));
  EXPECT_EQ(statement.skipReason, "") << xml;
  return statement.sql;
}

TEST(NhpStatements, tablePreparationKeepsItsTrailingBlanksAndTabs) {
  EXPECT_EQ(kDropIndicators, "drop table QIVA_NHP_INDICATORS ");
  EXPECT_EQ(kIndicatorsTableTest,
            "SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_TYPE='BASE TABLE' and "
            "TABLE_NAME='QIVA_NHP_INDICATORS' ");
  EXPECT_EQ(kSuppliesTableTest,
            "SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_TYPE='BASE TABLE' and "
            "TABLE_NAME='QIVA_MEDICAL_SUPPLIES' ");
  EXPECT_EQ(kCreateIndicators,
            "CREATE TABLE [dbo].[QIVA_NHP_INDICATORS](\t\t\t\t\t\t[ID] [int] IDENTITY(1,1) NOT "
            "NULL,\t\t\t\t\t\t[CODE] [varchar](20) NOT NULL,\t\t\t\t\t\t[DESCRIPTION] "
            "[varchar](255) NOT NULL,\t\t\t\t\t\t[VALID_FROM] [datetime] NOT NULL,\t\t\t\t\t\t"
            "[VALID_TO] [datetime] NULL,\t\t\t\t\t\t[NHPCode] [varchar](30) NOT NULL,\t\t\t\t\t\t"
            "[HAS_BUDGET] [bit] NOT NULL,\t\t\t\t\t\t[allowCorrection] bit NOT NULL default 0"
            "\t\t\t\t\t CONSTRAINT [PK_QIVA_NHP_INDICATORS] PRIMARY KEY CLUSTERED \t\t\t\t\t("
            "\t\t\t\t\t\t[ID] ASC\t\t\t\t\t)WITH (PAD_INDEX  = OFF, STATISTICS_NORECOMPUTE  = "
            "OFF, IGNORE_DUP_KEY = OFF, ALLOW_ROW_LOCKS  = ON, ALLOW_PAGE_LOCKS  = ON) ON "
            "[PRIMARY]\t\t\t\t\t) ON [PRIMARY] ");
  EXPECT_EQ(kCreateSupplies,
            "CREATE TABLE [dbo].[QIVA_MEDICAL_SUPPLIES]( \t\t\t\t\t\t[ID] [int] IDENTITY(1,1) "
            "NOT NULL,\t\t\t\t\t\t[Code] [varchar](100) NOT NULL,\t\t\t\t\t\t[Description] "
            "[varchar](500) NULL,\t\t\t\t\t\t[ValidFrom] [datetime] NOT NULL,\t\t\t\t\t\t"
            "[ValidTo] [datetime] NULL,\t\t\t\t\t CONSTRAINT [PK_QIVA_MEDICAL_SUPPLIES] PRIMARY "
            "KEY CLUSTERED \t\t\t\t\t(\t\t\t\t\t\t[ID] ASC\t\t\t\t\t)WITH (PAD_INDEX  = OFF, "
            "STATISTICS_NORECOMPUTE  = OFF, IGNORE_DUP_KEY = OFF, ALLOW_ROW_LOCKS  = ON, "
            "ALLOW_PAGE_LOCKS  = ON) ON [PRIMARY]\t\t\t\t\t) ON [PRIMARY] ");
  EXPECT_EQ(kWidenSuppliesCode, "alter table QIVA_MEDICAL_SUPPLIES alter column code varchar(100)");
  EXPECT_EQ(kDeleteSupplies, "delete from QIVA_MEDICAL_SUPPLIES ");
  EXPECT_EQ(kDeleteIndicators, "delete from QIVA_NHP_INDICATORS ");
}

TEST(NhpStatements, medicalSupplyWithEveryAttributeAndWithNone) {
  EXPECT_EQ(sql(MedicalSupplyInsert,
                "<MEDICALSUPPLY code=\"MS1\" description=\"Ace 4 mm pentru stilou O'Neill\" "
                "validfrom=\"2019-01-01\" VALIDTO=\"2030-12-31 23:59:59\"/>"),
            " insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) VALUES "
            "('MS1','Ace 4 mm pentru stilou O''Neill',convert (datetime,'2019-01-01',120), "
            "convert (datetime,'2030-12-31 23:59:59',120) )");
  EXPECT_EQ(sql(MedicalSupplyInsert, "<MEDICALSUPPLY/>"),
            " insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) VALUES "
            "('','',convert (datetime,'',120), null )");
}

TEST(NhpStatements, indicatorReadsItsFlagsAsIntegers) {
  EXPECT_EQ(
      sql(IndicatorInsert,
          "<NHP_INDICATOR code=\"P6.1\" description=\"Bolnavi tratati\" validFrom=\"2019-01-01\" "
          "NHP=\"P6\" hasBudget=\"1\" allowCorrection=\"0\" validTo=\"2022-12-31\"/>"),
      " insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,"
      "ALLOWCORRECTION,VALID_TO ) VALUES ('P6.1','Bolnavi tratati',convert "
      "(datetime,'2019-01-01',120),'P6',1,0, convert (datetime,'2022-12-31',120) )");
  EXPECT_EQ(sql(IndicatorInsert, "<NHP_INDICATOR/>"),
            " insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,"
            "ALLOWCORRECTION,VALID_TO ) VALUES ('','',convert (datetime,'',120),'',0,0, null )");
  // true is not a number; leading digits are read up to the first other character.
  EXPECT_EQ(
      sql(IndicatorInsert,
          "<NHP_INDICATOR code=\"X\" NHP=\"P'1\" hasBudget=\"true\" allowCorrection=\" 7x\"/>"),
      " insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,"
      "ALLOWCORRECTION,VALID_TO ) VALUES ('X','',convert (datetime,'',120),'P''1',0,7, "
      "null )");
}

}  // namespace
