// End-to-end tests of connecting: the real qiva-import program through unixODBC and FreeTDS
// against the stand-in. Every cause of a failed connection gets its own advice on standard
// error, in the report and in `doctor`; the configuration keys reach the driver and no value
// adds an attribute; `doctor` names what a database lacks, through the driver and on the
// embedded engine, and writes nothing.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "base/tests/TestSupport.h"
#include "db/CAdoDatabase.h"
#include "db/sqlite/SchemaScripts.h"
#include "db/tds/tests/StandIn.h"

namespace {

namespace fs = std::filesystem;
using qiva::test::ReadFileBytes;
using qiva::test::StandIn;
using qiva::test::WriteFileBytes;

// A port on 127.0.0.1 that nobody listens on: one the system handed out and that was let go.
int UnusedPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(s);
  return ntohs(address.sin_port);
}

// The SQL Server Browser's part: on 127.0.0.1:1434 (UDP), answers a look-up of the instance
// SQLEXPRESS with `port`, as the Browser does; other instances get no answer.
class BrowserStandIn {
 public:
  explicit BrowserStandIn(int port) {
    socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(1434);
    bound_ = ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    const std::string data =
        "ServerName;QIVA-TDS;InstanceName;SQLEXPRESS;IsClustered;No;Version;"
        "16.0.4000.0;tcp;" +
        std::to_string(port) + ";;";
    const std::string reply = std::string(1, '\x05') + static_cast<char>(data.size() & 0xFF) +
                              static_cast<char>(data.size() >> 8) + data;
    if (bound_) thread_ = std::thread([this, reply] { Serve(reply); });
  }
  ~BrowserStandIn() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    ::close(socket_);
  }
  bool bound() const { return bound_; }

 private:
  void Serve(const std::string& reply) {
    while (!stop_) {
      pollfd entry{socket_, POLLIN, 0};
      if (::poll(&entry, 1, 50) <= 0) continue;
      char request[512];
      sockaddr_in from{};
      socklen_t length = sizeof from;
      const auto n = ::recvfrom(socket_, request, sizeof request, 0,
                                reinterpret_cast<sockaddr*>(&from), &length);
      std::string text = n > 0 ? std::string(request, static_cast<size_t>(n)) : std::string();
      for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (!text.empty() && (text[0] == 3 || text[0] == 4) &&
          text.find("SQLEXPRESS") != std::string::npos) {
        ::sendto(socket_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from),
                 length);
      }
    }
  }
  int socket_ = -1;
  bool bound_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct Outcome {
  int status = -1;
  std::string out, err;
};

class ConnectingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!qiva::test::RegisterFreeTds(dir.path().string())) GTEST_SKIP() << "no FreeTDS ODBC driver";
    // The program's own copy: its logs go beside it.
    fs::copy_file(QIVA_IMPORT_PROGRAM, dir.path() / "qiva-import");
  }
  // Runs `qiva-import WORDS` with `configuration` from the scratch folder.
  Outcome Run(const std::string& words, const std::string& configuration) const {
    WriteFileBytes(dir.file("QIVA_IMPORT.INI"), configuration);
    const std::string command = "cd '" + dir.path().string() +
                                "' && ./qiva-import --config QIVA_IMPORT.INI " + words +
                                " > out.txt 2> err.txt < /dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(dir.file("out.txt")),
            ReadFileBytes(dir.file("err.txt"))};
  }
  static std::string ServerConfiguration(int port, const std::string& extra = "") {
    return "server=127.0.0.1," + std::to_string(port) +
           "\r\ndatabase=CLINIC\r\nuser=qiva\r\npass=qiva\r\ndriver=" + qiva::test::kStandInDriver +
           "\r\n" + extra;
  }
  // A database file with the reference schema.
  std::string NewDatabase(const std::string& name) const {
    CAdoDatabase db;
    db.SetDriver("sqlite");
    EXPECT_TRUE(db.Open("", "", "", dir.file(name)));
    return dir.file(name);
  }
  qiva::test::ScratchDir dir;
};

