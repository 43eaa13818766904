#include <gtest/gtest.h>

#include "reports/TrackRequest.h"
#include "text/Url.h"
#include "text/Encoding.h"

namespace fw {
namespace {

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
