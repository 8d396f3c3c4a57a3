// Doctor.cpp: the checks of `qiva-import doctor`, in the order an import meets them. Every
// query is one that SQL Server and the embedded engine both answer (INFORMATION_SCHEMA.COLUMNS,
// sys.procedures, SERVERPROPERTY, DATABASEPROPERTYEX); none changes anything, and the
// connection is opened without a database log, so a check leaves no record behind.
#include "app/cli/Doctor.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>

#include "app/INILoader.h"
#include "app/ImportWorker.h"
#include "app/Places.h"
#include "app/cli/CliOptions.h"
#include "app/cli/CliProgram.h"
#include "base/TextUtil.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "db/ConnectionAdvice.h"
#include "db/ConnectionString.h"
#include "db/SchemaCheck.h"
#include "db/odbc/OdbcDiagnostics.h"
#include "update/NetSocket.h"

namespace {

using Clock = std::chrono::steady_clock;

// The configuration keys that the programs read.
constexpr const char* kKnownKeys[] = {"server",   "database", "user",    "pass",
                                      "driver",   "dsn",      "text",    "timeout",
                                      "grouping", "logs",     "encrypt", "trustservercertificate",
                                      "port",     "trusted"};

// The SQL Server Browser: its UDP port and how long an answer is waited for.
constexpr std::uint16_t kBrowserPort = 1434;
constexpr std::chrono::milliseconds kBrowserWait{2000};

// Prints the check lines and remembers whether one failed.
class Report {
 public:
  explicit Report(std::ostream& out) : out_(out) {}
  void Ok(const std::string& check, const std::string& what) {
    out_ << "OK     " << check << ": " << what << '\n' << std::flush;
  }
  void Failed(const std::string& check, const std::string& what, const std::string& step) {
    failed_ = true;
    out_ << "FAILED " << check << ": " << what;
    if (!step.empty()) out_ << "; next step: " << step;
    out_ << '\n' << std::flush;
  }
  bool failed() const { return failed_; }

 private:
  std::ostream& out_;
  bool failed_ = false;
};

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

std::string Milliseconds(Clock::duration elapsed) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms",
                std::chrono::duration<double, std::milli>(elapsed).count());
  return text;
}

bool IsKnownKey(const std::string& key) {
  for (const char* known : kKnownKeys)
    if (EqualsIgnoringAsciiCase(key, known)) return true;
  return false;
}

bool CheckConfiguration(const DoctorRequest& request, INILoader& configuration, Report& report) {
  if (!configuration.Load(request.configuration)) {
    std::string what = ConfigurationNotLoadedReason(request.configuration, configuration);
    if (request.configurationsTried.size() > 1) {
      std::vector<std::string> others(request.configurationsTried.begin() + 1,
                                      request.configurationsTried.end());
      what += " (nor at " + Joined(others) + ")";
    }
    report.Failed("configuration", what,
                  "write QIVA_IMPORT.INI there (key=value lines ended by CR LF), or name one "
                  "with --config");
    return false;
  }
  if (configuration.lineFeedsOnly()) {
    report.Failed("configuration",
                  request.configuration + " has lines ended by LF only, so it reads as one line",
                  "save it with CR LF line ends");
    return false;
  }
  std::vector<std::string> known, unknown, twice;
  for (std::size_t i = 0; i < configuration.entries().size(); ++i) {
    const std::string& key = configuration.entries()[i].key;
    bool seen = false;
    for (std::size_t j = 0; j < i; ++j)
      seen = seen || EqualsIgnoringAsciiCase(configuration.entries()[j].key, key);
    if (seen) {
      twice.push_back("'" + key + "'");
      continue;
    }
    (IsKnownKey(key) ? known : unknown).push_back("'" + key + "'");
  }
  std::string what = request.configuration + " read (keys " +
                     (known.empty() ? std::string("none") : Joined(known)) + ")";
  if (!unknown.empty()) {
    what += "; unknown keys, not read by any program: " + Joined(unknown) +
            " (check their spelling; a blank before '=' is part of the key)";
  }
  if (!twice.empty()) what += "; given again, the first line wins: " + Joined(twice);
  report.Ok("configuration", what);
  return true;
}

