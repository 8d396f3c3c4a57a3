// SqliteEngineInternal.h: the embedded engine's class, shared by the files that implement its
// jobs (file set-up, group commits, running texts, the statement cache, batch plans). Only
// db/sqlite includes it; db/ reaches the engine through SqliteEngine.h and ObservedRun.h.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "db/sqlite/GroupTexts.h"
#include "db/sqlite/LockWait.h"
#include "db/sqlite/ObservedRun.h"
#include "db/sqlite/SqlCatalog.h"
#include "db/sqlite/SqlFunctions.h"
#include "db/sqlite/TSqlParser.h"
#include "db/sqlite/TSqlSplit.h"
#include "db/sqlite/TSqlTranslator.h"

namespace qiva::db::embedded {

using namespace tsql;

constexpr int kCommitEvery = 20000;                     // statements per group
constexpr std::chrono::milliseconds kCommitAfter{100};  // age of a group
constexpr size_t kCacheLimit = 1000;                    // prepared statement shapes
constexpr size_t kPlanKeyLimit = 4096;                  // longest text shape remembered whole
constexpr int kMaxNesting = 32;

class SqliteEngine;

// Engines that are open, committed by the exit handler.
std::mutex& RegistryMutex();
std::set<SqliteEngine*>& Registry();
void FlushAllAtExit();

class SqliteEngine final : public ObservableEngine {
 public:
  SqliteEngine();
  ~SqliteEngine() override { close(); }
  bool open(const std::string& connectionString) override;
  bool execute(std::string_view sql) override;
  bool query(std::string_view sql, ResultSet& out) override;
  bool runObserved(std::string_view sql, StatementObserver& observer) override;
  bool close() override;
  const EngineError& lastError() const override { return error_; }
  bool broken() const override { return broken_; }
  std::optional<LostStatements> takeLostStatements() override;
  bool flush() override;
  void setLockWaitNotice(std::function<void()> notice) override;
  bool createdDatabase() const override { return created_; }
  std::string databaseFile() const override { return path_; }
  void FlushIdleGroups();
  void StopFlusher();
  void FlushFromExit();

 private:
  enum class Outcome { Ok, Failed, Abort };

  // A prepared statement for one statement shape, with the literals it stores into columns.
  struct Cached {
    sqlite3_stmt* stmt = nullptr;
    bool identityInsert = false;              // an INSERT into a table with an identity column
    std::vector<const ColumnTarget*> direct;  // by parameter number - 1; null when bound as it is
    std::vector<DirectParam> params;
  };

  // Empty: no table, index or view at all (a new file, a file of zero bytes, a SQLite file with
  // nothing in it). Ours: the engine's catalogue is there. Foreign: anything else.
  enum class FileContents { Empty, Ours, Foreign };

  // A text made only of queries, data changes and SET options is remembered by its shape (its
  // tokens with every string and number replaced), with the prepared statement of each of its
  // statements, so that the next text of the same shape is only tokenized and bound.
  struct PlanStep {
    Statement::Kind kind;
    int firstLiteral, endLiteral;
    const Cached* stmt;  // owned by cache_
    std::string setName, setValue;
  };
  struct Plan {
    std::vector<size_t> literals;
    std::vector<std::pair<size_t, std::string>>
        fixedNumbers;  // numbers that are part of the syntax
    std::vector<PlanStep> steps;
  };

  using NumberList = std::vector<std::pair<size_t, std::string>>;

  // ---- opening, setting up and closing the database file (SqliteFile.cpp) ----
  static bool ParseConnectionString(const std::string& cs, std::string& path);
  bool OpenFile();
  bool OpenFailed(const std::string& why);
  bool ReadContents(FileContents& contents, std::string& err);
  bool SetUpEmptyFile();
  std::vector<std::string> MissingFiles() const;
  static void RemoveFiles(const std::vector<std::string>& files);
  bool CloseLocked();
  bool RawExec(const char* sql, std::string& err);
  long long SchemaVersion();

  // ---- failures as SQL Server's messages (SqliteErrors.cpp) ----
  bool Refuse();
  bool NotOpen();
  static void AddErrorTo(EngineError& error, int number, const std::string& message);
  void AddSqliteError(int rc);
  Outcome Failed(int number, const std::string& message);
  void AddError(int number, const std::string& message) { AddErrorTo(error_, number, message); }

  // ---- group commits (GroupCommit.cpp) ----
  bool BeginGroup();
  void Break(const std::string& cause);
  void FollowSchemaChanges();
  void Commit();
  void EndOfCall(bool wrote, std::string_view sql);

  // ---- running texts and their statements (StatementRuns.cpp) ----
  bool ExecuteLocked(std::string_view sql);
  Outcome RunList(const Batch& batch, const std::vector<StmtPtr>& list, ResultSet* out,
                  bool* gotRows, int depth);
  Outcome RunStatement(const Batch& batch, const Statement& st, ResultSet* out, bool* gotRows,
                       int depth);
  Outcome RunStatementBody(const Batch& batch, const Statement& st, ResultSet* out, bool* gotRows,
                           int depth);
  Outcome RunIf(const Batch& batch, const Statement& st, ResultSet* out, bool* gotRows, int depth);
  Outcome RunSet(const Statement& st);
  Outcome RunDeclare(const Batch& batch, const Statement& st);
  Outcome Evaluate(const Batch& batch, const Expr& expr, SqlVariable& value);
  static SqlVariable AsDeclared(SqlVariable value, const SqlTypeName& type);
  Outcome ArgumentValue(const Batch& batch, const Expr& e, SqlVariable& value);
  Outcome RunSystemProcedureOf(const Batch& batch, const Statement& st);
  bool SetReturnStatus(const Statement& st, int status);
  Outcome RunProcedure(const Batch& batch, const Statement& st, int depth);
  Outcome RunSchema(const Statement& st);
  Outcome RunDml(const Batch& batch, const Statement& st, ResultSet* out, bool* gotRows);

