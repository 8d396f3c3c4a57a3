// SchemaCheck.h: the reference schema (the tables, columns and procedure of the scripts in
// db/schema/, which also create every new embedded database) and a database's catalogue
// measured against it: what is missing and which columns cannot hold what the imports write.
// Reading the catalogue belongs to the caller; no connection here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qiva::db {

// A column's type as INFORMATION_SCHEMA.COLUMNS gives it.
struct ColumnType {
  std::string dataType;  // lower case: varchar, int, decimal, datetime, ...
  int length = 0;        // characters of a text type, -1 for max; 0 for other types
  int precision = 0;     // decimal and numeric only; 0 otherwise
  int scale = 0;
};

// The type as T-SQL writes it: "varchar(120)", "varchar(max)", "decimal(18,2)", "int".
std::string TypeText(const ColumnType& type);

// True when a column of type `found` holds every value that one of type `expected` holds: the
// same kind of value (text, whole number, exact or approximate number, date and time, bit)
// with at least the length, the integer digits and the decimals.
bool HoldsEveryValueOf(const ColumnType& found, const ColumnType& expected);

struct CatalogColumn {
  std::string table;
  std::string column;
  ColumnType type;
};

struct ReferenceSchema {
  std::vector<std::string> tables;  // in the order the script creates them
  std::vector<CatalogColumn> columns;
  std::vector<std::string> procedures;
  // The per-location columns that the locations script adds (all or none of them).
  std::vector<CatalogColumn> locationColumns;
};

// The reference read from the two scripts' texts; statements other than CREATE TABLE, CREATE
// PROCEDURE and (in the locations script) ALTER TABLE ... ADD are passed over.
ReferenceSchema ReadReferenceSchema(std::string_view schemaScript,
                                    std::string_view locationsScript);

// The reference of the scripts built into the program, read once.
const ReferenceSchema& ShippedReferenceSchema();

struct NarrowerColumn {
  std::string table;
  std::string column;
  ColumnType found;
  ColumnType expected;
};

// What a database lacks against the reference. Names compare without regard to case (as
// under SQL Server's default collation); a column of a missing table is not listed again.
struct SchemaDifferences {
  std::vector<std::string> missingTables;
  std::vector<std::string> missingColumns;  // "TABLE.column"
  std::vector<NarrowerColumn> narrowerColumns;
  std::vector<std::string> missingProcedures;
  bool none() const {
    return missingTables.empty() && missingColumns.empty() && narrowerColumns.empty() &&
           missingProcedures.empty();
  }
};

// Measures the catalogue's `columns` and `procedures` against `reference` (its tables,
// columns and procedures; the location columns are the caller's to judge).
SchemaDifferences CompareWithReference(const ReferenceSchema& reference,
                                       const std::vector<CatalogColumn>& columns,
                                       const std::vector<std::string>& procedures);

}  // namespace qiva::db
