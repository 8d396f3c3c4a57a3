// DayTariffStatements.cpp: the exact statement texts of the day-hospital tariffs import. Quoted
// values have their single quotes doubled by FillTemplate; the tariff and the contracted count
// are written unquoted as the file gives them, so they must be plain numbers to be sent.
#include "import/DayTariffStatements.h"

#include <string_view>

#include "import/toolkit/SqlText.h"

namespace qiva::import::daytariffs {
namespace {

// The end of validity: converted with style 120 when given, the word null when absent or empty.
std::string validToPiece(const RecordReader& r) { return ConvertedValidTo(r.text("validTo"), " "); }

// The statement, with the reasons it cannot be sent: the two required attributes must be
// present, and the two unquoted values must be plain numbers.
RecordStatement checked(std::string sql, const RecordReader& r) {
  RecordStatement statement{std::move(sql), {}};
  for (std::string_view required : {"code", "validFrom"}) {
    if (!r.has(required)) statement.addSkipReason(std::string(required) + " is missing");
  }
  for (std::string_view number : {"tariff", "noContractedDailyServices"}) {
    if (!r.has(number)) {
      statement.addSkipReason(std::string(number) + " is missing");
    } else {
      RequirePlainNumber(statement, number, r.text(number));
    }
  }
  return statement;
}

std::string deleteFrom(std::string_view table, const Location& location) {
  std::string sql = FillTemplate(" delete from %s ", {table});
  if (location) sql += FillTemplate(" where locationid=%ld ", {IntText(*location)});
  return sql;
}

// Ends an insert: the VALIDTO piece, the location id when there is one, the closing bracket.
void appendTail(std::string& sql, const RecordReader& r, const Location& location) {
  sql += validToPiece(r);
  if (location) sql += FillTemplate(",%ld", {IntText(*location)});
  sql += ")";
}

}  // namespace

std::string DailyCasesDelete(const Location& location) {
  return deleteFrom("QIVA_DAILY_CASES_TARIFFS", location);
}

std::string DailyServicesDelete(const Location& location) {
  return deleteFrom("QIVA_DAILY_SERVICES_TARIFFS", location);
}

RecordStatement DailyCaseInsert(const RecordReader& r, const Location& location) {
  std::string sql =
      "INSERT INTO QIVA_DAILY_CASES_TARIFFS (SERVICE_CODE,NAME,DEPARTMENT_CODE,TARIFF,"
      "NO_CONTRACTED_DAILY_CASES,VALID_FROM,VALID_TO";
  if (location) sql += ", locationID ";
  sql += ")";
  // The contracted cases come from the attribute the day services use too.
  sql += FillTemplate("VALUES ('%s','%s','%s',%s,%s,convert (datetime,'%s',120), ",
                      {r.text("code"), r.text("name"), r.text("dept_code"), r.text("tariff"),
                       r.text("noContractedDailyServices"), r.text("validFrom")});
  appendTail(sql, r, location);
  return checked(std::move(sql), r);
}

RecordStatement DailyServiceInsert(const RecordReader& r, const Location& location) {
  std::string sql =
      "INSERT INTO QIVA_DAILY_SERVICES_TARIFFS (CODE,TARIFF,NOCONTRACTEDDAILYSERVICES,VALID_FROM,"
      "VALID_TO";
  if (location) sql += ", locationID ";
  sql += ")";
  sql += FillTemplate(
      "VALUES ('%s',%s,%s,convert (datetime,'%s',120), ",
      {r.text("code"), r.text("tariff"), r.text("noContractedDailyServices"), r.text("validFrom")});
  appendTail(sql, r, location);
  return checked(std::move(sql), r);
}

}  // namespace qiva::import::daytariffs
