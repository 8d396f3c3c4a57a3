// PharmaGenerator.cpp: deterministic large pharmaceutical catalogues files.
#include "samples/PharmaGenerator.h"

#include <cstdio>
#include <memory>

namespace qiva::samples {
namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

const char* const kSubstances[] = {"ATORVASTATINUM", "IBUPROFENUM",   "INSULINUM HUMANUM",
                                   "METFORMINUM",    "PARACETAMOLUM", "AMOXICILLINUM",
                                   "OMEPRAZOLUM",    "MORPHINUM"};
const char* const kForms[] = {"COMPR. FILM.", "CAPS.", "SOL. INJ.", "SUSP. ORALA", "UNGUENT"};
const char* const kCompanies[] = {"PFIZER EUROPE MA EEIG", "NOVO NORDISK A/S", "TEVA B.V.",
                                  "ZENTIVA S.A.",          "O'Neill Pharma",   "ANTIBIOTICE S.A."};
const char* const kCountries[] = {"BELGIA", "DANEMARCA", "OLANDA", "ROMANIA", "IRLANDA"};
const char* const kLists[] = {"A", "B", "C1", "C2", "C3", "D"};

template <std::size_t N>
const char* pick(const char* const (&values)[N], std::size_t index) {
  return values[index % N];
}

// A price with two decimals that varies with the index.
std::string price(std::size_t index, std::size_t scale) {
  char text[32];
  std::snprintf(text, sizeof text, "%zu.%02zu", (index * 37) % scale + 1, (index * 13) % 100);
  return text;
}

// Writes ` name="value"` with the value's XML specials escaped; nothing for an empty value.
void attribute(std::FILE* f, const char* name, const std::string& value) {
  if (value.empty()) return;
  std::fprintf(f, " %s=\"", name);
  for (char c : value) {
    switch (c) {
      case '"':
        std::fputs("&quot;", f);
        break;
      case '&':
        std::fputs("&amp;", f);
        break;
      case '<':
        std::fputs("&lt;", f);
        break;
      case '\'':
        std::fputs("&apos;", f);
        break;
      default:
        std::fputc(c, f);
    }
  }
  std::fputc('"', f);
}

// One small section: `count` records with a code, a name attribute and dates.
void smallSection(std::FILE* f, const char* section, const char* record, const char* nameAttribute,
                  const char* codePrefix) {
  std::fprintf(f, "  <%s>\n", section);
  for (std::size_t i = 0; i < kPharmaSmallSectionRecords; ++i) {
    std::fprintf(f, "    <%s", record);
    attribute(f, "code", codePrefix + std::to_string(i));
    if (nameAttribute)
      attribute(f, nameAttribute, std::string(codePrefix) + " nr " + std::to_string(i));
    attribute(f, "validFrom", "2020-01-01");
    if (i % 2) attribute(f, "validTo", "2030-12-31");
    std::fputs("/>\n", f);
  }
  std::fprintf(f, "  </%s>\n", section);
}

void writeDrug(std::FILE* f, const GeneratedDrug& d) {
  std::fputs("    <Drug", f);
  attribute(f, "code", d.code);
  attribute(f, "name", d.name);
  attribute(f, "presentationMode", d.presentationMode);
  attribute(f, "isNarcotic", d.isNarcotic);
  attribute(f, "isFractional", d.isFractional);
  attribute(f, "isSpecial", d.isSpecial);
  attribute(f, "hasBioEchiv", d.hasBioEchiv);
  attribute(f, "qtyPerPackage", d.qtyPerPackage);
  attribute(f, "pricePerPackage", d.pricePerPackage);
  attribute(f, "wholeSalePricePerPackage", d.wholeSalePricePerPackage);
  attribute(f, "prescriptionMode", d.prescriptionMode);
  attribute(f, "validFrom", d.validFrom);
  attribute(f, "validTo", d.validTo);
  attribute(f, "activeSubstance", d.activeSubstance);
  attribute(f, "concentration", d.concentration);
  attribute(f, "pharmaceuticalForm", d.pharmaceuticalForm);
  attribute(f, "company", d.company);
  attribute(f, "country", d.country);
  attribute(f, "atc", d.atc);
  std::fputs("/>\n", f);
}

void writeCopaymentListDrug(std::FILE* f, const GeneratedCopaymentListDrug& c) {
  std::fputs("    <CopaymentListDrug", f);
  attribute(f, "copaymentListType", c.copaymentListType);
  attribute(f, "drug", c.drug);
  attribute(f, "maxPrice", c.maxPrice);
  attribute(f, "maxPriceUT", c.maxPriceUT);
  attribute(f, "copaymentValue", c.copaymentValue);
  attribute(f, "copaymentValue90", c.copaymentValue90);
  attribute(f, "wholeSalePrice", c.wholeSalePrice);
  attribute(f, "referencePrice", c.referencePrice);
  attribute(f, "specialLaw", c.specialLaw);
  attribute(f, "needApproval", c.needApproval);
  attribute(f, "overValue", c.overValue);
  attribute(f, "needSpecialty", c.needSpecialty);
  attribute(f, "classifInsulin", c.classifInsulin);
  attribute(f, "hgDci", c.hgDci);
  attribute(f, "hgAtc", c.hgAtc);
  attribute(f, "diseaseCode", c.diseaseCode);
  attribute(f, "validFrom", c.validFrom);
  attribute(f, "validTo", c.validTo);
  std::fputs("/>\n", f);
}

}  // namespace

