// CAdoDatabase.h: the system's one connection to the clinic database. Opens it from the
// configuration values, executes statements that return no rows, and turns every failure into
// two kept texts and records of the database log. No failure escapes as an exception.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/DbEngine.h"

class CAdoDatabase {
 public:
  CAdoDatabase();
  virtual ~CAdoDatabase();
  CAdoDatabase(const CAdoDatabase&) = delete;
  CAdoDatabase& operator=(const CAdoDatabase&) = delete;

  // Optional connection settings, read by the import run before Open: the ODBC driver name
  // ("sqlite" selects the embedded engine, where the database value is the file) and an ODBC
  // data source name used instead of driver and server. Empty driver: the build default.
  void SetDriver(std::string driver);
  // How later connections send statements (text mode and time-out); see StatementOptions.
  void SetStatementOptions(const qiva::db::StatementOptions& options);
  void SetDsn(std::string dsn);
  // Encryption and sign-in settings for later ODBC connections, as the configuration gives
  // them (empty: not given, the driver's own default). Each goes to the driver under the
  // attribute name of its family (FreeTDS's or Microsoft's); the embedded engine ignores them.
  // A value outside the accepted words makes Open fail naming the setting.
  struct ConnectionSettings {
    std::string encrypt;                 // no | yes | strict
    std::string trustServerCertificate;  // yes | no
    std::string port;                    // 1 to 65535, instead of writing server=host,port
    std::string trusted;                 // yes: Windows authentication, user and password unused
  };
  void SetConnectionSettings(const ConnectionSettings& settings);

  // Keeps the four values, builds the connection string into m_szConnectionString and opens it.
  bool Open(const std::string& server, const std::string& user, const std::string& password,
            const std::string& database);
  // Opens a connection with the given string; replaces any connection held.
  bool Open(const std::string& connectionString);
  // True when the last successful Open created a new embedded database file (with the target
  // schema); the open then also wrote a line saying so to the database log.
  bool CreatedNewDatabase() const;
  // The full path of the open embedded database file; "" for an ODBC connection.
  std::string EmbeddedDatabasePath() const;

  // Closes the connection if open; true at once when it never was.
  bool Close();
  // Runs one statement text, discarding rows. On failure logs the error record, then the
  // statement, and returns false. Statements that the engine lost meanwhile are logged first.
  // `records` is the number of the import file's records the statement writes (see
  // RecordsWritten); 0 for every other statement.
  bool Execute(std::string_view sql, std::int64_t records = 0);
  // Runs `statements` in order, sent together where the engine can, with exactly what Execute
  // of each would give: the trace, the log records of each failed statement (its error, then
  // its text) and the count of failures. Returns the number of statements that failed.
  std::size_t ExecuteGroup(const std::vector<std::string_view>& statements);

  // Statements whose outcome decides nothing that follows (record inserts, closing
  // statements): on an engine that sends groups, with grouping on, they wait in a queue that is
  // sent as one group once it holds about 1,000 statements or 1 MB, and before anything that
  // needs an answer (Execute, a query, Flush, Close, SendPending); elsewhere Queue is Execute.
  // Their failures are logged and counted when the group is sent, in the order of the calls.
  void Queue(std::string_view sql, std::int64_t records = 0);
  // Appends a record to the log after the statements queued before it have been logged.
  void LogInOrder(std::string_view text);
  // Sends the queued statements now (before a prompt, a choice of the user, the routine's end).
  void SendPending();
  // Grouping on (the default) or off (one statement per round trip, for diagnosis).
  void SetGrouping(bool on) { grouping_ = on; }
  // Number of Execute calls that returned false on this object, with the statements taken on by
  // CountFailedStatement (never reset; callers take the difference over the span they watch).
  std::int64_t FailedExecuteCount() const { return failedExecutes_; }
  // The import file's records written on this object: those of the statements given a record
  // count (Execute, Queue, CountWrittenRecords) that the engine reported done, less those of the
  // statements it lost since (never reset; callers take the difference over their span). After
  // a failure that lost a group, it still tells how many records the database holds.
  std::int64_t RecordsWritten() const { return recordsWritten_; }
  // Counts `records` written by a statement that went outside Execute and Queue (a parent row's
  // batch, read through a recordset).
  void CountWrittenRecords(std::int64_t records);
  // Takes on a statement that failed outside Execute: a row's insert sent with the read-back of
  // its id as a recordset's query, whose Open has logged the failure record. Keeps the two
  // texts as this connection's last failure, logs the statement as a record of its own and
  // counts it among the failed executes, exactly as a failed Execute would.
  void CountFailedStatement(std::string_view sql, const std::string& comError,
                            const std::string& providerError);
  // True when the open connection lost statements already reported as done and refuses all
  // further ones (see DbEngine::broken); an import must end at once. The first call that sees
  // it logs the lost statements (ReportLostStatements).
  bool IsBroken();
  // Logs each statement the engine lost after reporting it done exactly as a failed Execute
  // (the error record with the engine's failure, then the statement) and counts it among the
  // failed executes. Every operation that reaches the engine calls it; each loss is logged once.
  void ReportLostStatements();
  // Makes every statement that Execute reported as done durable now (the embedded engine
  // commits its open group); an import calls it when its routine ends, before it judges the
  // outcome. False when statements were lost doing so (they are then logged and IsBroken holds).
  bool Flush();
  // Called once a statement has waited a few seconds for a lock that another program holds
  // (the embedded engine; SQL Server waits without telling). Applies to later Opens too.
  void SetLockWaitNotice(std::function<void()> notice);

