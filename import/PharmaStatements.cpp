// PharmaStatements.cpp: the exact statement texts of the pharmaceutical catalogues import. Every
// quoted value has its single quotes doubled once by FillTemplate (the fields that were written
// as read break their statement, or a whole batch, on an apostrophe otherwise); numbers are
// rendered here, independently of the process locale.
#include "import/PharmaStatements.h"

#include <string>
#include <string_view>

#include "db/SqlDateTime.h"
#include "import/toolkit/SqlText.h"

namespace qiva::import::pharma {
namespace {

// The style the statements convert their dates with.
constexpr int kDateStyle = 120;

// The precision of the decimal columns the prices are written for.
constexpr std::size_t kPricePrecision = 18;

// A real written with `decimals` decimals by the shared rule (a value that cannot stand in a
// statement skips the record), and marked to go alone when it has more whole digits than a
// decimal(18, decimals) column holds: the overflow would end the rest of a batch.
std::string real(const RecordReader& r, std::string_view name, int decimals,
                 RecordStatement& statement) {
  std::string text = RealForStatement(r, name, RealPrecision::Double, decimals, statement);
  std::size_t digits = 0;
  for (char c : text) digits += c >= '0' && c <= '9';
  // decimal(18, d) holds 18 - d whole digits: 18 digits in all with the d decimals written.
  if (digits > kPricePrecision) statement.sendAlone = true;
  return text;
}

// "1" when the value upper-cased is TRUE, "0" for any other value, "" when absent.
std::string_view flagText(const RecordReader& r, std::string_view name) {
  if (!r.has(name)) return {};
  return r.flag(name) ? "1" : "0";
}

// An integer held as -1 when absent; -1 (absent or written so) is written null. One beyond 32
// bits skips the record (IntegerForStatement).
std::string integerOrNull(const RecordReader& r, std::string_view name,
                          RecordStatement& statement) {
  if (!r.has(name)) return "null";
  std::string text = IntegerForStatement(r, name, statement);
  return text == "-1" ? std::string("null") : text;
}

// The common ending "convert (datetime,'%s',120) )" or "null )".
std::string validToClose(const RecordReader& r) {
  return ConvertedValidTo(r.text("validTo"), " )");
}

// The two-part ending's first part: "convert (datetime,'%s',120), " or "null, ".
std::string validToThen(const RecordReader& r) { return ConvertedValidTo(r.text("validTo"), ", "); }

std::string intText(const RecordReader& r, std::string_view name, RecordStatement& statement) {
  return IntegerForStatement(r, name, statement);
}

std::string flag(const RecordReader& r, std::string_view name) { return IntText(r.flag(name)); }

}  // namespace

std::string EmptyTable(std::string_view table) { return FillTemplate("delete from %s", {table}); }

RecordStatement DiseaseCategoryInsert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_DISEASE_CATEGORIES (CODE,DESCRIPTION,isChronicDisease,isAuctioned,"
      "VALIDFROM,VALIDTO)\t\t\t\t\t\tVALUES ('%s','%s',%d,%d,convert (datetime,'%s',120), ",
      {r.text("code"), r.text("description"), flag(r, "isChronicDisease"), flag(r, "isAuctioned"),
       r.text("validFrom")});
  sql += validToClose(r);
  return {std::move(sql), {}};
}

RecordStatement CopaymentListTypeInsert(const RecordReader& r) {
  RecordStatement statement;
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_COPAYMENT_LIST_TYPES (CODE,DESCRIPTION,[percent],VALIDFROM,drugMaxNo,"
      "maxValue,VALIDTO)\t\t\t\t\t\tVALUES ('%s','%s',%d,convert (datetime,'%s',120), ",
      {r.text("code"), r.text("description"), intText(r, "percent", statement),
       r.text("validFrom")});
  sql += integerOrNull(r, "drugMaxNo", statement);
  sql += ',';
  sql += integerOrNull(r, "maxValue", statement);
  sql += ',' + validToClose(r);
  statement.sql = std::move(sql);
  return statement;
}

