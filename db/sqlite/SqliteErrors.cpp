// SqliteErrors.cpp: the engine's failures as SQL Server reports them: the message number and
// text, the OLE DB code, and SQLite's failures mapped to SQL Server's messages.
#include "db/sqlite/SqlServerMessages.h"
#include "db/sqlite/SqliteEngineInternal.h"

namespace qiva::db::embedded {

// Refuses a call on a broken connection with the failure that broke it.
bool SqliteEngine::Refuse() {
  error_ = brokenError_;
  return false;
}

// Refuses a call on a closed connection as ADO does.
bool SqliteEngine::NotOpen() {
  error_.code = 0x800A0E78UL;
  error_.meaning = "Unknown error 0x800A0E78";
  error_.source = "ADODB.Connection";
  error_.description = "Operation is not allowed when the object is closed.";
  return false;
}

// Adds SQL Server message `number` to `error`; the first one also sets its code and text.
void SqliteEngine::AddErrorTo(EngineError& error, int number, const std::string& message) {
  if (error.providerErrors.empty()) {
    error.code = OleDbCodeFor(number);
    error.meaning = CodeMeaning(error.code);
    error.source = kEmbeddedSource;
    error.description = message;
  }
  error.providerErrors.push_back({number, message});
}

// Maps a failed SQLite call to SQL Server's message.
void SqliteEngine::AddSqliteError(int rc) {
  const std::string text = sqlite3_errmsg(db_);
  lastSqliteMessage_ = text;
  int number = 0;
  std::string message;
  if (ParseRaisedError(text, number, message)) return AddError(number, message);
  switch (rc) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
      return AddError(
          2627, "Violation of PRIMARY KEY or UNIQUE KEY constraint. Cannot insert duplicate key (" +
                    text + ").");
    case SQLITE_CONSTRAINT_NOTNULL:
      return AddError(
          515,
          "Cannot insert the value NULL into a column that does not allow nulls (" + text + ").");
    case SQLITE_CONSTRAINT_FOREIGNKEY:
      return AddError(547,
                      "The statement conflicted with a FOREIGN KEY constraint (" + text + ").");
    case SQLITE_BUSY:
    case SQLITE_BUSY_SNAPSHOT:
    case SQLITE_LOCKED:
      return AddError(1222, "Lock request time out period exceeded.");
    default:
      return AddError(50000, text);
  }
}

SqliteEngine::Outcome SqliteEngine::Failed(int number, const std::string& message) {
  AddError(number, message);
  return AbortsBatch(number) ? Outcome::Abort : Outcome::Failed;
}

}  // namespace qiva::db::embedded
