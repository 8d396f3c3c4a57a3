// XmlEncoding.cpp: the parser options, the byte tables of the three encodings and the guess
// of a file's encoding from its first bytes.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "base/TextUtil.h"
#include "xml/WideText.h"
#include "xml/XmlEncoding_internal.h"
#include "xml/XmlParser.h"

namespace xmldetail {

namespace {

// The three options packed in one word, so that a parse reads them in one load: encoding in
// bits 0-1, wideTextCheck in bit 2, trimWhiteSpace in bit 3.
constexpr unsigned kWideBit = 4;
constexpr unsigned kTrimBit = 8;
std::atomic<unsigned> packedOptions{1u | kWideBit | kTrimBit};

constexpr unsigned char utf8Length(unsigned b) {
  if (b == 0) return 0;
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 1;
}

constexpr unsigned char shiftJisLength(unsigned b) {
  if (b == 0) return 0;
  if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF)) return 2;
  return 1;
}

constexpr EncodingTables buildTables(int encoding) {
  EncodingTables t{};
  for (unsigned b = 0; b < 256; ++b) {
    unsigned char length = encoding == kXmlEncodingUtf8       ? utf8Length(b)
                           : encoding == kXmlEncodingShiftJis ? shiftJisLength(b)
                                                              : (b == 0 ? 0 : 1);
    t.length[b] = length;
    bool special = length != 1;  // the 0 byte or a multi-byte start
    t.plainStop[b] = special || b == ' ' || b == '\t' || b == '\r' || b == '\n' || b == '<' ||
                     b == '=' || b == '>' || b == '/';
    t.contentStop[b] = special || b == '<';
    t.quoteStop[b] = special || b == '"' || b == '\'' || b == '<';
    t.entityStop[b] = special || b == '&';
  }
  return t;
}

constexpr EncodingTables utf8Tables = buildTables(kXmlEncodingUtf8);
constexpr EncodingTables singleByteTables = buildTables(kXmlEncodingSingleByte);
constexpr EncodingTables shiftJisTables = buildTables(kXmlEncodingShiftJis);

bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool startsWithIgnoringCase(const unsigned char* p, const unsigned char* end, const char* prefix) {
  const std::string_view text(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p));
  return StartsWithIgnoringAsciiCase(text, prefix);
}

// Step 3 of the guess: 1 when the bytes read as UTF-8 (a sequence cut by the end of the bytes
// is not held against them), 2 at the first byte that breaks a sequence.
int checkUtf8(const unsigned char* bytes, std::size_t length) {
  std::size_t i = 0;
  while (i < length && bytes[i] != 0) {
    unsigned n = utf8Tables.length[bytes[i]];
    for (unsigned k = 1; k < n; ++k) {
      if (i + k >= length) return kXmlEncodingUtf8;
      if ((bytes[i + k] & 0xC0) != 0x80) return kXmlEncodingSingleByte;
    }
    i += n;
  }
  return kXmlEncodingUtf8;
}

// Step 4: the value of the first encoding="..." in the bytes, or -1 when there is none.
int declaredEncoding(const unsigned char* bytes, std::size_t length, int utf8Guess) {
  static const char kKey[] = "encoding";
  const unsigned char* end = bytes + length;
  const unsigned char* p = std::search(bytes, end, kKey, kKey + sizeof kKey - 1);
  if (p == end) return -1;
  p += sizeof kKey - 1;
  while (p < end && isBlank(*p)) ++p;
  if (p == end || *p != '=') return -1;
  ++p;
  while (p < end && isBlank(*p)) ++p;
  if (p == end || (*p != '"' && *p != '\'')) return -1;
  ++p;
  while (p < end && isBlank(*p)) ++p;
  if (startsWithIgnoringCase(p, end, "utf-8") || startsWithIgnoringCase(p, end, "utf8")) {
    return utf8Guess == kXmlEncodingUtf8 ? kXmlEncodingUtf8 : kXmlEncodingUnknown;
  }
  if (startsWithIgnoringCase(p, end, "shiftjis") || startsWithIgnoringCase(p, end, "shift-jis") ||
      startsWithIgnoringCase(p, end, "sjis")) {
    return kXmlEncodingShiftJis;
  }
  return kXmlEncodingSingleByte;
}

}  // namespace

ParserOptions currentOptions() {
  unsigned packed = packedOptions.load(std::memory_order_acquire);
  ParserOptions options;
  options.encoding = static_cast<int>(packed & 3u);
  options.wideTextCheck = (packed & kWideBit) != 0;
  options.trimWhiteSpace = (packed & kTrimBit) != 0;
  return options;
}

void setEncoding(int encoding) {
  if (encoding < 1 || encoding > 3) return;
  unsigned packed = packedOptions.load(std::memory_order_relaxed);
  while (!packedOptions.compare_exchange_weak(
      packed, (packed & ~3u) | static_cast<unsigned>(encoding), std::memory_order_acq_rel)) {
  }
}

const EncodingTables& encodingTables(int encoding) {
  if (encoding == kXmlEncodingSingleByte) return singleByteTables;
  if (encoding == kXmlEncodingShiftJis) return shiftJisTables;
  return utf8Tables;
}

}  // namespace xmldetail

int setParserOptions(int encoding, int wideTextCheck, int trimWhiteSpace) {
  bool known = encoding >= 1 && encoding <= 3;
  unsigned flags =
      (wideTextCheck ? xmldetail::kWideBit : 0u) | (trimWhiteSpace ? xmldetail::kTrimBit : 0u);
  unsigned packed = xmldetail::packedOptions.load(std::memory_order_relaxed);
  unsigned wanted;
  do {
    unsigned encodingBits = known ? static_cast<unsigned>(encoding) : (packed & 3u);
    wanted = encodingBits | flags;
  } while (
      !xmldetail::packedOptions.compare_exchange_weak(packed, wanted, std::memory_order_acq_rel));
  return known ? 0 : 1;
}

int detectEncoding(const unsigned char* bytes, std::size_t length, bool useEncodingAttribute) {
  if (bytes == nullptr || length < 25) return kXmlEncodingUnknown;
  if (xmldetail::currentOptions().wideTextCheck && looksLikeWideText(bytes, length)) {
    return kXmlEncodingUnknown;
  }
  if (bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return kXmlEncodingUtf8;
  int guess = xmldetail::checkUtf8(bytes, length);
  if (useEncodingAttribute) {
    int declared = xmldetail::declaredEncoding(bytes, length, guess);
    if (declared >= 0) return declared;
  }
  return guess;
}