// ---- the ODBC path: driver, server, login, database ----

bool CheckDriver(const INILoader& configuration, Report& report) {
  if (const std::string dsn = configuration.GetValue("dsn"); !dsn.empty()) {
    report.Ok("driver", "the data source " + dsn + " names it (checked by the login below)");
    return true;
  }
  const std::string given = configuration.GetValue("driver");
  const std::string driver = given.empty() ? DefaultOdbcDriver() : given;
  const std::string named = given.empty() ? driver + " (the default)" : driver;
  if (driver.find('/') != std::string::npos || driver.find('\\') != std::string::npos) {
    std::error_code error;
    if (std::filesystem::is_regular_file(driver, error)) {
      report.Ok("driver", "the driver library " + driver + " is there");
      return true;
    }
    report.Failed("driver", "no driver library at " + driver,
                  "install the driver, or name an installed one with driver=");
    return false;
  }
  const std::vector<std::string> installed = qiva::db::odbc::InstalledDrivers();
  for (const std::string& name : installed) {
    if (EqualsIgnoringAsciiCase(name, driver)) {
      report.Ok("driver", named + " is installed");
      return true;
    }
  }
  report.Failed("driver",
                named + " is not installed; installed drivers: " +
                    (installed.empty() ? std::string("none") : Joined(installed)),
                "install it, or name an installed one with driver=");
  return false;
}

// The port of a named instance, asked of the SQL Server Browser (UDP 1434) as the drivers ask
// it, but with a short wait: FreeTDS waits about 16 s for a Browser that does not answer.
// "" with the failure reported when there is no answer or the instance has no TCP port.
std::string AskBrowser(const ServerParts& parts, Report& report) {
  std::optional<std::string> reply;
  if (const auto addresses = qiva::net::SystemResolve(parts.host, kBrowserPort)) {
    for (const qiva::net::SocketAddress& address : *addresses) {
      reply = qiva::net::UdpExchange(address, BrowserRequest(parts.instance), kBrowserWait);
      if (reply) break;
    }
  }
  if (!reply) {
    report.Failed("server",
                  "the SQL Server Browser on " + parts.host +
                      " did not answer (UDP 1434, within 2 s), so the port of the instance " +
                      parts.instance + " is not known",
                  "start the SQL Server Browser service on the server and open UDP 1434 in its "
                  "firewall, or give the instance a fixed TCP port (SQL Server Configuration "
                  "Manager, TCP/IP, IPAll) and write it as port=");
    return {};
  }
  const std::string port = InstancePort(*reply, parts.instance);
  if (port.empty()) {
    report.Failed("server",
                  "the SQL Server Browser on " + parts.host +
                      " gives no TCP port for the instance " + parts.instance,
                  "check the instance's name, and that TCP/IP is enabled for it (SQL Server "
                  "Configuration Manager)");
  }
  return port;
}

