#include <gtest/gtest.h>

#include <string>

#include "net/Message.h"
#include "reports/ReportForm.h"
#include "store/VehicleStore.h"

namespace fw {
namespace {

TEST(ReportForm, DatePartIsTheTextBeforeTheFirstBlank) {
    const std::pair<const char*, const char*> cases[] = {
        {"2014-08-25 05:00:00", "2014-08-25"},
        {"2014-08-25  05:00:00", "2014-08-25"},
        {"2014-08-25", ""},
        {"", ""},
        {" 05:00:00", ""},
    };
    for (const auto& [text, date] : cases) EXPECT_EQ(StopTimesDate(text), date) << text;
}

class ReportRequests : public testing::Test {
protected:
    void SetUp() override {
        vehicles.Add({"浙A1", "old", "一公司"});
        vehicles.Add({"浙A1", "77", "一公司"});
        form.group = "一公司";
        form.plate = "浙A1";
        form.start = "2014-08-25 05:00:00";
        form.end = "2014-08-25 21:00:00";
        form.userName = "调度员";
    }
    static std::string Field(const Json::Value& m, const char* key) { return Text(m["body"], key); }

    VehicleStore vehicles;
    ReportForm form;
};

// The window's tests see the rest of both requests; here the vehicle id of a plate.
TEST_F(ReportRequests, APlateNamesItsLastVehicleIdOrNone) {
    const Json::Value query = ReportQueryMessage(form, vehicles);
    EXPECT_EQ(Text(query["header"], "cmd"), "9018");
    EXPECT_EQ(Field(query, "vhcid"), "77");
    EXPECT_EQ(Field(query, "code"), "浙A1");
    EXPECT_EQ(Field(query, "group"), "");

    form.plate = "浙Z9";  // no vehicle record: still asked, with an empty id
    const Json::Value stops = StopTimesMessage(form, vehicles);
    EXPECT_EQ(Text(stops["header"], "cmd"), "9016");
    EXPECT_EQ(Field(stops, "vhcid"), "");
    EXPECT_EQ(Field(stops, "code"), "浙Z9");
    EXPECT_EQ(Field(stops, "date"), "2014-08-25");
}

TEST(ReportForm, ProgressTextShowsWhatArrivedAndTheWholeWhenKnown) {
    const struct {
        long long received, total;
        const char* text;
    } cases[] = {
        {0, -1, "正在获取轨迹数据… 已接收 0 KB"},
        {1, 0, "正在获取轨迹数据… 已接收 1 KB"},
        {1536 * 1024, 3 * 1024 * 1024, "正在获取轨迹数据… 已接收 1.5 MB / 3.0 MB"},
        {-5, 2048, "正在获取轨迹数据… 已接收 0 KB / 2 KB"},
    };
    for (const auto& c : cases) EXPECT_EQ(TrackProgressText(c.received, c.total), c.text);
}

}  // namespace
}  // namespace fw
