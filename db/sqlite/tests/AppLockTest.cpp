// AppLockTest.cpp: sp_getapplock and sp_releaseapplock on the embedded engine, with the
// variables and EXEC arguments they are called with: connections of one process to one file
// are the sessions, an exclusive lock keeps the others waiting until their @LockTimeout, and a
// connection that closes lets go of its locks.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "db/sqlite/SqliteEngine.h"
#include "db/sqlite/tests/EngineTestSupport.h"

namespace qiva::db::testing {
namespace {

using namespace std::chrono_literals;

// A connection to the test's database.
struct Session {
  explicit Session(const TempDatabase& db) : engine(CreateSqliteEngine()) {
    EXPECT_TRUE(engine->open(db.connectionString()));
  }
  // The status of `exec @r = <call>`, read back with select; "failed: <number>" when refused.
  std::string Status(const std::string& call) {
    ResultSet rows;
    if (!engine->query("declare @r int; exec @r = " + call + "; select @r as lock_status", rows))
      return "failed: " + std::to_string(engine->lastError().providerErrors.at(0).number);
    return ValueText(rows.rows.at(0).at(0));
  }
  std::string Get(const std::string& resource, const std::string& mode, int timeoutMs) {
    return Status("sp_getapplock @Resource = N'" + resource + "', @LockMode = '" + mode +
                  "', @LockOwner = 'Session', @LockTimeout = " + std::to_string(timeoutMs));
  }
  std::string Release(const std::string& resource) {
    return Status("sp_releaseapplock @Resource = N'" + resource + "', @LockOwner = 'Session'");
  }
  std::unique_ptr<DbEngine> engine;
};

TEST(AppLock, anExclusiveLockKeepsOtherSessionsOutUntilItIsReleased) {
  TempDatabase db;
  Session first(db), second(db);
  EXPECT_EQ(first.Get("QIVA_IMPORT q", "Exclusive", 0), "0");
  EXPECT_EQ(second.Get("QIVA_IMPORT q", "Exclusive", 0), "-1");
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(second.Get("QIVA_IMPORT q", "Exclusive", 200), "-1");
  EXPECT_GE(std::chrono::steady_clock::now() - started, 200ms);
  EXPECT_EQ(second.Get("QIVA_IMPORT other", "Exclusive", 0), "0");  // another resource
  // Resource names are compared as written, whatever the collation (as on SQL Server).
  EXPECT_EQ(second.Get("qiva_import q", "Exclusive", 0), "0");
  // The holder takes it again and must release it as often.
  EXPECT_EQ(first.Get("QIVA_IMPORT q", "Exclusive", 0), "0");
  EXPECT_EQ(first.Release("QIVA_IMPORT q"), "0");
  EXPECT_EQ(second.Get("QIVA_IMPORT q", "Exclusive", 0), "-1");
  EXPECT_EQ(first.Release("QIVA_IMPORT q"), "0");
  EXPECT_EQ(second.Get("QIVA_IMPORT q", "Exclusive", 0), "0");
  // A lock not held cannot be released: message 1223, as on SQL Server.
  EXPECT_EQ(first.Release("QIVA_IMPORT q"), "failed: 1223");
  EXPECT_NE(first.engine->lastError().description.find(
                "Cannot release the application lock (Database Principal: 'public', Resource: "
                "'QIVA_IMPORT q') because it is not currently held."),
            std::string::npos);
}

TEST(AppLock, aWaitingSessionGetsTheLockOnceTheHolderLetsGoAndNeverBefore) {
  TempDatabase db;
  Session first(db), second(db);
  ASSERT_EQ(first.Get("R", "Exclusive", 0), "0");
  std::atomic<bool> released{false};
  auto waiter = std::async(std::launch::async, [&] {
    const std::string status = second.Get("R", "Exclusive", 10000);
    return std::make_pair(status, released.load());
  });
  ASSERT_EQ(waiter.wait_for(100ms), std::future_status::timeout);  // still waiting
  released = true;
  ASSERT_TRUE(first.engine->close());  // the lock goes with the connection
  const auto [status, afterRelease] = waiter.get();
  // Granted after waiting (1), or at once (0) on a machine so busy that the waiter had not begun
  // its wait when the holder closed; never before the holder let go.
  EXPECT_TRUE(status == "1" || status == "0") << status;
  EXPECT_TRUE(afterRelease);
}

TEST(AppLock, modesFollowSqlServersCompatibility) {
  TempDatabase db;
  Session a(db), b(db), c(db);
  EXPECT_EQ(a.Get("R", "Shared", 0), "0");
  EXPECT_EQ(b.Get("R", "Shared", 0), "0");
  EXPECT_EQ(c.Get("R", "Exclusive", 0), "-1");
  EXPECT_EQ(c.Get("R", "Update", 0), "0");
  EXPECT_EQ(c.Release("R"), "0");
  EXPECT_EQ(a.Release("R"), "0");
  EXPECT_EQ(b.Release("R"), "0");
  EXPECT_EQ(a.Get("R", "IntentExclusive", 0), "0");
  EXPECT_EQ(b.Get("R", "IntentShared", 0), "0");
  EXPECT_EQ(c.Get("R", "Shared", 0), "-1");
}

TEST(AppLock, twoSessionsWaitingForEachOtherMakeOneTheDeadlockVictim) {
  TempDatabase db;
  Session a(db), b(db);
  ASSERT_EQ(a.Get("X", "Exclusive", 0), "0");
  ASSERT_EQ(b.Get("Y", "Exclusive", 0), "0");
  auto bWaits = std::async(std::launch::async, [&] {
    const std::string status = b.Get("X", "Exclusive", 5000);
    if (status == "-3") b.engine->close();
    return status;
  });
  const std::string aStatus = a.Get("Y", "Exclusive", 5000);
  if (aStatus == "-3") a.engine->close();
  const std::string bStatus = bWaits.get();
  EXPECT_EQ((aStatus == "-3") + (bStatus == "-3"), 1) << aStatus << " " << bStatus;
  EXPECT_EQ(aStatus == "-3" ? bStatus : aStatus, "1");
}

TEST(AppLock, parametersAreBoundByNameOrPositionAndCheckedAsSqlServerDoes) {
  TempDatabase db;
  Session s(db);
  EXPECT_EQ(s.Status("sp_getapplock 'P', 'Exclusive', 'Session', 0"), "0");
  EXPECT_EQ(s.Status("sp_releaseapplock 'P', 'Session'"), "0");
  EXPECT_EQ(s.Status("sp_getapplock @Resource = 'P', @LockMode = 'Sideways', "
                     "@LockOwner = 'Session'"),
            "-999");
  // The engine has no user transactions: a transaction owner is a parameter error.
  EXPECT_EQ(s.Status("sp_getapplock @Resource = 'P', @LockMode = 'Exclusive'"), "-999");
  EXPECT_EQ(s.Status("sp_getapplock @Resource = 'P', @LockMode = 'Exclusive', "
                     "@LockOwner = 'Session', @LockTimeout = -2"),
            "-999");
  EXPECT_EQ(s.Status("sp_getapplock @Resource = 'P'"), "failed: 201");
  EXPECT_EQ(s.Status("sp_getapplock @Resource = 'P', @Mode = 'Exclusive'"), "failed: 8145");
  EXPECT_EQ(s.Status("QIVA_NO_SUCH_PROCEDURE"), "failed: 2812");
  // The status reaches only a declared variable.
  ResultSet rows;
  EXPECT_FALSE(s.engine->query("exec @x = sp_releaseapplock 'P', 'Session'", rows));
  EXPECT_EQ(s.engine->lastError().providerErrors.back().number, 137);
}

TEST(AppLock, variablesHoldTheirDeclaredValuesForTheirOwnTextOnly) {
  TempDatabase db;
  Session s(db);
  ResultSet rows;
  ASSERT_TRUE(
      s.engine->query("declare @name nvarchar(40) = N'QIVA_IMPORT ' + db_name(), "
                      "@n int = 7, @none int; select @name as name, @n + 1 as n, "
                      "@none as none",
                      rows))
      << s.engine->lastError().description;
  const std::string stem = std::filesystem::path(db.path()).stem().string();
  EXPECT_EQ(ValueText(rows.rows.at(0).at(0)), "QIVA_IMPORT " + stem);
  EXPECT_EQ(ValueText(rows.rows.at(0).at(1)), "8");
  EXPECT_EQ(ValueText(rows.rows.at(0).at(2)), "NULL");
  EXPECT_FALSE(s.engine->query("select @n as n", rows));
  EXPECT_EQ(s.engine->lastError().providerErrors.back().number, 137);
  EXPECT_FALSE(s.engine->execute("declare @a int; declare @a int"));
  EXPECT_EQ(s.engine->lastError().providerErrors.back().number, 134);
}

}  // namespace
}  // namespace qiva::db::testing
