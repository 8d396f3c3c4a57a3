// WideText.cpp: UTF-16LE detection and conversion to UTF-8 or to an 8-bit code page.
// Windows builds use the system's ANSI code page for the 8-bit case; POSIX uses Windows-1250.
#include "xml/WideText.h"

#include <cstdint>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "app/Utf16.h"

namespace {

constexpr std::size_t kSampleBytes = 4096;

bool hasByteOrderMark(const unsigned char* data, std::size_t length) {
  return length >= 2 &&
         ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xEF && data[1] == 0xFF));
}

// The 16-bit units of the text: after the marker, up to the first zero unit.
std::vector<char16_t> wideUnits(const unsigned char* data, std::size_t length) {
  std::size_t i = hasByteOrderMark(data, length) ? 2 : 0;
  std::size_t end = i;
  while (end + 1 < length && (data[end] != 0 || data[end + 1] != 0)) end += 2;
  std::vector<char16_t> units;
  units.reserve((end - i) / 2);
  for (; i < end; i += 2) units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  return units;
}

std::string unitsToUtf8(const std::vector<char16_t>& units) {
  return Utf16ToUtf8(std::u16string_view(units.data(), units.size()));
}

#ifdef _WIN32

std::string unitsToAnsi(const std::vector<char16_t>& units) {
  if (units.empty()) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
  int count = static_cast<int>(units.size());
  int size = ::WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string out(static_cast<std::size_t>(size), '\0');
  if (::WideCharToMultiByte(CP_ACP, 0, wide, count, out.data(), size, nullptr, nullptr) != size) {
    return std::string();
  }
  return out;
}

#else

// Unicode code points of the Windows-1250 bytes 0x80-0xFF (0: no character).
// clang-format off
constexpr char16_t kWindows1250High[128] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0000, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
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

char windows1250Byte(char16_t c) {
  if (c < 0x80) return static_cast<char>(c);
  for (int i = 0; i < 128; ++i) {
    if (kWindows1250High[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

std::string unitsToAnsi(const std::vector<char16_t>& units) {
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    char16_t c = units[i];
    // A surrogate pair is one character outside the code page: one '?'.
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      ++i;
    }
    out += windows1250Byte(c);
  }
  return out;
}

#endif

}  // namespace

bool looksLikeWideText(const unsigned char* data, std::size_t length) {
  if (data == nullptr || length < 2) return false;
  if (hasByteOrderMark(data, length)) return true;
  std::size_t pairs = (length < kSampleBytes ? length : kSampleBytes) / 2;
  std::size_t narrowInWide = 0;
  for (std::size_t i = 0; i < pairs; ++i) {
    if (data[2 * i] != 0 && data[2 * i + 1] == 0) ++narrowInWide;
  }
  return narrowInWide * 2 > pairs;
}

std::string narrowWideText(const unsigned char* data, std::size_t length, bool toUtf8) {
  std::vector<char16_t> units = wideUnits(data, length);
  return toUtf8 ? unitsToUtf8(units) : unitsToAnsi(units);
}
