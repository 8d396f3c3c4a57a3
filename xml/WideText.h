// WideText.h: recognising 16-bit (UTF-16LE) text and narrowing it to 8-bit text.
// Stands in for the Windows wide-text test and WideCharToMultiByte; nothing XML-specific here.
#pragma once

#include <cstddef>
#include <string>

// True when the data look like UTF-16LE text: they begin with FF FE (or EF FF), or in their
// first 4 KiB more than half of the byte pairs are a non-zero byte followed by a zero byte.
bool looksLikeWideText(const unsigned char* data, std::size_t length);

// Converts UTF-16LE data, after skipping a leading FF FE or EF FF and up to the first 16-bit
// zero (or the end; an odd last byte is ignored), to UTF-8 when `toUtf8`, else to the 8-bit
// code page: Windows-1250 on POSIX (characters it lacks become '?'), the system's ANSI code
// page on Windows. Unpaired surrogates become U+FFFD in UTF-8. Throws std::bad_alloc only.
std::string narrowWideText(const unsigned char* data, std::size_t length, bool toUtf8);
