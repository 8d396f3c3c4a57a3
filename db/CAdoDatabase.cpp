// CAdoDatabase.cpp: the connection object: builds the connection text, hands statements to the
// engine, keeps failure texts and writes the database log and the statement trace.
#include "db/CAdoDatabase.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <utility>

#include "base/LogWriter.h"
#include "base/Platform.h"
#include "base/TextUtil.h"
#include "db/AdoErrors.h"
#include "db/ConnectionAdvice.h"
#include "db/ConnectionString.h"
#include "db/TraceScript.h"
#include "db/odbc/OdbcDiagnostics.h"

#ifndef QIVA_DEFAULT_ODBC_DRIVER
#define QIVA_DEFAULT_ODBC_DRIVER "FreeTDS"
#endif

namespace {

using qiva::db::EngineError;
using qiva::db::QuoteConnectionValue;

// The embedded database file as the engine opens it: absolute, so that the log names the file
// itself. Where a relative name belongs (beside the configuration) is the caller's rule; here it
// only stands for the current directory.
std::string AbsoluteDatabaseFile(const std::string& file) {
  if (file.empty()) return file;
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(file, ignored);
  return absolute.empty() ? file : absolute.string();
}

bool OneOf(const std::string& value, std::initializer_list<const char*> words) {
  for (const char* word : words)
    if (EqualsIgnoringAsciiCase(value, word)) return true;
  return false;
}

}  // namespace

CAdoDatabase::CAdoDatabase() = default;

void CAdoDatabase::SetConnectionSettings(const ConnectionSettings& settings) {
  settings_ = settings;
}

// The settings are words from a short list (or a port number), so none can carry an attribute
// of its own; a value outside the list is refused, never passed on for the driver to guess at.
std::string CAdoDatabase::RefusedConnectionSetting() const {
  if (qiva::db::IsEmbeddedDriver(driver_)) return {};
  const bool freeTds = qiva::db::IsFreeTdsDriver(OdbcDriver());
  const ConnectionSettings& s = settings_;
  if (!s.encrypt.empty() && !OneOf(s.encrypt, {"no", "yes", "strict"}))
    return "The setting \"encrypt\" takes no, yes or strict";
  if (freeTds && EqualsIgnoringAsciiCase(s.encrypt, "strict"))
    return "The setting \"encrypt=strict\" cannot be passed to the FreeTDS driver (it knows "
           "no strict encryption); use encrypt=yes";
  if (!s.trustServerCertificate.empty() && !OneOf(s.trustServerCertificate, {"yes", "no"}))
    return "The setting \"trustservercertificate\" takes yes or no";
  if (freeTds && EqualsIgnoringAsciiCase(s.trustServerCertificate, "no"))
    return "The setting \"trustservercertificate=no\" cannot be passed to the FreeTDS driver: "
           "it checks a certificate only against the CA file of its own configuration";
  if (!s.trusted.empty() && !OneOf(s.trusted, {"yes", "no"}))
    return "The setting \"trusted\" takes yes or no";
  if (!s.port.empty()) {
    const bool digits =
        s.port.size() <= 5 && s.port.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stoi(s.port) < 1 || std::stoi(s.port) > 65535)
      return "The setting \"port\" takes a number from 1 to 65535";
    if (!dsn_.empty()) return "The setting \"port\" cannot be used with \"dsn\"";
    if (m_szServer.find(',') != std::string::npos)
      return "The settings \"port\" and \"server\" both give a port (server=HOST,PORT): keep one";
  }
  return {};
}

bool CAdoDatabase::RefuseOpen(const std::string& description) {
  EngineError error =
      qiva::db::detail::LayerError(qiva::db::detail::kInvalidConnectionValue, "CAdoDatabase");
  error.description = description;
  // Like any Open, this one replaces the connection held.
  m_bOpen = false;
  if (m_pConnection) m_pConnection->close();
  m_pConnection.reset();
  KeepFailure("CAdoDatabase::Open", error, true);
  return false;
}

