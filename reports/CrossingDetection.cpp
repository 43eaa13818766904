#include "reports/CrossingDetection.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "text/OleDate.h"

namespace fw {
namespace {

constexpr double kRadiusMetres = kStationRadiusKm * 1000.0;

struct Point {
    double x = 0.0;  // metres east of the station
    double y = 0.0;  // metres north
    double Norm2() const { return x * x + y * y; }
};

// Where the line from a to b meets the circle, as fractions of the way.
struct Crossings {
    double in = 0.0;
    double out = 0.0;
};

struct TimedEvent {
    double seconds;
    std::size_t station;
    StopEventKind kind;
};

// One station followed along the track.
class StationWatch {
public:
    enum class State { Outside, Inside, Leaving };

    StationWatch(std::size_t index, StationPlace place, const CrossingSettings& settings,
                 std::vector<TimedEvent>& events)
        : index_(index),
          lat_(place.latitude),
          lng_(place.longitude),
          eastScale_(std::cos(place.latitude * kDegreesToRadians) * kMetresPerDegree),
          settings_(settings),
          events_(events) {}

    State state() const { return state_; }
    double Latitude() const { return lat_; }

    // Metres north of the station: the circle lies within the radius of it.
    double North(const TimedFix& f) const { return (f.latitude - lat_) * kMetresPerDegree; }

    void Start(const TimedFix& first) {
        if (Local(first).Norm2() < kRadiusMetres * kRadiusMetres) Arrive(first.seconds);
    }

    void Step(const TimedFix& a, const TimedFix& b) {
        const Point pa = Local(a);
        const Point pb = Local(b);
        const bool insideB = pb.Norm2() < kRadiusMetres * kRadiusMetres;
        if (b.leg == TrackLeg::Jump) {
            // The exit was read from sound fixes; what follows says nothing about a return. Across
            // the jump the presence follows the fix beyond without an event: one side is wrong,
            // and no instant could be given.
            if (state_ == State::Leaving) Depart();
            state_ = insideB ? State::Inside : State::Outside;
            return;
        }
        const bool drive = b.leg == TrackLeg::Drive;
        auto at = [&](double fraction) {
            return drive ? a.seconds + fraction * (b.seconds - a.seconds) : b.seconds;
        };
        if (state_ == State::Inside) {
            if (insideB) return;
            Leave(at(Cross(pa, pb).out));
        } else if (insideB) {
            Enter(at(Cross(pa, pb).in));
            return;
        } else if (drive) {
            if (const std::optional<Crossings> pass = Pass(pa, pb)) {
                Enter(at(pass->in));
                Leave(at(pass->out));
            }
        }
        if (state_ == State::Leaving) Settle(b, pb);
    }

    void Finish() {
        if (state_ == State::Leaving) Depart();
    }

private:
    Point Local(const TimedFix& f) const {
        return {WrapLongitude(f.longitude - lng_) * eastScale_, North(f)};
    }

    // The line from a to b with one end inside the circle: where it enters and leaves.
    static Crossings Cross(Point a, Point b) {
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double aa = dx * dx + dy * dy;
        if (aa <= 0.0) return {1.0, 1.0};  // cannot happen with one end in and one out
        const double bb = a.x * dx + a.y * dy;
        const double cc = a.Norm2() - kRadiusMetres * kRadiusMetres;
        const double root = std::sqrt(std::max(0.0, bb * bb - aa * cc));
        return {std::clamp((-bb - root) / aa, 0.0, 1.0), std::clamp((-bb + root) / aa, 0.0, 1.0)};
    }

    // Both ends outside: the crossings when the line comes closer than the radius between them.
    static std::optional<Crossings> Pass(Point a, Point b) {
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double aa = dx * dx + dy * dy;
        if (aa <= 0.0) return std::nullopt;
        const double bb = a.x * dx + a.y * dy;
        const double closest = -bb / aa;
        if (!(closest > 0.0 && closest < 1.0)) return std::nullopt;
        const double disc = bb * bb - aa * (a.Norm2() - kRadiusMetres * kRadiusMetres);
        if (!(disc > 0.0)) return std::nullopt;
        const double root = std::sqrt(disc);
        return Crossings{std::clamp((-bb - root) / aa, 0.0, 1.0),
                         std::clamp((-bb + root) / aa, 0.0, 1.0)};
    }

    void Enter(double seconds) {
        if (state_ == State::Leaving) {
            state_ = State::Inside;
            if (seconds - exitAt_ <= settings_.rejoinSeconds) return;  // the same stay
            Depart();
        }
        Arrive(seconds);
    }

    void Arrive(double seconds) {
        state_ = State::Inside;
        events_.push_back({seconds, index_, StopEventKind::Arrival});
    }

