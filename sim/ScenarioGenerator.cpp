#include "sim/ScenarioGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

#include "sim/Geo.h"
#include "sim/Random.h"
#include "sim/TripPlanner.h"

namespace fw::sim {
namespace {

constexpr GeoPoint kCityCentre{30.2741, 120.1551};  // Hangzhou, 武林广场

const char* const kStationNames[] = {
    "武林广场", "凤起路",   "龙翔桥",   "湖滨",     "西湖文化广场", "城站",     "定安路",
    "南宋御街", "鼓楼",     "吴山广场", "清河坊",   "断桥",         "北山街",   "岳庙",
    "曙光路",   "黄龙体育中心", "浙大玉泉", "古荡", "文三路",       "学院路",   "教工路",
    "翠苑",     "文二路",   "莫干山路", "朝晖",     "潮王路",       "打铁关",   "艮山门",
    "闸弄口",   "火车东站", "彭埠",     "七堡",     "九堡",         "客运中心", "钱江路",
    "市民中心", "江锦路",   "近江",     "婺江路",   "秋涛路",       "复兴大桥", "六和塔",
    "虎跑",     "动物园",   "赤山埠",   "植物园",   "灵隐",         "梅灵路",   "天竺",
    "龙井",     "满觉陇",   "四眼井",   "三台山",   "苏堤",         "花港观鱼", "雷峰塔",
    "长桥",     "柳浪闻莺", "涌金门",   "庆春路",   "中河北路",     "建国路",   "体育场路",
    "环城北路", "德胜路",   "沈塘桥",   "米市巷",   "卖鱼桥",       "信义坊",   "拱宸桥",
};

const char* const kPlateLetters = "ABCDEFGHJKLMNPQRSTUVWXYZ";

// A walk of `count` stations from `start`, each 450-850 m from the last, the heading (compass
// degrees) drifting a little at each step.
std::vector<GeoPoint> Walk(Random& rng, GeoPoint start, double heading, int count) {
    std::vector<GeoPoint> pts;
    GeoPoint p = start;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            heading += rng.Uniform(-22, 22);
            const double step = rng.Uniform(450, 850);
            p = Offset(p, std::sin(heading * kDegToRad) * step, std::cos(heading * kDegToRad) * step);
        }
        pts.push_back(p);
    }
    return pts;
}

// No station may come near a part of the line it does not belong to, or the vehicles would
// seem to call at it on the way.
bool WellSpaced(const std::vector<GeoPoint>& pts) {
    for (std::size_t i = 0; i < pts.size(); ++i)
        for (std::size_t j = 0; j + 1 < pts.size(); ++j) {
            if (i == j || i == j + 1) continue;
            if (DistanceToSegmentMetres(pts[i], pts[j], pts[j + 1]) < 250) return false;
        }
    return true;
}

struct LineDraft {
    std::string id, name, group;
    std::vector<GeoPoint> points;
    std::vector<std::string> stationIds;
    int vehicles = 0;
};

// Names for the stations of the added lines: the pool's names with a quarter or a landmark.
const char* const kNameSuffixes[] = {"东", "西", "南", "北", "口", "新村", "公园", "北口", "南口", "东口", "西口", "路口"};

std::string AddedStationName(std::size_t k) {
    const std::size_t pool = std::size(kStationNames);
    const std::size_t variant = k / pool;
    std::string name = kStationNames[k % pool];
    if (variant < std::size(kNameSuffixes)) return name + kNameSuffixes[variant];
    return name + std::to_string(variant) + "号";
}

// Lines of four vehicles each beyond the built-in ones, five to a group, walked from their own
// random sequence so that the built-in part of the scenario stays as it is.
void AddFleetLines(Scenario& sc, std::vector<LineDraft>& drafts, int vehicles, std::uint64_t seed,
                   const std::function<std::vector<GeoPoint>(const std::function<std::vector<GeoPoint>()>&)>& retry) {
    Random rng(seed ^ HashText("fleet lines"));
    std::size_t named = 0;
    int nextStation = static_cast<int>(sc.stations.size()) + 1;
    for (int i = 0; vehicles > 0; ++i) {
        char id[16], group[32], groupId[16];
        std::snprintf(id, sizeof id, "L%02d", 5 + i);
        std::snprintf(groupId, sizeof groupId, "G%02d", 4 + i / 5);
        std::snprintf(group, sizeof group, "公交车队%02d", 1 + i / 5);
        if (i % 5 == 0) sc.groups.push_back({groupId, group});
        LineDraft d{id, std::to_string(201 + i) + "路", group, {}, {}, std::min(4, vehicles)};
        vehicles -= d.vehicles;
        // Spread over the city and its outskirts, farther out as the fleet grows.
        const double reach = 6000.0 + 40.0 * i;
        const GeoPoint start = Offset(kCityCentre, rng.Uniform(-reach, reach), rng.Uniform(-reach, reach));
        const double heading = rng.Uniform(0, 360);
        const int count = rng.Int(12, 20);
        d.points = retry([&] { return Walk(rng, start, heading, count); });
        for (const GeoPoint& p : d.points) {
            char sid[16];
            std::snprintf(sid, sizeof sid, "S%03d", nextStation++);
            sc.stations.push_back({sid, AddedStationName(named++), std::round(p.lat * 1e6) / 1e6,
                                   std::round(p.lng * 1e6) / 1e6});
            d.stationIds.push_back(sid);
        }
        drafts.push_back(std::move(d));
    }
}