CAdoDatabase::~CAdoDatabase() {
  if (m_pConnection && m_bOpen) m_pConnection->close();
  ReportLostStatements();
}

void CAdoDatabase::SetDriver(std::string driver) { driver_ = std::move(driver); }

void CAdoDatabase::SetDsn(std::string dsn) { dsn_ = std::move(dsn); }

// The name the program gives itself at login, so that a DBA sees who holds a connection.
constexpr const char* kProgramName = "QIVA_IMPORT";

std::string CAdoDatabase::BuildConnectionString() const {
  if (qiva::db::IsEmbeddedDriver(driver_)) {
    return "DRIVER={sqlite};DATABASE=" + QuoteConnectionValue(AbsoluteDatabaseFile(m_szDatabase));
  }
  const bool freeTds = qiva::db::IsFreeTdsDriver(OdbcDriver());
  const bool trusted = EqualsIgnoringAsciiCase(settings_.trusted, "yes");
  std::string text;
  if (!dsn_.empty()) {
    text = "DSN=" + QuoteConnectionValue(dsn_);
  } else {
    // A driver name always goes in braces: the usual ones hold blanks. Microsoft's driver takes
    // the port only after the host; FreeTDS has an attribute of its own.
    std::string server = m_szServer;
    if (!settings_.port.empty() && !freeTds) server += "," + settings_.port;
    text = "DRIVER=" + qiva::db::BraceConnectionValue(OdbcDriver()) +
           ";SERVER=" + QuoteConnectionValue(server);
    if (!settings_.port.empty() && freeTds) text += ";Port=" + settings_.port;
  }
  if (trusted) {
    text += ";Trusted_Connection=Yes";
  } else {
    text += ";UID=" + QuoteConnectionValue(m_szUser);
    text += ";PWD=" + QuoteConnectionValue(m_szPassword);
  }
  text += ";DATABASE=" + QuoteConnectionValue(m_szDatabase);
  if (!settings_.encrypt.empty()) {
    const std::string word = LowerAsciiCopy(settings_.encrypt);
    if (freeTds) {
      text += std::string(";Encryption=") + (word == "no" ? "off" : "require");
    } else {
      text += ";Encrypt=" + word;
    }
  }
  // FreeTDS has no such attribute: it checks a certificate only against a CA file of its own
  // configuration, so "yes" is what it does anyway (and "no" is refused before this).
  if (!settings_.trustServerCertificate.empty() && !freeTds) {
    text += ";TrustServerCertificate=" + LowerAsciiCopy(settings_.trustServerCertificate);
  }
  text += std::string(";APP=") + kProgramName;
  return text;
}

std::string DefaultOdbcDriver() { return QIVA_DEFAULT_ODBC_DRIVER; }

std::string CAdoDatabase::OdbcDriver() const {
  return driver_.empty() ? DefaultOdbcDriver() : driver_;
}

// FreeTDS ends a braced value at its first '}' and keeps a doubled one doubled, so a value
// that needs braces and holds '}' would reach the server changed (a password that can never
// log in) or, cut short, spill into the next attribute. Such a value is refused before any
// connection is tried; the message names the setting, never its value.
std::string CAdoDatabase::SettingFreeTdsCannotTake() const {
  if (qiva::db::IsEmbeddedDriver(driver_) || !dsn_.empty() ||
      !qiva::db::IsFreeTdsDriver(OdbcDriver())) {
    return {};
  }
  const std::pair<const char*, const std::string*> settings[] = {{"server", &m_szServer},
                                                                 {"user", &m_szUser},
                                                                 {"pass", &m_szPassword},
                                                                 {"database", &m_szDatabase}};
  for (const auto& [name, value] : settings) {
    if (qiva::db::NeedsDoubledBrace(*value)) return name;
  }
  return {};
}

