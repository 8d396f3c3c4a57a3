// StatementBatch.cpp: collects inserts into one batch text and sends it through the connection.
#include "import/toolkit/StatementBatch.h"

#include "db/CAdoDatabase.h"

namespace qiva::import {

StatementBatch::StatementBatch(ImportContext& ctx) : ctx_(ctx), text_(kHeader) {}

void StatementBatch::Add(std::string_view statement) {
  text_ += '\n';
  text_.append(statement);
  if (++count_ == kStatementsPerBatch) send();
}

void StatementBatch::Flush() {
  if (count_ > 0) send();
}

void StatementBatch::send() {
  // A refused batch is logged and counted once by the connection; the rows the server stored
  // before the failing statement stay.
  ctx_.database.Queue(text_, count_);
  text_.assign(kHeader);
  count_ = 0;
}

}  // namespace qiva::import
