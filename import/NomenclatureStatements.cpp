// NomenclatureStatements.cpp: the exact statement texts of the general catalogues import.
// Values between quotes have their single quotes doubled by FillTemplate; values that stand
// unquoted are numbers rendered here, or checked to be plain numbers before they are sent.
#include "import/NomenclatureStatements.h"

#include "base/TextUtil.h"
#include "import/toolkit/SqlText.h"

namespace qiva::import::nomenclatures {
namespace {

// An end of validity that the section turns into NULL after loading.
std::string_view validToOrPlaceholder(const RecordReader& r) {
  std::string_view value = r.text("validTo");
  return value.empty() ? kPlaceholderDate : value;
}

// A single-precision value written with "%0.2f"; one that cannot be written skips the record.
std::string points(const RecordReader& r, std::string_view name, RecordStatement& statement) {
  return RealForStatement(r, name, RealPrecision::Single, 2, statement);
}

}  // namespace

RecordStatement LaboratoryServiceInsert(const RecordReader& r) {
  RecordStatement statement;
  statement.sql = FillTemplate(
      "insert into QIVA_LABORATORIES_SERVICES (code,name,highLevel,recByPC,"
      "Formula,InClinic,ValidFrom,validTo,ServiceType)\t\t\t\t\t\tvalues "
      "('%s','%s',%d,%d,%d,%d,'%s','%s',%d)",
      {r.text("code"), r.text("name"), IntText(r.flag("highLevel")), IntText(r.flag("recByPC")),
       IntText(r.flag("formula")), IntText(r.flag("inClinic")), r.text("validFrom"),
       r.text("validTo"), IntegerForStatement(r, "serviceType", statement)});
  return statement;
}

RecordStatement PersonStateInsert(const RecordReader& r) {
  return {FillTemplate("insert into QIVA_PERSON_STATES (code,description) values ('%s','%s')",
                       {r.text("code"), r.text("description")}),
          {}};
}

RecordStatement PersonTypeInsert(const RecordReader& r) {
  return {FillTemplate(
              "insert into QIVA_PERSON_TYPES (code,description,isForeign) values ('%s','%s',%d)",
              {r.text("code"), r.text("description"), IntText(r.numericFlag("isForeign"))}),
          {}};
}

RecordStatement PersonCategoryInsert(const RecordReader& r) {
  RecordStatement statement;
  statement.sql = FillTemplate(
      "insert into QIVA_PERSON_CATEGORY (code,description,restrictedMinAge,"
      "supportsOverlapping,definedByAge,maxDuration,maxDurationRoundType,personState,"
      "priority,isOptional,canBeReported,validFrom)\t\t\t\t\t\t\t\tvalues "
      "('%s','%s',%d,%d,%d,%d,'%s','%s',%d,%d,%d,'%s')",
      {r.text("code"), r.text("description"), IntegerForStatement(r, "restrictedMinAge", statement),
       IntText(r.flag("supportsOverlapping")), IntText(r.flag("definedByAge")),
       IntegerForStatement(r, "maxDuration", statement), r.text("maxDurationRoundType"),
       r.text("personState"), IntegerForStatement(r, "priority", statement),
       IntText(r.numericFlag("isOptional")), IntegerForStatement(r, "canBeReported", statement),
       r.text("validFrom")});
  return statement;
}

RecordStatement MedSrvPackInsert(const RecordReader& r) {
  return {FillTemplate("insert into QIVA_MED_SRV_PACKS (code,name) values ('%s','%s')",
                       {r.text("code"), r.text("name")}),
          {}};
}

RecordStatement ClinicServiceInsert(const RecordReader& r) {
  return {
      FillTemplate("insert into QIVA_CLINIC_SERVICES (code,name,serviceGroup,isExam,opRoom,"
                   "isConnectedService,validFrom,validTo) values "
                   "('%s','%s','%s',%d,%d,%d,'%s','%s')",
                   {r.text("code"), r.text("name"), r.text("serviceGroup"),
                    IntText(r.flag("isExam")), IntText(r.flag("opRoom")),
                    IntText(r.flag("isConnectedService")), r.text("validFrom"), r.text("validTo")}),
      {}};
}

RecordStatement ClinSrvMedPackInsert(const RecordReader& r) {
  RecordStatement statement;
  statement.sql = FillTemplate(
      "insert into QIVA_CLIN_SRV_MED_PACK (service,medSrvPack,validFrom,points,pointsCtrl,"
      "validTo,valueLei,pointsSrg) values ('%s','%s','%s',%0.2f,%0.2f,'%s',%0.2f,%0.2f)",
      {r.text("service"), r.text("medSrvPack"), r.text("validFrom"), points(r, "points", statement),
       points(r, "pointsCtrl", statement), r.text("validTo"), points(r, "valueLei", statement),
       points(r, "pointsSrg", statement)});
  return statement;
}

RecordStatement ClinSrvGrpSpecialtyInsert(const RecordReader& r) {
  return {FillTemplate("insert into QIVA_CLIN_SRV_GRP_SPECIALITIES (SERVICEGROUP,SPECIALITY,"
                       "validFrom,validTo) values ('%s','%s','%s',%s)",
                       {r.text("serviceGroup"), r.text("specialty"), r.text("validFrom"),
                        QuotedOrNull(r.text("validTo"))}),
          {}};
}

RecordStatement ErrorInsert(const RecordReader& r) {
  return {FillTemplate("insert into QIVA_ERRORS (code,text,validFrom,validTo) values "
                       "('%s','%s','%s',%s)",
                       {r.text("code"), r.text("text"), r.text("validFrom"),
                        QuotedOrNull(r.text("validTo"))}),
          {}};
}

RecordStatement RecServiceInsert(const RecordReader& r) {
  const std::string_view tariff = r.text("tariff");
  RecordStatement statement;
  statement.sql = FillTemplate(
      "insert into QIVA_REC_SERVICES (code,name,tariff,serviceType,validFrom,validTo) values "
      "('%s','%s',%s,'%s','%s','%s')",
      {r.text("code"), r.text("name"), tariff, r.text("serviceType"), r.text("validFrom"),
       validToOrPlaceholder(r)});
  RequirePlainNumber(statement, "tariff", tariff);
  return statement;
}

RecordStatement MedicalFormTypeInsert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "insert into QIVA_MEDICAL_FORM_TYPES (code,name,VALIDFROM,validTo) values "
      "('%s','%s','%s','%s'",
      {r.text("code"), r.text("name"), r.text("validFrom"), validToOrPlaceholder(r)});
  sql += ")";
  return {std::move(sql), {}};
}

