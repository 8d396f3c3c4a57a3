// ImportTestSupport.h: what the import tests share: a database engine that records every
// statement and answers look-ups from a script, an import run wired to it with a front end
// that records status texts and a scratch folder for XML files, and records made from XML text.
// The fresh embedded database is EmbeddedImportTest.h's.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/tests/TestSupport.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"
#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/ImportRoutine.h"
#include "import/toolkit/tests/RecordingFrontEnd.h"
#include "xml/XmlParser.h"

namespace qiva::import::test {

// A database value as the tests compare it: text as is, numbers without trailing zeros,
// "NULL" for null.
std::string ValueText(const DbValue& value);

// The element that `xml` (one element written as XML text, with its children) parses to, its
// root tag taken from the text; a text that does not parse fails the test.
XmlElement RecordFromXml(const std::string& xml);

// The statement `build` makes of the record written as `xml`.
RecordStatement StatementOf(StatementBuilder build, const std::string& xml);
// Its text from the values keyword on (in either case; the whole text when it has none), with
// " SKIPPED: <reason>" appended when the record must not be sent.
std::string ValuesOf(StatementBuilder build, const std::string& xml);

// One case of a table of statements compared from their values keyword on (ValuesOf).
struct ValuesCase {
  StatementBuilder build;
  const char* xml;
  const char* values;
};

// Records executed statements; a query gets the rows scripted for its exact text, for its last
// line or for the text it begins with (none if unscripted).
class RecordingEngine final : public qiva::db::DbEngine {
 public:
  struct Shared {
    std::vector<std::string> executed;
    std::vector<std::string> queries;
    std::map<std::string, qiva::db::ResultSet> answers;
    // Answers for queries that begin with a text, when no exact answer is scripted.
    std::map<std::string, qiva::db::ResultSet> answersByStart;
    // Statements and queries (exact texts) the engine refuses; they are still recorded.
    std::set<std::string> refused;
    // Once this statement has been run, the engine reports itself broken (a lost commit) and
    // refuses every later statement.
    std::string breaksAfter;
    bool broken = false;
  };
  explicit RecordingEngine(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
  bool open(const std::string&) override { return true; }
  bool execute(std::string_view sql) override;
  bool query(std::string_view sql, qiva::db::ResultSet& out) override;
  bool close() override { return true; }
  const qiva::db::EngineError& lastError() const override { return error_; }
  bool broken() const override { return shared_->broken; }

 private:
  std::shared_ptr<Shared> shared_;
  qiva::db::EngineError error_;
};

// An import run against a RecordingEngine: the connection is open, the log goes to a scratch
// folder, and XML files are written there.
class RecordedImport {
 public:
  RecordedImport();
  ~RecordedImport();
  std::string writeFile(const std::string& name, const std::string& xml);
  // One row with one column `ID` holding `id`, as the answer to `query`.
  void answerId(const std::string& query, std::int32_t id);
  std::string logText() const;

  qiva::test::ScratchDir scratch;
  std::filesystem::path folder = scratch.path();
  std::shared_ptr<RecordingEngine::Shared> shared = std::make_shared<RecordingEngine::Shared>();
  CAdoDatabase database;
  CAdoRecordset recordset;
  qiva::test::RecordingFrontEnd frontEnd;
  ImportContext context{database, recordset, frontEnd};
};

}  // namespace qiva::import::test
