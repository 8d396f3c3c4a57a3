// PersonalizationStatements.cpp: the exact statement texts of the provider personalisation
// import. Quoted values have their single quotes doubled by FillTemplate; the two values that
// stand unquoted are checked (increasePercentProfDegree) or rendered here (tariff, quantity).
#include "import/PersonalizationStatements.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>

#include "import/SqlText.h"

namespace qiva::import::personalization {
namespace {

// SQL Server reads no numeric literal of more digits than this.
constexpr std::ptrdiff_t kMaxLiteralDigits = 38;

// The tariff with two decimals; sets `skipReason` when it cannot stand as a SQL number.
std::string tariffText(const RecordReader& r, std::string& skipReason) {
  const double tariff = r.realDouble("tariff");
  if (!std::isfinite(tariff)) {
    skipReason = "tariff is not a finite number: '" + std::string(r.text("tariff")) + "'";
    return FixedText(tariff, 2);
  }
  std::string text = FixedText(tariff, 2);
  const auto digits =
      std::count_if(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
  if (digits > kMaxLiteralDigits) {
    skipReason = "tariff has more digits than a SQL number can hold: '" +
                 std::string(r.text("tariff")) + "'";
  }
  return text;
}

}  // namespace

RecordStatement ProviderInsert(const RecordReader& r) {
  return {FillTemplate(" insert into QIVA_P_PROVIDER (CODE,NAME,UIC) values ('%s','%s','%s')",
                       {r.text("CODE"), r.text("NAME"), r.text("UIC")}),
          {}};
}

RecordStatement ProviderUpdate(const RecordReader& r, std::int32_t id) {
  return {FillTemplate(" update QIVA_P_PROVIDER set CODE='%s', NAME='%s', UIC='%s' where id=%d",
                       {r.text("CODE"), r.text("NAME"), r.text("UIC"), IntText(id)}),
          {}};
}

RecordStatement ContractInsert(const RecordReader& r) {
  return {
      FillTemplate(" insert into QIVA_P_CONTRACTS (contractNo,contractDate,validFrom,validTo,"
                   "orgUnitCode,categoryCode)\t\t\t\t\t\tvalues ('%s','%s','%s','%s','%s','%s')",
                   {r.text("contractNo"), r.text("contractDate"), r.text("validFrom"),
                    r.text("validTo"), r.text("orgUnitCode"), r.text("categoryCode")}),
      {}};
}

RecordStatement EmployeeInsert(const RecordReader& r) {
  return {
      FillTemplate("insert into QIVA_P_EMPLOYEES (pid,firstName,lastName,stencilNo) values "
                   "('%s','%s','%s','%s')",
                   {r.text("pid"), r.text("firstName"), r.text("lastName"), r.text("stencilNo")}),
      {}};
}

std::string EmployeeSpecialitiesDelete(std::string_view employeePid) {
  return FillTemplate("delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid='%s'",
                      {employeePid});
}

RecordStatement EmployeeSpecialityInsert(const RecordReader& r, std::string_view employeePid) {
  const std::string_view degree = r.text("increasePercentProfDegree");
  RecordStatement statement;
  statement.sql = FillTemplate(
      "insert into QIVA_P_EMPLOYEES_SPECIALITIES (employeePid,code,increasePercentProfDegree) "
      "values ('%s','%s',%s)",
      {employeePid, r.text("code"), degree});
  if (!IsPlainNumber(degree)) {
    statement.skipReason =
        "increasePercentProfDegree is not a number: '" + std::string(degree) + "'";
  }
  return statement;
}

RecordStatement ServiceInsert(const RecordReader& r) {
  RecordStatement statement;
  const std::string tariff = tariffText(r, statement.skipReason);
  statement.sql = FillTemplate(
      "insert into QIVA_P_SERVICES (code,tariff,quantity,validfrom,validTo) values "
      "('%s',%0.2f,%d,'%s','%s')",
      {r.text("code"), tariff, IntText(r.integer("quantity")), r.text("validFrom"),
       r.text("validTo")});
  return statement;
}

}  // namespace qiva::import::personalization