// The host and port answer a TCP connection; for a named instance without a port, the SQL
// Server Browser gives the port first.
bool CheckServer(const INILoader& configuration, Report& report) {
  if (!configuration.GetValue("dsn").empty()) {
    report.Ok("server", "the data source names it (checked by the login below)");
    return true;
  }
  const ServerParts parts =
      SplitServer(configuration.GetValue("server"), configuration.GetValue("port"));
  if (parts.host.empty()) {
    report.Failed("server", "the configuration gives no server", "set server=HOST\\INSTANCE");
    return false;
  }
  std::string port = parts.port.empty() && parts.instance.empty() ? "1433" : parts.port;
  if (!port.empty() &&
      (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
       std::stoi(port) < 1 || std::stoi(port) > 65535)) {
    report.Failed("server", "the port " + port + " is not a number from 1 to 65535",
                  "correct the port (server=HOST,PORT or port=)");
    return false;
  }
  const qiva::net::SocketLibrary sockets;
  const auto addresses = qiva::net::SystemResolve(
      parts.host, static_cast<std::uint16_t>(port.empty() ? 1433 : std::stoi(port)));
  if (!sockets.ok() || !addresses || addresses->empty()) {
    report.Failed("server", "the name " + parts.host + " does not resolve",
                  "check the server's name (or give its IP address)");
    return false;
  }
  std::string found;
  if (port.empty()) {
    port = AskBrowser(parts, report);
    if (port.empty()) return false;
    found = "the SQL Server Browser gives the instance " + parts.instance + " port " + port + "; ";
  }
  const auto target =
      qiva::net::SystemResolve(parts.host, static_cast<std::uint16_t>(std::stoi(port)));
  const auto started = Clock::now();
  for (const qiva::net::SocketAddress& address : target ? *target : *addresses) {
    qiva::net::TcpConnection connection;
    if (connection.connect(address, std::chrono::seconds(5))) {
      report.Ok("server", found + parts.host + " port " + port + " accepts connections (" +
                              Milliseconds(Clock::now() - started) + ")");
      return true;
    }
  }
  report.Failed("server", found + "nobody answers on " + parts.host + " port " + port,
                "check that the name and port are right, that TCP/IP is enabled for the instance "
                "(SQL Server Configuration Manager) and that the port is open in the firewall");
  return false;
}

// A provider error text ("\t Error number: %x\t%s") without its hexadecimal number.
std::string Readable(const std::string& providerError) {
  const std::string label = "\t Error number: ";
  if (providerError.rfind(label, 0) != 0) return providerError;
  const std::size_t tab = providerError.find('\t', label.size());
  return tab == std::string::npos ? providerError : providerError.substr(tab + 1);
}

// The Description line of a COM error text (FormatComError's layout).
std::string DescriptionLine(const std::string& comError) {
  const std::string label = "\tDescription = ";
  const std::size_t at = comError.find(label);
  if (at == std::string::npos) return comError;
  const std::size_t start = at + label.size();
  return comError.substr(start, comError.find('\n', start) - start);
}

// The driver's text that tells the cause: the server's own message when a record holds 4060 or
// 18456 (FreeTDS puts a database's refusal after a record of the login's), else the first
// error's text.
std::string CauseDescription(const qiva::db::EngineError& error) {
  for (const long number : {4060L, 18456L})
    for (const qiva::db::ProviderError& record : error.providerErrors)
      if (record.number == number) return record.description;
  return error.description;
}

// Opens the connection as the import does; the failure tells which check it belongs to.
// `portAnswered`: the server check connected to the port, so a failure that reads as "not
// reachable" happened in the login exchange itself.
bool CheckLoginAndDatabase(const INILoader& configuration, CAdoDatabase& db,
                           const std::string& database, bool portAnswered, Report& report) {
  const std::string user = configuration.GetValue("user");
  const bool trusted = EqualsIgnoringAsciiCase(configuration.GetValue("trusted"), "yes");
  const std::string who = trusted ? "Windows authentication" : "user " + user;
  if (db.Open(configuration.GetValue("server"), user, configuration.GetValue("pass"), database)) {
    report.Ok("login", who);
    report.Ok("database", database);
    return true;
  }
  if (db.m_szConnectionAdvice.empty()) {  // refused before any connection was tried
    report.Failed("configuration values", DescriptionLine(db.m_szComError), "correct the setting");
    return false;
  }
  qiva::db::ConnectionTried tried;
  tried.server = configuration.GetValue("server");
  if (const std::string port = configuration.GetValue("port"); !port.empty())
    tried.server += "," + port;
  const qiva::db::EngineError error =
      db.m_pConnection ? db.m_pConnection->lastError() : qiva::db::EngineError{};
  const std::string said = "the driver says: " + CauseDescription(error);
  const std::string& advice = db.m_szConnectionAdvice;
  const std::size_t stepAt = advice.find("): ");
  const std::string step = stepAt == std::string::npos ? advice : advice.substr(stepAt + 3);
  using C = qiva::db::ConnectionFailureCause;
  switch (qiva::db::ClassifyConnectionFailure(tried, error)) {
    case C::DatabaseMissing:
      report.Ok("login", who);
      report.Failed("database", database + " cannot be opened (" + said + ")", step);
      break;
    case C::LoginFailed:
      report.Failed("login", who + " refused (" + said + ")", step);
      break;
    case C::CertificateRefused:
      report.Failed("encryption", said, step);
      break;
    case C::DriverMissing:
      report.Failed("driver", said, step);
      break;
    case C::Unreachable:
    case C::InstanceLookup:
      // The server check reached the port (a named instance's through the Browser): what failed
      // is the exchange after it.
      if (portAnswered) {
        report.Failed("login",
                      "the server's port answers, but the login exchange failed (" + said + ")",
                      "check that the port is the SQL Server instance's; with encrypt=yes, that "
                      "the server offers encryption (encrypt=no tells)");
      } else {
        report.Failed("server", said, step);
      }
      break;
  }
  return false;
}

