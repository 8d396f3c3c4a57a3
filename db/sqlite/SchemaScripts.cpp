// SchemaScripts.cpp: splitting and running the built-in schema scripts.
#include "db/sqlite/SchemaScripts.h"

#include <cctype>

namespace qiva::db {

std::vector<std::string> SplitScriptBatches(std::string_view script) {
  std::vector<std::string> batches;
  std::string current;
  size_t pos = 0;
  const auto flush = [&] {
    bool blank = true;
    for (char c : current)
      if (!std::isspace(static_cast<unsigned char>(c))) blank = false;
    if (!blank) batches.push_back(current);
    current.clear();
  };
  while (pos <= script.size()) {
    size_t end = script.find('\n', pos);
    if (end == std::string_view::npos) end = script.size();
    const std::string_view line = script.substr(pos, end - pos);
    size_t a = 0, b = line.size();
    while (a < b && std::isspace(static_cast<unsigned char>(line[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(line[b - 1]))) --b;
    const std::string_view word = line.substr(a, b - a);
    if (word.size() == 2 && std::toupper(static_cast<unsigned char>(word[0])) == 'G' &&
        std::toupper(static_cast<unsigned char>(word[1])) == 'O') {
      flush();
    } else {
      current.append(line);
      current += '\n';
    }
    if (end == script.size()) break;
    pos = end + 1;
  }
  flush();
  return batches;
}

bool RunScript(DbEngine& engine, std::string_view script) {
  for (const std::string& batch : SplitScriptBatches(script))
    if (!engine.execute(batch)) return false;
  return true;
}

bool RunLocationsScript(DbEngine& engine) { return RunScript(engine, LocationsSchemaScript()); }

}  // namespace qiva::db