RecordStatement TherapeuticalSchemaInsert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "insert into QIVA_THERAPEUTICAL_SCHEMAS (code,VALIDFROM,validTo,description,"
      "diseaseCategory,nhpCode,formType) \t\t\t\t\t\t\t\tvalues ('%s','%s','%s','%s'",
      {r.text("code"), r.text("validFrom"), validToOrPlaceholder(r), r.text("description")});
  sql += OptionalTail(r.text("diseaseCategory"));
  sql += OptionalTail(r.text("nhpCode"));
  sql += OptionalTail(r.text("formType"));
  sql += ")";
  return {std::move(sql), {}};
}

RecordStatement Icd10Insert(const RecordReader& r) {
  std::string sql = FillTemplate(
      "insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) values "
      "('%s','%s','%s','%s',",
      {r.text("code"), r.text("name"), r.text("validFrom"), validToOrPlaceholder(r)});
  sql += QuotedOrNull(r.text("diseaseCategory"), "null");
  sql += ")";
  return {std::move(sql), {}};
}

std::string InsuranceHouseLookup(const RecordReader& r) {
  return FillTemplate("select id from QIVA_INSURANCE_HOUSE where code='%s'", {r.text("code")});
}

RecordStatement InsuranceHouseInsert(const RecordReader& r) {
  return {FillTemplate("insert into QIVA_INSURANCE_HOUSE (code,name,type,validFrom) values "
                       "('%s','%s','%s','%s')",
                       {r.text("code"), r.text("name"), r.text("type"), r.text("validFrom")}),
          {}};
}

std::string SpecialityLookup(const RecordReader& r) {
  return FillTemplate("select id from QIVA_SPECIALITIES where code='%s'", {r.text("code")});
}

RecordStatement SpecialityInsert(const RecordReader& r) {
  return {FillTemplate("insert into QIVA_SPECIALITIES (code,name,validFrom) values "
                       "('%s','%s','%s')",
                       {r.text("code"), r.text("name"), r.text("validFrom")}),
          {}};
}

std::string ChronicDiseaseDescription(const RecordReader& r) {
  std::string description(r.text("description"));
  ReplaceAll(description, "\xC5\xA3", "t");
  ReplaceAll(description, "\xC4\x83", "a");
  return description;
}

