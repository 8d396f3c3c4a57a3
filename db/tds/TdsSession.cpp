// TdsSession.cpp: the conversation with one client. Replies are streamed: a statement's tokens
// leave as soon as a packet fills or an error is written, as SQL Server's do, so that a client
// that cancels after an error really loses the statements not yet run. The DONE of the latest
// statement is held back until it is known whether more follow (its "more" bit).
#include "db/tds/TdsSession.h"

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "base/CodePage1250.h"
#include "base/TextUtil.h"
#include "base/Utf16.h"
#include "db/ConnectionString.h"
#include "db/sqlite/ObservedRun.h"
#include "db/tds/TdsRows.h"
#include "db/tds/TdsWire.h"

namespace qiva::tds {
namespace {

constexpr size_t kPacketSize = 4096;
const std::u16string kServerName = u"QIVA-TDS";
constexpr const char* kCountersQuery = "select * from qiva_tds_counters";

void Pause(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The class SQL Server gives a message: 14 for a login or key violation, 15 for syntax, else 16.
std::uint8_t ClassOf(long number) {
  switch (number) {
    case 2627:
    case 2601:
    case 18456:
      return 14;
    case 102:
    case 156:
    case 170:
    case 105:
      return 15;
    default:
      return 16;
  }
}

std::uint16_t CommandOf(db::ObservedStatement::Kind kind) {
  using K = db::ObservedStatement::Kind;
  switch (kind) {
    case K::Select:
      return 0xC1;
    case K::Insert:
      return 0xC3;
    case K::Delete:
      return 0xC4;
    case K::Update:
      return 0xC5;
    case K::Exec:
      return 0xE0;
    case K::Set:
      return 0xB9;
    case K::Schema:
      return 0xC6;
    default:
      return 0;
  }
}

void WriteDone(ByteWriter& out, std::uint8_t token, std::uint16_t status, std::uint16_t command,
               long long rows) {
  out.u8(token);
  out.u16(status);
  out.u16(command);
  out.u64(rows < 0 ? 0 : static_cast<std::uint64_t>(rows));
}

void WriteMessage(ByteWriter& out, std::uint8_t token, long number, std::uint8_t state,
                  std::uint8_t severity, std::u16string_view text, std::u16string_view procedure,
                  int line) {
  out.u8(token);
  const size_t lengthAt = out.size();
  out.u16(0);
  out.u32(static_cast<std::uint32_t>(number));
  out.u8(state);
  out.u8(severity);
  out.usVarchar(text);
  out.bVarchar(kServerName);
  out.bVarchar(procedure);
  out.u32(static_cast<std::uint32_t>(line));
  out.patchU16(lengthAt, static_cast<std::uint16_t>(out.size() - lengthAt - 2));
}

void WriteEnvChange(ByteWriter& out, std::uint8_t type, std::u16string_view now,
                    std::u16string_view before) {
  out.u8(kTokenEnvChange);
  const size_t lengthAt = out.size();
  out.u16(0);
  out.u8(type);
  out.bVarchar(now);
  out.bVarchar(before);
  out.patchU16(lengthAt, static_cast<std::uint16_t>(out.size() - lengthAt - 2));
}

void WriteCollationChange(ByteWriter& out, bool utf8) {
  const std::string collation = CollationBytes(utf8);
  out.u8(kTokenEnvChange);
  out.u16(static_cast<std::uint16_t>(3 + collation.size()));
  out.u8(7);
  out.u8(static_cast<std::uint8_t>(collation.size()));
  out.raw(collation);
  out.u8(0);
}

std::string Trimmed(std::string s) {
  const size_t a = s.find_first_not_of(" \t\r\n;");
  const size_t b = s.find_last_not_of(" \t\r\n;");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool IsNameChar(char16_t c) {
  return c == u'_' || (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') ||
         (c >= u'A' && c <= u'Z') || c >= 0x80;
}

// The statement text as the engine holds text: code page 1250 bytes (a character the code page
// lacks becomes '?', as in a plain '...' literal), with the characters of N'...' literals kept
// as UTF-8; or all of it as UTF-8 in a UTF-8 database.
std::string EngineText(std::u16string_view text, bool utf8) {
  if (utf8) return Utf16ToUtf8(text);
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  auto copyUntil = [&](size_t end) {
    out += ::Utf16ToCp1250(text.substr(i, end - i));
    i = end;
  };
  while (i < text.size()) {
    const char16_t c = text[i];
    const bool national = (c == u'N' || c == u'n') && i + 1 < text.size() && text[i + 1] == u'\'' &&
                          (i == 0 || !IsNameChar(text[i - 1]));
    if (c == u'-' && i + 1 < text.size() && text[i + 1] == u'-') {
      const size_t end = text.find(u'\n', i);
      copyUntil(end == std::u16string_view::npos ? text.size() : end);
    } else if (c == u'/' && i + 1 < text.size() && text[i + 1] == u'*') {
      const size_t end = text.find(u"*/", i + 2);
      copyUntil(end == std::u16string_view::npos ? text.size() : end + 2);
    } else if (c == u'[') {
      const size_t end = text.find(u']', i);
      copyUntil(end == std::u16string_view::npos ? text.size() : end + 1);
    } else if (c == u'\'' || national) {
      size_t end = i + (national ? 2 : 1);
      for (; end < text.size(); ++end) {
        if (text[end] != u'\'') continue;
        if (end + 1 < text.size() && text[end + 1] == u'\'') {
          ++end;
          continue;
        }
        break;
      }
      end = std::min(end + 1, text.size());
      if (national) {
        out += Utf16ToUtf8(text.substr(i, end - i));
        i = end;
      } else {
        copyUntil(end);
      }
    } else {
      copyUntil(i + 1);
    }
  }
  return out;
}

class Session final : public db::StatementObserver {
 public:
  Session(int socket, const ServerOptions& options, ServerCounters& counters,
          const std::atomic<bool>& stop)
      : socket_(socket), options_(options), counters_(counters), stop_(stop) {}

  void Run() {
    if (!PreLogin() || !Login()) return;
    Message m;
    while (alive_ && !stop_ && ReadMessage(socket_, m)) {
      Pause(options_.latencyMs);
      switch (m.type) {
        case kPacketSqlBatch:
          Batch(m.payload);
          break;
        case kPacketAttention:
          AnswerAttention();
          break;
        case kPacketTransaction:
          Send(DoneOnly(kDoneFinal));
          break;
        default:
          Refuse(m.type);
          break;
      }
    }
  }

  // ---- the observer of a running batch ----
  void parsed(size_t statements) override {
    counters_.statements += static_cast<long long>(statements);
  }

  bool starting(const db::StatementPlace& place) override {
    ReleaseDone(kDoneMore);  // another statement follows the one whose DONE was held
    if (place.depth == 0) {
      ++statementNumber_;
      if (options_.hangAt && statementNumber_ == options_.hangAt) return Hang();
      if (options_.dropAt && statementNumber_ == options_.dropAt) return Drop();
    }
    if (options_.statementDelayMs > 0) {
      Flush();  // the client sees each statement's outcome while the next one waits
      Pause(options_.statementDelayMs);
    }
    if (Readable(socket_)) {
      Message m;
      if (!ReadMessage(socket_, m)) return Drop();
      if (m.type == kPacketAttention) attention_ = true;
      return !attention_;
    }
    return true;
  }

  void finished(const db::ObservedStatement& s) override {
    ReleaseDone(kDoneMore);
    for (const db::ProviderError& e : s.errors)
      WriteMessage(out_, kTokenError, e.number, 1, ClassOf(e.number),
                   StoredTextToUtf16(e.description), ::Utf8ToUtf16(s.place.procedure),
                   s.place.line);
    const bool failed = !s.errors.empty();
    const bool counted = s.rowCount >= 0 && !noCount_;
    if (s.kind == db::ObservedStatement::Kind::Set && s.setName == "NOCOUNT" && !failed)
      noCount_ = EqualsIgnoringAsciiCase(Trimmed(s.setValue), "ON");
    if (s.kind == db::ObservedStatement::Kind::Select && !failed && s.place.depth == 0) {
      WriteColumnMetadata(out_, s.columns, options_.utf8);
      for (const auto& row : s.rows) WriteRow(out_, s.columns, row, options_.utf8);
    }
    if (s.kind == db::ObservedStatement::Kind::Insert && !failed &&
        !options_.extraCountTable.empty() &&
        EqualsIgnoringAsciiCase(s.table, options_.extraCountTable)) {
      WriteDone(out_, kTokenDoneInProc, kDoneMore | kDoneCount, 0xC3, 1);
    }
    const std::uint16_t status = (failed ? kDoneError : 0) | (counted ? kDoneCount : 0);
    if (s.place.depth > 0) {
      WriteDone(out_, kTokenDoneInProc, kDoneMore | status, CommandOf(s.kind), s.rowCount);
    } else if (s.kind == db::ObservedStatement::Kind::Exec && !NotFound(s)) {
      out_.u8(kTokenReturnStatus);
      out_.u32(static_cast<std::uint32_t>(s.returnStatus.value_or(failed ? -6 : 0)));
      HoldDone(kTokenDoneProc, failed ? kDoneError : 0, CommandOf(s.kind), -1);
    } else {
      HoldDone(kTokenDone, status, CommandOf(s.kind), s.rowCount);
    }
    if (failed)
      Flush();
    else if (out_.size() >= kPacketSize)
      Flush();
  }

 private:
  static bool NotFound(const db::ObservedStatement& s) {
    for (const auto& e : s.errors)
      if (e.number == 2812) return true;
    return false;
  }

  // ---- login ----
  bool PreLogin() {
    Message m;
    if (!ReadMessage(socket_, m) || m.type != kPacketPrelogin) return false;
    Pause(options_.latencyMs);
    // Options: VERSION, ENCRYPTION (not supported: the session stays in plain text), INSTOPT,
    // THREADID, MARS; each entry is its type, offset and length (big-endian), then 0xFF.
    const std::string data(
        "\x10\x00\x0F\xA0\x00\x00"
        "\x02"
        "\x00"
        "\x00",
        9);
    const std::uint8_t types[] = {0, 1, 2, 4};
    const std::uint16_t lengths[] = {6, 1, 1, 1};
    std::string reply;
    std::uint16_t offset = 4 * 5 + 1;
    for (int i = 0; i < 4; ++i) {
      reply += static_cast<char>(types[i]);
      reply += static_cast<char>(offset >> 8);
      reply += static_cast<char>(offset & 0xFF);
      reply += static_cast<char>(lengths[i] >> 8);
      reply += static_cast<char>(lengths[i] & 0xFF);
      offset = static_cast<std::uint16_t>(offset + lengths[i]);
    }
    reply += '\xFF';
    reply += data;
    return SendPackets(socket_, kPacketReply, reply, kPacketSize, true);
  }

  static std::u16string LoginField(std::string_view p, size_t entry) {
    return ReadUtf16(p, ReadU16(p, entry), ReadU16(p, entry + 2));
  }

  // The password as LOGIN7 carries it: each byte's nibbles swapped, then XOR 0xA5.
  static std::u16string DecodePassword(std::string_view p, size_t entry) {
    const size_t at = ReadU16(p, entry), chars = ReadU16(p, entry + 2);
    if (at + 2 * chars > p.size()) return {};
    std::string plain(p.substr(at, 2 * chars));
    for (char& b : plain) {
      const auto x = static_cast<unsigned char>(static_cast<unsigned char>(b) ^ 0xA5);
      b = static_cast<char>(((x & 0x0F) << 4) | (x >> 4));
    }
    return ReadUtf16(plain, 0, chars);
  }

  bool Login() {
    Message m;
    if (!ReadMessage(socket_, m) || m.type != kPacketLogin7) return false;
    Pause(options_.latencyMs);
    const std::string_view p = m.payload;
    const std::u16string user = LoginField(p, 40);
    const std::u16string password = DecodePassword(p, 44);
    std::u16string database = LoginField(p, 68);
    if (!options_.user.empty() &&
        (Utf16ToUtf8(user) != options_.user || Utf16ToUtf8(password) != options_.password)) {
      ByteWriter out;
      WriteMessage(out, kTokenError, 18456, 1, 14, u"Login failed for user '" + user + u"'.", u"",
                   1);
      WriteDone(out, kTokenDone, kDoneError, 0, 0);
      SendPackets(socket_, kPacketReply, out.bytes(), kPacketSize, true);
      return false;
    }
    if (!options_.databaseName.empty() && !database.empty() &&
        !EqualsIgnoringAsciiCase(Utf16ToUtf8(database), options_.databaseName)) {
      // SQL Server refuses the login for a database it cannot open with two messages: 4060,
      // then the login failure itself.
      ByteWriter out;
      WriteMessage(
          out, kTokenError, 4060, 1, 11,
          u"Cannot open database \"" + database + u"\" requested by the login. The login failed.",
          u"", 1);
      WriteMessage(out, kTokenError, 18456, 1, 14, u"Login failed for user '" + user + u"'.", u"",
                   1);
      WriteDone(out, kTokenDone, kDoneError, 0, 0);
      SendPackets(socket_, kPacketReply, out.bytes(), kPacketSize, true);
      return false;
    }
    if (database.empty()) database = ::Utf8ToUtf16(options_.databaseName);
    // The program name and the collation reach the engine, which answers APP_NAME() and
    // DATABASEPROPERTYEX(..., 'Collation') with them as SQL Server would.
    const std::string collation =
        options_.utf8 ? "Latin1_General_100_CI_AS_SC_UTF8" : "Romanian_CI_AS";
    engine_ = db::CreateObservableSqliteEngine();
    if (!engine_->open("DRIVER={sqlite};DATABASE=" + db::QuoteConnectionValue(options_.database) +
                       ";APP=" + db::QuoteConnectionValue(Utf16ToUtf8(LoginField(p, 48))) +
                       ";COLLATION=" + collation)) {
      ByteWriter out;
      const std::string why = engine_->lastError().description;
      WriteMessage(out, kTokenError, 4060, 1, 11,
                   u"Cannot open database. " + StoredTextToUtf16(why), u"", 1);
      WriteDone(out, kTokenDone, kDoneError, 0, 0);
      SendPackets(socket_, kPacketReply, out.bytes(), kPacketSize, true);
      return false;
    }
    if (database.empty()) database = u"QIVA";
    ByteWriter out;
    WriteEnvChange(out, 1, database, u"master");
    WriteMessage(out, kTokenInfo, 5701, 2, 0, u"Changed database context to '" + database + u"'.",
                 u"", 1);
    WriteCollationChange(out, options_.utf8);
    WriteEnvChange(out, 2, u"us_english", u"");
    WriteMessage(out, kTokenInfo, 5703, 1, 0, u"Changed language setting to us_english.", u"", 1);
    out.u8(kTokenLoginAck);
    const std::u16string program = u"Microsoft SQL Server";
    out.u16(static_cast<std::uint16_t>(1 + 4 + 1 + 2 * program.size() + 4));
    out.u8(1);
    out.raw(std::string("\x74\x00\x00\x04", 4));
    out.bVarchar(program);
    out.raw(std::string("\x10\x00\x0F\xA0", 4));
    WriteEnvChange(out, 4, u"4096", u"4096");
    WriteDone(out, kTokenDone, kDoneFinal, 0, 0);
    return SendPackets(socket_, kPacketReply, out.bytes(), kPacketSize, true);
  }

  // ---- batches ----
  void Batch(std::string_view payload) {
    const std::uint32_t headers = ReadU32(payload, 0);
    const size_t skip = headers >= 4 && headers <= payload.size() ? headers : 0;
    const std::u16string text = ReadUtf16(payload, skip, (payload.size() - skip) / 2);
    if (Trimmed(Utf16ToUtf8(text)) == kCountersQuery) return AnswerCounters();
    ++counters_.requests;
    out_.bytes().clear();
    held_.reset();
    attention_ = false;
    (void)engine_->runObserved(EngineText(text, options_.utf8), *this);
    if (!alive_) return;
    if (attention_) return AnswerAttention();
    if (!held_) HoldDone(kTokenDone, kDoneFinal, 0, -1);
    ReleaseDone(kDoneFinal);
    Send(out_.bytes());
  }

  void AnswerCounters() {
    std::vector<db::ObservedColumn> columns{{"requests", "BIGINT"}, {"statements", "BIGINT"}};
    std::vector<db::ObservedValue> row{static_cast<std::int64_t>(counters_.requests.load()),
                                       static_cast<std::int64_t>(counters_.statements.load())};
    ByteWriter out;
    WriteColumnMetadata(out, columns, options_.utf8);
    WriteRow(out, columns, row, options_.utf8);
    WriteDone(out, kTokenDone, kDoneCount, 0xC1, 1);
    Send(out.bytes());
  }

  // A cancelled request ends with a DONE that carries the attention bit; nothing else of the
  // request that had not left yet is sent.
  void AnswerAttention() {
    out_.bytes().clear();
    held_.reset();
    Send(DoneOnly(kDoneAttention));
  }

  void Refuse(std::uint8_t type) {
    ByteWriter out;
    WriteMessage(out, kTokenError, 50000, 1, 16,
                 u"The test server takes only SQL batches (request type " +
                     ::Utf8ToUtf16(std::to_string(type)) + u" refused).",
                 u"", 1);
    WriteDone(out, kTokenDone, kDoneError, 0, 0);
    Send(out.bytes());
  }

  static std::string DoneOnly(std::uint16_t status) {
    ByteWriter out;
    WriteDone(out, kTokenDone, status, 0, 0);
    return std::move(out.bytes());
  }

  struct HeldDone {
    std::uint8_t token;
    std::uint16_t status, command;
    long long rows;
  };

  void HoldDone(std::uint8_t token, std::uint16_t status, std::uint16_t command, long long rows) {
    held_ = HeldDone{token, status, command, rows};
  }

  void ReleaseDone(std::uint16_t more) {
    if (!held_) return;
    WriteDone(out_, held_->token, static_cast<std::uint16_t>(held_->status | more), held_->command,
              held_->rows);
    held_.reset();
  }

  // Sends the whole packets that the reply holds so far, not the last message's end.
  void Flush() {
    if (out_.size() == 0 || !alive_) return;
    if (!SendPackets(socket_, kPacketReply, out_.bytes(), kPacketSize, false)) alive_ = false;
    out_.bytes().clear();
  }

  void Send(std::string_view bytes) {
    if (alive_ && !SendPackets(socket_, kPacketReply, bytes, kPacketSize, true)) alive_ = false;
  }

  bool Hang() {
    while (!stop_) Pause(50);
    alive_ = false;
    return false;
  }

  bool Drop() {
    ::shutdown(socket_, SHUT_RDWR);
    alive_ = false;
    return false;
  }

  int socket_;
  const ServerOptions& options_;
  ServerCounters& counters_;
  const std::atomic<bool>& stop_;
  std::unique_ptr<db::ObservableEngine> engine_;
  ByteWriter out_;
  std::optional<HeldDone> held_;
  long long statementNumber_ = 0;
  bool noCount_ = false;
  bool attention_ = false;
  bool alive_ = true;
};

}  // namespace

void ServeConnection(int socket, const ServerOptions& options, ServerCounters& counters,
                     const std::atomic<bool>& stop) {
  {
    Session session(socket, options, counters, stop);
    session.Run();
  }
  ::close(socket);
}

}  // namespace qiva::tds
