#pragma once

// A synthetic day of one vehicle for the report tests and the benchmarks: routes with stations,
// the planned stop events the server would send, and a GPS track (as the track service's reply
// body) that passes every station at a known time, with position noise.
//
// Route r runs north along longitude 121.30 + 0.05 r from latitude 31.20, its stations
// `spacingMetres` apart. The vehicle drives each route forward and back in turn, dwells at every
// station, lays over beyond the terminals and moves between routes south of them all, always
// fast enough that the fix before an arrival and the fix after a departure lie well outside the
// 50 m circle. So the true arrival is the first fix of a dwell, the true departure the next fix.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "routes/RouteRecord.h"
#include "store/StopTimeTable.h"
#include "text/OleDate.h"

namespace fw::test {

struct DayShape {
    int routes = 3;
    int stationsPerRoute = 8;
    int tripsPerRoute = 2;  // alternately forward and back
    int spacingMetres = 500;
    int legSeconds = 30;  // between neighbouring stations
    int dwellSeconds = 10;
    int layoverSeconds = 3600;
    int fixSeconds = 5;
    int fixCount = 0;   // 0: just the timeline; else exactly this many fixes (idling after)
    int junkEvery = 0;  // every n-th fix is followed by an unusable one (below 1 degree)
    double noiseMetres = 3.0;
    // Planned time = true time - offset, cycling through these (seconds; >1259 is never matched).
    // Offsets must stay well below the time between two visits of one station (the layover),
    // or an event would rightly match another visit's row.
    std::vector<int> reachOffsets = {0, -90, 150, 330, -45, 1500, 60, -200};
    std::vector<int> leaveOffsets = {0, 120, -30, 240, -75, 10, -1400, 45};
    std::string start = "2014-08-25 05:00:00";
    std::string plate = "沪A10086";
};

// A dispatcher's full day for the benchmarks: three routes of 40 stations, ten trips each, 16
// hours of fixes every 5 s (11,520), 1,200 planned stops, offsets within a minute.
inline DayShape FullDay() {
    return {.stationsPerRoute = 40, .tripsPerRoute = 10, .layoverSeconds = 60, .fixCount = 11520,
            .reachOffsets = {0, -20, 15, 40, -10, 5, 30, -35},
            .leaveOffsets = {0, 25, -15, 10, -30, 20, -5, 35}};
}

struct SyntheticStop {
    StopTimeEntry entry;        // as the dispatcher stores it
    std::string expectedReach;  // what detection must write: the fix time at which the vehicle
    std::string expectedLeave;  // reached or left the stop, or empty beyond the window
};

struct SyntheticDay {
    std::vector<RouteRecord> routes;
    std::vector<SyntheticStop> stops;
    std::string trackBody;
    int fixes = 0;
    std::string firstFix, lastFix;
};

inline SyntheticDay MakeSyntheticDay(const DayShape& shape) {
    struct Pos {
        double lat, lng;
    };
    constexpr double kMetresPerDegreeLat = 111198.9233214825;
    SyntheticDay day;
    const OleDate base = *ParseDateTime(shape.start);
    auto text = [&](long seconds) { return FormatDateTime(base + seconds / 86400.0); };
    const double stepLat = shape.spacingMetres / kMetresPerDegreeLat;
    auto station = [&](int r, int i) { return Pos{31.20 + i * stepLat, 121.30 + 0.05 * r}; };
    for (int r = 0; r < shape.routes; ++r) {
        RouteRecord route;
        route.lineName = std::to_string(r + 1) + "路";
        route.lineId = std::to_string(100 + r);
        for (int i = 0; i < shape.stationsPerRoute; ++i) {
            char lat[32], lng[32];
            std::snprintf(lat, sizeof lat, "%.6f", station(r, i).lat);
            std::snprintf(lng, sizeof lng, "%.6f", station(r, i).lng);
            route.stations.push_back({std::to_string(i), route.lineName + "站" + std::to_string(i),
                                      lat, lng, "", "", PresenceState::Outside});
        }
        day.routes.push_back(std::move(route));
    }

    // The vehicle's piecewise-linear timeline: at times[k] it is at places[k].
    std::vector<long> times;
    std::vector<Pos> places;
    long now = 0;
    Pos here{31.17, 121.30};  // the depot, where it idles for the first ten minutes
    auto stay = [&]() {
        times.push_back(now);
        places.push_back(here);
    };
    stay();
    now = 600;
    stay();
    // Fast enough (about 15 m/s or more) that no fix lands within a circle on the way.
    auto driveTo = [&](Pos to, long seconds = 0) {
        if (seconds == 0) {
            const double y = (to.lat - here.lat) * kMetresPerDegreeLat;
            const double x = std::cos((here.lat + to.lat) * 0.5 * 0.0174532925) *
                             (to.lng - here.lng) * kMetresPerDegreeLat;
            const long s = static_cast<long>(std::hypot(x, y) / 15.0) + 1;
            seconds = (s + shape.fixSeconds - 1) / shape.fixSeconds * shape.fixSeconds;
        }
        now += seconds;
        here = to;
        stay();
    };
    const double southLat = 31.19;  // well below every first station
    std::size_t eventIndex = 0;
    for (int r = 0; r < shape.routes; ++r) {
        driveTo({southLat, here.lng});  // to the first station from the south
        driveTo({southLat, station(r, 0).lng});
        driveTo(station(r, 0));
        for (int trip = 0; trip < shape.tripsPerRoute; ++trip) {
            const bool forward = trip % 2 == 0;
            for (int k = 0; k < shape.stationsPerRoute; ++k) {
                const int i = forward ? k : shape.stationsPerRoute - 1 - k;
                if (k > 0) driveTo(station(r, i), shape.legSeconds);
                const long reach = now;
                now += shape.dwellSeconds;
                stay();
                const long leave = now + shape.fixSeconds;  // first fix outside
                const int ro = shape.reachOffsets[eventIndex % shape.reachOffsets.size()];
                const int lo = shape.leaveOffsets[eventIndex++ % shape.leaveOffsets.size()];
                day.stops.push_back(
                    {{shape.plate, "班次" + std::to_string(r + 1) + "-" + std::to_string(trip + 1),
                      day.routes[r].lineName, shape.start.substr(0, 10), text(reach - ro),
                      text(leave - lo), day.routes[r].stations[i].name, std::to_string(trip)},
                     std::abs(ro) <= 1259 ? text(reach) : "",
                     std::abs(lo) <= 1259 ? text(leave) : ""});
            }
            // Lay over beyond the terminal, out of the circle, then come back for the next trip.
            const Pos last = station(r, forward ? shape.stationsPerRoute - 1 : 0);
            if (trip + 1 < shape.tripsPerRoute) {
                driveTo({last.lat + (forward ? 300 : -300) / kMetresPerDegreeLat, last.lng});
                now += shape.layoverSeconds;
                stay();
                driveTo(last);
            }
        }
        driveTo({here.lat, here.lng + 0.025});  // off the column sideways, halfway to the next
    }
    driveTo({southLat, here.lng});
    driveTo({31.17, 121.30});

    // The fixes, with deterministic noise and the service's own corrections.
    std::uint32_t seed = 12345;
    auto noise = [&]() {
        seed = seed * 1664525u + 1013904223u;
        return ((seed >> 8) / double(1u << 24) * 2.0 - 1.0) * shape.noiseMetres /
               kMetresPerDegreeLat;
    };
    const int count = shape.fixCount > 0 ? shape.fixCount : int(now / shape.fixSeconds) + 1;
    std::string& body = day.trackBody;
    body.reserve(static_cast<std::size_t>(count) * 140 + 64);
    body = "{\r\n\"msg\" : \"\",\r\n\"result\" : true,\r\n\"topics\" : [\r\n";
    std::size_t k = 0;
    char buf[256];
    for (int n = 0; n < count; ++n) {
        const long t = long(n) * shape.fixSeconds;
        while (k + 1 < times.size() && times[k + 1] <= t) ++k;
        Pos p = places[k];
        if (k + 1 < times.size() && t > times[k]) {
            const double f = double(t - times[k]) / double(times[k + 1] - times[k]);
            p = {p.lat + f * (places[k + 1].lat - p.lat), p.lng + f * (places[k + 1].lng - p.lng)};
        }
        const double latFix = 0.0021, lngFix = -0.0043;
        std::snprintf(buf, sizeof buf,
                      "%s{\"gpst\":\"%s\",\"recvt\":\"%s\",\"lat\":%.7f,\"lat_xz\":%.4f,"
                      "\"lng\":%.7f,\"lng_xz\":%.4f}\r\n",
                      n == 0 ? "" : ",", text(t).c_str(), text(t + 2).c_str(),
                      p.lat + noise() - latFix, latFix, p.lng + noise() - lngFix, lngFix);
        body += buf;
        if (shape.junkEvery > 0 && n % shape.junkEvery == shape.junkEvery - 1) {
            std::snprintf(buf, sizeof buf,
                          ",{\"gpst\":\"%s\",\"recvt\":\"\",\"lat\":%s,\"lng\":%s}\r\n",
                          text(t).c_str(), n % 2 ? "0.5" : "31.2", n % 2 ? "121.3" : "-73.0");
            body += buf;
        }
    }
    body += "]\r\n}\r\n";
    day.fixes = count;
    day.firstFix = text(0);
    day.lastFix = text(long(count - 1) * shape.fixSeconds);
    return day;
}

}  // namespace fw::test
