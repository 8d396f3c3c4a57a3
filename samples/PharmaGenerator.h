// PharmaGenerator.h: writes large pharmaceutical catalogues files (tens of thousands of drugs
// and co-payment list entries, with a few records in each of the small sections) for the
// import benchmark and load trials.
#pragma once

#include <cstddef>
#include <string>

namespace qiva::samples {

struct PharmaSize {
  std::size_t drugs = 60000;
  std::size_t copaymentListDrugs = 150000;
};

// Records written in each of the fourteen small sections.
inline constexpr std::size_t kPharmaSmallSectionRecords = 20;

// The attributes of generated record `index`, as the file holds them ("" for an attribute the
// record leaves out).
struct GeneratedDrug {
  std::string code, name, presentationMode, isNarcotic, isFractional, isSpecial, hasBioEchiv,
      qtyPerPackage, pricePerPackage, wholeSalePricePerPackage, prescriptionMode, validFrom,
      validTo, activeSubstance, concentration, pharmaceuticalForm, company, country, atc;
};
struct GeneratedCopaymentListDrug {
  std::string copaymentListType, drug, maxPrice, maxPriceUT, copaymentValue, copaymentValue90,
      wholeSalePrice, referencePrice, specialLaw, needApproval, overValue, needSpecialty,
      classifInsulin, hgDci, hgAtc, diseaseCode, validFrom, validTo;
};
GeneratedDrug DrugRecord(std::size_t index);
GeneratedCopaymentListDrug CopaymentListDrugRecord(std::size_t index);

// The number of records the file of `size` holds, all sections together.
std::size_t PharmaRecordCount(const PharmaSize& size);

// Writes the file; false when it cannot be written.
bool WritePharmaCatalogue(const std::string& path, const PharmaSize& size);

}  // namespace qiva::samples
