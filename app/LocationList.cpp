// LocationList.cpp: the rows of n_locations for the location choice.
#include "app/LocationList.h"

#include <cmath>
#include <cstdlib>
#include <variant>

#include "db/CAdoDatabase.h"
#include "db/CAdoRecordset.h"

namespace {

std::string AsText(const DbValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
  if (const auto* real = std::get_if<double>(&value)) return std::to_string(*real);
  return {};
}

std::int32_t AsInt(const DbValue& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
  if (const auto* real = std::get_if<double>(&value))
    return static_cast<std::int32_t>(std::lround(*real));
  if (const auto* text = std::get_if<std::string>(&value)) {
    return static_cast<std::int32_t>(std::strtol(text->c_str(), nullptr, 10));
  }
  return 0;
}

}  // namespace

std::vector<LocationItem> LoadLocations(CAdoDatabase& db, CAdoRecordset& rs) {
  std::vector<LocationItem> items;
  if (!rs.Open(kLocationListQuery, &db)) return items;
  while (!rs.IsEOF()) {
    LocationItem item;
    item.name = AsText(rs.GetFieldValue("locationName"));
    item.id = AsInt(rs.GetFieldValue("ID"));
    items.insert(items.begin(), std::move(item));
    if (!rs.MoveNext()) break;
  }
  rs.Close();
  return items;
}
