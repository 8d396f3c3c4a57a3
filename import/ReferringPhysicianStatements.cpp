// ReferringPhysicianStatements.cpp: the exact statement texts of the referring physicians
// import. Every value stands between quotes and has its single quotes doubled by FillTemplate,
// so a name such as O'Brien is stored as written.
#include "import/ReferringPhysicianStatements.h"

#include <initializer_list>

#include "base/TextUtil.h"
#include "import/toolkit/SqlText.h"

namespace qiva::import::physicians {
namespace {

// The closing part of both inserts: the end of validity, or null when there is none.
std::string validToClosing(std::string_view validTo) {
  if (validTo.empty()) return "null )";
  return FillTemplate("convert (datetime,'%s',120) )", {validTo});
}

std::string missing(const RecordReader& r, std::initializer_list<std::string_view> names) {
  std::string list;
  for (std::string_view name : names) {
    if (r.has(name)) continue;
    if (!list.empty()) list += ", ";
    list.append(name);
  }
  return list;
}

// The letter the system's tables keep without its cedilla.
void plainS(std::string& text) { ReplaceAll(text, "\xC5\x9E", "S"); }

}  // namespace

NameParts SplitName(std::string_view name) {
  NameParts parts;
  const std::size_t blank = name.rfind(' ');
  if (blank == std::string_view::npos) {
    parts.lastName = std::string(name);
  } else {
    parts.firstName = std::string(name.substr(0, blank));
    parts.lastName = std::string(name.substr(blank + 1));
  }
  plainS(parts.firstName);
  plainS(parts.lastName);
  return parts;
}

std::string MissingPhysicianAttributes(const RecordReader& r) {
  return missing(r, {"Name", "stencil", "validFrom"});
}

std::string MissingSpecialityAttributes(const RecordReader& r) { return missing(r, {"stencil"}); }

RecordStatement PhysicianInsert(const RecordReader& r) {
  const std::string_view name = r.text("Name");
  const NameParts parts = SplitName(name);
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_PHYSICIANS (PID,NAME,LASTNAME,FIRSTNAME,STENCIL,VALIDFROM,VALIDTO)"
      "\t\t\t\t\t\tVALUES ('%s','%s','%s','%s','%s',convert (datetime,'%s',120), ",
      {"", name, parts.lastName, parts.firstName, r.text("stencil"), r.text("validFrom")});
  sql += validToClosing(r.text("validTo"));
  return {std::move(sql), {}};
}

RecordStatement SpecialityInsert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_PHYSICIAN_SPECIALITIES (STENCIL,CONTRACTNO,INSURANCEHOUSE,CONTRACTTYPE,"
      "PHYSICIANTYPE,SPECIALITYCODE,VALIDFROM,VALIDTO)\t\t\t\t\t\tVALUES ('%s','%s','%s','%s',"
      "'%s','%s',convert (datetime,'%s',120), ",
      {r.text("stencil"), r.text("contractNo"), r.text("insuranceHouse"), r.text("contractType"),
       r.text("physicianType"), r.text("specialityCode"), r.text("validFrom")});
  sql += validToClosing(r.text("validTo"));
  return {std::move(sql), {}};
}

}  // namespace qiva::import::physicians
