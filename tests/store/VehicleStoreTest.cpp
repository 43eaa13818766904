#include <gtest/gtest.h>

#include "store/VehicleStore.h"

namespace fw {
namespace {

VehicleStore Fleet() {
    VehicleStore store;
    store.Add({"沪A1", "11", "东区"});
    store.Add({"沪A2", "12", "西区"});
    store.Add({"沪A1", "13", "西区"});  // the same plate announced again with another id
    return store;
}

TEST(VehicleStore, LookupsByPlateIdAndGroup) {
    VehicleStore store = Fleet();
    EXPECT_EQ(store.VehicleIdOfPlate("沪A1"), "13");  // the last record's
    EXPECT_EQ(store.VehicleIdOfPlate("沪a2") + store.VehicleIdOfPlate(""), "");  // exact, case counts
    store.Add({"沪B9", "12", "东区"});
    EXPECT_EQ(store.PlateOfId("12"), "沪A2");  // the first record's
    EXPECT_EQ(store.PlateOfId("99"), "99");    // else the id itself
    EXPECT_EQ(store.PlatesOfGroup("西区", "调度员"), (std::vector<std::string>{"沪A2", "沪A1"}));
    EXPECT_EQ(store.PlatesOfGroup("调度员", "调度员").size(), 4u);  // the user's own name: all
    EXPECT_TRUE(store.PlatesOfGroup("北区", "调度员").empty());
}

// A re-login: lookups keep answering while the server announces its vehicles again; each
// announced plate takes the place of its old record (in order, a plate announced twice takes two),
// and what was not announced again goes when the refresh ends.
TEST(VehicleStore, RefreshReplacesInPlaceAndDropsWhatDidNotComeAgain) {
    VehicleStore store = Fleet();
    store.BeginRefresh();
    EXPECT_TRUE(store.Refreshing());
    store.Add({"沪A1", "21", "东区"});
    EXPECT_EQ(store.Size(), 3u);
    EXPECT_EQ(store.VehicleIdOfPlate("沪A2"), "12");  // not announced yet: still there
    store.Add({"沪C3", "23", "南区"});
    store.Add({"沪A1", "22", "西区"});
    EXPECT_EQ(store.EndRefresh(), 1u);
    EXPECT_FALSE(store.Refreshing());
    std::vector<std::string> ids;
    for (const VehicleRecord& r : store.Records()) ids.push_back(r.code + "=" + r.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"沪A1=21", "沪A1=22", "沪C3=23"}));
    store.Add({"沪A1", "31", "东区"});  // no refresh: kept as a duplicate
    EXPECT_EQ(store.Size(), 4u);
}

}  // namespace
}  // namespace fw