std::string Hhmm(int secondsOfDay) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d", secondsOfDay / 3600, secondsOfDay / 60 % 60);
    return buf;
}

}  // namespace

void AddTrueTimes(const Scenario& sc, std::vector<Trip>& trips, std::uint64_t seed,
                  const std::string& lateBatch) {
    constexpr double kEdgeSpeed = 7.0;      // m/s through the last 150 m before and after a stop
    constexpr double kTopSpeed = 13.9;      // m/s between stations
    constexpr long long kMinLayover = 150;  // to the stand and back, a minute parked
    long long prevLeave = -1;
    for (std::size_t ti = 0; ti < trips.size(); ++ti) {
        Trip& trip = trips[ti];
        Random rng(seed ^ HashText(trip.vehicle + "|" + trip.batch + "|" + trip.date));
        // Offset from the plan carried from stop to stop, in seconds.
        double off = rng.Uniform(-60, 40);
        if (rng.Chance(0.12)) off = rng.Uniform(180, 540);
        const bool breakdown = trip.batch == lateBatch;
        if (breakdown) off = 25 * 60;
        const Station* prevStation = nullptr;
        for (std::size_t k = 0; k < trip.stops.size(); ++k) {
            StopEvent& ev = trip.stops[k];
            const Station* st = sc.FindStation(ev.stationId);
            const long long planReach = *ParseSeconds(ev.planReach);
            const long long planLeave = *ParseSeconds(ev.planLeave);
            if (k > 0) {
                off = off * (breakdown ? 0.93 : 0.75) + rng.Uniform(-40, 30);
                if (rng.Chance(0.06)) off += rng.Uniform(240, 540);  // held up in traffic
                if (rng.Chance(0.04)) off -= rng.Uniform(120, 200);  // running ahead of time
            }
            long long reach = planReach + std::llround(off);
            if (k == 0 && prevLeave >= 0) reach = std::max(reach, prevLeave + kMinLayover);
            if (k > 0 && st && prevStation) {
                const double metres =
                    GroundDistanceMetres(prevStation->lat, prevStation->lng, st->lat, st->lng);
                const long long minTravel =
                    std::llround(200.0 / kEdgeSpeed + std::max(0.0, metres - 300.0) / kTopSpeed) + 2;
                reach = std::max(reach, prevLeave + minTravel);
            }
            long long leave;
            if (k == 0) {
                // At the terminus the driver waits for the departure time.
                leave = std::max(reach + 30, planLeave + std::llround(rng.Uniform(-15, 30)));
            } else {
                const long long plannedDwell = planLeave - planReach;
                leave = reach + std::max<long long>(25, plannedDwell + std::llround(rng.Uniform(-35, 5)));
            }
            if (k + 1 < trip.stops.size() && rng.Chance(0.07))
                leave += std::llround(rng.Uniform(180, 420));  // lingering at the stop
            ev.trueReach = FormatSeconds(reach);
            ev.trueLeave = FormatSeconds(leave);
            off = static_cast<double>(leave - planLeave);
            prevLeave = leave;
            prevStation = st;
        }
    }
}

