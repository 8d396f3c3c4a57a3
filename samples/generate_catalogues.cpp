// generate_catalogues: writes a large general or pharmaceutical catalogues file for load trials.
// Usage: generate_catalogues FILE [ICD10_COUNT [CLINICSERVICE_COUNT]]
//        generate_catalogues --pharma FILE [DRUG_COUNT [COPAYMENTLISTDRUG_COUNT]]
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "samples/CatalogueGenerator.h"
#include "samples/PharmaGenerator.h"

namespace {

int usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s FILE [ICD10_COUNT [CLINICSERVICE_COUNT]]\n"
               "       %s --pharma FILE [DRUG_COUNT [COPAYMENTLISTDRUG_COUNT]]\n",
               program, program);
  return 2;
}

int pharma(int argc, char** argv) {
  if (argc < 3) return usage(argv[0]);
  qiva::samples::PharmaSize size;
  if (argc > 3) size.drugs = std::strtoul(argv[3], nullptr, 10);
  if (argc > 4) size.copaymentListDrugs = std::strtoul(argv[4], nullptr, 10);
  if (!qiva::samples::WritePharmaCatalogue(argv[2], size)) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--pharma") == 0) return pharma(argc, argv);
  if (argc < 2) return usage(argv[0]);
  qiva::samples::CatalogueSize size;
  if (argc > 2) size.icd10 = std::strtoul(argv[2], nullptr, 10);
  if (argc > 3) size.clinicServices = std::strtoul(argv[3], nullptr, 10);
  if (!qiva::samples::WriteLargeCatalogue(argv[1], size)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
