// TdsWire.h: the bytes of the TDS 7.4 protocol that the test server speaks: packet framing over
// a socket, and the tokens of a server's reply (ENVCHANGE, INFO, ERROR, LOGINACK, COLMETADATA,
// ROW, RETURNSTATUS, DONE and its kin). What a reply means is TdsSession's business.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qiva::tds {

// Packet types.
enum : std::uint8_t {
  kPacketSqlBatch = 0x01,
  kPacketRpc = 0x03,
  kPacketReply = 0x04,
  kPacketAttention = 0x06,
  kPacketTransaction = 0x0E,
  kPacketLogin7 = 0x10,
  kPacketPrelogin = 0x12,
};

// DONE status bits.
enum : std::uint16_t {
  kDoneFinal = 0x00,
  kDoneMore = 0x01,
  kDoneError = 0x02,
  kDoneCount = 0x10,
  kDoneAttention = 0x20,
};

// Token types.
enum : std::uint8_t {
  kTokenReturnStatus = 0x79,
  kTokenColMetadata = 0x81,
  kTokenError = 0xAA,
  kTokenInfo = 0xAB,
  kTokenLoginAck = 0xAD,
  kTokenRow = 0xD1,
  kTokenEnvChange = 0xE3,
  kTokenDone = 0xFD,
  kTokenDoneProc = 0xFE,
  kTokenDoneInProc = 0xFF,
};

// A growing little-endian byte buffer.
class ByteWriter {
 public:
  void u8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
  void u16(std::uint16_t v);
  void u32(std::uint32_t v);
  void u64(std::uint64_t v);
  void raw(std::string_view b) { bytes_.append(b); }
  // UTF-16LE units of `text`.
  void utf16(std::u16string_view text);
  // B_VARCHAR: a one-byte length in characters, then UTF-16LE (cut at 255 characters).
  void bVarchar(std::u16string_view text);
  // US_VARCHAR: a two-byte length in characters, then UTF-16LE (cut at 65535 characters).
  void usVarchar(std::u16string_view text);
  // Overwrites two bytes at `at` (a length written before its contents were known).
  void patchU16(size_t at, std::uint16_t v);
  size_t size() const { return bytes_.size(); }
  std::string& bytes() { return bytes_; }

 private:
  std::string bytes_;
};

// A message read from the client: its packet type and the payloads of all its packets joined.
struct Message {
  std::uint8_t type = 0;
  std::string payload;
};

// Reads one whole message (up to the packet with the end-of-message bit). False when the peer
// closed the connection or sent a malformed header.
bool ReadMessage(int socket, Message& out);

// True when bytes wait on `socket` (no wait).
bool Readable(int socket);

// Sends `payload` as packets of type `type` of at most `packetSize` bytes, the last one (only
// when `last`) with the end-of-message bit. False when the peer is gone.
bool SendPackets(int socket, std::uint8_t type, std::string_view payload, size_t packetSize,
                 bool last);

// A collation of five bytes: the locale id with the case, accent, kana and width flags, and the
// sort id. Romanian_CI_AS (code page 1250) or, with `utf8`, Latin1_General_100_CI_AS_SC_UTF8.
std::string CollationBytes(bool utf8);

// Little-endian readers over a payload; out-of-range reads give 0.
std::uint16_t ReadU16(std::string_view b, size_t at);
std::uint32_t ReadU32(std::string_view b, size_t at);
// `chars` UTF-16LE units from `at`; empty when out of range.
std::u16string ReadUtf16(std::string_view b, size_t at, size_t chars);

}  // namespace qiva::tds
