// XmlCatalogueGenerator.cpp: writes a large catalogue file for the XML parser benchmark:
// sections of record elements with 6 to 9 attributes of UTF-8 Romanian text and a few entities.
// Usage: gen_xml_catalogue OUTPUT [RECORDS]   (default 600000 records, about 120 MB)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Small deterministic generator, so every run writes the same file.
class Random {
 public:
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<std::uint32_t>(state_);
  }
  std::uint32_t below(std::uint32_t n) { return next() % n; }

 private:
  std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

const char* const kWords[] = {
    "soluţie",   "injectabilă", "comprimate", "filmate",     "capsule",     "moi",
    "sirop",     "pentru",      "copii",      "adulţi",      "eliberare",   "prelungită",
    "pulbere",   "suspensie",   "orală",      "cremă",       "unguent",     "picături",
    "oftalmice", "şi",          "cu",         "fără",        "zahăr",       "îndulcitor",
    "analgezic", "antipiretic", "antibiotic", "vitamină",    "ştefăneşti",  "mureş",
    "spitalul",  "judeţean",    "clinică",    "ambulatoriu", "consultaţie", "specialitate",
};
const char* const kForms[] = {"COMPR. FILM.",   "CAPS.", "SOL. INJ.",
                              "SIROP",          "CREMĂ", "PULB. PT. SUSP. ORALĂ",
                              "PIC. OFT., SOL."};
const char* const kCompanies[] = {"Antibiotice S.A.",
                                  "Terapia &amp; Ranbaxy S.A.",
                                  "Biofarm S.A.",
                                  "Zentiva &quot;Bucureşti&quot;",
                                  "Gedeon Richter România S.A.",
                                  "Labormed-Pharma S.A."};
const char* const kSections[] = {"Drugs", "ActiveSubstances", "Services", "Diagnostics"};

void appendPhrase(std::string& out, Random& random, int words) {
  for (int i = 0; i < words; ++i) {
    if (i) out += ' ';
    out += kWords[random.below(sizeof kWords / sizeof kWords[0])];
  }
}

void appendRecord(std::string& out, Random& random, std::uint32_t index) {
  char number[32];
  out += "    <Record code=\"W";
  std::snprintf(number, sizeof number, "%08u", index);
  out += number;
  out += "\" name=\"";
  appendPhrase(out, random, 3 + static_cast<int>(random.below(4)));
  out += "\" form=\"";
  out += kForms[random.below(sizeof kForms / sizeof kForms[0])];
  out += "\" price=\"";
  std::snprintf(number, sizeof number, "%u.%02u", random.below(2000), random.below(100));
  out += number;
  out += "\" validFrom=\"2020-0";
  out += static_cast<char>('1' + random.below(9));
  out += "-01\" validTo=\"2099-12-31\"";
  int extra = static_cast<int>(random.below(4));  // 6 to 9 attributes in all
  if (extra > 0) {
    out += " company=\"";
    out += kCompanies[random.below(sizeof kCompanies / sizeof kCompanies[0])];
    out += '"';
  }
  if (extra > 1) {
    out += " atc=\"N02BE0";
    out += static_cast<char>('1' + random.below(9));
    out += '"';
  }
  if (extra > 2) {
    out += " note='";
    appendPhrase(out, random, 2);
    out += '\'';
  }
  out += "/>\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT [RECORDS]\n", argv[0]);
    return 2;
  }
  long records = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 600000;
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  Random random;
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Catalogues>\n";
  const long sections = sizeof kSections / sizeof kSections[0];
  long written = 0;
  for (long s = 0; s < sections; ++s) {
    out += "  <";
    out += kSections[s];
    out += ">\n";
    long end = records * (s + 1) / sections;
    for (; written < end; ++written) {
      appendRecord(out, random, static_cast<std::uint32_t>(written));
      if (out.size() > (1 << 20)) {
        std::fwrite(out.data(), 1, out.size(), file);
        out.clear();
      }
    }
    out += "  </";
    out += kSections[s];
    out += ">\n";
  }
  out += "</Catalogues>\n";
  std::fwrite(out.data(), 1, out.size(), file);
  bool ok = std::fclose(file) == 0;
  return ok ? 0 : 1;
}
