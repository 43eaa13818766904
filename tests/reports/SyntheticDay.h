#pragma once

// A synthetic day of one vehicle for the report tests and the benchmark: routes with stations,
// the planned stop events the server would send, and a GPS track (as the track service's reply
// body) that passes every station at a known time, with position noise.
//
// Geometry: route r runs north along longitude 121.30 + 0.05 r from latitude 31.20, its stations
// `spacingMetres` apart. The vehicle drives each route forward and back in turn, dwells at every
// station, lays over beyond the terminal stations, and moves between routes south of them all,
// always fast enough that the fix before an arrival and the fix after a departure lie well
// outside the 50 m circle. So the true arrival is the first fix of a dwell and the true
// departure the first fix after it.

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
    DayShape shape;
    shape.stationsPerRoute = 40;
    shape.tripsPerRoute = 10;
    shape.layoverSeconds = 60;
    shape.fixCount = 11520;
    shape.reachOffsets = {0, -20, 15, 40, -10, 5, 30, -35};
    shape.leaveOffsets = {0, 25, -15, 10, -30, 20, -5, 35};
    return shape;
}

struct SyntheticStop {
    StopTimeEntry entry;    // as the dispatcher stores it
    std::string trueReach;  // the fix times at which the vehicle reached and left the stop
    std::string trueLeave;
    std::string expectedReach;  // what detection must write: the true time, or empty beyond
    std::string expectedLeave;  // the acceptance window
};

struct SyntheticDay {
    std::vector<RouteRecord> routes;
    std::vector<SyntheticStop> stops;
    std::string trackBody;
    int fixes = 0;
    std::string firstFix, lastFix;
};

namespace synthetic_detail {

constexpr double kMetresPerDegreeLat = 111198.9233214825;

struct Pos {
    double lat, lng;
};

// Piecewise-linear timeline of the vehicle: at time t[i] it is at p[i].
struct Timeline {
    std::vector<long> t;
    std::vector<Pos> p;
    void At(long time, Pos pos) {
        t.push_back(time);
        p.push_back(pos);
    }
    Pos Where(long time, std::size_t& cursor) const {
        while (cursor + 1 < t.size() && t[cursor + 1] <= time) ++cursor;
        if (cursor + 1 >= t.size() || time <= t[cursor]) return p[cursor];
        const double f = double(time - t[cursor]) / double(t[cursor + 1] - t[cursor]);
        return {p[cursor].lat + f * (p[cursor + 1].lat - p[cursor].lat),
                p[cursor].lng + f * (p[cursor + 1].lng - p[cursor].lng)};
    }
};

inline double Metres(Pos a, Pos b) {
    const double y = (b.lat - a.lat) * kMetresPerDegreeLat;
    const double x =
        std::cos((a.lat + b.lat) * 0.5 * 0.0174532925) * (b.lng - a.lng) * kMetresPerDegreeLat;
    return std::hypot(x, y);
}

}  // namespace synthetic_detail

inline SyntheticDay MakeSyntheticDay(const DayShape& shape) {
    using namespace synthetic_detail;
    SyntheticDay day;
    const OleDate base = *ParseDateTime(shape.start);
    auto text = [&](long seconds) { return FormatDateTime(base + seconds / 86400.0); };
    auto snap = [&](long seconds) {  // up to the next fix time
        return (seconds + shape.fixSeconds - 1) / shape.fixSeconds * shape.fixSeconds;
    };
    const double stepLat = shape.spacingMetres / kMetresPerDegreeLat;
    auto station = [&](int r, int i) { return Pos{31.20 + i * stepLat, 121.30 + 0.05 * r}; };
    const Pos depot{31.17, 121.30};
    const double southLat = 31.19;  // well below every first station

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

    Timeline line;
    long now = 0;
    Pos here = depot;
    line.At(now, here);
    now = 600;  // idle at the depot for the first ten minutes
    line.At(now, here);
    // Travel fast enough (about 15 m/s or more) that no fix lands within a circle on the way.
    auto driveTo = [&](Pos to, long seconds = 0) {
        if (seconds == 0) seconds = snap(static_cast<long>(Metres(here, to) / 15.0) + 1);
        now += seconds;
        here = to;
        line.At(now, here);
    };
    std::size_t eventIndex = 0;
    for (int r = 0; r < shape.routes; ++r) {
        // To the first station from the south, below the other routes.
        driveTo({southLat, here.lng});
        driveTo({southLat, station(r, 0).lng});
        driveTo(station(r, 0));
        for (int trip = 0; trip < shape.tripsPerRoute; ++trip) {
            const bool forward = trip % 2 == 0;
            for (int k = 0; k < shape.stationsPerRoute; ++k) {
                const int i = forward ? k : shape.stationsPerRoute - 1 - k;
                if (k > 0) driveTo(station(r, i), shape.legSeconds);
                const long reach = now;
                now += shape.dwellSeconds;
                line.At(now, here);
                const long leave = now + shape.fixSeconds;  // first fix outside

                const int ro = shape.reachOffsets[eventIndex % shape.reachOffsets.size()];
                const int lo = shape.leaveOffsets[eventIndex % shape.leaveOffsets.size()];
                ++eventIndex;
                SyntheticStop stop;
                stop.entry = {shape.plate,
                              "班次" + std::to_string(r + 1) + "-" + std::to_string(trip + 1),
                              day.routes[r].lineName,
                              shape.start.substr(0, 10),
                              text(reach - ro),
                              text(leave - lo),
                              day.routes[r].stations[i].name,
                              std::to_string(trip)};
                stop.trueReach = text(reach);
                stop.trueLeave = text(leave);
                stop.expectedReach = std::abs(ro) <= 1259 ? stop.trueReach : "";
                stop.expectedLeave = std::abs(lo) <= 1259 ? stop.trueLeave : "";
                day.stops.push_back(std::move(stop));
            }
            // Lay over beyond the terminal, out of the circle, then come back for the next trip.
            const int last = forward ? shape.stationsPerRoute - 1 : 0;
            const Pos beyond{station(r, last).lat + (forward ? 300 : -300) / kMetresPerDegreeLat,
                             station(r, last).lng};
            if (trip + 1 < shape.tripsPerRoute) {
                driveTo(beyond);
                now += shape.layoverSeconds;
                line.At(now, here);
                driveTo(station(r, last));
            }
        }
        // Off the column sideways, halfway to the next one, before heading south.
        driveTo({here.lat, here.lng + 0.025});
    }
    driveTo({southLat, here.lng});
    driveTo(depot);

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
    std::size_t cursor = 0;
    char buf[256];
    for (int n = 0; n < count; ++n) {
        const long t = long(n) * shape.fixSeconds;
        const Pos p = line.Where(t, cursor);
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
