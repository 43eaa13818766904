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
    EXPECT_EQ(store.VehicleIdOfPlate("沪a2"), "");    // exact, case counts
    EXPECT_EQ(store.VehicleIdOfPlate(""), "");
    store.Add({"沪B9", "12", "东区"});
    EXPECT_EQ(store.PlateOfId("12"), "沪A2");  // the first record's
    EXPECT_EQ(store.PlateOfId("99"), "99");    // else the id itself
    EXPECT_EQ(store.PlatesOfGroup("西区", "调度员"), (std::vector<std::string>{"沪A2", "沪A1"}));
    EXPECT_EQ(store.PlatesOfGroup("调度员", "调度员").size(), 4u);  // the user's own name: all
    EXPECT_TRUE(store.PlatesOfGroup("北区", "调度员").empty());
    store.Clear();
    EXPECT_EQ(store.Size(), 0u);
    EXPECT_EQ(store.VehicleIdOfPlate("沪A1"), "");
}

}  // namespace
}  // namespace fw