bool CAdoDatabase::Open(const std::string& server, const std::string& user,
                        const std::string& password, const std::string& database) {
  m_szServer = server;
  m_szUser = user;
  m_szPassword = password;
  m_szDatabase = database;
  m_szConnectionAdvice.clear();
  if (const std::string setting = SettingFreeTdsCannotTake(); !setting.empty()) {
    return RefuseOpen("The value of the setting \"" + setting +
                      "\" cannot be passed to the FreeTDS driver: it needs braces (it holds "
                      "';', starts with '{' or has blanks at either end) and also holds '}'");
  }
  if (const std::string refused = RefusedConnectionSetting(); !refused.empty()) {
    return RefuseOpen(refused);
  }
  if (Open(BuildConnectionString())) return true;
  if (!qiva::db::IsEmbeddedDriver(driver_)) {
    qiva::db::ConnectionTried tried;
    tried.server = dsn_.empty() ? m_szServer : "DSN " + dsn_;
    if (!settings_.port.empty()) tried.server += "," + settings_.port;
    tried.database = m_szDatabase;
    tried.driver = OdbcDriver();
    m_szConnectionAdvice = qiva::db::ConnectionAdvice(
        tried, m_pConnection ? m_pConnection->lastError() : EngineError{},
        qiva::db::odbc::InstalledDrivers);
  }
  return false;
}

bool CAdoDatabase::Open(const std::string& connectionString) {
  SendPending();
  m_bOpen = false;
  // The connection held is replaced whether or not it was closed.
  if (m_pConnection) m_pConnection->close();
  ReportLostStatements();
  m_pConnection.reset();
  m_pConnection = engineFactory_ ? engineFactory_(connectionString)
                                 : qiva::db::CreateEngineFor(connectionString);
  if (m_pConnection && lockWaitNotice_) m_pConnection->setLockWaitNotice(lockWaitNotice_);
  if (m_pConnection) m_pConnection->setStatementOptions(statementOptions_);
  if (!m_pConnection) {
    // No engine could be made: the provider text keeps what it held.
    KeepFailure("CAdoDatabase::Open",
                qiva::db::detail::LayerError(qiva::db::detail::kOutOfMemory, "CAdoDatabase"),
                false);
    return false;
  }
  m_szConnectionString = connectionString;
  if (!m_pConnection->open(connectionString)) {
    // The record holds the engine's texts only, never the connection text with its password.
    KeepFailure("CAdoDatabase::Open", m_pConnection->lastError(), true);
    return false;
  }
  m_bOpen = true;
  if (CreatedNewDatabase()) {
    Log("Created the embedded database " + EmbeddedDatabasePath() + " with the target schema");
  }
  return true;
}

bool CAdoDatabase::CreatedNewDatabase() const {
  return m_pConnection && m_pConnection->createdDatabase();
}

std::string CAdoDatabase::EmbeddedDatabasePath() const {
  return m_pConnection ? m_pConnection->databaseFile() : std::string();
}

void CAdoDatabase::SetStatementOptions(const qiva::db::StatementOptions& options) {
  statementOptions_ = options;
}

bool CAdoDatabase::Close() {
  SendPending();
  if (!m_bOpen) return true;
  const bool closed = m_pConnection->close();
  ReportLostStatements();
  if (!closed) {
    KeepFailure("CAdoDatabase::Close", m_pConnection->lastError(), true);
    return false;
  }
  m_bOpen = false;
  return true;
}

bool CAdoDatabase::Execute(std::string_view sql, std::int64_t records) {
  SendPending();
  if (!m_pConnection) {
    // Never opened: there is no connection to run on, and no provider to report.
    KeepFailure("CAdoDatabase::Execute",
                qiva::db::detail::LayerError(qiva::db::detail::kAdoErrObjectClosed, "CAdoDatabase"),
                true);
    Log(sql);
    ++failedExecutes_;
    return false;
  }
  Trace(sql);
  const bool ran = m_pConnection->execute(sql);
  if (ran) NoteDone(records);
  ReportLostStatements();
  if (ran) return true;
  KeepFailure("CAdoDatabase::Execute", m_pConnection->lastError(), true);
  Log(sql);
  ++failedExecutes_;
  return false;
}

