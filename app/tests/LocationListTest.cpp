// Tests of the location list read for the location choice: its order and its failures.
#include <gtest/gtest.h>

#include "app/LocationList.h"
#include "app/tests/FakeDatabase.h"
#include "db/CAdoRecordset.h"

namespace {

using qiva::test::FakeDatabaseScript;

class LocationListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.SetEngineFactory(qiva::test::FakeEngineFactory(script));
    ASSERT_TRUE(db.Open("DRIVER={fake}"));
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const LocationItem& item : LoadLocations(db, rs)) names.push_back(item.name);
    return names;
  }
  std::shared_ptr<FakeDatabaseScript> script = std::make_shared<FakeDatabaseScript>();
  CAdoDatabase db;
  CAdoRecordset rs;
};

TEST_F(LocationListTest, readsAscendingWhatTheDatabaseReturnsDescending) {
  // The statement orders by name descending, so the database answers Cluj, Brasov, Arad.
  script->queries[kLocationListQuery] =
      qiva::test::LocationRows({{1, "Cluj"}, {3, "Brasov"}, {2, "Arad"}});
  const std::vector<LocationItem> items = LoadLocations(db, rs);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].name, "Arad");
  EXPECT_EQ(items[0].id, 2);
  EXPECT_EQ(items[1].name, "Brasov");
  EXPECT_EQ(items[1].id, 3);
  EXPECT_EQ(items[2].name, "Cluj");
  EXPECT_EQ(items[2].id, 1);
  EXPECT_TRUE(rs.IsEOF());  // closed again for the next user
}

TEST_F(LocationListTest, keepsDuplicateNamesEachWithItsId) {
  script->queries[kLocationListQuery] = qiva::test::LocationRows({{4, "Iasi"}, {9, "Iasi"}});
  const std::vector<LocationItem> items = LoadLocations(db, rs);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].id, 9);
  EXPECT_EQ(items[1].id, 4);
}

TEST_F(LocationListTest, failedOrEmptyQueryGivesAnEmptyList) {
  EXPECT_TRUE(Names().empty());
  script->queries[kLocationListQuery] = qiva::test::LocationRows({});
  EXPECT_TRUE(Names().empty());
}

TEST_F(LocationListTest, nullNameIsShownEmpty) {
  qiva::db::ResultSet rows;
  rows.columns = {"id", "locationName"};
  rows.rows.push_back({DbValue(std::int32_t{5}), DbValue(DbNull{})});
  script->queries[kLocationListQuery] = rows;
  EXPECT_EQ(Names(), std::vector<std::string>{""});
}

TEST_F(LocationListTest, sendsTheStatementExactly) {
  LoadLocations(db, rs);
  const auto log = script->Log();
  EXPECT_NE(
      std::find(log.begin(), log.end(),
                "query:select id, locationName  from n_locations order by locationName desc "),
      log.end());
}

}  // namespace