// ---- the embedded engine: the file ----

// The file must be there and hold something: opening a missing or empty file would create a
// new database, and the doctor writes nothing.
bool CheckDatabaseFile(const std::string& file, Report& report) {
  std::error_code error;
  const bool there = std::filesystem::is_regular_file(file, error);
  const std::uintmax_t size = there ? std::filesystem::file_size(file, error) : 0;
  if (!there || size == 0) {
    report.Failed("database file", (there ? "the file is empty: " : "no file at ") + file,
                  "qiva-import init-db creates it with the reference schema (an import would "
                  "create it too, with no rows)");
    return false;
  }
  report.Ok("database file", file + " (" + std::to_string(size) + " bytes)");
  return true;
}

// ---- what the connected database holds ----

std::string TextOf(const DbValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* n = std::get_if<std::int32_t>(&value)) return std::to_string(*n);
  if (const auto* d = std::get_if<double>(&value))
    return std::to_string(static_cast<long long>(*d));
  return {};
}

int NumberOf(const DbValue& value) {
  if (const auto* n = std::get_if<std::int32_t>(&value)) return *n;
  if (const auto* d = std::get_if<double>(&value)) return static_cast<int>(*d);
  if (const auto* text = std::get_if<std::string>(&value)) return std::atoi(text->c_str());
  return 0;
}

void CheckServerVersion(CAdoDatabase& db, CAdoRecordset& rs, bool embedded, bool textAsCharacters,
                        Report& report) {
  if (!rs.Open("select cast(serverproperty('ProductVersion') as varchar(128)) as version, "
               "cast(serverproperty('Edition') as varchar(128)) as edition, "
               "cast(databasepropertyex(db_name(), 'Collation') as varchar(128)) as "
               "collation_name, app_name() as program",
               &db)) {
    report.Ok("server version", "not told (" + Readable(rs.m_szProviderError) + ")");
    return;
  }
  const std::string version = TextOf(rs.GetFieldValue("version"));
  const std::string edition = TextOf(rs.GetFieldValue("edition"));
  const std::string collation = TextOf(rs.GetFieldValue("collation_name"));
  const std::string program = TextOf(rs.GetFieldValue("program"));
  rs.Close();
  std::string what = version + (edition.empty() ? "" : " (" + edition + ")");
  if (!embedded) what += "; the server sees this program as " + (program.empty() ? "?" : program);
  report.Ok("server version", what);
  if (embedded || collation.empty()) {
    report.Ok("collation",
              "the embedded database stores the file's bytes as they are; the text "
              "key does not change what it stores");
    return;
  }
  bool failed = false;
  const std::string meaning = CollationMeaning(collation, textAsCharacters, failed);
  if (failed) {
    report.Failed("collation", meaning, "set text=characters in the configuration");
  } else {
    report.Ok("collation", meaning);
  }
}