std::string ChronicDiseaseLookup(const RecordReader& r) {
  return FillTemplate("select id from QIVA_CHRONIC_DISEASES where code='%s'", {r.text("code")});
}

RecordStatement ChronicDiseaseUpdate(const RecordReader& r, const std::string& description,
                                     std::int32_t id) {
  RecordStatement statement;
  statement.sql = FillTemplate(
      "update QIVA_CHRONIC_DISEASES set Description='%s',displayOrder=%d,"
      "validFrom='%s',validTo=%s where id=%ld",
      {description, IntegerForStatement(r, "orderNo", statement), r.text("validFrom"),
       QuotedOrNull(r.text("validTo")), IntText(id)});
  return statement;
}

RecordStatement ChronicDiseaseInsert(const RecordReader& r, const std::string& description) {
  RecordStatement statement;
  statement.sql = FillTemplate(
      "insert into QIVA_CHRONIC_DISEASES (code,Description,displayOrder,"
      "validFrom,validTo) values ('%s','%s',%d,'%s',%s)",
      {r.text("code"), description, IntegerForStatement(r, "orderNo", statement),
       r.text("validFrom"), QuotedOrNull(r.text("validTo"))});
  return statement;
}

std::string NameCleanupChain(std::string_view table, std::string_view separator, bool withEnDash) {
  struct Pair {
    std::string_view searched;
    std::string_view replacement;
  };
  static constexpr Pair kPairs[] = {
      {"\xC4\x83", "a"}, {"\xC5\x9F", "s"}, {"\xC5\xA3", "t"},     {"&lt;", "<"},
      {"\xC3\xAE", "i"}, {"\xC3\xA2", "a"}, {"\xE2\x80\x93", "-"},
  };
  const std::size_t count = withEnDash ? std::size(kPairs) : std::size(kPairs) - 1;
  std::string chain = " ";
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) chain += separator;
    chain += FillTemplate("update %s set name=replace(name,'%s','%s')",
                          {table, kPairs[i].searched, kPairs[i].replacement});
  }
  return chain;
}

std::string ClearPlaceholderValidTo(std::string_view table) {
  return FillTemplate(" update %s set validTo=NULL where validto='%s'", {table, kPlaceholderDate});
}

namespace {

// The rows whose validity does not hold today, in the spelling the laboratory and
// recommended-service sections send.
std::string DeleteNoLongerValid(std::string_view table) {
  return FillTemplate(
      "delete from %s where getdate() not between validfrom and isnull(validto,getdate())",
      {table});
}

}  // namespace

// The laboratory services store an absent end of validity as the server's empty date.
std::vector<std::string> LaboratoriesServicesClosing() {
  return {
      "update qiva_laboratories_services set validto=null where "
      "validto='1900-01-01 00:00:00.000'",
      DeleteNoLongerValid("qiva_laboratories_services"),
      NameCleanupChain("qiva_laboratories_services", "\n\t\t\t\t", false)};
}

std::vector<std::string> ClinicServicesClosing() {
  return {ClearPlaceholderValidTo("QIVA_CLINIC_SERVICES"),
          " delete from QIVA_CLINIC_SERVICES where getdate() not between validFrom and "
          "ISNULL(validto,getdate())",
          NameCleanupChain("QIVA_CLINIC_SERVICES", "\t\t\t\t", false)};
}

std::vector<std::string> ClinSrvMedPacksClosing() {
  return {ClearPlaceholderValidTo("QIVA_CLIN_SRV_MED_PACK")};
}

std::vector<std::string> RecServicesClosing() {
  return {ClearPlaceholderValidTo("QIVA_REC_SERVICES"), DeleteNoLongerValid("QIVA_REC_SERVICES"),
          NameCleanupChain("QIVA_REC_SERVICES", "\t\t\t\t", true)};
}

// The ICD-10 codes name their validity columns valid_from and valid_to, and compare them with
// today's date without its time.
std::vector<std::string> Icd10Closing() {
  return {
      FillTemplate(" update QIVA_ICD10 set valid_To=NULL where valid_to='%s'", {kPlaceholderDate}),
      " delete from QIVA_ICD10 where convert(datetime,convert(varchar(10),"
      "getdate(),103),103) not between valid_from and "
      "ISNULL(valid_to,getdate()) "};
}

}  // namespace qiva::import::nomenclatures
