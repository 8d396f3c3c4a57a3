// PharmaStatements.h: the statement texts of the pharmaceutical catalogues import, one builder
// per record kind, and the date check a record passes before it may join a batch. No database
// access and no batching here (see PharmaNomenclatures.cpp and StatementBatch.h).
#pragma once

#include <string>
#include <string_view>

#include "import/toolkit/ImportConventions.h"
#include "import/toolkit/RecordReader.h"

namespace qiva::import::pharma {

// The statement that empties a section's table before its records refill it:
// "delete from <table>".
std::string EmptyTable(std::string_view table);

// Each builder reads its record's attributes and returns the insert, or a skip reason when a
// value cannot stand in it (a real that SQL Server could not read as a number). The builders of
// the batched sections (co-payment list drugs, concentrations, package modes, drugs) mark a
// statement to be sent alone when a date would not convert (DatesConvert) or a price does not
// fit the decimal(18,2) or decimal(18,6) column it is written for.
RecordStatement DiseaseCategoryInsert(const RecordReader& r);
RecordStatement CopaymentListTypeInsert(const RecordReader& r);
RecordStatement CopaymentListTypePersStateInsert(const RecordReader& r);
RecordStatement CopaymentListDrugInsert(const RecordReader& r);
RecordStatement PharmaceuticalFormInsert(const RecordReader& r);
RecordStatement ConcentrationInsert(const RecordReader& r);
RecordStatement PrescriptionTypeInsert(const RecordReader& r);
RecordStatement NhpInsert(const RecordReader& r);
RecordStatement ActiveSubstanceInsert(const RecordReader& r);
RecordStatement AtcInsert(const RecordReader& r);
RecordStatement GoodInsert(const RecordReader& r);
RecordStatement PackageModeInsert(const RecordReader& r);
RecordStatement NhpCategoryInsert(const RecordReader& r);
RecordStatement NhpDrugTypeInsert(const RecordReader& r);
RecordStatement NhpDrugInsert(const RecordReader& r);
RecordStatement DrugInsert(const RecordReader& r);

// True when the record's validFrom and (present, non-empty) validTo convert with
// convert(datetime,'...',120) as the server converts them. A batch must not carry a record
// that fails this: on SQL Server a conversion error ends the whole rest of the batch.
bool DatesConvert(const RecordReader& r);

}  // namespace qiva::import::pharma
