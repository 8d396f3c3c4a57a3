// XmlParser.h: the lenient in-memory XML parser that every import and the update check use.
// Declares the element handle, the parse outcome and the load/parse entry points; the parse
// itself, the node storage and the 16-bit text conversion live in their own files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace xmldetail {
struct Node;
}

class XmlChildren;

// Outcome of a parse: an error code (see errorText) with the line and column of the fault,
// both counted from 1; 0 and 0 where no position applies.
struct XmlParseResult {
  std::int32_t code = 0;
  std::int32_t line = 0;
  std::int32_t column = 0;
  // True when the data ended while the returned document element was still open: the file was
  // cut short (a broken download, a full disk, a zero byte in the middle). Independent of the
  // code, which stays as the parse gives it.
  bool cutShort = false;
};

// Error codes of XmlParseResult. Codes 1 and 2 are warnings (the tree is kept); every other
// non-zero code is fatal and comes with the empty element.
enum XmlErrorCode : std::int32_t {
  kXmlNoError = 0,
  kXmlWarningUnmatchedEndTag = 1,
  kXmlWarningNoTagFound = 2,
  kXmlErrorNoData = 3,
  kXmlErrorMissingStartTagName = 4,
  kXmlErrorMissingEndTagName = 5,
  kXmlErrorUnmatchedEndTag = 6,
  kXmlErrorUnmatchedClearTag = 7,
  kXmlErrorUnexpectedToken = 8,
  kXmlErrorNoElements = 9,
  kXmlErrorFileNotFound = 10,
  kXmlErrorFirstTagNotFound = 11,
  kXmlErrorUnknownEntity = 12,
  kXmlErrorWideConversion = 13,
};

// Parser encodings (the byte-length table used to step from one character to the next).
enum XmlEncoding : int {
  kXmlEncodingUnknown = 0,  // detectEncoding only: keep the current encoding
  kXmlEncodingUtf8 = 1,
  kXmlEncodingSingleByte = 2,
  kXmlEncodingShiftJis = 3,
};

// An unparsed section (comment, CDATA, DOCTYPE...): its content and the markers around it.
// All three are null for a position out of range.
struct XmlClear {
  const char* value = nullptr;
  const char* openTag = nullptr;
  const char* closeTag = nullptr;
};

// Reference-counted handle on one element of a parsed tree. The tree lives while any handle on
// any of its nodes lives; a child held alone survives its parent, detached. Default-constructed
// is the empty element, which every look-up returns when it finds nothing. Handles of one tree
// must stay on one thread (the counts are not atomic).
class XmlElement {
 public:
  XmlElement() noexcept = default;
  XmlElement(const XmlElement& other) noexcept;
  XmlElement(XmlElement&& other) noexcept;
  XmlElement& operator=(const XmlElement& other) noexcept;
  XmlElement& operator=(XmlElement&& other) noexcept;
  ~XmlElement();

  // The one static empty element.
  static const XmlElement& empty();

  // The element's name; nullptr for the empty element and for the nameless document node.
  const char* tagName() const;
  // True for the empty element.
  bool isNull() const;
  // True when the element was opened with "<?" (such as the <?xml ...?> line).
  bool isDeclaration() const;

  // Numbers of child elements, text pieces, unparsed sections and attributes (0 when empty).
  int childCount() const;
  int textCount() const;
  int clearCount() const;
  int attributeCount() const;

  // The child element at `index` (from 0, document order); the empty element when out of range.
  XmlElement childAt(int index) const;
  // The child elements in document order, for a range-for loop (none for the empty element).
  XmlChildren children() const;
  // The first child from *position on (0 when null) whose name equals `name` in any ASCII case;
  // sets *position to the found index + 1. The empty element when none is found.
  XmlElement findChild(std::string_view name, int* position = nullptr) const;
  // The value of the first attribute from *position on (0 when null) named `name` in any ASCII
  // case; sets *position past it. Points into the tree (valid while the node lives); nullptr
  // when absent or written without a value, "" when written as ''.
  const char* attributeValue(std::string_view name, int* position = nullptr) const;
  // Name and value of the attribute at `index`; nullptr when out of range (value: also when
  // written without a value).
  const char* attributeNameAt(int index) const;
  const char* attributeValueAt(int index) const;
  // The text piece at `index`, entities decoded; nullptr when out of range.
  const char* textAt(int index) const;
  // The unparsed section at `index`, stored as read (no entities decoded).
  XmlClear clearAt(int index) const;

  // Internal: wraps a node, taking one reference on it.
  explicit XmlElement(xmldetail::Node* node) noexcept;

 private:
  xmldetail::Node* node_ = nullptr;
};

// An element's children as a range. It holds its own handle on the parent, so the tree lives
// while the loop runs.
class XmlChildren {
 public:
  class iterator {
   public:
    iterator(const XmlElement* parent, int index) : parent_(parent), index_(index) {}
    XmlElement operator*() const { return parent_->childAt(index_); }
    iterator& operator++() {
      ++index_;
      return *this;
    }
    bool operator==(const iterator& other) const { return index_ == other.index_; }

   private:
    const XmlElement* parent_;
    int index_;
  };

  explicit XmlChildren(const XmlElement& parent) : parent_(parent) {}
  iterator begin() const { return {&parent_, 0}; }
  iterator end() const { return {&parent_, parent_.childCount()}; }

 private:
  XmlElement parent_;
};

inline XmlChildren XmlElement::children() const { return XmlChildren(*this); }

// Chooses the encoding from the file's first 200 bytes, then loads and parses the file; on any
// non-zero code prints "XML Parsing error inside file ..." on standard output. Returns the
// document element for codes 0 and 1, the empty element otherwise.
XmlElement openFileHelper(const std::string& path, std::string_view tag);
// The same, also handing out the parse's outcome.
XmlElement openFileHelper(const std::string& path, std::string_view tag, XmlParseResult& result);

// openFileHelper without the message on standard output: for a caller that tries another root
// tag when this one is not found, or tells the fault in its own words.
XmlElement openFileQuietly(const std::string& path, std::string_view tag, XmlParseResult& result);

// The message openFileHelper prints for a parse that did not end with code 0.
std::string parseErrorMessage(const std::string& path, std::string_view tag,
                              const XmlParseResult& result);

// Reads the file whole (16-bit text converted, a UTF-8 marker skipped) and parses it with the
// current options. Code 10 when it cannot be opened or read, 3 when it is empty.
XmlElement loadXmlFile(const std::string& path, std::string_view tag, XmlParseResult& result);

// Parses zero-terminated text with the current options and returns the element named `tag`
// (any case; any document element when `tag` is empty). nullptr text gives code 9.
XmlElement parseXmlText(const char* text, std::string_view tag, XmlParseResult& result);
// The same for text that need not be zero-terminated (it ends at its size or its first 0 byte).
XmlElement parseXmlText(std::string_view text, std::string_view tag, XmlParseResult& result);

// Guesses the encoding of a file from its first bytes: 0 (unknown: keep the current one),
// 1 UTF-8, 2 single-byte, 3 Shift-JIS. Consults the encoding attribute when asked to.
int detectEncoding(const unsigned char* bytes, std::size_t length, bool useEncodingAttribute);

// Sets the process-wide options: the two flags always, the encoding only when it is 1, 2 or 3
// (returns 0); any other encoding leaves it unchanged and returns 1. Safe from any thread; a
// parse already running keeps the options it started with.
int setParserOptions(int encoding, int wideTextCheck, int trimWhiteSpace);

// The text of an error code ("Unknown" for codes outside the table).
const char* errorText(int code);