TEST_F(ConnectingTest, eachCauseOfAFailedConnectionGivesItsOwnAdviceEverywhere) {
  StandIn server(NewDatabase("clinic.db"), {"--database-name", "CLINIC"});
  ASSERT_TRUE(server.Started());
  const std::string sample = std::string(QIVA_SAMPLES_DIR) + "/nomenclatoare_generale.xml";
  const std::string fine = ServerConfiguration(server.Port());
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = fine;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  struct Case {
    std::string name, configuration, advice, doctor;
  };
  const std::vector<Case> cases = {
      {"a port nobody listens on",
       replaced(std::to_string(server.Port()), std::to_string(UnusedPort())),
       "the server did not answer", "FAILED server: nobody answers on 127.0.0.1 port "},
      {"a wrong password", replaced("pass=qiva", "pass=not-the-password"),
       "(message 18456): login failed", "FAILED login: user qiva refused"},
      {"a database that does not exist", replaced("database=CLINIC", "database=CLINIK"),
       "(message 4060): the database does not exist",
       "FAILED database: CLINIK cannot be opened (the driver says: Cannot open database "
       "\"CLINIK\" requested by the login. The login failed.)"},
      {"a driver not installed",
       replaced(std::string("driver=") + qiva::test::kStandInDriver, "driver=No Such Driver"),
       std::string("the driver is not installed: install it or name an installed one with "
                   "driver=; installed drivers: ") +
           qiva::test::kStandInDriver,
       std::string("FAILED driver: No Such Driver is not installed; installed drivers: ") +
           qiva::test::kStandInDriver},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir.file("report.json"));
    const Outcome import =
        Run("nomenclatures '" + sample + "' --report report.json", c.configuration);
    EXPECT_EQ(import.status, 4);
    const size_t at = import.err.find("Cannot connect to server ");
    ASSERT_NE(at, std::string::npos) << import.err;
    const std::string line = import.err.substr(at, import.err.find('\n', at) - at);
    EXPECT_NE(line.find(c.advice), std::string::npos) << line;
    const nlohmann::json report = nlohmann::json::parse(ReadFileBytes(dir.file("report.json")));
    EXPECT_EQ(report.value("advice", ""), line);
    EXPECT_EQ(import.err.find("not-the-password"), std::string::npos);

    const Outcome doctor = Run("doctor", c.configuration);
    EXPECT_EQ(doctor.status, 4);
    EXPECT_NE(doctor.out.find(c.doctor), std::string::npos) << doctor.out;
    EXPECT_EQ(doctor.out.find("not-the-password"), std::string::npos);
  }
  // A connection that works leaves no advice in the report (the sample has records that it
  // skips: exit status 5).
  EXPECT_EQ(Run("nomenclatures '" + sample + "' --report report.json", fine).status, 5);
  EXPECT_FALSE(nlohmann::json::parse(ReadFileBytes(dir.file("report.json"))).contains("advice"));
}

// A named instance without a port: the doctor asks the SQL Server Browser itself, with a short
// wait; when the Browser answers, FreeTDS finds the instance through it as well.
TEST_F(ConnectingTest, aNamedInstanceIsFoundThroughTheBrowserOrItsSilenceIsSaid) {
  StandIn server(NewDatabase("clinic.db"), {"--database-name", "CLINIC"});
  ASSERT_TRUE(server.Started());
  const std::string configuration =
      "server=127.0.0.1\\SQLEXPRESS\r\ndatabase=CLINIC\r\nuser=qiva\r\n"
      "pass=qiva\r\ndriver=" +
      std::string(qiva::test::kStandInDriver) + "\r\n";
  const auto started = std::chrono::steady_clock::now();
  const Outcome silent = Run("doctor", configuration);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(silent.status, 4);
  EXPECT_NE(silent.out.find("FAILED server: the SQL Server Browser on 127.0.0.1 did not answer "
                            "(UDP 1434, within 2 s), so the port of the instance SQLEXPRESS is "
                            "not known; next step: start the SQL Server Browser service"),
            std::string::npos)
      << silent.out;

  const BrowserStandIn browser(server.Port());
  if (!browser.bound()) GTEST_SKIP() << "UDP port 1434 is taken on this machine";
  const Outcome found = Run("doctor", configuration);
  EXPECT_EQ(found.status, 0) << found.out;
  EXPECT_NE(found.out.find("OK     server: the SQL Server Browser gives the instance SQLEXPRESS "
                           "port " +
                           std::to_string(server.Port()) + "; 127.0.0.1 port "),
            std::string::npos)
      << found.out;
  EXPECT_NE(found.out.find("OK     login: user qiva"), std::string::npos);
}

