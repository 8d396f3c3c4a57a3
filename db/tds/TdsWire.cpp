// TdsWire.cpp: packet framing and token bytes of TDS 7.4.
#include "db/tds/TdsWire.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace qiva::tds {
namespace {

constexpr size_t kHeader = 8;

bool ReadExactly(int socket, char* out, size_t n) {
  while (n > 0) {
    const ssize_t got = ::recv(socket, out, n, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out += got;
    n -= static_cast<size_t>(got);
  }
  return true;
}

bool WriteAll(int socket, const char* data, size_t n) {
  while (n > 0) {
    const ssize_t sent = ::send(socket, data, n, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data += sent;
    n -= static_cast<size_t>(sent);
  }
  return true;
}

}  // namespace

void ByteWriter::u16(std::uint16_t v) {
  u8(static_cast<std::uint8_t>(v));
  u8(static_cast<std::uint8_t>(v >> 8));
}
void ByteWriter::u32(std::uint32_t v) {
  u16(static_cast<std::uint16_t>(v));
  u16(static_cast<std::uint16_t>(v >> 16));
}
void ByteWriter::u64(std::uint64_t v) {
  u32(static_cast<std::uint32_t>(v));
  u32(static_cast<std::uint32_t>(v >> 32));
}
void ByteWriter::utf16(std::u16string_view text) {
  for (const char16_t c : text) u16(c);
}
void ByteWriter::bVarchar(std::u16string_view text) {
  text = text.substr(0, 255);
  u8(static_cast<std::uint8_t>(text.size()));
  utf16(text);
}
void ByteWriter::usVarchar(std::u16string_view text) {
  text = text.substr(0, 65535);
  u16(static_cast<std::uint16_t>(text.size()));
  utf16(text);
}
void ByteWriter::patchU16(size_t at, std::uint16_t v) {
  bytes_[at] = static_cast<char>(v & 0xFF);
  bytes_[at + 1] = static_cast<char>(v >> 8);
}

bool ReadMessage(int socket, Message& out) {
  out.payload.clear();
  for (;;) {
    char header[kHeader];
    if (!ReadExactly(socket, header, kHeader)) return false;
    const size_t length =
        (static_cast<unsigned char>(header[2]) << 8) | static_cast<unsigned char>(header[3]);
    if (length < kHeader) return false;
    out.type = static_cast<std::uint8_t>(header[0]);
    const size_t before = out.payload.size();
    out.payload.resize(before + length - kHeader);
    if (!ReadExactly(socket, out.payload.data() + before, length - kHeader)) return false;
    if (header[1] & 0x01) return true;
  }
}

bool Readable(int socket) {
  pollfd p{socket, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP)) != 0;
}

bool SendPackets(int socket, std::uint8_t type, std::string_view payload, size_t packetSize,
                 bool last) {
  const size_t room = packetSize - kHeader;
  std::string packet;
  std::uint8_t id = 1;
  do {
    const size_t n = std::min(room, payload.size());
    const bool end = last && n == payload.size();
    const size_t length = n + kHeader;
    packet.assign({static_cast<char>(type), static_cast<char>(end ? 1 : 0),
                   static_cast<char>(length >> 8), static_cast<char>(length & 0xFF), 0, 0,
                   static_cast<char>(id++), 0});
    packet.append(payload.substr(0, n));
    if (!WriteAll(socket, packet.data(), packet.size())) return false;
    payload.remove_prefix(n);
  } while (!payload.empty());
  return true;
}

std::string CollationBytes(bool utf8) {
  // Bits 0-19 the locale id, 20 ignore case, 22 ignore kana, 23 ignore width, 26 UTF-8,
  // 28-31 the collation version; then the sort id (0: a Windows collation).
  const std::uint32_t info =
      utf8 ? 0x0409u | 0x00D00000u | 0x04000000u | 0x20000000u : 0x0418u | 0x00D00000u;
  ByteWriter w;
  w.u32(info);
  w.u8(0);
  return w.bytes();
}

std::uint16_t ReadU16(std::string_view b, size_t at) {
  if (at + 2 > b.size()) return 0;
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    (static_cast<unsigned char>(b[at + 1]) << 8));
}

std::uint32_t ReadU32(std::string_view b, size_t at) {
  return ReadU16(b, at) | (static_cast<std::uint32_t>(ReadU16(b, at + 2)) << 16);
}

std::u16string ReadUtf16(std::string_view b, size_t at, size_t chars) {
  if (at + chars * 2 > b.size()) return {};
  std::u16string out;
  out.reserve(chars);
  for (size_t i = 0; i < chars; ++i) out.push_back(static_cast<char16_t>(ReadU16(b, at + 2 * i)));
  return out;
}

}  // namespace qiva::tds