    void Leave(double seconds) {
        state_ = State::Leaving;
        exitAt_ = seconds;
    }

    // Leaving and outside at fix b: gone for good once far enough or long enough.
    void Settle(const TimedFix& b, Point pb) {
        const double margin = kRadiusMetres + settings_.rejoinMarginMetres;
        if (pb.Norm2() > margin * margin || b.seconds - exitAt_ > settings_.rejoinSeconds) {
            Depart();
            state_ = State::Outside;
        }
    }

    void Depart() {
        events_.push_back({exitAt_, index_, StopEventKind::Departure});
        state_ = State::Outside;
    }

    std::size_t index_;
    double lat_;
    double lng_;
    double eastScale_;
    const CrossingSettings& settings_;
    std::vector<TimedEvent>& events_;
    State state_ = State::Outside;
    double exitAt_ = 0.0;
};

// A station the rule can place: a finite position on the globe, not 0,0 (an empty text).
bool IsPlaced(const StationPlace& p) {
    return std::isfinite(p.latitude) && std::isfinite(p.longitude) &&
           std::fabs(p.latitude) <= 90.0 && std::fabs(p.longitude) <= 180.0 &&
           (std::fabs(p.latitude) >= kDegenerateCoordinate ||
            std::fabs(p.longitude) >= kDegenerateCoordinate);
}

}  // namespace

std::vector<StationEvent> DetectCrossings(const std::vector<StationPlace>& stations,
                                          const std::vector<TimedFix>& fixes,
                                          const CrossingSettings& settings) {
    std::vector<TimedEvent> timed;
    std::vector<StationWatch> watches;
    watches.reserve(stations.size());
    for (std::size_t i = 0; i < stations.size(); ++i)
        if (IsPlaced(stations[i])) watches.emplace_back(i, stations[i], settings, timed);
    if (fixes.empty() || watches.empty()) return {};

    // Most stations lie far north or south of a segment, where the line cannot reach them: only
    // those in a band of latitudes around it are looked at, with those the bus is not outside of,
    // in station order as before.
    std::vector<std::size_t> byLatitude(watches.size());
    for (std::size_t w = 0; w < watches.size(); ++w) byLatitude[w] = w;
    std::sort(byLatitude.begin(), byLatitude.end(), [&](std::size_t x, std::size_t y) {
        return watches[x].Latitude() < watches[y].Latitude();
    });
    std::vector<double> latitudes;
    latitudes.reserve(watches.size());
    for (std::size_t w : byLatitude) latitudes.push_back(watches[w].Latitude());
    const double band = kRadiusMetres / kMetresPerDegree * 1.001;

    std::vector<std::size_t> near, notOutside;
    for (std::size_t w = 0; w < watches.size(); ++w) {
        watches[w].Start(fixes.front());
        if (watches[w].state() != StationWatch::State::Outside) notOutside.push_back(w);
    }
    for (std::size_t k = 1; k < fixes.size(); ++k) {
        const TimedFix& a = fixes[k - 1];
        const TimedFix& b = fixes[k];
        const auto from = std::lower_bound(latitudes.begin(), latitudes.end(),
                                           std::min(a.latitude, b.latitude) - band);
        const auto to = std::upper_bound(latitudes.begin(), latitudes.end(),
                                         std::max(a.latitude, b.latitude) + band);
        near = notOutside;
        for (auto it = from; it < to; ++it) near.push_back(byLatitude[static_cast<std::size_t>(it - latitudes.begin())]);
        std::sort(near.begin(), near.end());
        near.erase(std::unique(near.begin(), near.end()), near.end());
        notOutside.clear();
        for (std::size_t w : near) {
            StationWatch& watch = watches[w];
            if (watch.state() == StationWatch::State::Outside) {
                const double na = watch.North(a), nb = watch.North(b);
                if ((na >= kRadiusMetres && nb >= kRadiusMetres) ||
                    (na <= -kRadiusMetres && nb <= -kRadiusMetres))
                    continue;
            }
            watch.Step(a, b);
            if (watch.state() != StationWatch::State::Outside) notOutside.push_back(w);
        }
    }
    for (StationWatch& watch : watches) watch.Finish();

    std::stable_sort(timed.begin(), timed.end(), [](const TimedEvent& x, const TimedEvent& y) {
        return x.seconds < y.seconds;
    });
    std::vector<StationEvent> events;
    events.reserve(timed.size());
    for (const TimedEvent& e : timed)
        events.push_back({e.station, e.kind,
                          FormatDateTime(static_cast<double>(std::llround(e.seconds)) / 86400.0)});
    return events;
}

}  // namespace fw
