// XmlEncoding_internal.h: the parser's process-wide options and the per-encoding byte tables
// by which it steps from one character to the next. Only xml/ includes this file.
#pragma once

#include <cstdint>

namespace xmldetail {

// One consistent copy of the options, taken at the start of a parse and used to its end.
struct ParserOptions {
  int encoding = 1;
  bool wideTextCheck = true;
  bool trimWhiteSpace = true;
};

ParserOptions currentOptions();
// Changes only the encoding (1, 2 or 3; other values are ignored), leaving the flags as they
// are without a window in which another thread's flags could be overwritten.
void setEncoding(int encoding);

// Byte classes of one encoding. In every scan table 0 means "an ordinary one-byte character";
// a non-zero entry is a byte the scan must stop at: the 0 that ends the data, the markup bytes
// of that scan, or the first byte of a multi-byte character (which the scan steps over whole).
struct EncodingTables {
  std::uint8_t length[256];       // bytes of the character a byte starts; 0 for the 0 byte
  std::uint8_t plainStop[256];    // plain text: white space, < = > / and multi-byte starts
  std::uint8_t contentStop[256];  // element content: < and multi-byte starts
  std::uint8_t quoteStop[256];    // quoted value: both quotes, < and multi-byte starts
  std::uint8_t entityStop[256];   // entity decoding: & and multi-byte starts
};

// Tables of encoding 1, 2 or 3 (UTF-8 for any other value).
const EncodingTables& encodingTables(int encoding);

// Steps over the character starting at `p` (a multi-byte start), never past a 0 byte.
inline const unsigned char* stepCharacter(const unsigned char* p, const EncodingTables& tables) {
  unsigned length = tables.length[*p];
  ++p;
  while (length > 1 && *p != 0) {
    ++p;
    --length;
  }
  return p;
}

}  // namespace xmldetail
