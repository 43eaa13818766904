#include "sim/TrackGenerator.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "sim/Random.h"

namespace fw::sim {
namespace {

constexpr double kNear = 50.0;
constexpr double kFar = 150.0;

// The stand beyond a terminus: straight on past it, away from the rest of the line.
GeoPoint Stand(GeoPoint terminus, GeoPoint previous) {
    if (GroundDistanceMetres(terminus.lat, terminus.lng, previous.lat, previous.lng) < 1)
        return Offset(terminus, kLayoverDistance, 0);
    const GeoPoint back = MoveTowards(terminus, previous, kLayoverDistance);
    return {2 * terminus.lat - back.lat, 2 * terminus.lng - back.lng};
}

long long Ms(double seconds) { return std::llround(seconds * 1000.0); }

}  // namespace

std::optional<GeoPoint> VehicleTrack::PositionAt(double seconds) const {
    if (keyframes.empty()) return std::nullopt;
    const long long t = Ms(seconds);
    if (t <= keyframes.front().t) return keyframes.front().p;
    if (t >= keyframes.back().t) return keyframes.back().p;
    auto it = std::upper_bound(keyframes.begin(), keyframes.end(), t,
                               [](long long v, const Keyframe& k) { return v < k.t; });
    const Keyframe& b = *it;
    const Keyframe& a = *(it - 1);
    const double f = b.t == a.t ? 1.0 : static_cast<double>(t - a.t) / static_cast<double>(b.t - a.t);
    return GeoPoint{a.p.lat + (b.p.lat - a.p.lat) * f, a.p.lng + (b.p.lng - a.p.lng) * f};
}

std::shared_ptr<const VehicleTrack> GenerateTrack(const Scenario& sc, const std::string& plate) {
    return GenerateTrack(sc, sc.trips, plate, sc.date);
}

std::shared_ptr<const VehicleTrack> GenerateTrack(const Scenario& sc, const std::vector<Trip>& dayTrips,
                                                  const std::string& plate, const std::string& date) {
    auto track = std::make_shared<VehicleTrack>();
    std::vector<const Trip*> trips;
    for (const auto& t : dayTrips)
        if (t.vehicle == plate && !t.stops.empty() && !t.stops.front().trueReach.empty())
            trips.push_back(&t);
    std::sort(trips.begin(), trips.end(), [](const Trip* a, const Trip* b) {
        return a->stops.front().trueReach < b->stops.front().trueReach;
    });
    if (trips.empty()) return track;

    auto& kf = track->keyframes;
    auto add = [&kf](double seconds, GeoPoint p, bool far) {
        long long t = Ms(seconds);
        if (!kf.empty()) t = std::max(t, kf.back().t);  // hand-written scenarios may be too tight
        kf.push_back({t, p, far});
    };
    // Each station looked up once: a large fleet's scenario has thousands of them.
    std::map<std::string, GeoPoint> places;
    auto pos = [&sc, &places](const StopEvent& ev) {
        auto [at, added] = places.try_emplace(ev.stationId);
        if (added) {
            const Station* s = sc.FindStation(ev.stationId);
            at->second = s ? GeoPoint{s->lat, s->lng} : GeoPoint{};
        }
        return at->second;
    };

    for (std::size_t ti = 0; ti < trips.size(); ++ti) {
        const Trip& trip = *trips[ti];
        std::vector<const StopEvent*> stops;
        for (const auto& ev : trip.stops)
            if (!ev.trueReach.empty()) stops.push_back(&ev);
        if (stops.empty()) continue;
        const std::size_t n = stops.size();
        const GeoPoint first = pos(*stops.front()), last = pos(*stops.back());
        const GeoPoint standStart = Stand(first, n > 1 ? pos(*stops[1]) : first);
        const GeoPoint standEnd = Stand(last, n > 1 ? pos(*stops[n - 2]) : last);
        const double reach0 = static_cast<double>(*ParseSeconds(stops.front()->trueReach));
        const double leaveStand = reach0 - (kLayoverDistance - kNear) / kEdgeSpeed;
        if (kf.empty()) add(leaveStand - 600, standStart, true);  // parked before the first run
        add(leaveStand, standStart, true);
        for (std::size_t k = 0; k < n; ++k) {
            const GeoPoint p = pos(*stops[k]);
            const GeoPoint a = k > 0 ? pos(*stops[k - 1]) : standStart;
            const GeoPoint b = k + 1 < n ? pos(*stops[k + 1]) : standEnd;
            double reach = static_cast<double>(*ParseSeconds(stops[k]->trueReach));
            double leave = static_cast<double>(*ParseSeconds(stops[k]->trueLeave));
            const double inside = kNear / kEdgeSpeed;
            const double edge = (kFar - kNear) / kEdgeSpeed;
            const double mid = (reach + leave) / 2;
            add(reach - edge, MoveTowards(p, a, kFar), true);
            add(reach, MoveTowards(p, a, kNear), false);
            add(std::min(reach + inside, mid), p, false);
            add(std::max(leave - inside, mid), p, false);
            add(leave, MoveTowards(p, b, kNear), false);
            add(leave + edge, MoveTowards(p, b, kFar), true);
        }
        const double atStand =
            static_cast<double>(*ParseSeconds(stops.back()->trueLeave)) + (kLayoverDistance - kNear) / kEdgeSpeed;
        add(atStand, standEnd, true);
        if (ti + 1 == trips.size()) add(atStand + 300, standEnd, true);  // parked after the last run
    }

    // Fixes: a regular beat per vehicle, noise on both axes, gaps and dead fixes only while the
    // vehicle is well away from any station circle.
    // The scenario date's tracks keep the beat they always had; other days get their own.
    Random rng(sc.seed ^ HashText(date == sc.date ? "track|" + plate : "track|" + plate + "|" + date));
    const int interval = sc.track.intervalSeconds;
    // Noise must stay well under the distance covered between two fixes near a circle, or a fix
    // could flicker in and out of it.
    const double noise = std::min(sc.track.noiseMetres, kEdgeSpeed * interval / 2.5);
    const long long begin = (kf.front().t + 999) / 1000 + rng.Int(0, interval - 1);
    const long long end = kf.back().t / 1000;
    std::size_t seg = 0;
    long long gapUntil = -1;
    for (long long t = begin; t <= end; t += interval) {
        while (seg + 1 < kf.size() && kf[seg + 1].t <= t * 1000) ++seg;
        const bool clear = kf[seg].far && (seg + 1 >= kf.size() || kf[seg + 1].far);
        if (t < gapUntil) {
            if (clear) continue;
            gapUntil = -1;
        }
        if (clear && seg + 1 < kf.size()) {
            const double segSeconds = static_cast<double>(kf[seg + 1].t - kf[seg].t) / 1000.0;
            // Now and then the receiver drops out for a while.
            if (segSeconds > 20 && rng.Chance(0.004)) {
                gapUntil = t + rng.Int(20, 240);
                continue;
            }
        }
        Fix fix;
        fix.gpsTime = t;
        fix.receiveTime = t + rng.Int(1, 3);
        if (clear && rng.Chance(1.0 / 300)) {
            track->fixes.push_back(fix);  // no satellite lock: 0, 0 and no correction
            continue;
        }
        GeoPoint p = *track->PositionAt(static_cast<double>(t));
        p = Offset(p, noise * (rng.Unit() + rng.Unit() - 1.0), noise * (rng.Unit() + rng.Unit() - 1.0));
        fix.latXz = sc.track.latCorrection;
        fix.lngXz = sc.track.lngCorrection;
        fix.lat = std::round((p.lat - fix.latXz) * 1e6) / 1e6;
        fix.lng = std::round((p.lng - fix.lngXz) * 1e6) / 1e6;
        track->fixes.push_back(fix);
    }
    return track;
}

}  // namespace fw::sim
