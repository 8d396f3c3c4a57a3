// LocationList.h: reads the provider's locations for the location choice, in the order the
// choice shows them. The dialog itself lives with the front end; no toolkit here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CAdoDatabase;
class CAdoRecordset;

struct LocationItem {
  std::string name;
  std::int32_t id = 0;
};

// The statement that lists the locations, exactly as the database expects to receive it.
inline constexpr const char* kLocationListQuery =
    "select id, locationName  from n_locations order by locationName desc ";

// Runs kLocationListQuery on `db` through `rs` and returns the rows, each inserted at the top
// of the list, so the list reads ascending by name. A query that fails gives an empty list
// (the recordset logs the failure); a null name is shown as empty text. `rs` ends closed.
std::vector<LocationItem> LoadLocations(CAdoDatabase& db, CAdoRecordset& rs);