  // ---- texts run for an observer (ObservedRuns.cpp) ----
  bool RunObservedText(std::string_view sql);
  static bool IsObservedKind(Statement::Kind kind);
  static ObservedStatement::Kind ObservedKindOf(Statement::Kind kind);
  static int LineOf(const Batch& batch, const Statement& st);
  void TakeErrors(ObservedStatement& statement);
  void ReportUnattributedErrors();
  Outcome RunObservedStatement(const Batch& batch, const Statement& st, ResultSet* out,
                               bool* gotRows, int depth);
  Outcome CaptureRows(sqlite3_stmt* q);
  ObservedColumn DeclaredColumn(sqlite3_stmt* q, int c) const;
  static void TypeByValues(ObservedStatement& report, size_t c);
  static ObservedValue ObservedValueOf(sqlite3_stmt* q, int c);

  // ---- prepared statements by shape (StatementCache.cpp) ----
  const Cached* Prepared(const Batch& batch, const Statement& st, Outcome& failure);
  Outcome Step(const Token* tokens, const std::vector<size_t>& literals, int first, int end,
               const Cached& cached, ResultSet* out, bool* gotRows);
  bool BindStored(sqlite3_stmt* q, int index, const Token& tok, const ColumnTarget& target,
                  Outcome& failure);
  Outcome RunBound(sqlite3_stmt* q, const Cached& cached, ResultSet* out, bool* gotRows);
  static DbValue ValueOf(sqlite3_stmt* q, int c);
  void ClearCache();

  // ---- texts seen before, and texts of many inserts (BatchPlans.cpp) ----
  static bool Plannable(const Batch& batch);
  void RememberPlan(std::string key, const Batch& batch);
  const Plan* FindPlan(const Token* tokens, const std::string& key) const;
  Outcome RunPlan(const Plan& plan, const Token* tokens);
  bool RunPlanned(const Token* tokens, const std::string& key, bool& ok);
  bool RunPieces(std::string_view sql, bool& ok);
  void PrefetchPiece(size_t p) const;
  bool CheckPieces(std::string_view sql);
  Outcome RunNewPiece(std::string_view text, const std::string& key);
  static NumberList FixedNumbers(const Batch& batch);
  static bool SameNumbers(const Token* tokens, const NumberList& numbers);

  // SQLite rolled the open group back by itself: the rest of the text must not run, since it
  // would be committed on its own without the rows the group held.
  bool GroupRolledBack() const { return inTxn_ && sqlite3_get_autocommit(db_); }

  StatementObserver* observer_ = nullptr;  // set during runObserved
  ObservedStatement* capture_ = nullptr;   // the select whose rows the next step reads
  bool observerStopped_ = false;           // the observer stopped the text
  size_t reportedErrors_ = 0;              // errors of error_ already handed to the observer
  std::vector<std::string> procedures_;    // the procedures running, innermost last
  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  std::string path_;
  bool created_ = false;
  Catalog catalog_;
  SessionState state_;
  EngineError error_;
  std::unordered_map<std::string, std::unique_ptr<Cached>> cache_;
  std::unordered_map<std::string, Plan> plans_;
  bool recording_ = false;
  std::vector<const Cached*> recorded_;
  std::vector<std::string> bindBuffers_;
  std::vector<Token> scratchTokens_;
  std::vector<TokenRange> pieces_;       // the pieces of the running text (RunPieces)
  std::vector<std::string> pieceKeys_;   // their shape keys
  std::vector<const Plan*> piecePlans_;  // their plans when checked (null: none then)
  unsigned long long plansCleared_ = 0;  // times the remembered plans were dropped
  std::unordered_map<std::string, NumberList> checkedShapes_;  // shapes parsed by CheckPieces
  bool inTxn_ = false;
  int pending_ = 0;
  std::chrono::steady_clock::time_point groupStart_;
  long long schemaVersion_ = -1;
  GroupTexts group_;                    // texts of the open group's statements that ran
  std::atomic<bool> broken_{false};     // the connection lost a group; it refuses everything
  EngineError brokenError_;             // the failure that broke it, given to every refusal
  std::optional<LostStatements> lost_;  // the lost group, until the caller takes it
  std::string lastSqliteMessage_;       // SQLite's text of the last failed statement
  LockWait lockWait_;
  std::chrono::milliseconds lockTimeout_{-1};  // SET LOCK_TIMEOUT, for sp_getapplock's default
  std::optional<int> returnStatus_;            // of the last EXEC
  std::thread flusher_;
  std::condition_variable flusherWake_;
  bool stopFlusher_ = false;
};

}  // namespace qiva::db::embedded
