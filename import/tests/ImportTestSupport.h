// ImportTestSupport.h: what the import tests share: a database engine that records every
// statement and answers look-ups from a script, a front end that records status texts, and a
// scratch folder for XML files.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/ImportRoutine.h"
#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"

namespace qiva::import::test {

// Records executed statements; a query gets the rows scripted for its exact text (none if
// unscripted).
class RecordingEngine final : public qiva::db::DbEngine {
 public:
  struct Shared {
    std::vector<std::string> executed;
    std::vector<std::string> queries;
    std::map<std::string, qiva::db::ResultSet> answers;
  };
  explicit RecordingEngine(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
  bool open(const std::string&) override { return true; }
  bool execute(std::string_view sql) override;
  bool query(std::string_view sql, qiva::db::ResultSet& out) override;
  bool close() override { return true; }
  const qiva::db::EngineError& lastError() const override { return error_; }

 private:
  std::shared_ptr<Shared> shared_;
  qiva::db::EngineError error_;
};

class RecordingFrontEnd final : public ImportFrontEnd {
 public:
  void SetStatusText(const std::string& text) override { statuses.push_back(text); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    return answerYes;
  }
  std::optional<std::int32_t> ChooseLocation(CAdoDatabase&, CAdoRecordset&) override {
    return location;
  }
  void CloseProgram() override {}

  std::vector<std::string> statuses;
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  bool answerYes = true;
  std::optional<std::int32_t> location;
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

  std::shared_ptr<RecordingEngine::Shared> shared = std::make_shared<RecordingEngine::Shared>();
  CAdoDatabase database;
  CAdoRecordset recordset;
  RecordingFrontEnd frontEnd;
  ImportContext context{database, recordset, frontEnd};
  std::filesystem::path folder;
};

}  // namespace qiva::import::test