Scenario GenerateScenario(std::uint64_t seed, const std::string& date, int vehicles) {
    vehicles = std::clamp(vehicles, 0, kMaxVehicles);
    Scenario sc;
    sc.seed = seed;
    sc.date = date;
    Random rng(seed * 0x2545F4914F6CDD1Dull + 17);

    sc.users = {{"admin", "admin"}, {"调度员", "123456"}, {"zhangsan", "zs2014"}};
    sc.groups = {{"G01", "公交一公司"}, {"G02", "公交二公司"}, {"G03", "旅游客运公司"}};

    std::vector<LineDraft> drafts = {
        {"L01", "1路", "公交一公司", {}, {}, 4},
        {"L02", "7路", "公交一公司", {}, {}, 3},
        {"L03", "155路", "公交二公司", {}, {}, 3},
        {"L04", "西湖观光线", "旅游客运公司", {}, {}, 2},
    };
    // A smaller fleet: the last lines give up their vehicles first.
    int surplus = kBuiltInVehicles - vehicles;
    for (auto d = drafts.rbegin(); surplus > 0 && d != drafts.rend(); ++d) {
        const int given = std::min(d->vehicles, surplus);
        d->vehicles -= given;
        surplus -= given;
    }
    auto retry = [&](const std::function<std::vector<GeoPoint>()>& make) {
        for (int attempt = 0;; ++attempt) {
            auto pts = make();
            if (WellSpaced(pts) || attempt > 200) return pts;
        }
    };
    drafts[0].points = retry([&] { return Walk(rng, Offset(kCityCentre, -4200, -1800), 65, 18); });
    // 7路 crosses 1路 at its eighth station, the interchange both lines call at.
    const GeoPoint interchange = drafts[0].points[7];
    const int sharedIndex = 6;
    drafts[1].points = retry([&] {
        auto back = Walk(rng, interchange, 165, sharedIndex + 1);
        auto fwd = Walk(rng, interchange, 345, 14 - sharedIndex);
        std::vector<GeoPoint> pts(back.rbegin(), back.rend());
        pts.insert(pts.end(), fwd.begin() + 1, fwd.end());
        return pts;
    });
    drafts[2].points = retry([&] { return Walk(rng, Offset(kCityCentre, -2500, 3600), 112, 22); });
    drafts[3].points = {Offset(kCityCentre, -3600, -3300), Offset(kCityCentre, -2400, -1200)};

    // Station names: each drawn once from the pool, shuffled by the seed.
    std::vector<std::string> names(std::begin(kStationNames), std::end(kStationNames));
    for (std::size_t i = names.size() - 1; i > 0; --i)
        std::swap(names[i], names[rng.Next() % (i + 1)]);
    std::size_t nextName = 0;
    int nextStation = 1;
    auto addStation = [&](GeoPoint p) {
        char id[16];
        std::snprintf(id, sizeof id, "S%03d", nextStation++);
        Station st{id, names[nextName++ % names.size()], std::round(p.lat * 1e6) / 1e6,
                   std::round(p.lng * 1e6) / 1e6};
        sc.stations.push_back(st);
        return st.id;
    };
    std::string interchangeId;
    for (auto& d : drafts)
        for (std::size_t i = 0; i < d.points.size(); ++i) {
            if (&d == &drafts[1] && static_cast<int>(i) == sharedIndex) {
                d.stationIds.push_back(interchangeId);
                continue;
            }
            d.stationIds.push_back(addStation(d.points[i]));
            if (&d == &drafts[0] && i == 7) interchangeId = d.stationIds.back();
        }
    // A few stops that no line calls at yet, for drawing new lines on the map.
    for (int i = 0; i < 8; ++i)
        addStation(Offset(kCityCentre, rng.Uniform(-4500, 4500), rng.Uniform(-4000, 4000)));
    const std::size_t builtInLines = drafts.size();
    AddFleetLines(sc, drafts, vehicles - kBuiltInVehicles, seed, retry);

    for (auto& d : drafts) {
        Line line{d.id, d.name, "", "", "", {}};
        int total = 0;
        for (std::size_t i = 0; i < d.stationIds.size(); ++i) {
            int minutes = 0;
            if (i > 0) {
                const Station* a = sc.FindStation(d.stationIds[i - 1]);
                const Station* b = sc.FindStation(d.stationIds[i]);
                // Timetabled at 18 km/h, whole minutes.
                minutes = std::max(1, static_cast<int>(std::ceil(
                                          GroundDistanceMetres(a->lat, a->lng, b->lat, b->lng) / 300.0)));
            }
            total += minutes;
            line.stops.push_back({d.stationIds[i], minutes});
        }
        char dis[32];
        std::snprintf(dis, sizeof dis, "%0.2f", LineLengthKm(sc, line));
        line.counterdis = dis;
        line.countertime = FormatLineTime(total);
        sc.lines.push_back(line);
    }

    // Vehicles, numbered across the fleet; plates like 浙A3K271.
    int vehicleNo = 0;
    std::map<std::string, std::vector<std::string>> platesOfLine;
    for (const auto& d : drafts)
        for (int i = 0; i < d.vehicles; ++i) {
            std::string plate = "浙A";
            for (int c = 0; c < 5; ++c)
                plate += c == 1 && rng.Chance(0.5) ? kPlateLetters[rng.Next() % 24]
                                                   : static_cast<char>('0' + rng.Next() % 10);
            sc.vehicles.push_back({std::to_string(1001 + vehicleNo++), plate, d.group});
            platesOfLine[d.name].push_back(plate);
        }

    // Timetables: each vehicle of a line runs a chain of trips there and back from 06:00 (staggered)
    // until about 19:30, with a layover of at least ten minutes.
    struct ChainTrip {
        std::string batch;
        int start;
        std::string flag;
    };
    std::map<std::string, std::vector<std::vector<ChainTrip>>> chains;
    std::map<std::string, std::vector<TimetableEntry>> timetables;
    for (const auto& line : sc.lines) {
        const int n = static_cast<int>(platesOfLine[line.name].size());
        std::vector<std::vector<ChainTrip>> lineChains(n);
        std::vector<std::pair<int, int>> order;  // start, chain
        const int stagger = line.stops.size() > 2 ? 12 * 60 : 25 * 60;
        for (int c = 0; c < n; ++c) {
            int start = 6 * 3600 + c * stagger;
            int dir = 0;
            while (start <= 19 * 3600 + 30 * 60) {
                // Planned on day zero, so its times are seconds of the day.
                const Trip plan = PlanTrip(line, dir ? "1" : "0", start, "", "");
                const long long lastReach = *ParseSeconds(plan.stops.back().planReach);
                lineChains[c].push_back({"", start, dir ? "1" : "0"});
                order.push_back({start, c});
                start = static_cast<int>((lastReach + 10 * 60 + 299) / 300 * 300);
                dir ^= 1;
            }
        }
        std::sort(order.begin(), order.end());
        std::map<std::pair<int, int>, std::string> names;
        int no = 1;
        for (const auto& o : order) {
            char batch[48];
            std::snprintf(batch, sizeof batch, "%s-%02d", line.name.c_str(), no++);
            names[o] = batch;
        }
        for (int c = 0; c < n; ++c)
            for (auto& t : lineChains[c]) {
                t.batch = names[{t.start, c}];
                timetables[line.name].push_back({t.batch, Hhmm(t.start), line.name, t.flag});
            }
        chains[line.name] = lineChains;
    }

    // Two schedules covering the week around the date; the chains rotate among a line's vehicles
    // from day to day.
    const long long day0 = *ParseSeconds(date);
    auto makeSchedule = [&](const std::string& name, std::vector<std::string> lineNames) {
        Schedule s{name, FormatDay(day0 - 2 * 86400), FormatDay(day0 + 4 * 86400), "admin", {}, {}};
        for (const auto& ln : lineNames)
            for (const auto& t : timetables[ln]) s.timetable.push_back(t);
        for (int d = -2; d <= 4; ++d) {
            const std::string dayText = FormatDay(day0 + d * 86400LL);
            for (const auto& ln : lineNames) {
                const auto& plates = platesOfLine[ln];
                const auto& lc = chains[ln];
                for (std::size_t c = 0; c < lc.size(); ++c) {
                    const std::string& plate = plates[(c + static_cast<std::size_t>(d + 7)) % plates.size()];
                    for (const auto& t : lc[c]) s.content.push_back({dayText, t.batch, plate});
                }
            }
        }
        sc.schedules.push_back(s);
    };
    makeSchedule("一公司冬季排班", {"1路", "7路"});
    makeSchedule("二公司冬季排班", {"155路", "西湖观光线"});
    for (std::size_t i = builtInLines; i < drafts.size(); i += 5) {
        std::vector<std::string> lineNames;
        for (std::size_t k = i; k < std::min(i + 5, drafts.size()); ++k) lineNames.push_back(drafts[k].name);
        makeSchedule(drafts[i].group + "排班", lineNames);
    }

    // The date's trips with what really happened. One trip sets off 25 minutes late, beyond what
    // a report can match, and the vehicle catches up over the following stops.
    auto planned = PlanTripsFromSchedules(sc, date);
    std::map<std::string, std::vector<Trip>> byVehicle;
    for (auto& t : planned) byVehicle[t.vehicle].push_back(std::move(t));
    const std::string lateBatch = timetables["1路"].size() > 4 ? timetables["1路"][4].batch : "";
    for (auto& [plate, trips] : byVehicle) {
        AddTrueTimes(sc, trips, seed, lateBatch);
        for (auto& t : trips) sc.trips.push_back(std::move(t));
    }
    return sc;
}

}  // namespace fw::sim
