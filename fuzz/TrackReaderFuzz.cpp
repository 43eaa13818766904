// The track reader reads exactly what JsonCpp (as the receive path configures it) reads, with the
// same points: simdjson's fast path must never accept more, less, or read otherwise.
#include <string>

#include "fuzz/FuzzSupport.h"
#include "net/Message.h"
#include "reports/TrackReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const auto points = fw::ReadTrackPoints(body);
    const auto parsed = fw::ParseDocument(body);
    const auto expected = parsed ? fw::TrackPointsOf(*parsed) : std::vector<fw::TrackPoint>{};
    if (points.size() != expected.size()) fw::fuzz::Fail("a different number of points", body);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const fw::TrackPoint& a = points[i];
        const fw::TrackPoint& b = expected[i];
        if (a.gpsTime != b.gpsTime || a.latitude != b.latitude || a.longitude != b.longitude)
            fw::fuzz::Fail("a point read differently", body);
    }
    return 0;
}