RecordStatement CopaymentListTypePersStateInsert(const RecordReader& r) {
  RecordStatement statement;
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_COPAYMENT_LIST_TYPE_PERS_STATE (copaymentListType,personState,[percent],"
      "VALIDFROM,VALIDTO)\t\t\t\t\t\tVALUES ('%s','%s',%d,convert (datetime,'%s',120), ",
      {r.text("copaymentListType"), r.text("personState"), intText(r, "percent", statement),
       r.text("validFrom")});
  sql += validToClose(r);
  statement.sql = std::move(sql);
  return statement;
}

RecordStatement CopaymentListDrugInsert(const RecordReader& r) {
  RecordStatement statement;
  statement.sql = FillTemplate(
      "INSERT INTO QIVA_COPAYMENT_LIST_DRUGS (copaymentListType,drug,maxPrice,maxPriceUT,"
      "copaymentValue,copaymentValue90,wholeSalePrice,referencePrice,specialLaw,needApproval,"
      "overValue,needSpecialty,classifInsulin,hgDci,hgAtc,diseaseCode,validFrom,validTo)"
      "\t\t\t\t\t\tVALUES ('%s','%s',%0.2f,%0.6f,%0.6f,%0.6f,%0.2f,%0.6f,%d,'%s',%0.2f,%d,%d,"
      "'%s','%s','%s',convert (datetime,'%s',120), ",
      {r.text("copaymentListType"), r.text("drug"), real(r, "maxPrice", 2, statement),
       real(r, "maxPriceUT", 6, statement), real(r, "copaymentValue", 6, statement),
       real(r, "copaymentValue90", 6, statement), real(r, "wholeSalePrice", 2, statement),
       real(r, "referencePrice", 6, statement), flag(r, "specialLaw"), r.text("needApproval"),
       real(r, "overValue", 2, statement), intText(r, "needSpecialty", statement),
       intText(r, "classifInsulin", statement), r.text("hgDci"), r.text("hgAtc"),
       r.text("diseaseCode"), r.text("validFrom")});
  statement.sql += validToClose(r);
  statement.sendAlone = statement.sendAlone || !DatesConvert(r);
  return statement;
}

RecordStatement PharmaceuticalFormInsert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_PHARMACEUTICAL_FORMS (code,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES "
      "('%s',convert (datetime,'%s',120), ",
      {r.text("code"), r.text("validFrom")});
  sql += validToClose(r);
  return {std::move(sql), {}};
}

RecordStatement ConcentrationInsert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_CONCENTRATIONS (concentration,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES "
      "('%s',convert (datetime,'%s',120), ",
      {r.text("concentration"), r.text("validFrom")});
  sql += validToClose(r);
  return {std::move(sql), {}, !DatesConvert(r)};
}

RecordStatement PrescriptionTypeInsert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_PRESCRIPTION_TYPES (code,description,VALID_FROM,VALID_TO,For_Narcotics)"
      "\t\t\t\t\t\tVALUES ('%s','%s',convert (datetime,'%s',120), ",
      {r.text("code"), r.text("description"), r.text("validFrom")});
  sql += validToThen(r);
  // Absent or empty: null; otherwise the flag text of the value.
  if (r.text("forNarcotics").empty()) {
    sql += "null)";
  } else {
    sql += FillTemplate("'%s')", {flagText(r, "forNarcotics")});
  }
  return {std::move(sql), {}};
}

RecordStatement NhpInsert(const RecordReader& r) {
  RecordStatement statement;
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_NHPS (code,description,VALID_FROM,VALID_TO,has_Ambulatory_Budget,"
      "has_Hospital_Budget)\t\t\t\t\t\tVALUES ('%s','%s',convert (datetime,'%s',120), ",
      {r.text("code"), r.text("description"), r.text("validFrom")});
  sql += validToThen(r);
  sql += FillTemplate("%d,%d )", {intText(r, "hasAmbulatoryBudget", statement),
                                  intText(r, "hasHospitalBudget", statement)});
  statement.sql = std::move(sql);
  return statement;
}

RecordStatement ActiveSubstanceInsert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_ACTIVE_SUBSTANCES (code,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES "
      "('%s',convert (datetime,'%s',120), ",
      {r.text("code"), r.text("validFrom")});
  sql += validToClose(r);
  return {std::move(sql), {}};
}

