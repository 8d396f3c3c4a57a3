// TdsRows.h: result rows in TDS 7.4 form: the COLMETADATA token that types each column as SQL
// Server types it, and one ROW token per row. Text leaves as the database holds it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite/ObservedRun.h"
#include "db/tds/TdsWire.h"

namespace qiva::tds {

void WriteColumnMetadata(ByteWriter& out, const std::vector<db::ObservedColumn>& columns,
                         bool utf8);

void WriteRow(ByteWriter& out, const std::vector<db::ObservedColumn>& columns,
              const std::vector<db::ObservedValue>& row, bool utf8);

// Stored text as characters: valid UTF-8 is read as UTF-8, anything else as code page 1250.
std::u16string StoredTextToUtf16(std::string_view bytes);

}  // namespace qiva::tds
