// WideText.cpp: UTF-16LE detection and conversion to UTF-8 or to an 8-bit code page.
// Windows builds use the system's ANSI code page for the 8-bit case; POSIX uses Windows-1250.
#include "xml/WideText.h"

#include <cstdint>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "base/CodePage1250.h"
#include "base/Utf16.h"

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

// Windows-1250 as Windows narrows to it (a character the code page lacks becomes '?').
std::string unitsToAnsi(const std::vector<char16_t>& units) {
  return Utf16ToCp1250(std::u16string_view(units.data(), units.size()));
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