// Every column of the database's tables; nothing when the catalogue cannot be read.
std::optional<std::vector<qiva::db::CatalogColumn>> ReadColumns(CAdoDatabase& db,
                                                                CAdoRecordset& rs) {
  std::vector<qiva::db::CatalogColumn> columns;
  if (!rs.Open("select table_name, column_name, data_type, character_maximum_length, "
               "numeric_precision, numeric_scale from information_schema.columns",
               &db)) {
    return std::nullopt;
  }
  for (; !rs.IsEOF(); rs.MoveNext()) {
    qiva::db::CatalogColumn c;
    c.table = TextOf(rs.GetFieldValue("table_name"));
    c.column = TextOf(rs.GetFieldValue("column_name"));
    c.type.dataType = TextOf(rs.GetFieldValue("data_type"));
    for (char& ch : c.type.dataType)
      ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    c.type.length = NumberOf(rs.GetFieldValue("character_maximum_length"));
    // SQL Server gives text and ntext 2,147,483,647 characters: as good as max.
    if (c.type.length == 2147483647) c.type.length = -1;
    if (c.type.dataType == "decimal" || c.type.dataType == "numeric") {
      c.type.precision = NumberOf(rs.GetFieldValue("numeric_precision"));
      c.type.scale = NumberOf(rs.GetFieldValue("numeric_scale"));
    }
    columns.push_back(std::move(c));
  }
  rs.Close();
  return columns;
}

std::vector<std::string> ReadProcedures(CAdoDatabase& db, CAdoRecordset& rs) {
  std::vector<std::string> names;
  if (!rs.Open("select name from sys.procedures", &db)) return names;
  for (; !rs.IsEOF(); rs.MoveNext()) names.push_back(TextOf(rs.GetFieldValue("name")));
  rs.Close();
  return names;
}

bool HasColumn(const std::vector<qiva::db::CatalogColumn>& columns, const std::string& table,
               const std::string& column) {
  for (const qiva::db::CatalogColumn& c : columns)
    if (EqualsIgnoringAsciiCase(c.table, table) && EqualsIgnoringAsciiCase(c.column, column))
      return true;
  return false;
}

void CheckSchema(const std::vector<qiva::db::CatalogColumn>& columns,
                 const std::vector<std::string>& procedures, Report& report) {
  const qiva::db::ReferenceSchema& reference = qiva::db::ShippedReferenceSchema();
  const qiva::db::SchemaDifferences differences =
      qiva::db::CompareWithReference(reference, columns, procedures);
  const std::string script = "as the reference schema db/schema/qiva_schema.sql does";
  if (differences.missingTables.empty()) {
    report.Ok("tables", "all " + std::to_string(reference.tables.size()) +
                            " tables of the reference schema are there");
  } else {
    report.Failed("tables", "missing: " + Joined(differences.missingTables),
                  "create them " + script);
  }
  std::vector<std::string> problems;
  if (!differences.missingColumns.empty())
    problems.push_back("missing: " + Joined(differences.missingColumns));
  for (const qiva::db::NarrowerColumn& c : differences.narrowerColumns) {
    problems.push_back(c.table + "." + c.column + " is " + qiva::db::TypeText(c.found) +
                       ", narrower than the reference's " + qiva::db::TypeText(c.expected));
  }
  if (problems.empty()) {
    report.Ok("columns", "the " + std::to_string(reference.columns.size()) +
                             " columns of the reference schema are there (in the tables there) "
                             "and hold what the imports write");
  } else {
    std::string what;
    for (const std::string& p : problems) what += (what.empty() ? "" : "; ") + p;
    report.Failed("columns", what, "add or widen them " + script);
  }
  if (differences.missingProcedures.empty()) {
    report.Ok("procedure", Joined(reference.procedures) + " is there");
  } else {
    report.Failed("procedure", "missing: " + Joined(differences.missingProcedures),
                  "create it " + script + " (the physicians import runs it)");
  }
}

