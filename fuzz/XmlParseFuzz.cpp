// XmlParseFuzz.cpp: libFuzzer target for the XML parser. The first input byte chooses the
// options and the tag; the rest is parsed, its tree walked whole, and checked for consistency.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "xml/WideText.h"
#include "xml/XmlParser.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// Reads every name, value, text and clear of the tree, without recursion.
std::size_t walk(const XmlElement& root) {
  std::size_t bytes = 0;
  std::vector<XmlElement> pending{root};
  while (!pending.empty()) {
    XmlElement element = pending.back();
    pending.pop_back();
    if (element.tagName()) bytes += std::strlen(element.tagName());
    for (int i = 0; i < element.attributeCount(); ++i) {
      check(element.attributeNameAt(i) != nullptr);
      bytes += std::strlen(element.attributeNameAt(i));
      if (const char* value = element.attributeValueAt(i)) bytes += std::strlen(value);
      element.attributeValue(element.attributeNameAt(i));
    }
    for (int i = 0; i < element.textCount(); ++i) bytes += std::strlen(element.textAt(i));
    for (int i = 0; i < element.clearCount(); ++i) bytes += std::strlen(element.clearAt(i).value);
    check(element.textAt(element.textCount()) == nullptr);
    for (int i = 0; i < element.childCount(); ++i) {
      XmlElement child = element.childAt(i);
      check(!child.isNull() && child.tagName() != nullptr);
      pending.push_back(child);
    }
  }
  return bytes;
}

void parseAndCheck(const std::string& text, std::string_view tag) {
  XmlParseResult result;
  XmlElement root = parseXmlText(text.c_str(), tag, result);
  bool warning = result.code == kXmlWarningUnmatchedEndTag || result.code == kXmlWarningNoTagFound;
  check(result.code == kXmlNoError || warning || root.isNull());
  check(result.line >= 0 && result.column >= 0);
  if (result.code == kXmlNoError || result.code == kXmlErrorFirstTagNotFound ||
      result.code == kXmlErrorWideConversion) {
    check(result.line == 0 && result.column == 0);
  } else {
    check(result.line >= 1 && result.column >= 1);
  }
  if (!root.isNull() && !tag.empty()) check(root.tagName() != nullptr);
  walk(root);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned control = data[0];
  ++data;
  --size;
  setParserOptions(1 + static_cast<int>(control % 3), (control >> 2) & 1, (control >> 3) & 1);
  std::string_view tag = (control & 16) ? "a" : "";
  detectEncoding(data, size, (control & 32) != 0);

  std::string text(reinterpret_cast<const char*>(data), size);
  parseAndCheck(text, tag);
  if (looksLikeWideText(data, size)) {
    parseAndCheck(narrowWideText(data, size, (control & 64) != 0), tag);
  }
  return 0;
}