  // Turns the database log on and names its file.
  void SetLogFile(const std::string& fileName);
  // Appends one time-stamped record to the log (nothing while the log is off).
  void Log(std::string_view text);
  // Appends "%s\nComError: %s\nProviderError: %s" as one record.
  void LogError(std::string_view label, std::string_view comError, std::string_view providerError);

  // Writes every statement sent to a connection (Execute texts and recordset queries, failing
  // ones included; none without a connection) to `path`, appended to
  // what the file holds, each as its exact bytes followed by "\nGO\n"; an empty path turns the
  // trace off. Returns false (trace off) when the file cannot be opened.
  bool SetTraceFile(const std::string& path);
  // Appends one statement to the trace; nothing while the trace is off. A statement one of whose
  // lines reads as a batch separator is written with its literals' line breaks as CHAR()
  // concatenations (qiva::db::TraceStatementText), so the trace split at its GO lines holds
  // exactly the statements sent. A write that fails turns the trace off (TraceWriteFailed).
  void Trace(std::string_view sql);
  // True when a write to the trace file failed since the last SetTraceFile: the trace then
  // ends before the statement whose write failed.
  bool TraceWriteFailed() const { return traceFailed_; }

  // Tests may replace how engines are made (for example to record statements).
  using EngineFactory = std::function<std::unique_ptr<qiva::db::DbEngine>(const std::string&)>;
  void SetEngineFactory(EngineFactory factory);

  bool m_bLog = false;
  std::string m_szLogFile;
  bool m_bOpen = false;
  std::string m_szDatabase;
  std::string m_szPassword;
  std::string m_szUser;
  std::string m_szServer;
  std::string m_szComError;
  std::string m_szProviderError;
  std::unique_ptr<qiva::db::DbEngine> m_pConnection;
  std::string m_szConnectionString;
  // After a failed four-value Open, one line for people: the server, database and driver
  // tried, the server's message number in decimal and the likely next step. Never holds the
  // password. Empty after a successful Open.
  std::string m_szConnectionAdvice;

 private:
  // Fills both error texts from `error` (the provider text only when `withProviderText`) and
  // logs them under `label`.
  void KeepFailure(std::string_view label, const qiva::db::EngineError& error,
                   bool withProviderText);
  std::string BuildConnectionString() const;
  // The ODBC driver named in the connection text: the one set, or the build default.
  std::string OdbcDriver() const;
  // The name of the first setting whose value the FreeTDS driver cannot be given, when that
  // driver is the one to be used; "" otherwise.
  std::string SettingFreeTdsCannotTake() const;
  // The description of the first connection setting whose value is not accepted; "" when all are.
  std::string RefusedConnectionSetting() const;
  bool RefuseOpen(const std::string& description);

  std::int64_t failedExecutes_ = 0;
  // The record count of every statement reported done since the last Flush, in order: the
  // statements an engine loses are the last ones it reported done (its open group).
  std::vector<std::int64_t> doneRecords_;
  std::int64_t recordsWritten_ = 0;
  void NoteDone(std::int64_t records);
  std::string driver_;
  std::string dsn_;
  ConnectionSettings settings_;
  EngineFactory engineFactory_;
  std::function<void()> lockWaitNotice_;
  qiva::db::StatementOptions statementOptions_;
  // A queued statement, or a log record that must follow the statements queued before it.
  struct Pending {
    bool isLogRecord = false;
    std::string text;
    std::int64_t records = 0;
  };
  std::vector<Pending> pending_;
  std::size_t pendingStatements_ = 0;
  std::size_t pendingBytes_ = 0;
  bool grouping_ = true;
  void LogOutcome(std::string_view sql, const qiva::db::StatementOutcome& outcome);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace_{nullptr, &std::fclose};
  bool traceFailed_ = false;
};

// The ODBC driver named in connection texts when the configuration names none (the build's
// default: FreeTDS, or Microsoft's ODBC Driver 18 on Windows).
std::string DefaultOdbcDriver();

// Lays out an engine failure as "Error\n", "\tCode = %08lx\n", "\tCode meaning = %s\n",
// "\tSource = %s\n", "\tDescription = %s\n".
std::string FormatComError(const qiva::db::EngineError& error);
// "\t Error number: %x\t%s" of the last provider record, or "" when there is none.
std::string FormatProviderErrors(const qiva::db::EngineError& error);
