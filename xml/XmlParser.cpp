// XmlParser.cpp: the entry points: error texts, parsing a text, loading a file whole (with the
// 16-bit conversion and the UTF-8 marker) and openFileHelper's encoding guess and message.
#include "xml/XmlParser.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "xml/WideText.h"
#include "xml/XmlEncoding_internal.h"
#include "xml/XmlNode_internal.h"
#include "xml/XmlParse_internal.h"

namespace {

constexpr std::size_t kEncodingSampleBytes = 200;
// The read buffer ends with this many zero bytes, so a multi-byte step at the end of the data
// still lands on a 0.
constexpr std::size_t kZeroPadding = 4;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct BufferFree {
  void operator()(unsigned char* buffer) const { xmldetail::freeBlock(buffer); }
};

File openForReading(const std::string& path) { return File(std::fopen(path.c_str(), "rb")); }

// Size of an open file in bytes, or -1 when it cannot be told.
long long fileSize(std::FILE* file) {
#ifdef _WIN32
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  long long size = _ftelli64(file);
  if (_fseeki64(file, 0, SEEK_SET) != 0) return -1;
#else
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  long long size = ftello(file);
  if (fseeko(file, 0, SEEK_SET) != 0) return -1;
#endif
  return size;
}

XmlElement failWith(XmlParseResult& result, std::int32_t code) {
  result = XmlParseResult{code, 0, 0};
  return XmlElement();
}

XmlElement parseBuffer(const unsigned char* data, std::size_t size, std::string_view tag,
                       XmlParseResult& result, const xmldetail::ParserOptions& options) {
  if (options.wideTextCheck && looksLikeWideText(data, size)) {
    std::string narrow;
    try {
      narrow = narrowWideText(data, size, options.encoding == kXmlEncodingUtf8);
    } catch (const std::bad_alloc&) {
      return failWith(result, kXmlErrorWideConversion);
    }
    return xmldetail::parseText(reinterpret_cast<const unsigned char*>(narrow.c_str()),
                                narrow.size(), tag, result, options);
  }
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
    data += 3;
    size -= 3;
  }
  return xmldetail::parseText(data, size, tag, result, options);
}

}  // namespace

const char* errorText(int code) {
  static const char* const kTexts[] = {
      "No error",
      "Warning: Unmatched end tag",
      "Warning: No XML tag found",
      "Error: No XML data",
      "Error: Missing start tag name",
      "Error: Missing end tag name",
      "Error: Unmatched end tag",
      "Error: Unmatched clear tag end",
      "Error: Unexpected token found",
      "Error: No elements found",
      "Error: File not found",
      "Error: First Tag not found",
      "Error: Unknown character entity",
      "Error: unable to convert between WideChar and MultiByte chars",
      "Error: unable to open file for writing",
      "Error: cannot write into file",
      "Warning: Base64-string length is not a multiple of 4",
      "Error: Base64-string contains an illegal character",
      "Warning: Base64-string is truncated",
      "Error: Base64 decode output buffer is too small",
  };
  if (code < 0 || code >= static_cast<int>(sizeof kTexts / sizeof kTexts[0])) return "Unknown";
  return kTexts[code];
}

XmlElement parseXmlText(const char* text, std::string_view tag, XmlParseResult& result) {
  if (text == nullptr) return failWith(result, kXmlErrorNoElements);
  return xmldetail::parseText(reinterpret_cast<const unsigned char*>(text), std::strlen(text), tag,
                              result, xmldetail::currentOptions());
}

XmlElement parseXmlText(std::string_view text, std::string_view tag, XmlParseResult& result) {
  std::string copy;
  try {
    copy.assign(text.data(), text.size());
  } catch (const std::bad_alloc&) {
    return failWith(result, kXmlErrorWideConversion);
  }
  return xmldetail::parseText(reinterpret_cast<const unsigned char*>(copy.c_str()), copy.size(),
                              tag, result, xmldetail::currentOptions());
}

XmlElement loadXmlFile(const std::string& path, std::string_view tag, XmlParseResult& result) {
  const xmldetail::ParserOptions options = xmldetail::currentOptions();
  result.line = 0;
  result.column = 0;
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return failWith(result, kXmlErrorFileNotFound);
  File file = openForReading(path);
  if (!file) return failWith(result, kXmlErrorFileNotFound);
  long long size = fileSize(file.get());
  if (size < 0) return failWith(result, kXmlErrorFileNotFound);
  if (size == 0) return failWith(result, kXmlErrorNoData);
  // A file that cannot be held in memory is refused as a whole, never read in part.
  if (static_cast<unsigned long long>(size) > SIZE_MAX - kZeroPadding) {
    return failWith(result, kXmlErrorWideConversion);
  }
  std::size_t length = static_cast<std::size_t>(size);
  std::unique_ptr<unsigned char, BufferFree> buffer;
  try {
    buffer.reset(static_cast<unsigned char*>(xmldetail::allocateBlock(length + kZeroPadding)));
  } catch (const std::bad_alloc&) {
    return failWith(result, kXmlErrorWideConversion);
  }
  if (std::fread(buffer.get(), 1, length, file.get()) != length) {
    return failWith(result, kXmlErrorFileNotFound);
  }
  file.reset();
  std::memset(buffer.get() + length, 0, kZeroPadding);
  return parseBuffer(buffer.get(), length, tag, result, options);
}

XmlElement openFileHelper(const std::string& path, std::string_view tag) {
  XmlParseResult result;
  return openFileHelper(path, tag, result);
}

XmlElement openFileQuietly(const std::string& path, std::string_view tag, XmlParseResult& result) {
  if (File file = openForReading(path)) {
    unsigned char sample[kEncodingSampleBytes];
    std::size_t count = std::fread(sample, 1, sizeof sample, file.get());
    xmldetail::setEncoding(detectEncoding(sample, count, true));
  }
  result = XmlParseResult{};
  XmlElement element = loadXmlFile(path, tag, result);
  if (result.code != kXmlNoError && result.code != kXmlWarningUnmatchedEndTag) return XmlElement();
  return element;
}

std::string parseErrorMessage(const std::string& path, std::string_view tag,
                              const XmlParseResult& result) {
  std::string message = "XML Parsing error inside file '" + path + "'.\n" + errorText(result.code) +
                        "\nAt line " + std::to_string(result.line) + ", column " +
                        std::to_string(result.column) + ".\n";
  if (result.code == kXmlErrorFirstTagNotFound) {
    message += "First Tag should be '" + std::string(tag) + "'.\n";
  }
  return message;
}

XmlElement openFileHelper(const std::string& path, std::string_view tag, XmlParseResult& result) {
  XmlElement element = openFileQuietly(path, tag, result);
  if (result.code != kXmlNoError) {
    const std::string message = parseErrorMessage(path, tag, result);
    std::fwrite(message.data(), 1, message.size(), stdout);
    std::fflush(stdout);
  }
  return element;
}
