// XmlParse.cpp: tokens, the element parse states, end-tag hand-up, texts, entities, the choice
// of the document element and the position of faults. One pass over the text, no recursion:
// open elements are kept on an explicit stack, so nesting depth is bounded only by memory.
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "base/TextUtil.h"
#include "base/Utf16.h"
#include "xml/XmlNode_internal.h"
#include "xml/XmlParse_internal.h"

namespace xmldetail {

namespace {

using Byte = unsigned char;

enum class TokenKind {
  End,         // the 0 byte that ends the data
  Text,        // plain text
  Quoted,      // quoted value (begin/end exclude the quotes)
  Clear,       // unparsed section (begin/end: its content)
  StartOpen,   // <
  DeclOpen,    // <?
  EndOpen,     // </
  EmptyClose,  // />
  Equals,      // =
  TagEnd,      // >
};

struct Token {
  TokenKind kind = TokenKind::End;
  const Byte* start = nullptr;  // first byte of the token in the text
  const Byte* begin = nullptr;
  const Byte* end = nullptr;
  const char* openTag = nullptr;   // Clear only
  const char* closeTag = nullptr;  // Clear only; nullptr when the closing marker is missing
};

// Unparsed sections, tried in this order; the opening marker is matched with case.
struct ClearMarker {
  const char* open;
  std::size_t openLength;
  const char* close;
};
constexpr ClearMarker kClearMarkers[] = {
    {"<![CDATA[", 9, "]]>"},      {"<!DOCTYPE", 9, ">"}, {"<PRE>", 5, "</PRE>"},
    {"<Script>", 8, "</Script>"}, {"<!--", 4, "-->"},
};
constexpr const char* kDoctypeBracketClose = "]>";

struct NamedEntity {
  const char* name;  // after the &, with its ;
  std::size_t length;
  char value;
};
constexpr NamedEntity kNamedEntities[] = {
    {"amp;", 4, '&'}, {"lt;", 3, '<'}, {"gt;", 3, '>'}, {"quot;", 5, '"'}, {"apos;", 5, '\''},
};

bool isBlank(Byte c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

Byte lowerAscii(Byte c) { return static_cast<Byte>(LowerAscii(static_cast<char>(c))); }

bool startsWithIgnoringCase(const Byte* p, const Byte* end, const char* lowerPrefix,
                            std::size_t length) {
  const std::string_view text(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p));
  return StartsWithIgnoringAsciiCase(text, std::string_view(lowerPrefix, length));
}

// True when the zero-terminated `name` equals the bytes [begin, end) in any ASCII case.
bool nameEquals(const char* name, const Byte* begin, const Byte* end) {
  if (name == nullptr) return false;
  const auto* n = reinterpret_cast<const Byte*>(name);
  for (; begin < end; ++begin, ++n) {
    if (*n == 0 || lowerAscii(*n) != lowerAscii(*begin)) return false;
  }
  return *n == 0;
}

bool endsEndTagName(Byte c) { return isBlank(c) || c == '/' || c == '<' || c == '=' || c == '>'; }

// True when the end tag's name [begin, end) starts with the element's `name` in any ASCII case
// and the character after that start is a blank, "/", "<", "=" or ">" (at `end` that is the
// byte that ended the name in the text). So </ab/c> closes <ab>, and </abc> does not.
bool endTagMatches(const char* name, const Byte* begin, const Byte* end) {
  if (name == nullptr) return false;
  const auto* n = reinterpret_cast<const Byte*>(name);
  const Byte* p = begin;
  for (; *n != 0; ++n, ++p) {
    if (p == end || lowerAscii(*n) != lowerAscii(*p)) return false;
  }
  return endsEndTagName(*p);
}

int hexDigit(Byte c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// An element being parsed, with where its entries start on the shared stacks.
struct Frame {
  Node* node;
  std::size_t childStart;
  std::size_t attributeStart;
  std::size_t clearStart;
  std::size_t textStart;
};

// Thrown inside the parser only when a count outgrows the node's 32-bit fields.
struct TooLarge {};

class Parser {
 public:
  Parser(const Byte* text, std::size_t length, const ParserOptions& options)
      : text_(text),
        limit_(text + length),
        position_(text),
        tables_(encodingTables(options.encoding)),
        utf8_(options.encoding != kXmlEncodingSingleByte &&
              options.encoding != kXmlEncodingShiftJis),
        singleByte_(options.encoding == kXmlEncodingSingleByte),
        trim_(options.trimWhiteSpace),
        document_(new Document) {}

  // Builds the tree, then chooses the element named `tag` and fills `result`.
  XmlElement run(std::string_view tag, XmlParseResult& result);

 private:
  enum class Step { Continue, Stop };

  Token nextToken();
  Token clearToken(const Byte* start, const ClearMarker& marker);
  const Byte* plainTextEnd(const Byte* p) const;

  Step contentStep();
  Step startTagStep();
  Step endTag(const Byte* tagStart);
  void endOfData(const Byte* at);

  Node* newNode(const char* name, bool isDeclaration);
  void openElement(const Token& name, bool isDeclaration);
  void closeElement();
  bool addPendingText(const Byte* end);
  void addAttribute(const Byte* nameBegin, const Byte* nameEnd, const char* value);
  const char* copyText(const Byte* begin, const Byte* end);
  const char* copyName(const Byte* begin, const Byte* end);
  const Byte* quotedValueEnd(const Byte* q, Byte quote) const;
  const char* decodeText(const Byte* begin, const Byte* end);
  int decodeEntity(const Byte*& p, const Byte* end, char* out) const;

  Step fail(int code, const Byte* at);
  void warn(const Byte* at);
  XmlElement chooseElement(std::string_view tag, XmlParseResult& result);
  void locate(const Byte* at, XmlParseResult& result) const;

  const Byte* text_;
  const Byte* limit_;  // text_ + length: the terminating 0, never read past
  const Byte* position_;
  const EncodingTables& tables_;
  bool utf8_;        // the tables are UTF-8's (any encoding other than 2 and 3)
  bool singleByte_;  // encoding 2
  bool trim_;
  std::unique_ptr<Document> document_;
  Node* documentNode_ = nullptr;

  std::vector<Frame> frames_;
  std::vector<Node*> children_;
  std::vector<Attribute> attributes_;
  std::vector<Clear> clears_;
  std::vector<const char*> texts_;

  bool inStartTag_ = false;
  const Byte* pendingName_ = nullptr;  // attribute name read, not yet given a value
  const Byte* pendingNameEnd_ = nullptr;
  const Byte* textBegin_ = nullptr;  // start of the pending text; nullptr inside a start tag

  // Recently copied names: records repeat the same element and attribute names, which are
  // then stored once. A slot holds the last name that hashed to it.
  struct NameSlot {
    const char* name = nullptr;
    std::size_t length = 0;
  };
  static constexpr std::size_t kNameSlots = 64;
  static constexpr std::size_t kLongestSharedName = 32;
  NameSlot names_[kNameSlots];

  int code_ = kXmlNoError;
  const Byte* faultAt_ = nullptr;
  const Byte* stoppedAt_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Tokens

const Byte* Parser::plainTextEnd(const Byte* p) const {
  for (;;) {
    while (!tables_.plainStop[*p]) ++p;
    Byte b = *p;
    if (b == 0 || isBlank(b) || b == '<' || b == '=' || b == '>') return p;
    if (b == '/') {
      if (p[1] == '>') return p;
      ++p;
      continue;
    }
    p = stepCharacter(p, tables_);
  }
}

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Non-zero when one of the eight bytes of `word` is 0.
constexpr std::uint64_t hasZeroByte(std::uint64_t word) {
  return (word - kOnes) & ~word & kHighBits;
}

// Non-zero when one of the bytes is a quote, <, 0 or above 0x7F (a possible multi-byte start).
constexpr std::uint64_t mayStopQuotedValue(std::uint64_t word) {
  return hasZeroByte(word) | hasZeroByte(word ^ (kOnes * '"')) |
         hasZeroByte(word ^ (kOnes * '\'')) | hasZeroByte(word ^ (kOnes * '<')) |
         (word & kHighBits);
}

}  // namespace

// The closing `quote` of a value starting at `q`, or the < or 0 met before it. Plain ASCII is
// skipped eight bytes at a time; the byte table decides everything else.
const Byte* Parser::quotedValueEnd(const Byte* q, Byte quote) const {
  for (;;) {
    std::uint64_t word;
    while (limit_ - q >= 8) {
      std::memcpy(&word, q, sizeof word);
      if (mayStopQuotedValue(word)) break;
      q += 8;
    }
    while (!tables_.quoteStop[*q]) ++q;
    if (*q == quote || *q == 0 || *q == '<') return q;
    q = (*q == '"' || *q == '\'') ? q + 1 : stepCharacter(q, tables_);
  }
}

Token Parser::clearToken(const Byte* start, const ClearMarker& marker) {
  Token token;
  token.kind = TokenKind::Clear;
  token.start = start;
  token.openTag = marker.open;
  const char* content = reinterpret_cast<const char*>(start + marker.openLength);
  const char* close = marker.close;
  if (close[0] == '>') {
    // A DOCTYPE with an internal subset ends at "]>".
    const char* first = std::strpbrk(content, "<>");
    if (first != nullptr && *first == '<') close = kDoctypeBracketClose;
  }
  const char* found = std::strstr(content, close);
  token.begin = reinterpret_cast<const Byte*>(content);
  if (found == nullptr) {
    position_ = token.begin;
    return token;
  }
  token.closeTag = close;
  token.end = reinterpret_cast<const Byte*>(found);
  position_ = token.end + std::strlen(close);
  return token;
}

Token Parser::nextToken() {
  const Byte* p = position_;
  while (isBlank(*p)) ++p;
  Token token;
  token.start = p;
  Byte c = *p;
  switch (c) {
    case 0:
      position_ = p;
      return token;
    case '<':
      if (p[1] == '!' || p[1] == 'P' || p[1] == 'S') {
        for (const ClearMarker& marker : kClearMarkers) {
          if (std::strncmp(reinterpret_cast<const char*>(p), marker.open, marker.openLength) == 0) {
            return clearToken(p, marker);
          }
        }
      }
      if (p[1] == '/') {
        token.kind = TokenKind::EndOpen;
        position_ = p + 2;
      } else if (p[1] == '?') {
        token.kind = TokenKind::DeclOpen;
        position_ = p + 2;
      } else {
        token.kind = TokenKind::StartOpen;
        position_ = p + 1;
      }
      return token;
    case '"':
    case '\'': {
      const Byte* q = quotedValueEnd(p + 1, c);
      if (*q == c) {
        token.kind = TokenKind::Quoted;
        token.begin = p + 1;
        token.end = q;
        position_ = q + 1;
        return token;
      }
      break;  // not a quoted value: plain text from the quote
    }
    case '/':
      if (p[1] == '>') {
        token.kind = TokenKind::EmptyClose;
        position_ = p + 2;
        return token;
      }
      break;
    case '=':
      token.kind = TokenKind::Equals;
      position_ = p + 1;
      return token;
    case '>':
      token.kind = TokenKind::TagEnd;
      position_ = p + 1;
      return token;
    default:
      break;
  }
  token.kind = TokenKind::Text;
  token.begin = p;
  token.end = plainTextEnd(p);
  position_ = token.end;
  return token;
}

// ---------------------------------------------------------------------------------------------
// Tree building

Node* Parser::newNode(const char* name, bool isDeclaration) {
  Node* node = document_->arena.make<Node>();
  node->name = name;
  node->document = document_.get();
  node->isDeclaration = isDeclaration;
  ++document_->liveNodes;
  return node;
}

void Parser::openElement(const Token& name, bool isDeclaration) {
  Node* node = newNode(copyName(name.begin, name.end), isDeclaration);
  node->parent = frames_.back().node;
  node->references = 1;  // the parent's link
  children_.push_back(node);
  frames_.push_back(
      Frame{node, children_.size(), attributes_.size(), clears_.size(), texts_.size()});
}

// Gives the innermost open element its exact arrays and pops it.
void Parser::closeElement() {
  const Frame frame = frames_.back();
  frames_.pop_back();
  std::size_t children = children_.size() - frame.childStart;
  std::size_t attributes = attributes_.size() - frame.attributeStart;
  std::size_t clears = clears_.size() - frame.clearStart;
  std::size_t texts = texts_.size() - frame.textStart;
  constexpr std::size_t kMax = std::numeric_limits<std::int32_t>::max();
  if (children > kMax || attributes > kMax || clears > kMax || texts > kMax) throw TooLarge();
  Node* node = frame.node;
  node->childCount = static_cast<std::int32_t>(children);
  node->attributeCount = static_cast<std::int32_t>(attributes);
  node->clearCount = static_cast<std::int32_t>(clears);
  node->textCount = static_cast<std::int32_t>(texts);
  std::size_t bytes = children * sizeof(Node*) + attributes * sizeof(Attribute) +
                      clears * sizeof(Clear) + texts * sizeof(const char*);
  if (bytes == 0) return;
  node->items = document_->arena.allocate(bytes, alignof(Attribute));
  if (children)
    std::memcpy(node->children(), &children_[frame.childStart], children * sizeof(Node*));
  if (attributes) {
    std::memcpy(node->attributes(), &attributes_[frame.attributeStart],
                attributes * sizeof(Attribute));
  }
  if (clears) std::memcpy(node->clears(), &clears_[frame.clearStart], clears * sizeof(Clear));
  if (texts) std::memcpy(node->texts(), &texts_[frame.textStart], texts * sizeof(const char*));
  children_.resize(frame.childStart);
  attributes_.resize(frame.attributeStart);
  clears_.resize(frame.clearStart);
  texts_.resize(frame.textStart);
}

void Parser::addAttribute(const Byte* nameBegin, const Byte* nameEnd, const char* value) {
  attributes_.push_back(Attribute{copyName(nameBegin, nameEnd), value});
}

// Adds the text from the last tag up to `end` to the innermost element (trimmed, entities
// decoded); an empty text is not stored. False after an unknown entity.
bool Parser::addPendingText(const Byte* end) {
  const Byte* begin = textBegin_;
  textBegin_ = nullptr;
  if (begin == nullptr) return true;
  if (trim_) {
    while (begin < end && isBlank(*begin)) ++begin;
    while (end > begin && isBlank(end[-1])) --end;
  }
  if (begin == end) return true;
  const char* text = decodeText(begin, end);
  if (text == nullptr) return false;
  texts_.push_back(text);
  return true;
}

const char* Parser::copyText(const Byte* begin, const Byte* end) {
  std::size_t length = static_cast<std::size_t>(end - begin);
  char* out = document_->arena.allocateText(length + 1);
  std::memcpy(out, begin, length);
  out[length] = '\0';
  return out;
}

const char* Parser::copyName(const Byte* begin, const Byte* end) {
  std::size_t length = static_cast<std::size_t>(end - begin);
  if (length == 0 || length > kLongestSharedName) return copyText(begin, end);
  NameSlot& slot = names_[(length * 7 + begin[0] * 31u + end[-1]) % kNameSlots];
  if (slot.length == length && std::memcmp(slot.name, begin, length) == 0) return slot.name;
  slot.name = copyText(begin, end);
  slot.length = length;
  return slot.name;
}

// One entity at `p` (an &) within [p, end), written to `out`: returns the number of bytes
// written, with `p` moved past the entity, or -1 when the entity is unknown.
//
// A numeric reference names a Unicode code point. In a UTF-8 document it is written as that
// code point's UTF-8 bytes, so &#259; is the letter it names and not a control byte. In a
// single-byte document a code point below 256 is written as that byte and any other as "?"; in
// a Shift-JIS document only ASCII is written as itself, since a byte above 0x7F could start a
// double-byte character. 0 (which would cut the value short), a surrogate and anything above
// 0x10FFFF name no character: unknown. The output never outgrows the reference (&#128; gives
// 2 bytes, &#2048; 3, &#65536; 4), so the decoded text fits the space of the raw one.
int Parser::decodeEntity(const Byte*& p, const Byte* end, char* out) const {
  const Byte* q = p + 1;
  for (const NamedEntity& entity : kNamedEntities) {
    if (startsWithIgnoringCase(q, end, entity.name, entity.length)) {
      p = q + entity.length;
      *out = entity.value;
      return 1;
    }
  }
  if (q == end || *q != '#') return -1;
  ++q;
  bool hex = q < end && (*q == 'x' || *q == 'X');
  if (hex) ++q;
  const Byte* digits = q;
  constexpr std::uint32_t kLastCodePoint = 0x10FFFF;
  std::uint32_t value = 0;  // held at kLastCodePoint + 1 once beyond the last code point
  for (; q < end; ++q) {
    int digit = hex ? hexDigit(*q) : ((*q >= '0' && *q <= '9') ? *q - '0' : -1);
    if (digit < 0) break;
    value = value * (hex ? 16u : 10u) + static_cast<std::uint32_t>(digit);
    if (value > kLastCodePoint) value = kLastCodePoint + 1;
  }
  if (q == digits || q == end || *q != ';') return -1;
  if (value == 0 || value > kLastCodePoint || (value >= 0xD800 && value <= 0xDFFF)) return -1;
  p = q + 1;
  if (utf8_) return static_cast<int>(EncodeUtf8(value, out));
  const std::uint32_t lastByte = singleByte_ ? 0xFF : 0x7F;
  *out = value <= lastByte ? static_cast<char>(value) : '?';
  return 1;
}

// Copies [begin, end) with its entities decoded; nullptr (fault recorded) on an unknown one.
const char* Parser::decodeText(const Byte* begin, const Byte* end) {
  std::size_t length = static_cast<std::size_t>(end - begin);
  if (std::memchr(begin, '&', length) == nullptr) return copyText(begin, end);
  char* out = document_->arena.allocateText(length + 1);
  char* o = out;
  const Byte* p = begin;
  while (p < end) {
    const Byte* run = p;
    while (p < end && !tables_.entityStop[*p]) ++p;
    std::memcpy(o, run, static_cast<std::size_t>(p - run));
    o += p - run;
    if (p == end) break;
    if (*p == '&') {
      const Byte* entity = p;
      int written = decodeEntity(p, end, o);
      if (written < 0) {
        fail(kXmlErrorUnknownEntity, entity);
        return nullptr;
      }
      o += written;
      continue;
    }
    // A multi-byte character is copied whole, so an & inside it is not taken for an entity.
    std::size_t bytes = tables_.length[*p];
    if (bytes > static_cast<std::size_t>(end - p)) bytes = static_cast<std::size_t>(end - p);
    std::memcpy(o, p, bytes);
    o += bytes;
    p += bytes;
  }
  *o = '\0';
  document_->arena.trimText(out, static_cast<std::size_t>(o - out) + 1);
  return out;
}

// ---------------------------------------------------------------------------------------------
// Parse states

Parser::Step Parser::fail(int code, const Byte* at) {
  code_ = code;
  faultAt_ = at;
  return Step::Stop;
}

// Records warning 1; the first position recorded is the one reported.
void Parser::warn(const Byte* at) {
  if (code_ == kXmlNoError) {
    code_ = kXmlWarningUnmatchedEndTag;
    faultAt_ = at;
  }
}

// The end of the data: every element still open misses its end tag. Warning 1 is recorded
// only when the innermost one is an element proper: a declaration is never ended by an end
// tag, so data that end inside one (<a><?pi?>) are no fault.
void Parser::endOfData(const Byte* at) {
  const Node* current = frames_.back().node;
  if (frames_.size() > 1 && !current->isDeclaration) warn(at);
  for (std::size_t i = frames_.size(); i-- > 1;) frames_[i].node->unclosed = true;
  while (!frames_.empty()) closeElement();
}

Parser::Step Parser::contentStep() {
  const Byte* q = position_;
  for (;;) {
    while (!tables_.contentStop[*q]) ++q;
    if (*q == 0 || *q == '<') break;
    q = stepCharacter(q, tables_);
  }
  if (*q == 0) {
    if (!addPendingText(q)) return Step::Stop;
    stoppedAt_ = q;
    endOfData(q);
    return Step::Stop;
  }
  position_ = q;
  Token token = nextToken();
  if (!addPendingText(q)) return Step::Stop;
  switch (token.kind) {
    case TokenKind::Clear:
      if (token.closeTag == nullptr) return fail(kXmlErrorUnmatchedClearTag, token.start);
      clears_.push_back(Clear{copyText(token.begin, token.end), token.openTag, token.closeTag});
      textBegin_ = position_;
      return Step::Continue;
    case TokenKind::StartOpen:
    case TokenKind::DeclOpen: {
      Token name = nextToken();
      if (name.kind != TokenKind::Text) return fail(kXmlErrorMissingStartTagName, name.start);
      openElement(name, token.kind == TokenKind::DeclOpen);
      inStartTag_ = true;
      pendingName_ = nullptr;
      return Step::Continue;
    }
    default:  // EndOpen: a '<' starts no other token
      return endTag(token.start);
  }
}

// An end tag closes the innermost element whatever its name; a name that does not match is
// handed up to the enclosing elements until one matches (warning 1) or none does (code 6).
Parser::Step Parser::endTag(const Byte* tagStart) {
  Token name = nextToken();
  if (name.kind != TokenKind::Text) return fail(kXmlErrorMissingEndTagName, name.start);
  Token close = nextToken();
  if (close.kind != TokenKind::TagEnd) return fail(kXmlErrorMissingEndTagName, close.start);
  if (frames_.size() == 1) {
    // Outside any element: the rest of the text is not read.
    warn(tagStart);
    stoppedAt_ = position_;
    endOfData(position_);
    return Step::Stop;
  }
  bool matched = endTagMatches(frames_.back().node->name, name.begin, name.end);
  closeElement();
  if (!matched) {
    warn(tagStart);
    for (;;) {
      if (frames_.size() == 1) return fail(kXmlErrorUnmatchedEndTag, tagStart);
      matched = endTagMatches(frames_.back().node->name, name.begin, name.end);
      closeElement();
      if (matched) break;
    }
  }
  textBegin_ = position_;
  return Step::Continue;
}

Parser::Step Parser::startTagStep() {
  Token token = nextToken();
  bool isDeclaration = frames_.back().node->isDeclaration;
  switch (token.kind) {
    case TokenKind::Text:
      if (pendingName_) addAttribute(pendingName_, pendingNameEnd_, nullptr);
      pendingName_ = token.begin;
      pendingNameEnd_ = token.end;
      return Step::Continue;
    case TokenKind::Equals: {
      if (pendingName_ == nullptr) return fail(kXmlErrorUnexpectedToken, token.start);
      Token value = nextToken();
      const Byte* valueEnd = value.end;
      if (value.kind == TokenKind::Text) {
        // In <?xml ... version=1.0?> the final ? belongs to the closing ?>.
        if (isDeclaration && valueEnd[-1] == '?') --valueEnd;
      } else if (value.kind == TokenKind::End) {
        stoppedAt_ = value.start;
        endOfData(value.start);
        return Step::Stop;
      } else if (value.kind != TokenKind::Quoted) {
        return fail(kXmlErrorUnexpectedToken, value.start);
      }
      const char* decoded = decodeText(value.begin, valueEnd);
      if (decoded == nullptr) return Step::Stop;
      addAttribute(pendingName_, pendingNameEnd_, decoded);
      pendingName_ = nullptr;
      return Step::Continue;
    }
    case TokenKind::TagEnd:
      if (pendingName_) {
        const Byte* nameEnd = pendingNameEnd_;
        if (isDeclaration && nameEnd[-1] == '?') --nameEnd;
        if (nameEnd > pendingName_) addAttribute(pendingName_, nameEnd, nullptr);
        pendingName_ = nullptr;
      }
      inStartTag_ = false;
      textBegin_ = position_;
      return Step::Continue;
    case TokenKind::EmptyClose:
      if (pendingName_) addAttribute(pendingName_, pendingNameEnd_, nullptr);
      pendingName_ = nullptr;
      closeElement();
      inStartTag_ = false;
      textBegin_ = position_;
      return Step::Continue;
    case TokenKind::End:
      // The data end inside a start tag: a pending name never got its tag end.
      stoppedAt_ = token.start;
      endOfData(token.start);
      return Step::Stop;
    default:
      return fail(kXmlErrorUnexpectedToken, token.start);
  }
}

// ---------------------------------------------------------------------------------------------
// Document element and fault position

void Parser::locate(const Byte* at, XmlParseResult& result) const {
  std::int64_t line = 1;
  std::int64_t column = 1;
  const Byte* p = text_;
  while (p < at && *p != 0) {
    if (*p == '\n') {
      ++line;
      column = 1;
      ++p;
    } else {
      ++column;
      p = tables_.length[*p] > 1 ? stepCharacter(p, tables_) : p + 1;
    }
  }
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  result.line = static_cast<std::int32_t>(line < kMax ? line : kMax);
  result.column = static_cast<std::int32_t>(column < kMax ? column : kMax);
}

XmlElement Parser::run(std::string_view tag, XmlParseResult& result) {
  documentNode_ = newNode(nullptr, false);
  frames_.push_back(Frame{documentNode_, 0, 0, 0, 0});
  textBegin_ = text_;
  Step step = Step::Continue;
  while (step == Step::Continue) step = inStartTag_ ? startTagStep() : contentStep();
  return chooseElement(tag, result);
}

XmlElement Parser::chooseElement(std::string_view tag, XmlParseResult& result) {
  bool fatal = code_ != kXmlNoError && code_ != kXmlWarningUnmatchedEndTag;
  bool hasElement = fatal ? !children_.empty() : documentNode_->childCount > 0;
  if (!hasElement) {
    if (fatal) {
      // Only the document node is open: finish it so it can be handed out.
      while (!frames_.empty()) closeElement();
    }
    code_ = kXmlWarningNoTagFound;
    if (faultAt_ == nullptr) faultAt_ = stoppedAt_ ? stoppedAt_ : position_;
    fatal = false;
  }
  result.code = code_;
  result.line = 0;
  result.column = 0;
  if (code_ != kXmlNoError) locate(faultAt_, result);
  if (fatal) return XmlElement();

  // From here the tree is complete: its nodes own the document.
  document_.release();
  XmlElement documentHandle(documentNode_);
  Node* current = documentNode_;
  if (current->childCount == 1 && current->textCount == 0 && current->clearCount == 0 &&
      current->attributeCount == 0) {
    current = current->children()[0];
  }
  if (!tag.empty() && (current->name == nullptr ||
                       !nameEquals(current->name, reinterpret_cast<const Byte*>(tag.data()),
                                   reinterpret_cast<const Byte*>(tag.data() + tag.size())))) {
    Node* list = current;
    std::int32_t i = 0;
    Node* found = nullptr;
    while (i < list->childCount) {
      Node* child = list->children()[i];
      if (nameEquals(child->name, reinterpret_cast<const Byte*>(tag.data()),
                     reinterpret_cast<const Byte*>(tag.data() + tag.size()))) {
        found = child;
        break;
      }
      if (child->isDeclaration) {
        list = child;
        i = 0;
      } else {
        ++i;
      }
    }
    if (found == nullptr) {
      result = XmlParseResult{kXmlErrorFirstTagNotFound, 0, 0};
      return XmlElement();
    }
    current = found;
  }
  result.cutShort = current->unclosed;
  return XmlElement(current);
}

}  // namespace

XmlElement parseText(const unsigned char* text, std::size_t length, std::string_view tag,
                     XmlParseResult& result, const ParserOptions& options) {
  try {
    Parser parser(text, length, options);
    return parser.run(tag, result);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  } catch (const TooLarge&) {
  }
  result = XmlParseResult{kXmlErrorWideConversion, 0, 0};
  return XmlElement();
}

}  // namespace xmldetail