// A database keeps data per location when QIVA_DAILY_CASES_TARIFFS has a locationid column, as
// the imports check; then every location column must be there and n_locations must hold one.
void CheckLocations(CAdoDatabase& db, CAdoRecordset& rs,
                    const std::vector<qiva::db::CatalogColumn>& columns, Report& report) {
  const auto& locationColumns = qiva::db::ShippedReferenceSchema().locationColumns;
  if (!HasColumn(columns, "QIVA_DAILY_CASES_TARIFFS", "locationid")) {
    report.Ok("locations",
              "one location: QIVA_DAILY_CASES_TARIFFS has no locationid column, so "
              "no import asks for a location");
    return;
  }
  std::vector<std::string> missing;
  for (const qiva::db::CatalogColumn& c : locationColumns)
    if (!HasColumn(columns, c.table, c.column)) missing.push_back(c.table + "." + c.column);
  if (!missing.empty()) {
    report.Failed("locations",
                  "per location, but the location column is missing from " + Joined(missing),
                  "add them as db/schema/qiva_locations.sql does");
    return;
  }
  if (!rs.Open("select count(*) as locations from n_locations", &db)) {
    report.Failed(
        "locations",
        "per location, but n_locations cannot be read (" + Readable(rs.m_szProviderError) + ")",
        "create n_locations (id, locationName) as the reference schema does");
    return;
  }
  const int count = NumberOf(rs.GetFieldValue("locations"));
  rs.Close();
  if (count == 0) {
    report.Failed("locations", "per location, but n_locations holds no location",
                  "add the provider's locations to n_locations (id, locationName)");
    return;
  }
  report.Ok("locations", "per location: the " + std::to_string(locationColumns.size()) +
                             " location columns are there, n_locations holds " +
                             std::to_string(count) + " (day-tariffs and feedback ask for one)");
}

void CheckRoundTrip(CAdoDatabase& db, CAdoRecordset& rs, Report& report) {
  const auto started = Clock::now();
  if (!rs.Open("select 1 as one", &db)) {
    report.Failed("round trip", "select 1 failed (" + Readable(rs.m_szProviderError) + ")", "");
    return;
  }
  const auto elapsed = Clock::now() - started;
  rs.Close();
  report.Ok("round trip", Milliseconds(elapsed) + " for select 1");
}

}  // namespace

std::string BrowserRequest(const std::string& instance) {
  return std::string(1, '\x04') + instance + std::string(1, '\0');
}

