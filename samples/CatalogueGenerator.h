// CatalogueGenerator.h: writes large general catalogues files (ICD-10 diagnoses and clinic
// services with Romanian names) for benchmarks and load trials.
#pragma once

#include <cstddef>
#include <string>

namespace qiva::samples {

struct CatalogueSize {
  std::size_t icd10 = 300000;
  std::size_t clinicServices = 100000;
};

// The attributes of generated record `index`, as the file holds them.
struct GeneratedIcd10 {
  std::string code, name, diseaseCategory, validFrom, validTo;
};
struct GeneratedClinicService {
  std::string code, name, serviceGroup, validFrom, validTo;
  int isExam = 0, opRoom = 0, isConnectedService = 0;
};
GeneratedIcd10 Icd10Record(std::size_t index);
GeneratedClinicService ClinicServiceRecord(std::size_t index);

// Writes the file; false when it cannot be written.
bool WriteLargeCatalogue(const std::string& path, const CatalogueSize& size);

}  // namespace qiva::samples
