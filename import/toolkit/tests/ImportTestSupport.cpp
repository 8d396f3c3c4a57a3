// ImportTestSupport.cpp: the recording engine, scratch files and XML records of the import
// tests.
#include "import/toolkit/tests/ImportTestSupport.h"

#include <gtest/gtest.h>

namespace qiva::import::test {

std::string ValueText(const DbValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
  if (const auto* real = std::get_if<double>(&value)) {
    std::string text = std::to_string(*real);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
  }
  return IsNullValue(value) ? "NULL" : "?";
}

XmlElement RecordFromXml(const std::string& xml) {
  const std::size_t open = xml.find('<');
  const std::size_t end = xml.find_first_of(" \t\r\n/>", open + 1);
  const std::string tag = open == std::string::npos ? "" : xml.substr(open + 1, end - open - 1);
  XmlParseResult result;
  XmlElement element = parseXmlText(xml, tag, result);
  EXPECT_EQ(result.code, 0) << xml;
  return element;
}

RecordStatement StatementOf(StatementBuilder build, const std::string& xml) {
  const XmlElement element = RecordFromXml(xml);
  return build(RecordReader(element));
}

std::string ValuesOf(StatementBuilder build, const std::string& xml) {
  const RecordStatement statement = StatementOf(build, xml);
  std::size_t at = statement.sql.find("values (");
  if (at == std::string::npos) at = statement.sql.find("VALUES (");
  std::string text = at == std::string::npos ? statement.sql : statement.sql.substr(at);
  if (!statement.skipReason.empty()) text += " SKIPPED: " + statement.skipReason;
  return text;
}

bool RecordingEngine::execute(std::string_view sql) {
  shared_->executed.emplace_back(sql);
  if (shared_->broken || shared_->refused.count(std::string(sql)) != 0) {
    error_.description = "refused by the test";
    return false;
  }
  if (!shared_->breaksAfter.empty() && sql == shared_->breaksAfter) shared_->broken = true;
  return true;
}

// A batch of statements on lines of their own (an insert, then the select that reads its id)
// fails when any of its lines is refused, and gives the rows scripted for its last line.
bool RecordingEngine::query(std::string_view sql, qiva::db::ResultSet& out) {
  shared_->queries.emplace_back(sql);
  const std::string text(sql);
  const std::size_t lastLine = text.rfind('\n');
  const std::string head = lastLine == std::string::npos ? text : text.substr(0, lastLine);
  const std::string tail = lastLine == std::string::npos ? text : text.substr(lastLine + 1);
  if (shared_->broken || shared_->refused.count(text) != 0 || shared_->refused.count(head) != 0 ||
      shared_->refused.count(tail) != 0) {
    error_.description = "refused by the test";
    return false;
  }
  if (!shared_->breaksAfter.empty() && head == shared_->breaksAfter) shared_->broken = true;
  out = qiva::db::ResultSet{{"ID"}, {}};
  if (auto found = shared_->answers.find(text); found != shared_->answers.end()) {
    out = found->second;
  } else if (found = shared_->answers.find(tail); found != shared_->answers.end()) {
    out = found->second;
  } else {
    for (const auto& [start, answer] : shared_->answersByStart)
      if (text.rfind(start, 0) == 0) out = answer;
  }
  return true;
}

RecordedImport::RecordedImport() {
  auto shared_copy = shared;
  database.SetEngineFactory(
      [shared_copy](const std::string&) { return std::make_unique<RecordingEngine>(shared_copy); });
  database.SetLogFile((folder / "_database.log").string());
  database.Open("DRIVER={recording}");
}

RecordedImport::~RecordedImport() = default;

std::string RecordedImport::writeFile(const std::string& name, const std::string& xml) {
  const std::string path = (folder / name).string();
  qiva::test::WriteFileBytes(path, xml);
  return path;
}

void RecordedImport::answerId(const std::string& query, std::int32_t id) {
  shared->answers[query] = qiva::db::ResultSet{{"id"}, {{DbValue(id)}}};
}

std::string RecordedImport::logText() const {
  return qiva::test::ReadFileBytes((folder / "_database.log").string());
}

}  // namespace qiva::import::test
