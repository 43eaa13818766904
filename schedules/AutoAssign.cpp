#include "schedules/AutoAssign.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <unordered_map>

#include "text/Strings.h"

namespace fw {
namespace {

constexpr int kDay = 86400;

std::string Key(std::string_view plate) { return ToLowerAscii(TrimView(plate)); }

// A span a vehicle is held for: from its first departure to its last trip's end plus the
// turnaround the next batch must leave it. Two holds clash when they intersect.
struct Hold {
    long long from = 0, to = 0;
    bool Clashes(const Hold& o) const { return from < o.to && o.from < to; }
};

Hold HoldOf(const BatchSpan& s, int turnaround, long long dayOffset) {
    return {dayOffset + s.first, dayOffset + s.end + turnaround};
}

// The most holds at one moment. A hold of no length (a batch of one departure, no trip time, no
// turnaround) still clashes with a hold around it.
int Peak(const std::vector<Hold>& holds) {
    enum { kEnd = 0, kPoint = 1, kStart = 2 };  // at one moment: ends first, then points, then starts
    std::vector<std::pair<long long, int>> edges;
    edges.reserve(holds.size() * 2);
    for (const Hold& h : holds) {
        if (h.to <= h.from) {
            edges.emplace_back(h.from, kPoint);
            continue;
        }
        edges.emplace_back(h.from, kStart);
        edges.emplace_back(h.to, kEnd);
    }
    std::sort(edges.begin(), edges.end());
    int now = 0, most = 0;
    for (const auto& [at, kind] : edges) {
        if (kind == kPoint) most = std::max(most, now + 1);
        else most = std::max(most, now += kind == kStart ? 1 : -1);
    }
    return most;
}

struct Vehicle {
    std::string plate;
    std::vector<Hold> holds;  // this day's and the neighbouring days' (shifted a day on or back)
    bool usedToday = false;
};

}  // namespace

int AutoAssignment::Need() const {
    int most = 0;
    for (const DayAssignment& d : days) most = std::max(most, d.need);
    return most;
}

int AutoAssignment::Used() const {
    int most = 0;
    for (const DayAssignment& d : days) most = std::max(most, d.used);
    return most;
}

int AutoAssignment::Unassigned() const {
    int n = 0;
    for (const DayAssignment& d : days) n += d.unassigned;
    return n;
}

std::string AutoAssignment::Summary() const {
    const std::string need = "需 " + std::to_string(Need()) + " 辆";
    if (Unassigned() > 0)
        return "自动配车：" + need + "，只有 " + std::to_string(vehicles) + " 辆：" + std::to_string(Unassigned()) +
               " 个班次未配车";
    return "自动配车：" + need + "，已配 " + std::to_string(Used()) + " 辆" + (days.size() > 1 ? "，每天轮换" : "");
}

AutoAssignment AutoAssign(const AutoAssignRequest& request) {
    AutoAssignment out;
    const std::size_t batches = request.spans.size();
    const int turnaround = std::max(0, request.minTurnaround);
    auto nameOf = [&request](std::size_t b) {
        return b < request.batches.size() ? request.batches[b] : std::to_string(b + 1);
    };

    // The vehicles at hand, each once.
    std::vector<Vehicle> fleet;
    std::unordered_map<std::string, std::size_t> indexOf;
    std::map<std::string, int> seen;
    for (const std::string& plate : request.vehicles) {
        const std::string key = Key(plate);
        if (key.empty()) continue;
        if (++seen[key] == 2) out.findings.push_back("车牌“" + std::string(TrimView(plate)) + "”在车辆列表中不止一次，只算一辆");
        if (indexOf.contains(key)) continue;
        indexOf.emplace(key, fleet.size());
        fleet.push_back({std::string(TrimView(plate)), {}, false});
    }
    out.vehicles = static_cast<int>(fleet.size());

    for (std::size_t b = 0; b < batches; ++b) {
        const BatchSpan& s = request.spans[b];
        if (!s.known) {
            out.findings.push_back("班次“" + nameOf(b) + "”没有可读的发车时间，未自动配车");
            continue;
        }
        if (!s.tripKnown && s.end == s.last)
            out.findings.push_back("班次“" + nameOf(b) + "”的线路“" + s.line + "”没有行程时间，按末班发车时间计");
        if (s.outOfOrder) out.findings.push_back("班次“" + nameOf(b) + "”的发车时间先后颠倒，按最早到最晚计");
    }
    // The batches by start; those without a time stay out.
    std::vector<std::size_t> order;
    for (std::size_t b = 0; b < batches; ++b)
        if (request.spans[b].known) order.push_back(b);
    std::stable_sort(order.begin(), order.end(), [&request](std::size_t a, std::size_t b) {
        return request.spans[a].first < request.spans[b].first;
    });
    auto fixedAt = [&request](int day, std::size_t b) -> const std::string* {
        if (day < 0 || static_cast<std::size_t>(day) >= request.fixed.size()) return nullptr;
        const auto& row = request.fixed[static_cast<std::size_t>(day)];
        if (b >= row.size() || TrimView(row[b]).empty()) return nullptr;
        return &row[b];
    };

    // Typed cells hold their vehicles. Days count from the first; a vehicle's holds reach from
    // yesterday's to tomorrow's typed ones, which today's plan must leave room for.
    auto dayStart = [](int day) { return static_cast<long long>(day) * kDay; };
    auto holdTyped = [&](int day) {
        for (std::size_t b = 0; b < batches; ++b)
            if (const std::string* plate = fixedAt(day, b); plate && request.spans[b].known)
                if (const auto v = indexOf.find(Key(*plate)); v != indexOf.end())
                    fleet[v->second].holds.push_back(HoldOf(request.spans[b], turnaround, dayStart(day)));
    };
    holdTyped(0);

    for (int day = 0; day < request.days; ++day) {
        holdTyped(day + 1);
        DayAssignment d;
        d.plates.assign(batches, std::string());
        d.planned.assign(batches, false);
        std::vector<Hold> today;
        std::map<std::string, bool> onDay;  // plates of this day, typed or planned
        for (std::size_t b = 0; b < batches; ++b) {
            if (request.spans[b].known) today.push_back(HoldOf(request.spans[b], turnaround, dayStart(day)));
            if (const std::string* plate = fixedAt(day, b)) {
                d.plates[b] = *plate;
                onDay[Key(*plate)] = true;
            }
        }
        d.need = Peak(today);
        for (Vehicle& v : fleet) {
            v.usedToday = onDay.contains(Key(v.plate));
        }
        const std::size_t n = fleet.size();
        const std::size_t shift = n == 0 ? 0 : static_cast<std::size_t>(day) % n;
        for (const std::size_t b : order) {
            if (!d.plates[b].empty()) continue;
            const Hold hold = HoldOf(request.spans[b], turnaround, dayStart(day));
            auto fits = [&hold](const Vehicle& v) {
                return std::none_of(v.holds.begin(), v.holds.end(), [&hold](const Hold& h) { return h.Clashes(hold); });
            };
            // A vehicle the day already uses, free longest; else the next in the day's order.
            Vehicle* chosen = nullptr;
            long long longest = 0;
            for (Vehicle& v : fleet) {
                if (!v.usedToday || !fits(v)) continue;
                long long since = dayStart(day) - kDay;
                for (const Hold& h : v.holds)
                    if (h.to <= hold.from) since = std::max(since, h.to);
                if (chosen == nullptr || since < longest) {
                    chosen = &v;
                    longest = since;
                }
            }
            for (std::size_t k = 0; chosen == nullptr && k < n; ++k) {
                Vehicle& v = fleet[(shift + k) % n];
                if (!v.usedToday && fits(v)) chosen = &v;
            }
            if (chosen == nullptr) {
                ++d.unassigned;
                continue;
            }
            chosen->holds.push_back(hold);
            chosen->usedToday = true;
            onDay[Key(chosen->plate)] = true;
            d.plates[b] = chosen->plate;
            d.planned[b] = true;
        }
        d.used = static_cast<int>(onDay.size());
        // Holds that cannot reach the next day any more are let go.
        for (Vehicle& v : fleet) std::erase_if(v.holds, [&](const Hold& h) { return h.to <= dayStart(day + 1); });
        out.days.push_back(std::move(d));
    }
    return out;
}

}  // namespace fw
