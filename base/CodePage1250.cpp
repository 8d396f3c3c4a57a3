// CodePage1250.cpp: the Windows-1250 table and the UTF-8/UTF-16 conversions around it.
#include "base/CodePage1250.h"

namespace {

// Unicode of the bytes 0x80-0xFF; the five undefined bytes (0x81, 0x83, 0x88, 0x90, 0x98)
// map to the control character of the same number, as Windows does.
// clang-format off
constexpr char16_t kHigh[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};
// clang-format on

// The length of the UTF-8 sequence at `p` and its code point; 0 when it is not valid.
size_t DecodeUtf8(std::string_view s, size_t p, char32_t& code) {
  const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = b(p);
  if (lead < 0x80) return code = lead, 1;
  size_t n = lead >= 0xF0 && lead <= 0xF4  ? 4
             : lead >= 0xE0                ? 3
             : lead >= 0xC2 && lead < 0xE0 ? 2
                                           : 0;
  if (n == 0 || p + n > s.size()) return 0;
  code = lead & (0x7F >> n);
  for (size_t i = 1; i < n; ++i) {
    if ((b(p + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (b(p + i) & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

char32_t Cp1250ToUnicode(unsigned char byte) { return byte < 0x80 ? byte : kHigh[byte - 0x80]; }

char UnicodeToCp1250(char32_t c) {
  if (c < 0x80) return static_cast<char>(c);
  for (int i = 0; i < 128; ++i)
    if (kHigh[i] == c) return static_cast<char>(0x80 + i);
  return '?';
}

std::u16string Cp1250ToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (const char b : bytes)
    out.push_back(static_cast<char16_t>(Cp1250ToUnicode(static_cast<unsigned char>(b))));
  return out;
}

std::string Utf16ToCp1250(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;
      out.push_back('?');
      continue;
    }
    out.push_back(UnicodeToCp1250(c));
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t p = 0; p < text.size();) {
    char32_t code = 0;
    const size_t n = DecodeUtf8(text, p, code);
    if (n == 0) {
      out.push_back(u'\uFFFD');
      ++p;
      continue;
    }
    p += n;
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t p = 0; p < text.size();) {
    char32_t code = 0;
    const size_t n = DecodeUtf8(text, p, code);
    if (n == 0) return false;
    p += n;
  }
  return true;
}