std::size_t CAdoDatabase::ExecuteGroup(const std::vector<std::string_view>& statements) {
  SendPending();
  if (!m_pConnection || !m_pConnection->sendsGroups()) {
    // One by one, each Execute reports what the engine lost before it, as it always does.
    std::size_t failed = 0;
    for (const std::string_view sql : statements) failed += !Execute(sql);
    return failed;
  }
  for (const std::string_view sql : statements) Trace(sql);
  std::vector<qiva::db::StatementOutcome> outcomes;
  m_pConnection->executeGroup(statements, outcomes);
  for (const qiva::db::StatementOutcome& outcome : outcomes)
    if (outcome.ok) NoteDone(0);
  ReportLostStatements();
  std::size_t failed = 0;
  for (std::size_t i = 0; i < statements.size() && i < outcomes.size(); ++i) {
    LogOutcome(statements[i], outcomes[i]);
    failed += !outcomes[i].ok;
  }
  return failed;
}

void CAdoDatabase::NoteDone(std::int64_t records) {
  doneRecords_.push_back(records);
  recordsWritten_ += records;
}

void CAdoDatabase::CountWrittenRecords(std::int64_t records) { NoteDone(records); }

void CAdoDatabase::CountFailedStatement(std::string_view sql, const std::string& comError,
                                        const std::string& providerError) {
  m_szComError = comError;
  m_szProviderError = providerError;
  Log(sql);
  ++failedExecutes_;
}

void CAdoDatabase::LogOutcome(std::string_view sql, const qiva::db::StatementOutcome& outcome) {
  if (outcome.ok) return;
  KeepFailure("CAdoDatabase::Execute", outcome.error, true);
  Log(sql);
  ++failedExecutes_;
}

namespace {
constexpr std::size_t kQueueStatements = 1000;
constexpr std::size_t kQueueBytes = 1 << 20;
}  // namespace

void CAdoDatabase::Queue(std::string_view sql, std::int64_t records) {
  if (!grouping_ || !m_pConnection || !m_pConnection->sendsGroups()) {
    Execute(sql, records);
    return;
  }
  pending_.push_back({false, std::string(sql), records});
  ++pendingStatements_;
  pendingBytes_ += sql.size();
  if (pendingStatements_ >= kQueueStatements || pendingBytes_ >= kQueueBytes) SendPending();
}

void CAdoDatabase::LogInOrder(std::string_view text) {
  if (pending_.empty()) return Log(text);
  pending_.push_back({true, std::string(text)});
}

void CAdoDatabase::SendPending() {
  if (pending_.empty()) return;
  std::vector<Pending> items = std::move(pending_);
  pending_.clear();
  pendingStatements_ = pendingBytes_ = 0;
  std::vector<std::string_view> statements;
  for (const Pending& item : items)
    if (!item.isLogRecord) statements.push_back(item.text);
  for (const std::string_view sql : statements) Trace(sql);
  std::vector<qiva::db::StatementOutcome> outcomes;
  m_pConnection->executeGroup(statements, outcomes);
  std::size_t done = 0;
  for (const Pending& item : items) {
    if (!item.isLogRecord && done < outcomes.size() && outcomes[done++].ok) NoteDone(item.records);
  }
  ReportLostStatements();
  std::size_t next = 0;
  for (const Pending& item : items) {
    if (item.isLogRecord) {
      Log(item.text);
    } else if (next < outcomes.size()) {
      LogOutcome(item.text, outcomes[next++]);
    }
  }
}

bool CAdoDatabase::IsBroken() {
  if (!m_pConnection || !m_pConnection->broken()) return false;
  ReportLostStatements();
  return true;
}

void CAdoDatabase::ReportLostStatements() {
  if (!m_pConnection || !m_pConnection->broken()) return;
  const std::optional<qiva::db::LostStatements> lost = m_pConnection->takeLostStatements();
  if (!lost) return;
  for (const std::string& text : lost->texts) {
    // The lost statements are the last ones reported done: their records are not written.
    if (!doneRecords_.empty()) {
      recordsWritten_ -= doneRecords_.back();
      doneRecords_.pop_back();
    }
    KeepFailure("CAdoDatabase::Execute", lost->error, true);
    Log(text);
    ++failedExecutes_;
  }
  // A group that held no statement that ran loses nothing, yet the failure must be on record.
  if (lost->texts.empty()) KeepFailure("CAdoDatabase::Execute", lost->error, true);
}

