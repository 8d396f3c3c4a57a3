// Tests of the reference schema read from the shipped scripts and of a catalogue measured
// against it: which column types hold what the reference's hold, and what is named missing.
#include <gtest/gtest.h>

#include "db/SchemaCheck.h"

namespace {

using qiva::db::ColumnType;
using qiva::db::HoldsEveryValueOf;
using qiva::db::TypeText;

TEST(SchemaCheck, aColumnHoldsTheReferencesValuesOnlyWithTheirKindLengthDigitsAndDecimals) {
  struct Case {
    ColumnType found, expected;
    bool holds;
  };
  const ColumnType varchar120{"varchar", 120};
  const std::vector<Case> cases = {
      {{"varchar", 120}, varchar120, true},
      {{"nvarchar", 200}, varchar120, true},
      {{"varchar", -1}, varchar120, true},
      {{"text"}, varchar120, true},
      {{"varchar", 50}, varchar120, false},
      {{"int"}, varchar120, false},
      {{"varchar", 8000}, {"varchar", -1}, false},
      {{"bigint"}, {"int"}, true},
      {{"smallint"}, {"int"}, false},
      {{"decimal", 0, 10, 0}, {"int"}, true},
      {{"decimal", 0, 9, 0}, {"int"}, false},
      {{"decimal", 0, 18, 2}, {"decimal", 0, 18, 2}, true},
      {{"decimal", 0, 20, 4}, {"decimal", 0, 18, 2}, true},
      {{"decimal", 0, 18, 4}, {"decimal", 0, 18, 2}, false},  // two integer digits fewer
      {{"decimal", 0, 18, 1}, {"decimal", 0, 18, 2}, false},
      {{"money"}, {"decimal", 0, 18, 2}, false},
      {{"float"}, {"decimal", 0, 18, 2}, true},
      {{"real"}, {"float"}, false},
      {{"datetime2"}, {"datetime"}, true},
      {{"smalldatetime"}, {"datetime"}, false},
      {{"date"}, {"datetime"}, false},
      {{"int"}, {"bit"}, true},
      {{"varchar", 1}, {"bit"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TypeText(c.found) + " for " + TypeText(c.expected));
    EXPECT_EQ(HoldsEveryValueOf(c.found, c.expected), c.holds);
  }
  EXPECT_EQ(TypeText({"varchar", -1}), "varchar(max)");
  EXPECT_EQ(TypeText({"decimal", 0, 18, 2}), "decimal(18,2)");
}

TEST(SchemaCheck, theShippedReferenceHoldsTheTablesTheProcedureAndTheLocationColumns) {
  const qiva::db::ReferenceSchema& reference = qiva::db::ShippedReferenceSchema();
  ASSERT_FALSE(reference.tables.empty());
  EXPECT_EQ(reference.tables.front(), "QIVA_LABORATORIES_SERVICES");
  EXPECT_EQ(reference.tables.back(), "n_locations");
  EXPECT_EQ(reference.procedures, std::vector<std::string>{"QIVA_PHYSICIANS_ACTIVATE"});
  EXPECT_EQ(reference.locationColumns.size(), 6u);
  bool found = false;
  for (const auto& c : reference.columns) {
    if (c.table == "QIVA_PHYSICIANS" && c.column == "NAME") {
      found = true;
      EXPECT_EQ(TypeText(c.type), "varchar(1024)");
    }
  }
  EXPECT_TRUE(found);
}

TEST(SchemaCheck, namesMissingTablesColumnsProceduresAndNarrowerColumnsWithBothTypes) {
  const qiva::db::ReferenceSchema reference = qiva::db::ReadReferenceSchema(
      "CREATE TABLE A (id int NOT NULL, code varchar(20) NULL, amount decimal(18,2) NULL)\n"
      "GO\nCREATE TABLE B (id int NOT NULL)\nGO\nCREATE PROCEDURE P AS SELECT 1\nGO\n",
      "IF NOT EXISTS (SELECT * FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_NAME = 'A' AND "
      "COLUMN_NAME = 'locationid')\n ALTER TABLE [dbo].[A] ADD [locationid] [int] NULL\nGO\n");
  ASSERT_EQ(reference.locationColumns.size(), 1u);
  // Names compare in any case; a column beyond the reference's is no fault.
  const std::vector<qiva::db::CatalogColumn> catalogue = {
      {"a", "ID", {"int"}}, {"A", "code", {"varchar", 10}}, {"A", "extra", {"int"}}};
  const qiva::db::SchemaDifferences d = CompareWithReference(reference, catalogue, {"p"});
  EXPECT_EQ(d.missingTables, std::vector<std::string>{"B"});
  EXPECT_EQ(d.missingColumns, std::vector<std::string>{"A.amount"});
  ASSERT_EQ(d.narrowerColumns.size(), 1u);
  EXPECT_EQ(TypeText(d.narrowerColumns[0].found), "varchar(10)");
  EXPECT_EQ(TypeText(d.narrowerColumns[0].expected), "varchar(20)");
  EXPECT_TRUE(d.missingProcedures.empty());
  EXPECT_EQ(CompareWithReference(reference, catalogue, {}).missingProcedures,
            std::vector<std::string>{"P"});
  EXPECT_FALSE(d.none());
}

}  // namespace
