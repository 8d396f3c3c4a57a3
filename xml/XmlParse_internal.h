// XmlParse_internal.h: the one-pass tree builder behind parseXmlText and loadXmlFile.
// Only xml/ includes this file.
#pragma once

#include <cstddef>
#include <string_view>

#include "xml/XmlEncoding_internal.h"
#include "xml/XmlParser.h"

namespace xmldetail {

// Parses `text`, which ends at its first 0 byte, at `text[length]` at the latest, with the given
// options snapshot and chooses the element named `tag`; fills `result` (code, line, column). Never
// throws: running out of memory gives code 13 and the empty element.
XmlElement parseText(const unsigned char* text, std::size_t length, std::string_view tag,
                     XmlParseResult& result, const ParserOptions& options);

}  // namespace xmldetail
