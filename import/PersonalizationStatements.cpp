// PersonalizationStatements.cpp: the exact statement texts of the provider personalisation
// import. Quoted values have their single quotes doubled by FillTemplate; the two values that
// stand unquoted are checked (increasePercentProfDegree) or rendered here (tariff, quantity).
#include "import/PersonalizationStatements.h"

#include "import/toolkit/SqlText.h"

namespace qiva::import::personalization {

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
  RequirePlainNumber(statement, "increasePercentProfDegree", degree);
  return statement;
}

RecordStatement ServiceInsert(const RecordReader& r) {
  RecordStatement statement;
  // Held in double precision and written with two decimals; one that cannot be written (beyond
  // the double range, or more digits than a numeric literal may have) skips the record.
  const std::string tariff = RealForStatement(r, "tariff", RealPrecision::Double, 2, statement);
  statement.sql = FillTemplate(
      "insert into QIVA_P_SERVICES (code,tariff,quantity,validfrom,validTo) values "
      "('%s',%0.2f,%d,'%s','%s')",
      {r.text("code"), tariff, IntegerForStatement(r, "quantity", statement), r.text("validFrom"),
       r.text("validTo")});
  return statement;
}

}  // namespace qiva::import::personalization
