// DbEngine.h: the seam under CAdoDatabase and CAdoRecordset. An engine runs statement texts on
// one connection (ODBC to SQL Server, or the embedded SQLite database) and reports failures as
// plain data that the database layer lays out in its own error texts. Import code never sees it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/DbValue.h"

namespace qiva::db {

// One record of the provider's error collection.
struct ProviderError {
  long number = 0;          // written in hexadecimal ("\t Error number: %x\t%s")
  std::string description;  // one line
};

// The last failure of an engine: the COM-style error and the provider's records.
struct EngineError {
  unsigned long code = 0;   // "\tCode = %08lx\n"
  std::string meaning;      // "\tCode meaning = %s\n"
  std::string source;       // "\tSource = %s\n" ("(null)" when the failure carries none)
  std::string description;  // "\tDescription = %s\n"
  std::vector<ProviderError> providerErrors;
};

// Statements that an engine had reported as done and then lost, with the failure that lost them.
struct LostStatements {
  EngineError error;
  std::vector<std::string> texts;  // in the order they were executed
};

// The rows of a query, read whole.
struct ResultSet {
  std::vector<std::string> columns;
  std::vector<std::vector<DbValue>> rows;
};

// How statements are sent: the text of each statement as the imports made it, read as
// Windows-1250 bytes (the default: a code page 1250 database stores the file's bytes) or as the
// characters they encode (UTF-8 when it is valid UTF-8, else Windows-1250); and the seconds a
// statement may take (0: no limit).
struct StatementOptions {
  bool textAsCharacters = false;
  int timeoutSeconds = 30;
};

// The outcome of one statement of a group (DbEngine::executeGroup).
struct StatementOutcome {
  bool ok = true;
  EngineError error;  // when !ok: the failure of this statement alone
};

class DbEngine {
 public:
  virtual ~DbEngine() = default;
  // Opens the connection described by `connectionString`; false on failure (see lastError).
  virtual bool open(const std::string& connectionString) = 0;
  // Runs one statement text (it may hold several statements), discarding any rows.
  virtual bool execute(std::string_view sql) = 0;
  // Runs `statements` in order with exactly the outcome each would have if executed alone, but
  // sent together where the engine can; `outcomes` gets one entry per statement. Once the
  // connection breaks, the statements not run yet fail with the breaking error. The default
  // runs them one by one through execute().
  virtual void executeGroup(const std::vector<std::string_view>& statements,
                            std::vector<StatementOutcome>& outcomes) {
    outcomes.assign(statements.size(), StatementOutcome{});
    for (size_t i = 0; i < statements.size(); ++i) {
      outcomes[i].ok = execute(statements[i]);
      if (!outcomes[i].ok) outcomes[i].error = lastError();
    }
  }
  // True when executeGroup sends statements together (a link's round trips are saved); false
  // when it would only run them one by one.
  virtual bool sendsGroups() const { return false; }
  // Runs a query and reads all its rows into `out` (emptied first).
  virtual bool query(std::string_view sql, ResultSet& out) = 0;
  virtual bool close() = 0;
  virtual const EngineError& lastError() const = 0;
  // True once the engine has lost statements it had already reported as done (a group commit
  // that failed, a transaction the database rolled back by itself). Such a connection refuses
  // every later statement; only a new open clears it.
  virtual bool broken() const { return false; }
  // The file an embedded engine opened ("" for a server), and whether this open created it.
  virtual std::string databaseFile() const { return {}; }
  virtual bool createdDatabase() const { return false; }
  // The statements lost when the engine broke, handed out once: the first call after broken()
  // turned true returns them (the list may be empty), every other call returns nothing.
  virtual std::optional<LostStatements> takeLostStatements() { return std::nullopt; }
  // Makes every statement already reported as done durable now (the embedded engine commits its
  // open group). False when that lost statements: broken() then holds.
  virtual bool flush() { return true; }
  // Called on the waiting thread once a statement has waited a few seconds for a lock that
  // another program holds; empty: nobody is told. Kept across opens.
  virtual void setLockWaitNotice(std::function<void()> notice) { (void)notice; }
  // Applies to every later statement; the embedded engine, which takes the bytes as they are
  // and never waits on a link, ignores it.
  virtual void setStatementOptions(const StatementOptions& options) { (void)options; }
};

// Chooses the engine for a connection string: "DRIVER={sqlite}" (any case) gives the embedded
// engine, anything else ODBC. Never returns null.
std::unique_ptr<DbEngine> CreateEngineFor(const std::string& connectionString);

}  // namespace qiva::db
