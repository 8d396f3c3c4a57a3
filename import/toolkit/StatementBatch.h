// StatementBatch.h: the batches in which the pharmaceutical import sends its four large
// sections: one text that starts with " SET NOCOUNT ON \n" and holds up to 1001 inserts, each
// after a newline, sent with one call. The text grows as needed; nothing is ever cut.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "import/toolkit/ImportRoutine.h"

namespace qiva::import {

class StatementBatch {
 public:
  // The text every batch begins with.
  static constexpr std::string_view kHeader = " SET NOCOUNT ON \n";
  // Statements a batch holds when it is sent.
  static constexpr std::size_t kStatementsPerBatch = 1001;

  explicit StatementBatch(ImportContext& ctx);

  // Appends a newline and `statement`; sends the batch when it then holds kStatementsPerBatch.
  void Add(std::string_view statement);
  // Sends what the batch holds, if anything (at the end of a section).
  void Flush();
  std::size_t size() const { return count_; }

 private:
  void send();

  ImportContext& ctx_;
  std::string text_;
  std::size_t count_ = 0;
};

}  // namespace qiva::import
