#include "sim/Scenario.h"

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include <json/reader.h>
#include <json/writer.h>

#include "sim/Geo.h"
#include "text/OleDate.h"

namespace fw::sim {

const Station* Scenario::FindStation(const std::string& id) const {
    for (const auto& s : stations)
        if (s.id == id) return &s;
    return nullptr;
}

const Line* Scenario::FindLineByName(const std::string& name) const {
    for (const auto& l : lines)
        if (l.name == name) return &l;
    return nullptr;
}

const Line* Scenario::FindLineById(const std::string& id) const {
    for (const auto& l : lines)
        if (l.id == id) return &l;
    return nullptr;
}

const Vehicle* Scenario::FindVehicle(const std::string& id, const std::string& code) const {
    for (const auto& v : vehicles)
        if (!id.empty() ? v.id == id : (!code.empty() && v.code == code)) return &v;
    return nullptr;
}

const User* Scenario::FindUser(const std::string& name) const {
    for (const auto& u : users)
        if (u.name == name) return &u;
    return nullptr;
}

double LineLengthKm(const Scenario& scenario, const Line& line) {
    double metres = 0;
    const Station* prev = nullptr;
    for (const auto& stop : line.stops) {
        const Station* s = scenario.FindStation(stop.stationId);
        if (s && prev) metres += GroundDistanceMetres(prev->lat, prev->lng, s->lat, s->lng);
        if (s) prev = s;
    }
    return metres / 1000.0;
}

std::string FormatLineTime(int minutes) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d", minutes / 60 % 24, minutes % 60);
    return buf;
}

namespace {

// The file is written by people as well as by --dump-scenario: numbers may come as strings and
// texts as numbers.
std::string Str(const Json::Value& obj, const char* key) {
    if (!obj.isObject()) return {};
    const Json::Value& v = obj[key];
    if (v.isString()) return v.asString();
    if (v.isIntegral()) return std::to_string(v.asLargestInt());
    if (v.isNumeric()) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.10g", v.asDouble());
        return buf;
    }
    return {};
}

bool Num(const Json::Value& obj, const char* key, double& out) {
    if (!obj.isObject() || !obj.isMember(key)) return false;
    const Json::Value& v = obj[key];
    if (v.isNumeric()) {
        out = v.asDouble();
        return true;
    }
    if (v.isString()) {
        std::istringstream in(v.asString());
        in.imbue(std::locale::classic());
        double d = 0;
        if (in >> d) {
            out = d;
            return true;
        }
    }
    return false;
}

const Json::Value& Arr(const Json::Value& obj, const char* key) {
    static const Json::Value kEmpty(Json::arrayValue);
    if (!obj.isObject() || !obj[key].isArray()) return kEmpty;
    return obj[key];
}

bool Fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

bool IsDateTimeOrEmpty(const std::string& text) { return text.empty() || ParseSeconds(text).has_value(); }

}  // namespace

