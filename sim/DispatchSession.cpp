#include "sim/DispatchSession.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "net/JsonWriter.h"
#include "sim/Geo.h"
#include "sim/ReportRows.h"
#include "sim/TripPlanner.h"
#include "text/OleDate.h"
#include "text/Strings.h"

namespace fw::sim {
namespace {

Json::Value Reply(const char* cmd) {
    Json::Value root = MakeMessage(cmd);
    return root;
}

std::string Coordinate(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", value);
    return buf;
}

const Json::Value& Array(const Json::Value& body, const char* key) {
    static const Json::Value kEmpty(Json::arrayValue);
    return body.isObject() && body[key].isArray() ? body[key] : kEmpty;
}

}  // namespace

std::string DispatchSession::Handle(const Message& m) {
    std::string written;
    for (const Json::Value& answer : Answers(m, written)) written += WriteStyled(answer);
    return written;
}

std::vector<Json::Value> DispatchSession::Answers(const Message& m, std::string& written) {
    std::vector<Json::Value> out;
    if (m.code == 1000) {
        Login(m.body, out);
        return out;
    }
    if (!loggedIn_) {
        Log("ignored " + std::to_string(m.code) + " before a successful login");
        return out;
    }
    switch (m.code) {
    case 1002:
        ++heartbeats_;
        Log("heartbeat " + std::to_string(heartbeats_));
        break;
    case 1008:
        Push(out);
        break;
    case 1010:
        Log("1010 group " + Text(m.body, "groupid") + " acknowledged");
        break;
    case 9000:
        Log("9000 client announced for " + Text(m.body, "username"));
        break;
    case 9002:
        Stations(m.body, out);
        break;
    case 9004:
        AddRoute(m.body);
        break;
    case 9006:
        ScheduleTimetable(m.body);
        break;
    case 9008:
        ScheduleContent(m.body, out);
        break;
    case 9012:
        DeleteRoute(m.body);
        break;
    case 9014:
        DeleteSchedule(m.body, out);
        break;
    case 9016:
        StopTimes(m.body, written);
        break;
    case 9018:
        ReportQuery(m.body, out);
        break;
    default:
        Log("ignored unknown code " + std::to_string(m.code));
        break;
    }
    return out;
}

void DispatchSession::Login(const Json::Value& body, std::vector<Json::Value>& out) {
    const std::string name = Text(body, "name");
    const std::string why = state_.CheckLogin(name, Text(body, "pass"));
    Json::Value reply = Reply("8000");
    reply["body"]["cmd"] = "1000";
    if (why.empty()) {
        loggedIn_ = true;
        user_ = name;
        reply["body"]["result"] = "succeed";
        reply["body"]["text"] = "登录成功";
        Log("login of " + name + " (version " + Text(body, "ver") + ") accepted");
    } else {
        loggedIn_ = false;
        user_.clear();
        reply["body"]["result"] = "failed";
        reply["body"]["text"] = why;
        Log("login of " + name + " refused: " + why);
    }
    out.push_back(reply);
}

void DispatchSession::Push(std::vector<Json::Value>& out) {
    const Scenario& sc = state_.scenario();
    for (const auto& g : sc.groups) {
        Json::Value m = Reply("1009");
        m["body"]["groupid"] = g.id;
        m["body"]["groupname"] = g.name;
        out.push_back(m);
    }
    for (const auto& v : sc.vehicles) {
        Json::Value m = Reply("1011");
        m["body"]["code"] = v.code;
        m["body"]["id"] = v.id;
        m["body"]["groupname"] = v.group;
        out.push_back(m);
    }
    for (const auto& l : sc.lines) {
        Json::Value m = Reply("9001");
        m["body"]["lineid"] = l.id;
        m["body"]["linename"] = l.name;
        m["body"]["counterdis"] = l.counterdis;
        m["body"]["countertime"] = l.countertime;
        out.push_back(m);
    }
    Json::Value list = Reply("9011");
    list["body"] = Json::Value(Json::arrayValue);
    for (const auto& s : sc.schedules) {
        Json::Value row;
        row["classename"] = s.name;
        row["startDate"] = s.startDate;
        row["endDate"] = s.endDate;
        list["body"].append(row);
    }
    out.push_back(list);
    Log("pushed " + std::to_string(sc.groups.size()) + " groups, " + std::to_string(sc.vehicles.size()) +
        " vehicles, " + std::to_string(sc.lines.size()) + " routes, " +
        std::to_string(sc.schedules.size()) + " schedules");
}

void DispatchSession::Stations(const Json::Value& body, std::vector<Json::Value>& out) {
    const std::string id = Text(body, "lineid");
    const Line* line = state_.scenario().FindLineById(id);
    if (!line) {
        Log("9002 for unknown line id \"" + id + "\" ignored");
        return;
    }
    Json::Value m = Reply("9003");
    m["body"]["lineId"] = line->id;
    Json::Value& stations = m["body"]["stationns"] = Json::Value(Json::arrayValue);
    for (const auto& stop : line->stops) {
        const Station* s = state_.scenario().FindStation(stop.stationId);
        Json::Value st;
        st["id"] = stop.stationId;
        st["name"] = s ? s->name : "";
        st["lat"] = s ? Coordinate(s->lat) : "";
        st["lng"] = s ? Coordinate(s->lng) : "";
        st["time"] = std::to_string(stop.minutes);
        stations.append(st);
    }
    out.push_back(m);
}

void DispatchSession::AddRoute(const Json::Value& body) {
    Scenario& sc = state_.scenario();
    Line line;
    line.name = Text(body, "linename");
    line.counterdis = Text(body, "counterdis");
    line.countertime = Text(body, "countertime");
    line.user = Text(body, "userName");
    for (const auto& st : Array(body, "stationns")) {
        const std::string id = Text(st, "usermarkid");
        if (!sc.FindStation(id)) {
            Log("9004 route \"" + line.name + "\" names the unknown station \"" + id + "\"; not stored");
            return;
        }
        line.stops.push_back({id, AtoiLike(Text(st, "time"))});
    }
    if (TrimView(line.name).empty() || line.stops.size() < 2) {
        Log("9004 route without a name or with fewer than two stations; not stored");
        return;
    }
    if (sc.FindLineByName(line.name)) {
        Log("9004 route \"" + line.name + "\" already exists; not stored");
        return;
    }
    line.id = state_.NextLineId();
    Log("9004 route \"" + line.name + "\" stored as " + line.id + " with " +
        std::to_string(line.stops.size()) + " stations");
    sc.lines.push_back(std::move(line));
    state_.ScenarioChanged();
}

void DispatchSession::DeleteRoute(const Json::Value& body) {
    auto& lines = state_.scenario().lines;
    const std::string name = Text(body, "linename");
    const auto before = lines.size();
    std::erase_if(lines, [&](const Line& l) { return l.name == name; });
    state_.ScenarioChanged();
    Log("9012 deleted " + std::to_string(before - lines.size()) + " route(s) named \"" + name + "\"");
}

void DispatchSession::DeleteSchedule(const Json::Value& body, std::vector<Json::Value>& out) {
    auto& schedules = state_.scenario().schedules;
    const std::string name = Text(body, "classename");
    const auto before = schedules.size();
    std::erase_if(schedules, [&](const Schedule& s) { return s.name == name; });
    const bool deleted = schedules.size() != before;
    if (deleted) state_.ScenarioChanged();
    Log("9014 schedule \"" + name + "\" " + (deleted ? "deleted" : "not found"));
    Json::Value m = Reply("9015");
    m["body"]["classename"] = name;
    m["body"]["result"] = deleted ? "succeed" : "failed";
    out.push_back(m);
}

void DispatchSession::ScheduleContent(const Json::Value& body, std::vector<Json::Value>& out) {
    const std::string name = Text(body, "classname");
    std::vector<Assignment> cells;
    for (const auto& c : Array(body, "content"))
        cells.push_back({Text(c, "date"), Text(c, "batch"), Text(c, "carcode")});

    if (save_.open && save_.daysOutstanding > 0 && (name.empty() || name == save_.name)) {
        // One day's rows, answering a 9007: they replace what the first message said for that day.
        --save_.daysOutstanding;
        if (!name.empty() && !cells.empty()) {
            std::vector<Assignment>* content = &save_.content;
            if (save_.timetableReceived)
                for (auto& s : state_.scenario().schedules)
                    if (s.name == save_.name) content = &s.content;
            std::set<std::string> days;
            for (const auto& c : cells) days.insert(c.date);
            std::erase_if(*content, [&](const Assignment& a) { return days.count(a.date) > 0; });
            content->insert(content->end(), cells.begin(), cells.end());
            state_.ScenarioChanged();
        }
        Log("9008 day content of \"" + save_.name + "\" (" + std::to_string(cells.size()) + " cells, " +
            std::to_string(save_.daysOutstanding) + " days outstanding)");
        if (save_.daysOutstanding == 0 && save_.timetableReceived) save_.open = false;
        return;
    }
    if (save_.open) Log("9008 for \"" + name + "\" abandons the unfinished save of \"" + save_.name + "\"");
    save_ = PendingSave{};
    if (TrimView(name).empty()) {
        Log("9008 without a schedule name ignored");
        return;
    }
    const auto first = ParseSeconds(DatePart(Text(body, "startdate")));
    const auto last = ParseSeconds(DatePart(Text(body, "enddate")));
    const long long days = first && last ? (*last - *first) / 86400 + 1 : 0;
    if (days < 1 || days > kMaxSaveDays) {
        Log("9008 schedule \"" + name + "\" refused: bad date range " + Text(body, "startdate") + " to " +
            Text(body, "enddate"));
        Json::Value m = Reply("8000");
        m["body"]["cmd"] = "9008";
        m["body"]["result"] = "failed";
        m["body"]["text"] = "排班日期范围无效";
        out.push_back(m);
        return;
    }
    save_.open = true;
    save_.name = name;
    save_.user = Text(body, "username");
    save_.startDate = FormatDay(*first);
    save_.endDate = FormatDay(*last);
    save_.content = std::move(cells);
    save_.daysOutstanding = static_cast<int>(days);
    for (long long d = 0; d < days; ++d) out.push_back(Reply("9007"));
    out.push_back(Reply("9009"));
    Log("9008 schedule \"" + name + "\" " + save_.startDate + " to " + save_.endDate + ": asked for " +
        std::to_string(days) + " days and the timetable");
}

void DispatchSession::ScheduleTimetable(const Json::Value& body) {
    const std::string name = Text(body, "name");
    if (!save_.open || save_.timetableReceived || name != save_.name) {
        Log("9006 for \"" + name + "\" without a save in progress ignored");
        return;
    }
    Schedule s{save_.name, save_.startDate, save_.endDate, save_.user, {}, save_.content};
    for (const auto& t : Array(body, "stationns"))
        s.timetable.push_back({Text(t, "batch"), Text(t, "starttime"), Text(t, "linename"),
                               Text(t, "flag").empty() ? "0" : Text(t, "flag")});
    auto& schedules = state_.scenario().schedules;
    const bool replaced = std::erase_if(schedules, [&](const Schedule& o) { return o.name == s.name; }) > 0;
    Log("9006 schedule \"" + s.name + "\" " + (replaced ? "replaced" : "completed") + " with " +
        std::to_string(s.timetable.size()) + " batches");
    schedules.push_back(std::move(s));
    state_.ScenarioChanged();
    save_.timetableReceived = true;
    save_.content.clear();
    if (save_.daysOutstanding == 0) save_.open = false;
}

void DispatchSession::StopTimes(const Json::Value& body, std::string& written) {
    const Scenario& sc = state_.scenario();
    const Vehicle* v = sc.FindVehicle(Text(body, "vhcid"), Text(body, "code"));
    if (!v) v = sc.FindVehicle({}, Text(body, "code"));
    const std::string date = Text(body, "date");
    std::size_t events = 0;
    if (v) {
        // Each station looked up once: a day passes the same few stations again and again.
        std::map<std::string, const Station*> stations;
        for (const auto& trip : state_.TripsOn(date)) {
            if (trip.vehicle != v->code) continue;
            for (const auto& ev : trip.stops) {
                auto [at, added] = stations.try_emplace(ev.stationId);
                if (added) at->second = sc.FindStation(ev.stationId);
                const Station* st = at->second;
                // Written straight, members in the order the writer sorts them: a day has hundreds.
                AppendStyledMessage(written, "9017",
                                    {{"batchdate", trip.date},
                                     {"batchname", trip.batch},
                                     {"code", v->code},
                                     {"flag", trip.flag},
                                     {"linenaem", trip.line},
                                     {"planleavetime", ev.planLeave},
                                     {"planreachtime", ev.planReach},
                                     {"userMarkName", st ? st->name : ev.stationId}});
                ++events;
            }
        }
    }
    AppendStyledMessage(written, "9019", {{"type", "batch"}});
    Log("9016 " + Text(body, "code") + " " + date + ": " + std::to_string(events) + " stop events" +
        (v ? "" : " (unknown vehicle)"));
}

void DispatchSession::ReportQuery(const Json::Value& body, std::vector<Json::Value>& out) {
    const Scenario& sc = state_.scenario();
    const auto vehicles = VehiclesOfQuery(sc, Text(body, "vhcid"), Text(body, "code"), Text(body, "group"),
                                          user_);
    const auto rows = ComputeReportRows(sc, vehicles, Text(body, "timeStart"), Text(body, "timeEnd"));
    for (const auto& r : rows) {
        Json::Value m = Reply("9021");
        Json::Value& b = m["body"];
        b["vhcID"] = r.vhcID;
        b["code"] = r.code;
        b["batchname"] = r.batchname;
        b["batchdate"] = r.batchdate;
        b["linenaem"] = r.linenaem;
        b["userMarkName"] = r.userMarkName;
        b["planreachtime"] = r.planreachtime;
        b["realreachtime"] = r.realreachtime;
        b["planleavetime"] = r.planleavetime;
        b["realleavetime"] = r.realleavetime;
        b["flag"] = r.flag;
        out.push_back(m);
    }
    Json::Value done = Reply("9019");
    done["body"]["type"] = "query";
    out.push_back(done);
    Log("9018 " + std::to_string(vehicles.size()) + " vehicle(s) " + Text(body, "timeStart") + " to " +
        Text(body, "timeEnd") + ": " + std::to_string(rows.size()) + " rows");
}

}  // namespace fw::sim