GeneratedDrug DrugRecord(std::size_t i) {
  GeneratedDrug d;
  char code[16];
  std::snprintf(code, sizeof code, "W%08zu", 42000000 + i);
  d.code = code;
  d.name = std::string(pick(kSubstances, i)) + " " + std::to_string(i % 500 + 5) + " mg";
  d.presentationMode = "Cutie x " + std::to_string(i % 9 * 10 + 10) + " " + pick(kForms, i / 3);
  d.isNarcotic = pick(kSubstances, i) == kSubstances[7] ? "1" : "0";
  d.isFractional = i % 3 == 0 ? "" : (i % 3 == 1 ? "true" : "false");
  d.isSpecial = i % 7 == 0 ? "TRUE" : "false";
  d.hasBioEchiv = i % 2 ? "true" : "false";
  d.qtyPerPackage = std::to_string(i % 9 * 10 + 10);
  d.pricePerPackage = price(i, 400);
  d.wholeSalePricePerPackage = price(i + 3, 350);
  d.prescriptionMode = i % 5 == 0 ? "OTC" : "P-RF";
  d.validFrom = "2021-01-01";
  d.validTo = i % 4 == 0 ? "2030-12-31" : "";
  d.activeSubstance = pick(kSubstances, i);
  d.concentration = std::to_string(i % 500 + 5) + "mg";
  d.pharmaceuticalForm = pick(kForms, i / 3);
  d.company = pick(kCompanies, i / 7);
  d.country = pick(kCountries, i / 11);
  d.atc = "C10AA" + std::to_string(i % 90 + 10);
  return d;
}

GeneratedCopaymentListDrug CopaymentListDrugRecord(std::size_t i) {
  GeneratedCopaymentListDrug c;
  char drug[16];
  std::snprintf(drug, sizeof drug, "W%08zu", 42000000 + i % 60000);
  c.copaymentListType = pick(kLists, i);
  c.drug = drug;
  c.maxPrice = price(i, 900);
  c.maxPriceUT = "0." + std::to_string(1000000 + (i * 7919) % 9000000).substr(1);
  c.copaymentValue = price(i + 1, 300);
  c.copaymentValue90 = price(i + 2, 300);
  c.wholeSalePrice = price(i + 5, 800);
  c.referencePrice = i % 3 ? "0.8675309" : "";
  c.specialLaw = i % 10 == 0 ? "true" : "false";
  c.needApproval = i % 6 == 0 ? "DA" : "NU";
  c.overValue = i % 4 ? "0" : price(i, 20);
  c.needSpecialty = std::to_string(i % 2);
  c.classifInsulin = std::to_string(i % 3);
  c.hgDci = "D" + std::to_string(i % 700);
  c.hgAtc = "A10AB" + std::to_string(i % 50 + 10);
  c.diseaseCode = std::to_string(i % 40 + 1);
  c.validFrom = "2021-01-01";
  c.validTo = i % 5 == 0 ? "2030-12-31" : "";
  return c;
}

std::size_t PharmaRecordCount(const PharmaSize& size) {
  return size.drugs + size.copaymentListDrugs + 14 * kPharmaSmallSectionRecords;
}

bool WritePharmaCatalogue(const std::string& path, const PharmaSize& size) {
  File out(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!out) return false;
  std::FILE* f = out.get();
  std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Catalogues>\n", f);
  smallSection(f, "DiseaseCategories", "DiseaseCategory", "description", "DC");
  smallSection(f, "CopaymentListTypes", "CopaymentListType", "description", "L");
  smallSection(f, "CopaymentListTypePersState", "CpmetLstTypePersState", nullptr, "S");
  std::fputs("  <CopaymentListDrugs>\n", f);
  for (std::size_t i = 0; i < size.copaymentListDrugs; ++i)
    writeCopaymentListDrug(f, CopaymentListDrugRecord(i));
  std::fputs("  </CopaymentListDrugs>\n", f);
  smallSection(f, "PharmaceuticalForms", "PharmaceuticalForm", nullptr, "FORM");
  std::fputs("  <Concentrations>\n", f);
  for (std::size_t i = 0; i < kPharmaSmallSectionRecords; ++i)
    std::fprintf(f, "    <Concentration concentration=\"%zumg\" validFrom=\"2020-01-01\"/>\n",
                 i * 5 + 5);
  std::fputs("  </Concentrations>\n", f);
  smallSection(f, "PrescriptionTypes", "PrescriptionType", "description", "P");
  smallSection(f, "NHPs", "NHP", "description", "NHP");
  smallSection(f, "ActiveSubstances", "ActiveSubstance", nullptr, "SUBST");
  smallSection(f, "ATCs", "ATC", "description", "A");
  smallSection(f, "Goods", "Good", "name", "G");
  smallSection(f, "PackageModes", "PackageMode", nullptr, "cutie x ");
  smallSection(f, "NHPCategories", "NHPCategory", "name", "C");
  smallSection(f, "NHP_Drug_Types", "NHP_Drug_Type", "description", "T");
  smallSection(f, "NHP_Drugs", "NHP_Drug", "type", "N");
  std::fputs("  <Drugs>\n", f);
  for (std::size_t i = 0; i < size.drugs; ++i) writeDrug(f, DrugRecord(i));
  std::fputs("  </Drugs>\n</Catalogues>\n", f);
  return std::ferror(f) == 0;
}

}  // namespace qiva::samples
