// What the report asks for: the server's messages and the track service's address.
#include <gtest/gtest.h>

#include <string>

#include "net/Message.h"
#include "reports/ReportForm.h"
#include "reports/TrackRequest.h"
#include "store/VehicleStore.h"
#include "text/Encoding.h"

namespace fw {
namespace {

TEST(ReportForm, APlateNamesItsLastVehicleIdOrNone) {
    VehicleStore vehicles;
    vehicles.Add({"浙A1", "old", "一公司"});
    vehicles.Add({"浙A1", "77", "一公司"});
    ReportForm form;
    form.group = "一公司";
    form.plate = "浙A1";
    form.start = "2014-08-25 05:00:00";
    auto body = [](const Json::Value& m) {
        return Text(m["header"], "cmd") + "|" + Text(m["body"], "vhcid") + "|" +
               Text(m["body"], "code") + "|" + Text(m["body"], "group") + "|" +
               Text(m["body"], "date");
    };
    EXPECT_EQ(body(ReportQueryMessage(form, vehicles)), "9018|77|浙A1||");
    form.plate = "浙Z9";  // no vehicle record: still asked, with an empty id
    EXPECT_EQ(body(StopTimesMessage(form, vehicles)), "9016||浙Z9||2014-08-25");
}

// The address's bytes are what the track service reads: parameters in order with the fixed
// key, values percent-encoded, the plate in GBK unless told otherwise.
TEST(TrackRequest, AddressCarriesTheParametersInOrderWithTheFixedKey) {
    const TrackRequest r =
        BuildTrackRequest("10.0.0.5", 89, "77", "P", "2014-08-25 05:00:00", "2014-08-25 21:00:00");
    EXPECT_EQ(r.Url(),
              "http://10.0.0.5:89/Interface/GetJsonVdata?"
              "vhcid=77&cret=&vehicle=P&key=3c9d0a7e51b2f6480d1e9a7c25b4f063"
              "&begin_time=2014-08-25%2005%3A00%3A00&end_time=2014-08-25%2021%3A00%3A00"
              "&datatype=1&intermin=0&timeorder=0");
    EXPECT_EQ(r.host + ":" + std::to_string(r.port) + r.path, "10.0.0.5:89/Interface/GetJsonVdata");
    // 沪 is BB A6 in GBK; the plate must not leak UTF-8 bytes or break the query with '&'.
    const TrackRequest gbk = BuildTrackRequest("::1", 8089, "", "沪A&1", "a", "b");
    EXPECT_TRUE(gbk.Url().starts_with(
        "http://[::1]:8089/Interface/GetJsonVdata?vhcid=&cret=&vehicle=%BB%A6A%261&key="))
        << gbk.Url();
    const TrackRequest utf8 =
        BuildTrackRequest("h", 89, "", "沪 Az09~._-", "a", "b", TextCodec("UTF-8"));
    EXPECT_NE(utf8.query.find("vehicle=%E6%B2%AA%20Az09~._-&"), std::string::npos) << utf8.query;
}

}  // namespace
}  // namespace fw
