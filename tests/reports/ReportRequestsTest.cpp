// What the report asks for: the server's messages and the track service's address.
#include <gtest/gtest.h>

#include <string>

#include "net/Message.h"
#include "reports/ReportForm.h"
#include "reports/TrackRequest.h"
#include "store/VehicleStore.h"
#include "text/Encoding.h"
#include "text/Url.h"

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

TEST(TrackRequest, AddressCarriesTheParametersInOrderWithTheFixedKey) {
    const TrackRequest r =
        BuildTrackRequest("10.0.0.5", 89, "77", "P", "2014-08-25 05:00:00", "2014-08-25 21:00:00");
    EXPECT_EQ(r.host, "10.0.0.5");
    EXPECT_EQ(r.port, 89);
    EXPECT_EQ(r.path, "/Interface/GetJsonVdata");
    EXPECT_EQ(r.query,
              "vhcid=77&cret=&vehicle=P&key=3c9d0a7e51b2f6480d1e9a7c25b4f063"
              "&begin_time=2014-08-25%2005%3A00%3A00&end_time=2014-08-25%2021%3A00%3A00"
              "&datatype=1&intermin=0&timeorder=0");
    EXPECT_EQ(r.Url(), "http://10.0.0.5:89/Interface/GetJsonVdata?" + r.query);
}

TEST(TrackRequest, PlateGoesOutAsPercentEncodedGbk) {
    // 沪 is BB A6 in GBK; the plate must not leak UTF-8 bytes or break the query with '&'.
    const TrackRequest r = BuildTrackRequest("host", 8089, "", "沪A&1", "a", "b");
    EXPECT_NE(r.query.find("vhcid=&cret=&vehicle=%BB%A6A%261&key="), std::string::npos) << r.query;
    EXPECT_EQ(r.Url().rfind("http://host:8089/Interface/GetJsonVdata?vhcid=&", 0), 0u);

    const TextCodec utf8("UTF-8");
    const TrackRequest u = BuildTrackRequest("host", 89, "", "沪", "a", "b", utf8);
    EXPECT_NE(u.query.find("vehicle=%E6%B2%AA&"), std::string::npos) << u.query;
}

TEST(TrackRequest, PercentEncodingKeepsOnlyUnreservedBytes) {
    EXPECT_EQ(PercentEncode("Az09-._~"), "Az09-._~");
    EXPECT_EQ(PercentEncode(" +/?#=&%"), "%20%2B%2F%3F%23%3D%26%25");
    EXPECT_EQ(PercentEncode(std::string("\x00\xff", 2)), "%00%FF");
}

TEST(TrackRequest, Ipv6HostIsBracketed) {
    const TrackRequest r = BuildTrackRequest("::1", 89, "", "", "", "");
    EXPECT_EQ(r.Url().rfind("http://[::1]:89/", 0), 0u);
}

}  // namespace
}  // namespace fw