std::string InstancePort(std::string_view reply, const std::string& instance) {
  // 0x05, the data's length (two bytes), then "ServerName;S;InstanceName;I;...;tcp;PORT;;".
  if (reply.size() < 3 || reply[0] != '\x05') return {};
  std::vector<std::string> words;
  std::string word;
  for (const char c : reply.substr(3)) {
    if (c == ';') {
      words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  // Key and value pairs; ";;" ends one instance's record and the next key follows it.
  bool ours = false;
  for (std::size_t i = 0; i + 1 < words.size();) {
    if (words[i].empty()) {
      ++i;
      continue;
    }
    if (EqualsIgnoringAsciiCase(words[i], "InstanceName"))
      ours = EqualsIgnoringAsciiCase(words[i + 1], instance);
    if (ours && EqualsIgnoringAsciiCase(words[i], "tcp")) return words[i + 1];
    i += 2;
  }
  return {};
}

ServerParts SplitServer(const std::string& server, const std::string& portKey) {
  std::string rest = server;
  if (rest.size() > 4 && EqualsIgnoringAsciiCase(std::string_view(rest).substr(0, 4), "tcp:"))
    rest = rest.substr(4);
  ServerParts parts;
  if (const std::size_t comma = rest.find(','); comma != std::string::npos) {
    parts.port = rest.substr(comma + 1);
    rest = rest.substr(0, comma);
  } else {
    parts.port = portKey;
  }
  if (const std::size_t slash = rest.find('\\'); slash != std::string::npos) {
    parts.instance = rest.substr(slash + 1);
    rest = rest.substr(0, slash);
  }
  if (rest == "." || EqualsIgnoringAsciiCase(rest, "(local)")) rest = "localhost";
  parts.host = rest;
  return parts;
}

std::string CollationMeaning(const std::string& collation, bool textAsCharacters, bool& failed) {
  failed = false;
  const std::string upper = [&] {
    std::string u = collation;
    ToUpperAscii(u);
    return u;
  }();
  if (upper.find("UTF8") != std::string::npos) {
    if (textAsCharacters) {
      return collation + " is UTF-8: with text=characters every Romanian letter is stored";
    }
    failed = true;
    return collation +
           " is UTF-8: with the default text mode every byte of a UTF-8 file would be stored "
           "as a letter of its own (ă as two wrong letters)";
  }
  bool cp1250 = upper.find("CP1250") != std::string::npos;
  for (const char* language :
       {"ALBANIAN", "BOSNIAN_LATIN", "CROATIAN", "CZECH", "HUNGARIAN", "POLISH", "ROMANIAN",
        "SERBIAN_LATIN", "SLOVAK", "SLOVENIAN", "TURKMEN"}) {
    cp1250 = cp1250 || upper.rfind(language, 0) == 0;
  }
  if (cp1250) {
    return textAsCharacters
               ? collation +
                     " is code page 1250: text=characters stores the letters in it; "
                     "ș and ț with comma below, which it lacks, become ?"
               : collation +
                     " is code page 1250: the default text mode stores the file's bytes "
                     "as the Windows program did (text=characters would store the "
                     "letters, ș and ț with comma below as ?)";
  }
  return collation +
         " is not code page 1250 nor UTF-8: the Romanian letters its code page "
         "lacks are not stored as they are in either text mode (a Romanian or a "
         "UTF-8 collation keeps them)";
}

int RunDoctor(const DoctorRequest& request, std::ostream& out) {
  Report report(out);
  INILoader configuration;
  if (!CheckConfiguration(request, configuration, report)) return kExitDatabase;
  const bool embedded = qiva::db::IsEmbeddedDriver(configuration.GetValue("driver"));
  const std::string database = ConfiguredDatabase(configuration, request.configuration);
  CAdoDatabase db;  // no log file: the doctor leaves no record
  if (!request.traceSql.empty() && !db.SetTraceFile(request.traceSql)) {
    out << "cannot write the SQL trace file " << request.traceSql << '\n';
    return kExitUsage;
  }
  db.SetDriver(configuration.GetValue("driver"));
  db.SetDsn(configuration.GetValue("dsn"));
  db.SetConnectionSettings(ConnectionSettingsFrom(configuration));
  db.SetStatementOptions(StatementOptionsFrom(configuration));
  if (embedded) {
    report.Ok("driver", "the embedded database (driver=sqlite)");
    if (!CheckDatabaseFile(database, report)) return kExitDatabase;
    if (!db.Open("", "", "", database)) {
      report.Failed("database",
                    database + " cannot be opened (" + Readable(db.m_szProviderError) + ")",
                    "name the embedded database file with database=");
      return kExitDatabase;
    }
  } else if (!CheckDriver(configuration, report) || !CheckServer(configuration, report) ||
             !CheckLoginAndDatabase(configuration, db, database,
                                    configuration.GetValue("dsn").empty(), report)) {
    return kExitDatabase;
  }
  CAdoRecordset rs;
  CheckServerVersion(db, rs, embedded, StatementOptionsFrom(configuration).textAsCharacters,
                     report);
  if (const auto columns = ReadColumns(db, rs)) {
    CheckSchema(*columns, ReadProcedures(db, rs), report);
    CheckLocations(db, rs, *columns, report);
  } else {
    report.Failed("tables",
                  "the catalogue (INFORMATION_SCHEMA.COLUMNS) cannot be read (" +
                      Readable(rs.m_szProviderError) + ")",
                  "give the user the right to see the database's definitions (VIEW DEFINITION)");
  }
  CheckRoundTrip(db, rs, report);
  db.Close();
  return report.failed() ? kExitDatabase : kExitOk;
}
