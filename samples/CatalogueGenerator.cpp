// CatalogueGenerator.cpp: deterministic large general catalogues files.
#include "samples/CatalogueGenerator.h"

#include <cstdio>
#include <memory>

namespace qiva::samples {
namespace {

const char* const kWords[] = {
    "Holer\xC4\x83",      "febr\xC4\x83",         "tifoid\xC4\x83", "infec\xC5\xA3ie",
    "intestinal\xC4\x83", "bacterian\xC4\x83",    "acut\xC4\x83",   "cronic\xC4\x83",
    "f\xC4\x83r\xC4\x83", "complica\xC5\xA3ii",   "\xC5\x9Fi",      "alte",
    "specificat\xC4\x83", "nespecificat\xC4\x83", "&amp;",          "&lt;5 ani"};
constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];

std::string nameFor(std::size_t index, std::size_t words) {
  std::string name;
  std::size_t state = index * 2654435761u + 12345;
  for (std::size_t i = 0; i < words; ++i) {
    if (i) name += ' ';
    name += kWords[(state >> (i * 3)) % kWordCount];
  }
  return name;
}

std::string xmlEscapedQuote(std::string text) {
  std::string out;
  for (char c : text) {
    if (c == '"') {
      out += "&quot;";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

GeneratedIcd10 Icd10Record(std::size_t index) {
  char code[32];
  std::snprintf(code, sizeof code, "%c%02zu.%zu", static_cast<char>('A' + index % 26),
                (index / 26) % 100, index / 2600);
  return {code, nameFor(index, 4 + index % 4), index % 5 == 0 ? "" : std::to_string(index % 7),
          "2000-01-01", index % 3 == 0 ? "" : "2035-12-31"};
}

GeneratedClinicService ClinicServiceRecord(std::size_t index) {
  GeneratedClinicService s;
  s.code = "CS" + std::to_string(index);
  s.name = "Consulta\xC5\xA3ie " + nameFor(index + 7, 3 + index % 3);
  s.serviceGroup = "G" + std::to_string(index % 40);
  s.validFrom = "2019-01-01";
  s.validTo = index % 2 == 0 ? "" : "2031-12-31";
  s.isExam = index % 2;
  s.opRoom = index % 3 == 0;
  s.isConnectedService = index % 5 == 0;
  return s;
}

bool WriteLargeCatalogue(const std::string& path, const CatalogueSize& size) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!out) return false;
  std::FILE* f = out.get();
  std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Catalogues>\n  <ICD10s>\n", f);
  for (std::size_t i = 0; i < size.icd10; ++i) {
    GeneratedIcd10 r = Icd10Record(i);
    std::fprintf(f, "    <ICD10 code=\"%s\" name=\"%s\"", r.code.c_str(),
                 xmlEscapedQuote(r.name).c_str());
    if (!r.diseaseCategory.empty())
      std::fprintf(f, " diseaseCategory=\"%s\"", r.diseaseCategory.c_str());
    std::fprintf(f, " validFrom=\"%s\"", r.validFrom.c_str());
    if (!r.validTo.empty()) std::fprintf(f, " validTo=\"%s\"", r.validTo.c_str());
    std::fputs("/>\n", f);
  }
  std::fputs("  </ICD10s>\n  <ClinicServices>\n", f);
  for (std::size_t i = 0; i < size.clinicServices; ++i) {
    GeneratedClinicService s = ClinicServiceRecord(i);
    std::fprintf(f,
                 "    <ClinicService code=\"%s\" name=\"%s\" serviceGroup=\"%s\" isExam=\"%s\" "
                 "opRoom=\"%s\" isConnectedService=\"%s\" validFrom=\"%s\"",
                 s.code.c_str(), s.name.c_str(), s.serviceGroup.c_str(),
                 s.isExam ? "true" : "false", s.opRoom ? "TRUE" : "false",
                 s.isConnectedService ? "True" : "false", s.validFrom.c_str());
    if (!s.validTo.empty()) std::fprintf(f, " validTo=\"%s\"", s.validTo.c_str());
    std::fputs("/>\n", f);
  }
  std::fputs("  </ClinicServices>\n</Catalogues>\n", f);
  return std::ferror(f) == 0;
}

}  // namespace qiva::samples
