// SchemaCheck.cpp: the reference schema read from the shipped scripts with the embedded
// engine's T-SQL parser, and the comparison of a catalogue with it.
#include "db/SchemaCheck.h"

#include <map>

#include "db/sqlite/SchemaScripts.h"
#include "db/sqlite/TSqlParser.h"

namespace qiva::db {
namespace {

enum class Kind { Text, Whole, Exact, Approximate, DateTime, Bit, Other };

Kind KindOf(const std::string& type) {
  for (const char* t : {"varchar", "nvarchar", "char", "nchar", "text", "ntext", "sysname"})
    if (type == t) return Kind::Text;
  for (const char* t : {"tinyint", "smallint", "int", "bigint"})
    if (type == t) return Kind::Whole;
  for (const char* t : {"decimal", "numeric", "money", "smallmoney"})
    if (type == t) return Kind::Exact;
  if (type == "float" || type == "real") return Kind::Approximate;
  for (const char* t : {"datetime", "datetime2", "smalldatetime", "date", "datetimeoffset"})
    if (type == t) return Kind::DateTime;
  if (type == "bit") return Kind::Bit;
  return Kind::Other;
}

// Decimal digits a whole-number type holds in full.
int WholeDigits(const std::string& type) {
  if (type == "tinyint") return 2;
  if (type == "smallint") return 4;
  if (type == "int") return 9;
  return 18;
}

// Precision and scale of an exact type (money is decimal(19,4)).
ColumnType ExactOf(const ColumnType& type) {
  if (type.dataType == "money") return {"decimal", 0, 19, 4};
  if (type.dataType == "smallmoney") return {"decimal", 0, 10, 4};
  return type;
}

bool TextHolds(const ColumnType& found, const ColumnType& expected) {
  const bool foundUnbounded =
      found.length < 0 || found.dataType == "text" || found.dataType == "ntext";
  if (foundUnbounded) return true;
  if (expected.length < 0) return false;
  return found.length >= expected.length;
}

bool ExactHolds(const ColumnType& found, const ColumnType& expected) {
  const ColumnType f = ExactOf(found);
  const ColumnType e = ExactOf(expected);
  return f.precision - f.scale >= e.precision - e.scale && f.scale >= e.scale;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

ColumnType TypeOf(const tsql::SqlTypeName& written) {
  ColumnType type;
  type.dataType = Lower(written.name);
  const Kind kind = KindOf(type.dataType);
  if (kind == Kind::Text && type.dataType != "text" && type.dataType != "ntext") {
    type.length = written.length == 0 ? 1 : written.length;
  }
  if (type.dataType == "decimal" || type.dataType == "numeric") {
    type.precision = written.precision == 0 ? 18 : written.precision;
    type.scale = written.scale;
  }
  return type;
}

void AddColumns(const std::string& table, const std::vector<tsql::ColumnDef>& defs,
                std::vector<CatalogColumn>& out) {
  for (const tsql::ColumnDef& def : defs) out.push_back({table, def.name, TypeOf(def.type)});
}

// Each batch's schema statements, IF bodies included (the locations script guards each ADD).
void Collect(const tsql::Statement& st, ReferenceSchema& reference, bool locations) {
  using K = tsql::Statement::Kind;
  if (st.kind == K::CreateTable && !locations) {
    reference.tables.push_back(st.table.name);
    AddColumns(st.table.name, st.columnDefs, reference.columns);
  } else if (st.kind == K::CreateProcedure && !locations) {
    reference.procedures.push_back(st.name);
  } else if (st.kind == K::AlterTable && locations && !st.alterColumn) {
    AddColumns(st.table.name, st.columnDefs, reference.locationColumns);
  }
  for (const tsql::StmtPtr& inner : st.body)
    if (inner) Collect(*inner, reference, locations);
}

void ReadScript(std::string_view script, ReferenceSchema& reference, bool locations) {
  for (const std::string& text : SplitScriptBatches(script)) {
    tsql::Batch batch;
    tsql::SyntaxError error;
    // The scripts are the engine's own and parse (its tests make sure of it).
    if (!tsql::ParseBatch(text, batch, error)) continue;
    for (const tsql::StmtPtr& st : batch.statements)
      if (st) Collect(*st, reference, locations);
  }
}

}  // namespace

std::string TypeText(const ColumnType& type) {
  const Kind kind = KindOf(type.dataType);
  if (kind == Kind::Text && type.dataType != "text" && type.dataType != "ntext") {
    return type.dataType + "(" +
           (type.length < 0 ? std::string("max") : std::to_string(type.length)) + ")";
  }
  if (type.dataType == "decimal" || type.dataType == "numeric") {
    return type.dataType + "(" + std::to_string(type.precision) + "," + std::to_string(type.scale) +
           ")";
  }
  return type.dataType;
}

bool HoldsEveryValueOf(const ColumnType& found, const ColumnType& expected) {
  const Kind f = KindOf(found.dataType);
  switch (KindOf(expected.dataType)) {
    case Kind::Text:
      return f == Kind::Text && TextHolds(found, expected);
    case Kind::Whole:
      if (f == Kind::Whole) return WholeDigits(found.dataType) >= WholeDigits(expected.dataType);
      if (f == Kind::Exact) {
        const ColumnType e = ExactOf(found);
        return e.scale == 0 && e.precision >= WholeDigits(expected.dataType) + 1;
      }
      return false;
    case Kind::Exact:
      return (f == Kind::Exact && ExactHolds(found, expected)) || found.dataType == "float";
    case Kind::Approximate:
      return found.dataType == "float" || found.dataType == expected.dataType;
    case Kind::DateTime:
      // smalldatetime ends in 2079 and has no seconds, date has no time: both lose values.
      return found.dataType == "datetime" || found.dataType == "datetime2" ||
             found.dataType == "datetimeoffset" || found.dataType == expected.dataType;
    case Kind::Bit:
      return f == Kind::Bit || f == Kind::Whole;
    case Kind::Other:
      return found.dataType == expected.dataType;
  }
  return false;
}

ReferenceSchema ReadReferenceSchema(std::string_view schemaScript,
                                    std::string_view locationsScript) {
  ReferenceSchema reference;
  ReadScript(schemaScript, reference, false);
  ReadScript(locationsScript, reference, true);
  return reference;
}

const ReferenceSchema& ShippedReferenceSchema() {
  static const ReferenceSchema reference =
      ReadReferenceSchema(TargetSchemaScript(), LocationsSchemaScript());
  return reference;
}

SchemaDifferences CompareWithReference(const ReferenceSchema& reference,
                                       const std::vector<CatalogColumn>& columns,
                                       const std::vector<std::string>& procedures) {
  std::map<std::string, const CatalogColumn*> found;  // by "TABLE.COLUMN" in capitals
  std::map<std::string, bool> tables;
  for (const CatalogColumn& c : columns) {
    found[Upper(c.table) + "." + Upper(c.column)] = &c;
    tables[Upper(c.table)] = true;
  }
  SchemaDifferences out;
  for (const std::string& table : reference.tables)
    if (!tables.count(Upper(table))) out.missingTables.push_back(table);
  for (const CatalogColumn& expected : reference.columns) {
    if (!tables.count(Upper(expected.table))) continue;
    const auto it = found.find(Upper(expected.table) + "." + Upper(expected.column));
    if (it == found.end()) {
      out.missingColumns.push_back(expected.table + "." + expected.column);
    } else if (!HoldsEveryValueOf(it->second->type, expected.type)) {
      out.narrowerColumns.push_back(
          {expected.table, expected.column, it->second->type, expected.type});
    }
  }
  for (const std::string& procedure : reference.procedures) {
    bool there = false;
    for (const std::string& p : procedures) there = there || Upper(p) == Upper(procedure);
    if (!there) out.missingProcedures.push_back(procedure);
  }
  return out;
}

}  // namespace qiva::db