std::optional<Scenario> ScenarioFromJson(const Json::Value& root, std::string* error) {
    if (!root.isObject()) {
        Fail(error, "the scenario is not a JSON object");
        return std::nullopt;
    }
    Scenario sc;
    double seed = 1;
    if (Num(root, "seed", seed)) sc.seed = static_cast<std::uint64_t>(seed);
    sc.date = Str(root, "date");
    if (!ParseDateTime(sc.date) || sc.date.size() != 10) {
        Fail(error, "\"date\" must be a date as yyyy-MM-dd");
        return std::nullopt;
    }
    for (const auto& u : Arr(root, "users")) {
        User user{Str(u, "name"), Str(u, "password")};
        if (user.name.empty()) {
            Fail(error, "a user has no name");
            return std::nullopt;
        }
        sc.users.push_back(user);
    }
    for (const auto& g : Arr(root, "groups")) sc.groups.push_back({Str(g, "id"), Str(g, "name")});
    for (const auto& v : Arr(root, "vehicles")) {
        Vehicle vehicle{Str(v, "id"), Str(v, "code"), Str(v, "group")};
        if (vehicle.code.empty()) {
            Fail(error, "a vehicle has no plate (\"code\")");
            return std::nullopt;
        }
        sc.vehicles.push_back(vehicle);
    }
    std::set<std::string> stationIds;
    for (const auto& s : Arr(root, "stations")) {
        Station st{Str(s, "id"), Str(s, "name"), 0, 0};
        if (st.id.empty() || !Num(s, "lat", st.lat) || !Num(s, "lng", st.lng)) {
            Fail(error, "station \"" + st.id + "\" needs an id, a lat and a lng");
            return std::nullopt;
        }
        if (!stationIds.insert(st.id).second) {
            Fail(error, "station id \"" + st.id + "\" is used twice");
            return std::nullopt;
        }
        sc.stations.push_back(st);
    }
    for (const auto& l : Arr(root, "lines")) {
        Line line{Str(l, "id"), Str(l, "name"), Str(l, "counterdis"), Str(l, "countertime"),
                  Str(l, "user"), {}};
        if (line.name.empty()) {
            Fail(error, "a line has no name");
            return std::nullopt;
        }
        for (const auto& st : Arr(l, "stops")) {
            LineStop stop{Str(st, "station"), 0};
            double minutes = 0;
            Num(st, "minutes", minutes);
            stop.minutes = static_cast<int>(minutes);
            if (!stationIds.count(stop.stationId)) {
                Fail(error, "line \"" + line.name + "\" names the unknown station \"" +
                                stop.stationId + "\"");
                return std::nullopt;
            }
            line.stops.push_back(stop);
        }
        sc.lines.push_back(line);
    }
    for (const auto& s : Arr(root, "schedules")) {
        Schedule sched{Str(s, "name"), Str(s, "startDate"), Str(s, "endDate"), Str(s, "user"), {}, {}};
        for (const auto& t : Arr(s, "timetable"))
            sched.timetable.push_back({Str(t, "batch"), Str(t, "starttime"), Str(t, "linename"),
                                       Str(t, "flag").empty() ? "0" : Str(t, "flag")});
        for (const auto& c : Arr(s, "content"))
            sched.content.push_back({Str(c, "date"), Str(c, "batch"), Str(c, "carcode")});
        sc.schedules.push_back(sched);
    }
    for (const auto& t : Arr(root, "trips")) {
        Trip trip{Str(t, "vehicle"), Str(t, "batch"), Str(t, "line"), Str(t, "date"),
                  Str(t, "flag").empty() ? "0" : Str(t, "flag"), {}};
        const std::string where = "trip \"" + trip.batch + "\" of \"" + trip.vehicle + "\"";
        if (!sc.FindVehicle({}, trip.vehicle)) {
            Fail(error, where + ": no vehicle has that plate");
            return std::nullopt;
        }
        if (!sc.FindLineByName(trip.line)) {
            Fail(error, where + ": there is no line \"" + trip.line + "\"");
            return std::nullopt;
        }
        for (const auto& e : Arr(t, "stops")) {
            StopEvent ev{Str(e, "station"), Str(e, "planReach"), Str(e, "planLeave"),
                         Str(e, "trueReach"), Str(e, "trueLeave")};
            if (!stationIds.count(ev.stationId)) {
                Fail(error, where + " names the unknown station \"" + ev.stationId + "\"");
                return std::nullopt;
            }
            if (!IsDateTimeOrEmpty(ev.planReach) || !IsDateTimeOrEmpty(ev.planLeave) ||
                !IsDateTimeOrEmpty(ev.trueReach) || !IsDateTimeOrEmpty(ev.trueLeave)) {
                Fail(error, where + " has a time that is not yyyy-MM-dd HH:mm:ss");
                return std::nullopt;
            }
            if (ev.trueReach.empty() != ev.trueLeave.empty() ||
                (!ev.trueReach.empty() && *ParseSeconds(ev.trueLeave) < *ParseSeconds(ev.trueReach))) {
                Fail(error, where + ": a true departure needs a true arrival before it");
                return std::nullopt;
            }
            trip.stops.push_back(ev);
        }
        sc.trips.push_back(trip);
    }
    const Json::Value& tr = root["track"];
    double d = 0;
    if (Num(tr, "interval", d)) sc.track.intervalSeconds = static_cast<int>(d);
    if (Num(tr, "noise", d)) sc.track.noiseMetres = d;
    if (Num(tr, "lat_xz", d)) sc.track.latCorrection = d;
    if (Num(tr, "lng_xz", d)) sc.track.lngCorrection = d;
    if (sc.track.intervalSeconds < 1 || sc.track.intervalSeconds > 60) {
        Fail(error, "\"track\".\"interval\" must be 1 to 60 seconds");
        return std::nullopt;
    }
    if (sc.track.noiseMetres < 0 || sc.track.noiseMetres > 10) {
        Fail(error, "\"track\".\"noise\" must be 0 to 10 metres");
        return std::nullopt;
    }
    return sc;
}

Json::Value StationToJson(const Station& s) {
    Json::Value o(Json::objectValue);
    o["id"] = s.id;
    o["name"] = s.name;
    o["lat"] = s.lat;
    o["lng"] = s.lng;
    return o;
}

