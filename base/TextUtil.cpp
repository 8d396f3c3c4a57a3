// TextUtil.cpp: line and token reading, replacement and upper-casing on 8-bit text.
#include "base/TextUtil.h"

#include <algorithm>

bool ReadTextLine(std::string_view text, std::size_t& pos, std::string& out,
                  std::size_t maxLength) {
  out.clear();
  if (pos > text.size()) return false;
  std::size_t end = text.find('\r', pos);
  if (end == std::string_view::npos) end = text.size();
  if (end - pos > maxLength) return false;
  out.assign(text.substr(pos, end - pos));
  pos = end + 1;
  if (end < text.size() && pos < text.size() && text[pos] == '\n') ++pos;
  return true;
}

bool ReadToken(std::string_view text, std::size_t& pos, std::string& out, std::size_t maxLength,
               char delimiter) {
  out.clear();
  if (pos > text.size()) return false;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  if (pos == text.size()) return false;
  std::size_t end = text.find(delimiter, pos);
  if (end == std::string_view::npos) end = text.size();
  if (end - pos > maxLength) return false;
  out.assign(text.substr(pos, end - pos));
  pos = end + 1;
  return true;
}

void ReplaceAll(std::string& text, std::string_view find, std::string_view replacement) {
  if (find.empty()) return;
  std::size_t match = text.find(find);
  if (match == std::string::npos) return;
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (; match != std::string::npos; match = text.find(find, from)) {
    result.append(text, from, match - from);
    result.append(replacement);
    from = match + find.size();
  }
  result.append(text, from, std::string::npos);
  text.swap(result);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view word) {
  for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
    if (EqualsIgnoringAsciiCase(text.substr(i, word.size()), word)) return true;
  }
  return false;
}

std::string LowerAsciiCopy(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

void ToUpperAscii(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

void ReplaceChar(std::string& text, std::size_t count, char oldChar, char newChar) {
  const std::size_t n = std::min(count, text.size());
  std::replace(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), oldChar, newChar);
}