// The port and encrypt keys reach FreeTDS in its own attributes (without them the driver would
// try port 1433, or refuse), the program names itself, and a password holding ";DATABASE=..."
// stays one value: the stand-in serves CLINIC only and takes that very password.
TEST_F(ConnectingTest, theKeysReachTheDriverAndNoValueAddsAnAttribute) {
  const std::string password = "x;DATABASE=master";
  StandIn server(NewDatabase("clinic.db"), {"--database-name", "CLINIC", "--password", password});
  ASSERT_TRUE(server.Started());
  CAdoDatabase db;
  db.SetDriver(qiva::test::kStandInDriver);
  CAdoDatabase::ConnectionSettings settings;
  settings.port = std::to_string(server.Port());
  settings.encrypt = "no";
  db.SetConnectionSettings(settings);
  EXPECT_TRUE(db.Open("127.0.0.1", "qiva", password, "CLINIC")) << db.m_szProviderError;
  EXPECT_FALSE(db.Open("127.0.0.1", "qiva", "x", "CLINIC"));
  db.Close();

  const std::string configuration = "server=127.0.0.1\r\nport=" + std::to_string(server.Port()) +
                                    "\r\nencrypt=no\r\ndatabase=CLINIC\r\nuser=qiva\r\n"
                                    "pass=x;DATABASE\r\ndriver=" +
                                    qiva::test::kStandInDriver + "\r\n";
  StandIn plain(dir.file("clinic.db"), {"--database-name", "CLINIC", "--password", "x;DATABASE"});
  ASSERT_TRUE(plain.Started());
  std::string text = configuration;
  text.replace(text.find(std::to_string(server.Port())), std::to_string(server.Port()).size(),
               std::to_string(plain.Port()));
  const Outcome doctor = Run("doctor", text);
  EXPECT_EQ(doctor.status, 0) << doctor.out;
  EXPECT_NE(doctor.out.find("OK     server: 127.0.0.1 port " + std::to_string(plain.Port()) +
                            " accepts connections"),
            std::string::npos)
      << doctor.out;
  EXPECT_NE(doctor.out.find("the server sees this program as QIVA_IMPORT"), std::string::npos);
  EXPECT_NE(doctor.out.find("Romanian_CI_AS is code page 1250"), std::string::npos);

  // encrypt=yes reaches FreeTDS as Encryption=require: the stand-in offers no encryption, so
  // the login exchange fails although the port answers.
  text.replace(text.find("encrypt=no"), 10, "encrypt=yes");
  const Outcome encrypted = Run("doctor", text);
  EXPECT_EQ(encrypted.status, 4);
  EXPECT_NE(encrypted.out.find("FAILED login: the server's port answers, but the login exchange "
                               "failed"),
            std::string::npos)
      << encrypted.out;
}

// One database, complete and then damaged, checked through the driver and on the embedded
// engine: the same findings, and nothing written (the file's bytes, no log).
TEST_F(ConnectingTest, doctorNamesWhatTheDatabaseLacksThroughTheDriverAndOnTheEmbeddedEngine) {
  const std::string file = NewDatabase("clinic.db");
  const std::string embedded =
      "driver=sqlite\r\ndatabase=clinic.db\r\nlogs=not-made\r\nserevr=typo\r\nDRIVER=FreeTDS\r\n";
  auto doctorBoth = [&](int status) {
    StandIn server(file, {"--database-name", "CLINIC"});
    EXPECT_TRUE(server.Started());
    const std::string before = ReadFileBytes(file);
    const Outcome viaDriver = Run("doctor", ServerConfiguration(server.Port()));
    const Outcome onFile = Run("doctor", embedded);
    EXPECT_EQ(viaDriver.status, status) << viaDriver.out;
    EXPECT_EQ(onFile.status, status) << onFile.out;
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_FALSE(fs::exists(dir.file("_database.log")));
    EXPECT_FALSE(fs::exists(dir.file("not-made")));  // not even the log folder is made
    EXPECT_NE(onFile.out.find("unknown keys, not read by any program: 'serevr' (check their "
                              "spelling; a blank before '=' is part of the key); given again, "
                              "the first line wins: 'DRIVER'"),
              std::string::npos)
        << onFile.out;
    return std::vector<Outcome>{viaDriver, onFile};
  };
  for (const Outcome& o : doctorBoth(0)) {
    EXPECT_NE(o.out.find("OK     tables: all "), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("OK     round trip: "), std::string::npos);
    EXPECT_EQ(o.out.find("FAILED"), std::string::npos);
  }

  {
    CAdoDatabase db;
    db.SetDriver("sqlite");
    ASSERT_TRUE(db.Open("", "", "", file));
    ASSERT_TRUE(db.Execute("drop table QIVA_ICD10"));
    ASSERT_TRUE(db.Execute("alter table QIVA_PHYSICIANS alter column NAME varchar(50)"));
    for (const std::string& batch : qiva::db::SplitScriptBatches(qiva::db::LocationsSchemaScript()))
      ASSERT_TRUE(db.Execute(batch));
    ASSERT_TRUE(db.Close());
  }
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw, "delete from __qiva_objects where name = 'QIVA_PHYSICIANS_ACTIVATE'",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);

  for (const Outcome& o : doctorBoth(4)) {
    EXPECT_NE(o.out.find("FAILED tables: missing: QIVA_ICD10;"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("FAILED columns: QIVA_PHYSICIANS.NAME is varchar(50), narrower than the "
                         "reference's varchar(1024);"),
              std::string::npos);
    EXPECT_NE(o.out.find("FAILED procedure: missing: QIVA_PHYSICIANS_ACTIVATE;"),
              std::string::npos);
    EXPECT_NE(o.out.find("FAILED locations: per location, but n_locations holds no location"),
              std::string::npos);
  }
}

}  // namespace
