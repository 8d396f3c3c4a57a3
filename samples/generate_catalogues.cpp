// generate_catalogues: writes a large general catalogues file for load trials.
// Usage: generate_catalogues FILE [ICD10_COUNT [CLINICSERVICE_COUNT]]
#include <cstdio>
#include <cstdlib>

#include "samples/CatalogueGenerator.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [ICD10_COUNT [CLINICSERVICE_COUNT]]\n", argv[0]);
    return 2;
  }
  qiva::samples::CatalogueSize size;
  if (argc > 2) size.icd10 = std::strtoul(argv[2], nullptr, 10);
  if (argc > 3) size.clinicServices = std::strtoul(argv[3], nullptr, 10);
  if (!qiva::samples::WriteLargeCatalogue(argv[1], size)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