Json::Value ScenarioToJson(const Scenario& sc) {
    Json::Value root(Json::objectValue);
    root["seed"] = Json::UInt64(sc.seed);
    root["date"] = sc.date;
    Json::Value& users = root["users"] = Json::Value(Json::arrayValue);
    for (const auto& u : sc.users) {
        Json::Value o;
        o["name"] = u.name;
        o["password"] = u.password;
        users.append(o);
    }
    Json::Value& groups = root["groups"] = Json::Value(Json::arrayValue);
    for (const auto& g : sc.groups) {
        Json::Value o;
        o["id"] = g.id;
        o["name"] = g.name;
        groups.append(o);
    }
    Json::Value& vehicles = root["vehicles"] = Json::Value(Json::arrayValue);
    for (const auto& v : sc.vehicles) {
        Json::Value o;
        o["id"] = v.id;
        o["code"] = v.code;
        o["group"] = v.group;
        vehicles.append(o);
    }
    Json::Value& stations = root["stations"] = Json::Value(Json::arrayValue);
    for (const auto& s : sc.stations) stations.append(StationToJson(s));
    Json::Value& lines = root["lines"] = Json::Value(Json::arrayValue);
    for (const auto& l : sc.lines) {
        Json::Value o;
        o["id"] = l.id;
        o["name"] = l.name;
        o["counterdis"] = l.counterdis;
        o["countertime"] = l.countertime;
        o["user"] = l.user;
        Json::Value& stops = o["stops"] = Json::Value(Json::arrayValue);
        for (const auto& s : l.stops) {
            Json::Value so;
            so["station"] = s.stationId;
            so["minutes"] = s.minutes;
            stops.append(so);
        }
        lines.append(o);
    }
    Json::Value& schedules = root["schedules"] = Json::Value(Json::arrayValue);
    for (const auto& s : sc.schedules) {
        Json::Value o;
        o["name"] = s.name;
        o["startDate"] = s.startDate;
        o["endDate"] = s.endDate;
        o["user"] = s.user;
        Json::Value& tt = o["timetable"] = Json::Value(Json::arrayValue);
        for (const auto& t : s.timetable) {
            Json::Value to;
            to["batch"] = t.batch;
            to["starttime"] = t.starttime;
            to["linename"] = t.linename;
            to["flag"] = t.flag;
            tt.append(to);
        }
        Json::Value& content = o["content"] = Json::Value(Json::arrayValue);
        for (const auto& c : s.content) {
            Json::Value co;
            co["date"] = c.date;
            co["batch"] = c.batch;
            co["carcode"] = c.carcode;
            content.append(co);
        }
        schedules.append(o);
    }
    Json::Value& trips = root["trips"] = Json::Value(Json::arrayValue);
    for (const auto& t : sc.trips) {
        Json::Value o;
        o["vehicle"] = t.vehicle;
        o["batch"] = t.batch;
        o["line"] = t.line;
        o["date"] = t.date;
        o["flag"] = t.flag;
        Json::Value& stops = o["stops"] = Json::Value(Json::arrayValue);
        for (const auto& e : t.stops) {
            Json::Value eo;
            eo["station"] = e.stationId;
            eo["planReach"] = e.planReach;
            eo["planLeave"] = e.planLeave;
            eo["trueReach"] = e.trueReach;
            eo["trueLeave"] = e.trueLeave;
            stops.append(eo);
        }
        trips.append(o);
    }
    Json::Value& track = root["track"] = Json::Value(Json::objectValue);
    track["interval"] = sc.track.intervalSeconds;
    track["noise"] = sc.track.noiseMetres;
    track["lat_xz"] = sc.track.latCorrection;
    track["lng_xz"] = sc.track.lngCorrection;
    return root;
}

std::string DumpScenario(const Scenario& scenario) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    builder["emitUTF8"] = true;
    builder["precision"] = 12;
    return Json::writeString(builder, ScenarioToJson(scenario)) + "\n";
}

std::optional<Scenario> LoadScenarioFile(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Fail(error, "cannot read the scenario file " + path);
        return std::nullopt;
    }
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    Json::Value root;
    std::string parseErrors;
    if (!Json::parseFromStream(builder, in, &root, &parseErrors)) {
        Fail(error, "the scenario file " + path + " is not valid JSON: " + parseErrors);
        return std::nullopt;
    }
    std::string why;
    auto sc = ScenarioFromJson(root, &why);
    if (!sc) Fail(error, "the scenario file " + path + ": " + why);
    return sc;
}

void MoveScenarioToDate(Scenario& sc, const std::string& date) {
    const auto from = ParseSeconds(sc.date);
    const auto to = ParseSeconds(date);
    if (!from || !to) return;
    const long long shift = *to - *from;
    auto move = [shift](std::string& text) {
        if (text.empty()) return;
        if (auto s = ParseSeconds(text)) text = text.size() == 10 ? FormatDay(*s + shift) : FormatSeconds(*s + shift);
    };
    for (auto& trip : sc.trips) {
        move(trip.date);
        for (auto& e : trip.stops) {
            move(e.planReach);
            move(e.planLeave);
            move(e.trueReach);
            move(e.trueLeave);
        }
    }
    sc.date = FormatDay(*to);
}

}  // namespace fw::sim