bool CAdoDatabase::Flush() {
  SendPending();
  if (!m_pConnection || !m_bOpen) return true;
  const bool flushed = m_pConnection->flush();
  ReportLostStatements();
  if (flushed) doneRecords_.clear();  // durable: nothing before this can be lost any more
  return flushed;
}

void CAdoDatabase::SetLockWaitNotice(std::function<void()> notice) {
  lockWaitNotice_ = std::move(notice);
  if (m_pConnection) m_pConnection->setLockWaitNotice(lockWaitNotice_);
}

void CAdoDatabase::KeepFailure(std::string_view label, const EngineError& error,
                               bool withProviderText) {
  m_szComError = FormatComError(error);
  if (withProviderText) m_szProviderError = FormatProviderErrors(error);
  LogError(label, m_szComError, m_szProviderError);
}

void CAdoDatabase::SetLogFile(const std::string& fileName) {
  m_bLog = true;
  m_szLogFile = fileName;
}

void CAdoDatabase::Log(std::string_view text) {
  if (!m_bLog) return;
  qiva::AppendLogEntry(m_szLogFile, text);
}

void CAdoDatabase::LogError(std::string_view label, std::string_view comError,
                            std::string_view providerError) {
  if (!m_bLog) return;
  std::string record;
  record.reserve(label.size() + comError.size() + providerError.size() + 32);
  record.append(label).append("\nComError: ").append(comError);
  record.append("\nProviderError: ").append(providerError);
  Log(record);
}

bool CAdoDatabase::SetTraceFile(const std::string& path) {
  trace_.reset();
  traceFailed_ = false;
  if (path.empty()) return true;
  // Binary mode: the trace holds the statements' exact bytes and bare line feeds.
  trace_.reset(std::fopen(path.c_str(), "ab"));
  return trace_ != nullptr;
}

void CAdoDatabase::Trace(std::string_view sql) {
  if (!trace_) return;
  // A statement holding a line that reads as GO is written so that splitting the trace at its
  // GO lines gives back exactly the statements sent (see TraceStatementText).
  const std::string text = qiva::db::TraceStatementText(sql);
  const bool written = std::fwrite(text.data(), 1, text.size(), trace_.get()) == text.size() &&
                       std::fwrite("\nGO\n", 1, 4, trace_.get()) == 4 &&
                       // Flushed per statement so that a run that ends abruptly leaves a whole
                       // script.
                       std::fflush(trace_.get()) == 0;
  if (!written) {
    // A trace with a statement missing is no replay of the run: it stops here, and the
    // failure is kept for the caller to report (a full disk, /dev/full).
    traceFailed_ = true;
    trace_.reset();
  }
}

void CAdoDatabase::SetEngineFactory(EngineFactory factory) { engineFactory_ = std::move(factory); }

std::string FormatComError(const qiva::db::EngineError& error) {
  char code[40];
  std::snprintf(code, sizeof code, "\tCode = %08lx\n", error.code);
  std::string text = "Error\n";
  text += code;
  text += "\tCode meaning = " + error.meaning + "\n";
  text += "\tSource = " + (error.source.empty() ? std::string("(null)") : error.source) + "\n";
  text +=
      "\tDescription = " + (error.description.empty() ? std::string("(null)") : error.description) +
      "\n";
  return text;
}

std::string FormatProviderErrors(const qiva::db::EngineError& error) {
  if (error.providerErrors.empty()) return {};
  // Every record overwrites the text, so the last one is what remains.
  const qiva::db::ProviderError& last = error.providerErrors.back();
  char number[40];
  std::snprintf(number, sizeof number, "\t Error number: %x\t",
                static_cast<unsigned>(static_cast<std::uint32_t>(last.number)));
  return number + last.description;
}