RecordStatement AtcInsert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_ATCS (code,description,VALID_FROM,VALID_TO,PARENT_ATC)\t\t\t\t\t\t"
      "VALUES ('%s','%s',convert (datetime,'%s',120), ",
      {r.text("code"), r.text("description"), r.text("validFrom")});
  sql += validToThen(r);
  const std::string_view parent = r.text("parentATC");
  sql += parent.empty() ? std::string("null )") : FillTemplate("'%s' )", {parent});
  return {std::move(sql), {}};
}

RecordStatement GoodInsert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_GOODS(code,name,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES ('%s','%s',"
      "convert (datetime,'%s',120), ",
      {r.text("code"), r.text("name"), r.text("validFrom")});
  sql += validToClose(r);
  return {std::move(sql), {}};
}

RecordStatement PackageModeInsert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_PACKAGE_MODES (code,VALID_FROM,VALID_TO)\t\t\t\t\t\tVALUES ('%s',"
      "convert (datetime,'%s',120), ",
      {r.text("code"), r.text("validFrom")});
  sql += validToClose(r);
  return {std::move(sql), {}, !DatesConvert(r)};
}

RecordStatement NhpCategoryInsert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_NHP_CATEGORIES(code,name,NHPCode,VALID_FROM,VALID_TO)\t\t\t\t\t\t"
      "VALUES ('%s','%s','%s',convert (datetime,'%s',120), ",
      {r.text("code"), r.text("name"), r.text("NHPcode"), r.text("validFrom")});
  sql += validToClose(r);
  return {std::move(sql), {}};
}

RecordStatement NhpDrugTypeInsert(const RecordReader& r) {
  return {FillTemplate("INSERT INTO QIVA_NHP_DRUG_TYPES(code,description)\t\t\t\t\t\tVALUES "
                       "('%s','%s' )",
                       {r.text("code"), r.text("description")}),
          {}};
}

RecordStatement NhpDrugInsert(const RecordReader& r) {
  RecordStatement statement;
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_NHP_DRUGS(code,type,VALID_FROM,VALID_TO,nhp)\t\t\t\t\t\tVALUES "
      "('%s','%s',convert (datetime,'%s',120), ",
      {r.text("code"), r.text("type"), r.text("validFrom")});
  sql += validToThen(r);
  sql += FillTemplate("%d )", {intText(r, "nhp", statement)});
  statement.sql = std::move(sql);
  return statement;
}

RecordStatement DrugInsert(const RecordReader& r) {
  RecordStatement statement;
  std::string sql = FillTemplate(
      "INSERT INTO QIVA_DRUGS(code,name,presentation_mode,is_narcotic,is_fractional,is_special,"
      "\t\t\t\t\t\t\thas_bio_echiv,qty_per_package,price_per_package,"
      "whole_sale_price_per_package,prescription_mode,\t\t\t\t\t\t\tVALID_FROM,VALID_TO,"
      "active_substance,concentration,pharmaceutical_form,company,country,atc)\t\t\t\t\t\t"
      "VALUES ('%s','%s','%s',%d,'%s','%s','%s',%d,%d,%d,'%s',convert (datetime,'%s',120), ",
      {r.text("code"), r.text("name"), r.text("presentationMode"),
       intText(r, "isNarcotic", statement), flagText(r, "isFractional"), flagText(r, "isSpecial"),
       flagText(r, "hasBioEchiv"), intText(r, "qtyPerPackage", statement),
       intText(r, "pricePerPackage", statement), intText(r, "wholeSalePricePerPackage", statement),
       r.text("prescriptionMode"), r.text("validFrom")});
  sql += validToThen(r);
  sql += FillTemplate(
      "'%s','%s','%s','%s','%s','%s')",
      {r.text("activeSubstance"), r.text("concentration"), r.text("pharmaceuticalForm"),
       r.text("company"), r.text("country"), r.text("atc")});
  statement.sql = std::move(sql);
  statement.sendAlone = !DatesConvert(r);
  return statement;
}

bool DatesConvert(const RecordReader& r) {
  if (!qiva::db::ConvertsToDateTime(r.text("validFrom"), kDateStyle)) return false;
  const std::string_view to = r.text("validTo");
  return to.empty() || qiva::db::ConvertsToDateTime(to, kDateStyle);
}

}  // namespace qiva::import::pharma
